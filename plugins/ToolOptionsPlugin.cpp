// ToolOptionsPlugin: the panel the active tool shows its options in. Its
// options group is the image base's tool-options group; the panels in it
// belong to the tools and outlive this panel.
#include "gadgets/qz_group.h"
#include "image/qz_image.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kToolClassId = 0x3E8000A;
constexpr uint32_t kTitleText = 48;

struct Qz_ToolOptionsPluginObject {
  Qz_Object header{};
  Qz_Object* options = nullptr;
};

Qz_ToolOptionsPluginObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ToolOptionsPluginObject>(o); }

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_ToolOptionsPluginObject* self = Qz__Self(object);
  Qz_Object* content = Qz_CreateObjects(0, kBuildVGroup, kBuildVGroup, kGroupSetAlignment, 4, kGroupSetOptions, 1,
                                        kBuildStoreLast, &self->options, kBuildClose, kBuildSpaceV, kBuildClose);
  if (content && !self->options) {
    Qz_DisposeObject(content);
    return nullptr;
  }
  return qz::plugins::makePanel(
      {qz::plugins::catalogueText(kTitleText), "Tool", "Data/Images/Tabs/ToolOptions"}, content);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_ImageBase* base = Qz_GetImageBase();
  base->panelGroups[0] = Qz__Self(object)->options;
  base->panelGroups[1] = Qz_GetTopMostObject(object);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_ToolOptionsPluginObject* self = Qz__Self(object);
  qz::plugins::releaseMembers(self->options);
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base->panelGroups[0] == self->options) base->panelGroups[0] = base->panelGroups[1] = nullptr;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kRootStoreChildren) return 1;
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kToolOptionsPlugin = {
    .name = "ToolOptionsPlugin", .superName = "RootPlugin", .classId = kToolClassId,
    .instance = qz::kit::instanceOf<Qz_ToolOptionsPluginObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitToolOptionsPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kToolOptionsPlugin); }
QZ_EXPORT void Qz_CleanupToolOptionsPluginClass(void) { qz::kit::removeClass(kToolOptionsPlugin); }
QZ_EXTERN_C_END
