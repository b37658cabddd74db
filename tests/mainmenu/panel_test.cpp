// The image control panel: the global keys it registers and what they run,
// and the arithmetic of its alpha and secondary choosers.
#include <set>
#include <tuple>

#include "actions/qz_actions.h"
#include "app/main_menu.h"
#include "main_menu_env.h"
#include "objects/object_services.h"
#include "app/icon_geometry.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QzWord Qz_InitImageControlPluginClass(Qz_GlobalData*);
void Qz_CleanupImageControlPluginClass(void);
QZ_EXTERN_C_END

namespace qztest {
namespace {

constexpr uint32_t kMenuCommand = 0x4601CC;

class Panel : public MainMenuTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u);
    ASSERT_EQ(Qz_InitImageControlPluginClass(nullptr), 1u);
    ASSERT_NE(Qz__CreateMainMenuBar(), nullptr);
    panel_ = Qz_CreateObject("ImageControlPlugin");
    ASSERT_NE(panel_, nullptr);
  }
  void TearDown() override {
    Qz_DisposeObject(panel_);
    qz::app::destroyMainMenuBars();
    MainMenuTest::TearDown();
    Qz_CleanupImageControlPluginClass();
    Qz_CleanupRootPluginClass();
  }
  // (key code, qualifier word, method, command) of every key aimed at the panel.
  std::set<std::tuple<uint32_t, QzWord, QzWord, QzWord>> keys() {
    std::set<std::tuple<uint32_t, QzWord, QzWord, QzWord>> out;
    Qz_GlobalData* g = Qz_GetGlobalData();
    ObtainSemaphore(&g->classListLock);
    for (Node* n = g->shortcutList->lh_Head; n->ln_Succ; n = n->ln_Succ) {
      auto* key = reinterpret_cast<Qz_ShortcutKey*>(n);
      if (key->target != panel_ || key->count < 2) continue;
      const QzWord* w = Qz_ShortcutKeyWords(key);
      out.emplace(key->keyCode, key->value, w[0], w[1]);
    }
    ReleaseSemaphore(&g->classListLock);
    return out;
  }
  Qz_Object* panel_ = nullptr;
};

TEST_F(Panel, RegistersTheKeysTheLabelsPromiseAndRemovesThemWithItself) {
  const QzWord ctrl = 123456;
  const std::set<std::tuple<uint32_t, QzWord, QzWord, QzWord>> expected = {
      {'n', ctrl, kMenuCommand, 60},  {'o', ctrl, kMenuCommand, 51},  {'b', ctrl, kMenuCommand, 139},
      {112, 0, kMenuCommand, 124},    {'p', ctrl, kMenuCommand, 57},  {'z', ctrl, kMenuCommand, 135},
      {'v', ctrl, kMenuCommand, 138}, {'s', ctrl, kMenuCommand, 52},  {'c', ctrl, kMenuCommand, 137}};
  EXPECT_EQ(keys(), expected);
  Qz_DisposeObject(panel_);
  EXPECT_TRUE(keys().empty());
  panel_ = nullptr;
}

TEST_F(Panel, AKeysCommandRunsOnTheActiveImageAndDoesNothingWithoutOne) {
  // No image: undo, save and print have no target.
  for (QzWord command : {135, 52, 57}) EXPECT_EQ(Qz_DoMethod(panel_, kMenuCommand, command), 0u);
  Qz_Image* doc = Document(8, 6);
  ASSERT_NE(doc, nullptr);
  // Fill Layer is one undoable step; the undo key takes it back, so it can be redone.
  Qz_DoMethod(panel_, kMenuCommand, 143);
  Qz_DoMethod(panel_, kMenuCommand, 135);
  EXPECT_EQ(Qz_RedoImageAction(doc), 1u);
  EXPECT_EQ(Qz_RedoImageAction(doc), 0u) << "one step only";
}

TEST(ChooserLayout, ColumnsHalveUntilTheyFitAndNeverDropBelowOne) {
  struct Case {
    const char* name;
    int32_t count, room;
    int32_t columns;
  };
  const Case cases[] = {
      {"everything fits in one row", 5, 1000, 5},
      {"twenty on a narrow screen halve, rounding up", 20, 400, 5},
      {"room for less than one icon", 20, 40, 1},
      {"no room at all (a panel window wider than the screen)", 20, -300, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qz::app::popUpRowLength(c.count, c.room, 64), c.columns);
  }
}

}  // namespace
}  // namespace qztest
