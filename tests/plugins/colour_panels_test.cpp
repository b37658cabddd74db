// The palette and colour chooser panels: the user's colour becomes the pen
// colour and reaches the paint layer; a pen colour set elsewhere shows in the
// panel and is never sent back.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_colour_swatches.h"
#include "image/app_commands.h"
#include "objects/qz_notify.h"
#include "panel_fixture.h"
#include "platform/windows.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitPalettePluginClass(Qz_GlobalData*);
void Qz_CleanupPalettePluginClass(void);
QzWord Qz_InitColourChooserPluginClass(Qz_GlobalData*);
void Qz_CleanupColourChooserPluginClass(void);
QZ_EXTERN_C_END

namespace {

Qz_Object* App() { return &Qz_GetImageBase()->applicationImage->object; }

// The pen colours the application announced while the recorder lived.
class PenColours {
 public:
  PenColours() : handle_(Qz_AddCallBackNotify(App(), qz::kQzAppSetColour, kNotifyAnyValue, &Record, QzWord(this))) {}
  ~PenColours() { Qz_RemoveNotify(App(), handle_); }
  std::vector<QzWord> values() {
    std::lock_guard<std::mutex> hold(lock_);
    return values_;
  }

 private:
  static void Record(QzWord self, Qz_Object*, uint32_t, const QzWord* value) {
    auto* r = reinterpret_cast<PenColours*>(self);
    std::lock_guard<std::mutex> hold(r->lock_);
    r->values_.push_back(value[0]);
  }
  QzWord handle_;
  std::mutex lock_;
  std::vector<QzWord> values_;
};

uint32_t Chosen(const Qz_Image* layer) {
  return layer->chosenColour[0] | layer->chosenColour[1] << 8 | uint32_t(layer->chosenColour[2]) << 16;
}

class PalettePanelTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(Qz_InitColourSwatchesClass(nullptr), 1u);
    StartUp({Qz_InitPalettePluginClass, Qz_CleanupPalettePluginClass, "PalettePlugin"},
            {qz::app::ClassGroup::Actions}, 20, 10);
    swatches_ = Find(panel_, "ColourSwatches");
    ASSERT_NE(swatches_, nullptr);
  }
  void TearDown() override {
    PanelImageTest::TearDown();
    Qz_CleanupColourSwatchesClass();
  }
  Qz_Object* swatches_ = nullptr;
};

TEST_F(PalettePanelTest, APickSetsThePenColourOfTheApplicationAndTheLayer) {
  for (uint32_t index : {3u, 200u}) {
    SCOPED_TRACE(index);
    const auto colour = uint32_t(Qz_DoMethod(swatches_, kSwatchesGetColour, index)) & 0xFFFFFF;
    PenColours sent;
    Qz_DoMethod(swatches_, kSwatchesSelect, index);
    EXPECT_EQ(sent.values(), std::vector<QzWord>{colour});
    EXPECT_EQ(Qz_DoMethod(App(), qz::kQzAppGetColour), colour);
    EXPECT_EQ(Chosen(layer_), colour);
  }
}

TEST_F(PalettePanelTest, APenColourSetElsewhereFillsTheSelectedSwatchAndSendsNoPick) {
  Qz_DoMethod(swatches_, kSwatchesSelect, 7u);
  const auto before = Qz_DoMethod(swatches_, kSwatchesGetColour, 8u);
  PenColours sent;
  Qz_DoMethod(App(), qz::kQzAppSetColour, 0x123456u);
  EXPECT_EQ(sent.values(), std::vector<QzWord>{0x123456u});
  EXPECT_EQ(Qz_DoMethod(swatches_, kSwatchesGetSelected), 7u);
  EXPECT_EQ(Qz_DoMethod(swatches_, kSwatchesGetColour, 7u) & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(Qz_DoMethod(swatches_, kSwatchesGetColour, 8u), before);
}

// Panels on one window thread: a pick in the palette shows in the colour
// chooser, and a colour chosen there fills the palette's selected swatch.
TEST_F(PalettePanelTest, ThePaletteAndTheColourChooserFollowEachOther) {
  ASSERT_EQ(Qz_InitColourChooserPluginClass(nullptr), 1u);
  Qz_Object* chooser = nullptr;
  {
    qztest::InDataRoot here;
    chooser = Qz_CreateObject("ColourChooserPlugin");
  }
  ASSERT_NE(chooser, nullptr);
  Qz_Object* editor = Find(chooser, "ColourEdit");
  ASSERT_NE(editor, nullptr);
  const auto editorColour = [editor] {
    uint32_t rgb = 0;
    for (uint32_t i = 0; i < 3; ++i) rgb |= uint32_t(Qz_DoMethod(Find(editor, "ColourBox"), kColourBoxGetRed + i)) << (8 * i);
    return rgb;
  };
  Qz_DoMethod(swatches_, kSwatchesSelect, 40u);
  EXPECT_EQ(editorColour(), uint32_t(Qz_DoMethod(swatches_, kSwatchesGetColour, 40u)) & 0xFFFFFF);
  Qz_DoMethod(editor, kQzColourEditColour, 0x214365u);
  EXPECT_EQ(Qz_DoMethod(swatches_, kSwatchesGetColour, 40u) & 0xFFFFFF, 0x214365u);
  EXPECT_EQ(Qz_DoMethod(App(), qz::kQzAppGetColour), 0x214365u);
  Qz_DisposeObject(chooser);
  Qz_CleanupColourChooserPluginClass();
}

TEST_F(PalettePanelTest, TheDefaultPaletteIsLoaded) {
  std::vector<QzWord> colours;
  for (uint32_t i = 0; i < 256; ++i) colours.push_back(Qz_DoMethod(swatches_, kSwatchesGetColour, i) & 0xFFFFFF);
  std::sort(colours.begin(), colours.end());
  EXPECT_GT(std::unique(colours.begin(), colours.end()) - colours.begin(), 200);
}

// The grid is far taller than a panel column: it scrolls, and the Load
// button below it stays inside a column of 480 pixels.
TEST_F(PalettePanelTest, TheGridScrollsSoItsLoadButtonStaysInAShortColumn) {
  OpenPanelWindow();
  const Window* w = ui.platformWindow(window_);
  ASSERT_NE(w, nullptr);
  EXPECT_LE(w->Height, 480 + w->BorderTop + w->BorderBottom);
  const std::vector<Qz_Object*> buttons = qztest::FindAllOf(panel_, "Button");
  ASSERT_FALSE(buttons.empty());
  const Qz_LayoutBox load = qztest::UiHarness::box(buttons.back());
  EXPECT_GT(load.height, 0);
  EXPECT_LE(load.top + load.height, w->Height - w->BorderBottom) << "the Load button is out of sight";
}

// A click on a swatch in the open panel (as the user makes it, through the
// scrolled grid around it) picks that swatch's colour.
TEST_F(PalettePanelTest, AClickOnASwatchPicksItsColour) {
  OpenPanelWindow();
  ASSERT_TRUE(ui.settle(window_));
  const Qz_LayoutBox grid = qztest::UiHarness::box(swatches_);
  const auto w = int32_t(Qz_DoMethod(swatches_, kSwatchesGetWidth)), h = int32_t(Qz_DoMethod(swatches_, kSwatchesGetHeight));
  ASSERT_GT(w, 0);
  const uint32_t columns = uint32_t(grid.width / w);
  for (const auto& [column, row] : {std::pair{2u, 5u}, std::pair{0u, 1u}}) {
    SCOPED_TRACE(row);
    const uint32_t index = row * columns + column;
    const auto colour = uint32_t(Qz_DoMethod(swatches_, kSwatchesGetColour, index)) & 0xFFFFFF;
    ui.click(window_, grid.left + int32_t(column) * w + w / 2, grid.top + int32_t(row) * h + h / 2);
    ASSERT_TRUE(ui.settle(window_));
    EXPECT_EQ(Qz_DoMethod(swatches_, kSwatchesGetSelected), index);
    EXPECT_EQ(Qz_DoMethod(App(), qz::kQzAppGetColour), colour);
  }
}

class ColourChooserPanelTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    StartUp({Qz_InitColourChooserPluginClass, Qz_CleanupColourChooserPluginClass, "ColourChooserPlugin"},
            {qz::app::ClassGroup::Actions}, 20, 10);
    editor_ = Find(panel_, "ColourEdit");
    ASSERT_NE(editor_, nullptr);
  }
  uint32_t Shown() {
    uint8_t rgb[3] = {};
    for (uint32_t i = 0; i < 3; ++i) rgb[i] = uint8_t(Qz_DoMethod(Find(editor_, "ColourBox"), kColourBoxGetRed + i));
    return rgb[0] | rgb[1] << 8 | uint32_t(rgb[2]) << 16;
  }
  Qz_Object* editor_ = nullptr;
};

TEST_F(ColourChooserPanelTest, TheEditorsColourBecomesThePenColour) {
  PenColours sent;
  Qz_DoMethod(editor_, kQzColourEditColour, 0x3264C8u);
  EXPECT_EQ(sent.values(), std::vector<QzWord>{0x3264C8u});
  EXPECT_EQ(Chosen(layer_), 0x3264C8u);
}

TEST_F(ColourChooserPanelTest, ColoursFromElsewhereShowWithoutBeingSentBack) {
  {
    PenColours sent;
    Qz_DoMethod(App(), qz::kQzAppSetColour, 0x0A0B0Cu);
    EXPECT_EQ(sent.values(), std::vector<QzWord>{0x0A0B0Cu});
    EXPECT_EQ(Shown(), 0x0A0B0Cu);
  }
  layer_->chosenColour[0] = 1, layer_->chosenColour[1] = 2, layer_->chosenColour[2] = 3;
  PenColours sent;
  Qz_DoNotify(App(), kQzImageActiveLayerNotice, layer_);
  EXPECT_EQ(Shown(), 0x030201u);
  EXPECT_TRUE(sent.values().empty());
  EXPECT_EQ(Qz_DoMethod(App(), qz::kQzAppGetColour), 0x0A0B0Cu);
}

}  // namespace
