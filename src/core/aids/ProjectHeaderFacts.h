#pragma once
#include "aids/HeaderTemplates.h"

#include <QDate>

namespace quillon::analysis {
class DependencyIndex;
}
namespace quillon::config {
class Options;
}
namespace quillon::model {
class Project;
}

namespace quillon::aids {

// What the header templates take from the loaded project: its name, the "Author" option, the date,
// and who calls whom from the dependency index (none without one). The index is read when a header
// is filled: it must outlive the facts.
HeaderFacts projectHeaderFacts(const model::Project& project, const analysis::DependencyIndex* dependencies,
    const config::Options& options, const QDate& date);

} // namespace quillon::aids
