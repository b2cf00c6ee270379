#include "print/OutputFiles.h"

namespace quillon::print {

QString SuggestedOutputName(const QString& projectName, const QDateTime& when)
{
    const QTime t = when.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("!") + when.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
        + QStringLiteral("%1.%2.%3 %4")
              .arg(hour12)
              .arg(t.minute(), 2, 10, QLatin1Char('0'))
              .arg(t.second(), 2, 10, QLatin1Char('0'))
              .arg(t.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm"))
        + QLatin1Char(' ') + projectName + QStringLiteral(" Program Documentation.pdf");
}

} // namespace quillon::print
