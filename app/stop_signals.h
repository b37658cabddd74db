// SIGINT and SIGTERM end the application, so the normal shut-down runs
// (preferences stored, nothing leaked); a message box that is showing is
// answered as dismissed, and so is any box asked for afterwards. A stop
// that comes during start-up, before there is an application to close,
// keeps the application from running at all.
#pragma once

struct Qz_Object;

namespace qz::app {

// Blocks the two signals in the calling thread; call before any thread is
// started so every thread inherits the mask.
void blockStopSignals();
// A thread that waits for them; start it before start-up shows anything.
void startStopSignalWatch();
// The application the watch closes. Returns true when a stop already came:
// the application must not be run then.
bool setStopTarget(Qz_Object* app);
// Ends and joins that thread.
void stopStopSignalWatch();

}  // namespace qz::app
