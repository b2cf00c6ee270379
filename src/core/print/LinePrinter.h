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

} // namespace quillon::print
