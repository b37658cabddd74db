// The button tool and ButtonAction, with the real Gaussian blur softening
// the button's mask and the real bump map lighting its colour: the dragged
// box either way, the layer's lit colour and blurred inset mask, moves and
// repeated settings that do not render again (counted by the modes' fetches),
// panel edits, and undo.
#include <gtest/gtest.h>

#include <atomic>

#include "gadgets/qz_text_entry.h"
#include "handle_tools/handle_tools_fixture.h"
#include "image/qz_compositor.h"
#include "objects/qz_class_kit.h"

namespace {

using namespace handle_tools_test;
using namespace qz::tools;

// Every fetch of image data: the blur's and the bump map's renders.
std::atomic<int> gRenders{0};
void CountFetch(const Qz_ImageLock*, void*) { ++gRenders; }

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Qz__SetImageDataObserver(CountFetch, nullptr);
    gZoomPercent = 100;
    d_.Open(60, 40);
    d_.MakeActive();
    tool_ = Qz_CreateObject("ButtonTool");
    ASSERT_NE(tool_, nullptr);
    panel_ = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kToolGetOptions));
  }
  void TearDown() override {
    Qz_DisposeObject(tool_);
    d_.Close();
    Qz__SetImageDataObserver(nullptr, nullptr);
  }
  Qz_Object* Button() {
    Qz_Object* a = selectedAction(d_.doc);
    return qz::actions::classIdOf(a) == kFillImageActionClassId ? a : nullptr;
  }
  void Type(uint32_t which, int32_t value) {
    Qz_Object* edit = FindGadget(panel_, kStringEditClassId, which);
    ASSERT_NE(edit, nullptr);
    Qz_DoMethod(edit, kStringEditSetNumber, uint32_t(value));
    Qz_DoNotify(edit, kStringEditSetNumber, uint32_t(value));
  }

  Document d_;
  Qz_Object* tool_ = nullptr;
  Qz_Object* panel_ = nullptr;
};

TEST_F(ButtonTest, EitherDragGivesTheSameButtonWithItsColourAndInsetMask) {
  Drag(tool_, d_.doc, 19, 17, 10, 10);  // bottom right to top left
  Qz_Object* button = Button();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(actionPoints(button), (Points{{10, 10}, {20, 10}, {20, 18}, {10, 18}}));
  Qz_Image* layer = qz::actions::layerOf(button);
  ASSERT_NE(layer, nullptr);
  ASSERT_EQ(layer->type, kQzImageLayer);
  // Points 0 and 2 with both ends: 11 x 9 at (10, 10).
  EXPECT_EQ(layer->width, 11);
  EXPECT_EQ(layer->height, 9);
  EXPECT_EQ(layer->placement.layerX, 10);
  EXPECT_EQ(layer->placement.layerY, 10);
  EXPECT_GT(gRenders.load(), 0);
  // Softness 5 leaves an inner 1 x ... box: softness 2 gives a clearer picture.
  // The white rectangle inset by 2 (columns 2..8, rows 2..6), blurred at
  // radius 2: weights 1 4 9 4 1 each way, full only at the centre.
  Qz_DoMethod(button, kButtonActionSetSoftness, 2u);
  ASSERT_NE(layer->inner, nullptr);
  const uint8_t middleRow[11] = {13, 69, 193, 248, 255, 255, 255, 248, 193, 69, 13};
  const uint8_t middleColumn[9] = {13, 68, 193, 248, 255, 248, 193, 68, 13};
  for (int32_t x = 0; x < 11; ++x) EXPECT_EQ(layer->inner->grey[4][x], middleRow[x]) << x;
  for (int32_t y = 0; y < 9; ++y) EXPECT_EQ(layer->inner->grey[y][5], middleColumn[y]) << y;
  EXPECT_EQ(layer->inner->grey[0][0], 0);
  EXPECT_EQ(layer->inner->grey[1][1], 18);
  EXPECT_EQ(layer->inner->grey[2][2], 142);
  // The colour, premultiplied by the mask: full at the centre, none in the corner.
  EXPECT_EQ(layer->r[4][5], 0x7F);
  EXPECT_EQ(layer->b[4][5], 0xC8);
  // Where the mask is full the colour shows lit by the relief of the blurred
  // rectangle (the mask itself): depth 2 along the default light from the
  // upper left, at 100 %, steps (2, 2) and (1, 1).
  auto mask = [&](int32_t x, int32_t y) {
    return int32_t(layer->inner->grey[std::clamp(y, 0, 8)][std::clamp(x, 0, 10)]);
  };
  const int32_t colour[3] = {0x7F, 0x96, 0xC8};
  int32_t lit = 0;
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 11; ++x) {
      if (mask(x, y) != 255) continue;
      const int32_t relief = mask(x + 2, y + 2) - mask(x - 2, y - 2) + mask(x + 1, y + 1) - mask(x - 1, y - 1);
      const Qz_Plane planes[3] = {layer->r, layer->g, layer->b};
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(planes[c][y][x], std::clamp(colour[c] + relief, 0, 255)) << x << ", " << y << " channel " << c;
      lit += relief != 0;
    }
  EXPECT_GT(lit, 0);  // the relief shows somewhere on the full part
  EXPECT_EQ(layer->r[0][0], 0);
  EXPECT_GT(layer->r[4][1], 0);
  EXPECT_LT(layer->r[4][1], 0x7F);
  // Softness 0: the white rectangle fills the box.
  Qz_DoMethod(button, kButtonActionSetSoftness, 0u);
  EXPECT_EQ(layer->inner->grey[0][0], 255);
  EXPECT_EQ(layer->inner->grey[8][10], 255);
}

TEST_F(ButtonTest, MovingAndRepeatedSettingsDoNotRenderAgain) {
  Drag(tool_, d_.doc, 10, 10, 29, 19);
  Qz_Object* button = Button();
  ASSERT_NE(button, nullptr);
  Qz_Image* layer = qz::actions::layerOf(button);
  const int renders = gRenders.load();
  Drag(tool_, d_.doc, 15, 15, 20, 18);  // inside: the handle editor moves it
  EXPECT_EQ(layer->placement.layerX, 15);
  EXPECT_EQ(layer->placement.layerY, 13);
  EXPECT_EQ(layer->width, 21);  // the button's box takes both corners in
  Qz_DoMethod(button, kButtonActionSetAmount, 100u);  // the value it has
  EXPECT_EQ(gRenders.load(), renders);
  Qz_DoMethod(tool_, kButtonActionSetAmount, 150u);  // through the tool, as its slider sends it
  EXPECT_EQ(Qz_DoMethod(button, kButtonActionGetAmount), 150u);
  EXPECT_GT(gRenders.load(), renders);
}

TEST_F(ButtonTest, PanelEditsMoveOrSizeTheSelectedButtonOnly) {
  Type(0, 30);  // nothing selected: nothing happens
  EXPECT_EQ(Button(), nullptr);
  Drag(tool_, d_.doc, 10, 10, 29, 19);
  Qz_Object* button = Button();
  ASSERT_NE(button, nullptr);
  Qz_Image* layer = qz::actions::layerOf(button);
  Type(0, 14);  // a new x moves the whole button
  EXPECT_EQ(actionPoints(button), (Points{{14, 10}, {34, 10}, {34, 20}, {14, 20}}));
  EXPECT_EQ(layer->placement.layerX, 14);
  EXPECT_EQ(layer->width, 21);
  Type(2, 10);  // a new width moves only the right edge
  EXPECT_EQ(actionPoints(button), (Points{{14, 10}, {24, 10}, {24, 20}, {14, 20}}));
  EXPECT_EQ(layer->width, 11);
  EXPECT_EQ(layer->placement.layerX, 14);
}

TEST_F(ButtonTest, OneUndoHidesTheButtonAndRedoShowsIt) {
  Drag(tool_, d_.doc, 10, 10, 29, 19);
  Qz_Image* layer = qz::actions::layerOf(Button());
  ASSERT_EQ(Qz_UndoImageAction(d_.doc), 1u);
  EXPECT_EQ(layer->visible, 0);
  ASSERT_EQ(Qz_RedoImageAction(d_.doc), 1u);
  EXPECT_NE(layer->visible, 0);
}

}  // namespace
