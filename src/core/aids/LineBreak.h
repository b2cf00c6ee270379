#pragma once
#include <QStringView>

#include <algorithm>

// The break search that the printed listing and the wrap of source lines share.
namespace quillon::aids {

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

} // namespace quillon::aids
