#pragma once
#include "app/CliSupport.h"

namespace quillon::config {
class Session;
}

namespace quillon::app {

// quillon aid shrink|movedim PROJECT.vbp [--files NAME,...] [--routines KEY,...]: the rewrite over
// the chosen files and procedures (all of them by default), each file backed up first; the report
// on stdout.
int runAid(const Arguments& args, config::Session& session, const model::SourceReader& reader, std::ostream& out,
    std::ostream& err);

// quillon backups [restore N,...|all [--no-backup] | delete N,...|all]: the registered edit
// backups, one per line, or some of them put back or deleted.
int runBackups(const Arguments& args, config::Session& session, const model::SourceReader& reader, std::ostream& out,
    std::ostream& err);

} // namespace quillon::app
