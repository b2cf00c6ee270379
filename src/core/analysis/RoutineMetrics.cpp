#include "analysis/RoutineMetrics.h"
#include "analysis/DependencyIndex.h"
#include "analysis/LogicalLine.h"
#include "analysis/LoopBrackets.h"
#include "model/RoutineParser.h"
#include "model/SourceText.h"
#include "model/TextPrimitives.h"

#include <QHash>

#include <algorithm>

namespace quillon::analysis {

using namespace quillon::model;

namespace {

// A word of a masked statement, upper-cased; ":" stands for the end of a statement.
struct Word {
    QString text;
    bool startsStatement = false;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

std::vector<Word> wordsOf(QStringView masked)
{
    std::vector<Word> words;
    bool atStart = true;
    qsizetype i = 0;
    while (i < masked.size()) {
        const QChar c = masked[i];
        if (c.isLetter() || (c == QLatin1Char('#') && i + 1 < masked.size() && masked[i + 1].isLetter())) {
            // "#If" is a directive, not a decision: the hash stays part of the word.
            qsizetype end = i + 1;
            while (end < masked.size() && isWordChar(masked[end]))
                ++end;
            const QString text = masked.mid(i, end - i).toString().toUpper();
            words.push_back({text, atStart});
            // A one-line If holds statements after its Then and Else.
            atStart = text == QLatin1String("THEN") || text == QLatin1String("ELSE");
            i = end;
            continue;
        }
        if (c == QLatin1Char(':') && !(i + 1 < masked.size() && masked[i + 1] == QLatin1Char('='))) {
            words.push_back({QStringLiteral(":"), false});
            atStart = true;
        } else if (!c.isSpace()) {
            // A line number in front of a statement leaves it the first word.
            atStart = atStart && c.isDigit();
            while (i + 1 < masked.size() && isWordChar(masked[i + 1]) && c.isDigit())
                ++i; // a number's digits and suffix are not words
        }
        ++i;
    }
    return words;
}

int statementDecisions(const std::vector<Word>& words)
{
    enum class Condition { None, UntilThen, UntilStatementEnd };
    Condition condition = Condition::None;
    int count = 0;
    for (size_t k = 0; k < words.size(); ++k) {
        const QString& w = words[k].text;
        const QString next = k + 1 < words.size() ? words[k + 1].text : QString();
        if (condition != Condition::None) {
            if (w == QLatin1String("AND") || w == QLatin1String("OR") || w == QLatin1String("ANDALSO")
                || w == QLatin1String("ORELSE")) {
                ++count;
                continue;
            }
            if ((condition == Condition::UntilThen && w == QLatin1String("THEN")) || w == QLatin1String(":"))
                condition = Condition::None;
            if (condition != Condition::None || w == QLatin1String("THEN"))
                continue;
        }
        if (!words[k].startsStatement)
            continue;
        if (w == QLatin1String("IF") || w == QLatin1String("ELSEIF")) {
            ++count;
            condition = Condition::UntilThen;
        } else if (w == QLatin1String("CASE")) {
            count += next != QLatin1String("ELSE");
        } else if (w == QLatin1String("FOR")) {
            ++count;
        } else if (w == QLatin1String("WHILE")
            || ((w == QLatin1String("DO") || w == QLatin1String("LOOP"))
                && (next == QLatin1String("WHILE") || next == QLatin1String("UNTIL")))) {
            ++count;
            condition = Condition::UntilStatementEnd;
            k += w != QLatin1String("WHILE"); // the While or Until itself is no new statement
        }
    }
    return count;
}

QString jsonString(const QString& text)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\') + QString(c);
        else if (c.unicode() < 0x20)
            quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            quoted += c;
    }
    return quoted + QLatin1Char('"');
}

const char* const kFieldNames[] = {"key", "file", "kind", "code", "comments", "blanks", "fanIn", "fanOut", "apiCalls",
    "decisions", "complexity", "nesting"};

std::vector<int> numbersOf(const RoutineMetrics& m)
{
    return {m.codeLines, m.commentLines, m.blankLines, m.fanIn, m.fanOut, m.apiCalls, m.decisions, m.complexity(),
        m.nesting};
}

} // namespace

int decisionPoints(const QStringList& lines)
{
    int count = 0;
    const int last = int(lines.size()) - 1;
    for (int k = 0; k <= last;) {
        const LogicalLine line = joinLogicalLine(lines, k, last);
        count += statementDecisions(wordsOf(maskForCallScan(line.text)));
        k += std::max(line.consumed, 1);
    }
    return count;
}

int deepestNesting(const QStringList& fileLines, int firstLine, int lastLine)
{
    // A bracket line has one connector per open block.
    size_t deepest = 0;
    for (const model::ListingLine& line : buildBracketListing(fileLines, firstLine, lastLine))
        deepest = std::max(deepest, line.connectors.size());
    return int(deepest);
}

RoutineMetrics metricsOf(
    const DependencyIndex& index, const QString& key, const Routine& routine, const QStringList& fileLines)
{
    auto sizeOf = [](const OrderedKeyList* list) { return list ? int(list->size()) : 0; };
    RoutineMetrics m;
    m.key = key;
    m.fileName = fileNameOf(routine.filePath);
    m.kind = kindTextOf(routine);
    m.codeLines = routine.codeLines;
    m.commentLines = routine.commentLines;
    m.blankLines = routine.blankLines;
    m.fanIn = sizeOf(index.calledByMap().find(key));
    m.fanOut = sizeOf(index.callsMap().find(key));
    m.apiCalls = sizeOf(index.apiCallMap().find(key));
    const int first = std::max(routine.startLine, 1);
    const int last = std::min<int>(routine.endLine, int(fileLines.size()));
    if (first <= last) {
        m.decisions = decisionPoints(fileLines.mid(first - 1, last - first + 1));
        m.nesting = deepestNesting(fileLines, first, last);
    }
    return m;
}

std::vector<RoutineMetrics> routineMetrics(const DependencyIndex& index, const SourceReader& reader)
{
    std::vector<RoutineMetrics> metrics;
    QHash<QString, QStringList> files; // read once each, by path as the routines give it
    for (const auto& [key, routine] : index.routineMap().entries()) {
        auto file = files.find(routine->filePath);
        if (file == files.end())
            file = files.insert(routine->filePath, reader.read(routine->filePath).valueOr({}).lines);
        metrics.push_back(metricsOf(index, key, *routine, *file));
    }
    return metrics;
}

QString metricsTsv(const std::vector<RoutineMetrics>& metrics)
{
    QStringList header;
    for (const char* name : kFieldNames)
        header << QString::fromLatin1(name);
    QString text = header.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const RoutineMetrics& m : metrics) {
        QStringList fields {m.key, m.fileName, m.kind};
        for (const int n : numbersOf(m))
            fields << QString::number(n);
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QString metricsJson(const std::vector<RoutineMetrics>& metrics)
{
    QString text = QStringLiteral("{\"version\": 1, \"routines\": [");
    for (size_t r = 0; r < metrics.size(); ++r) {
        const RoutineMetrics& m = metrics[r];
        QStringList fields {jsonString(m.key), jsonString(m.fileName), jsonString(m.kind)};
        for (const int n : numbersOf(m))
            fields << QString::number(n);
        QStringList members;
        for (qsizetype f = 0; f < fields.size(); ++f)
            members << jsonString(QString::fromLatin1(kFieldNames[f])) + QStringLiteral(": ") + fields[f];
        text += (r ? QStringLiteral(",\n") : QStringLiteral("\n")) + QLatin1Char('{')
            + members.join(QStringLiteral(", ")) + QLatin1Char('}');
    }
    return text + QStringLiteral("\n]}\n");
}

} // namespace quillon::analysis
