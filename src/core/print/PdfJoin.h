#pragma once
#include <QString>
#include <QStringList>

namespace quillon::print {

struct PdfJoinResult {
    bool ok = false;
    QString error; // why the parts were not joined: the caller then joins them with qpdf
    int pages = 0; // pages in the joined file
};

// Joins PDF files that Qt's PDF writer made into one file, in order, without interpreting
// their pages: every object is copied with its number moved past the earlier parts', and a
// new page-tree root holds the parts' page trees. Only the plain shape the writer produces is
// accepted (one classic cross-reference table, generation 0, no encryption); anything else is
// refused with a short reason and nothing written. The target is replaced only by a complete
// file; the parts are read one at a time, piece by piece, and left as they are.
PdfJoinResult joinPdfParts(const QStringList& parts, const QString& target);

} // namespace quillon::print
