#pragma once
#include <QString>
#include <QStringList>

namespace quillon::analysis {

// What ends a line whose string literal goes on in the next line: `"abc" & _`.
inline const QString kLiteralJoint = QStringLiteral("\" & _");

// A statement continued over several lines, as one line.
struct LogicalLine {
    QString text;
    int consumed = 1; // physical lines it was made of
};
// Joins the line at first (0-based) with the lines that continue it, not beyond last: a literal
// continued as "abc" & _ / "def" becomes "abcdef"; after any other " _" the blank stays.
LogicalLine joinLogicalLine(const QStringList& lines, int first, int last);

} // namespace quillon::analysis
