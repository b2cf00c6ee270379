#pragma once
#include "app/PrintCommands.h"

namespace quillon::app {

// quillon html PROJECT.vbp -o FOLDER [--files NAME,...] [--routines KEY,...] [--brackets] [--jobs N]
int runHtml(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const CliServices& services, const BatchConsole& batch, std::ostream& out, std::ostream& err);

} // namespace quillon::app
