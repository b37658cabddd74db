// The Window object's instance and what its class and its event loop share.
// Private to the Window modules.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "gadgets/drag_frame.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_object.h"
#include "objects/qz_semaphore.h"
#include "platform/exec.h"
#include "platform/windows.h"

namespace qz::gui::window {

inline constexpr std::size_t kTitleBytes = 260;
// Option bit: mouse moves over this window reach it while another has the mouse.
inline constexpr uint32_t kMoveOverOtherWindows = 0x1;

struct WindowObject {
  WindowObject() = default;
  ~WindowObject() {
    Qz_FreeSemaphore(drawInfo.drawSemaphore);
    Qz_FreeSemaphore(semaphore);
  }
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;

  Qz_Object header;
  MsgPort* asyncPort;  // set by the event thread once it runs (atomic access)
  char title[kTitleBytes];
  char threadName[kTitleBytes] = "Qz Window";
  Qz_Object* thread;
  Qz_Object* decorations[4];
  Qz_Object* content;
  Qz_Object* children;
  Qz_Object* centre;
  uint32_t options;
  uint32_t extraFlags;
  uint32_t kind;
  Qz_DrawInfo drawInfo;
  Qz_DrawInfo* info;
  Window* window;
  Screen* screen;
  char pubName[kTitleBytes] = "Desktop";
  int32_t x, y, w, h;
  int32_t defaultWidth, defaultHeight;
  int32_t xOffset, yOffset;
  int32_t dragX, dragY;
  Qz_Object* popUp;
  int16_t openCount = 1;
  Qz_Semaphore* semaphore;
  Task* threadTask;
  Qz_Object* dragObject;
  DragFrame dragFrame;  // shown while dragObject is set
  int32_t stop;
  int32_t ticks;
  Qz_Object* tipWindow;
  Qz_Object* rightOf;
  Qz_Object* below;
  int32_t cursor;
  uint32_t positionKey;
};

inline WindowObject* asWindow(Qz_Object* o) { return reinterpret_cast<WindowObject*>(o); }

inline std::atomic_ref<MsgPort*> asyncPortOf(WindowObject* win) { return std::atomic_ref<MsgPort*>(win->asyncPort); }

// Opens and closes are counted on the window's thread and on whoever asks.
inline std::atomic_ref<int16_t> openCountOf(WindowObject* win) { return std::atomic_ref<int16_t>(win->openCount); }

// Only the window's own thread opens and closes its platform window; other
// threads ask whether it is open, so the field is published with release.
inline void publishPlatformWindow(WindowObject* win, Window* w) {
  std::atomic_ref<Window*>(win->window).store(w, std::memory_order_release);
}

inline Window* publishedPlatformWindow(WindowObject* win) {
  return std::atomic_ref<Window*>(win->window).load(std::memory_order_acquire);
}

extern const qz::kit::ClassDecl kWindowClass;

// Whether o is a live Window object.
bool isWindowObject(Qz_Object* o);

// The content group's layout box.
Qz_LayoutBox* contentBox(WindowObject* win);
// Whether the window's event thread runs.
bool threadRuns(WindowObject* win);
// Takes the platform window's outer edges into x, y, w and h.
void takeEdges(WindowObject* win);
// Places the content in the platform window's inner box.
void placeContent(WindowObject* win);
// Closes the platform window on its own thread (force: whatever the open count).
void closeNow(WindowObject* win, bool force = false);
// Draws the dragged object's outline at a desktop point (moved when shown).
void showDragFrame(WindowObject* win, int32_t x, int32_t y);

}  // namespace qz::gui::window
