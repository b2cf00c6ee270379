#include "aids/SourceTransforms.h"

#include "aids/CodeIndent.h"
#include "aids/CodeWrap.h"
#include "aids/HeaderTemplates.h"
#include "aids/LineNumbers.h"
#include "aids/ProcedureSort.h"
#include "aids/SourceDocument.h"
#include "aids/SpellCheck.h"
#include "config/Options.h"
#include "model/KeyedMap.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"

#include <QFileInfo>

#include <algorithm>

namespace quillon::aids {

using model::kCrLf;
using model::RoutineKind;
using model::RoutineList;
using model::RoutinePtr;

namespace {

bool isBlankLine(const QString& line)
{
    return model::trimBlanks(line).isEmpty();
}

bool isContinued(const QString& line)
{
    return model::trimTrailingBlanks(line).endsWith(QLatin1Char('_'));
}

// No name in the bounds of any bracketed part: from each "(" to the next ")", once "TO" is taken
// out, no letter is left.
bool boundsHoldNoName(const QString& text)
{
    qsizetype open = text.indexOf(QLatin1Char('('));
    while (open >= 0) {
        const qsizetype close = text.indexOf(QLatin1Char(')'), open + 1);
        if (close < 0)
            return true;
        QString bounds = model::upperCase(text.mid(open + 1, close - open - 1));
        bounds.remove(QLatin1String("TO"));
        if (std::any_of(bounds.begin(), bounds.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; }))
            return false;
        open = text.indexOf(QLatin1Char('('), close + 1);
    }
    return true;
}

bool isMovableDim(const QString& statement)
{
    return model::upperCase(model::trimLeadingBlanks(statement)).startsWith(QLatin1String("DIM "))
        && !statement.contains(QLatin1Char(':')) && boundsHoldNoName(statement);
}

// One statement of a body: its first and last line (0-based into the file's lines).
struct Statement {
    qsizetype first;
    qsizetype last;
    bool movable;
};

std::vector<Statement> statementsOf(const QStringList& lines, qsizetype from, qsizetype to)
{
    std::vector<Statement> statements;
    for (qsizetype s = from; s <= to;) {
        qsizetype e = s;
        while (e < to && isContinued(lines[e]))
            ++e;
        QStringList parts = lines.mid(s, e - s + 1);
        // A statement continued up to the body's end stays: moved up, it would take the empty
        // line after the Dims as its next line, or carry the procedure's End line with it.
        const bool reachesEnd = e == to && (e > s || isContinued(lines[e]));
        const bool takesEndLine = std::any_of(
            parts.begin() + 1, parts.end(), [](const QString& line) { return model::isEndProcedureLine(line); });
        statements.push_back({s, e, !reachesEnd && !takesEndLine && isMovableDim(parts.join(QLatin1Char(' ')))});
        s = e + 1;
    }
    return statements;
}

bool isEmptyStatement(const QStringList& lines, const Statement& statement)
{
    return statement.first == statement.last && lines[statement.first].isEmpty();
}

// The body from..to (0-based) with its movable Dims first. A body that starts with an empty line,
// its leading Dims and another empty line is what an earlier run left: those two lines are the
// frame, not part of the rest, so that a second run finds nothing to change.
QStringList rebuildBody(const QStringList& lines, qsizetype from, qsizetype to, const QString& unit, bool* moved)
{
    const std::vector<Statement> statements = statementsOf(lines, from, to);
    *moved = std::any_of(statements.begin(), statements.end(), [](const Statement& s) { return s.movable; });
    if (!*moved)
        return lines.mid(from, to - from + 1);
    size_t frameEnd = statements.size();
    if (statements.size() > 2 && isEmptyStatement(lines, statements[0]) && statements[1].movable) {
        size_t k = 1;
        while (k < statements.size() && statements[k].movable)
            ++k;
        if (k < statements.size() && isEmptyStatement(lines, statements[k]))
            frameEnd = k;
    }
    QStringList dims;
    QStringList rest;
    for (size_t i = 0; i < statements.size(); ++i) {
        const Statement& statement = statements[i];
        if (frameEnd < statements.size() && (i == 0 || i == frameEnd))
            continue;
        for (qsizetype k = statement.first; k <= statement.last; ++k) {
            if (!statement.movable)
                rest.append(lines[k]);
            else
                dims.append(
                    (k == statement.first ? unit : unit + unit) + model::trimLeadingBlanks(lines[k]).toString());
        }
    }
    return QStringList {QString()} + dims + QStringList {QString()} + rest;
}

QString completionText(const QString& done, const AidReport& report)
{
    return done + kCrLf + QString::number(report.proceduresUpdated) + QStringLiteral(" procedure(s) updated in ")
        + QString::number(report.filesUpdated) + QStringLiteral(" file(s).");
}

// The blocks an indent could not read to their end, as the report lists them: ten at most.
QString notIndentedText(const QStringList& notIndented)
{
    constexpr qsizetype kListed = 10;
    QString text = kCrLf + kCrLf + QString::number(notIndented.size())
        + QStringLiteral(" block(s) could not be read to their end; the lines after them were left as they were:");
    for (qsizetype i = 0; i < std::min(kListed, notIndented.size()); ++i)
        text += kCrLf + QStringLiteral("not indented: ") + notIndented[i];
    if (notIndented.size() > kListed)
        text += kCrLf + QStringLiteral("... and ") + QString::number(notIndented.size() - kListed)
            + QStringLiteral(" more.");
    return text;
}

// What each aid's closing message says: its title, its first line when files changed, and its
// text when nothing needed to change.
struct AidTexts {
    SourceAid aid;
    const char* title;
    const char* done;
    const char* nothing;
};
constexpr AidTexts kAidTexts[] = {
    {SourceAid::Indent, "Indent Complete", "Indent Code Lines complete.",
        "No lines needed indenting - nothing to change."},
    {SourceAid::ShrinkBlankLines, "Shrink Complete", "Shrink Multiple Blank Lines complete.",
        "No consecutive blank lines were found - nothing to change."},
    {SourceAid::MoveDims, "Move Dimension Statements Complete", "Move Dimension Statements complete.",
        "No Dim statements needed to be moved - nothing to change."},
    {SourceAid::Wrap, "Wrap Complete", "Wrap Code Lines complete.", "No lines needed wrapping - nothing to change."},
    {SourceAid::AddLineNumbers, "Add Line Numbers Complete", "Add Line Numbers complete.",
        "No lines needed a number - nothing to change."},
    {SourceAid::RemoveLineNumbers, "Remove Line Numbers Complete", "Remove Line Numbers complete.",
        "No line numbers could be removed - nothing to change."},
    {SourceAid::SortProcedures, "Sort Complete", "Sort File Procedures complete.",
        "The procedures are in order already - nothing to change."},
    {SourceAid::InsertFileHeader, "Insert File Header Complete", "Insert File Header complete.",
        "Every file has its header already - nothing to change."},
    {SourceAid::InsertProcedureHeader, "Insert Procedure Header Complete", "Insert Procedure Header complete.",
        "Every procedure has its header already - nothing to change."},
    {SourceAid::ReplaceWords, "Spelling Complete", "Spell Check Literals complete.",
        "No words needed replacing - nothing to change."},
};

const AidTexts& textsOf(SourceAid aid)
{
    return *std::find_if(std::begin(kAidTexts), std::end(kAidTexts), [aid](const AidTexts& t) { return t.aid == aid; });
}

QString mainReportText(SourceAid aid, const AidReport& report)
{
    const AidTexts& texts = textsOf(aid);
    const bool done = report.filesUpdated > 0 || !report.notWritten.isEmpty();
    QString text = QString::fromLatin1(done ? texts.done : texts.nothing);
    if (done && aid == SourceAid::Wrap)
        text += kCrLf + QString::number(report.linesWrapped) + QStringLiteral(" line(s) wrapped in ")
            + QString::number(report.filesUpdated) + QStringLiteral(" file(s).");
    else if (done && aid == SourceAid::InsertFileHeader)
        text += kCrLf + QString::number(report.filesUpdated) + QStringLiteral(" file(s) updated.");
    else if (done && aid == SourceAid::ReplaceWords)
        text += kCrLf + QString::number(report.wordsReplaced) + QStringLiteral(" word(s) replaced in ")
            + QString::number(report.filesUpdated) + QStringLiteral(" file(s).");
    else if (done)
        text = completionText(text, report);
    if (!report.notWrapped.isEmpty()) {
        text += kCrLf + kCrLf + QString::number(report.notWrapped.size()) + QStringLiteral(" line(s) could ")
            + QStringLiteral("not be wrapped without breaking a word and were left unchanged.");
    }
    if (!report.notIndented.isEmpty())
        text += notIndentedText(report.notIndented);
    return text;
}

void finishReport(SourceAid aid, AidReport& report)
{
    report.title = QString::fromLatin1(textsOf(aid).title);
    report.text = mainReportText(aid, report);
    if (!report.notWritten.isEmpty()) {
        report.text += kCrLf + kCrLf + QString::number(report.notWritten.size())
            + QStringLiteral(" file(s) could not be updated and were left as they were:");
        for (const QString& line : report.notWritten)
            report.text += kCrLf + line;
    }
}

} // namespace

bool TargetSelection::isAllProcedures() const
{
    return procedures.isEmpty() || (procedures.size() == 1 && procedures.front() == kAllProceduresMarker);
}

bool isEditableRoutine(const model::Routine& routine)
{
    switch (routine.kind) {
    case RoutineKind::Layout:
    case RoutineKind::Image:
    case RoutineKind::Declarations:
    case RoutineKind::Dependency:
    case RoutineKind::Aggregate:
    case RoutineKind::TableOfContents:
        return false;
    default:
        return !routine.isDeclarations && routine.startLine >= 1 && routine.startLine <= routine.endLine;
    }
}

WorkSet buildWorkSet(const TargetSelection& selection, const model::FileList& projectFiles,
    const model::SourceReader& reader, DeclarationsToo declarations)
{
    WorkSet work;
    model::KeyedMap<size_t> itemOf;
    if (selection.isAllProcedures()) {
        QStringList paths = selection.files;
        if (paths.contains(kAllFilesMarker))
            paths = model::filePaths(projectFiles);
        for (const QString& path : paths) {
            RoutineList editable;
            for (const RoutinePtr& routine : model::splitFileIntoRoutines(path, reader)) {
                const bool declarationsTaken = declarations == DeclarationsToo::Yes && routine->isDeclarations
                    && routine->startLine >= 1 && routine->startLine <= routine->endLine;
                if (declarationsTaken || isEditableRoutine(*routine))
                    editable.push_back(routine);
            }
            if (!editable.empty() && !itemOf.find(path)) {
                itemOf.insert(path, work.size());
                work.push_back({path, editable});
            }
        }
        return work;
    }
    model::KeyedMap<RoutineList> parsed;
    for (const QString& key : selection.procedures) {
        if (key.isEmpty())
            continue;
        const QString path = key.section(QLatin1Char('|'), 0, 0);
        if (!parsed.find(path))
            parsed.insert(path, model::splitFileIntoRoutines(path, reader));
        if (!itemOf.find(path)) {
            itemOf.insert(path, work.size());
            work.push_back({path, {}});
        }
        const RoutineList& routines = *parsed.find(path);
        const auto found = std::find_if(
            routines.begin(), routines.end(), [&](const RoutinePtr& routine) { return routine->uniqueKey == key; });
        if (found != routines.end())
            work[*itemOf.find(path)].routines.push_back(*found);
    }
    return work;
}

QStringList chosenFilePaths(const TargetSelection& selection, const model::FileList& projectFiles)
{
    QStringList chosen = selection.files.contains(kAllFilesMarker) ? model::filePaths(projectFiles) : selection.files;
    for (const QString& key : selection.procedures) {
        if (!key.isEmpty() && key != kAllProceduresMarker)
            chosen.append(key.section(QLatin1Char('|'), 0, 0));
    }
    QStringList paths;
    model::KeyedMap<bool> seen;
    for (const QString& path : chosen) {
        if (path.isEmpty() || path == kAllFilesMarker || seen.find(path))
            continue;
        seen.insert(path, true);
        paths.append(path);
    }
    return paths;
}

WorkSet wholeFileWorkSet(
    const TargetSelection& selection, const model::FileList& projectFiles, const model::SourceReader& reader)
{
    WorkSet work;
    for (const QString& path : chosenFilePaths(selection, projectFiles))
        work.push_back({path, model::splitFileIntoRoutines(path, reader)});
    return work;
}

RoutineList inSignatureOrder(const RoutineList& routines)
{
    RoutineList sorted = routines;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const RoutinePtr& a, const RoutinePtr& b) { return a->signatureLine < b->signatureLine; });
    return sorted;
}

Rewrite shrinkBlankLines(const QStringList& lines, const RoutineList& routines)
{
    Rewrite result;
    const qsizetype n = lines.size();
    for (qsizetype i = 1; i <= n;) {
        const auto routine = std::find_if(routines.begin(), routines.end(),
            [i](const RoutinePtr& r) { return r->startLine <= i && i <= r->endLine; });
        if (routine == routines.end()) {
            result.lines.append(lines[i - 1]);
            ++i;
            continue;
        }
        bool previousBlank = false;
        bool routineChanged = false;
        for (; i <= std::min<qsizetype>((*routine)->endLine, n); ++i) {
            const QString& line = lines[i - 1];
            if (isBlankLine(line) && previousBlank) {
                routineChanged = true;
                continue;
            }
            result.lines.append(line);
            previousBlank = isBlankLine(line);
        }
        if (routineChanged) {
            result.changed = true;
            ++result.proceduresChanged;
        }
    }
    return result;
}

Rewrite moveDimStatements(const QStringList& lines, const RoutineList& routines, const QString& indentUnit)
{
    Rewrite result;
    const qsizetype n = lines.size();
    if (n == 0 || routines.empty()) {
        result.lines = lines;
        return result;
    }
    qsizetype next = 1; // 1-based
    for (const RoutinePtr& routine : inSignatureOrder(routines)) {
        const qsizetype end = std::min<qsizetype>(routine->endLine, n);
        // Only a procedure has a body: a part of a file without a signature line is passed over.
        if (routine->signatureLine < next || routine->signatureLine > end)
            continue;
        qsizetype headerEnd = routine->signatureLine;
        while (headerEnd < end && isContinued(lines[headerEnd - 1]))
            ++headerEnd;
        result.lines += lines.mid(next - 1, headerEnd - next + 1);
        bool moved = false;
        const QStringList body = rebuildBody(lines, headerEnd, end - 1, indentUnit, &moved);
        if (moved && body != lines.mid(headerEnd, end - headerEnd)) {
            result.changed = true;
            ++result.proceduresChanged;
        }
        result.lines += body;
        next = end + 1;
    }
    result.lines += lines.mid(next - 1);
    return result;
}

config::Warning backupCreationNotice(const QString& workingFolder)
{
    const QString folder = workingFolder.endsWith(QLatin1Char('/')) ? workingFolder : workingFolder + QLatin1Char('/');
    const QString text = QStringLiteral("If it does not already exist ") + config::kProductName
        + QStringLiteral(" will create ") + QStringLiteral("the directory ") + folder
        + QStringLiteral("EditBackups.  A copy of each ")
        + QStringLiteral("procedure or file that is to be edited will first be copied to ")
        + QStringLiteral("this folder.  If a procedure or file of the same name already ")
        + QStringLiteral("exists in the folder, Windows will ask if you want to overwrite.  ")
        + QStringLiteral("If you respond <No> Windows will still save the procedure or file ")
        + QStringLiteral("but append a copy number.");
    return config::Warning::notice(
        QStringLiteral("Backup Creation Notice"), QString(), platform::MessageIcon::Information, text);
}

AidReport AidRunner::run(SourceAid aid, const TargetSelection& selection, const model::FileList& projectFiles)
{
    AidReport report;
    const bool ready = aid == SourceAid::Wrap ? wrapper_ != nullptr
        : aid == SourceAid::InsertFileHeader || aid == SourceAid::InsertProcedureHeader
        ? headerTemplate_ != nullptr && headerFacts_ != nullptr
        : aid == SourceAid::ReplaceWords ? bool(wordReplacer_)
                                         : true;
    if (!ready)
        return report;
    const bool allProcedures = selection.isAllProcedures();
    // A file header or a word may stand in a file without a procedure.
    const WorkSet work = aid == SourceAid::InsertFileHeader || aid == SourceAid::ReplaceWords
        ? wholeFileWorkSet(selection, projectFiles, backups_.reader())
        : buildWorkSet(selection, projectFiles, backups_.reader(),
            aid == SourceAid::Indent ? DeclarationsToo::Yes : DeclarationsToo::No);
    if (work.empty()) {
        report.title = QStringLiteral("Nothing To Do");
        report.text = QStringLiteral("No procedures were found to process.");
        return report;
    }
    backups_.resetOverwriteMemory();
    for (size_t k = 0; k < work.size(); ++k)
        processFile(aid, work[k], allProcedures, int(work.size() - k), report);
    finishReport(aid, report);
    return report;
}

model::Outcome<void> AidRunner::makeBackups(SourceAid aid, const WorkItem& item, bool allProcedures, int remaining)
{
    // A sort moves procedures: only the whole file can put them back in their places. A file
    // header and a word of the declarations are in no procedure.
    if (allProcedures || aid == SourceAid::SortProcedures || aid == SourceAid::InsertFileHeader
        || aid == SourceAid::ReplaceWords)
        return backups_.backupFile(item.path, true, remaining);
    const int count = int(item.routines.size());
    for (int j = 0; j < count; ++j) {
        if (model::Outcome<void> made = backups_.backupProcedure(*item.routines[size_t(j)], true, count - j); !made)
            return made;
    }
    return {};
}

Rewrite AidRunner::rewrite(SourceAid aid, const QStringList& lines, const WorkItem& item, AidReport& report) const
{
    if (aid == SourceAid::ShrinkBlankLines)
        return shrinkBlankLines(lines, item.routines);
    if (aid == SourceAid::MoveDims)
        return moveDimStatements(lines, item.routines, QString(ideTabWidth_, QLatin1Char(' ')));
    if (aid == SourceAid::Indent) {
        IndentRules defaults;
        defaults.width = defaults.tabWidth = ideTabWidth_;
        IndentRewrite indented = indentRoutines(lines, item.routines, indentRules_ ? *indentRules_ : defaults);
        for (const IndentProblem& problem : indented.problems)
            report.notIndented << problemLine(item.path, problem);
        return indented.rewrite;
    }
    if (aid == SourceAid::AddLineNumbers)
        return addLineNumbers(lines, item.routines, numberingRules_ ? *numberingRules_ : NumberingRules {});
    if (aid == SourceAid::RemoveLineNumbers)
        return removeLineNumbers(lines, item.routines);
    if (aid == SourceAid::SortProcedures) {
        // A file is sorted whole, whatever procedures of it were chosen.
        return sortProcedures(lines, model::splitLinesIntoRoutines(item.path, lines),
            procedureOrder_ ? *procedureOrder_ : ProcedureOrder::ByKind);
    }
    if (aid == SourceAid::InsertFileHeader)
        return insertFileHeader(item.path, lines, *headerTemplate_, *headerFacts_);
    if (aid == SourceAid::InsertProcedureHeader)
        return insertProcedureHeaders(item.path, lines, item.routines, *headerTemplate_, *headerFacts_);
    if (aid == SourceAid::ReplaceWords)
        return replaceWords(lines, wordReplacer_(item.path, lines));
    WrapRewrite wrapped = wrapRoutines(lines, item.routines, *wrapper_);
    for (const QString& line : wrapped.notWrapped)
        report.notWrapped << item.path + QLatin1Char(':') + line;
    wrapped.rewrite.proceduresChanged = wrapped.linesWrapped;
    return wrapped.rewrite;
}

void AidRunner::processFile(SourceAid aid, const WorkItem& item, bool allProcedures, int remaining, AidReport& report)
{
    const model::Outcome<SourceDocument> document = readSourceDocument(item.path, backups_.reader());
    if (!document || document->lines.isEmpty())
        return;
    const Rewrite rewritten = rewrite(aid, document->lines, item, report);
    if (!rewritten.changed)
        return;
    if (const model::Outcome<void> writable = isWritableSource(item.path); !writable) {
        report.notWritten.append(item.path + QStringLiteral(": ") + writable.error());
        return;
    }
    // Nothing is changed that could not be put back.
    if (const model::Outcome<void> backedUp = makeBackups(aid, item, allProcedures, remaining); !backedUp) {
        report.notWritten.append(
            item.path + QStringLiteral(": no backup could be made (") + backedUp.error() + QStringLiteral(")"));
        return;
    }
    if (const model::Outcome<void> written = writeSourceLines(item.path, rewritten.lines, *document); !written) {
        report.notWritten.append(item.path + QStringLiteral(": ") + written.error());
        return;
    }
    ++report.filesUpdated;
    (aid == SourceAid::Wrap               ? report.linesWrapped
            : aid == SourceAid::ReplaceWords ? report.wordsReplaced
                                             : report.proceduresUpdated)
        += rewritten.proceduresChanged;
}

} // namespace quillon::aids
