// SIGINT and SIGTERM end the application the way closing its main window
// does, so the normal shut-down runs (preferences stored, nothing leaked).
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
