#include "platform/Environment.h"

#include "platform/PrinterDefaults.h"
#include "platform/ProcessLauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quillon::platform {

namespace {
QString withSlash(QString folder)
{
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

QString tempFolder()
{
    for (const char* name : {"TEMP", "TMPDIR"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return withSlash(value);
    }
    return QStringLiteral("/tmp/");
}

QString appDataFolder()
{
    const QString appData = qEnvironmentVariable("APPDATA");
    if (!appData.isEmpty())
        return withSlash(appData);
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty())
        return withSlash(xdg);
    return withSlash(QDir::homePath() + QStringLiteral("/.config"));
}

QString userDataFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : xdg;
    return QDir::cleanPath(base + QStringLiteral("/Quillon"));
}

QString homeFolder()
{
    return QDir::cleanPath(QDir::homePath());
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return QDir::cleanPath(documents);
    return homeFolder();
}

QString programFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString programDataFolder()
{
    const QString program = programFolder();
    const QString installed = program + QStringLiteral("/../share/quillon");
    if (QFileInfo(installed).isDir())
        return withSlash(QDir::cleanPath(installed));
    return program + QStringLiteral("/Resources/");
}

RunEnvironment systemEnvironment()
{
    return {[] { return QDateTime::currentDateTime(); }, tempFolder(), programFolder(), qEnvironmentVariable("PATH"),
        std::make_shared<ProcessLauncher>()};
}

PrinterDefaults builtInPdfWriterDefaults()
{
    PrinterDefaults defaults;
    defaults.deviceName = QStringLiteral("Quillon PDF");
    defaults.driverName = QStringLiteral("Quillon PDF Writer");
    defaults.port = QStringLiteral("FILE:");
    defaults.paperCode = 1;
    defaults.orientationCode = 1;
    defaults.fontName = QStringLiteral("Courier New");
    defaults.fontSize = 10.0;
    defaults.duplexCode = 1;
    return defaults;
}

} // namespace quillon::platform
