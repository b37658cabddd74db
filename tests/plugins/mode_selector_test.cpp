// The mode selector: its two shipped lists name only modes of the program,
// stepping wraps and passes over what is no mode, the flat list fits the
// screen or is refused, and a choice goes to the active layer by its key.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/class_registration.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/mode_list.h"
#include "panel_fixture.h"
#include "support/ui_harness.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitPaintModeSelectorPluginClass(Qz_GlobalData*);
void Qz_CleanupPaintModeSelectorPluginClass(void);
QZ_EXTERN_C_END

namespace {

using qz::plugins::modeKeyOf;

Qz_Object* first(Qz_Object* group) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kGroupFirst)); }
Qz_Object* next(Qz_Object* group, Qz_Object* m) {
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kGroupNext, m));
}

// Keys of a list's mode items, the families' columns included, in order.
void collectKeys(Qz_Object* list, std::vector<std::string>& keys, bool nested) {
  for (Qz_Object* m = first(list); m; m = next(list, m)) {
    if (nested && Qz_GetObjectClassID(m) == kGroupClassId) collectKeys(m, keys, nested);
    else if (const char* key = modeKeyOf(m)) keys.push_back(key);
  }
}

class ModeListTest : public testing::Test {
 protected:
  // A list of MenuItems by key; "-" stands for a space between them.
  Qz_Object* makeList(const std::vector<const char*>& keys) {
    Qz_Object* list = Qz_CreateObject("Group", kGroupSetMode, 1);
    for (const char* key : keys) {
      Qz_Object* item = std::strcmp(key, "-") == 0
                            ? Qz_CreateObject("Space")
                            : Qz_CreateObject("MenuItem", kRootSetObjectName, key, kMenuItemSetText, key);
      Qz_DoMethod(list, kGroupAddTail, item);
    }
    lists_.push_back(list);
    return list;
  }
  void TearDown() override {
    for (Qz_Object* list : lists_) Qz_DisposeObject(list);
  }
  qztest::UiHarness ui;
  std::vector<Qz_Object*> lists_;
};

TEST_F(ModeListTest, ShippedListsNameEveryModeOfTheProgramAndNothingElse) {
  qztest::InDataRoot here;
  std::set<std::string> modes;
  for (const char* name : qz::app::classGroup(qz::app::ClassGroup::Modes))
    if (std::strcmp(name, "RootMode") != 0) modes.insert(std::string(name, std::strlen(name) - 4));
  struct Case {
    const char* file;
    bool nested;
    const char* switchKey;
  };
  for (const Case& c : {Case{"Data/ModeList.QzStr", true, qz::plugins::kShowCompleteList},
                        Case{"Data/CompleteModeList.QzStr", false, qz::plugins::kShowCategorisedList}}) {
    SCOPED_TRACE(c.file);
    Qz_Object* list = Qz_RestoreObjectFromDisk(c.file);
    ASSERT_NE(list, nullptr);
    std::vector<std::string> keys;
    collectKeys(list, keys, c.nested);
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.back(), c.switchKey) << "the switch between the lists comes last";
    keys.pop_back();
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()), modes);
    EXPECT_EQ(keys.size(), modes.size()) << "each mode once";
    Qz_DisposeObject(list);
  }
}

TEST_F(ModeListTest, StepsWrapAndPassOverWhatIsNoMode) {
  Qz_Object* list = makeList({"Paint", "Multiply", "-", "Screen", "Tint", "-", "(Categorised)"});
  struct Case {
    const char* from;
    bool forward;
    const char* to;  // null: no step
  };
  const Case cases[] = {{"Paint", true, "Multiply"},  {"Multiply", true, "Screen"},
                        {"Tint", true, "Paint"},      {"Paint", false, "Tint"},
                        {"Screen", false, "Multiply"}, {"Unknown", true, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + (c.forward ? " next" : " previous"));
    const char* to = modeKeyOf(qz::plugins::stepModeItem(list, c.from, c.forward));
    if (!c.to) EXPECT_EQ(to, nullptr);
    else EXPECT_STREQ(to, c.to);
  }
  // A mode this program lacks is passed over too.
  EXPECT_STREQ(modeKeyOf(qz::plugins::stepModeItem(list, "Multiply", true,
                                                   [](const char* key) { return std::strcmp(key, "Screen") != 0; })),
               "Tint");
  // A list of one mode steps onto itself; one of none steps nowhere.
  EXPECT_STREQ(modeKeyOf(qz::plugins::stepModeItem(makeList({"Paint", "-"}), "Paint", true)), "Paint");
  EXPECT_EQ(qz::plugins::stepModeItem(makeList({"(Categorised)"}), "(Categorised)", true), nullptr);
}

TEST_F(ModeListTest, ShownNameIsTheItemsTextOrTheKeyItself) {
  Qz_Object* list = makeList({"Paint"});
  Qz_DoMethod(first(list), kMenuItemSetText, "Plain Paint");
  EXPECT_STREQ(qz::plugins::shownModeName(list, "Paint"), "Plain Paint");
  EXPECT_STREQ(qz::plugins::shownModeName(list, "Swirl"), "Swirl");
  EXPECT_STREQ(qz::plugins::shownModeName(nullptr, "Swirl"), "Swirl");
}

TEST(ModeMenuTest, TheFlatListIsRefusedWhenItFillsTheScreen) {
  struct Case {
    uint32_t entries;
    int32_t screenHeight;
    uint32_t lineHeight;
    bool fits;
  };
  // (768 - 50) / 17 = 42 lines.
  const Case cases[] = {{41, 768, 17, true},  {42, 768, 17, false}, {102, 768, 17, false},
                        {102, 1900, 17, true}, {1, 40, 17, false},   {1, 768, 0, false}};
  for (const Case& c : cases)
    EXPECT_EQ(qz::plugins::menuFitsScreen(c.entries, c.screenHeight, c.lineHeight), c.fits)
        << c.entries << " lines on " << c.screenHeight;
}

class ModeSelectorPanelTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    StartUp({Qz_InitPaintModeSelectorPluginClass, Qz_CleanupPaintModeSelectorPluginClass, "PaintModeSelectorPlugin"},
            {qz::app::ClassGroup::Modes, qz::app::ClassGroup::Actions}, 8, 8);
    popUp_ = Find(panel_, "PopUp");
    ASSERT_NE(popUp_, nullptr);
  }
  // The name the pop-up's face shows.
  std::string shownName() {
    Qz_Object* label = Find(popUp_, "Text");
    auto* text = label ? reinterpret_cast<const char*>(Qz_DoMethod(label, kRootGetLabel)) : nullptr;
    return text ? text : "";
  }
  std::vector<Qz_Object*> arrowButtons() {
    std::vector<Qz_Object*> buttons;
    Qz_Object* row = Qz_GetParentObject(Qz_GetTopMostObject(popUp_));
    for (Qz_Object* m = first(row); m; m = next(row, m))
      if (Qz_GetObjectClassID(m) == kButtonClassId) buttons.push_back(m);
    return buttons;
  }

  Qz_Object* popUp_ = nullptr;
};

TEST_F(ModeSelectorPanelTest, AChoiceGoesToTheActiveLayerByItsKeyAndShowsItsName) {
  Qz_Object* item = Qz_CreateObject("MenuItem", kRootSetObjectName, "DifferenceRGB", kMenuItemSetText,
                                    "Difference RGB");
  Qz_DoNotify(popUp_, kPopUpChosen, item);
  EXPECT_STREQ(layer_->chosenModeName, "DifferenceRGB");
  EXPECT_STREQ(Qz_GetImageBase()->defaultMode, "DifferenceRGB");
  EXPECT_EQ(shownName(), "Difference RGB");
  Qz_DisposeObject(item);
}

TEST_F(ModeSelectorPanelTest, PreviousAndNextStepThroughTheFlatList) {
  const auto buttons = arrowButtons();
  ASSERT_EQ(buttons.size(), 2u);  // previous, next
  Qz_DoMethod(&layer_->object, kQzImageSetLayerMode, "Paint");
  ASSERT_STREQ(layer_->chosenModeName, "Paint");
  Qz_DoNotify(buttons[1], kButtonPressed, 0);
  const std::string after = layer_->chosenModeName;
  EXPECT_NE(after, "Paint");
  EXPECT_TRUE(qz::plugins::modeAvailable(after.c_str())) << after;
  Qz_DoNotify(buttons[0], kButtonPressed, 0);
  EXPECT_STREQ(layer_->chosenModeName, "Paint");
  EXPECT_EQ(shownName(), "Paint");
}

TEST_F(ModeSelectorPanelTest, FollowsModesSetElsewhere) {
  Qz_Object* app = &Qz_GetImageBase()->applicationImage->object;
  Qz_DoNotify(app, kQzImageSetLayerMode, "HSVBlur");
  EXPECT_EQ(shownName(), "HSV Blur");
  Qz_DoNotify(app, kQzImageSetLayerMode, "NoSuchMode");
  EXPECT_EQ(shownName(), "NoSuchMode");
  Qz_DoNotify(app, kQzImageSetLayerMode, "");
  EXPECT_EQ(shownName(), "NoSuchMode");
}

}  // namespace
