#pragma once
#include "config/Ini.h"
#include "config/Options.h"
#include "config/SuppressibleMessages.h"
#include "model/Outcome.h"

namespace quillon::model {
class DiagLog;
}
namespace quillon::platform {
class IMessageBox;
class IPrinterDefaults;
} // namespace quillon::platform

namespace quillon::config {

// "QLN.spi" in the folder "Quillon" under the application-data folder.
QString defaultOptionsPath();

// Creates the options folder and an empty options file when they are missing; the creation
// is logged as "Open OUTPUT " + path. Fails when the file cannot be made, read and written.
model::Outcome<void> prepareOptionsFile(const QString& path, model::DiagLog* log);

// Replaces each of the three folder options that names no folder this user can write by its
// default; returns one sentence per folder replaced, naming both.
QStringList replaceUnusableFolders(Options& options);

// What every run of the program starts with: the options file prepared, the identification
// texts written, every option loaded and saved back (so every key exists in the file), and
// the hidden-message list reloaded.
class Session {
public:
    Session(platform::IMessageBox& box, const platform::IPrinterDefaults& printer, model::DiagLog* log,
        QString optionsPath = defaultOptionsPath());

    // Fails when the options file cannot be used (the defaults then apply).
    model::Outcome<void> start();

    IniStore ini;
    Options options;
    SuppressibleMessages messages;
    platform::IMessageBox& box;

private:
    model::DiagLog* log_;
};

} // namespace quillon::config
