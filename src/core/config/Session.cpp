#include "config/Session.h"

#include "model/DiagLog.h"
#include "platform/Environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillon::config {

QString defaultOptionsPath()
{
    return platform::appDataFolder() + kProductName + QStringLiteral("/QLN.spi");
}

OptionsFileStatus prepareOptionsFile(const QString& path, model::DiagLog* log)
{
    OptionsFileStatus status;
    status.path = path;
    const QFileInfo info(path);
    if (info.isDir()) {
        status.error = QStringLiteral("it is a folder");
        return status;
    }
    if (info.exists() && !info.isFile()) {
        status.error = model::kNotARegularFile;
        return status;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        status.error = QStringLiteral("cannot create the folder ") + info.absolutePath();
        return status;
    }
    if (!info.exists()) {
        if (log)
            log->openOutput(path);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            status.error = file.errorString();
            return status;
        }
        status.created = true;
    }
    const QFileInfo file(path);
    status.usable = file.isReadable() && file.isWritable();
    if (!status.usable)
        status.error = file.isReadable() ? QStringLiteral("it cannot be written") : QStringLiteral("it cannot be read");
    return status;
}

Session::Session(
    platform::IMessageBox& box, const platform::IPrinterDefaults& printer, model::DiagLog* log, QString optionsPath)
    : ini(std::move(optionsPath), log), options(ini, printer), messages(ini, box), box(box), log_(log)
{ }

OptionsFileStatus Session::start()
{
    const OptionsFileStatus status = prepareOptionsFile(ini.defaultPath(), log_);
    options.writeProjectInfo();
    options.load();
    options.save();
    messages.loadAtStartup();
    return status;
}

} // namespace quillon::config
