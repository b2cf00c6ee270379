#pragma once
#include <QStringList>

namespace quillon::app {

// True when the arguments ask for the desktop program: none at all, or only switches such as
// "/DT[5]" and project files (every subcommand is a word). A file is an existing path that
// starts with "/", or an existing relative path ending in ".vbp".
bool isDesktopStart(const QStringList& args);
// The first project file among the desktop program's arguments, as an absolute path; empty
// when there is none.
QString desktopProjectPath(const QStringList& args);

// The desktop program's start-up on an application object the caller made: single instance
// (a later copy hands `projectPath` to the running one and ends), options, splash, the
// printing set-up of the last run, the spool estimate, then the main window, which opens
// `projectPath` when one is given, until it closes. The exit code.
int runDesktop(const QString& projectPath = QString());

} // namespace quillon::app
