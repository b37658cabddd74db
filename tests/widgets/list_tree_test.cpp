// List trees: the selection rules (plain, Shift and Ctrl clicks in single
// and multiple selection), deselecting everything, and expandable nodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "host/headless/headless_host.h"
#include "host/host_input.h"
#include "objects/qz_notify.h"
#include "support/ui_harness.h"

namespace {

using qz::host::kVkControl;
using qz::host::kVkShift;

struct Activations {
  std::mutex lock;
  int count = 0;
  static void record(QzWord self, Qz_Object*, uint32_t, const QzWord*) {
    auto* a = reinterpret_cast<Activations*>(self);
    std::lock_guard<std::mutex> g(a->lock);
    ++a->count;
  }
  int take() {
    std::lock_guard<std::mutex> g(lock);
    return std::exchange(count, 0);
  }
};

class ListTree : public testing::Test {
 protected:
  // A tree of five one-line items in a window.
  void build(bool multiple) {
    tree = Qz_CreateObject("ListTree");
    ASSERT_NE(tree, nullptr);
    Qz_DoMethod(tree, kListTreeSetMultiple, multiple ? 1 : 0);
    for (int i = 0; i < 5; ++i) {
      Qz_Object* item = Qz_CreateObject("ListTreeItem");
      Qz_DoMethod(item, kGroupAddTail, qztest::TestGadget::make({.minWidth = 80, .minHeight = 14, .maxHeight = 14}));
      Qz_AddCallBackNotify(item, kListTreeActivated, kNotifyAnyValue, Activations::record,
                           reinterpret_cast<QzWord>(&activations));
      Qz_DoMethod(tree, kGroupAddTail, item);
      items.push_back(item);
    }
    win = ui.window("Tree", 100, 100, 200, 150);
    Qz_DoMethod(win, kGroupAddTail, tree);
    ASSERT_TRUE(ui.open(win));
  }
  void clickItem(int i, uint16_t key = 0) {
    const Qz_LayoutBox b = qztest::UiHarness::box(items[std::size_t(i)]);
    if (key != 0) qz::headless::keyDown(key);
    ui.click(win, b.left + 2, b.top + b.height / 2);
    if (key != 0) qz::headless::keyUp(key);
    ASSERT_TRUE(ui.settle(win));
  }
  std::vector<int> selection() {
    std::vector<int> out;
    for (QzWord o = Qz_DoMethod(tree, kListTreeFirstSelected); o != 0; o = Qz_DoMethod(tree, kListTreeNextSelected, o)) {
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (reinterpret_cast<QzWord>(items[i]) == o) out.push_back(int(i));
      }
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  qztest::UiHarness ui;
  Activations activations;
  Qz_Object* tree = nullptr;
  Qz_Object* win = nullptr;
  std::vector<Qz_Object*> items;
};

struct Click {
  int item;
  uint16_t key;  // 0, kVkShift or kVkControl
  std::vector<int> selected;
  int activated;
};

TEST_F(ListTree, MultipleSelectionFollowsShiftAndCtrl) {
  build(true);
  const Click clicks[] = {
      {1, 0, {1}, 0},
      {3, kVkShift, {1, 2, 3}, 0},    // range forwards
      {4, kVkControl, {1, 2, 3, 4}, 0},
      {2, kVkControl, {1, 3, 4}, 0},  // Ctrl on a selected item removes it alone
      {0, 0, {0}, 0},
      {0, 0, {0}, 1},                 // clicked again: still selected, activated
      {3, 0, {3}, 0},
      {1, kVkShift, {1, 2, 3}, 0},    // range backwards from the first selected
  };
  for (const Click& c : clicks) {
    SCOPED_TRACE(testing::Message() << "item " << c.item << " key " << c.key);
    clickItem(c.item, c.key);
    EXPECT_EQ(selection(), c.selected);
    EXPECT_EQ(activations.take(), c.activated);
  }
  ui.post(win, tree, kListTreeDeselectAll);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_TRUE(selection().empty());
}

TEST_F(ListTree, SingleSelectionKeepsOneCurrentItem) {
  build(false);
  clickItem(0);
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeGetCurrentItem), reinterpret_cast<QzWord>(items[0]));
  clickItem(2);
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeGetCurrentItem), reinterpret_cast<QzWord>(items[2]));
  EXPECT_EQ(activations.take(), 0);
  clickItem(2);
  EXPECT_EQ(activations.take(), 1) << "the selected item clicked again";
  ui.post(win, items[2], kRootDeselect);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeGetCurrentItem), 0u);
}

TEST(ListTreeSelection, DeselectAllEndsWhateverTheEntriesDo) {
  qztest::UiHarness ui;
  Qz_Object* tree = Qz_CreateObject("ListTree");
  ASSERT_NE(tree, nullptr);
  // Entries whose deselect does not take them off the list.
  Qz_Object* node = Qz_CreateObject("ListTreeNode");
  Qz_Object* text = Qz_CreateObject("Text");
  Qz_DoMethod(tree, kGroupAddTail, node);
  Qz_DoMethod(tree, kGroupAddTail, text);
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeAddSelected, node), 1u);
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeAddSelected, node), 1u);
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeAddSelected, text), 1u);
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeNextSelected, Qz_DoMethod(tree, kListTreeFirstSelected)),
            reinterpret_cast<QzWord>(text)) << "added once";
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeDeselectAll), 1u);
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeFirstSelected), 0u);
  EXPECT_EQ(qz::gadgets::selectionRange(5, 3, 1), (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_TRUE(qz::gadgets::selectionRange(5, 7, 1).empty());
  Qz_DoMethod(tree, kListTreeAddSelected, node);
  Qz_DisposeObject(tree);  // deselects everything first
}

TEST(ListTreeNodes, ChildrenStayHiddenUntilTheNodeOpens) {
  qztest::UiHarness ui;
  Qz_Object* tree = Qz_CreateObject("ListTree");
  Qz_Object* node = Qz_CreateObject("ListTreeNode", kListTreeNodeSetName, "Pictures");
  ASSERT_NE(node, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(node, kListTreeNodeGetName)), "Pictures");
  Qz_Object* child = Qz_CreateObject("ListTreeItem");
  Qz_DoMethod(node, kGroupAddTail, child);
  Qz_Object* inner = Qz_CreateObject("ListTreeNode", kListTreeNodeSetName, "Inner");
  Qz_DoMethod(node, kGroupAddTail, inner);
  Qz_Object* grandchild = Qz_CreateObject("ListTreeItem");
  Qz_DoMethod(inner, kGroupAddTail, grandchild);
  Qz_DoMethod(tree, kGroupAddTail, node);
  Activations activations;
  Qz_AddCallBackNotify(node, kListTreeActivated, kNotifyAnyValue, Activations::record,
                       reinterpret_cast<QzWord>(&activations));
  EXPECT_EQ(Qz_DoMethod(node, kListTreeNodeGetExpanded), 0u) << "a new node is collapsed";
  EXPECT_NE(Qz_DoMethod(child, kRootHideCount), 0u);
  Qz_DoMethod(node, kRootSelect);  // selecting a collapsed node opens it
  EXPECT_EQ(Qz_DoMethod(node, kListTreeNodeGetExpanded), 1u);
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeGetSelectedNode), reinterpret_cast<QzWord>(node));
  EXPECT_EQ(Qz_DoMethod(child, kRootHideCount), 0u);
  EXPECT_NE(Qz_DoMethod(grandchild, kRootHideCount), 0u) << "a collapsed node inside stays closed";
  Qz_DoMethod(node, kRootSelect);  // again: it closes and reports the activation
  EXPECT_EQ(Qz_DoMethod(node, kListTreeNodeGetExpanded), 0u);
  EXPECT_EQ(activations.take(), 1);
  Qz_DisposeObject(tree);
}

// An opened node lays its children out under its own row, indented by a
// fixed step from the node's left edge, however wide the tree is.
TEST(ListTreeNodes, OpenedChildrenStartIndentedUnderTheirNode) {
  qztest::UiHarness ui;
  Qz_Object* tree = Qz_CreateObject("ListTree");
  Qz_Object* node = Qz_CreateObject("ListTreeNode", kListTreeNodeSetName, "Pictures");
  Qz_Object* inner = Qz_CreateObject("ListTreeNode", kListTreeNodeSetName, "Holidays");
  ASSERT_TRUE(tree && node && inner);
  Qz_DoMethod(node, kGroupAddTail, inner);
  Qz_DoMethod(tree, kGroupAddTail, node);
  Qz_Object* win = ui.window("Tree", 100, 100, 400, 200);
  Qz_DoMethod(win, kGroupAddTail, tree);
  ASSERT_TRUE(ui.open(win));
  ui.post(win, node, kListTreeNodeExpand, 0);
  ASSERT_TRUE(ui.settle(win));
  const Qz_LayoutBox outer = qztest::UiHarness::box(node);
  const Qz_LayoutBox child = qztest::UiHarness::box(inner);
  EXPECT_GT(outer.width, child.width + 16) << "the tree is wider than the child's row";
  EXPECT_EQ(child.left, outer.left + 16);
  EXPECT_GT(child.top, outer.top);
}

}  // namespace
