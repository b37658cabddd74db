// RootMode: its settings, flags, re-render request and the re-notification
// of an attached source's changes; and that every mode class is made by
// name and answers them through its RootMode instance.
#include <gtest/gtest.h>

#include <vector>

#include "compositor/compositor_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"

namespace {

using qztest::Document;
using qztest::Rgb;

std::vector<Qz_Image*> gPosts;
void RecordPost(Qz_Image* document) { gPosts.push_back(document); }

void RecordValue(QzWord data, Qz_Object*, uint32_t, const QzWord* words) {
  reinterpret_cast<std::vector<QzWord>*>(data)->push_back(words[0]);
}

struct Rect {
  int32_t x0, y0, x1, y1;
  bool operator==(const Rect&) const = default;
};
void RecordRect(QzWord data, Qz_Object*, uint32_t, const QzWord* words) {
  reinterpret_cast<std::vector<Rect>*>(data)->push_back(
      {int32_t(words[2]), int32_t(words[3]), int32_t(words[4]), int32_t(words[5])});
}

class RootModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gPosts.clear();
    Qz__SetModeRerenderPoster(RecordPost);
    layer = doc.AddPaintLayer("Multiply", {1, 2, 3}, 2, 1, 8, 6,
                              [](int32_t, int32_t) { return uint8_t(0); });
    ASSERT_NE(layer, nullptr);
    gPosts.clear();
  }
  void TearDown() override { Qz__SetModeRerenderPoster(nullptr); }

  Document doc{16, 12, [](int32_t, int32_t) { return Rgb{0, 0, 0}; }};
  Qz_Image* layer = nullptr;
};

TEST_F(RootModeTest, SettingsStoreSixteenBitsAndNotifyOnlyOnChange) {
  const uint32_t pairs[][2] = {{0x12006E, 0x120078}, {0x120082, 0x12008C}, {0x120096, 0x1200A0},
                               {0x1200AA, 0x1200B4}, {0x1200BE, 0x1200C8}, {0x1200FA, 0x120104},
                               {0x12010E, 0x120118}, {0x120122, 0x12012C}, {0x120136, 0x120140},
                               {0x12014A, 0x120154}};
  Qz_Object* mode = layer->mode;
  for (const auto& pair : pairs) {
    SCOPED_TRACE(testing::Message() << std::hex << pair[0]);
    std::vector<QzWord> notified;
    const QzWord handle = Qz_AddCallBackNotify(mode, pair[0], kNotifyAnyValue, RecordValue,
                                               reinterpret_cast<QzWord>(&notified));
    struct Step {
      uint32_t value;
      QzWord stored;
      bool changes;
    };
    const Step steps[] = {{5, 5, true},          {5, 5, false},
                          {uint32_t(-1), 0xFFFFFFFF, true}, {70000, 32767, true},
                          {70000, 32767, false},  {32767, 32767, false}};
    size_t expectedNotices = 0;
    for (const Step& step : steps) {
      gPosts.clear();
      EXPECT_EQ(Qz_DoMethod(mode, pair[0], step.value), step.stored);
      EXPECT_EQ(Qz_DoMethod(mode, pair[1]), step.stored);
      if (step.changes) ++expectedNotices;
      ASSERT_EQ(notified.size(), expectedNotices);
      if (step.changes) {
        EXPECT_EQ(notified.back(), step.stored);
        EXPECT_EQ(gPosts, std::vector<Qz_Image*>{doc.image});  // the document, not the layer
      } else {
        EXPECT_TRUE(gPosts.empty());
      }
    }
    Qz_RemoveNotify(mode, handle);
  }
}

TEST_F(RootModeTest, FlagsLayerAndReRenderRequest) {
  Qz_Object* mode = layer->mode;
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetFlags), 0u);
  Qz_DoMethod(mode, kQzModeSetFlags, 5);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetFlags), 5u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetPanel), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetAmount), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetImage), qz::toWord(layer));
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeChanged), 1u);
  EXPECT_EQ(gPosts, std::vector<Qz_Image*>{doc.image});

  Qz_Object* unattached = Qz_CreateObject("MultiplyMode");
  ASSERT_NE(unattached, nullptr);
  gPosts.clear();
  EXPECT_EQ(Qz_DoMethod(unattached, kQzModeChanged), 1u);
  EXPECT_TRUE(gPosts.empty());
  // Without a panel an active-image change only answers 1.
  EXPECT_EQ(Qz_DoMethod(unattached, kQzModeActiveImageChanged, layer), 1u);
  EXPECT_EQ(Qz_DoMethod(unattached, kQzModeGetPanel), 0u);
  Qz_DisposeObject(unattached);
}

TEST_F(RootModeTest, SourceRegionChangesLandInTheLayer) {
  Qz_Object* mode = layer->mode;
  layer->placement.secondX = 5;
  layer->placement.secondY = -3;
  Document source(30, 35, [](int32_t, int32_t) { return Rgb{0, 0, 0}; });
  std::vector<Rect> rects;
  const QzWord handle = Qz_AddCallBackNotify(&layer->object, kQzImageChanged, kNotifyAnyValue,
                                             RecordRect, reinterpret_cast<QzWord>(&rects));
  struct Case {
    const char* name;
    uint32_t flags, kind;
    int32_t stripPass;
    std::vector<Rect> expected;
  };
  const Case cases[] = {
      {"kind 0 is moved by the source's position", 0, 0, 0, {{6, -1, 8, 1}}},
      {"kind 2 likewise", 0, 2, 0, {{6, -1, 8, 1}}},
      {"kind 3 is ignored", 0, 3, 0, {}},
      {"flag 4 outside a strip pass: as kind 0", 5, 0, 0, {{6, -1, 8, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rects.clear();
    Qz_DoMethod(mode, kQzModeSetFlags, c.flags);
    source.image->interruptible = c.stripPass;
    EXPECT_EQ(Qz_DoMethod(mode, kQzModeSourceRegionChanged, c.kind, source.image, 1, 2, 3, 4), 0u);
    EXPECT_EQ(rects, c.expected);
  }
  // Flag 4 in a strip pass of 10-row strips: the strips' notices wait, and
  // the pass's end brings one notice over the layer's whole width (also
  // for a pass cut short, whose strips never reach the last row).
  rects.clear();
  Qz_DoMethod(mode, kQzModeSetFlags, 5);
  source.image->interruptible = 1;
  for (int32_t top = 0; top < 35; top += 10)
    Qz_DoMethod(mode, kQzModeSourceRegionChanged, 0, source.image, 0, top, 29,
                std::min(top + 9, 34));
  EXPECT_EQ(rects, std::vector<Rect>{});
  source.image->interruptible = 0;
  Qz_DoMethod(mode, kQzModeSourcePassDone, source.image);
  EXPECT_EQ(rects, (std::vector<Rect>{{0, -3, 7, 31}}));
  Qz_RemoveNotify(&layer->object, handle);
}

// The panel sits in the mode-options group while the mode's layer is the
// active paint layer, and leaves it when another layer becomes active or
// the mode is disposed.
TEST_F(RootModeTest, PanelFollowsTheActiveLayer) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* group = Qz_CreateObject("LinkedList");
  ASSERT_NE(group, nullptr);
  base->modePanelGroup = group;
  Qz_Object* mode = Qz_CreateObject("DarkenMode");
  Qz_Object* panel = Qz_CreateObject("Root");
  ASSERT_TRUE(mode && panel);
  Qz_DoMethod(mode, kQzModeSetPanel, panel);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetPanel), qz::toWord(panel));
  // Handed a layer that is not the active one: not shown.
  Qz_DoMethod(mode, kQzModeSetImage, layer);
  EXPECT_EQ(Qz_DoMethod(group, kLinkedListCount), 0u);
  struct Step {
    const char* name;
    Qz_Image* active;
    QzWord members;
  };
  const Step steps[] = {{"its layer becomes active", layer, 1},
                        {"again: still once", layer, 1},
                        {"another layer", doc.image, 0},
                        {"its layer again", layer, 1}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    EXPECT_EQ(Qz_DoMethod(mode, kQzModeActiveImageChanged, step.active), 1u);
    EXPECT_EQ(Qz_DoMethod(group, kLinkedListCount), step.members);
  }
  Qz_DisposeObject(mode);
  EXPECT_EQ(Qz_DoMethod(group, kLinkedListCount), 0u);
  base->modePanelGroup = nullptr;
  Qz_DisposeObject(group);
}

// A new mode-options group (a restored panel layout): the next
// active-image notice moves the shown panel out of the old group into it.
TEST_F(RootModeTest, ShownPanelMovesToANewOptionsGroup) {
  Qz_ImageBase* base = Qz_GetImageBase();
  // Groups, as the options panels make: a member knows its group.
  Qz_Object* oldGroup = Qz_CreateObject("Group");
  Qz_Object* newGroup = Qz_CreateObject("Group");
  ASSERT_TRUE(oldGroup && newGroup);
  base->modePanelGroup = oldGroup;
  Qz_Object* mode = Qz_CreateObject("DarkenMode");
  Qz_Object* panel = Qz_CreateObject("Root");
  ASSERT_TRUE(mode && panel);
  Qz_DoMethod(mode, kQzModeSetPanel, panel);
  Qz_DoMethod(mode, kQzModeSetImage, layer);
  Qz_DoMethod(mode, kQzModeActiveImageChanged, layer);
  ASSERT_EQ(Qz_DoMethod(oldGroup, kLinkedListCount), 1u);
  base->modePanelGroup = newGroup;
  Qz_DoMethod(mode, kQzModeActiveImageChanged, layer);
  EXPECT_EQ(Qz_DoMethod(oldGroup, kLinkedListCount), 0u);
  EXPECT_EQ(Qz_DoMethod(newGroup, kLinkedListFirst), qz::toWord(panel));
  Qz_DoMethod(mode, kQzModeActiveImageChanged, layer);
  EXPECT_EQ(Qz_DoMethod(newGroup, kLinkedListCount), 1u) << "shown once";
  Qz_DisposeObject(mode);
  EXPECT_EQ(Qz_DoMethod(newGroup, kLinkedListCount), 0u);
  base->modePanelGroup = nullptr;
  Qz_DisposeObject(oldGroup);
  Qz_DisposeObject(newGroup);
}

TEST(ModeClasses, EveryModeIsMadeByNameAndAnswersRootModeIds) {
  struct Case {
    const char* name;
    uint32_t classId;
  };
  const Case cases[] = {
      {"RootMode", 0x800},      {"PaintMode", 0x801},     {"AddColourMode", 0x801},
      {"SubtractColourMode", 0x801}, {"DarkenMode", 0x801}, {"LightenMode", 0x801},
      {"DifferenceRGBMode", 0x801}, {"MultiplyMode", 0x801}, {"ScreenMode", 0x801},
      {"BurnMode", 0x801},      {"DodgeMode", 0x801},     {"OverlayMode", 0x801},
      {"SoftLightMode", 0x801}, {"HardLightMode", 0x801}, {"TintMode", 0x801},
      {"ColouriseMode", 0x814}, {"SepiaMode", 0x814},     {"BiColourMode", 0x804},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Class* record = Qz_FindClassFromName(c.name);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->classId, c.classId);
    EXPECT_EQ(record->version, 2u);
    Qz_Object* mode = Qz_CreateObject(c.name);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetFlags), 0u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetPanel), 0u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzModeSetRadius, 7), 7u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetRadius), 7u);
    Qz_DisposeObject(mode);
  }
  EXPECT_EQ(Qz_FindClassFromName("SepiaMode")->superClass, Qz_FindClassFromName("ColouriseMode"));
}

}  // namespace
