#pragma once
#include <QString>

namespace quillon::platform {

// Folder for temporary files: $TEMP, else $TMPDIR, else /tmp. Always ends with "/".
QString tempFolder();

// Per-user application data: $APPDATA when set, else the XDG config folder (~/.config).
// Always ends with "/".
QString appDataFolder();

} // namespace quillon::platform

namespace quillon::platform {

// The folder the program runs from (without a trailing "/"); the current folder when no
// application object exists.
QString programFolder();

} // namespace quillon::platform
