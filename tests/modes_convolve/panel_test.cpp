// The family's options panels: the convolve grid shows the matrix row by
// row and its fields set the weights; a load shows the file's weights; the
// sharpen panel replaces the grid, after which nothing reaches the old
// fields; the relief panels follow their settings both ways.
#include <gtest/gtest.h>

#include <fstream>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "compositor/compositor_kit.h"
#include "modes/mode_panel.h"
#include "modes/qz_convolve_mode.h"
#include "modes/qz_relief_modes.h"
#include "objects/qz_root.h"
#include "support/object_tree.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QZ_EXTERN_C_END

namespace {

namespace mp = qz::modes;

constexpr uint32_t Cell(int32_t row, int32_t column) { return kQzConvolveSetGridWeight + uint32_t(row * 3 + column); }

class FamilyPanels : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u); }
  void TearDown() override {
    for (Qz_Object* m : modes_) Qz_DisposeObject(m);
    Qz_CleanupRootPluginClass();
  }
  Qz_Object* Make(const char* name) {
    Qz_Object* m = Qz_CreateObject(name);
    EXPECT_NE(m, nullptr) << name;
    if (m) modes_.push_back(m);
    return m;
  }
  static int32_t Shown(Qz_Object* field) { return int32_t(Qz_DoMethod(field, kStringEditGetNumber)); }

  qztest::UiHarness ui_;
  std::vector<Qz_Object*> modes_;
};

TEST_F(FamilyPanels, TheGridShowsTheMatrixRowByRow) {
  Qz_Object* convolve = Make("ConvolveMode");
  ASSERT_NE(convolve, nullptr);
  ASSERT_NE(Qz_DoMethod(convolve, kQzModeGetPanel), 0u);
  const int32_t expected[3][3] = {{5, 5, -5}, {10, 0, -20}, {5, 5, -5}};
  for (int32_t i = 0; i < 3; ++i)
    for (int32_t j = 0; j < 3; ++j) {
      Qz_Object* field = mp::panelGadget(convolve, Cell(i, j));
      ASSERT_NE(field, nullptr);
      EXPECT_EQ(Shown(field), expected[i][j]) << i << "," << j;
    }
  // Each of the matrix's rows is one row of the panel: the row's three
  // fields share a group, and no field of another row is in it.
  auto group = [&](int32_t i, int32_t j) { return Qz_RootInstance(mp::panelGadget(convolve, Cell(i, j)))->box.parent; };
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(group(i, 0), group(i, 1));
    EXPECT_EQ(group(i, 0), group(i, 2));
    EXPECT_NE(group(i, 0), group((i + 1) % 3, 0));
  }
  EXPECT_EQ(qztest::FindAllOf(reinterpret_cast<Qz_Object*>(Qz_DoMethod(convolve, kQzModeGetPanel)), "Button").size(), 2u);
}

TEST_F(FamilyPanels, AFieldSetsItsWeightAndALoadShowsTheFile) {
  Qz_Object* convolve = Make("ConvolveMode");
  ASSERT_NE(convolve, nullptr);
  Qz_Object* field = mp::panelGadget(convolve, Cell(1, 0));
  ASSERT_NE(field, nullptr);
  Qz_DoMethod(field, kStringEditSetNumber, QzWord(intptr_t(-7)));  // as typing does
  EXPECT_EQ(Qz_DoMethod(convolve, kQzConvolveGetMatrixEntry, 1, 0), QzWord(intptr_t(-7)));
  EXPECT_EQ(Qz_DoMethod(convolve, kQzConvolveGetMatrixEntry, 0, 1), 5u);
  qztest::TempDir dir;
  const std::string path = dir.file("m");
  std::ofstream(path, std::ios::binary) << "MTRX\n\t5\t5\n\t1\t0\n" << "1 2 3 4 5\n6 7 8 9 10\n11 12 13 14 15\n16 17 18 19 20\n21 22 23 24 25\n";
  ASSERT_NE(Qz_DoMethod(convolve, kQzConvolveLoadMatrix, path.c_str()), 0u);
  EXPECT_EQ(Shown(mp::panelGadget(convolve, Cell(0, 0))), 1);
  EXPECT_EQ(Shown(mp::panelGadget(convolve, Cell(1, 2))), 8);
  EXPECT_EQ(Shown(mp::panelGadget(convolve, Cell(2, 1))), 12);
  // Showing the file sent nothing back: the weights beyond the grid are the file's.
  EXPECT_EQ(Qz_DoMethod(convolve, kQzConvolveGetMatrixEntry, 4, 4), 25u);
  // An edit re-reads the fields and keeps the rest.
  Qz_DoMethod(mp::panelGadget(convolve, Cell(2, 2)), kStringEditSetNumber, 100);
  EXPECT_EQ(Qz_DoMethod(convolve, kQzConvolveGetMatrixEntry, 2, 2), 100u);
  EXPECT_EQ(Qz_DoMethod(convolve, kQzConvolveGetMatrixEntry, 3, 4), 20u);
}

TEST_F(FamilyPanels, TheSharpenPanelReplacesTheGrid) {
  Qz_Object* sharpen = Make("SharpenMode");
  ASSERT_NE(sharpen, nullptr);
  EXPECT_EQ(mp::panelGadget(sharpen, Cell(0, 0)), nullptr);
  Qz_Object* slider = mp::panelGadget(sharpen, kQzSharpenSetAmount);
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(Qz_DoMethod(slider, kValueGet), 25u);
  Qz_DoMethod(sharpen, kQzSharpenSetAmount, 60);
  EXPECT_EQ(Qz_DoMethod(slider, kValueGet), 60u);
  // A load writes into the panel: the grid that went must not be reached (ASan).
  qztest::TempDir dir;
  const std::string path = dir.file("m");
  std::ofstream(path, std::ios::binary) << "MTRX\n\t3\t3\n\t1\t0\n\t1\t1\t1\n\t1\t1\t1\n\t1\t1\t1\n";
  EXPECT_NE(Qz_DoMethod(sharpen, kQzConvolveLoadMatrix, path.c_str()), 0u);
  EXPECT_EQ(Qz_DoMethod(sharpen, kQzConvolveMatrixEdited), 0u);
  EXPECT_EQ(Qz_DoMethod(slider, kValueGet), 60u);
}

TEST_F(FamilyPanels, ReliefPanelsFollowTheirSettingsBothWays) {
  enum Kind { Slider, Dial, Box };
  struct Case {
    const char* mode;
    uint32_t setter;
    Kind kind;
    int32_t initial, changed, typed;
  };
  const Case cases[] = {
      {"EmbossMode", kQzModeSetAmount, Slider, 100, -40, 150},  {"EmbossMode", kQzModeSetRadius, Slider, 1, 12, 128},
      {"EmbossMode", kQzModeSetAngle, Dial, 135, 10, 270},      {"EmbossMode", kQzModeSetColourMode, Box, 0, 1, 0},
      {"BasReliefMode", kQzModeSetAmount, Slider, 100, -100, 5}, {"BasReliefMode", kQzModeSetRadius, Slider, 2, 7, 1},
      {"BasReliefMode", kQzModeSetAngle, Dial, 45, 300, 0},     {"EdgeDetectMode", kQzEdgeSetStrength, Slider, 32, 200, 3},
      {"ContourMapMode", kQzContourSetAmount, Slider, 20, 0, 255}, {"ContourMapMode", kQzContourSetGridX, Slider, 10, 33, 1},
      {"ContourMapMode", kQzContourSetGridY, Slider, 10, 2, 99}, {"ContourMapMode", kQzContourSetAngle, Dial, 45, 90, 180},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " 0x" << std::hex << c.setter);
    Qz_Object* mode = Make(c.mode);
    ASSERT_NE(mode, nullptr);
    Qz_Object* gadget = mp::panelGadget(mode, c.setter);
    ASSERT_NE(gadget, nullptr);
    const uint32_t get = c.kind == Slider ? kValueGet : c.kind == Dial ? kAngleGet : kCheckBoxGetState;
    const uint32_t set = c.kind == Slider ? kValueSet : c.kind == Dial ? kAngleSet : kCheckBoxSetState;
    const uint32_t getter = c.setter + 10;  // each setter's getter follows it
    EXPECT_EQ(int32_t(Qz_DoMethod(gadget, get)), c.initial);
    Qz_DoMethod(mode, c.setter, uint32_t(c.changed));
    EXPECT_EQ(int32_t(Qz_DoMethod(gadget, get)), c.changed);
    Qz_DoMethod(gadget, set, uint32_t(c.typed));  // as the user's input does
    EXPECT_EQ(int32_t(int16_t(Qz_DoMethod(mode, getter))), c.typed);
  }
}

}  // namespace
