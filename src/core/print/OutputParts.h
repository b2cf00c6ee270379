#pragma once
#include "config/SuppressibleMessages.h"
#include "platform/PrintSurface.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace quillon::config {
class Options;
}
namespace quillon::platform {
class IMessageBox;
}

namespace quillon::print {

class PageFrame;

// ---------------------------------------------------------------------------------------------
// Where the output goes

enum class TargetClass { PdfPrinter, FilePort, PhysicalPort, Other };

struct OutputTarget {
    bool pdfPrinter = false; // the device name contains "PDF" (any case)
    bool fileTarget = false; // a PDF printer, or the port is "FILE:" or "PORTPROMPT:"
    bool physicalPort = false; // the port begins with USB, LPT, COM, WSD-, IP_ or \\ (a share)

    // The first that holds of PDF printer, file port, physical port.
    TargetClass targetClass() const;
};

OutputTarget classifyOutputTarget(const QString& deviceName, const QString& port);
inline OutputTarget classifyOutputTarget(const platform::PrinterInfo& printer)
{
    return classifyOutputTarget(printer.deviceName, printer.port);
}

// ---------------------------------------------------------------------------------------------
// The GDI Spool Size: the most printed lines one output file may take

// What the machine has left, read once per estimate. Unknown values fall back to 512 MiB of
// memory and 500 MiB of disk.
struct SpoolReadings {
    std::optional<qint64> availableMemoryBytes;
    std::optional<qint64> freeDiskBytes;
    qint64 objectsInUse = 0; // file descriptors the process holds (a bad negative reading counts as 0)
};

// MemAvailable of /proc/meminfo, free space of the temporary folder's file system and the
// entries of /proc/self/fd.
SpoolReadings readSpoolReadings(const QString& tempFolder);
// The "MemAvailable:" line of a /proc/meminfo text, in bytes.
std::optional<qint64> parseMemAvailable(const QByteArray& meminfo);

// 95 % of the smallest of the memory, disk and handle terms, the size kept within 500..8000.
int estimateGdiSpoolSize(const SpoolReadings& readings);
inline constexpr int kMinimumSpoolSize = 500;
inline constexpr int kMaximumSpoolSize = 8000;

// The start-up note when the estimate moved a value that was in use; empty when the previous
// value was 0 or is unchanged.
QString spoolRecalibratedNote(int previous, int estimate);
// Stores the value in the options and writes the options file.
bool storeGdiSpoolSize(config::Options& options, int value);

// The body font the last estimate was made for.
struct SpoolFont {
    QString name;
    double size = 0;
    bool operator==(const SpoolFont&) const = default;
};
// Before a print command: asks "GDI Spool Size" when the font has changed since the last
// estimate. True when the user wants a new estimate.
bool askToReestimate(platform::IMessageBox& box, const SpoolFont& estimatedFor, const SpoolFont& current);

// The estimate over a session: made at program start, offered again before a print command
// when the body font has changed since.
class GdiSpoolEstimator {
public:
    GdiSpoolEstimator(config::Options& options, std::function<SpoolReadings()> readings);

    // Estimates and stores a new value for the font; false when the options file could not be written.
    bool estimate(const SpoolFont& font);
    // At program start: estimates and stores, and gives the note for the status text when a
    // value that was in use moved (empty otherwise).
    QString recalibrateAtStart(const SpoolFont& font);
    // Before a print command: asks when the font differs from the last estimate's and
    // estimates again on Yes. True when a new value was stored.
    bool offerReestimate(platform::IMessageBox& box, const SpoolFont& current);

    const std::optional<SpoolFont>& estimatedFor() const { return estimatedFor_; }
    int value() const;

private:
    config::Options& options_;
    std::function<SpoolReadings()> readings_;
    std::optional<SpoolFont> estimatedFor_;
};

// ---------------------------------------------------------------------------------------------
// Counting lines and parts

// Lines a form image counts for: whole lines per page (at least 1) times its pages (at least 1).
qint64 imageSpoolLines(double printableHeight, double charHeight, int imagePages);

// One row of the print queue as the estimate sees it.
struct SpoolRow {
    bool selected = true;
    bool image = false;
    qint64 imageLines = 0; // imageSpoolLines for an image
    qint64 startLine = 0;
    qint64 endLine = 0;
};
struct PartEstimate {
    qint64 parts = 1;
    qint64 lastPartLines = 0;
};
// The output files the selected rows need. An image larger than a whole file counts 0 lines
// (it never goes into the file); a range that ends before it starts counts 0.
PartEstimate estimateParts(const std::vector<SpoolRow>& rows, int gdiSpoolSize, bool haveProject = true);

// Before a split-mode run: two or more parts expected, or the last one past 85 % of the limit.
bool expectsMultipleTemporaryFiles(const PartEstimate& estimate, int gdiSpoolSize);
config::Warning multipleTemporaryFilesNotice();

// ---------------------------------------------------------------------------------------------
// The spool-limit decision before each routine

enum class SpoolAction {
    Print, // print into the current file
    StartOversize, // larger than a whole file: print it and split it while printing (part 1)
    ContinueOversize, // the rest of an oversize routine, still larger than a file: keep splitting
    FormImageException, // an image larger than a whole file: never into the file
    EndBatch, // outside split mode: end the document, ask to go on in a new batch
    NextTemporaryPart, // split mode: end the document, go on in the next temporary part
};

struct SpoolRoutine {
    bool image = false;
    qint64 imageLines = 0;
    qint64 startLine = 0;
    qint64 endLine = 0;
    qint64 lastPrintedLine = 0; // above 0: an oversize routine continued after this line
};
struct SpoolCounters {
    bool spoolControl = false; // the output goes to a file
    bool splitMode = false; // a PDF printer with automatic parts
    int gdiSpoolSize = 0;
    qint64 linesInPart = 0; // lines already sent to the current output file
};
struct SpoolDecision {
    SpoolAction action = SpoolAction::Print;
    qint64 routineLines = 0; // what the routine adds to the part once printed
};
SpoolDecision decideSpoolLimit(const SpoolRoutine& routine, const SpoolCounters& counters);

// Inside an oversize routine, after a printed line: stop here (and go on in the next file)
// when an even page has just begun and two more pages would pass the limit. linesInPart
// counts the routine's lines sent to this file so far.
bool oversizeRoutineStopsHere(
    bool newPageBegun, int pageNumber, qint64 linesInPart, double linesPerPage, int gdiSpoolSize);

// "Procedure Too Large - Continuing In New File": true to go on with part partNumber + 1.
bool askContinueOversize(platform::IMessageBox& box, int partNumber);
// "GDI Spool Size Reached": true to unselect what was printed and print the next batch.
bool askNextBatch(platform::IMessageBox& box, int firstSent, int lastSent, int totalSelected);

inline const QString kOversizeAbandonedStatus = QStringLiteral("Oversize procedure split abandoned by user");
inline const QString kBatchTerminatedStatus = QStringLiteral("Batch printing terminated");

// ---------------------------------------------------------------------------------------------
// Output names

// The name without a final ".pdf" in any letter case; other names are kept whole.
QString withoutPdfExtension(const QString& name);
// base + "_QLNTemp" + n + ".pdf", base being the user's name without ".pdf".
QString temporaryPartName(const QString& userOutputName, int partNumber);
// base + "_QLNMerged.pdf".
QString mergedOutputName(const QString& userOutputName);

// The names the user is offered for the files of a run outside split mode: the suggested
// output name, then for a routine too large for one file base + "_Part" + n + ".pdf", the
// base being the suggested name without ".pdf" (never an earlier part's name).
class SuggestedNames {
public:
    explicit SuggestedNames(QString suggestedOutputName);
    // oversizePartNumber 0: no routine is being split.
    QString forOversizePart(int oversizePartNumber);
    const QString& current() const { return current_; }

private:
    QString suggested_;
    QString current_;
};

// "Suggested File Name": the name offered for the output file; pdfPrinter adds how the
// temporary parts work. onClipboard: the caller has put the name on a clipboard.
config::Warning suggestedFileNameNotice(const QString& name, bool pdfPrinter, bool onClipboard);

// Creates the file empty and exclusively, so that no other run can take the name: the wanted
// name when it is free, else a unique one that keeps its stem and extension. Empty with the
// reason in *error when the folder cannot take it.
QString reserveUniqueFile(const QString& wanted, QString* error = nullptr);

// The files of a split-mode run, in page order: base + "_QLNTemp0.pdf" (where the run begins),
// then each temporary part. They are removed if the program is interrupted, and when the list
// ends without Release() (a run that failed or was cancelled).
class TemporaryPartList {
public:
    TemporaryPartList() = default;
    ~TemporaryPartList();
    TemporaryPartList(const TemporaryPartList&) = delete;
    TemporaryPartList& operator=(const TemporaryPartList&) = delete;

    // Starts the list for the user's file: reserves the first part and returns its name; empty
    // with the reason in *error when it cannot be created.
    QString begin(const QString& userOutputName, QString* error = nullptr);
    // Names, reserves and appends the next part; empty with the reason in *error when it
    // cannot be created (the list is then unchanged).
    QString startNext(QString* error = nullptr);
    // A run that needed one part only: it becomes the user's file in one rename.
    bool publishSinglePart(QString* error = nullptr);
    // The parts are combined and gone, or they stay as the output: they are no longer this
    // list's to remove.
    void release();
    // Removes every part (a run that did not complete).
    void discard();

    const QStringList& files() const { return files_; }
    int partNumber() const { return partNumber_; }
    const QString& userOutputName() const { return userOutputName_; }
    bool hasTemporaryParts() const { return files_.size() > 1; }

    static constexpr int kMaxParts = 32767;

private:
    void add(const QString& part);

    QString userOutputName_;
    QStringList files_;
    int partNumber_ = 0;
};

// The status text when the output continues in a temporary part.
QString temporaryPartStatus(const QString& partName);

// ---------------------------------------------------------------------------------------------
// Waiting for files

// How the output steps wait: pause(ms) sleeps (the GUI's status sink keeps the window alive
// between pauses), elapsedMs() is a monotonic clock. Tests give a clock that moves only when
// pause is called.
struct OutputWaits {
    std::function<void(int)> pause;
    std::function<qint64()> elapsedMs;
    static OutputWaits system();
};

// Opens the file for reading and gives its length; -1 when it does not exist or cannot be opened.
qint64 readableLength(const QString& path);

// ---------------------------------------------------------------------------------------------
// Verify output

enum class VerifyResult {
    NotChecked, // no spool limit, a PDF printer or not a file target
    Verified, // the file has content
    Missing, // not under the expected name (told, not a failure: the user may have renamed it)
    Empty, // still empty after every try: the run failed
};
inline constexpr int kVerifyTries = 120;
inline constexpr int kVerifyPauseMs = 500;
inline const QString kVerifyFailStatus = QStringLiteral(" (Fail at 120)");

// Checks the output file of a file target; messages may be null (nothing is shown).
// *statusSuffix gets what is appended to the run's status.
VerifyResult verifyOutput(const QString& outputFile, const OutputTarget& target, int gdiSpoolSize,
    config::SuppressibleMessages* messages, const OutputWaits& waits, QString* statusSuffix = nullptr);

// ---------------------------------------------------------------------------------------------
// A form image larger than a whole output file

struct FormImageRoute {
    bool toDefaultPrinter = false;
    QString device; // the default printer to select when toDefaultPrinter
};
// Asks "Form Image Exceeds GDI Spool Size"; on Yes finds the default printer (the part of
// the default device setting before the first ","), and tells the user when there is none
// or it is the file target itself.
FormImageRoute chooseFormImageRoute(platform::IMessageBox& box, const QString& imageName,
    const QString& defaultDeviceSetting, const QString& fileTargetDevice);
// "Form Image Skipped" when the default printer cannot be selected.
void reportDefaultPrinterNotSelected(platform::IMessageBox& box, const QString& device);

// The page that stands in the file for the omitted image: page 1 of 1 of "Omitted Output
// Notice", the notice in bold red, the footer and the duplex blank page when needed.
void printOmittedOutputPage(PageFrame& frame, const QString& imageName, bool sentToPrinter);

} // namespace quillon::print
