// A panel chosen from a container's menu joins the current page and, like
// the panels of a restored layout, is told the active image at once rather
// than at its next change.
#include <gtest/gtest.h>

#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "panel_fixture.h"
#include "plugins/qz_root_plugin.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitPluginContainerClass(Qz_GlobalData*);
void Qz_CleanupPluginContainerClass(void);
QzWord Qz_InitInspectionPluginClass(Qz_GlobalData*);
void Qz_CleanupInspectionPluginClass(void);
QZ_EXTERN_C_END

namespace {

class ContainerMenuTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    StartUp({Qz_InitPluginContainerClass, Qz_CleanupPluginContainerClass, "PluginContainer"}, {}, 8, 6);
    ASSERT_EQ(Qz_InitInspectionPluginClass(nullptr), 1u);
    ASSERT_EQ(Qz_DoMethod(panel_, kQzContainerNewPage, " "), 1u);
    OpenPanelWindow();
    Qz_Object* app = &Qz_GetImageBase()->applicationImage->object;
    for (uint32_t method : {kQzAppMakeActiveImage, kQzImageMakeActive})
      heard_.push_back(Qz_AddCallBackNotify(app, method, kNotifyAnyValue, Record, qz::toWord(&told_)));
  }
  void TearDown() override {
    Qz_Object* app = &Qz_GetImageBase()->applicationImage->object;
    for (QzWord n : heard_) Qz_RemoveNotify(app, n);
    // The panels made from the menu go with the window, before their class.
    ui.dispose(window_);
    window_ = panel_ = nullptr;
    Qz_CleanupInspectionPluginClass();
    PanelImageTest::TearDown();
  }

  static void Record(QzWord user, Qz_Object*, uint32_t method, const QzWord* words) {
    reinterpret_cast<std::vector<std::pair<uint32_t, QzWord>>*>(user)->push_back({method, words[0]});
  }

  // The menu's choice of a panel class, on the window's own thread.
  void Choose(const char* className) {
    const std::vector<Qz_Object*> popUps = qztest::FindAllOf(panel_->super, "PopUp");
    ASSERT_FALSE(popUps.empty());
    Qz_Object* item = Qz_CreateObject("Group", kRootSetUserData, qz::toWord(className));
    const auto chosen = qz::packWords(kPopUpChosen, qz::toWord(item));
    ASSERT_EQ(ui.post(window_, popUps.front(), kRootDoNotify, popUps.front(), chosen.data()), 1u);
    ASSERT_TRUE(ui.settle(window_));
    Qz_DisposeObject(item);
  }

  std::vector<QzWord> heard_;
  std::vector<std::pair<uint32_t, QzWord>> told_;
};

TEST_F(ContainerMenuTest, AChosenPanelJoinsThePageAndIsToldTheActiveImage) {
  Choose("InspectionPlugin");
  EXPECT_EQ(qztest::FindAllOf(panel_->super, "InspectionPlugin").size(), 1u);
  const std::vector<std::pair<uint32_t, QzWord>> expected = {{kQzAppMakeActiveImage, qz::toWord(doc_)},
                                                             {kQzImageMakeActive, qz::toWord(layer_)}};
  EXPECT_EQ(told_, expected);
}

// With no image open there is nothing to tell; an unknown class adds nothing.
TEST_F(ContainerMenuTest, NothingIsToldWithoutAnActiveImageOrANewPanel) {
  SetActive(nullptr);
  Choose("InspectionPlugin");
  EXPECT_EQ(qztest::FindAllOf(panel_->super, "InspectionPlugin").size(), 1u);
  SetActive(doc_);
  Choose("NoSuchPlugin");
  EXPECT_TRUE(told_.empty());
}

// A panel docking into the container goes back to the page group it was
// torn off from, at its old place, while that group is still here; else to
// the first page left without panels; else to a page of its own.
TEST_F(ContainerMenuTest, ADockingPanelGoesWhereItCameFromElseToAnEmptyPageElseANewOne) {
  Choose("InspectionPlugin");
  Choose("InspectionPlugin");
  const std::vector<Qz_Object*> first = qztest::FindAllOf(panel_->super, "InspectionPlugin");
  ASSERT_EQ(first.size(), 2u);
  Qz_Object* group = Qz_GetParentObject(first[0]);
  auto place = [&](Qz_Object* origin, QzWord index) {
    Qz_Object* panel = Qz_CreateObject("InspectionPlugin");
    EXPECT_EQ(ui.post(window_, panel_, kQzContainerPlacePanel, panel, origin, index), 1u);
    EXPECT_TRUE(ui.settle(window_));
    return panel;
  };
  Qz_Object* back = place(group, 1);
  EXPECT_EQ(Qz_GetParentObject(back), group);
  EXPECT_EQ(Qz_DoMethod(group, kGroupIndexOf, back), 1u) << "not at its old place";
  // A group that is not one of the container's pages is only compared, never followed.
  std::vector<Qz_Object*> nowhere(1);
  EXPECT_EQ(Qz_DoMethod(panel_, kQzContainerPageCount), 1u);
  Qz_Object* alone = place(reinterpret_cast<Qz_Object*>(nowhere.data()), 0);
  EXPECT_EQ(Qz_DoMethod(panel_, kQzContainerPageCount), 2u) << "not on a page of its own";
  EXPECT_NE(Qz_GetParentObject(alone), group);
  ASSERT_EQ(Qz_DoMethod(panel_, kQzContainerNewPage, " "), 1u);
  Qz_Object* intoEmpty = place(nullptr, 0);
  EXPECT_EQ(Qz_DoMethod(panel_, kQzContainerPageCount), 3u) << "the empty page was passed over";
  EXPECT_NE(Qz_GetParentObject(intoEmpty), Qz_GetParentObject(alone));
  EXPECT_EQ(qztest::FindAllOf(panel_->super, "InspectionPlugin").size(), 5u);
}

}  // namespace

// The menu's button shows a down arrow: some of its symbol's box is drawn.
TEST_F(ContainerMenuTest, TheMenuButtonDrawsItsArrow) {
  const std::vector<Qz_Object*> symbols = qztest::FindAllOf(panel_->super, "VectorImage");
  ASSERT_FALSE(symbols.empty());
  ASSERT_TRUE(ui.settle(window_));
  const Qz_LayoutBox box = qztest::UiHarness::box(symbols.front());
  ASSERT_GT(box.width, 0);
  const uint32_t background = ui.pixel(window_, box.left, box.top);
  int drawn = 0;
  for (int y = box.top; y < box.top + box.height; ++y)
    for (int x = box.left; x < box.left + box.width; ++x) drawn += ui.pixel(window_, x, y) != background;
  EXPECT_GT(drawn, 4);
}
