#pragma once
#include "app/OptionsCommands.h"

namespace quillon::config {
class Session;
}

namespace quillon::app {

// quillon aid shrink|movedim|wrap PROJECT.vbp [--files NAME,...] [--routines KEY,...]
// [--long-line TEXT]: the rewrite over the chosen files and procedures (all of them by default),
// each file backed up first; the report on stdout. Wrap measures with a print surface.
int runAid(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const SurfaceFactory& surfaces, std::ostream& out, std::ostream& err);

// Whether the command line measures text on a print surface (and so needs fonts).
bool aidCommandMeasures(const QStringList& args);

// quillon backups [restore N,...|all [--no-backup] | delete N,...|all]: the registered edit
// backups, one per line, or some of them put back or deleted.
int runBackups(const Arguments& args, config::Session& session, const model::SourceReader& reader, std::ostream& out,
    std::ostream& err);

} // namespace quillon::app
