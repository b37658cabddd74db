// TransparencyPlugin: the current layer's overall, colour and tone levels as
// seven percentage sliders, with a button that sets them all back to 0.
#include "objects/qz_class_kit.h"
#include "plugins/level_panel.h"

namespace {

constexpr uint32_t kTransparencyClassId = 0x3E80015;
constexpr uint32_t kTitleText = 43;

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  return qz::plugins::makeLevelPanel(object, qz::plugins::kLevelSliders,
                                     {qz::plugins::catalogueText(kTitleText), "Trans", "Data/Images/Tabs/Transparency"});
}

const qz::kit::ClassDecl kTransparencyPlugin = {
    .name = "TransparencyPlugin", .superName = "RootPlugin", .classId = kTransparencyClassId,
    .instance = qz::kit::instanceOf<qz::plugins::LevelPanelObject>(), .handler = qz::plugins::dispatchLevelPanel,
    .makeSuper = Qz__MakePanel, .setUp = qz::plugins::setUpLevelPanel, .tearDown = qz::plugins::tearDownLevelPanel};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTransparencyPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kTransparencyPlugin); }
QZ_EXPORT void Qz_CleanupTransparencyPluginClass(void) { qz::kit::removeClass(kTransparencyPlugin); }
QZ_EXTERN_C_END
