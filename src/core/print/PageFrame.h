#pragma once
#include "config/PageSetup.h"
#include "model/ListingLine.h"

#include <QString>

#include <functional>
#include <vector>

namespace quillon::model {
struct Routine;
}

namespace quillon::print {

// Connector columns of the current listing line (tree and bracket connectors), kept across
// page breaks; a new page resets the line bookkeeping.
struct ConnectorColumn {
    model::ListingMark kind; // one of the connector kinds
    double x; // from the left edge of the print box
};
struct ConnectorState {
    std::vector<ConnectorColumn> columns;
    double previousLineY = 0; // 0: no previous connector line on this page
    double lineAdvance = 0;
    static constexpr int kMaxColumns = 20;
};

// Counts kept per routine for the line statistics and the run summary. The counted lines are
// the blank lines, the wrapped pieces and the statements of the printed lines.
struct LineStatistics {
    int printedLines = 0;
    int blankLines = 0;
    int wrappedLines = 0;
    int statements = 0;
    int counted() const { return blankLines + wrappedLines + statements; }
    void reset() { *this = LineStatistics(); }
};

// What a print run shares with the line printer and the page frame.
struct PrintRunState {
    int statusCode = 0;
    int overLongLines = 0;
    bool abort = false;
    bool tocPrint = false;
    LineStatistics stats;
};

// The frame of every page: title above the print box, footer below it, page numbers, the
// binder offset on front sides and the blank back page of duplex runs.
class PageFrame {
public:
    PageFrame(config::PrintDevice& printer, PrintRunState& run);

    QString headerTitle;
    int pageNumber = 0;
    bool firstPageOfDocument = true;
    // Told when a routine's first page has begun, its header title printed.
    std::function<void()> routineStarted;
    QString totalPagesText;
    bool estimateFlag = false;
    double linesPerPage = 1;
    int estimatedPages = 0;
    double top = 0;
    double left = 0;
    double bottom = 0;
    bool connectorsInUse = false;
    ConnectorState connectors;
    quint32 normalTextColour = 0;

    void startPage();
    void printFooter();
    void printBlankPage();
    void endRoutine();
    // The page count the footer shows while the routine prints; a report the program made
    // counts its own lines. imagePages: the form image's own count for an Image routine.
    int estimatePages(const model::Routine& routine, int imagePages = 0);

    platform::IPrintSurface& surface() const;
    const config::PageGeometry& geometry() const;
    const config::PageSetup& setup() const;

private:
    config::PrintDevice& printer_;
    PrintRunState& run_;
};

} // namespace quillon::print
