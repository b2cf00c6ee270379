#pragma once
#include "model/Routine.h"
#include "print/TocText.h"

#include <QStringList>

namespace quillon::analysis {
class DependencyIndex;
}
namespace quillon::model {
class DiagLog;
class SourceReader;
} // namespace quillon::model

// The project insight report: the procedures nothing uses, the most complex routines and the
// calls between modules, read from the call index. Its lines carry the line printer's markup
// tags and print as the table of contents does, in the house frame.
namespace quillon::print {

inline const QString kInsightTitle = QStringLiteral("Project Insight");
constexpr int kMostComplexCount = 25;

// Three sections, each starting on a page of its own with a bold heading: "Unused
// Procedures" (by file, with the share of unused code), "Most Complex Routines" and "Calls
// Between Modules".
QStringList insightReportLines(
    const analysis::DependencyIndex& index, const model::FileList& files, const model::SourceReader& reader);

// The report written to "QLN_Insight_<hhmmss>_<unique>.txt" in the temporary folder, ready
// for makeTocRoutine(file, kInsightTitle).
model::Outcome<TocFile> writeInsightReport(const analysis::DependencyIndex& index, const model::FileList& files,
    const model::SourceReader& reader, model::DiagLog* log = nullptr);

} // namespace quillon::print
