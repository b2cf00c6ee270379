#pragma once
#include <QDateTime>
#include <QString>

namespace quillon::print {

// "!" + "yyyy-mm-dd h.nn.ss am/pm" + " " + the project's name + " Program Documentation.pdf":
// the "!" and the date sort the newest documentation first in a folder listing.
QString suggestedOutputName(const QString& projectName, const QDateTime& when);

} // namespace quillon::print
