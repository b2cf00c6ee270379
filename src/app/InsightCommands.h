#pragma once
#include "app/CliSupport.h"

namespace quillon::app {

// quillon unused PROJECT.vbp: the procedures no root reaches and the Declare statements no
// routine calls, then the totals.
int runUnused(const Arguments& args, const model::SourceReader& reader, std::ostream& out, std::ostream& err);

} // namespace quillon::app
