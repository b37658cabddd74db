// The about box: the program's name, release and credits in a window of its
// own, shown until OK or its close box.
#include <atomic>
#include <string>

#include "app/update_check.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "objects/qz_notify.h"
#include "objects/requester.h"
#include "platform/exec.h"
#include "requesters/qz_requesters.h"
#include "requesters/requester_parts.h"

namespace {

using qz::requesters::text;

constexpr uint32_t kTitleText = 175, kOkText = 19;
constexpr uint32_t kBreakSignal = 0x1000;
constexpr uint32_t kReturnKey = 13;

void Qz__Stop(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  reinterpret_cast<std::atomic<bool>*>(user)->store(false);
}

// Labels keep the texts they are given, so the release line and the web
// address (the host the update check asks) live in the caller.
Qz_Object* Qz__MakeAboutWindow(const std::string& release, const std::string& webAddress, Qz_Object** okButton) {
  // Free-standing like a requester: in front of the documents and active.
  Qz_Object* window = Qz_CreateObject("Window", kWindowSetX, kWindowCentred, kWindowSetY, kWindowCentred,
                                      kWindowSetTitle, text(kTitleText), kWindowSetKind, kWindowKindFreeStanding);
  Qz_Object* column = window ? Qz_AddObject(window, "Group", kGroupSetMode, 1) : nullptr;
  if (!column) {
    Qz_DisposeObject(window);
    return nullptr;
  }
  const char* const lines[] = {"", text(226), release.c_str(), text(227), text(22), text(228), "", text(176),
                               "", text(178), "", webAddress.c_str(), ""};
  for (const char* line : lines) Qz_AddObject(column, "Text", kRootSetLabel, line);
  Qz_AddObject(column, "Space");
  Qz_Object* ok = Qz_AddObject(column, "Button", kButtonSetKey, kReturnKey);
  if (ok) Qz_AddObject(ok, "Text", kRootSetLabel, text(kOkText));
  *okButton = ok;
  return window;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz__AboutQuillantrix(void) {
  const std::string release = "Release " + std::to_string(Qz_GetImageBase()->release);
  Qz_Object* ok = nullptr;
  const std::string webAddress = "https://" + qz::update::descriptionHost();
  Qz_Object* window = Qz__MakeAboutWindow(release, webAddress, &ok);
  if (!window) return;
  std::atomic<bool> running{true};
  const auto user = reinterpret_cast<QzWord>(&running);
  Qz_AddCallBackNotify(window, kWindowClose, kNotifyAnyValue, Qz__Stop, user);
  if (ok) Qz_AddCallBackNotify(ok, kButtonPressed, kNotifyAnyValue, Qz__Stop, user);
  Qz_Object* screen = Qz_GetImageBase()->screen;
  if (screen) Qz_DoMethod(screen, kGroupAddTail, window);
  Qz_DoMethod(window, kRootOpen);
  while (running.load() && !Qz__ModalWaitEnds(kBreakSignal)) Delay(5);
  if (screen) Qz_DoMethod(screen, kGroupRemove, window);
  Qz_DisposeObject(window);
}

QZ_EXTERN_C_END
