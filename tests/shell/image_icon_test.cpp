// Image icons: the thumbnail's size inside the icon box, the rows of the
// pop-up grid, and an icon in a window showing a document's thumbnail.
#include <gtest/gtest.h>

#include "app/icon_geometry.h"
#include "app/qz_image_icon.h"
#include "gadgets/qz_group.h"
#include "image/image_shell.h"
#include "objects/qz_class_kit.h"
#include "view_fixture.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitImageIconClass(Qz_GlobalData*);
QZ_EXPORT void Qz_CleanupImageIconClass(void);
QZ_EXTERN_C_END

namespace {

using qztest::Pixel;

TEST(ImageIconGeometry, ThumbnailKeepsTheLongerSideAndScalesTheOther) {
  struct Case {
    int32_t width, height, thumbWidth, thumbHeight;
  } const cases[] = {
      {200, 100, 64, 32}, {100, 200, 24, 48}, {1000, 10, 64, 1}, {10, 1000, 1, 48},
      {100, 100, 48, 48}, {60, 50, 64, 48},  // nearly square wide: the height is capped
      {1, 1, 48, 48},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const qz::app::ThumbnailSize s = qz::app::thumbnailSize(c.width, c.height, 64, 48);
    EXPECT_EQ(s.width, c.thumbWidth);
    EXPECT_EQ(s.height, c.thumbHeight);
  }
}

TEST(ImageIconGeometry, PopUpRowsAreHalvedUntilAColumnFitsAndNeverLoop) {
  struct Case {
    int32_t others, available, rowLength;
  } const cases[] = {
      {9, 256, 3}, {9, 319, 3}, {9, 600, 9}, {4, 256, 4}, {0, 500, 0},
      {1, 10, 1},   // too small for one icon: one per row, not a hang
      {5, -40, 1},  // unknown screen height
      {0, -40, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.others << " in " << c.available);
    EXPECT_EQ(qz::app::popUpRowLength(c.others, c.available), c.rowLength);
  }
}

class ImageIconTest : public qztest::ViewFixture {
 protected:
  void SetUp() override { ASSERT_EQ(Qz_InitImageIconClass(Qz_GetGlobalData()), 1u); }
  void TearDown() override {
    ViewFixture::TearDown();
    Qz_CleanupImageIconClass();
  }
};

TEST_F(ImageIconTest, ShowsTheDocumentAsAThumbnailInAFixedBox) {
  const std::string path = dir_.file("wide.ppm");
  qztest::WritePicture(path, 40, 20);
  ASSERT_NE(LoadShown(path), nullptr);
  Qz_Object* icon = Qz_CreateObject("ImageIcon");
  ASSERT_NE(icon, nullptr);
  Qz_Object* win = ui_.window("Icons", 10, 10);
  Qz_DoMethod(win, kGroupAddTail, icon);
  ASSERT_TRUE(ui_.open(win));
  ui_.post(win, icon, kImageIconSetImage, image_);
  ASSERT_TRUE(ui_.settle(win));
  ui_.post(win, icon, kRootDraw);
  ASSERT_TRUE(ui_.settle(win));

  const Qz_LayoutBox iconBox = qztest::UiHarness::box(icon);
  EXPECT_EQ(iconBox.width, 64);
  EXPECT_EQ(iconBox.height, 48);
  Qz_Object* view = reinterpret_cast<Qz_Object*>(Qz_DoMethod(icon, kImageIconGetView));
  const Qz_LayoutBox b = qztest::UiHarness::box(view);
  EXPECT_EQ(b.width, 64);
  EXPECT_EQ(b.height, 32);
  EXPECT_EQ(ui_.pixel(win, b.left, b.top), Pixel(0, 0));
  EXPECT_EQ(ui_.pixel(win, b.left + 63, b.top + 31), Pixel(39, 19));
  EXPECT_EQ(ui_.pixel(win, b.left + 32, b.top + 16), Pixel(20, 10));
  // The thumbnail is not one of the document's views.
  EXPECT_NE(Qz_CurrentViewOf(image_), view);
}

}  // namespace
