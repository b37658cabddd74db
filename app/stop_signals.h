// SIGINT and SIGTERM end the application, so the normal shut-down runs
// (preferences stored, nothing leaked); a message box that is showing is
// answered as dismissed, and so is any box asked for afterwards.
#pragma once

struct Qz_Object;

namespace qz::app {

// Blocks the two signals in the calling thread; call before any thread is
// started so every thread inherits the mask.
void blockStopSignals();
// A thread that waits for them and closes the application object.
void startStopSignalWatch(Qz_Object* app);
// Ends and joins that thread.
void stopStopSignalWatch();

}  // namespace qz::app
