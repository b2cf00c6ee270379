#pragma once
#include "model/ListingLine.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quillon::model {
class DiagLog;
}

// Loop brackets: a routine's lines as a listing that draws a bracket from each block opener
// (multi-line If, Select Case, Do, For, While) past its middles (Else, ElseIf, Case) to its
// closer. The connectors sit in the indentation, two columns each: a corner at the opener, a
// tee at each middle, a closing corner at the closer and a vertical on the lines between.
// Unbalanced blocks add comment lines starting with "'*** Unbalanced block: ".
namespace quillon::analysis {

// VB6 refuses physical lines longer than 1023 characters, so no real block opens further
// right. The limit keeps a line of millions of blanks from being repeated on every later
// line of its block.
inline constexpr int kMaxBracketColumn = 1023;

// The bracket listing of lines firstLine..lastLine (1-based, inclusive; clamped to the list)
// of a file's lines (line n is fileLines[n - 1]): each source line with its connectors, plus
// the report lines for unbalanced blocks.
//
// Only 20 nested blocks are tracked; deeper openers are drawn but not remembered. A block
// whose opener is indented by more than kMaxBracketColumn blanks is drawn at that column.
std::vector<model::ListingLine> buildBracketListing(const QStringList& fileLines, int firstLine, int lastLine);

struct BracketListingFile {
    QString path; // empty on failure
    int lineCount = 0;
};

// Writes the listing to TEMP "QLN_Bracket_" + current time "hhmmss" + ".txt" (replacing a
// file of that name), its lines in their markup form, UTF-8 with CR LF after every line; logs "Open OUTPUT " first when a
// log is given. Returns the path and the number of lines written. A failure leaves no
// partial file and returns an empty path and 0.
BracketListingFile writeBracketListing(const QStringList& fileLines, int firstLine, int lastLine, model::DiagLog* log);

} // namespace quillon::analysis
