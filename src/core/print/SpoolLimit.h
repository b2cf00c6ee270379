#pragma once
#include "config/SuppressibleMessages.h"

#include <QString>

#include <vector>

namespace quillon::platform {
class IMessageBox;
}

namespace quillon::print {

class PageFrame;

// The GDI Spool Size applied while a run prints: the lines and parts the queue needs, the
// decision before each routine, and a form image too large for any output file.

// Counting lines and parts

// Lines a form image counts for: whole lines per page (at least 1) times its pages (at least 1).
qint64 imageSpoolLines(double printableHeight, double charHeight, int imagePages);

// One row of the print queue as the estimate sees it.
struct SpoolRow {
    bool selected = true;
    bool image = false;
    qint64 imageLines = 0; // imageSpoolLines for an image
    qint64 startLine = 0;
    qint64 endLine = 0;
};
struct PartEstimate {
    qint64 parts = 1;
    qint64 lastPartLines = 0;
};
// The output files the selected rows need. An image larger than a whole file counts 0 lines
// (it never goes into the file); a range that ends before it starts counts 0.
PartEstimate estimateParts(const std::vector<SpoolRow>& rows, int gdiSpoolSize, bool haveProject = true);

// Before a split-mode run: two or more parts expected, or the last one past 85 % of the limit.
bool expectsMultipleTemporaryFiles(const PartEstimate& estimate, int gdiSpoolSize);
config::Warning multipleTemporaryFilesNotice();

// The spool-limit decision before each routine

enum class SpoolAction {
    Print, // print into the current file
    StartOversize, // larger than a whole file: print it and split it while printing (part 1)
    ContinueOversize, // the rest of an oversize routine, still larger than a file: keep splitting
    FormImageException, // an image larger than a whole file: never into the file
    EndBatch, // outside split mode: end the document, ask to go on in a new batch
    NextTemporaryPart, // split mode: end the document, go on in the next temporary part
};

struct SpoolRoutine {
    bool image = false;
    qint64 imageLines = 0;
    qint64 startLine = 0;
    qint64 endLine = 0;
    qint64 lastPrintedLine = 0; // above 0: an oversize routine continued after this line
};
struct SpoolCounters {
    bool spoolControl = false; // the output goes to a file
    bool splitMode = false; // a PDF printer with automatic parts
    int gdiSpoolSize = 0;
    qint64 linesInPart = 0; // lines already sent to the current output file
};
struct SpoolDecision {
    SpoolAction action = SpoolAction::Print;
    qint64 routineLines = 0; // what the routine adds to the part once printed
};
SpoolDecision decideSpoolLimit(const SpoolRoutine& routine, const SpoolCounters& counters);

// Inside an oversize routine, after a printed line: stop here (and go on in the next file)
// when an even page has just begun and two more pages would pass the limit. linesInPart
// counts the routine's lines sent to this file so far.
bool oversizeRoutineStopsHere(
    bool newPageBegun, int pageNumber, qint64 linesInPart, double linesPerPage, int gdiSpoolSize);

// "Procedure Too Large - Continuing In New File": true to go on with part partNumber + 1.
bool askContinueOversize(platform::IMessageBox& box, int partNumber);
// "GDI Spool Size Reached": true to unselect what was printed and print the next batch.
bool askNextBatch(platform::IMessageBox& box, int firstSent, int lastSent, int totalSelected);

inline const QString kOversizeAbandonedStatus = QStringLiteral("Oversize procedure split abandoned by user");
inline const QString kBatchTerminatedStatus = QStringLiteral("Batch printing terminated");

// A form image larger than a whole output file

struct FormImageRoute {
    bool toDefaultPrinter = false;
    QString device; // the default printer to select when toDefaultPrinter
};
// Asks "Form Image Exceeds GDI Spool Size"; on Yes finds the default printer (the part of
// the default device setting before the first ","), and tells the user when there is none
// or it is the file target itself.
FormImageRoute chooseFormImageRoute(platform::IMessageBox& box, const QString& imageName,
    const QString& defaultDeviceSetting, const QString& fileTargetDevice);
// "Form Image Skipped" when the default printer cannot be selected.
void reportDefaultPrinterNotSelected(platform::IMessageBox& box, const QString& device);

// The page that stands in the file for the omitted image: page 1 of 1 of "Omitted Output
// Notice", the notice in bold red, the footer and the duplex blank page when needed.
void printOmittedOutputPage(PageFrame& frame, const QString& imageName, bool sentToPrinter);

} // namespace quillon::print
