// PluginContainerWindow: a window holding a panel container, either the
// main panel window docked under the tool bar or a floating one. Closing a
// floating one puts its panels back into the main panel column; the main
// one asks before it goes when it is the last (closing it is quitting) and
// otherwise refuses while it holds the options groups.
#include <algorithm>

#include "gadgets/qz_window.h"
#include "image/app_commands.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "plugins/plugin_layout.h"
#include "plugins/qz_root_plugin.h"

namespace {

constexpr uint32_t kWindowTitleText = 73;
constexpr uint32_t kRefusedCloseText = 356;

const char* Qz__Text(uint32_t entry) {
  const char* const* catalogue = Qz_GetImageBase()->catalogue;
  return catalogue && catalogue[entry] ? catalogue[entry] : "";
}

QzWord Qz__Close(Qz_Object* object) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* outer = Qz_GetTopMostObject(object);
  Qz_Object* app = base->applicationImage ? &base->applicationImage->object : nullptr;
  if (base->panels && Qz_DoMethod(base->panels, kLinkedListCount) == 1 &&
      Qz_DoMethod(base->panels, kLinkedListIndexOf, outer) == 0) {
    // The last floating window: closing it is quitting, which asks first.
    if (app) Qz_DoAsyncMethod(app, qz::kQzAppQuit);
    return 0;
  }
  // A floating window's panels go back into the column: closing it loses
  // none of them, the options panels included.
  const bool docked = Qz_DockPanelsOf(outer);
  if (!docked && Qz_PluginHoldsOptions(outer)) {
    Qz_MessageBoxA("Quillantrix", Qz__Text(kRefusedCloseText), 1, base->screen);
    return 0;
  }
  if (app) Qz_DoAsyncMethod(app, kQzPluginClose, outer);
  return 0;
}

// The main panel window (the layout's first) is part of the main window's
// face and has no frame; every other one is framed like a document window,
// with a caption to move it by and a close box. Decided at each open, as a
// restored layout stores only the windows' boxes.
void Qz__ChooseKind(Qz_Object* object) {
  Qz_Object* outer = Qz_GetTopMostObject(object);
  Qz_Object* panels = Qz_GetImageBase()->panels;
  const bool docked = panels && Qz_DoMethod(panels, kLinkedListFirst) == qz::toWord(outer);
  if (!docked) Qz_DoMethod(object->super, kWindowSetKind, kWindowKindFramed);
}

// The size a layout stores is the one inside the frame, which is what
// opening the window asks for: while open the window keeps its outer size,
// which would grow a framed window by its frame at each restore.
QzWord Qz__InnerSize(Qz_Object* object, uint32_t id, const QzWord* args) {
  const Window* w = Qz__PlatformWindowOf(object->super);
  if (!w) return qz::kit::inherited(object, id, args);  // closed: it keeps the inner size
  const int32_t inner = id == kWindowGetW ? w->Width - w->BorderLeft - w->BorderRight
                                          : w->Height - w->BorderTop - w->BorderBottom;
  return uint32_t(std::max(inner, 1));
}

QzWord Qz__WindowDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzPluginClose) return Qz__Close(object);
  if (id == kRootOpen) Qz__ChooseKind(object);
  if (id == kWindowGetW || id == kWindowGetH) return Qz__InnerSize(object, id, args);
  return qz::kit::inherited(object, id, args);
}

bool Qz__SetUpWindow(Qz_Object* object) {
  Qz_DoMethod(object->super, kWindowSetTitle, Qz__Text(kWindowTitleText));
  Qz_AddNotify(object, kWindowClose, kNotifyAnyValue, object, 2, kQzPluginClose, 0);
  return true;
}

void Qz__TearDownWindow(Qz_Object* object) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* outer = Qz_GetTopMostObject(object);
  if (base->panels) Qz_DoMethod(base->panels, kLinkedListRemove, outer);
  if (base->screen) Qz_DoMethod(base->screen, kLinkedListRemove, outer);
  if (base->panelWindow == outer) base->panelWindow = nullptr;
}

const qz::kit::ClassDecl kPluginContainerWindow = {
    .name = "PluginContainerWindow", .superName = "Window", .classId = kPluginContainerWindowClassId,
    .handler = Qz__WindowDispatch, .setUp = Qz__SetUpWindow, .tearDown = Qz__TearDownWindow};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPluginContainerWindowClass(Qz_GlobalData*) { return qz::kit::addClass(kPluginContainerWindow); }
QZ_EXPORT void Qz_CleanupPluginContainerWindowClass(void) { qz::kit::removeClass(kPluginContainerWindow); }
QZ_EXTERN_C_END
