// The options panels of rub emboss and tiled rub: their gadgets start at the
// settings, set them and show them; the tiled rub's reset button takes the
// tile size from the picture and lets its sliders reach the picture's size.
#include <gtest/gtest.h>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "modes/mode_panel.h"
#include "modes/qz_rub_modes.h"
#include "rub_test_kit.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QZ_EXTERN_C_END

namespace {

using qztest::Document;
using qztest::Rgb;
using rubtest::Opaque;

class RubPanels : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u); }
  static void TearDownTestSuite() { Qz_CleanupRootPluginClass(); }
};

struct Wired {
  const char* name;
  uint32_t setter, getter;
  uint32_t gadgetSet, gadgetGet;
  int32_t initial, byGadget, bySetter;
};

void ExpectWired(Qz_Object* mode, const Wired& w) {
  SCOPED_TRACE(w.name);
  Qz_Object* gadget = qz::modes::panelGadget(mode, w.setter);
  ASSERT_NE(gadget, nullptr);
  EXPECT_EQ(int32_t(Qz_DoMethod(gadget, w.gadgetGet)), w.initial);
  Qz_DoMethod(gadget, w.gadgetSet, uint32_t(w.byGadget));
  EXPECT_EQ(int32_t(Qz_DoMethod(mode, w.getter)), w.byGadget);
  Qz_DoMethod(mode, w.setter, uint32_t(w.bySetter));
  EXPECT_EQ(int32_t(Qz_DoMethod(gadget, w.gadgetGet)), w.bySetter);
}

TEST_F(RubPanels, RubEmbossGadgetsSetAndShowItsSettings) {
  Document doc(8, 8, rubtest::Below);
  Qz_Image* layer = doc.AddPaintLayer("RubEmboss", {0, 0, 0}, 0, 0, 8, 8, Opaque);
  ASSERT_NE(layer, nullptr);
  ASSERT_NE(Qz_DoMethod(layer->mode, kQzModeGetPanel), 0u);
  const Wired wired[] = {
      {"angle", kQzRubEmbossSetAngle, kQzRubEmbossGetAngle, kAngleSet, kAngleGet, 135, 30, 300},
      {"length", kQzRubEmbossSetLength, kQzRubEmbossGetLength, kValueSet, kValueGet, 1, 12, 128},
      {"amount", kQzRubEmbossSetAmount, kQzRubEmbossGetAmount, kValueSet, kValueGet, 100, -150, 7},
      {"colour", kQzRubEmbossSetColour, kQzRubEmbossGetColour, kCheckBoxSetState, kCheckBoxGetState, 0, 1, 0}};
  for (const Wired& w : wired) ExpectWired(layer->mode, w);
}

TEST_F(RubPanels, RubTiledSlidersAndReset) {
  Document doc(64, 48, rubtest::Below);
  Document picture(800, 40, rubtest::Picture);
  for (const char* name : {"RubTiled", "Tile"}) {
    SCOPED_TRACE(name);
    Qz_Image* layer = doc.AddPaintLayer(name, {0, 0, 0}, 0, 0, 64, 48, Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_Object* mode = layer->mode;
    // Handed the layer without a picture: an eighth of the document.
    const Wired wired[] = {
        {"width", kQzRubTiledSetWidth, kQzRubTiledGetWidth, kValueSet, kValueGet, 8, 20, 3},
        {"height", kQzRubTiledSetHeight, kQzRubTiledGetHeight, kValueSet, kValueGet, 6, 9, 4}};
    for (const Wired& w : wired) ExpectWired(mode, w);
    doc.AttachSecondary(layer, picture.image, 0, 0);
    Qz_Object* reset = qz::modes::panelGadget(mode, kQzRubTiledReset);
    ASSERT_NE(reset, nullptr);
    Qz_DoNotify(reset, kButtonPressed, 1u);
    // Tile takes its size from the data below it tiles, whatever the picture.
    const bool tile = std::string(name) == "Tile";
    const int32_t width = tile ? 64 : 800, height = tile ? 48 : 40;
    Qz_Object* widthSlider = qz::modes::panelGadget(mode, kQzRubTiledSetWidth);
    Qz_Object* heightSlider = qz::modes::panelGadget(mode, kQzRubTiledSetHeight);
    EXPECT_EQ(int32_t(Qz_DoMethod(widthSlider, kValueGetMaximum)), width);
    EXPECT_EQ(int32_t(Qz_DoMethod(heightSlider, kValueGetMaximum)), height);
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, kQzRubTiledGetWidth)), width / 8);
    EXPECT_EQ(int32_t(Qz_DoMethod(widthSlider, kValueGet)), width / 8);
    EXPECT_EQ(int32_t(Qz_DoMethod(heightSlider, kValueGet)), height / 8);
  }
}

}  // namespace
