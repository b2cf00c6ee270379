#pragma once
#include "app/CliSupport.h"

namespace quillon::config {
class Session;
}

namespace quillon::app {

// quillon spell PROJECT.vbp [--files NAME,...] [--literals-only] [--lang xx_YY]: each word of the
// literals and comments the dictionary does not know, as PATH:LINE:COLUMN, a TAB, the word, a TAB
// and its suggestions separated by ","; exit status 1 when there is one, 2 when there is no
// dictionary to check with.
int runSpell(const Arguments& args, const config::Session& session, const model::SourceReader& reader,
    std::ostream& out, std::ostream& err);

} // namespace quillon::app
