#pragma once
#include "model/Outcome.h"

#include <QString>
#include <QStringList>

namespace quillon::print {

// Joins PDF files that Qt's PDF writer made into one file, in order, without interpreting
// their pages: every object is copied with its number moved past the earlier parts', and a
// new page-tree root holds the parts' page trees. Only the plain shape the writer produces is
// accepted (one classic cross-reference table, generation 0, no encryption); anything else is
// refused with a short reason and nothing written (the caller then joins them with qpdf). The
// target is replaced only by a complete file; the parts are read one at a time, piece by piece,
// and left as they are. Gives the pages in the joined file.
model::Outcome<int> joinPdfParts(const QStringList& parts, const QString& target);

} // namespace quillon::print
