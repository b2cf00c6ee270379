#pragma once
#include "model/ListingLine.h"

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

// What the highlighter knows about the lines it colours.
struct HighlightContext {
    const analysis::SymbolTable* symbols = nullptr; // none: only comments, literals, declarations, built-ins
    QString file; // the path of the routine's file
    QString routineName;
    bool isDeclarations = false;
    // A report's lines know no routine's parameters or module's variables; a plain listing
    // (the table of contents, the insight report) is not highlighted at all.
    model::ListingColours colours = model::ListingColours::Source;
};

// The segments of one line, sorted and made non-overlapping: each elementary interval between
// the segments' boundaries gets the colour of the highest-priority segment covering it.
// Intervals of the same colour are not merged. An empty line, or a line of a plain listing,
// has no segments.
std::vector<Segment> buildHighlightSegments(QStringView line, const HighlightContext& context);

} // namespace quillon::print
