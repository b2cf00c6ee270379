#pragma once
#include <QStringList>

namespace quillon::app {

// True when the arguments ask for the desktop program: none at all, or only switches such as
// "/DT[5]" (every subcommand is a word).
bool isDesktopStart(const QStringList& args);

// The desktop program's start-up on an application object the caller made: options, single
// instance, splash, the printing set-up of the last run, the spool estimate, then the main
// window until it closes. The exit code.
int runDesktop();

} // namespace quillon::app
