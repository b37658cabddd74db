// The text tool: boxes from clicks and drags either way, then typing, keys,
// pasted text and the tick that draws it, undone in one step; the family a
// new box starts with.
#include <gtest/gtest.h>

#include <string>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "handle_tools/handle_tools_fixture.h"
#include "objects/object_text.h"
#include "platform/clipboard.h"
#include "tools/text_font_choice.h"

namespace {

using namespace handle_tools_test;
using namespace qz::tools;

TEST(TextFamilyChoice, ArialThenItsStandInsThenTheFirst) {
  using F = std::vector<std::string>;
  struct Case {
    F families;
    const char* expected;
  } cases[] = {
      {F{"Arial", "DejaVu Sans", "Liberation Sans"}, "Arial"},
      {F{"DejaVu Sans", "Liberation Sans", "Noto"}, "Liberation Sans"},
      {F{"Cantarell", "DejaVu Sans"}, "DejaVu Sans"},
      {F{"Cantarell", "Noto"}, "Cantarell"},
  };
  for (const Case& c : cases) EXPECT_EQ(chooseTextFamily(c.families), c.expected);
  EXPECT_EQ(textFamilyList({"Noto", "DejaVu Sans", "Noto", "Arial", "DejaVu Sans"}),
            (F{"Arial", "DejaVu Sans", "Noto"}));
}

class TextToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gZoomPercent = 100;
    d_.Open(60, 50);
    d_.MakeActive();
    tool_ = Qz_CreateObject("TextTool");
    ASSERT_NE(tool_, nullptr);
    panel_ = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kToolGetOptions));
  }
  void TearDown() override {
    Qz_DisposeObject(tool_);
    d_.Close();
  }
  void SetSize(int32_t size) {
    Qz_Object* edit = FindGadget(panel_, kStringEditClassId, 2);
    ASSERT_NE(edit, nullptr);
    Qz_DoMethod(edit, kStringEditSetNumber, uint32_t(size));
  }
  // The menu item of the sizes pop-up that reads `size`, chosen.
  void ChooseSize(uint32_t size) {
    Qz_Object* sizes = FindGadget(panel_, kPopUpClassId, 3);
    ASSERT_NE(sizes, nullptr);
    Qz_DoMethod(sizes, kPopUpChildrenInPopUp, 1u);
    Qz_Object* item = FindGadget(qz::actions::listFirst(sizes), kMenuItemClassId, size);
    Qz_DoMethod(sizes, kPopUpChildrenInPopUp, 0u);
    ASSERT_NE(item, nullptr);
    ASSERT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(item, kMenuItemGetText)), std::to_string(size).c_str());
    Qz_DoNotify(sizes, kPopUpChosen, item);
  }
  void NewBoxMode() {
    Qz_Object* chooser = FindGadget(panel_, kMutualExcludeClassId, 14);
    ASSERT_NE(chooser, nullptr);
    Qz_DoMethod(chooser, kMutualExcludeMark, 0u);
    Qz_DoNotify(chooser, kMutualExcludeMark, 0u);
  }
  void Key(uint32_t code, uint16_t qualifier = 0, uint32_t cls = IDCMP_VANILLAKEY) {
    Qz_InputEvent e{};
    e.cls = cls, e.code = code, e.qualifier = qualifier;
    Qz_DoMethod(tool_, kToolInputMethod, d_.doc, &e);
  }
  void Type(const char* text) {
    for (const char* p = text; *p; ++p) Key(uint8_t(*p));
  }
  std::string Text(Qz_Object* action) {
    return reinterpret_cast<const char*>(Qz_DoMethod(action, kTextActionGetString));
  }
  Document d_;
  Qz_Object* tool_ = nullptr;
  Qz_Object* panel_ = nullptr;
};

TEST_F(TextToolTest, ClicksAndDragsEitherWayGiveTheSameBoxes) {
  struct Case {
    const char* name;
    int32_t size, x0, y0, x1, y1;
    Points corners;
  } cases[] = {
      {"a click gives s by s", 8, 10, 12, 10, 12, Points{{10, 12}, {18, 12}, {18, 20}, {10, 20}}},
      {"a drag", 8, 5, 4, 30, 25, Points{{5, 4}, {30, 4}, {30, 25}, {5, 25}}},
      {"the reversed drag", 8, 30, 25, 5, 4, Points{{5, 4}, {30, 4}, {30, 25}, {5, 25}}},
      {"a short drag keeps s", 8, 20, 20, 22, 17, Points{{20, 12}, {28, 12}, {28, 20}, {20, 20}}},
      {"a size of 0 counts as 1", 0, 7, 7, 7, 7, Points{{7, 7}, {8, 7}, {8, 8}, {7, 8}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NewBoxMode();
    SetSize(c.size);
    const uint32_t before = d_.Steps();
    Drag(tool_, d_.doc, c.x0, c.y0, c.x1, c.y1);
    ASSERT_EQ(d_.Steps(), before + 1);
    Qz_Object* action = selectedActionOf(d_.doc, kTextActionClassId);
    ASSERT_EQ(action, d_.Newest());
    EXPECT_EQ(actionPoints(action), c.corners);
    EXPECT_EQ(Qz_DoMethod(FindGadget(panel_, kMutualExcludeClassId, 14), kMutualExcludeGetMarked), 1u);
  }
}

TEST_F(TextToolTest, ThePopUpsSetTheSizeAndSmoothingOfNewAndSelectedBoxes) {
  Qz_Object* smoothing = FindGadget(panel_, kPopUpListClassId, 10);
  ASSERT_NE(smoothing, nullptr);
  ChooseSize(24);
  EXPECT_EQ(Qz_DoMethod(FindGadget(panel_, kStringEditClassId, 2), kStringEditGetNumber), 24u);
  Drag(tool_, d_.doc, 3, 4, 3, 4);
  Qz_Object* action = d_.Newest();
  EXPECT_EQ(actionPoints(action), (Points{{3, 4}, {27, 4}, {27, 28}, {3, 28}}));
  EXPECT_EQ(Qz_DoMethod(action, kTextActionGetFontSize), 24u);
  EXPECT_EQ(Qz_DoMethod(action, kTextActionGetAntiAlias), 2u);  // the second entry at first
  Qz_DoMethod(smoothing, kPopUpListSetIndex, 3u);
  Qz_DoNotify(smoothing, kPopUpListSetIndex, 3u);
  EXPECT_EQ(Qz_DoMethod(action, kTextActionGetAntiAlias), 8u);
  ChooseSize(12);  // for the selected box too
  EXPECT_EQ(Qz_DoMethod(action, kTextActionGetFontSize), 12u);
}

// The size is shown in one place: the sizes pop-up is an arrow over a menu of
// the usual sizes, with no chosen entry that could disagree with the edit.
TEST_F(TextToolTest, TheSizesPopUpShowsNoSizeOfItsOwnAndFillsTheEdit) {
  EXPECT_EQ(FindGadget(panel_, kPopUpListClassId, 3), nullptr);
  Qz_Object* sizes = FindGadget(panel_, kPopUpClassId, 3);
  ASSERT_NE(sizes, nullptr);
  EXPECT_EQ(FindGadget(sizes, kTextClassId, 0), nullptr);  // its face: the arrow alone
  Qz_Object* edit = FindGadget(panel_, kStringEditClassId, 2);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(Qz_DoMethod(edit, kStringEditGetNumber), 100u);
  for (uint32_t size : {12u, 144u, 36u}) {
    ChooseSize(size);
    EXPECT_EQ(Qz_DoMethod(edit, kStringEditGetNumber), size);
  }
}

TEST_F(TextToolTest, TypingKeysAndPasteEditTheBoxAndOneUndoTakesItAway) {
  SetSize(10);
  std::vector<uint8_t> before(size_t(d_.layer->width) * size_t(d_.layer->height));
  for (int32_t y = 0; y < d_.layer->height; ++y)
    std::copy_n(d_.layer->grey[y], d_.layer->width, &before[size_t(y) * size_t(d_.layer->width)]);
  const uint32_t steps = d_.Steps();
  Drag(tool_, d_.doc, 2, 2, 57, 45);
  Qz_Object* action = d_.Newest();
  ASSERT_NE(action, nullptr);
  Input(tool_, d_.doc, IDCMP_MOUSEBUTTONS, SELECTDOWN, 5, 5);  // inside: the caret, not the handles
  Input(tool_, d_.doc, IDCMP_MOUSEBUTTONS, SELECTUP, 5, 5);
  Type("Hallo");
  Key(79, 0, IDCMP_ARROWKEY);
  Key(8);  // backspace
  EXPECT_EQ(Text(action), "Halo");
  Key(127, 1);  // shift delete: everything from the caret
  EXPECT_EQ(Text(action), "Hal");
  ASSERT_EQ(Qz_ClipboardSetText("p\xC3\xA9st"), 1);
  Key(22);  // Ctrl+V
  EXPECT_EQ(Text(action), "Halp\xC3\xA9st");
  EXPECT_EQ(Qz_DoMethod(action, kTextActionGetCursor), 7u);
  Key(0, 0, IDCMP_INTUITICKS);  // the edits are drawn
  bool changed = false;
  for (int32_t y = 0; y < d_.layer->height; ++y)
    for (int32_t x = 0; x < d_.layer->width; ++x)
      changed |= d_.layer->grey[y][x] != before[size_t(y) * size_t(d_.layer->width) + size_t(x)];
  EXPECT_TRUE(changed);
  EXPECT_EQ(d_.Steps(), steps + 1);
  ASSERT_EQ(Qz_UndoImageAction(d_.doc), 1u);
  EXPECT_EQ(d_.Steps(), steps);
  for (int32_t y = 0; y < d_.layer->height; ++y)
    for (int32_t x = 0; x < d_.layer->width; ++x)
      ASSERT_EQ(d_.layer->grey[y][x], before[size_t(y) * size_t(d_.layer->width) + size_t(x)]) << x << "," << y;
}

}  // namespace

namespace {

TEST(TextActionText, StoredAndRestoredAsUtf8) {
  for (const char* text : {"plain", "caf\xC3\xA9 \xE2\x82\xAC\nzweite \"Zeile\"\\", ""}) {
    SCOPED_TRACE(text);
    Qz_Object* action = Qz_CreateObject("TextAction", kTextActionSetLive, 0u);
    ASSERT_NE(action, nullptr);
    Qz_DoMethod(action, kTextActionSetString, text);
    Qz_DoMethod(action, kTextActionSetFontName, "Liberation Sans");
    Qz_DoMethod(action, kTextActionSetStyle, 5u);
    size_t length = 0;
    char* stored = Qz_StoreObjectToBuffer(action, &length, 0);
    ASSERT_NE(stored, nullptr);
    Qz_Object* back = Qz_CreateObjectsFromString(stored);
    ASSERT_NE(back, nullptr) << stored;
    EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(back, kTextActionGetString)), text);
    EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(back, kTextActionGetFontName)), "Liberation Sans");
    EXPECT_EQ(Qz_DoMethod(back, kTextActionGetStyle), 5u);
    FreeVec(stored);
    Qz_DisposeObject(back);
    Qz_DisposeObject(action);
  }
}

}  // namespace
