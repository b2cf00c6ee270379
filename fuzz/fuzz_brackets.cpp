// Loop brackets: a routine's lines with their connectors, plus the report lines for unbalanced
// blocks; and each line through its markup form and back.
#include "FuzzSupport.h"

#include "analysis/LoopBrackets.h"
#include "model/ListingMarkup.h"
#include "model/TextPrimitives.h"

using namespace quillon;

namespace {

const QLatin1StringView kReportStart("'*** Unbalanced block: ");

// Each connector stands in two blanks of the text, left of the next one; a line whose text holds
// no tag of its own reads back from its markup form as it was.
void checkLine(const model::ListingLine& line)
{
    qsizetype free = 0;
    for (const model::Connector& connector : line.connectors) {
        FUZZ_CHECK(connector.column >= free && connector.column + 2 <= line.text.size());
        FUZZ_CHECK(QStringView(line.text).sliced(connector.column, 2) == u"  ");
        free = connector.column + 2;
    }
    if (!line.text.contains(QLatin1StringView("[ZRK-")))
        FUZZ_CHECK(model::decodeListingLine(model::encodeListingLine(line)) == line);
}

void checkListing(const QStringList& lines, int first, int last)
{
    const std::vector<model::ListingLine> listing = analysis::buildBracketListing(lines, first, last);
    const qsizetype from = std::max(first, 1);
    const qsizetype to = std::min<qsizetype>(last, lines.size());
    // Each source line comes out once, in order, with its text kept; whatever else the
    // listing holds is a report line. Each connector of the twenty tracked blocks and the line's
    // own adds at most the blanks up to the column limit, however deep the input is indented.
    qsizetype next = from;
    for (const model::ListingLine& out : listing) {
        checkLine(out);
        if (next <= to && model::trimLeadingBlanks(out.text) == model::trimLeadingBlanks(lines[next - 1])) {
            FUZZ_CHECK(out.text.size() <= lines[next - 1].size() + 21 * (analysis::kMaxBracketColumn + 2));
            ++next;
            continue;
        }
        FUZZ_CHECK(out.text.startsWith(kReportStart) && out.connectors.empty());
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
