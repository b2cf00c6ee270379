#pragma once
#include <QString>
#include <QStringList>

#include <vector>

namespace quillon::model {
struct Routine;
class SourceReader;
} // namespace quillon::model

// Size and shape of every indexed routine: its line counts, how it sits in the call index and
// how much branching its code holds.
namespace quillon::analysis {

class DependencyIndex;

struct RoutineMetrics {
    QString key;
    QString fileName;
    QString kind; // "Private Function"; the bare kind when the signature names no scope
    int codeLines = 0;
    int commentLines = 0;
    int blankLines = 0;
    int fanIn = 0; // distinct callers
    int fanOut = 0; // distinct callees
    int apiCalls = 0;
    int decisions = 0;
    int nesting = 0; // deepest block nesting
    int complexity() const { return decisions + 1; }
};

// The decision points of a routine's lines: each If and ElseIf (one-line If included), each
// Case but Case Else, each For, Do While/Until, Loop While/Until and While, and each And, Or,
// AndAlso and OrElse in the condition of an If, ElseIf, Do, Loop or While. Strings and
// comments do not count; a statement continued over several lines counts once.
int decisionPoints(const QStringList& lines);

// The deepest block nesting of lines firstLine..lastLine (1-based) as the loop-bracket
// listing draws it; 0 for straight code.
int deepestNesting(const QStringList& fileLines, int firstLine, int lastLine);

// The record of one routine of the index (key as the index has it), from its file's lines.
RoutineMetrics metricsOf(
    const DependencyIndex& index, const QString& key, const model::Routine& routine, const QStringList& fileLines);

// One record per routine of the index's routine map, in its order. Files that cannot be read
// give 0 decisions and 0 nesting.
std::vector<RoutineMetrics> routineMetrics(const DependencyIndex& index, const model::SourceReader& reader);

// A header line of the field names and a line per routine, TAB separated.
QString metricsTsv(const std::vector<RoutineMetrics>& metrics);
// {"version": 1, "routines": [...]} with a routine per line.
QString metricsJson(const std::vector<RoutineMetrics>& metrics);

} // namespace quillon::analysis
