#pragma once
#include "platform/Environment.h"
#include "print/PrintRunConfig.h"

#include <functional>
#include <memory>

namespace quillon::analysis {
class ProjectAnalysis;
}
namespace quillon::model {
class Project;
}
namespace quillon::print {
class TocList;
}

// Where a print run over a loaded project is put together, the same way for the main window
// (Send, Project TOC, Project Insight) and the command line (`quillon print`, whole or in slices).
namespace quillon::formimage {

// What a print run over a loaded project is made from beside the queue. Everything is borrowed
// and outlives the run.
struct ProjectPrintParts {
    platform::IPrintSurface& surface;
    config::PageSetup& setup;
    const config::Options& options;
    config::SuppressibleMessages& warnings;
    platform::IMessageBox& messages;
    const model::Project& project;
    const analysis::ProjectAnalysis& analysis;
    // Where a form image too large for any output file goes instead (null: it is skipped).
    std::function<std::unique_ptr<platform::IPrintSurface>()> otherPrinter;
    print::TocList* history = nullptr; // the history is kept there when the list is open
    platform::RunEnvironment environment = platform::systemEnvironment();
};

// The run's configuration for the project: the dependency index and symbols, the reader and the
// routines the load split, routines found by key, the options' brackets, tab width and spool
// size, the project's name and document properties, form images through a FormImagePrinter and
// the print history in the table of contents list. The caller adds where the output and the
// status go.
print::PrintRunConfig projectPrintConfig(ProjectPrintParts parts);

} // namespace quillon::formimage
