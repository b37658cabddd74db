// MainMenuPlugin: a place in the panel layout for the main menu. The menu
// bar is drawn by the host in its own strip above the work area, so there
// is no menu object to hold here: the panel keeps its row empty. In a row
// of panels (the tool bar) it goes without its tab bar, as the mode selector.
#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kMainMenuClassId = 0x3E80011;
constexpr uint32_t kPanelFrame = 6;

Qz_Object* Qz__MakePanel(Qz_Object*) {
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, kPanelFrame);
  if (!column) return nullptr;
  Qz_AddObject(column, "Space");
  Qz_AddObject(column, "Group", kGroupSetMode, 2);
  Qz_AddObject(column, "Space");
  return qz::plugins::makePanel({"", "", nullptr}, column);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kRootMeasure: {
      qz::plugins::hideTabBarInRow(object);
      return qz::kit::inherited(object, id, args);
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kMainMenuPlugin = {
    .name = "MainMenuPlugin", .superName = "RootPlugin", .classId = kMainMenuClassId,
    .instance = qz::kit::instanceOf<Qz_Object>(), .handler = Qz__Dispatch, .makeSuper = Qz__MakePanel};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMainMenuPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kMainMenuPlugin); }
QZ_EXPORT void Qz_CleanupMainMenuPluginClass(void) { qz::kit::removeClass(kMainMenuPlugin); }
QZ_EXTERN_C_END
