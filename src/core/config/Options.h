#pragma once
#include "config/Ini.h"
#include "model/Routine.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillon::platform {
class IPrinterDefaults;
}

namespace quillon::config {

inline const QString kProductName = QStringLiteral("Quillon");
// The section name in the file: the product name followed by the suffix (":Output" ...).
inline QString sectionName(const QString& suffix)
{
    return kProductName + suffix;
}

// The program's identification texts, also written to the ":ProjectInfo" section.
QString versionText();
QString noticeText();

enum class OptionType { Text, Bool, Int16, Int32, Single, Aggregate, Color };

// Where a default comes from when it is not a fixed text.
enum class DynamicDefault {
    None,
    UserDataFolder,
    HomeFolder,
    DocumentsFolder,
    PrinterDevice,
    PrinterDriver,
    PrinterPort,
    PaperSize,
    Orientation,
    FontName,
    FontSize,
    IdeIndent,
    Version,
    Notice
};

enum class SaveRule { Always, WhilePrinterScope, Never };

struct OptionSpec {
    QString suffix; // ":Output"
    QString key; // "Font Size"
    OptionType type;
    QString defaultText;
    DynamicDefault dynamicDefault = DynamicDefault::None;
    bool loaded = true; // false: written on save, never read
    SaveRule save = SaveRule::Always;
    // The values an option the options window offers as a set of buttons can take, spelled as
    // they are stored; empty for an option that takes any value of its type.
    QStringList choices = {};
};

// The choice of a fixed-set option that `text` names, spelled as stored; nullopt when it names
// none. Letter case does not count, except for "Aggregate", which is read exactly. An option
// without choices takes any text.
std::optional<QString> namedChoice(const OptionSpec& spec, const QString& text);
// The choices as messages list them: "0, 1, 2, 3, 4, 5 or 6".
QString choicesText(const OptionSpec& spec);

// Identifies one option: the section suffix and the key.
struct OptionKey {
    const char* suffix;
    const char* key;
};

namespace opt {
inline constexpr OptionKey ProjectFolder {":Folders", "ProjectFolder"};
inline constexpr OptionKey VBPFolder {":Folders", "VBPFolder"};
inline constexpr OptionKey OutputFolder {":Folders", "Output Folder"};
inline constexpr OptionKey Mimic {":IDE", "Mimic"};
inline constexpr OptionKey LongLine {":IDE", "Long Line"};
inline constexpr OptionKey CodePage {":IDE", "Code Page"};
inline constexpr OptionKey TabWidth {":IDE", "Tab Width"};
inline constexpr OptionKey HighlightChains {":Highlighting", "HighlightChains"};
inline constexpr OptionKey DeviceName {":Output", "Device Name"};
inline constexpr OptionKey DriverName {":Output", "Driver Name"};
inline constexpr OptionKey PrinterPort {":Output", "Printer Port"};
inline constexpr OptionKey PaperSize {":Output", "Paper Size"};
inline constexpr OptionKey PageOrientation {":Output", "Page Orientation"};
inline constexpr OptionKey FontName {":Output", "Font Name"};
inline constexpr OptionKey FontSize {":Output", "Font Size"};
inline constexpr OptionKey GDISpoolSize {":Output", "GDISpoolSize"};
inline constexpr OptionKey PrinterScope {":Output", "Printer Scope"};
inline constexpr OptionKey Aggregate {":Output", "Aggregate"};
inline constexpr OptionKey Brackets {":Output", "Brackets"};
inline constexpr OptionKey Duplex {":Output", "Duplex"};
inline constexpr OptionKey BindingEdge {":Output", "Binding Edge"};
inline constexpr OptionKey FoldingGuide {":Output", "Folding Guide"};
inline constexpr OptionKey CodeIndent {":Output", "Code Indent"};
inline constexpr OptionKey WrapIndent {":Output", "Wrap Indent"};
inline constexpr OptionKey SiteFolder {":Output", "Site Folder"};
inline constexpr OptionKey MarginLeft {":Margins", "Left"};
inline constexpr OptionKey MarginRight {":Margins", "Right"};
inline constexpr OptionKey MarginTop {":Margins", "Top"};
inline constexpr OptionKey MarginBottom {":Margins", "Bottom"};
inline constexpr OptionKey MarginBinder {":Margins", "Binder"};
// The five margins in their index order: left, right, top, bottom, binder.
inline constexpr OptionKey kMargins[5] = {MarginLeft, MarginRight, MarginTop, MarginBottom, MarginBinder};
inline constexpr OptionKey ColorDefaultNoteSeen {":Colors", "ColorDefaultNoteSeen"};
inline constexpr OptionKey WrapCodeIndent {":DAWrapLineForm", "Wrap Code Indent"};
inline constexpr OptionKey WhichIndent {":DAWrapLineForm", "Which Indent"};
inline constexpr OptionKey SigWrap {":DAWrapLineForm", "Sig Wrap"};
inline constexpr OptionKey Wrap2Sig {":DAWrapLineForm", "Wrap 2 Sig"};
inline constexpr OptionKey IndentWidth {":DAIndentForm", "Indent Width"};
inline constexpr OptionKey IndentProcedureBody {":DAIndentForm", "Indent Procedure Body"};
inline constexpr OptionKey IndentFirstComments {":DAIndentForm", "Indent First Comments"};
inline constexpr OptionKey IndentCase {":DAIndentForm", "Indent Case"};
inline constexpr OptionKey IndentTypeMembers {":DAIndentForm", "Indent Type Members"};
inline constexpr OptionKey DirectivesInColumn1 {":DAIndentForm", "Directives In Column 1"};
inline constexpr OptionKey IndentContinuations {":DAIndentForm", "Indent Continuations"};
inline constexpr OptionKey AlignComments {":DAIndentForm", "Align Comments"};
inline constexpr OptionKey DebugInColumn1 {":DAIndentForm", "Debug In Column 1"};
inline constexpr OptionKey TabsToBlanks {":DAIndentForm", "Tabs To Blanks"};
inline constexpr OptionKey HeaderAuthor {":DAHeaderForm", "Author"};
inline constexpr OptionKey FirstNumber {":DALineNumberForm", "First Number"};
inline constexpr OptionKey NumberStep {":DALineNumberForm", "Number Step"};
inline constexpr OptionKey RestartEachProcedure {":DALineNumberForm", "Restart Each Procedure"};
inline constexpr OptionKey SortBy {":DASortForm", "Sort By"};
inline constexpr OptionKey SpellLiteralsOnly {":DASpellForm", "Literals Only"};
inline constexpr OptionKey SpellLanguage {":DASpellForm", "Language"};
} // namespace opt

// The ten highlight colours, index 0 to 9, in the order of their keys.
inline constexpr int kColorCount = 10;
extern const char* const kColorKeys[kColorCount];

// Every option of the options file with its default, loaded in a fixed order and saved
// back as one file write. Values are held as the text they are saved as (numbers parsed
// and re-formatted, booleans as "True"/"False"), so what is shown, saved and read agree.
class Options {
public:
    Options(IniStore& ini, const platform::IPrinterDefaults& printer);

    static const std::vector<OptionSpec>& table();
    // Looks up a known option; the section may be given as "Output", ":Output" or
    // "Quillon:Output", in any case.
    static const OptionSpec* find(const QString& section, const QString& key);

    void load();
    bool save() const;
    void writeProjectInfo() const;

    QString text(OptionKey key) const;
    QString text(const OptionSpec& spec) const;
    bool boolean(OptionKey key) const;
    int integer(OptionKey key) const;
    float single(OptionKey key) const;
    // Stores a value, normalised as loading would (an unparsable number becomes the default).
    void set(OptionKey key, const QString& value);
    void setBool(OptionKey key, bool value) { set(key, boolToText(value)); }
    void setInt(OptionKey key, int value) { set(key, QString::number(value)); }
    void setSingle(OptionKey key, float value) { set(key, QString::number(double(value), 'f', 3)); }

    model::AggregateMode aggregateMode() const;
    int ideTabWidth() const; // "Tab Width", 1..32, 4 when empty or not a number
    int codeIndentWidth() const; // the code indent printing uses
    qint32 color(int index) const;
    qint32 windowBackColor() const { return windowBackColor_; }

    // Every loaded and saved option with its effective value, in table order.
    struct Entry {
        const OptionSpec* spec;
        QString value;
    };
    std::vector<Entry> effective() const;

    IniStore& ini() const { return ini_; }

    // Left and right margins (inches) the user accepted for this run only: printing uses
    // them instead of the stored ones; they are never saved.
    std::optional<float> sessionLeftMargin;
    std::optional<float> sessionRightMargin;

    // The default of an option as this machine and user give it.
    QString defaultText(const OptionSpec& spec) const;

    // A fixed-set option whose stored value the last load could not read as one of its
    // choices, and so read as its default; forgotten once the option is set.
    struct NotAChoice {
        const OptionSpec* spec;
        QString stored;
    };
    const std::vector<NotAChoice>& storedNotAChoice() const { return storedNotAChoice_; }

private:
    QString normalise(const OptionSpec& spec, const QString& raw) const;
    static QString id(const QString& suffix, const QString& key);
    const OptionSpec& specOf(OptionKey key) const;

    IniStore& ini_;
    const platform::IPrinterDefaults& printer_;
    QHash<QString, QString> values_;
    std::vector<NotAChoice> storedNotAChoice_;
    qint32 windowBackColor_ = 15793858;
};

} // namespace quillon::config
