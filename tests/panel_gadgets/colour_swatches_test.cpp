#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "gadgets/panel_gadget_maths.h"
#include "gadgets/qz_colour_swatches.h"
#include "gadgets/qz_input_event.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "support/temp_dir.h"

namespace {

using qz::panelgadgets::SwatchGrid;

TEST(SwatchMaths, CellsAndPicksOnTheDefaultGrid) {
  const SwatchGrid grid;
  struct Case {
    int32_t dx, dy;
    uint32_t index;
  };
  const Case cases[] = {
      {0, 0, 0},      {11, 11, 0},    {12, 24, 9},   {23, 35, 9},  {47, 0, 3},
      {48, 0, 3},     // past the last column stays in the row
      {0, 767, 252},  {47, 767, 255}, {0, 5000, 255},  // below the grid: the last swatch
      {-5, -5, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(qz::panelgadgets::swatchAt(grid, c.dx, c.dy), c.index) << c.dx << "," << c.dy;
  const qz::panelgadgets::Cell cell = qz::panelgadgets::swatchCell(grid, 9);
  EXPECT_EQ(cell.x, 12);
  EXPECT_EQ(cell.y, 24);
  EXPECT_EQ(qz::panelgadgets::clampSwatch(grid, 1000), 255u);
  EXPECT_EQ(qz::panelgadgets::clampSwatch(grid, uint64_t(1) << 40), 255u);
}

// Records every pick notification's index.
struct Picks {
  std::vector<uint32_t> seen;
  static void note(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
    reinterpret_cast<Picks*>(user)->seen.push_back(uint32_t(value[0]));
  }
};

class Swatches : public testing::Test {
 protected:
  void SetUp() override {
    Qz_Init();
    Qz_InitColourSwatchesClass(nullptr);
    s = Qz_CreateObject("ColourSwatches");
    ASSERT_NE(s, nullptr);
    Qz_AddCallBackNotify(s, kSwatchesSelect, kNotifyAnyValue, Picks::note, reinterpret_cast<QzWord>(&picks));
    Qz_DoMethod(s, kRootMeasure);
    Qz_LayoutBox* b = &Qz_RootInstance(s)->box;
    b->left = 100;
    b->top = 50;
  }
  void TearDown() override {
    Qz_DisposeObject(s);
    Qz_CleanUp();
  }
  void send(uint32_t cls, uint32_t code, int x, int y) {
    Qz_InputEvent e{};
    e.cls = cls;
    e.code = code;
    e.mouseX = int16_t(x);
    e.mouseY = int16_t(y);
    EXPECT_EQ(Qz_DoMethod(s, kRootHandleIDCMP, &e), 2u);
  }
  Qz_Object* s = nullptr;
  Picks picks;
};

TEST_F(Swatches, StartsAs48By768WithItsColours) {
  const Qz_LayoutBox& b = Qz_RootInstance(s)->box;
  EXPECT_EQ(b.width, 48);
  EXPECT_EQ(b.minWidth, 48);
  EXPECT_EQ(b.maxWidth, 48);
  EXPECT_EQ(b.height, 768);
  EXPECT_EQ(b.maxHeight, 768);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetSelected), 0u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetColour, 1), 0x10101u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetColour, 16), 0x1001010u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetColour, 255), 0xFE01FFFFu);
}

TEST_F(Swatches, PressSelectsAndDragFollowsOnlyWithTheButtonHeld) {
  send(IDCMP_MOUSEMOVE, 0, 100 + 12, 50 + 24);  // no button: nothing
  EXPECT_TRUE(picks.seen.empty());
  send(IDCMP_MOUSEBUTTONS, SELECTDOWN, 100 + 23, 50 + 35);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetSelected), 9u);
  send(IDCMP_MOUSEMOVE, 0, 100 + 30, 50 + 36);   // next row, third column
  send(IDCMP_MOUSEMOVE, 0, 100 + 200, 50 + 36);  // off the grid: no pick
  send(IDCMP_MOUSEBUTTONS, SELECTUP, 100 + 30, 50 + 36);
  send(IDCMP_MOUSEMOVE, 0, 100 + 1, 50 + 1);  // released: no pick
  send(IDCMP_MOUSEBUTTONS, SELECTDOWN, 10, 10);  // press off the grid
  EXPECT_EQ(picks.seen, (std::vector<uint32_t>{9, 14}));
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetSelected), 14u);
}

TEST_F(Swatches, IndicesPastTheGridClampToTheLastSwatch) {
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesSelect, 3), 0u);  // answers the previous selection
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesSetColour, 1000, 0x123456), 0u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetColour, 255), 0x123456u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetColour, 1000), 0x123456u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetSelected), 255u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesSelect, 1u << 31), 255u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetSelected), 255u);
  EXPECT_EQ(picks.seen, (std::vector<uint32_t>{3, 255, 255}));
}

// A file that cannot be read keeps every colour and still notifies.
TEST_F(Swatches, PaletteLoadKeepsColoursWhenUnreadable) {
  Qz_DoMethod(s, kSwatchesSelect, 7);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesLoadPalette, reinterpret_cast<QzWord>("/nonexistent/Default.iff")), 0u);
  for (uint32_t i : {0u, 1u, 16u, 255u})
    EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetColour, i), qz::panelgadgets::initialSwatchColour(i));
  EXPECT_EQ(picks.seen, (std::vector<uint32_t>{7, 7}));
}

// A two-colour palette replaces the first two swatches only, then notifies.
TEST_F(Swatches, PaletteLoadReplacesOnlyItsColours) {
  // FORM ILBM: a header of one plane and a map of two colours.
  std::vector<uint8_t> file = {'F', 'O', 'R', 'M', 0, 0, 0, 46, 'I', 'L', 'B', 'M', 'B', 'M', 'H', 'D', 0, 0, 0, 20};
  const std::vector<uint8_t> header = {0, 16, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), {'C', 'M', 'A', 'P', 0, 0, 0, 6, 0x11, 0x22, 0x33, 0xAA, 0xBB, 0xCC});
  qztest::TempDir dir;
  const std::string path = dir.file("two.iff");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  Qz_DoMethod(s, kSwatchesSelect, 5);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesLoadPalette, reinterpret_cast<QzWord>(path.c_str())), 0u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetColour, 0), 0x332211u);
  EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetColour, 1), 0xCCBBAAu);
  for (uint32_t i : {2u, 16u, 255u})
    EXPECT_EQ(Qz_DoMethod(s, kSwatchesGetColour, i), qz::panelgadgets::initialSwatchColour(i));
  EXPECT_EQ(picks.seen, (std::vector<uint32_t>{5, 5}));
}

}  // namespace
