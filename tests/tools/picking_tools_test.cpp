// The colour picker and the position tool driven by scripted input: what the
// picker sends the application, and the placement actions the position tool
// makes and applies.
#include <gtest/gtest.h>

#include <vector>

#include "image/app_commands.h"
#include "objects/qz_notify.h"
#include "tools/tool_fixture.h"

namespace {

std::vector<QzWord> gColours;
void RecordColour(QzWord, Qz_Object*, uint32_t, const QzWord* value) { gColours.push_back(value[0]); }

class ColourPickerTest : public qz::test::ToolFixture {
 protected:
  static void SetUpTestSuite() { Qz_InitColourPickerToolClass(Qz_GetGlobalData()); }
  static void TearDownTestSuite() { Qz_CleanupColourPickerToolClass(); }
  void SetUp() override {
    ToolFixture::SetUp();
    Qz_ImageBase* base = Qz_GetImageBase();
    savedApplication_ = base->applicationImage;
    base->applicationImage = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
    Qz_AddCallBackNotify(&base->applicationImage->object, qz::kQzAppSetColour, kNotifyAnyValue, RecordColour, 0);
    gColours.clear();
    for (int32_t y = 0; y < doc_->height; ++y)
      for (int32_t x = 0; x < doc_->width; ++x)
        doc_->r[y][x] = uint8_t(x * 5), doc_->g[y][x] = uint8_t(y * 5), doc_->b[y][x] = 7;
    doc_->r[3][7] = 200, doc_->g[3][7] = 100, doc_->b[3][7] = 50;
    Use("ColourPickerTool");
  }
  void TearDown() override {
    Qz_ImageBase* base = Qz_GetImageBase();
    Qz_DisposeObject(&base->applicationImage->object);
    base->applicationImage = savedApplication_;
    ToolFixture::TearDown();
  }
  static QzWord At(int32_t x, int32_t y) { return QzWord(7u << 16 | uint32_t(y * 5) << 8 | uint32_t(x * 5)); }

  Qz_Image* savedApplication_ = nullptr;
};

TEST_F(ColourPickerTest, ALeftPressPicksThePixelAsBlueGreenRed) {
  EXPECT_EQ(Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 7, 3), kToolInputDone);
  EXPECT_EQ(gColours, (std::vector<QzWord>{0x3264C8}));
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetBrushOutline), 0u);
}

TEST_F(ColourPickerTest, PickingLastsFromALeftPressOverTheViewUntilARelease) {
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 45, 5);  // outside the view: no picking
  Input(IDCMP_MOUSEMOVE, 0, 2, 2);
  Input(IDCMP_MOUSEBUTTONS, MENUDOWN, 2, 2);  // the right button never picks
  EXPECT_TRUE(gColours.empty());
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 1, 1);
  Input(IDCMP_MOUSEMOVE, 0, 50, 5);  // left the view
  Input(IDCMP_MOUSEMOVE, 0, 4, 6);   // back over it
  Input(IDCMP_MOUSEBUTTONS, MENUUP, 4, 6);  // either release ends it
  Input(IDCMP_MOUSEMOVE, 0, 8, 8);
  EXPECT_EQ(gColours, (std::vector<QzWord>{At(1, 1), At(4, 6)}));
}

TEST_F(ColourPickerTest, PointsOfALargerViewBeyondThePictureAreIgnored) {
  auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(view_, kRootGetLayoutBox));
  box->width = qz::test::kWidth + 20, box->height = qz::test::kHeight + 20;
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, qz::test::kWidth + 5, 5);
  Input(IDCMP_MOUSEMOVE, 0, 5, qz::test::kHeight);
  Input(IDCMP_MOUSEMOVE, 0, qz::test::kWidth - 1, qz::test::kHeight - 1);
  EXPECT_EQ(gColours, (std::vector<QzWord>{At(qz::test::kWidth - 1, qz::test::kHeight - 1)}));
}

}  // namespace
