#include "app/stop_signals.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/main_window.h"
#include "objects/message_box.h"
#include "objects/qz_object.h"

namespace qz::app {
namespace {

std::thread gWatch;
std::atomic<bool> gStopping{false};

sigset_t watchedSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR1);  // wakes the watch when the program ends by itself
  return set;
}

}  // namespace

void blockStopSignals() {
  const sigset_t set = watchedSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void startStopSignalWatch(Qz_Object* app) {
  if (!app || gWatch.joinable()) return;
  gStopping = false;
  gWatch = std::thread([app] {
    const sigset_t set = watchedSignals();
    for (;;) {
      int sig = 0;
      if (sigwait(&set, &sig) != 0) continue;
      if (gStopping) return;
      if (sig == SIGINT || sig == SIGTERM) {
        // A stop that comes while the main window is still opening waits for
        // it: closing the screen under a window that is being opened would
        // pull the screen away from it.
        for (int i = 0; i < 500 && !gStopping && hasMainWindow() && !mainPlatformWindow(); ++i)
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // A box waiting for an answer would hold the close up: it is
        // answered as dismissed, so the normal shut-down runs.
        qz::msgbox::dismissBoxes(true);
        Qz_DoMethod(app, kRootClose);
        return;
      }
    }
  });
}

void stopStopSignalWatch() {
  if (!gWatch.joinable()) return;
  gStopping = true;
  pthread_kill(gWatch.native_handle(), SIGUSR1);
  gWatch.join();
}

}  // namespace qz::app
