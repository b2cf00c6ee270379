#pragma once
#include "formimage/FormImageRenderer.h"
#include "model/Routine.h"

#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <memory>

namespace quillon::analysis {
class ProjectAnalysis;
}
namespace quillon::config {
class Options;
}
namespace quillon::model {
class Project;
class SourceReader;
} // namespace quillon::model
namespace quillon::platform {
class IMessageBox;
class IPrintSurface;
} // namespace quillon::platform
namespace quillon::print {
class PrintRun;
struct PageSetup;
} // namespace quillon::print

// What a print run over a loaded project needs beside the queue, wired the same way for the
// main window and the command line.
namespace quillon::formimage {

// The ten highlight colours of the options.
std::array<quint32, 10> highlightColours(const config::Options& options);

// Prints one form image as a document of its own on the surface: the frame starts afresh,
// the image ends its routine. The pages printed; -1 when there was nothing to draw, -2 when
// the output could not be completed.
int printImageDocument(platform::IPrintSurface& surface, print::PageSetup& setup, const config::Options& options,
    const model::Routine& routine, const model::SourceReader& reader, platform::IMessageBox* messages);

// Joins a run to the project: the dependency index and symbols, the routines the load split,
// the options' brackets, tab width and spool size, and form images (drawn on the run's own
// surface, or sent as a job of their own to a surface from otherPrinter when one is too large
// for any output file). Lives as long as the run.
class ProjectRunWiring {
public:
    ProjectRunWiring(print::PrintRun& run, const model::Project& project, const analysis::ProjectAnalysis& analysis,
        print::PageSetup& setup, const config::Options& options, const model::SourceReader& reader,
        platform::IMessageBox* imageMessages, std::function<std::unique_ptr<platform::IPrintSurface>()> otherPrinter);

private:
    QHash<QString, model::RoutinePtr> byKey_;
    FormImageRenderer images_;
};

} // namespace quillon::formimage
