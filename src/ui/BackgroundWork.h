#pragma once
#include <functional>

namespace quillon::ui {

// Runs work on a thread of its own while the calling thread (the window's) goes on handling
// events in a nested loop; returns once the work has ended. The window stays responsive
// meanwhile, so whatever the work uses must be locked against the user's commands first.
// An exception thrown by the work is thrown again here.
void runBesideEvents(const std::function<void()>& work);

} // namespace quillon::ui
