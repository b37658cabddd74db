// A UI test harness over the headless host: builds windows with gadget
// trees, opens them on their event threads, injects input, waits for the
// window threads to settle and reads pixels and gadget records back.
// See UI_HARNESS.md.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "gadgets/qz_input_event.h"
#include "objects/async_methods.h"
#include "objects/qz_object.h"
#include "objects/qz_root.h"
#include "support/temp_dir.h"

struct Window;

namespace qztest {

// One input message as a test gadget received it.
struct GadgetEvent {
  uint32_t cls;
  uint32_t code;
  int16_t x, y;  // outer-frame coordinates of the window
  std::thread::id thread;
};

// A call of one of the shared methods a test gadget records: open, close,
// show, hide, the menu object (0x901E0) and drops (0x901D6, argument the
// dragged object).
struct GadgetCall {
  uint32_t id;
  QzWord argument;
  bool hadParent;  // the gadget was a member of a container at the time
};

// What a test gadget records; read it through TestGadget::log.
struct GadgetLog {
  std::mutex lock;
  std::vector<GadgetEvent> events;
  std::vector<GadgetCall> calls;
  int draws = 0;
  std::thread::id drawThread;
  // Called (on the window thread) for each press of the left button over the gadget.
  std::function<void(Qz_Object* gadget)> onPress;
  std::vector<GadgetEvent> snapshot() {
    std::lock_guard<std::mutex> g(lock);
    return events;
  }
  std::vector<GadgetCall> callLog() {
    std::lock_guard<std::mutex> g(lock);
    return calls;
  }
  int drawCount() {
    std::lock_guard<std::mutex> g(lock);
    return draws;
  }
};

// Sizes and look of a test gadget ("QzTestGadget", a Root subclass that
// fills its box with its colour and takes pointer input over its box).
struct GadgetSpec {
  int16_t minWidth = 10, minHeight = 10;
  int16_t maxWidth = 0x7FFF, maxHeight = 0x7FFF;
  int16_t weight = 100;
  uint32_t colour = 0x0000FF;  // COLORREF 0x00BBGGRR
  bool takesKeys = false;      // answers every key message with 1
};

namespace TestGadget {
// The class is registered by UiHarness; without one, call these around use
// (after Qz_Init, before Qz_CleanUp).
void registerClass();
void unregisterClass();
// The same gadget registered under another class's name, for classes a
// test needs but that are not built (for example "Text" in a tool tip).
void registerStandIn(const char* className);
void unregisterStandIn();
Qz_Object* make(const GadgetSpec& spec);
GadgetLog& log(Qz_Object* gadget);
}  // namespace TestGadget

// Waits until the window's event thread has handled everything queued so
// far (also for a window no harness made, such as the program's own).
bool settleWindow(Qz_Object* window);

class UiHarness {
 public:
  UiHarness();   // opens the object layer and the headless screen
  ~UiHarness();  // disposes what is left, closes the object layer

  // A Window object (not opened) of the given kind with a title; its box
  // (X, Y, inner W, inner H) is set when w and h are non-zero.
  Qz_Object* window(const char* title, int x, int y, int w = 0, int h = 0, uint32_t kind = 1);
  // Groups: mode 2 horizontal, 1 vertical; members added in order.
  Qz_Object* group(uint32_t mode, std::vector<Qz_Object*> members, int spacing = 0);
  // Opens and waits until the platform window exists and the thread settled.
  bool open(Qz_Object* window);
  // Waits until the window's event thread has handled everything queued so far.
  bool settle(Qz_Object* window);
  // Runs method on target (an object in the window's tree) on the window's
  // thread: target is given the window's asynchronous port, then the call
  // is queued there. 1 when queued.
  template <typename... Args>
  QzWord post(Qz_Object* window, Qz_Object* target, uint32_t method, Args... args) {
    Qz_RootObject* root = Qz_RootInstance(window);
    if (root == nullptr || root->asyncPort == nullptr) return 0;
    Qz_DoMethod(target, kRootSetAsyncPort, root->asyncPort);
    return Qz_DoAsyncMethod(target, method, args...);
  }
  // Runs work on the window's thread and waits until it has run, so a test
  // reads what that thread changes without racing it. False when it could
  // not be queued; work that has not run after 10 seconds aborts the program
  // (the queued call points at the caller's locals).
  bool onWindowThread(Qz_Object* window, const std::function<void()>& work);
  // Disposes the window now (from any thread but its own).
  void dispose(Qz_Object* window);
  // Drops the window from the harness without disposing it (for a window
  // that disposes itself).
  void forget(Qz_Object* window);

  Window* platformWindow(Qz_Object* window);
  // Pointer input at outer-frame coordinates of the window.
  void click(Qz_Object* window, int x, int y);
  void moveTo(Qz_Object* window, int x, int y);
  // The composed desktop's pixel (0x00RRGGBB) at outer-frame coordinates of the window.
  uint32_t pixel(Qz_Object* window, int x, int y);
  // The box (outer-frame coordinates) an object was placed at.
  static Qz_LayoutBox box(Qz_Object* object);

 private:
  ScopedStateRoot stateRoot_;
  std::mutex lock_;
  std::vector<Qz_Object*> windows_;
  Qz_Object* runner_ = nullptr;  // the test gadget that runs onWindowThread's work
};

}  // namespace qztest
