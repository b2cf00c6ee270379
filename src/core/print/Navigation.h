#pragma once
#include "platform/PdfNavigation.h"
#include "platform/PrintSurface.h"

#include <QString>

#include <vector>

namespace quillon::model {
class DiagLog;
}

namespace quillon::print {

// A routine as it stands in a printed document: its file, its bookmark title and the page its
// header title stands on (0 = the document's first). target is the routine's key when other
// routines' reports may link to it; a heading of its own (a table of contents category) has no
// file.
struct PrintedEntry {
    QString file;
    QString title;
    QString target;
    int page = 0;
};

// What a print run noted for the navigation of its document: the routines in print order and
// the texts that name a routine (the entries of dependency reports).
struct DocumentMarks {
    std::vector<PrintedEntry> entries;
    std::vector<platform::TextArea> links;

    // Another document's marks, whose pages follow `pagesBefore` pages of this one.
    void append(const DocumentMarks& other, int pagesBefore);
};

// The outline (one bookmark per file in order of first appearance, its routines under it; a
// heading without a file stands on its own), the links whose routine is printed in the same
// document (to the first page of its first print) and the document's properties.
platform::DocumentNavigation buildNavigation(const DocumentMarks& marks, platform::DocumentInfo info);

// Gives the finished PDF at pdfPath the navigation of its marks and those properties. Without a
// navigator, or for a FIFO or device written as a stream, nothing is done; when the navigator
// fails, the file stays as printed and the log (when given) says why.
void navigatePdf(platform::IPdfNavigator* navigator, const QString& pdfPath, const DocumentMarks& marks,
    const platform::DocumentInfo& info, model::DiagLog* log);

// The properties of a document of `title` made from `source` (a project or source file name),
// by this program, at `created` (invalid: when the run that prints it starts).
platform::DocumentInfo documentInfoFor(const QString& title, const QString& source, const QDateTime& created);

// The bookmark title of a routine printed from a queue row: what the row says after the file
// name ("Public Sub Main", "Public Sub Main|Dep"); Layout, Declarations and Image by their kind.
QString bookmarkTitle(const QString& rowText, const QString& kindName);

} // namespace quillon::print
