#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

namespace quillon::bench {

inline double elapsedSeconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// The value written after NAME on the command line ("--lines 5000"), or FALLBACK when the
// option is missing or has no value.
inline QString option(const char* name, const QString& fallback = QString())
{
    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(QLatin1String(name));
    return at > 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

inline int intOption(const char* name, int fallback)
{
    bool ok = false;
    const int value = option(name).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace quillon::bench
