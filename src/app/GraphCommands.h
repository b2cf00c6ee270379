#pragma once
#include "app/CliSupport.h"

#include <ostream>

// The commands that show the call index as figures: per-routine metrics and the call graph.
namespace quillon::app {

// quillon metrics PROJECT.vbp [--format tsv|json]
int runMetrics(const Arguments& args, const model::SourceReader& reader, std::ostream& out, std::ostream& err);
// quillon graph PROJECT.vbp [--format dot|csv] [--modules] [--from KEY [--depth N] [--callers]]
int runGraph(const Arguments& args, const model::SourceReader& reader, std::ostream& out, std::ostream& err);

} // namespace quillon::app
