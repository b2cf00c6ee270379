#include "model/ListingMarkup.h"

#include <algorithm>
#include <iterator>

namespace quillon::model {

namespace {

struct Tag {
    ListingMark mark;
    QLatin1StringView text;
};

// The one table of the tags, layout marks in the order they are written.
constexpr Tag kTags[] = {
    {ListingMark::NewPage, QLatin1StringView("[ZRK-N]")},
    {ListingMark::KeepWithNext, QLatin1StringView("[ZRK-M]")},
    {ListingMark::Bold, QLatin1StringView("[ZRK-B]")},
    {ListingMark::Corner, QLatin1StringView("[ZRK-UL]")},
    {ListingMark::Tee, QLatin1StringView("[ZRK-T]")},
    {ListingMark::Last, QLatin1StringView("[ZRK-L]")},
    {ListingMark::Vertical, QLatin1StringView("[ZRK-V]")},
    {ListingMark::Gap, QLatin1StringView("[ZRK-X]")},
};
constexpr QLatin1StringView kTagStart("[ZRK-");

QLatin1StringView tagOf(ListingMark mark)
{
    return kTags[size_t(mark)].text; // in the order of ListingMark
}

// The tag the text starts with, if any.
const Tag* tagAt(QStringView text)
{
    if (!text.startsWith(kTagStart))
        return nullptr;
    const auto found =
        std::find_if(std::begin(kTags), std::end(kTags), [text](const Tag& tag) { return text.startsWith(tag.text); });
    return found == std::end(kTags) ? nullptr : found;
}

} // namespace

QString encodeListingLine(const ListingLine& line)
{
    QString out;
    out.reserve(line.text.size() + 8 * qsizetype(line.connectors.size()) + 24);
    for (const ListingMark mark : {ListingMark::NewPage, ListingMark::KeepWithNext, ListingMark::Bold}) {
        if (line.has(mark))
            out += tagOf(mark);
    }
    const QStringView text(line.text);
    qsizetype at = 0;
    for (const Connector& connector : line.connectors) {
        const qsizetype column = std::clamp(connector.column, at, text.size());
        out += text.sliced(at, column - at);
        out += tagOf(connector.kind);
        at = std::min(column + 2, text.size());
    }
    out += text.sliced(at);
    return out;
}

ListingLine decodeListingLine(QStringView text)
{
    ListingLine line;
    qsizetype at = 0;
    while (const Tag* tag = tagAt(text.sliced(at))) {
        if (isConnector(tag->mark))
            break;
        line.set(tag->mark);
        at += tag->text.size();
    }
    line.text.reserve(text.size() - at);
    while (at < text.size()) {
        const qsizetype open = text.indexOf(kTagStart, at);
        if (open < 0) {
            line.text += text.sliced(at);
            break;
        }
        const Tag* tag = tagAt(text.sliced(open));
        if (!tag || !isConnector(tag->mark)) {
            line.text += text.sliced(at, open + 1 - at);
            at = open + 1;
            continue;
        }
        line.text += text.sliced(at, open - at);
        line.connectors.push_back({line.text.size(), tag->mark});
        line.text += QLatin1String("  ");
        at = open + tag->text.size();
    }
    return line;
}

} // namespace quillon::model
