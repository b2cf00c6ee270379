#include "print/Highlight.h"

#include "analysis/SymbolTable.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"

#include <QSet>

#include <algorithm>

namespace quillon::print {

using model::upperCase;

int segmentPriority(int colourIndex)
{
    // Highest first: a comment shows over everything, plain text over nothing.
    constexpr int kOrder[] = {colour::Comment, colour::Literal, colour::LongLineBand, colour::ByRef, colour::Constant,
        colour::Global, colour::ModuleVariable, colour::ProcedureName, colour::Normal};
    const auto* at = std::find(std::begin(kOrder), std::end(kOrder), colourIndex);
    return at == std::end(kOrder) ? 0 : 900 - 100 * int(at - std::begin(kOrder));
}

QString expandTabs(QStringView line, int tabWidth)
{
    if (!line.contains(QLatin1Char('\t')))
        return line.toString();
    const int width = std::max(tabWidth, 1);
    QString out;
    out.reserve(line.size() + 16);
    qsizetype column = 1;
    for (QChar c : line) {
        if (c == QLatin1Char('\t')) {
            const qsizetype blanks = width - ((column - 1) % width);
            out.append(QString(blanks, QLatin1Char(' ')));
            column += blanks;
        } else {
            out.append(c);
            ++column;
        }
    }
    return out;
}

namespace {

// Names are read without their type character, so "Left$" is found as LEFT.
const QSet<QString>& builtInFunctions()
{
    static const QSet<QString> names = {
        "LBOUND",
        "UBOUND",
        "LEFT",
        "RIGHT",
        "MID",
        "LEN",
        "LENB",
        "TRIM",
        "LTRIM",
        "RTRIM",
        "UCASE",
        "LCASE",
        "SPACE",
        "INSTR",
        "INSTRREV",
        "REPLACE",
        "SPLIT",
        "JOIN",
        "FORMAT",
    };
    return names;
}

int nameColour(const QString& name, const QString& previous, const QString& beforePrevious, QStringView line, int start,
    int end, const HighlightContext& context, bool skipRoutine, bool skipModule)
{
    // A keyword never names a procedure: "As" after "Sub" is a Type member named Sub.
    const bool declared = (previous == QLatin1String("SUB") || previous == QLatin1String("FUNCTION")
                              || ((previous == QLatin1String("LET") || previous == QLatin1String("GET")
                                      || previous == QLatin1String("SET"))
                                  && beforePrevious == QLatin1String("PROPERTY")))
        && !model::isStatementKeyword(name);
    if (declared || builtInFunctions().contains(name))
        return colour::ProcedureName;
    const analysis::SymbolTable* symbols = context.symbols;
    if (!symbols)
        return -1;
    if (!skipRoutine && symbols->isByRefParameter(context.file, context.routineName, name))
        return colour::ByRef;
    if (!skipModule && symbols->isModuleVariable(context.file, name))
        return colour::ModuleVariable;
    if (symbols->isGlobalVariable(name))
        return colour::Global;
    if (symbols->isConstant(name))
        return colour::Constant;
    if (symbols->isProcedureName(name) && analysis::isProcedureReference(line, start, end, previous))
        return colour::ProcedureName;
    return -1;
}

std::vector<Segment> normalise(std::vector<Segment> raw)
{
    std::stable_sort(raw.begin(), raw.end(), [](const Segment& a, const Segment& b) { return a.start < b.start; });
    std::vector<int> bounds;
    bounds.reserve(raw.size() * 2);
    for (const Segment& s : raw) {
        bounds.push_back(s.start);
        bounds.push_back(s.end + 1);
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    if (bounds.size() < 2)
        return {};
    const size_t intervals = bounds.size() - 1;
    std::vector<int> best(intervals, -1);
    std::vector<int> bestPriority(intervals, -1);
    for (const Segment& s : raw) {
        const size_t first = size_t(std::lower_bound(bounds.begin(), bounds.end(), s.start) - bounds.begin());
        const size_t last = size_t(std::lower_bound(bounds.begin(), bounds.end(), s.end + 1) - bounds.begin());
        const int priority = segmentPriority(s.colour);
        for (size_t k = first; k < last; ++k) {
            if (priority > bestPriority[k]) {
                bestPriority[k] = priority;
                best[k] = s.colour;
            }
        }
    }
    std::vector<Segment> out;
    out.reserve(intervals);
    for (size_t k = 0; k < intervals; ++k) {
        if (best[k] >= 0)
            out.push_back({bounds[k], bounds[k + 1] - 1, best[k]});
    }
    return out;
}

} // namespace

std::vector<Segment> buildHighlightSegments(QStringView line, const HighlightContext& context)
{
    if (context.colours == model::ListingColours::Plain || line.isEmpty())
        return {};
    const int n = int(line.size());
    std::vector<Segment> segments;
    auto add = [&](int start, int end, int colourIndex) {
        start = std::max(start, 1);
        if (end >= start)
            segments.push_back({start, end, colourIndex});
    };
    add(1, n, colour::Normal);

    const bool report = context.colours == model::ListingColours::Report;
    const bool skipRoutine = report || context.isDeclarations || context.routineName.trimmed().isEmpty();
    const bool skipModule = report;

    // Literals and the comment are coloured; names are looked for in the code between them. A
    // literal left open gets no colour, but its text holds no names either.
    QString previous;
    QString beforePrevious;
    model::VbLineScanner scanner(line);
    model::VbLinePart part;
    while (scanner.next(part)) {
        if (part.kind == model::VbLinePart::Comment)
            add(int(part.start) + 1, n, colour::Comment);
        else if (part.kind == model::VbLinePart::Literal && part.closed)
            add(int(part.start) + 1, int(part.end), colour::Literal);
        if (part.kind != model::VbLinePart::Code)
            continue;
        qsizetype start = 0;
        for (qsizetype end = model::nextIdentifier(line, part.start, part.end, start); start < part.end;
             end = model::nextIdentifier(line, end, part.end, start)) {
            const QString word = upperCase(line.sliced(start, end - start));
            const int found = nameColour(
                word, previous, beforePrevious, line, int(start) + 1, int(end), context, skipRoutine, skipModule);
            if (found >= 0)
                add(int(start) + 1, int(end), found);
            beforePrevious = previous;
            previous = word;
        }
    }
    return normalise(std::move(segments));
}

} // namespace quillon::print
