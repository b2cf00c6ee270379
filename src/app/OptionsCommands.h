#pragma once
#include "app/CliSupport.h"

#include <functional>
#include <memory>

namespace quillon::config {
class Session;
}
namespace quillon::platform {
class IPrintSurface;
}

namespace quillon::app {

using SurfaceFactory = std::function<std::unique_ptr<platform::IPrintSurface>()>;

// quillon options [set SECTION KEY VALUE | check]: the dump of every option; one option set
// after the checks the options dialog would make for it; the whole set of checks on the
// stored options.
int runOptions(const Arguments& args, config::Session& session, const SurfaceFactory& surfaces, std::ostream& out,
    std::ostream& err);

// Whether the command line checks options on a print surface (and so needs fonts and printers).
bool optionsCommandMeasures(const QStringList& args);

} // namespace quillon::app
