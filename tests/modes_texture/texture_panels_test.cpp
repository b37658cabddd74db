// The options panels of paint texture, thick paint and the bump map: their
// gadgets start at the settings, set them and show them.
#include <gtest/gtest.h>

#include "compositor/compositor_kit.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "modes/mode_panel.h"
#include "modes/qz_bump_map_mode.h"
#include "modes/qz_texture_modes.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QZ_EXTERN_C_END

namespace {

class TexturePanels : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u); }
  static void TearDownTestSuite() { Qz_CleanupRootPluginClass(); }
};

struct Wired {
  const char* name;
  uint32_t setter, getter;  // getter 0: the bump map's re-render tells the gadget reached it
  uint32_t gadgetSet, gadgetGet;
  int32_t initial, byGadget, bySetter;
};

uint8_t Opaque(int32_t, int32_t) { return 255; }

TEST_F(TexturePanels, GadgetsSetAndShowTheSettings) {
  const Wired texture[] = {
      {"angle", kQzTextureSetAngle, kQzTextureGetAngle, kAngleSet, kAngleGet, 135, 30, 300},
      {"length", kQzTextureSetLength, kQzTextureGetLength, kValueSet, kValueGet, 1, 12, 128},
      {"amount", kQzTextureSetAmount, kQzTextureGetAmount, kValueSet, kValueGet, 100, -150, 7}};
  const Wired bump[] = {{"angle", kQzBumpMapSetAngle, 0, kAngleSet, kAngleGet, 135, 30, 300},
                        {"radius", kQzBumpMapSetRadius, 0, kValueSet, kValueGet, 1, 12, 128},
                        {"amount", kQzBumpMapSetAmount, 0, kValueSet, kValueGet, 100, -150, 7}};
  for (const char* name : {"PaintTexture", "ThickPaint", "BumpMap"}) {
    qztest::Document doc(8, 8, qztest::NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer(name, {0, 0, 0}, 0, 0, 8, 8, Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_Object* mode = layer->mode;
    ASSERT_NE(Qz_DoMethod(mode, kQzModeGetPanel), 0u);
    for (const Wired& w : std::string(name) == "BumpMap" ? std::span<const Wired>(bump) : std::span<const Wired>(texture)) {
      SCOPED_TRACE(testing::Message() << name << " " << w.name);
      Qz_Object* gadget = qz::modes::panelGadget(mode, w.setter);
      ASSERT_NE(gadget, nullptr);
      EXPECT_EQ(int32_t(Qz_DoMethod(gadget, w.gadgetGet)), w.initial);
      qztest::RerenderCounter rerenders;
      Qz_DoMethod(gadget, w.gadgetSet, uint32_t(w.byGadget));
      if (w.getter) {
        EXPECT_EQ(int32_t(Qz_DoMethod(mode, w.getter)), w.byGadget);
      }
      EXPECT_EQ(rerenders.Count(doc.image), 1u);
      Qz_DoMethod(mode, w.setter, uint32_t(w.bySetter));
      EXPECT_EQ(int32_t(Qz_DoMethod(gadget, w.gadgetGet)), w.bySetter);
    }
  }
}

}  // namespace
