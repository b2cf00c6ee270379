#pragma once
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace quillon::platform {

class IProcessLauncher;

// Folder for temporary files: $TEMP, else $TMPDIR, else /tmp. Always ends with "/".
QString tempFolder();

// Per-user folders for what the program keeps and writes (no trailing "/"): its working
// folder ($XDG_DATA_HOME/Quillon, else ~/.local/share/Quillon), the home folder, and the
// documents folder (the home folder when the system names none that exists).
QString userDataFolder();
QString homeFolder();
QString documentsFolder();

// Per-user application data: $APPDATA when set, else the XDG config folder (~/.config).
// Always ends with "/".
QString appDataFolder();

// The folder the program runs from (without a trailing "/"); the current folder when no
// application object exists.
QString programFolder();

// The folder of what the program reads beside itself (the user manual, the icon), ending with
// "/": <prefix>/share/quillon/ for an installed copy in <prefix>/bin, else the Resources folder
// beside the program, where a build puts them.
QString programDataFolder();

// What a print run takes from the system it runs on. The program gives systemEnvironment();
// a test replaces what it controls (the clock, the launcher).
struct RunEnvironment {
    std::function<QDateTime()> now;
    QString tempFolder; // where the run's own temporary files go; ends with "/"
    QString programFolder; // helper programs are looked for here first,
    QString searchPath; // then in these folders (PATH)
    std::shared_ptr<IProcessLauncher> launcher; // starts the helper programs
};

// The system's clock, folders, PATH and processes.
RunEnvironment systemEnvironment();

} // namespace quillon::platform
