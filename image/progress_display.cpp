#include "image/progress_display.h"

#include <atomic>
#include <cstdlib>

#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "gadgets/window_post.h"
#include "objects/catalogue.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"

namespace {

// The stop button says what the catalogue calls cancelling.
constexpr uint32_t kStopTextNumber = 20;
// The working thread's break: bits 12 and 15.
constexpr uint32_t kStopSignals = 0x1000 | 0x8000;

// The window the display was added to, kept for taking it out again, and
// whether the user asked to stop (set on the window's thread, read by the
// working one).
struct Record {
  Qz_ProgressDisplay shown;
  Qz_Object* owner;
  std::atomic<bool> stopped;
};

void onStop(QzWord userData, Qz_Object*, uint32_t, const QzWord*) {
  reinterpret_cast<Record*>(userData)->stopped.store(true, std::memory_order_release);
}

}  // namespace

extern "C" {

QZ_EXPORT Qz_ProgressDisplay* Qz_BeginProgressDisplay(Qz_Object* owner, const char* title, const char* text) {
  auto* record = static_cast<Record*>(std::calloc(1, sizeof(Record)));
  if (record == nullptr) return nullptr;
  const char* stop = Qz_CatalogString(kStopTextNumber);
  Qz_Object* bar = Qz_CreateObject("ProgressBar", kProgressBarSetText, text != nullptr ? text : "");
  Qz_Object* label = Qz_CreateObject("Text", kRootSetLabel, stop[0] != '\0' ? stop : "Cancel");
  Qz_Object* button = Qz_CreateObject("Button", kRootSetUserData, 1);
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  Qz_Object* window = Qz_CreateObject("Window", kWindowSetX, kWindowCentred, kWindowSetY, kWindowCentred,
                                      kWindowSetW, 300, kWindowSetTitle, title != nullptr ? title : "");
  if (bar == nullptr || label == nullptr || button == nullptr || column == nullptr || window == nullptr) {
    Qz_DisposeObject(window);
    Qz_DisposeObject(column);
    Qz_DisposeObject(button);
    Qz_DisposeObject(label);
    Qz_DisposeObject(bar);
    std::free(record);
    return nullptr;
  }
  Qz_DoMethod(button, kGroupAddTail, label);
  Qz_DoMethod(column, kGroupAddTail, bar);
  Qz_DoMethod(column, kGroupAddTail, button);
  Qz_DoMethod(window, kGroupAddTail, column);
  record->shown = Qz_ProgressDisplay{window, bar, button};
  record->owner = owner;
  if (owner != nullptr) Qz_DoMethod(owner, kGroupAddTail, window);
  Qz_AddNotify(window, kWindowClose, kNotifyAnyValue, button, 2, kRootSetUserData, 0);
  Qz_AddNotify(button, kButtonPressed, kNotifyAnyValue, button, 2, kRootSetUserData, 0);
  Qz_AddCallBackNotify(window, kWindowClose, kNotifyAnyValue, onStop, reinterpret_cast<QzWord>(record));
  Qz_AddCallBackNotify(button, kButtonPressed, kNotifyAnyValue, onStop, reinterpret_cast<QzWord>(record));
  Qz_DoMethod(window, kRootOpen);
  return &record->shown;
}

QZ_EXPORT QzWord Qz_SetProgressDisplay(Qz_ProgressDisplay* record, uint32_t value, uint32_t total,
                                       const char* text) {
  if ((SetSignal(0, 0) & kStopSignals) != 0) return 0;
  if (record == nullptr) return 1;
  // The bar is drawn by the window's thread; the working thread only queues.
  Qz_PostToWindow(record->window, record->bar, kProgressBarSetMax, total);
  Qz_PostToWindow(record->window, record->bar, kProgressBarSetValue, value);
  if (text != nullptr) {
    Qz_PostToWindow(record->window, record->bar, kProgressBarSetText, text);
    Qz_PostToWindow(record->window, record->bar, kRootDraw);
  }
  return reinterpret_cast<Record*>(record)->stopped.load(std::memory_order_acquire) ? 0 : 1;
}

QZ_EXPORT void Qz_EndProgressDisplay(Qz_ProgressDisplay* shown) {
  if (shown == nullptr) return;
  auto* record = reinterpret_cast<Record*>(shown);
  if (record->owner != nullptr) Qz_DoMethod(record->owner, kGroupRemove, shown->window);
  Qz_DisposeObject(shown->window);
  std::free(record);
}

}  // extern "C"
