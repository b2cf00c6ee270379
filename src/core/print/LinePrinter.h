#pragma once
#include "print/Highlight.h"
#include "print/PageFrame.h"

#include <QString>

#include <array>
#include <vector>

namespace quillon::config {
class SuppressibleMessages;
}
namespace quillon::model {
struct Routine;
}

namespace quillon::print {

// Markup tags of listing lines.
namespace tag {
inline const QString NewPage = QStringLiteral("[ZRK-N]");
inline const QString Bold = QStringLiteral("[ZRK-B]");
inline const QString Heading = QStringLiteral("[ZRK-M]");
inline const QString Corner = QStringLiteral("[ZRK-UL]");
inline const QString Tee = QStringLiteral("[ZRK-T]");
inline const QString Last = QStringLiteral("[ZRK-L]");
inline const QString Vertical = QStringLiteral("[ZRK-V]");
inline const QString Empty = QStringLiteral("[ZRK-X]");
} // namespace tag

// Message keys of the questions the line printer asks.
inline const QString kLongLineKey = QStringLiteral("Long Line Action");
inline const QString kWrapWarningKey = QStringLiteral("Wrap Warning");

// Where a wrapped line may break.
struct WrapBreak {
    int pieceLength; // characters that go on this piece
    int restStart; // 0-based index where the rest of the text begins
};
// text: the remaining text; lowest: the lowest break column; measure(n): width of the first
// n characters; hardMinimum: the fewest characters a break at the width limit keeps (printing
// keeps one, so that every piece advances).
template <typename Measure>
WrapBreak findBreak(QStringView text, int lowest, double maximumWidth, Measure measure, int hardMinimum = 1);

// Prints listing lines: tags, tab expansion, highlight colours, connectors, page breaks and
// the handling of lines too wide for the print box.
class LinePrinter {
public:
    LinePrinter(PageFrame& frame, PrintRunState& run, config::SuppressibleMessages* messages);

    // Highlight colours 0..9 (24-bit, red in the low byte).
    std::array<quint32, 10> colours {};
    const analysis::SymbolTable* symbols = nullptr;

    // One listing line; continueFlag becomes false when the user abandons the routine.
    void printSourceLine(
        const QString& line, const model::Routine* routine, bool& continueFlag, bool background = false);
    // A line known to fit, without highlight colours.
    void printLine(QString line, bool background);
    QString truncateToFit(const QString& line) const;
    // An over-long line in pieces, each on the long-line band.
    void wrapAndPrint(QString line);

    // Replaces the connector tags by blanks and records their columns.
    void processConnectorTags(QString& line);

    struct LineFlags {
        bool newPage = false;
        bool heading = false;
        bool bold = false;
        bool wrappedPiece = false;
        bool lastPiece = false;
    };

private:
    void print(const QString& text, bool background, const std::vector<Segment>& segments, const LineFlags& flags);
    void newPageKeepingConnectors();
    void fitOnPage(double rows);
    void drawConnectors(const LineFlags& flags);
    void longLineAction(const QString& line, const model::Routine* routine, bool& continueFlag,
        const std::vector<Segment>& segments, const LineFlags& flags);
    void wrap(const QString& line, const std::vector<Segment>& segments, const LineFlags& flags);
    void abandonNotice(const QString& line);
    double width(QStringView text) const;

    PageFrame& frame_;
    PrintRunState& run_;
    config::SuppressibleMessages* messages_;
};

template <typename Measure>
WrapBreak findBreak(QStringView text, int lowest, double maximumWidth, Measure measure, int hardMinimum)
{
    const int n = int(text.size());
    // The largest prefix that fits (widths grow with the length, so a binary search finds it).
    int low = 0;
    int high = n;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (measure(mid) <= maximumWidth)
            low = mid;
        else
            high = mid - 1;
    }
    const int fit = low;
    if (fit >= n)
        return {n, n};
    int blankPiece = -1;
    int backslashPiece = -1;
    for (int column = fit; column >= lowest + 1 && column >= 1; --column) {
        const QChar c = text[column - 1];
        if (blankPiece < 0 && c == QLatin1Char(' '))
            blankPiece = column; // the blank stays on the piece
        if (backslashPiece < 0 && c == QLatin1Char('\\'))
            backslashPiece = column - 1; // the piece ends before the backslash
        if (blankPiece >= 0 && backslashPiece >= 0)
            break;
    }
    const double fitWidth = measure(fit);
    int best = -1;
    for (int candidate : {blankPiece, backslashPiece}) {
        if (candidate > 0 && measure(candidate) < fitWidth && candidate > best)
            best = candidate;
    }
    // Either way the rest starts right after the piece: after the blank, or at the backslash.
    if (best > 0 && measure(best) >= fitWidth / 2)
        return {best, best};
    return {std::max(fit, hardMinimum), std::max(fit, hardMinimum)};
}

} // namespace quillon::print
