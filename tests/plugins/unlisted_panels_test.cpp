// The panel classes the program does not offer: they are made by name once
// registered, stay out of the program's class list, and the two without
// wiring change nothing when used.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/class_registration.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "actions/qz_actions.h"
#include "panel_fixture.h"
#include "plugins/qz_root_plugin.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitImageTreePluginClass(Qz_GlobalData*);
void Qz_CleanupImageTreePluginClass(void);
QzWord Qz_InitKeyingPluginClass(Qz_GlobalData*);
void Qz_CleanupKeyingPluginClass(void);
QzWord Qz_InitTexturePluginClass(Qz_GlobalData*);
void Qz_CleanupTexturePluginClass(void);
QZ_EXTERN_C_END

namespace {

class UnlistedPanelTest : public qztest::PanelImageTest, public testing::WithParamInterface<qztest::PanelClass> {
 protected:
  void SetUp() override { StartUp(GetParam(), {qz::app::ClassGroup::Actions}, 12, 9); }
};

TEST_P(UnlistedPanelTest, IsMadeByNameAndIsNotInTheProgramsList) {
  EXPECT_TRUE(Qz_IsPluginClassId(Qz_GetObjectClassID(panel_)));
  const auto names = qz::app::centralClassNames();
  EXPECT_EQ(std::find_if(names.begin(), names.end(), [](const char* n) { return !std::strcmp(n, GetParam().name); }),
            names.end());
}

// The two panels wired to nothing.
class InertPanelTest : public UnlistedPanelTest {};

TEST_P(InertPanelTest, ItsButtonsLeaveTheImageAsItWas) {
  const uint16_t opacity = layer_->opacity;
  const QzWord steps = Qz_DoMethod(Qz_GetUndoList(doc_), kLinkedListCount);
  for (Qz_Object* button : qztest::FindAllOf(panel_, "Button")) Qz_DoNotify(button, kButtonPressed, 1u);
  EXPECT_EQ(layer_->opacity, opacity);
  EXPECT_EQ(Qz_DoMethod(Qz_GetUndoList(doc_), kLinkedListCount), steps);
}

INSTANTIATE_TEST_SUITE_P(
    Panels, UnlistedPanelTest,
    testing::Values(qztest::PanelClass{Qz_InitImageTreePluginClass, Qz_CleanupImageTreePluginClass, "ImageTreePlugin"},
                    qztest::PanelClass{Qz_InitKeyingPluginClass, Qz_CleanupKeyingPluginClass, "KeyingPlugin"},
                    qztest::PanelClass{Qz_InitTexturePluginClass, Qz_CleanupTexturePluginClass, "TexturePlugin"}),
    [](const testing::TestParamInfo<qztest::PanelClass>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Panels, InertPanelTest,
    testing::Values(qztest::PanelClass{Qz_InitKeyingPluginClass, Qz_CleanupKeyingPluginClass, "KeyingPlugin"},
                    qztest::PanelClass{Qz_InitTexturePluginClass, Qz_CleanupTexturePluginClass, "TexturePlugin"}),
    [](const testing::TestParamInfo<qztest::PanelClass>& info) { return std::string(info.param.name); });

}  // namespace
