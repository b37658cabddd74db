// The tag-coded tree builder, with probe classes standing in for the
// gadget classes it names.
#include <gtest/gtest.h>

#include <vector>

#include "objects/qz_linked_list.h"
#include "objects/qz_object.h"
#include "probe_classes.h"

namespace {

using qztest::ProbeClass;

constexpr uint32_t kGroupSetMode = 0x201F4;

class ObjectBuilder : public ::testing::Test {
 protected:
  qztest::ObjectSystem system;
  ProbeClass group{"Group", "LinkedList"};
  ProbeClass scroller{"Scroller", "LinkedList"};
  ProbeClass slider{"Slider", "LinkedList"};
  ProbeClass stringEdit{"StringEdit", "LinkedList"};
  ProbeClass text{"Text"};

  int32_t liveTotal() const {
    return group.live() + scroller.live() + slider.live() + stringEdit.live() + text.live();
  }
};

TEST_F(ObjectBuilder, BuildsATreeAndHandsBackItsRoot) {
  Qz_Object* kept = nullptr;
  Qz_Object* root = Qz_CreateObjects(0, kBuildVGroup,
                                     kBuildObject, "Slider", kBuildStoreLast, &kept, kBuildClose,
                                     kBuildLabel, "Name", 34, 7,
                                     kBuildClose, kBuildEnd);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->objectClass, &group.record);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->objectClass, &scroller.record);  // "Slider" builds a Scroller
  EXPECT_EQ(Qz_DoMethod(root, kLinkedListCount), 2u);
  EXPECT_EQ(Qz_DoMethod(root, kLinkedListFirst), reinterpret_cast<QzWord>(kept));

  const auto modes = group.callsWithId(kGroupSetMode);
  ASSERT_EQ(modes.size(), 1u);
  EXPECT_EQ(modes[0].arg0, 1u);  // vertical
  const auto labels = text.callsWithId(kRootSetLabel);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_STREQ(reinterpret_cast<const char*>(labels[0].arg0), "Name");
  // Any other code is a one-argument call on the container on top.
  const auto other = group.callsWithId(34);
  ASSERT_EQ(other.size(), 1u);
  EXPECT_EQ(other[0].object, root);
  EXPECT_EQ(other[0].arg0, 7u);

  Qz_DisposeObject(root);
  EXPECT_EQ(liveTotal(), 0);
}

TEST_F(ObjectBuilder, SimpleSliderBuildsASlider) {
  Qz_Object* root = Qz_CreateObjects(0, kBuildObject, "SimpleSlider", kBuildClose, kBuildEnd);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->objectClass, &slider.record);
  Qz_DisposeObject(root);
}

TEST_F(ObjectBuilder, OddListsEndCleanly) {
  struct Case {
    const char* name;
    std::vector<QzWord> codes;
    bool expectRoot;
  };
  const Case cases[] = {
      {"empty", {kBuildEnd}, false},
      {"closes without opens", {kBuildClose, kBuildClose, kBuildEnd}, false},
      {"extra close after a tree", {kBuildHGroup, kBuildClose, kBuildClose, kBuildEnd}, true},
      {"unclosed containers", {kBuildHGroup, kBuildVGroup, kBuildStringEdit, kBuildEnd}, true},
      {"unknown class is pushed as nothing",
       {kBuildObject, reinterpret_cast<QzWord>("Nothing"), kBuildLabel, reinterpret_cast<QzWord>("x"),
        kBuildClose, kBuildEnd},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<QzWord> codes = c.codes;
    codes.resize(codes.size() + 8, 0);
    Qz_Object* root = Qz_CreateObjectsA(codes.data(), 0);
    EXPECT_EQ(root != nullptr, c.expectRoot);
    Qz_DisposeObject(root);
    EXPECT_EQ(liveTotal(), 0);
  }
}

TEST_F(ObjectBuilder, TooDeepATreeIsRefusedWithoutLeaks) {
  std::vector<QzWord> codes(kBuildStackEntries + 1, kBuildHGroup);
  codes.resize(codes.size() + 8, 0);
  EXPECT_EQ(Qz_CreateObjectsA(codes.data(), 0), nullptr);
  EXPECT_EQ(group.live(), 0);
}

TEST_F(ObjectBuilder, SubClassModeMakesClosedContainersReportToTheirContainer) {
  struct Case {
    const char* name;
    bool subClass;
  };
  for (const Case& c : {Case{"free-standing", false}, Case{"sub-class", true}}) {
    SCOPED_TRACE(c.name);
    Qz_Object* edit = nullptr;
    Qz_Object* root =
        c.subClass ? Qz_CreateSubClassObjects(0, kBuildVGroup, kBuildStringEdit, kBuildStoreLast, &edit,
                                              kBuildClose, kBuildClose, kBuildEnd)
                   : Qz_CreateObjects(0, kBuildVGroup, kBuildStringEdit, kBuildStoreLast, &edit,
                                      kBuildClose, kBuildClose, kBuildEnd);
    ASSERT_NE(root, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Qz_GetTopMostObject(edit), c.subClass ? root : edit);
    EXPECT_EQ(root->owner, nullptr);
    Qz_DisposeObject(root);
  }
  EXPECT_EQ(liveTotal(), 0);
}

}  // namespace
