#pragma once
#include <QString>

#include <vector>

// A listing as every output takes it: lines of text with the marks that lay them out and the
// connectors drawn in their indentation. The analysis and the reports make listings; the
// printer (and any later output) only reads them.
namespace quillon::model {

// Everything a listing line can carry besides its text: three layout marks and the kinds of
// connector, each connector standing in two blank columns of the text.
enum class ListingMark : quint8 {
    NewPage, // the line starts a page
    KeepWithNext, // a heading: the line moves to the next page unless what follows fits too
    Bold,
    Corner, // a block or chain begins: from the middle of the line down, turning to the text
    Tee, // a middle of a block or a sibling in a chain: through the line, turning to the text
    Last, // the end of a block or chain: down to the middle, turning to the text
    Vertical, // a block or chain passes by
    Gap, // a column of a chain with nothing to draw
};

inline constexpr bool isConnector(ListingMark mark)
{
    return mark >= ListingMark::Corner;
}

struct Connector {
    qsizetype column = 0; // 0-based: the first of the two blanks of the text it stands in
    ListingMark kind = ListingMark::Gap;
    bool operator==(const Connector&) const = default;
};

struct ListingLine {
    QString text; // as printed, connectors as their blanks, tabs not expanded
    std::vector<Connector> connectors; // left to right, never overlapping
    QString link; // a report entry: the key of the routine it names; empty for none
    quint8 marks = 0; // the layout marks, one bit each

    ListingLine() = default;
    explicit ListingLine(QString lineText) : text(std::move(lineText)) { }

    bool has(ListingMark mark) const { return marks & bit(mark); }
    ListingLine& set(ListingMark mark) &
    {
        marks |= bit(mark);
        return *this;
    }
    ListingLine&& set(ListingMark mark) &&
    {
        marks |= bit(mark);
        return std::move(*this);
    }
    // Neither text nor marks nor connectors: printed as a blank line.
    bool isEmpty() const { return text.isEmpty() && marks == 0 && connectors.empty(); }
    bool operator==(const ListingLine&) const = default;

private:
    static quint8 bit(ListingMark mark) { return quint8(1u << unsigned(mark)); }
};

// A heading of a report: bold, and kept with the line after it.
inline ListingLine keptHeading(QString text)
{
    return ListingLine(std::move(text)).set(ListingMark::KeepWithNext).set(ListingMark::Bold);
}

// Reports append their lines as they go: a text is a plain line.
inline std::vector<ListingLine>& operator<<(std::vector<ListingLine>& lines, ListingLine line)
{
    lines.push_back(std::move(line));
    return lines;
}
inline std::vector<ListingLine>& operator<<(std::vector<ListingLine>& lines, QString text)
{
    lines.emplace_back(std::move(text));
    return lines;
}

// How the printer colours a listing's lines.
enum class ListingColours : quint8 {
    Source, // a routine's code: every highlight colour
    Report, // a dependency report: code colours, but no routine's parameters or module's variables
    Plain, // a table of contents or another text report: the normal colour throughout
};

struct Listing {
    std::vector<ListingLine> lines;
    ListingColours colours = ListingColours::Source;
};

} // namespace quillon::model
