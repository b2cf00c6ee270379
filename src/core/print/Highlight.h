#pragma once
#include <QString>
#include <QStringView>

#include <vector>

namespace quillon::analysis {
class SymbolTable;
}

namespace quillon::print {

// A run of columns (1-based, inclusive) printed in one highlight colour (index 0..9).
struct Segment {
    int start;
    int end;
    int colour;
};

// Colour indexes of the highlight table.
namespace colour {
inline constexpr int Normal = 0;
inline constexpr int Comment = 1;
inline constexpr int Constant = 2;
inline constexpr int Global = 3;
inline constexpr int ModuleVariable = 4;
inline constexpr int ByRef = 5;
inline constexpr int ProcedureName = 6;
inline constexpr int Literal = 7;
inline constexpr int LongLineBand = 8;
inline constexpr int Theme = 9;
} // namespace colour

int segmentPriority(int colourIndex);

// Each tab becomes the blanks up to the next tab stop; every other character advances one column.
QString expandTabs(QStringView line, int tabWidth);

// The first occurrence of a tag is removed; true when it was there.
bool takeTag(QStringView tag, QString& line);
// Puts a taken tag back at the end of the line.
void appendTag(bool found, QStringView tag, QString& line);

// What the highlighter knows about the lines it colours.
struct HighlightContext {
    const analysis::SymbolTable* symbols = nullptr; // none: only comments, literals, declarations, built-ins
    QString filePath; // the routine's file
    QString routineName;
    bool isDeclarations = false;
    bool tocPrint = false; // while only the table of contents prints, nothing is highlighted
};

// A dependency listing: a ".txt" file whose name begins "QLN_DEP_", compared ignoring case.
bool isDependencyListing(const QString& filePath);

// The segments of one line, sorted and made non-overlapping: each elementary interval between
// the segments' boundaries gets the colour of the highest-priority segment covering it.
// Intervals of the same colour are not merged. An empty line, or a table-of-contents print,
// has no segments.
std::vector<Segment> buildHighlightSegments(QStringView line, const HighlightContext& context);

// A listing line as the line printer colours it: tabs expanded, the page, bold and heading
// tags taken off and the connector tags replaced by two blanks each.
QString prepareListingLine(QStringView line, int tabWidth);

} // namespace quillon::print
