// Loop brackets: a routine's lines rewritten with connector tags, plus the report lines for
// unbalanced blocks.
#include "FuzzSupport.h"

#include "analysis/LoopBrackets.h"
#include "model/TextPrimitives.h"

using namespace quillon;

namespace {

const QLatin1StringView kReportStart("'*** Unbalanced block: ");

// The text of a listing line without its connector tags and indentation.
QString stripped(QStringView line)
{
    QString text = line.toString();
    for (const char* tag : {"[ZRK-UL]", "[ZRK-T]", "[ZRK-L]", "[ZRK-V]"})
        text.remove(QLatin1StringView(tag));
    return model::trimLeadingBlanks(text).toString();
}

void checkListing(const QStringList& lines, int first, int last)
{
    const QStringList listing = analysis::buildBracketListing(lines, first, last);
    const qsizetype from = std::max(first, 1);
    const qsizetype to = std::min<qsizetype>(last, lines.size());
    // Each source line comes out once, in order, with its text kept; whatever else the
    // listing holds is a report line. Each tag of the twenty tracked blocks and the line's
    // own adds at most the blanks up to the column limit, however deep the input is indented.
    qsizetype next = from;
    for (const QString& out : listing) {
        if (next <= to && stripped(out) == stripped(model::trimLeadingBlanks(lines[next - 1]))) {
            FUZZ_CHECK(out.size() <= lines[next - 1].size() + 21 * (analysis::kMaxBracketColumn + 8));
            ++next;
            continue;
        }
        FUZZ_CHECK(out.startsWith(kReportStart));
    }
    FUZZ_CHECK(next == std::max(to + 1, from));
}

// The lines with their indentation a hundred times deeper: blocks drawn past the column
// limit without inputs of that size.
QStringList deepened(const QStringList& lines)
{
    QStringList deep;
    deep.reserve(lines.size());
    for (const QString& line : lines) {
        const qsizetype blanks = line.size() - model::trimLeadingBlanks(line).size();
        deep << QString(blanks * 100, QLatin1Char(' ')).append(model::trimLeadingBlanks(line));
    }
    return deep;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = fuzz::sourceLines(fuzz::bytes(data, size));
    const int count = int(lines.size());
    checkListing(lines, 1, count);
    // A routine inside the file, as the printer asks for one: from the second line to the
    // one before the last.
    checkListing(lines, 2, count - 1);
    checkListing(deepened(lines), 1, count);
    return 0;
}
