// The modes' options panels: each gadget drives its setter and re-renders
// the layer, each setter shows in its gadget, Adjust's reset button brings
// every slider back, the levels panel shows the document's counts and its
// preset points, and without the panel classes the modes work all the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_histogram.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "modes/mode_panel.h"
#include "modes/qz_point_modes.h"
#include "objects/catalogue.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "point_kit.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QZ_EXTERN_C_END

namespace {

namespace mp = qz::modes;
using qztest::Document;

class PointPanels : public testing::Test {
 protected:
  // The labels come from the program's own catalogue, as at start-up.
  void SetUp() override {
    ASSERT_EQ(Qz__LoadCatalog("Data\\Lingua\\Quillantrix.etf", ""), 1);
    uint32_t count = 0;
    before_ = Qz_GetImageBase()->catalogue;
    Qz_GetImageBase()->catalogue = Qz__CatalogStrings(&count);
    ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u);
    ASSERT_EQ(Qz_InitHistogramClass(nullptr), 1u);
  }
  void TearDown() override {
    Qz_CleanupHistogramClass();
    Qz_CleanupRootPluginClass();
    Qz_GetImageBase()->catalogue = before_;
    Qz__FreeCatalog();
  }
  const char* const* before_ = nullptr;
  static Qz_Object* PanelOf(Qz_Object* mode) {
    return reinterpret_cast<Qz_Object*>(Qz_DoMethod(mode, kQzModeGetPanel));
  }
  static std::vector<std::string> Labels(Qz_Object* panel) {
    std::vector<std::string> labels;
    for (Qz_Object* text : qztest::FindAllOf(panel, "Text"))
      if (auto* label = reinterpret_cast<const char*>(Qz_DoMethod(text, kRootGetLabel))) labels.push_back(label);
    return labels;
  }
};

struct GadgetCase {
  const char* mode;
  uint32_t setter, getter, gadgetSet, gadgetGet;
  const char* label;  // the gadget's label, from the catalogue
  int32_t initial, byGadget, bySetter;
};

const GadgetCase kGadgets[] = {
    {"Solarize", kQzSolarizeSetThreshold, kQzSolarizeGetThreshold, kValueSet, kValueGet, "Threshold", 127, 40, 200},
    {"Threshold", kQzThresholdSetLevel, kQzThresholdGetLevel, kValueSet, kValueGet, "Threshold", 127, 256, 3},
    {"Threshold", kQzThresholdSetLow, kQzThresholdGetLow, kValueSet, kValueGet, "Low", 0, 30, 9},
    {"Threshold", kQzThresholdSetHigh, kQzThresholdGetHigh, kValueSet, kValueGet, "High", 255, 99, 250},
    {"Posterize", kQzPosterizeSetShift, kQzPosterizeGetShift, kValueSet, kValueGet, "Levels", 5, 2, 7},
    {"ColourToGrey", kQzColourToGreySetRule, kQzColourToGreyGetRule, kPopUpListSetIndex, kPopUpListGetIndex,
     "Grey Rule", 9, 3, 10},
    {"Adjust", kQzAdjustSetHue, kQzAdjustGetHue, kValueSet, kValueGet, "Hue", 0, -90, 200},
    {"Adjust", kQzAdjustSetSaturation, kQzAdjustGetSaturation, kValueSet, kValueGet, "Saturation", 0, 50, -50},
    {"Adjust", kQzAdjustSetBrightness, kQzAdjustGetBrightness, kValueSet, kValueGet, "Brightness", 0, 20, -20},
    {"Adjust", kQzAdjustSetContrast, kQzAdjustGetContrast, kValueSet, kValueGet, "Contrast", 127, 255, 10},
    {"Adjust", kQzAdjustSetGamma, kQzAdjustGetGamma, kValueSet, kValueGet, "Gamma", 100, 50, 400},
    {"Adjust", kQzAdjustSetRedOffset, kQzAdjustGetRedOffset, kValueSet, kValueGet, "Red", 0, 5, -5},
    {"Adjust", kQzAdjustSetGreenOffset, kQzAdjustGetGreenOffset, kValueSet, kValueGet, "Green", 0, 6, -6},
    {"Adjust", kQzAdjustSetBlueOffset, kQzAdjustGetBlueOffset, kValueSet, kValueGet, "Blue", 0, 7, -7},
    {"Histogram", kQzHistogramSetBlackPoint, kQzHistogramGetBlackPoint, kValueSet, kValueGet, "Black Point", 0,
     50, 20},
    {"Histogram", kQzHistogramSetWhitePoint, kQzHistogramGetWhitePoint, kValueSet, kValueGet, "White Point", 255,
     150, 240},
};

TEST_F(PointPanels, GadgetsDriveTheSettersAndShowThem) {
  // Eight pixels, none clipped: the levels preset their points to 0 and 255.
  Document doc(4, 2, [](int32_t x, int32_t) { return x < 2 ? qztest::Rgb{0, 0, 0} : qztest::Rgb{255, 255, 255}; });
  for (const GadgetCase& c : kGadgets) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.label);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, 0, 0, 4, 2, pointtest::Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_Object* panel = PanelOf(layer->mode);
    ASSERT_NE(panel, nullptr);
    const auto labels = Labels(panel);
    EXPECT_NE(std::find(labels.begin(), labels.end(), c.label), labels.end());
    Qz_Object* gadget = mp::panelGadget(layer->mode, c.setter);
    ASSERT_NE(gadget, nullptr);
    EXPECT_EQ(int32_t(Qz_DoMethod(gadget, c.gadgetGet)), c.initial);
    qztest::RerenderCounter rerenders;
    Qz_DoMethod(gadget, c.gadgetSet, uint32_t(c.byGadget));
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.getter)), c.byGadget);
    EXPECT_EQ(rerenders.Count(doc.image), 1u);
    Qz_DoMethod(layer->mode, c.setter, uint32_t(c.bySetter));
    EXPECT_EQ(int32_t(Qz_DoMethod(gadget, c.gadgetGet)), c.bySetter);
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.getter)), c.bySetter);
    EXPECT_EQ(rerenders.Count(doc.image), 2u) << "showing the value sent it back";
  }
}

TEST_F(PointPanels, AdjustResetBringsEverySliderBack) {
  Document doc(4, 2, qztest::NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("Adjust", {0, 0, 0}, 0, 0, 4, 2, pointtest::Opaque);
  ASSERT_NE(layer, nullptr);
  ASSERT_NE(PanelOf(layer->mode), nullptr);
  EXPECT_EQ(qztest::FindAllOf(PanelOf(layer->mode), "CompactSlider").size(), 8u);
  pointtest::Apply(layer->mode, {{kQzAdjustSetHue, 30}, {kQzAdjustSetGamma, 250}, {kQzAdjustSetBlueOffset, -9}});
  qztest::RerenderCounter rerenders;
  Qz_DoNotify(mp::panelGadget(layer->mode, kQzAdjustReset), kButtonPressed, 1u);
  EXPECT_EQ(rerenders.Count(doc.image), 3u);
  for (const GadgetCase& c : kGadgets) {
    if (std::string(c.mode) != "Adjust") continue;
    SCOPED_TRACE(c.label);
    EXPECT_EQ(int32_t(Qz_DoMethod(mp::panelGadget(layer->mode, c.setter), kValueGet)), c.initial);
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.getter)), c.initial);
  }
}

TEST_F(PointPanels, LevelsShowTheCountsAndThePresetPoints) {
  // 200 pixels: brightness 30 for 100 of them, 90 for the rest.
  Document doc(20, 10, [](int32_t, int32_t y) { return y < 5 ? qztest::Rgb{20, 30, 40} : qztest::Rgb{90, 90, 90}; });
  Qz_Image* layer = doc.AddPaintLayer("Histogram", {0, 0, 0}, 0, 0, 20, 10, pointtest::Opaque);
  ASSERT_NE(layer, nullptr);
  const auto graphs = qztest::FindAllOf(PanelOf(layer->mode), "Histogram");
  ASSERT_EQ(graphs.size(), 1u);
  Qz_Object* graph = graphs[0];
  EXPECT_EQ(Qz_DoMethod(graph, kHistogramGetEntry, 30), 100u);
  EXPECT_EQ(Qz_DoMethod(graph, kHistogramGetEntry, 90), 100u);
  EXPECT_EQ(Qz_DoMethod(graph, kHistogramGetEntry, 60), 0u);
  EXPECT_EQ(Qz_DoMethod(mp::panelGadget(layer->mode, kQzHistogramSetBlackPoint), kValueGet), 30u);
  EXPECT_EQ(Qz_DoMethod(mp::panelGadget(layer->mode, kQzHistogramSetWhitePoint), kValueGet), 90u);
}

TEST_F(PointPanels, ColourCastChoiceIsAMutualExclude) {
  Document doc(4, 2, qztest::NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("RemoveColourCast", {0, 0, 0}, 0, 0, 4, 2, pointtest::Opaque);
  ASSERT_NE(layer, nullptr);
  const auto labels = Labels(PanelOf(layer->mode));
  for (const char* wanted : {"Automatic", "Manual"})
    EXPECT_NE(std::find(labels.begin(), labels.end(), wanted), labels.end()) << wanted;
  Qz_Object* choice = mp::panelGadget(layer->mode, kQzColourCastSetChoice);
  ASSERT_NE(choice, nullptr);
  EXPECT_EQ(Qz_DoMethod(choice, kMutualExcludeGetMarked), 0u);
  qztest::RerenderCounter rerenders;
  Qz_DoMethod(choice, kMutualExcludeMark, 1u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzColourCastGetChoice), 1u);
  EXPECT_EQ(rerenders.Count(doc.image), 1u);
  Qz_DoMethod(layer->mode, kQzColourCastSetChoice, 0u);
  EXPECT_EQ(Qz_DoMethod(choice, kMutualExcludeGetMarked), 0u);
  EXPECT_EQ(rerenders.Count(doc.image), 2u);
}

// Without the graph's class the levels mode has no panel, and still keeps
// its own counts, presets its points and renders.
TEST_F(PointPanels, LevelsWithoutTheHistogramGadget) {
  Qz_CleanupHistogramClass();
  Document doc(20, 10, [](int32_t x, int32_t) { return qztest::Rgb{uint8_t(x * 10), uint8_t(x * 10), uint8_t(x * 10)}; });
  Qz_Image* layer = doc.AddPaintLayer("Histogram", {0, 0, 0}, 0, 0, 20, 10, pointtest::Opaque);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeGetPanel), 0u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzHistogramGetBlackPoint), 0u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzHistogramGetWhitePoint), 190u);
  doc.Composite();
  EXPECT_EQ(doc.Pixel(19, 0), (qztest::Rgb{255, 255, 255}));
  EXPECT_EQ(doc.Pixel(10, 0), (qztest::Rgb{134, 134, 134}));  // 100 * 255 / 190
  ASSERT_EQ(Qz_InitHistogramClass(nullptr), 1u);
}

}  // namespace
