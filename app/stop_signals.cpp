#include "app/stop_signals.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

#include "image/app_commands.h"
#include "image/unsaved_changes.h"
#include "objects/async_methods.h"
#include "objects/message_box.h"
#include "objects/qz_object.h"

namespace qz::app {
namespace {

std::thread gWatch;
std::atomic<bool> gStopping{false};       // the program ends by itself
std::atomic<bool> gStopRequested{false};  // a signal came
std::atomic<Qz_Object*> gTarget{nullptr};

sigset_t watchedSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR1);  // wakes the watch when the program ends by itself
  return set;
}

// With pictures whose changes are not saved, the application is asked to
// quit as the user would, asking about each; false when there are none.
bool askToQuit() {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Image* app = base ? base->applicationImage : nullptr;
  if (!app || qz::unsavedDocumentNames(base).empty()) return false;
  const QzWord flags = kQzQuitAskUnsavedOnly;
  return Qz__DoAsyncMethodWords(&app->object, kQzAppQuit, &flags, 1) != 0;
}

}  // namespace

void blockStopSignals() {
  const sigset_t set = watchedSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void startStopSignalWatch() {
  if (gWatch.joinable()) return;
  gStopping = false;
  gStopRequested = false;
  gTarget = nullptr;
  gWatch = std::thread([] {
    const sigset_t set = watchedSignals();
    bool interrupted = false;
    for (;;) {
      int sig = 0;
      if (sigwait(&set, &sig) != 0) continue;
      if (gStopping) return;
      // The first Ctrl-C asks about pictures with unsaved changes, as quitting
      // does; a second one, or a kill, stops without asking.
      if (sig == SIGINT && !interrupted && gTarget.load() && askToQuit()) {
        interrupted = true;
        continue;
      }
      if (sig == SIGINT || sig == SIGTERM) {
        // A box waiting for an answer would hold the stop up: it is
        // answered as dismissed, so the normal shut-down runs.
        qz::msgbox::dismissBoxes(true);
        gStopRequested = true;
        Qz_Object* app = gTarget.load();
        if (!app) return;  // still starting: the application will not run
        Qz_DoMethod(app, kRootClose);
        return;
      }
    }
  });
}

bool setStopTarget(Qz_Object* app) {
  // Stored before the flag is read, and the watch sets the flag before it
  // reads the target: one of the two always sees the other.
  gTarget = app;
  return gStopRequested.load();
}

void stopStopSignalWatch() {
  if (!gWatch.joinable()) return;
  gStopping = true;
  pthread_kill(gWatch.native_handle(), SIGUSR1);
  gWatch.join();
}

}  // namespace qz::app
