#pragma once
#include "model/ListingLine.h"
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

// Message keys of the questions the line printer asks.
inline const QString kLongLineKey = QStringLiteral("Long Line Action");
inline const QString kWrapWarningKey = QStringLiteral("Wrap Warning");

// Prints listing lines: their marks, tab expansion, highlight colours, connectors, page breaks
// and the handling of lines too wide for the print box.
class LinePrinter {
public:
    LinePrinter(PageFrame& frame, PrintRunState& run, config::SuppressibleMessages* messages);

    // Highlight colours 0..9 (24-bit, red in the low byte).
    std::array<quint32, 10> colours {};
    const analysis::SymbolTable* symbols = nullptr;

    // One line of the routine's listing, coloured as the listing says; continueFlag becomes
    // false when the user abandons the routine.
    void printListingLine(const model::ListingLine& line, const model::Routine* routine, bool& continueFlag,
        model::ListingColours colours = model::ListingColours::Source);
    QString truncateToFit(const QString& line) const;

    struct LineFlags {
        bool newPage = false;
        bool heading = false;
        bool bold = false;
        bool wrappedPiece = false;
        bool lastPiece = false;
    };

private:
    // Records where the line's connectors are drawn (text: the line with its tabs expanded).
    void placeConnectors(const model::ListingLine& line, const QString& text);
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
