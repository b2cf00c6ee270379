#pragma once
#include "model/Outcome.h"
#include "print/TocRecord.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quillon::config {
class SuppressibleMessages;
}
namespace quillon::model {
class DiagLog;
class Project;
} // namespace quillon::model
namespace quillon::platform {
class IMessageBox;
}

// The printable table of contents: the entries of the list grouped by category, file and
// kind, each with its last printing and line counts, then the project summary. The lines
// carry the line printer's markup tags; printing them is the print run's business.
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
QStringList tableOfContentsLines(
    const std::vector<TocEntry>& entries, const model::Project& project, bool suppressNotes);

// A report written to a file of its own, to be printed as one routine.
struct TocFile {
    QString path;
    int lineCount = 0;
};

// Writes the lines to a new file "QLN_TOC_<hhmmss>_<unique>.txt" in the temporary folder,
// UTF-8 with CR LF line ends. The name never clashes with another table of contents being
// written at the same second; a failed write leaves no file.
model::Outcome<TocFile> writeTocFile(const QStringList& lines, model::DiagLog* log = nullptr);
// The same for another report the program writes: "<namePrefix><hhmmss>_<unique>.txt"; what
// names the report in the error.
model::Outcome<TocFile> writeReportFile(
    const QStringList& lines, const QString& namePrefix, const QString& what, model::DiagLog* log = nullptr);
// Removes the file once it has been printed (an interrupted program removes it too).
void removeTocFile(const TocFile& file);

// The pseudo-routine the print run prints the file as: "Table of Contents", kind "TOC",
// lines 1 to the number of lines written. Another report the program writes prints the same
// way under its own title, which heads its pages.
model::RoutinePtr makeTocRoutine(const TocFile& file, const QString& title = QStringLiteral("Table of Contents"));

// Everything before printing: stale keys checked again, "No TOC data found." when the list
// is empty (shown, and the failure's text), the lines built and written.
model::Outcome<TocFile> prepareTableOfContents(TocList& list, const model::Project& project, platform::IMessageBox& box,
    bool suppressNotes, model::DiagLog* log = nullptr);

} // namespace quillon::print
