#pragma once
#include "config/Options.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quillon::platform {
class IPrintSurface;
}

namespace quillon::config {

class SuppressibleMessages;

// Names of the five margins, index 0 to 4, as messages call them.
extern const char* const kMarginNames[5];
// Binding edges 0..6 and folding guides 0..4 as option summaries and messages show them.
QString bindingEdgeDisplayName(int edge);
QString foldingGuideDisplayName(int guide);
// The default of highlight colour `index` (0..9).
qint32 defaultColor(int index);

// What the options dialog edits, as the user left it: numbers the user types are kept as
// typed, so that a failed check can leave them in the dialog unchanged.
struct OptionsDraft {
    std::array<qint32, kColorCount> colors {};
    QString deviceName;
    QString driverName;
    QString printerPort;
    QString fontName;
    double fontSize = 10.0;
    QString paperSize = QStringLiteral("Letter"); // "Letter" or "Legal"
    QString orientation = QStringLiteral("Portrait"); // "Portrait" or "Landscape"
    QString gdiSpoolSize; // as typed
    bool duplex = false;
    std::array<QString, 5> margins; // inches as typed: left, right, top, bottom, binder
    int bindingEdge = 0; // 0..6
    int foldingGuide = 0; // 0 none, 1 bottom, 2 top, 3 left, 4 right
    bool brackets = false;
    QString aggregate = QStringLiteral("None"); // "None", "Small" or "All"
    bool printerScope = false; // true: the target is the system default and is remembered
    bool mimic = false;
    QString longLine; // the sample of the longest code line expected to print unwrapped
    QString projectFolder;
    QString vbpFolder;
    QString outputFolder;
    // Left and right margins (inches) for this run only, from the mimic fitting.
    std::optional<double> sessionLeft;
    std::optional<double> sessionRight;

    static OptionsDraft fromOptions(const Options& options);
    bool operator==(const OptionsDraft&) const = default;
};

// The checks of Save and Exit, in the order they run. The options dialog runs them all;
// setting one option from the command line runs those its key needs.
enum Check : unsigned {
    CheckFontSize = 1u << 0,
    CheckMargins = 1u << 1, // each margin present and a number
    CheckPageArea = 1u << 2, // "Invalid Margins"
    CheckCombination = 1u << 3, // "Output Combination Error"
    CheckPrinterScope = 1u << 4,
    CheckMimicRequirements = 1u << 5, // when mimic is switched on
    CheckMonospace = 1u << 6, // while mimic is on
    CheckSampleLine = 1u << 7, // while mimic is on: empty, too short
    CheckBinderSize = 1u << 8,
    CheckMarginFitting = 1u << 9, // while mimic is on and a page option changed
    CheckBrackets = 1u << 10, // when brackets are switched on
    CheckSpoolSize = 1u << 11,
    kAllChecks = (1u << 12) - 1,
};

// What a check does with a value it replaces without asking (a spool size below 500).
enum class Corrections {
    Apply, // replaces it in the draft and says it has been replaced: Save and Exit, one option set
    Report, // leaves it and says what Save and Exit would make of it: the stored options checked
};

// The checks a change of one option needs (0 for an option nothing checks).
unsigned checksForOption(const OptionSpec& spec);

struct ValidationResult {
    bool passed = true;
    Check failedCheck = Check(0); // the check that failed
    int failedMargin = -1; // the margin at fault (0..4) when a margin check failed
    // Values the checks replaced and the user was told of ("499" reset to "500", margins
    // fitted, the printer scope switched back), one line each, for a caller without a window.
    QStringList changes;
};

// Runs the checks of Save and Exit on `draft`, in their fixed order, stopping at the first
// that fails. The messages and warnings go through `messages` (its box for the plain ones).
// Values a check replaces (the spool size, fitted margins, the printer scope) are changed in
// `draft`; everything else is left as the user entered it. `original` is what the options
// were before the edit: it decides what was switched on and whether a page option changed.
// `surface` stands for the output target: the page area and text widths are measured on it,
// set up as the draft says and put back afterwards.
ValidationResult validateOptions(OptionsDraft& draft, const OptionsDraft& original, platform::IPrintSurface& surface,
    SuppressibleMessages& messages, unsigned checks = kAllChecks, Corrections corrections = Corrections::Apply);

// Whether the draft changed anything the margin fitting depends on.
bool pageOptionsChanged(const OptionsDraft& draft, const OptionsDraft& original);

struct StoreResult {
    bool saved = false; // the options file was written
    bool aggregationChanged = false; // the "Aggregation Option Changed" notice was shown
};

// Puts a validated draft into the options and saves them; tells the user when the
// aggregation changed (the loaded project must be opened again to show it).
StoreResult storeOptions(
    const OptionsDraft& draft, const OptionsDraft& original, Options& options, SuppressibleMessages& messages);

// The message status for a project loaded under another aggregation.
inline const QString kReloadRequiredStatus = QStringLiteral("Project re-load required; Use File | Open");

} // namespace quillon::config
