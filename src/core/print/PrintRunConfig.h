#pragma once
#include "model/Routine.h"
#include "model/SourceText.h"
#include "platform/Environment.h"
#include "platform/PdfNavigation.h"
#include "print/OutputWaits.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace quillon::analysis {
class DependencyIndex;
class SymbolTable;
} // namespace quillon::analysis
namespace quillon::config {
class Options;
struct PageSetup;
class PrintDevice;
class SuppressibleMessages;
} // namespace quillon::config
namespace quillon::model {
class DiagLog;
}
namespace quillon::platform {
class IMessageBox;
class IPrintSurface;
class IStatusSink;
} // namespace quillon::platform

namespace quillon::print {

class PageFrame;
struct LineStatistics;

// The print history the run keeps per routine (the table of contents list).
class IPrintHistory {
public:
    virtual ~IPrintHistory() = default;
    // After a routine printed: when, its estimated pages and whether the run was duplex; for
    // an Aggregate group also its line statistics.
    virtual void recordPrint(
        const QString& key, const QDateTime& when, int pages, bool duplex, const LineStatistics* aggregate) = 0;
    // The line counts of a dependency report as written to its file.
    virtual void recordDependencyCounts(const QString& key, int total, int blank, int other) = 0;
    // Around a run: the records may be kept in memory and written once at the end.
    virtual void beginRun() { }
    virtual void endRun() { }
};

// How a run draws form images ("Image" routines). The form image layer implements it; the
// print layer only knows when an image prints and how many pages it takes.
class IFormImagePrinter {
public:
    virtual ~IFormImagePrinter() = default;
    // Draws the image with the run's device and page frame, whose page number and estimate the
    // run has set as for any routine; false when nothing was printed.
    virtual bool printImage(const model::Routine& routine, config::PrintDevice& printer, PageFrame& frame) = 0;
    // The pages printImage prints for it with that device and frame, counted without drawing.
    virtual int imagePages(const model::Routine& routine, config::PrintDevice& printer, PageFrame& frame) = 0;
    // Prints it as a job of its own on another device (an image too large for any output
    // file); false when the device could not be selected.
    virtual bool printOnPrinter(const model::Routine& routine, const QString& device) = 0;
};

// What the run asks for when it needs the name of an output file (file targets).
struct OutputFileRequest {
    QString suggested; // the suggested output name, or its "_Part" n form for an oversize routine
    int batch = 1; // 1 for the run's first file, more for later batches
    int oversizePart = 0; // above 0: the next part of a routine larger than a whole file
    QString previous; // the file the last document went to; empty for the run's first file
};

// What a run prints, where its output goes and whom it tells how far it is.
struct PrintRunSettings {
    // Where the routines' names, calls and symbols come from.
    const analysis::DependencyIndex* index = nullptr;
    const analysis::SymbolTable* symbols = nullptr;
    // How source files are read, and the routines the load split (for property groups).
    const model::SourceReader* reader = &model::SourceReader::standard();
    const model::RoutinesByFileMap* loaded = nullptr;
    // Finds a routine of the project by its unique key (the routine a dependency report is on).
    std::function<model::RoutinePtr(const QString&)> findRoutine;
    // The project's name without folder and extension, for the suggested output name.
    QString projectName;
    bool brackets = false;
    int tabWidth = 4;
    // Draws the form images; without it images print nothing and take no room in a file.
    std::shared_ptr<IFormImagePrinter> formImages;
    std::shared_ptr<IPrintHistory> history;

    // The file a file target writes; empty asks for none (a printer).
    QString outputPath;
    // Names the output files of a file target. Without it the first file is outputPath and
    // later ones are derived from it; an empty answer is a cancelled save dialog.
    std::function<QString(const OutputFileRequest&)> chooseOutputFile;
    // Puts a suggested name where the user can paste it, when the platform has a clipboard.
    std::function<void(const QString&)> copyToClipboard;
    // The most printed lines one output file takes (0: no limit). A PDF target continues in
    // temporary parts that are combined into outputPath at the end.
    int gdiSpoolSize = 0;
    // A PDF written whole to outputPath gets an outline, links and these properties from it
    // afterwards; null leaves the file as the writer made it.
    platform::IPdfNavigator* navigator = nullptr;
    platform::DocumentInfo documentInfo;
    // How the output verification waits for the driver to write the file.
    OutputWaits waits = OutputWaits::system();

    // The status caption ("Printing ... (Procedure i of n) line j of k").
    std::function<void(const QString&)> status;
    // Where the combining step shows its waiting (the window's status line) and the run how
    // many routines it has printed; may be null.
    platform::IStatusSink* statusSink = nullptr;
    // Asked after each routine: true stops the run there, and what it wrote so far is thrown
    // away as when it fails (the window's Cancel button).
    std::function<bool()> cancelRequested;
    // A run that prints one slice of a larger queue numbers its procedures in the status caption
    // as the whole queue does: procedureOffset routines come before the slice, of procedureTotal
    // (0: the run's own count).
    int procedureOffset = 0;
    int procedureTotal = 0;
};

// Everything a print run is built from: what it borrows to draw, ask and log with (each
// outlives the run; the run may change the page set-up, as when a device has no duplex), the
// clock, temporary folder and launcher of its environment, and its settings.
struct PrintRunConfig : PrintRunSettings {
    PrintRunConfig(platform::IPrintSurface& surface, config::PageSetup& setup, const config::Options& options,
        config::SuppressibleMessages& warnings, platform::IMessageBox& messages, model::DiagLog* log)
        : surface(surface), setup(setup), options(options), warnings(warnings), messages(messages), log(log)
    { }

    platform::IPrintSurface& surface;
    config::PageSetup& setup;
    const config::Options& options;
    config::SuppressibleMessages& warnings;
    platform::IMessageBox& messages;
    model::DiagLog* log;
    platform::RunEnvironment environment = platform::systemEnvironment();
};

} // namespace quillon::print
