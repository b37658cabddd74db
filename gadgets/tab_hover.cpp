#include "gadgets/tab_hover.h"

#include <atomic>

#include "gadgets/qz_input_event.h"
#include "gadgets/qz_window.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace qz::gadgets {

namespace {
constexpr uint16_t kLeftButtonQualifier = 0x4000;
constexpr uint16_t kRightButtonQualifier = 0x2000;
}  // namespace

bool hoverChoosesTab(Qz_Object* tabColumn, const Qz_InputEvent* e) {
  const Qz_GlobalData* global = Qz_GetGlobalData();
  if (tabColumn == nullptr || e == nullptr || global == nullptr ||
      std::atomic_ref<const int32_t>(global->sideTabHover).load() == 0 || e->cls != IDCMP_MOUSEMOVE ||
      (e->qualifier & (kLeftButtonQualifier | kRightButtonQualifier)) != 0 ||
      Qz_IsCoordOverObject(tabColumn, e->mouseX, e->mouseY) == 0)
    return false;
  Qz_DoMethod(tabColumn, kRootObjectAtPoint, e->mouseX, e->mouseY);
  return true;
}

void reportPointerMoves(Qz_Object* gadget) {
  const auto* info = reinterpret_cast<const Qz_DrawInfo*>(Qz_DoMethod(gadget, kRootGetDrawInfo));
  if (info != nullptr && info->windowObject != nullptr) {
    const QzWord options = Qz_DoMethod(info->windowObject, kWindowGetOptions);
    Qz_DoMethod(info->windowObject, kWindowSetOptions, options | 1);
  }
}

}  // namespace qz::gadgets
