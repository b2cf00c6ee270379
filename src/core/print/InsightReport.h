#pragma once
#include "model/ListingLine.h"
#include "model/Routine.h"
#include "analysis/RoutineMetrics.h"

#include <QString>

namespace quillon::analysis {
class DependencyIndex;
}
namespace quillon::model {
class SourceReader;
}

// The project insight report: the procedures nothing uses, the most complex routines and the
// calls between modules, read from the call index. A plain listing with its headings marked,
// printed as the table of contents is, in the house frame.
namespace quillon::print {

inline const QString kInsightTitle = QStringLiteral("Project Insight");
constexpr int kMostComplexCount = 25;

// The routines of highest complexity, at most kMostComplexCount: the declarations left out, of
// equal complexity the longer code first, then the index's order.
std::vector<analysis::RoutineMetrics> mostComplexRoutines(std::vector<analysis::RoutineMetrics> metrics);

// Three sections, each starting on a page of its own with a bold heading: "Unused
// Procedures" (by file, with the share of unused code), "Most Complex Routines" and "Calls
// Between Modules"; ready for makeTocRoutine(report, kInsightTitle).
model::Listing insightReport(
    const analysis::DependencyIndex& index, const model::FileList& files, const model::SourceReader& reader);

} // namespace quillon::print
