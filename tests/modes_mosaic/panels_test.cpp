// The mosaic modes' panels: each slider drives its setter and re-renders the
// layer once, and a setter called from elsewhere moves the slider back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "modes/mode_panel.h"
#include "objects/catalogue.h"
#include "objects/qz_root.h"
#include "compositor/compositor_kit.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QZ_EXTERN_C_END

namespace {

namespace mp = qz::modes;
using qztest::Document;

class MosaicPanels : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Qz__LoadCatalog("Data\\Lingua\\Quillantrix.etf", ""), 1);
    uint32_t count = 0;
    before_ = Qz_GetImageBase()->catalogue;
    Qz_GetImageBase()->catalogue = Qz__CatalogStrings(&count);
    ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u);
  }
  void TearDown() override {
    Qz_CleanupRootPluginClass();
    Qz_GetImageBase()->catalogue = before_;
    Qz__FreeCatalog();
  }
  static std::vector<std::string> Labels(Qz_Object* panel) {
    std::vector<std::string> labels;
    for (Qz_Object* text : qztest::FindAllOf(panel, "Text"))
      if (auto* label = reinterpret_cast<const char*>(Qz_DoMethod(text, kRootGetLabel))) labels.push_back(label);
    return labels;
  }
  const char* const* before_ = nullptr;
};

struct SliderCase {
  const char* mode;
  uint32_t setter, getter;
  const char* label;
  int32_t initial, bySlider, bySetter;
};

const SliderCase kSliders[] = {
    {"Pixelize", 0x820, 0x82A, "Width", 6, 40, 3},
    {"Pixelize", 0x834, 0x83E, "Height", 6, 256, 1},
    {"PolarMosaic", 2136, 2146, "Angle delim.", 180, 360, 12},
    {"PolarMosaic", 2066, 2076, "Ring width", 5, 255, 9},
    {"BizarrePixelize", 2086, 2096, "Strength", 1, 100, 4},
    {"BizarrePixelize", 2196, 2206, "Width", 85, 1, 50},
    {"BizarrePixelize", 2216, 2226, "Height", 85, 100, 60},
    {"BizarrePixelize", 2126, 2136, "Quality", 7, 100, 1},
};

TEST_F(MosaicPanels, SlidersDriveTheSettersAndShowThem) {
  Document doc(6, 4, qztest::NoisePixel);
  for (const SliderCase& c : kSliders) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.label);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, 0, 0, 6, 4, [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(layer, nullptr);
    auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(layer->mode, kQzModeGetPanel));
    ASSERT_NE(panel, nullptr);
    const auto labels = Labels(panel);
    EXPECT_NE(std::find(labels.begin(), labels.end(), c.label), labels.end());
    Qz_Object* slider = mp::panelGadget(layer->mode, c.setter);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(int32_t(Qz_DoMethod(slider, kValueGet)), c.initial);
    qztest::RerenderCounter rerenders;
    Qz_DoMethod(slider, kValueSet, uint32_t(c.bySlider));
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.getter)), c.bySlider);
    EXPECT_EQ(rerenders.Count(doc.image), 1u);
    Qz_DoMethod(layer->mode, c.setter, uint32_t(c.bySetter));
    EXPECT_EQ(int32_t(Qz_DoMethod(slider, kValueGet)), c.bySetter);
    EXPECT_EQ(rerenders.Count(doc.image), 2u) << "showing the value sent it back";
  }
}

// The centre's two entries set it, and the button puts it back in the layer's middle.
TEST_F(MosaicPanels, CentreEntriesAndButton) {
  struct Case {
    const char* mode;
    uint32_t setX, getX, setY, getY, centre;
  };
  Document doc(40, 22, qztest::NoisePixel);
  for (const Case& c : {Case{"PolarMosaic", 2086, 2096, 2106, 2116, 2126},
                        Case{"BizarrePixelize", 2146, 2156, 2166, 2176, 2186}}) {
    SCOPED_TRACE(c.mode);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, 4, 2, 30, 16, [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(layer, nullptr);
    ASSERT_NE(Qz_DoMethod(layer->mode, kQzModeGetPanel), 0u);
    Qz_Object* x = mp::panelGadget(layer->mode, c.setX);
    Qz_Object* y = mp::panelGadget(layer->mode, c.setY);
    Qz_Object* button = mp::panelGadget(layer->mode, c.centre);
    ASSERT_NE(x, nullptr);
    ASSERT_NE(y, nullptr);
    ASSERT_NE(button, nullptr);
    qztest::RerenderCounter rerenders;
    Qz_DoMethod(x, kStringEditSetNumber, uint32_t(-25));
    Qz_DoMethod(y, kStringEditSetNumber, 300u);
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.getX)), -25);
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.getY)), 300);
    EXPECT_EQ(rerenders.Count(doc.image), 2u);
    Qz_DoNotify(button, kButtonPressed, 1u);
    // The layer's middle, in document pixels.
    EXPECT_EQ(Qz_DoMethod(layer->mode, c.getX), 19u);
    EXPECT_EQ(Qz_DoMethod(layer->mode, c.getY), 10u);
    EXPECT_EQ(int32_t(Qz_DoMethod(x, kStringEditGetNumber)), 19);
    EXPECT_EQ(int32_t(Qz_DoMethod(y, kStringEditGetNumber)), 10);
  }
}

}  // namespace
