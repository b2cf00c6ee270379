#include "config/Session.h"

#include "model/DiagLog.h"
#include "model/TextPrimitives.h"
#include "platform/Environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillon::config {

QString defaultOptionsPath()
{
    return platform::appDataFolder() + kProductName + QStringLiteral("/QLN.spi");
}

model::Outcome<void> prepareOptionsFile(const QString& path, model::DiagLog* log)
{
    const QFileInfo info(path);
    if (info.isDir())
        return model::Failure {QStringLiteral("it is a folder")};
    if (info.exists() && !info.isFile())
        return model::Failure {model::kNotARegularFile};
    if (!QDir().mkpath(info.absolutePath()))
        return model::Failure {QStringLiteral("cannot create the folder ") + info.absolutePath()};
    if (!info.exists()) {
        if (log)
            log->openOutput(path);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return model::Failure {file.errorString()};
    }
    const QFileInfo file(path);
    if (!file.isReadable())
        return model::Failure {QStringLiteral("it cannot be read")};
    if (!file.isWritable())
        return model::Failure {QStringLiteral("it cannot be written")};
    return {};
}

Session::Session(
    platform::IMessageBox& box, const platform::IPrinterDefaults& printer, model::DiagLog* log, QString optionsPath)
    : ini(std::move(optionsPath), log), options(ini, printer), messages(ini, box), box(box), log_(log)
{ }

QStringList replaceUnusableFolders(Options& options)
{
    QStringList replaced;
    for (const OptionKey key : {opt::ProjectFolder, opt::VBPFolder, opt::OutputFolder}) {
        const OptionSpec& spec = *Options::find(QString::fromLatin1(key.suffix), QString::fromLatin1(key.key));
        const QString stored = options.text(key);
        const QString fallback = options.defaultText(spec);
        const QFileInfo folder(stored);
        if (stored == fallback || (folder.isDir() && folder.isWritable()))
            continue;
        options.set(key, fallback);
        replaced << QStringLiteral("The folder saved as ") + model::quote(spec.key) + QStringLiteral(", ")
                + model::quote(stored) + QStringLiteral(", does not exist or cannot be written.  Quillon uses ")
                + model::quote(fallback) + QStringLiteral(" instead.");
    }
    return replaced;
}

model::Outcome<void> Session::start()
{
    model::Outcome<void> status = prepareOptionsFile(ini.defaultPath(), log_);
    options.writeProjectInfo();
    options.load();
    // A folder kept from another machine or an installed copy's own folder is no place for
    // a user's files.
    const QStringList replaced = replaceUnusableFolders(options);
    if (!replaced.isEmpty())
        box.showMessage(platform::MessageIcon::Information, QStringLiteral("Folder Replaced"),
            replaced.join(model::kCrLf + model::kCrLf));
    options.save();
    messages.loadAtStartup();
    return status;
}

} // namespace quillon::config
