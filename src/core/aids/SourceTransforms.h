#pragma once
#include "aids/EditBackups.h"
#include "config/SuppressibleMessages.h"
#include "model/Routine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quillon::aids {

inline const QString kAllFilesMarker = QStringLiteral("ALL_FILES");
inline const QString kAllProceduresMarker = QStringLiteral("ALL_PROCEDURES");

// What the file and procedure choosers chose: file paths (or "ALL_FILES") and routine unique
// keys (or "ALL_PROCEDURES"). A unique key starts with its file's path and "|".
struct TargetSelection {
    QStringList files;
    QStringList procedures;
    bool isEmpty() const { return files.isEmpty() && procedures.isEmpty(); }
    // No procedure chosen, or only "All Procedures".
    bool isAllProcedures() const;
};

// A file to rewrite and the routines of it to process, in the file's order.
struct WorkItem {
    QString path;
    model::RoutineList routines;
};
// In the order files are processed; each path once (ignoring case).
using WorkSet = std::vector<WorkItem>;

// A procedure, not a part of a file or a report, with a span of at least one line.
bool isEditableRoutine(const model::Routine& routine);
// With all procedures, the indenter also takes each file's Declarations (they hold Type, Enum
// and #If blocks); the other aids work on procedures only.
enum class DeclarationsToo { No, Yes };
WorkSet buildWorkSet(const TargetSelection& selection, const model::FileList& projectFiles,
    const model::SourceReader& reader, DeclarationsToo declarations = DeclarationsToo::No);

// Every chosen file and the file of every chosen procedure, each once (ignoring case), in the
// order chosen.
QStringList chosenFilePaths(const TargetSelection& selection, const model::FileList& projectFiles);
// Those files whole, with all their routines; for the aids that work on a file and not on its
// procedures.
WorkSet wholeFileWorkSet(
    const TargetSelection& selection, const model::FileList& projectFiles, const model::SourceReader& reader);

// The routines ordered by their signature lines, ties kept in their order (as repeated passes
// exchanging neighbours order them).
model::RoutineList inSignatureOrder(const model::RoutineList& routines);

// A file's lines after a rewrite, and how many procedures it changed.
struct Rewrite {
    QStringList lines;
    bool changed = false;
    int proceduresChanged = 0;
};
// Inside each routine, every run of blank lines becomes its first line.
Rewrite shrinkBlankLines(const QStringList& lines, const model::RoutineList& routines);
// In each routine, the Dim statements that can stand first (no ":" and no name in their bounds)
// move to the top of the body, indented by the unit and framed by one empty line each side.
Rewrite moveDimStatements(const QStringList& lines, const model::RoutineList& routines, const QString& indentUnit);

enum class SourceAid {
    Indent,
    ShrinkBlankLines,
    MoveDims,
    Wrap,
    AddLineNumbers,
    RemoveLineNumbers,
    SortProcedures,
    InsertFileHeader,
    InsertProcedureHeader,
    ReplaceWords,
};

class LineWrapper;
struct IndentRules;
struct NumberingRules;
enum class ProcedureOrder;
struct HeaderTemplate;
struct HeaderFacts;
struct WordReplacement;
// The words to replace in a file, given its path and lines (Spell Check Literals' choices).
using WordReplacer = std::function<std::vector<WordReplacement>(const QString& path, const QStringList& lines)>;

// Shown before every aid that rewrites sources; the user may hide it.
config::Warning backupCreationNotice(const QString& workingFolder);

// The closing message of a run.
struct AidReport {
    QString title;
    QString text;
    int filesUpdated = 0;
    int proceduresUpdated = 0;
    int linesWrapped = 0;
    int wordsReplaced = 0;
    // Files that should have changed and did not, with the reason ("PATH: REASON").
    QStringList notWritten;
    // Wrap: each too-long line that could not be wrapped, "PATH:LINE: TEXT" (its first 60
    // characters).
    QStringList notWrapped;
    // Indent: each block that could not be read to its end, "PATH:LINE: REASON"; the lines after
    // it in its procedure were left as they were.
    QStringList notIndented;
};

// Runs one aid over the chosen targets: the work set, a backup of each file (or of each chosen
// procedure) before it is rewritten, the rewrite, and the report. A file whose backup could not
// be made is left as it is.
class AidRunner {
public:
    AidRunner(EditBackups& backups, int ideTabWidth) : backups_(backups), ideTabWidth_(ideTabWidth) { }
    // What Wrap measures and splits lines with; it must be set before a wrap run.
    void setWrapper(const LineWrapper* wrapper) { wrapper_ = wrapper; }
    // What Indent and Add Line Numbers follow; each run without them uses the rules' defaults.
    void setIndentRules(const IndentRules* rules) { indentRules_ = rules; }
    void setNumberingRules(const NumberingRules* rules) { numberingRules_ = rules; }
    // The order Sort File Procedures puts each file's procedures in (by kind unless set).
    void setProcedureOrder(const ProcedureOrder* order) { procedureOrder_ = order; }
    // The template and the facts the two header aids fill in; both must be set before such a run.
    void setHeaders(const HeaderTemplate* tmpl, const HeaderFacts* facts)
    {
        headerTemplate_ = tmpl;
        headerFacts_ = facts;
    }
    // What Replace Words changes in each file; it must be set before such a run.
    void setWordReplacer(WordReplacer replacer) { wordReplacer_ = std::move(replacer); }
    AidReport run(SourceAid aid, const TargetSelection& selection, const model::FileList& projectFiles);

private:
    Rewrite rewrite(SourceAid aid, const QStringList& lines, const WorkItem& item, AidReport& report) const;
    void processFile(SourceAid aid, const WorkItem& item, bool allProcedures, int remaining, AidReport& report);
    model::Outcome<void> makeBackups(SourceAid aid, const WorkItem& item, bool allProcedures, int remaining);

    EditBackups& backups_;
    int ideTabWidth_;
    const LineWrapper* wrapper_ = nullptr;
    const IndentRules* indentRules_ = nullptr;
    const NumberingRules* numberingRules_ = nullptr;
    const ProcedureOrder* procedureOrder_ = nullptr;
    const HeaderTemplate* headerTemplate_ = nullptr;
    const HeaderFacts* headerFacts_ = nullptr;
    WordReplacer wordReplacer_;
};

} // namespace quillon::aids
