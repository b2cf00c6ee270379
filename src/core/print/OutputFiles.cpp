#include "print/OutputFiles.h"

#include "config/PageSetup.h"

namespace quillon::print {

using config::twelveHourTime;

QString suggestedOutputName(const QString& projectName, const QDateTime& when)
{
    return QStringLiteral("!") + when.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
        + twelveHourTime(when.time(), true, QLatin1Char('.')) + QLatin1Char(' ') + projectName
        + QStringLiteral(" Program Documentation.pdf");
}

} // namespace quillon::print
