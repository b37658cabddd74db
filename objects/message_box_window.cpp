// A message box as a window of our own toolkit: the text above a centred row
// of the kind's buttons, in a free-standing (kind 64) window centred on the
// screen. The window's event thread handles its input and writes the answer
// into the asking thread's frame through notifications; the asking thread
// only polls that word, so it may be any thread, a window's own included.
#include "objects/message_box_window.h"

#include <atomic>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/async_methods.h"
#include "objects/message_box.h"
#include "objects/message_box_kind.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"

namespace qz::msgbox {

namespace {

constexpr QzWord kReturnKey = 13;
constexpr QzWord kEscapeKey = 27;
constexpr int32_t kMargin = 8;          // round the box's content, and between its parts
constexpr int32_t kButtonMinWidth = 64;  // so "OK" is as easy to hit as "Cancel"
constexpr int32_t kButtonPadding = 2;
// The answer word: 0 while unanswered, a button's index + 1, or this when dismissed.
constexpr uint32_t kDismissedMark = 0xFFFF;
// Ticks (20 ms) for the box's event thread to try opening its window.
constexpr int kOpenWaitTicks = 500;

const char* const kToolkitClasses[] = {"Window", "Group", "Text", "Button", "Space"};

bool toolkitRegistered() {
  for (const char* name : kToolkitClasses) {
    if (Qz_FindClassFromName(name) == nullptr) return false;
  }
  return true;
}

uint32_t load(uint32_t& word) { return std::atomic_ref<uint32_t>(word).load(std::memory_order_acquire); }

// Adds a member, or marks the build failed when the member could not be made.
Qz_Object* addTo(Qz_Object* parent, Qz_Object* member, bool& ok) {
  if (member == nullptr) {
    ok = false;
  } else {
    Qz_DoMethod(parent, kGroupAddTail, member);
  }
  return member;
}

// A stretchable filler: the fillers either side of the buttons centre them.
Qz_Object* filler() { return Qz_CreateObject("Space", kFixHeight, kSpaceZeroSize, kRootSetWeight, 100); }

// A button that takes its own width (weight 0) and says when it is pressed.
Qz_Object* addButton(Qz_Object* row, const char* label, uint32_t* answered, uint32_t mark, bool& ok) {
  Qz_Object* button =
      addTo(row, Qz_CreateObject("Button", kRootSetWeight, 0, kGroupSetInnerSpacing, kButtonPadding), ok);
  if (button == nullptr) return nullptr;
  addTo(button, Qz_CreateObject("Text", kRootSetLabel, label), ok);
  addTo(button, Qz_CreateObject("Space", kFixWidth, kButtonMinWidth, kFixHeight, kSpaceZeroSize), ok);
  Qz_AddNotify(button, kButtonPressed, kNotifyAnyValue, button, 3, kRootPoke32, answered, mark);
  return button;
}

// The box's window, not yet open; NULL when a part could not be made.
Qz_Object* buildBox(const char* title, const char* text, uint32_t kind, uint32_t* answered) {
  Qz_Object* window = Qz_CreateObject("Window", kWindowSetX, kWindowCentred, kWindowSetY, kWindowCentred,
                                      kWindowSetTitle, title, kWindowSetKind, kWindowKindFreeStanding);
  if (window == nullptr) return nullptr;
  bool ok = true;
  Qz_Object* column = addTo(window, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, kMargin,
                                                    kGroupSetInnerSpacing, kMargin), ok);
  if (column != nullptr) {
    addTo(column, Qz_CreateObject("Text", kRootSetLabel, text, kTextSetMode, 0), ok);
    Qz_Object* row = addTo(column, Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, kMargin), ok);
    if (row != nullptr) {
      addTo(row, filler(), ok);
      const std::vector<const char*> labels = buttonsOf(kind);
      for (std::size_t i = 0; i < labels.size() && ok; ++i) {
        Qz_Object* button = addButton(row, labels[i], answered, static_cast<uint32_t>(i + 1), ok);
        if (button != nullptr && i == 0) Qz_DoMethod(button, kButtonSetKey, kReturnKey);
      }
      addTo(row, filler(), ok);
    }
  }
  // Escape does what the close box does. A button with no face and no frame
  // takes no room and no clicks; it only answers the key.
  Qz_Object* escape = addTo(window, Qz_CreateObject("Button", kRootSetWeight, 0, kGroupSetFrame, 0,
                                                    kGroupSetSelectedFrame, 0, kButtonSetKey, kEscapeKey), ok);
  if (!ok) {
    Qz_DisposeObject(window);
    return nullptr;
  }
  Qz_AddNotify(escape, kButtonPressed, kNotifyAnyValue, escape, 3, kRootPoke32, answered, kDismissedMark);
  Qz_AddNotify(window, kWindowClose, kNotifyAnyValue, window, 3, kRootPoke32, answered, kDismissedMark);
  return window;
}

bool platformWindowOpen(Qz_Object* window) {
  if (Qz_DoMethod(window, kRootLockTree) == 0) return false;
  const bool open = Qz__PlatformWindowOf(window) != nullptr;
  Qz_DoMethod(window, kRootUnlockTree);
  return open;
}

// Starts the window's thread and waits until it has tried to open the
// window (*tried becomes 1 then); true when the window is open.
bool openAndWait(Qz_Object* window, uint32_t* tried) {
  Qz_DoMethod(window, kRootOpen);
  // Queued behind the open, so it runs once the open has been tried.
  if (Qz_DoAsyncMethod(window, kRootPoke32, tried, 1) == 0) return false;
  for (int i = 0; i < kOpenWaitTicks && load(*tried) == 0; ++i) Delay(1);
  return platformWindowOpen(window);
}

}  // namespace

bool askInWindow(const char* title, const char* text, uint32_t kind, QzWord* result) {
  if (!toolkitRegistered() || qz::objects::drawingOnThisThread()) return false;
  // Written by the box's event thread; this frame outlives the window,
  // which is gone (its queued calls dropped) once a dispose below returns.
  uint32_t answered = 0;
  uint32_t tried = 0;
  Qz_Object* window = buildBox(title, text, kind, &answered);
  if (window == nullptr) return false;
  if (!openAndWait(window, &tried)) {
    Qz_DisposeObject(window);
    return false;
  }
  uint32_t choice = 0;
  while ((choice = load(answered)) == 0 && !dismissingBoxes()) Delay(1);
  if (choice == 0) {
    choice = kDismissedMark;
    unansweredToStderr(title, text);
  }
  Qz_DisposeObject(window);
  *result = resultOf(kind, choice == kDismissedMark ? kDismissed : static_cast<int>(choice) - 1);
  return true;
}

}  // namespace qz::msgbox
