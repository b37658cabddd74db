// Image icons: the thumbnail's size inside the icon box, the rows of the
// pop-up grid, and an icon in a window showing a document's thumbnail.
#include <gtest/gtest.h>

#include "app/icon_geometry.h"
#include "app/qz_image_icon.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "image/image_shell.h"
#include "objects/qz_notify.h"
#include "objects/qz_class_kit.h"
#include "support/object_tree.h"
#include "view_fixture.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitImageIconClass(Qz_GlobalData*);
QZ_EXPORT void Qz_CleanupImageIconClass(void);
QZ_EXPORT QzWord Qz_InitImagePopUpClass(Qz_GlobalData*);
QZ_EXPORT void Qz_CleanupImagePopUpClass(void);
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
  void SetUp() override {
    ASSERT_EQ(Qz_InitImageIconClass(Qz_GetGlobalData()), 1u);
    ASSERT_EQ(Qz_InitImagePopUpClass(Qz_GetGlobalData()), 1u);
  }
  void TearDown() override {
    for (Qz_Image* other : others_) Qz_DisposeObject(&other->object);
    ViewFixture::TearDown();
    Qz_CleanupImagePopUpClass();
    Qz_CleanupImageIconClass();
  }
  Qz_Image* LoadOther(int32_t w, int32_t h) {
    const std::string path = dir_.file("other" + std::to_string(others_.size()) + ".ppm");
    qztest::WritePicture(path, w, h);
    Qz_Image* image = Qz__LoadImageA(path.c_str(), nullptr, nullptr, kQuiet | kQzLoadNoView, nullptr);
    if (image) others_.push_back(image);
    return image;
  }
  std::vector<Qz_Image*> others_;
};

void CountCall(QzWord user, Qz_Object*, uint32_t, const QzWord*) { ++*reinterpret_cast<int*>(user); }
void KeepValue(QzWord user, Qz_Object*, uint32_t, const QzWord* values) { *reinterpret_cast<QzWord*>(user) = values[0]; }

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

namespace {

TEST_F(ImageIconTest, PopUpOffersTheOtherDocumentsAndAnnouncesTheOnePicked) {
  const std::string path = dir_.file("chosen.ppm");
  qztest::WritePicture(path, 30, 20);
  ASSERT_NE(LoadShown(path), nullptr);
  Qz_Object* popUp = Qz_CreateObject("ImagePopUp", kImagePopUpSetEnabled, 1, kImagePopUpSetImage, image_);
  ASSERT_NE(popUp, nullptr);
  int opened = 0;
  QzWord picked = 0;
  Qz_AddCallBackNotify(popUp->super, kPopUpOpening, kNotifyAnyValue, CountCall, reinterpret_cast<QzWord>(&opened));
  Qz_AddCallBackNotify(popUp, kImagePopUpChosen, kNotifyAnyValue, KeepValue, reinterpret_cast<QzWord>(&picked));
  Qz_Object* win = ui_.window("Pick", 10, 10);
  Qz_DoMethod(win, kGroupAddTail, popUp);
  ASSERT_TRUE(ui_.open(win));

  // Only the chosen document is open: nothing to offer, nothing opens.
  ui_.post(win, popUp, kRootSelect);
  ASSERT_TRUE(ui_.settle(win));
  EXPECT_EQ(opened, 0);

  Qz_Image* second = LoadOther(40, 10);
  Qz_Image* third = LoadOther(10, 40);
  ASSERT_TRUE(second && third);
  ui_.post(win, popUp, kRootSelect);
  ASSERT_TRUE(ui_.settle(win));
  EXPECT_EQ(opened, 1);
  // The grid is the pop-up's own content, reached while its members are the content's.
  ui_.post(win, popUp->super, kPopUpChildrenInPopUp, 1);
  ASSERT_TRUE(ui_.settle(win));
  const auto buttons = qztest::FindAllOf(popUp, "Button");
  ui_.post(win, popUp->super, kPopUpChildrenInPopUp, 0);
  ASSERT_TRUE(ui_.settle(win));
  ASSERT_EQ(buttons.size(), 2u) << "one for each other document";
  EXPECT_EQ(Qz_DoMethod(buttons[0], kRootGetUserData), reinterpret_cast<QzWord>(second));
  EXPECT_EQ(Qz_DoMethod(buttons[1], kRootGetUserData), reinterpret_cast<QzWord>(third));
  // Released over the third document's icon.
  const auto icons = qztest::FindAllOf(buttons[1], "ImageIcon");
  ASSERT_EQ(icons.size(), 1u);
  ui_.post(win, popUp->super, kPopUpChosen, icons[0]);
  ASSERT_TRUE(ui_.settle(win));
  EXPECT_EQ(picked, reinterpret_cast<QzWord>(third));
}

}  // namespace
