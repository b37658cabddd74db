// ChannelsPlugin: the transparency panel without its overall level, the six
// colour and tone levels of the current layer.
#include "objects/qz_class_kit.h"
#include "plugins/level_panel.h"

namespace {

constexpr uint32_t kChannelsClassId = 0x3E8000F;

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  return qz::plugins::makeLevelPanel(object, std::span(qz::plugins::kLevelSliders).subspan(1),
                                     {"Channels", "Channels", nullptr});
}

const qz::kit::ClassDecl kChannelsPlugin = {
    .name = "ChannelsPlugin", .superName = "RootPlugin", .classId = kChannelsClassId,
    .instance = qz::kit::instanceOf<qz::plugins::LevelPanelObject>(), .handler = qz::plugins::dispatchLevelPanel,
    .makeSuper = Qz__MakePanel, .setUp = qz::plugins::setUpLevelPanel, .tearDown = qz::plugins::tearDownLevelPanel};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitChannelsPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kChannelsPlugin); }
QZ_EXPORT void Qz_CleanupChannelsPluginClass(void) { qz::kit::removeClass(kChannelsPlugin); }
QZ_EXTERN_C_END
