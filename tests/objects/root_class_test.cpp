// Root: layout box, counts, colours, names, pokes and the unknown-id answer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "objects/qz_root.h"
#include "objects/qz_object.h"
#include "probe_classes.h"

namespace {

using qztest::ProbeClass;

class RootClass : public ::testing::Test {
 protected:
  void SetUp() override {
    object = Qz_CreateObject("Probe");
    ASSERT_NE(object, nullptr);
    box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox));
    ASSERT_NE(box, nullptr);
  }
  void TearDown() override { Qz_DisposeObject(object); }

  qztest::ObjectSystem system;
  ProbeClass probe{"Probe"};
  Qz_Object* object = nullptr;
  Qz_LayoutBox* box = nullptr;
};

TEST_F(RootClass, PlaceLimitsToTheMaximumThenRaisesToTheMinimum) {
  struct Case {
    const char* name;
    int16_t minimum, maximum;
    int32_t given, expected;
  };
  const Case cases[] = {
      {"above the maximum", 20, 300, 500, 300},
      {"below the minimum", 20, 300, 10, 20},
      {"inside", 20, 300, 120, 120},
      {"maximum below minimum", 50, 30, 40, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    box->minWidth = c.minimum;
    box->maxWidth = c.maximum;
    box->minHeight = c.minimum;
    box->maxHeight = c.maximum;
    EXPECT_EQ(Qz_DoMethod(object, kRootPlace, -3, 7, c.given, c.given), 0u);
    EXPECT_EQ(box->left, -3);
    EXPECT_EQ(box->top, 7);
    EXPECT_EQ(box->width, c.expected);
    EXPECT_EQ(box->height, c.expected);
  }
}

TEST_F(RootClass, HideAndShowCountsSetTheHiddenBitOnlyAboveZero) {
  struct Step {
    uint32_t id;
    int32_t result;
    bool hidden;
    QzWord hideCount;
  };
  const Step steps[] = {
      {kRootShow, -1, false, 0},   {kRootHide, 0, false, 0},   {kRootHide, 1, true, 1},
      {kRootForceHidden, 2, true, 2}, {kRootShow, 1, true, 1}, {kRootResetHiding, 1, false, 0},
  };
  int index = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(index++);
    EXPECT_EQ(static_cast<int32_t>(Qz_DoMethod(object, s.id)), s.result);
    EXPECT_EQ((box->flags & kQzBoxHidden) != 0, s.hidden);
    EXPECT_EQ(Qz_DoMethod(object, kRootHideCount), s.hideCount);
  }
}

TEST_F(RootClass, DisableCountsTravelAsSigned32BitWords) {
  EXPECT_EQ(Qz_DoMethod(object, kRootEnable), QzWord{0xFFFFFFFF});
  EXPECT_EQ(Qz_DoMethod(object, kRootDisableCount), 0u);
  EXPECT_EQ(Qz_DoMethod(object, kRootDisable), 0u);
  EXPECT_EQ(Qz_DoMethod(object, kRootDisable), 1u);
  EXPECT_EQ(Qz_DoMethod(object, kRootDisableCount), 1u);
}

TEST_F(RootClass, DerivedColoursStayWithinAByte) {
  struct Case {
    uint32_t base, light, dark;
  };
  const Case cases[] = {
      {0x08F8F8, 0x18FFFF, 0x00E8E8},  // bytes 248, 248, 8
      {0x000000, 0x000000, 0x000000},
      {0x102030, 0x203040, 0x001020},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.base);
    EXPECT_EQ(Qz_DoMethod(object, kRootDeriveColours, c.base), 1u);
    const auto* root = Qz_RootInstance(object);
    EXPECT_EQ(root->baseColour, c.base);
    EXPECT_EQ(root->lightColour, c.light);
    EXPECT_EQ(root->darkColour, c.dark);
  }
}

TEST_F(RootClass, NamesAreCopiedAndFoundOnTheOutermostObject) {
  char buffer[] = "Slider";
  EXPECT_EQ(Qz_DoMethod(object, kRootSetObjectName, buffer), 1u);
  buffer[0] = 'X';
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(object, kRootGetObjectName)), "Slider");
  EXPECT_EQ(Qz_DoMethod(object->super, kRootFindByName, "Slider"), reinterpret_cast<QzWord>(object));
  EXPECT_EQ(Qz_DoMethod(object, kRootFindByName, "slider"), 0u);
  // Renaming to its own name keeps it.
  EXPECT_EQ(Qz_DoMethod(object, kRootSetObjectName, Qz_DoMethod(object, kRootGetObjectName)), 1u);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(object, kRootGetObjectName)), "Slider");
  EXPECT_EQ(Qz_DoMethod(object, kRootSetObjectName, nullptr), 1u);
  EXPECT_EQ(Qz_DoMethod(object, kRootGetObjectName), 0u);
  EXPECT_EQ(Qz_DoMethod(object, kRootFindByName, "Slider"), 0u);
}

TEST_F(RootClass, SimpleFieldsAnswerAsStored) {
  const auto* root = Qz_RootInstance(object);
  EXPECT_EQ(root->baseColour, 0xFFFFFFFFu);  // not set
  EXPECT_EQ(root->weight, 100);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(object, kRootGetLabel)), "");
  const char* label = "Size";
  EXPECT_EQ(Qz_DoMethod(object, kRootSetLabel, label), 0u);
  EXPECT_EQ(Qz_DoMethod(object, kRootGetLabel), reinterpret_cast<QzWord>(label));
  const char* tip = "tip";
  EXPECT_EQ(Qz_DoMethod(object, kRootSetToolTip, tip), reinterpret_cast<QzWord>(tip));
  EXPECT_EQ(Qz_DoMethod(object, kRootGetToolTip), reinterpret_cast<QzWord>(tip));
  EXPECT_EQ(Qz_DoMethod(object, kRootHandleIDCMP, 0), 2u);
  for (uint32_t id : {kRootSelect, kRootDeselect, kRootObjectAtPoint, kRootObjectAtPoint2}) {
    EXPECT_EQ(Qz_DoMethod(object->super, id, 0, 0), reinterpret_cast<QzWord>(object));
  }
}

TEST_F(RootClass, PokesWriteExactlyTheirWidth) {
  struct Case {
    uint32_t id;
    uint64_t expected;
  };
  const Case cases[] = {
      {kRootPoke32, 0xAAAAAAAA12345678ull},
      {kRootPoke16, 0xAAAAAAAAAAAA5678ull},
      {kRootPoke8, 0xAAAAAAAAAAAAAA78ull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.id);
    uint64_t target = 0xAAAAAAAAAAAAAAAAull;
    EXPECT_EQ(Qz_DoMethod(object, c.id, &target, 0x12345678u), 0u);
    EXPECT_EQ(target, c.expected);
    EXPECT_EQ(Qz_DoMethod(object, c.id, nullptr, 1), 0u);
  }
}

TEST_F(RootClass, UnknownIdsAnswerZeroAndWarnOnlyInDebugMode) {
  EXPECT_EQ(Qz_DoMethod(object, 0x1FFFF), 0u);
  EXPECT_EQ(Qz_DoMethod(object, kRootDraw), 0u);
  EXPECT_EQ(Qz_DoMethod(object, kRootMeasure), 0u);
  qztest::WarningLog log;
  EXPECT_EQ(Qz_DoMethod(object, 0x1FFFF), 0u);
  const auto texts = qztest::WarningLog::texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].rfind("Qz.library Internal Error|", 0), 0u);
  EXPECT_NE(texts[0].find("(Press OK to continue, not Cancel)\nMessage: Unknown Method Class 1 Number "
                          "65535  at Root Level\n"),
            std::string::npos);
}

TEST_F(RootClass, DisposeMethodDisposesTheOutermostObject) {
  Qz_Object* other = Qz_CreateObject("Probe");
  ASSERT_EQ(probe.live(), 2);
  EXPECT_EQ(Qz_DoMethod(other->super, kRootDispose), 1u);
  EXPECT_EQ(probe.live(), 1);
}

TEST_F(RootClass, TreeLockIsReEntrantForItsHolder) {
  EXPECT_EQ(Qz_DoMethod(object, kRootLockTree), 1u);
  EXPECT_EQ(Qz_DoMethod(object, kRootLockTree), 1u);
  EXPECT_EQ(Qz_DoMethod(object, kRootUnlockTree), 1u);
  EXPECT_EQ(Qz_DoMethod(object, kRootUnlockTree), 1u);
}

}  // namespace
