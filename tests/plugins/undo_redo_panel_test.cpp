// The undo panel: its buttons move whole steps of the active image, its
// history menus list the steps and the memory texts exactly, and a choice
// undoes or redoes down to a step or empties a list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/qz_actions.h"
#include "app/class_registration.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "plugins/history_menu.h"
#include "plugins/qz_root_plugin.h"
#include "panel_fixture.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitUndoRedoPluginClass(Qz_GlobalData*);
void Qz_CleanupUndoRedoPluginClass(void);
QZ_EXTERN_C_END

namespace {

Qz_Object* first(Qz_Object* group) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kGroupFirst)); }
Qz_Object* next(Qz_Object* group, Qz_Object* m) {
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kGroupNext, m));
}

TEST(HistoryMenuTest, MemoryTextsCountWholeKilobytesInTheirOwnUnit) {
  struct Case {
    const char* label;
    uint64_t bytes;
    const char* unit;
    const char* text;
  };
  const Case cases[] = {{"Undo steps", 0, "KB", "Undo steps (0 KB)"},
                        {"Undo steps", 1023, "KB", "Undo steps (0 KB)"},
                        {"Undo base", 1024, "KB", "Undo base (1 KB)"},
                        {"Redo steps", 5u * 1024 * 1024 + 1, "Kb", "Redo steps (5120 Kb)"},
                        {"Big", uint64_t(6) << 40, "KB", "Big (6442450944 KB)"}};
  for (const Case& c : cases) EXPECT_EQ(qz::plugins::memoryText(c.label, c.bytes, c.unit), c.text) << c.text;
}

TEST(HistoryMenuTest, LinesAreHalfTheScreenInTextLines) {
  Screen screen{};
  screen.Height = 768;
  Qz_DrawInfo info{};
  info.screen = &screen;
  info.fontHeight = 13;
  EXPECT_EQ(qz::plugins::historyLines(&info), 29u);  // 384 / 13
  info.fontHeight = 0;
  EXPECT_EQ(qz::plugins::historyLines(&info), 10u);
  EXPECT_EQ(qz::plugins::historyLines(nullptr), 10u);
}

class UndoRedoPanelTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    StartUp({Qz_InitUndoRedoPluginClass, Qz_CleanupUndoRedoPluginClass, "UndoRedoPlugin"},
            {qz::app::ClassGroup::Actions}, 8, 8);
    catalogue_.assign(500, nullptr);
    catalogue_[45] = "Undo steps";
    catalogue_[46] = "Undo base";
    catalogue_[47] = "Redo steps";
    base()->catalogue = catalogue_.data();
    // The document's own first step, which nothing undoes.
    Qz_AddImageAction(doc_, Qz_CreateObject("RootAction", kActionSetFlags, kActionPanelStop), 0);
    for (const char* name : {"one", "two", "three"}) {
      steps_.push_back(Qz_CreateObject("RootAction", kActionSetName, name));
      ASSERT_EQ(Qz_AddImageAction(doc_, steps_.back(), 0), 1u);
    }
  }
  void TearDown() override {
    base()->catalogue = nullptr;
    PanelImageTest::TearDown();
  }
  static Qz_ImageBase* base() { return Qz_GetImageBase(); }
  std::vector<Qz_Object*> buttons() { return qztest::FindAllOf(panel_, "Button"); }
  std::vector<Qz_Object*> popUps() { return qztest::FindAllOf(panel_, "PopUp"); }
  Qz_Object* openMenu(Qz_Object* popUp) {
    Qz_Object* shown = nullptr;
    Qz_DoNotify(popUp, kPopUpOpening, reinterpret_cast<QzWord>(&shown));
    return shown;
  }
  static std::vector<std::string> labels(Qz_Object* menu) {
    std::vector<std::string> out;
    for (Qz_Object* m = first(menu); m; m = next(menu, m))
      if (Qz_GetObjectClassID(m) == kTextClassId)
        out.push_back(reinterpret_cast<const char*>(Qz_DoMethod(m, kRootGetLabel)));
    return out;
  }
  // The line whose text starts with `text`.
  static Qz_Object* lineNamed(Qz_Object* menu, const std::string& text) {
    for (Qz_Object* m = first(menu); m; m = next(menu, m))
      if (auto* label = reinterpret_cast<const char*>(Qz_DoMethod(m, kRootGetLabel));
          Qz_GetObjectClassID(m) == kTextClassId && label && std::string(label).rfind(text, 0) == 0)
        return m;
    return nullptr;
  }
  QzWord count(Qz_Object* list) { return Qz_DoMethod(list, kLinkedListCount); }
  // Chooses the line of a freshly opened menu, then closes it as the pop-up does.
  void choose(Qz_Object* popUp, const std::string& text) {
    Qz_Object* menu = openMenu(popUp);
    ASSERT_NE(menu, nullptr);
    Qz_Object* line = lineNamed(menu, text);
    ASSERT_NE(line, nullptr) << text;
    Qz_DoNotify(popUp, kPopUpChosen, line);
    Qz_DoNotify(popUp, kPopUpClosed, menu);
  }

  std::vector<const char*> catalogue_;
  std::vector<Qz_Object*> steps_;
};

TEST_F(UndoRedoPanelTest, ButtonsUndoAndRedoOneStepOfTheActiveImage) {
  const auto b = buttons();
  ASSERT_EQ(b.size(), 2u);
  Qz_DoNotify(b[0], kButtonPressed, 0);
  Qz_DoNotify(b[0], kButtonPressed, 0);
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 2u);
  Qz_DoNotify(b[1], kButtonPressed, 0);
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 1u);
  // Without an active image the buttons do nothing.
  SetActive(nullptr);
  Qz_DoNotify(b[0], kButtonPressed, 0);
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 1u);
}

// A step whose actions are chained to the one before goes back whole.
TEST_F(UndoRedoPanelTest, OnePressUndoesAChainedStep) {
  Qz_Object* chained = Qz_CreateObject("RootAction", kActionSetName, "four", kActionSetFlags, 0x201u);
  ASSERT_EQ(Qz_AddImageAction(doc_, chained, 0), 1u);
  const auto b = buttons();
  ASSERT_EQ(b.size(), 2u);
  Qz_DoNotify(b[0], kButtonPressed, 0);
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 2u);
  Qz_DoNotify(b[1], kButtonPressed, 0);
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 0u);
}

TEST_F(UndoRedoPanelTest, MenusListTheStepsAndTheMemoryTexts) {
  const auto p = popUps();
  ASSERT_EQ(p.size(), 2u);
  Qz_Object* undoMenu = openMenu(p[0]);
  ASSERT_NE(undoMenu, nullptr);
  const auto undoLines = labels(undoMenu);
  ASSERT_EQ(undoLines.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(undoLines.begin(), undoLines.begin() + 3),
            (std::vector<std::string>{"three", "two", "one"}));
  EXPECT_EQ(undoLines[3], "Undo steps (0 KB)");
  EXPECT_EQ(undoLines[4].rfind("Undo base (", 0), 0u);
  EXPECT_EQ(undoLines[4].substr(undoLines[4].size() - 4), " KB)");
  Qz_DoNotify(p[0], kPopUpClosed, undoMenu);
  Qz_Object* redoMenu = openMenu(p[1]);
  EXPECT_EQ(labels(redoMenu), (std::vector<std::string>{"Redo steps (0 Kb)"}));
  Qz_DoNotify(p[1], kPopUpClosed, redoMenu);
  Qz_UndoImageAction(doc_);
  redoMenu = openMenu(p[1]);
  EXPECT_EQ(labels(redoMenu)[0], "three");
  Qz_DoNotify(p[1], kPopUpClosed, redoMenu);
}

TEST_F(UndoRedoPanelTest, ChoicesMoveDownToAStepOrEmptyAList) {
  const auto p = popUps();
  ASSERT_EQ(p.size(), 2u);
  choose(p[0], "two");
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 2u);
  choose(p[1], "three");
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 0u);
  choose(p[0], "one");
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 3u);
  choose(p[1], "Redo steps (");
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 0u);
  Qz_Object* menu = openMenu(p[0]);
  ASSERT_NE(menu, nullptr);
  const auto lines = labels(menu);
  Qz_DoNotify(p[0], kPopUpClosed, menu);
  ASSERT_EQ(lines.size(), 2u);
  choose(p[0], lines[1]);  // discard what is left
  EXPECT_EQ(labels(openMenu(p[0])).size(), 2u);
}

// A menu left open while the active image changes acts on nothing.
TEST_F(UndoRedoPanelTest, AStepFromAnotherImageIsNotUndone) {
  const auto p = popUps();
  Qz_Object* menu = openMenu(p[0]);
  ASSERT_NE(menu, nullptr);
  Qz_Object* line = lineNamed(menu, "one");
  auto* other = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(Qz_AllocImage(other, 8, 8, 24, kQzAllocNoThread, nullptr), nullptr);
  SetActive(other);
  Qz_DoNotify(p[0], kPopUpChosen, line);
  Qz_DoNotify(p[0], kPopUpClosed, menu);
  EXPECT_EQ(count(Qz_GetRedoList(doc_)), 0u);
  SetActive(doc_);
  Qz_DisposeObject(&other->object);
}

}  // namespace
