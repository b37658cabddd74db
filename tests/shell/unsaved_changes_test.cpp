// A picture with changes its file lacks is never closed unasked: closing its
// last window names it and says its changes are not saved (Cancel keeps it),
// a save makes it "as its file" again, and a save names where it went, in
// the window's title and its status line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gadgets/qz_window.h"
#include "image/image_shell.h"
#include "image/image_view_internal.h"
#include "image/unsaved_changes.h"
#include "objects/message_box.h"
#include "view_fixture.h"

namespace {

using qztest::WritePicture;

class UnsavedChangesTest : public qztest::ViewFixture {
 protected:
  void SetUp() override { qz::msgbox::resetScript(); }
  void TearDown() override {
    Qz_GetImageBase()->closeQuestion.store(0);
    qz::msgbox::resetScript();
    ViewFixture::TearDown();
  }
  std::string Title(Qz_Object* window) { return reinterpret_cast<const char*>(Qz_DoMethod(window, kWindowGetTitle)); }
  // The text page of the status line under the picture.
  std::string StatusLine() {
    auto* view = reinterpret_cast<qz::view::Qz_ImageView*>(Qz_CurrentViewOf(image_));
    Qz_Object* text = view ? view->statusText : nullptr;
    const auto* label = text ? reinterpret_cast<const char*>(Qz_DoMethod(text, kRootGetLabel)) : nullptr;
    return label ? label : "";
  }
  // Layer > New, as the menu asks for it.
  void AddLayer() { Qz_DoMethod(&image_->object, kQzImageMakeLayer, 1, image_->width, image_->height, 8); }
  QzWord CloseLastView() { return Qz_DoMethod(&image_->object, kQzImageCloseView, Qz_CurrentViewOf(image_)); }
};

TEST_F(UnsavedChangesTest, ClosingAChangedPictureAsksByNameAndASaveEndsTheQuestion) {
  const std::string path = dir_.file("holiday.ppm");
  WritePicture(path, 24, 16);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Qz_ImageHasUnsavedChanges(image_), 0) << "a picture just opened is as its file holds it";

  AddLayer();
  EXPECT_EQ(Qz_ImageHasUnsavedChanges(image_), 1);
  // The preference to ask is off (its default): a changed picture is asked about all the same.
  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Cancel);
  EXPECT_EQ(CloseLastView(), 0u);
  std::vector<qz::msgbox::Shown> boxes = qz::msgbox::shownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("\"holiday.ppm\""), std::string::npos) << boxes[0].text;
  EXPECT_NE(boxes[0].text.find("not saved"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(boxes[0].buttons, (std::vector<std::string>{"OK", "Cancel"}));
  EXPECT_TRUE(IsOpen(image_)) << "Cancel keeps the picture";
  ASSERT_NE(Qz_CurrentViewOf(image_), nullptr);

  ASSERT_EQ(Qz_DoMethod(&image_->object, 0x130046u), 1u);  // Save, to its own file
  EXPECT_EQ(Qz_ImageHasUnsavedChanges(image_), 0);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(StatusLine(), "Saved to " + path);

  // Saved and unchanged, with the preference off: it closes unasked.
  qz::msgbox::resetScript();
  EXPECT_EQ(CloseLastView(), 1u);
  EXPECT_TRUE(qz::msgbox::shownBoxes().empty());
  ASSERT_TRUE(WaitUntilDisposed(image_));
  image_ = nullptr;
}

TEST_F(UnsavedChangesTest, AnUnchangedPictureFollowsThePreference) {
  const std::string path = dir_.file("plain.ppm");
  WritePicture(path, 20, 10);
  ASSERT_NE(LoadShown(path), nullptr);
  Qz_GetImageBase()->closeQuestion.store(1);
  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Cancel);
  EXPECT_EQ(CloseLastView(), 0u);
  const std::vector<qz::msgbox::Shown> boxes = qz::msgbox::shownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.find("not saved"), std::string::npos) << "the preference's own question: " << boxes[0].text;
  EXPECT_TRUE(IsOpen(image_));
}

TEST_F(UnsavedChangesTest, SaveAsRenamesTheDocumentAndTheTitleFollows) {
  const std::string path = dir_.file("first.ppm"), renamed = dir_.file("second.ppm");
  WritePicture(path, 30, 20);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  AddLayer();
  // What Save As does once the requester has given the new name and format.
  ASSERT_EQ(Qz__SaveImageA(image_, renamed.c_str(), "PPM", nullptr, 0, nullptr), 1);
  EXPECT_EQ(std::string(image_->name), renamed);
  EXPECT_STREQ(image_->saveFormat, "PPM");
  EXPECT_EQ(Qz_ImageHasUnsavedChanges(image_), 0);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Title(window), renamed + " - 30x20x24bit");
  EXPECT_EQ(StatusLine(), "Saved to " + renamed);

  // A copy keeps the name, and the picture stays as it was (changed or not).
  AddLayer();
  ASSERT_EQ(Qz__SaveImageA(image_, dir_.file("copy.ppm").c_str(), "PPM", nullptr, kQzSaveKeepName, nullptr), 1);
  EXPECT_EQ(std::string(image_->name), renamed);
  EXPECT_EQ(Qz_ImageHasUnsavedChanges(image_), 1);
}

}  // namespace
