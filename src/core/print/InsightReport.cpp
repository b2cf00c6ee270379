#include "print/InsightReport.h"

#include "analysis/CallGraph.h"
#include "analysis/DependencyIndex.h"
#include "analysis/RoutineMetrics.h"
#include "analysis/UsageAnalysis.h"
#include "model/RoutineParser.h"
#include "model/SourceKind.h"
#include "model/TextPrimitives.h"
#include "print/TocRecord.h"

#include <QHash>

#include <algorithm>

namespace quillon::print {

using namespace quillon::model;

std::vector<analysis::RoutineMetrics> mostComplexRoutines(std::vector<analysis::RoutineMetrics> metrics)
{
    std::erase_if(metrics, [](const analysis::RoutineMetrics& m) { return m.kind == QLatin1String("Declarations"); });
    std::stable_sort(metrics.begin(), metrics.end(), [](const auto& a, const auto& b) {
        if (a.complexity() != b.complexity())
            return a.complexity() > b.complexity();
        return a.codeLines > b.codeLines;
    });
    if (metrics.size() > size_t(kMostComplexCount))
        metrics.resize(size_t(kMostComplexCount));
    return metrics;
}

namespace {

using Lines = std::vector<ListingLine>;

constexpr int kWidestName = 48; // longer names run past their column instead of widening it

QString rightAligned(qint64 n, int width)
{
    return countText(n).rightJustified(width);
}

QString share(qint64 part, qint64 whole)
{
    const double percent = whole > 0 ? 100.0 * double(part) / double(whole) : 0.0;
    return QStringLiteral("(") + QString::number(percent, 'f', 1) + QStringLiteral(" %)");
}

QString plural(qint64 n, const QString& one, const QString& many)
{
    return countText(n) + QLatin1Char(' ') + (n == 1 ? one : many);
}

qsizetype columnWidth(const QStringList& texts, qsizetype least)
{
    qsizetype widest = least;
    for (const QString& text : texts)
        widest = std::max(widest, std::min<qsizetype>(text.size(), kWidestName));
    return widest + 2;
}

// A section's title, on a page of its own but for the first.
ListingLine sectionTitle(const QString& text, bool newPage)
{
    ListingLine title(text);
    if (newPage)
        title.set(ListingMark::NewPage);
    title.set(ListingMark::Bold);
    return title;
}

QString procedureText(const Routine& routine)
{
    return kindTextOf(routine) + QLatin1Char(' ') + routine.routineName;
}

// The unused procedures of each file, files in the order of their first unused procedure.
void appendUnusedByFile(Lines& lines, const analysis::UnusedReport& unused)
{
    QStringList files;
    QHash<QString, std::vector<RoutinePtr>> byFile;
    QStringList names;
    for (const RoutinePtr& routine : unused.routines) {
        const QString path = upperCase(routine->filePath);
        if (!byFile.contains(path))
            files << path;
        byFile[path].push_back(routine);
        names << procedureText(*routine);
    }
    const qsizetype nameWidth = columnWidth(names, 0);
    for (const QString& path : files) {
        const std::vector<RoutinePtr>& routines = byFile.value(path);
        qint64 code = 0;
        for (const RoutinePtr& routine : routines)
            code += routine->codeLines;
        lines << QString();
        lines << keptHeading(blanks(3) + fileNameOf(routines.front()->filePath) + QStringLiteral(": ")
            + plural(qint64(routines.size()), QStringLiteral("procedure"), QStringLiteral("procedures"))
            + QStringLiteral(", ") + plural(code, QStringLiteral("code line"), QStringLiteral("code lines")));
        for (const RoutinePtr& routine : routines) {
            lines << blanks(9) + fitColumn(procedureText(*routine), nameWidth) + rightAligned(routine->codeLines, 7)
                    + QStringLiteral(" code lines");
        }
    }
}

void appendUnusedDeclarations(Lines& lines, const analysis::UnusedReport& unused)
{
    if (unused.declarations.empty())
        return;
    QStringList names;
    for (const analysis::ApiDeclaration& api : unused.declarations)
        names << api.name;
    lines << QString();
    lines << keptHeading(
        blanks(3) + QStringLiteral("Declared API functions no routine calls: ") + countText(names.size()));
    const qsizetype nameWidth = columnWidth(names, 0);
    for (const analysis::ApiDeclaration& api : unused.declarations)
        lines << blanks(9) + fitColumn(api.name, nameWidth) + api.library;
}

void appendUnused(Lines& lines, const analysis::UnusedReport& unused, bool hasObjectFiles)
{
    lines << sectionTitle(QStringLiteral("Unused Procedures"), false);
    lines << blanks(6) + QStringLiteral("A procedure is unused when no chain of calls leads to it from the start-up");
    if (hasObjectFiles) {
        lines << blanks(6) + QStringLiteral("routine, an event handler, or a Public or Friend procedure of a class, a");
        lines << blanks(6) + QStringLiteral("user control, a property page, a user document or a designer.");
    } else {
        lines << blanks(6) + QStringLiteral("routine, an event handler, or a Public or Friend procedure of a class.");
    }
    lines << QString();
    const qint64 count = qint64(unused.routines.size());
    lines << blanks(6) + QStringLiteral("Unused procedures: ") + countText(count) + QStringLiteral(" of ")
            + countText(unused.procedures) + QLatin1Char(' ') + share(count, unused.procedures);
    lines << blanks(6) + QStringLiteral("Unused code: ") + countText(unused.unusedCodeLines) + QStringLiteral(" of ")
            + plural(unused.procedureCodeLines, QStringLiteral("code line"), QStringLiteral("code lines"))
            + QLatin1Char(' ') + share(unused.unusedCodeLines, unused.procedureCodeLines);
    appendUnusedByFile(lines, unused);
    appendUnusedDeclarations(lines, unused);
}

void appendMostComplex(
    Lines& lines, const std::vector<analysis::RoutineMetrics>& metrics, const analysis::DependencyIndex& index)
{
    const std::vector<analysis::RoutineMetrics> ranked = mostComplexRoutines(metrics);
    lines << sectionTitle(QStringLiteral("Most Complex Routines"), true);
    if (ranked.empty()) {
        lines << blanks(6) + QStringLiteral("The project has no procedures.");
        return;
    }
    lines << blanks(6) + QStringLiteral("The ")
            + plural(qint64(ranked.size()), QStringLiteral("routine"), QStringLiteral("routines"))
            + QStringLiteral(" of highest cyclomatic complexity (decision points + 1).");
    for (size_t r = 0; r < ranked.size(); ++r) {
        const analysis::RoutineMetrics& m = ranked[r];
        const RoutinePtr routine = index.routineFor(m.key);
        const QString name = routine ? routine->routineName : m.key.section(QLatin1Char('|'), 1);
        lines << QString();
        lines << keptHeading(QString::number(r + 1).rightJustified(5) + QStringLiteral(". ") + m.fileName
            + QLatin1Char('|') + m.kind + QLatin1Char(' ') + name);
        lines << blanks(10) + QStringLiteral("Complexity: ") + countText(m.complexity())
                + QStringLiteral("   Decision points: ") + countText(m.decisions)
                + QStringLiteral("   Deepest nesting: ") + countText(m.nesting);
        lines << blanks(10) + QStringLiteral("Callers: ") + countText(m.fanIn) + QStringLiteral("   Callees: ")
                + countText(m.fanOut) + QStringLiteral("   API calls: ") + countText(m.apiCalls);
        lines << blanks(10) + QStringLiteral("Lines: ") + countText(m.codeLines) + QStringLiteral(" code, ")
                + countText(m.commentLines) + QStringLiteral(" comment, ") + countText(m.blankLines)
                + QStringLiteral(" blank");
    }
}

void appendModuleCalls(Lines& lines, const std::vector<analysis::CallEdge>& edges)
{
    lines << sectionTitle(QStringLiteral("Calls Between Modules"), true);
    if (edges.empty()) {
        lines << blanks(6) + QStringLiteral("No routine of the project calls another.");
        return;
    }
    lines << blanks(6) + QStringLiteral("Each line counts the pairs of calling and called routine, a module's calls");
    lines << blanks(6) + QStringLiteral("within itself included.");
    lines << QString();
    const QString callerHeading = QStringLiteral("Calling Module");
    const QString calleeHeading = QStringLiteral("Called Module");
    QStringList callers;
    QStringList callees;
    for (const analysis::CallEdge& edge : edges) {
        callers << edge.caller;
        callees << edge.callee;
    }
    const qsizetype callerWidth = columnWidth(callers, callerHeading.size());
    const qsizetype calleeWidth = columnWidth(callees, calleeHeading.size());
    lines << keptHeading(blanks(3) + fitColumn(callerHeading, callerWidth) + fitColumn(calleeHeading, calleeWidth)
        + QStringLiteral("  Calls"));
    for (const analysis::CallEdge& edge : edges) {
        lines << blanks(3) + fitColumn(edge.caller, callerWidth) + fitColumn(edge.callee, calleeWidth)
                + rightAligned(edge.calls, 7);
    }
}

} // namespace

model::Listing insightReport(
    const analysis::DependencyIndex& index, const model::FileList& files, const model::SourceReader& reader)
{
    Lines lines;
    const bool hasObjectFiles = std::any_of(files.begin(), files.end(),
        [](const model::FilePtr& file) { return model::isObjectFile(model::sourceKindOfType(file->fileType())); });
    appendUnused(lines, analysis::findUnused(index, files, reader), hasObjectFiles);
    appendMostComplex(lines, analysis::routineMetrics(index, reader), index);
    appendModuleCalls(lines, analysis::moduleCalls(index));
    return {std::move(lines), model::ListingColours::Plain};
}

} // namespace quillon::print
