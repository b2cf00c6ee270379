#pragma once
#include "model/ListingLine.h"
#include "print/TocRecord.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillon::config {
class SuppressibleMessages;
}
namespace quillon::model {
class Project;
}
namespace quillon::platform {
class IMessageBox;
}

// The printable table of contents: the entries of the list grouped by category, file and
// kind, each with its last printing and line counts, then the project summary, as a plain
// listing with its headings marked; printing it is the print run's business.
namespace quillon::print {

class TocList;

// "Two notes appear at the end of the TOC summary..." through the suppressible message box.
// True when the user wants the notes left out.
bool askSuppressTocNotes(config::SuppressibleMessages& messages);

// "            Last Printed: 3/7/26 2:05:09 pm       Total Pages: 12D"
QString tocHistoryLine(const TocRecord& record);
// The line counts under an entry (indent 12) or in the summary (indent 6, wider first column).
QString tocLineCountLine(
    const QString& total, const QString& blank, const QString& comment, const QString& code, bool summary);

// Every line of the table of contents for these entries (in any order; they are listed by
// their keys as the profile reader returns them, ignoring case). Keys without "|" or with an
// empty side are left out. project gives the folders shown beside the file names.
std::vector<model::ListingLine> tableOfContentsLines(
    const std::vector<TocEntry>& entries, const model::Project& project, bool suppressNotes);

// The pseudo-routine the print run prints a report the program made as: "Table of Contents",
// kind "TOC", lines 1 to the number of lines of the listing it holds. Another report (the
// insight report) prints the same way under its own title, which heads its pages.
model::RoutinePtr makeTocRoutine(model::Listing listing, const QString& title = QStringLiteral("Table of Contents"));

// Everything before printing: stale keys checked again, "No TOC data found." when the list
// is empty (nothing then), the listing built.
std::optional<model::Listing> prepareTableOfContents(
    TocList& list, const model::Project& project, platform::IMessageBox& box, bool suppressNotes);

} // namespace quillon::print
