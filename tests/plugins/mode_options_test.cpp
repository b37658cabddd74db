// The mode-options panel with real modes: choosing a layer's mode shows that
// mode's own options panel in it (BiColour has one, the colour-blend modes
// none), and the panel's gadgets drive what the mode paints.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gadgets/qz_colour_edit.h"
#include "image/qz_compositor.h"
#include "modes/mode_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_root.h"
#include "panel_fixture.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitModeOptionsPluginClass(Qz_GlobalData*);
void Qz_CleanupModeOptionsPluginClass(void);
QZ_EXTERN_C_END

namespace {

int gRerenders = 0;
void Qz__CountRerender(Qz_Image*) { ++gRerenders; }

class ModeOptionsTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    StartUp({Qz_InitModeOptionsPluginClass, Qz_CleanupModeOptionsPluginClass, "ModeOptionsPlugin"},
            {qz::app::ClassGroup::Modes, qz::app::ClassGroup::Actions}, 4, 1);
    ASSERT_NE(Qz_GetImageBase()->modePanelGroup, nullptr);
    Qz__SetModeRerenderPoster(Qz__CountRerender);
  }
  void TearDown() override {
    Qz__SetModeRerenderPoster(nullptr);
    PanelImageTest::TearDown();
  }
  Qz_Object* choose(const char* name) {
    Qz_DoMethod(&layer_->object, kQzImageSetLayerMode, name);
    return layer_->chosenMode;
  }
  static std::vector<Qz_Object*> shownPanels() {
    Qz_Object* group = Qz_GetImageBase()->modePanelGroup;
    std::vector<Qz_Object*> out;
    for (auto* m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kLinkedListFirst)); m;
         m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kLinkedListNext, m)))
      out.push_back(m);
    return out;
  }
  // What the mode writes over the document's pixel (0, 0), whose layer
  // pixel is empty: BiColour's second colour there.
  static uint32_t renderedAtEmptyPixel(Qz_Object* mode, Qz_Image* doc, Qz_Image* layer) {
    uint8_t r = 0, g = 0, b = 0;
    uint8_t *rr = &r, *gr = &g, *br = &b;
    Qz_ImageLock block{};
    block.image = doc;
    block.layer = layer;
    block.r = doc->r, block.g = doc->g, block.b = doc->b;
    Qz_ImageLock spare{};
    Qz_ModeRenderMessage message{&block, &spare, &rr, &gr, &br, nullptr};
    Qz_RenderMode(mode, &message);
    return uint32_t(r | g << 8 | b << 16);
  }
};

// Each choice shows the chosen mode's panel, or none for a mode without
// options; the panel of the mode replaced leaves the group.
TEST_F(ModeOptionsTest, ChoosingAModeShowsItsOwnPanelOnly) {
  struct Case { const char* mode; bool hasPanel; };
  const Case cases[] = {{"BiColour", true}, {"Paint", false}, {"Tint", false}, {"BiColour", true},
                        {"Colourise", false}, {"Sepia", false}, {"Dodge", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Qz_Object* mode = choose(c.mode);
    ASSERT_NE(mode, nullptr);
    auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(mode, kQzModeGetPanel));
    EXPECT_EQ(panel != nullptr, c.hasPanel);
    EXPECT_EQ(shownPanels(), c.hasPanel ? std::vector<Qz_Object*>{panel} : std::vector<Qz_Object*>{});
  }
}

// BiColour's panel: its second colour editor sets the colour the mode
// paints where the layer is empty, and the change asks for a re-render.
TEST_F(ModeOptionsTest, BiColourPanelSetsTheColoursItPaints) {
  Qz_Object* mode = choose("BiColour");
  ASSERT_NE(mode, nullptr);
  const std::vector<Qz_Object*> edits =
      qztest::FindAllOf(reinterpret_cast<Qz_Object*>(Qz_DoMethod(mode, kQzModeGetPanel)), "ColourEdit");
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_EQ(renderedAtEmptyPixel(mode, doc_, layer_), 0u);
  const int before = gRerenders;
  const uint32_t second = 20 | 40 << 8 | 60 << 16;
  Qz_DoMethod(edits[1], kQzColourEditColour, second);
  EXPECT_EQ(renderedAtEmptyPixel(mode, doc_, layer_), second);
  EXPECT_GT(gRerenders, before);
}

// The first editor is the layer's paint colour: it shows the layer's
// colour when the mode takes the layer, and what it is given becomes the
// colour the layer paints with.
TEST_F(ModeOptionsTest, BiColourFirstEditorIsTheLayersPaintColour) {
  const uint8_t committed[3] = {10, 20, 30};
  std::memcpy(layer_->committedColour, committed, 3);
  Qz_Object* mode = choose("BiColour");
  ASSERT_NE(mode, nullptr);
  const std::vector<Qz_Object*> edits =
      qztest::FindAllOf(reinterpret_cast<Qz_Object*>(Qz_DoMethod(mode, kQzModeGetPanel)), "ColourEdit");
  ASSERT_EQ(edits.size(), 2u);
  const auto shown = [](Qz_Object* edit) {
    uint32_t rgb = 0;
    Qz_Object* box = qztest::FindAllOf(edit, "ColourBox").front();
    for (uint32_t i = 0; i < 3; ++i) rgb |= uint32_t(Qz_DoMethod(box, kColourBoxGetRed + i)) << (8 * i);
    return rgb;
  };
  EXPECT_EQ(shown(edits[0]), 10u | 20u << 8 | 30u << 16);
  Qz_DoMethod(edits[0], kQzColourEditColour, 0x214365u);
  EXPECT_EQ(layer_->chosenColour[0] | layer_->chosenColour[1] << 8 | uint32_t(layer_->chosenColour[2]) << 16,
            0x214365u);
  EXPECT_EQ(renderedAtEmptyPixel(mode, doc_, layer_), 0u) << "the second colour is the mode's own";
}

}  // namespace
