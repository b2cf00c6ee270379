#pragma once
#include "formimage/FormImageRenderer.h"
#include "model/Routine.h"
#include "platform/Environment.h"
#include "print/PrintRun.h"

#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace quillon::analysis {
class ProjectAnalysis;
}

// What a print run over a loaded project needs beside the queue, wired the same way for the
// main window and the command line.
namespace quillon::formimage {

// The ten highlight colours of the options.
std::array<quint32, 10> highlightColours(const config::Options& options);

// Prints one form image as a document of its own on the surface: the frame starts afresh,
// the image ends its routine. The pages printed; -1 when there was nothing to draw, -2 when
// the output could not be completed.
int printImageDocument(platform::IPrintSurface& surface, config::PageSetup& setup, const config::Options& options,
    const model::Routine& routine, const model::SourceReader& reader, platform::IMessageBox* messages);

// A print run over a loaded project, set up the same way for the main window and the command
// line: the dependency index and symbols, the routines the load split, the options' brackets,
// tab width and spool size, form images (drawn on the run's own surface, or sent as a job of
// their own to a surface from otherPrinter when one is too large for any output file) and the
// print history in the table of contents list. The caller adds where the output and the status
// go.
class ProjectPrintRun {
public:
    struct Parts {
        platform::IPrintSurface& surface;
        config::PageSetup& setup;
        const config::Options& options;
        config::SuppressibleMessages& warnings;
        platform::IMessageBox& messages;
        const model::Project& project;
        const analysis::ProjectAnalysis& analysis;
        std::function<std::unique_ptr<platform::IPrintSurface>()> otherPrinter;
        print::TocList* history = nullptr; // the history is kept there when the list is open
        platform::RunEnvironment environment = platform::systemEnvironment();
    };
    explicit ProjectPrintRun(Parts parts);

    print::PrintRun& run() { return run_; }

private:
    print::PrintRun run_;
    QHash<QString, model::RoutinePtr> byKey_;
    FormImageRenderer images_;
    std::optional<print::TocListHistory> history_;
};

} // namespace quillon::formimage
