#include "objects/requester.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/message_box.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"
#include "platform/lists.h"
#include "platform/windows.h"

namespace {

constexpr QzWord kReturnKey = 13;
constexpr QzWord kEscapeKey = 27;
constexpr QzWord kRowWeight = 100;

bool stillRunning(const uint32_t& running) {
  return std::atomic_ref<uint32_t>(const_cast<uint32_t&>(running)).load(std::memory_order_acquire) != 0;
}

// The requesters open now, by title: a command that asks for one already
// open brings that one to the front instead of opening a second.
std::mutex gOpenMutex;
std::vector<std::pair<std::string, Qz_Object*>> gOpen;

bool raiseOpenRequester(const std::string& title) {
  std::lock_guard<std::mutex> lock(gOpenMutex);
  for (const auto& [openTitle, window] : gOpen) {
    if (openTitle != title) continue;
    if (Window* shown = Qz__PlatformWindowOf(window)) ActivateWindow(shown);  // which brings it to the top
    return true;
  }
  return false;
}

void noteOpen(const std::string& title, Qz_Object* window, bool open) {
  std::lock_guard<std::mutex> lock(gOpenMutex);
  if (open) {
    gOpen.emplace_back(title, window);
    return;
  }
  std::erase_if(gOpen, [window](const auto& entry) { return entry.second == window; });
}

}  // namespace

extern "C" {

QZ_EXPORT bool Qz__ModalWaitEnds(uint32_t breakSignals) {
  return (SetSignal(0, 0) & breakSignals) != 0 || qz::msgbox::dismissingBoxes();
}

QZ_EXPORT QzWord Qz_ShowRequesterA(const char* title, Qz_Object* content, QzWord text, Qz_Object* parent,
                                   uint32_t flags, const TagItem* tags) {
  (void)text;
  const std::string name = title != nullptr ? title : "";
  if (content != nullptr && !name.empty() && raiseOpenRequester(name)) {
    if (flags & (kRequesterDisposeContent | kRequesterDisposeContentUnlessOk)) Qz_DisposeObject(content);
    return 0;
  }
  // Written by the requester window's thread through the notifications
  // below; this frame outlives them because the window is gone before we return.
  uint32_t running = 1;
  Qz_Object* window = nullptr;
  Qz_Object* ok = nullptr;
  Qz_Object* group = nullptr;
  const QzWord spacing = QzWord(Qz_GetGlobalData()->requesterSpacing);
  if (content != nullptr) {
    window = Qz_CreateObject("Window", kWindowSetX, kWindowCentred, kWindowSetY, kWindowCentred,
                             kWindowSetDefaultWidth, GetTagData(kRequesterTagDefaultWidth, 230, tags),
                             kWindowSetDefaultHeight, GetTagData(kRequesterTagDefaultHeight, 230, tags),
                             kWindowSetPositionKey, GetTagData(kRequesterTagPositionKey, 0, tags),
                             kWindowSetTitle, title != nullptr ? title : "", kGroupSetFrame, 0,
                             kGroupSetInnerSpacing, spacing, kWindowSetKind, kWindowKindFreeStanding);
  }
  Qz_Object* cancel = nullptr;
  if (window != nullptr) {
    group = Qz_CreateObjects(0, kBuildVGroup, kGroupSetFrame, 6,
                             kBuildSpaceVWeighted, spacing,
                             kBuildObject, "Space", kFixHeight, 4, kSpaceSetEtched, 1, kBuildClose,
                             kBuildSpaceVWeighted, spacing,
                             // Equal weights share the row's spare room out exactly; the
                             // default ones (200, 400, 200) hand out more than there is and
                             // push Cancel out of the window.
                             kBuildHGroup,
                               kBuildObject, "Button", kBuildStoreLast, &ok,
                                 kBuildObject, "Text", kRootSetLabel, "Ok", kBuildClose,
                                 kRootSetUserData, 0, kButtonSetKey, kReturnKey, kRootSetWeight, kRowWeight,
                               kBuildClose,
                               kBuildObject, "Space", kFixHeight, 1, kRootSetWeight, kRowWeight, kBuildClose,
                               kBuildObject, "Button", kBuildStoreLast, &cancel,
                                 kBuildObject, "Text", kRootSetLabel, "Cancel", kBuildClose,
                                 kButtonSetKey, kEscapeKey, kRootSetWeight, kRowWeight,
                               kBuildClose,
                             kBuildClose,
                             kBuildClose, kBuildEnd);
    if (group == nullptr || ok == nullptr || cancel == nullptr) {
      Qz_DisposeObject(group);
      Qz_DisposeObject(window);
      window = nullptr;
    }
  }
  if (window == nullptr) {
    if (flags & kRequesterDisposeContentUnlessOk) Qz_DisposeObject(content);
    return 0;
  }
  Qz_DoMethod(group, kGroupAddHead, content);
  Qz_DoMethod(window, kGroupAddTail, group);
  if (parent != nullptr) Qz_DoMethod(parent, kGroupAddTail, window);
  if (GetTagData(kRequesterTagPositionKey, 0, tags) != 0) Qz_AlignRequestorPosition(window);

  Qz_AddNotify(window, kWindowToFront, kNotifyAnyValue, ok, 2, kRootSetUserData, 1);
  Qz_AddNotify(window, kWindowToFront, kNotifyAnyValue, ok, 3, kRootPoke32, &running, 0);
  Qz_AddNotify(ok, kButtonPressed, kNotifyAnyValue, ok, 2, kRootSetUserData, 1);
  Qz_AddNotify(ok, kButtonPressed, kNotifyAnyValue, ok, 3, kRootPoke32, &running, 0);
  Qz_AddNotify(cancel, kButtonPressed, kNotifyAnyValue, cancel, 3, kRootPoke32, &running, 0);
  Qz_AddNotify(window, kWindowClose, kNotifyAnyValue, ok, 3, kRootPoke32, &running, 0);

  noteOpen(name, window, true);
  Qz_DoMethod(window, kRootOpen);
  while (stillRunning(running)) {
    if (Qz__ModalWaitEnds(SIGBREAKF_CTRL_C)) break;
    Delay(5);
  }
  const QzWord result = Qz_DoMethod(ok, kRootGetUserData) == 1 ? 1 : 0;

  // The window's thread draws the content until its window is shut; the
  // hide returns once that thread has closed it, so the content is taken
  // out of a tree nobody draws any more.
  Qz_DoMethod(window, kRootHide);
  noteOpen(name, window, false);
  if (parent != nullptr) Qz_DoMethod(parent, kGroupRemove, window);
  Qz_DoMethod(group, kGroupRemove, content);  // the caller's tree outlives the window
  Qz_DisposeObject(window);
  if (flags & kRequesterDisposeContent) {
    Qz_DisposeObject(content);
  } else if (result != 1 && (flags & kRequesterDisposeContentUnlessOk)) {
    Qz_DisposeObject(content);
  }
  return result;
}

}  // extern "C"
