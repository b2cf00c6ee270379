#pragma once

namespace quillon::platform {

// Makes a Qt GUI application start on a machine without a display (a server, a CI job, an
// SSH session): the offscreen platform when neither X11 nor Wayland is there, and a private
// runtime folder when none is set. Call before the application object is created.
void prepareGuiEnvironment();

} // namespace quillon::platform
