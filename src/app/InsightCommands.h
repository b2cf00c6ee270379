#pragma once
#include "app/Cli.h"
#include "app/CliSupport.h"

namespace quillon::config {
class Session;
}

namespace quillon::app {

// quillon unused PROJECT.vbp: the procedures no root reaches and the Declare statements no
// routine calls, then the totals.
int runUnused(const Arguments& args, const model::SourceReader& reader, std::ostream& out, std::ostream& err);

// quillon insight PROJECT.vbp [-o OUT.pdf] [--text] [page options]: the unused procedures,
// the most complex routines and the calls between modules, printed in the house frame.
int runInsight(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const CliServices& services, std::ostream& out, std::ostream& err);

} // namespace quillon::app
