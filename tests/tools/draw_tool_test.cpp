// DrawTool and RootTool driven by scripted input over a document whose view
// maps window pixels one to one onto the picture: the stroke's action and
// its points, the media messages, tablet moves that the mouse repeats, the
// filled variant's cancel and apply, options shown and hidden in nesting,
// and the rubber band that a second drawing takes away.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "actions/action_internal.h"
#include "app/class_registration.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "media/qz_root_media.h"
#include "objects/qz_class_record.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "raster/canvas.h"
#include "tools/qz_root_tool.h"
#include "tools/rubber_band.h"
#include "tools/tool_fixture.h"

namespace {

constexpr int32_t kWidth = qz::test::kWidth, kHeight = qz::test::kHeight;

// ---- a media that records the stroke messages it gets ------------------------------

struct Message {
  uint32_t kind, button;
  std::vector<int32_t> coords;
  bool operator==(const Message&) const = default;
};
std::vector<Message> gMessages;

QzWord RecorderDispatch(Qz_Object* self, uint32_t id, const QzWord* w) {
  if (id == kMediaStrokeMessage) {
    const uint32_t kind = uint32_t(w[0]);
    Message m{kind, uint32_t(w[3]), {}};
    if (kind == kStrokeLine)
      for (int i = 5; i < 9; ++i) m.coords.push_back(int32_t(w[i]));
    gMessages.push_back(m);
    return 0;
  }
  return Qz_DoMethodA(self->super, id, w);
}
Qz_Object* NewRecorder(Qz_Class* c, const QzWord*) { return Qz_AllocObjectOver(c, "Root", nullptr); }
void DisposeRecorder(Qz_Object* o) {
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}
const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
Qz_Class gRecorderClass;

// The view stand-in: window pixels are picture pixels.
int IdentityGeometry(Qz_Object* view, Qz_Image** image, int32_t* w, int32_t* h, int32_t* x, int32_t* y) {
  auto* document = reinterpret_cast<Qz_Image*>(Qz_RootInstance(view)->userData);
  *image = document;
  *w = document->width, *h = document->height, *x = 0, *y = 0;
  return 1;
}

class ToolEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    Qz_GlobalData* global = Qz_GetGlobalData();
    ASSERT_EQ(Qz_InitImageClass(global), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), global), 0u);
    ASSERT_EQ(Qz_InitRootToolClass(global), 1u);
    ASSERT_EQ(Qz_InitDrawToolClass(global), 1u);
    const Qz_ClassSpec recorder = {"RecordingMedia", "", 0x7E200000, "Root", NewRecorder, DisposeRecorder,
                                   RecorderDispatch, kNoMethods, sizeof(Qz_Object), 0};
    ASSERT_EQ(Qz_RegisterClassRecord(&gRecorderClass, &recorder), 1u);
    savedGeometry_ = Qz_GetImageHooks()->viewGeometry;
    Qz_GetImageHooks()->viewGeometry = IdentityGeometry;
  }
  void TearDown() override {
    Qz_GetImageHooks()->viewGeometry = savedGeometry_;
    Qz_UnregisterClassRecord(&gRecorderClass);
    Qz_CleanupDrawToolClass();
    Qz_CleanupRootToolClass();
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Actions));
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }

 private:
  int (*savedGeometry_)(Qz_Object*, Qz_Image**, int32_t*, int32_t*, int32_t*, int32_t*) = nullptr;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ToolEnvironment);

struct Point {
  int32_t x, y;
  bool operator==(const Point&) const = default;
};

class DrawToolTest : public qz::test::ToolFixture {
 protected:
  void SetUp() override {
    gMessages.clear();
    ToolFixture::SetUp();
    doc_->media = Qz_CreateObject("RecordingMedia");
    tool_ = Qz_CreateObject("DrawTool");
    ASSERT_NE(tool_, nullptr);
  }
  void TearDown() override {
    Qz_Object* media = doc_->media;
    ToolFixture::TearDown();
    Qz_DisposeObject(media);
  }
  QzWord Input(uint32_t cls, uint32_t code, int16_t x, int16_t y, QzTabletData* tablet = nullptr,
               uint32_t pressure = 0) {
    Qz_InputEvent e{};
    e.cls = cls, e.code = code, e.mouseX = x, e.mouseY = y, e.tablet = tablet, e.pressure = pressure;
    return Qz_DoMethod(tool_, kToolInputMethod, doc_, &e);
  }
  QzWord Press(int16_t x, int16_t y, uint32_t code = SELECTDOWN) { return Input(IDCMP_MOUSEBUTTONS, code, x, y); }
  QzWord Move(int16_t x, int16_t y) { return Input(IDCMP_MOUSEMOVE, 0, x, y); }
  QzWord Release(int16_t x, int16_t y, uint32_t code = SELECTUP) { return Input(IDCMP_MOUSEBUTTONS, code, x, y); }
  static std::vector<Point> Points(Qz_Object* action) {
    std::vector<Point> out;
    auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(action, kActionGetPoints));
    for (Qz_Object* p = list ? qz::actions::listFirst(list) : nullptr; p; p = qz::actions::listOlder(list, p))
      out.push_back({int32_t(Qz_DoMethod(p, kActionGetX)), int32_t(Qz_DoMethod(p, kActionGetY))});
    return out;
  }

};

TEST_F(DrawToolTest, AMouseStrokeRecordsItsPointsAndEndsTheMediaStroke) {
  EXPECT_EQ(Press(10, 10), kToolInputDone);
  EXPECT_EQ(Move(12, 10), kToolInputDone);
  EXPECT_EQ(Move(14, 11), kToolInputDone);
  EXPECT_EQ(Release(14, 11), kToolInputDone);
  Qz_Object* action = Newest();
  ASSERT_EQ(qz::actions::classIdOf(action), kRootActionClassId);
  EXPECT_EQ(Qz_DoMethod(action, kActionGetQualifier), 1u);
  EXPECT_EQ(Qz_DoMethod(action, kActionGetTool), qz::toWord(tool_));
  EXPECT_EQ(Qz_DoMethod(action, kActionGetFlags), uint32_t(kDrawFreehand));
  EXPECT_EQ(qz::actions::layerOf(action), layer_);
  // The press is repeated as the first move, so the first segment is a dab.
  EXPECT_EQ(Points(action), (std::vector<Point>{{10, 10}, {10, 10}, {12, 10}, {14, 11}}));
  const std::vector<Message> expected = {{kStrokeLine, 1, {10, 10, 10, 10}},
                                         {kStrokeLine, 1, {10, 10, 12, 10}},
                                         {kStrokeLine, 1, {12, 10, 14, 11}},
                                         {kStrokeEnd, 0, {}}};
  EXPECT_EQ(gMessages, expected);
}

TEST_F(DrawToolTest, ReleaseWithoutAStrokeStillEndsTheMediaStrokeAndMovesWithoutAPressAddNothing) {
  const uint32_t before = ListLength();
  Move(5, 5);
  Release(5, 5);
  EXPECT_EQ(ListLength(), before);
  EXPECT_EQ(gMessages, (std::vector<Message>{{kStrokeEnd, 0, {}}}));
  // A press outside the view starts nothing.
  gMessages.clear();
  Press(kWidth + 5, 3);
  Move(4, 4);
  EXPECT_EQ(ListLength(), before);
  EXPECT_TRUE(gMessages.empty());
}

TEST_F(DrawToolTest, TheRightButtonErasesAndAToolWithoutALayerConsumesInput) {
  Press(3, 3, MENUDOWN);
  Move(6, 3);
  Release(6, 3, MENUUP);
  EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetQualifier), 2u);
  ASSERT_GE(gMessages.size(), 2u);
  EXPECT_EQ(gMessages[1], (Message{kStrokeLine, 2, {3, 3, 6, 3}}));
  doc_->activeLayer = nullptr;
  gMessages.clear();
  EXPECT_EQ(Press(3, 3), kToolInputDone);
  EXPECT_TRUE(gMessages.empty());
  doc_->activeLayer = layer_;
}

TEST_F(DrawToolTest, TheFilledVariantAppliesAtReleaseAndTheOtherButtonCancels) {
  Qz_Object* button = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kLinkedListFirst));
  ASSERT_NE(button, nullptr);
  Qz_DoMethod(tool_, kToolButtonSetState, 2u);
  EXPECT_EQ(Qz_DoMethod(button, kToolButtonGetState), 2u);
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetBrushOutline), 0u);
  const uint32_t before = ListLength();
  Press(5, 5);
  Move(9, 7);
  ASSERT_EQ(ListLength(), before + 1);
  EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetFlags), uint32_t(kDrawFilled));
  Press(9, 7, MENUDOWN);  // the other button
  EXPECT_EQ(ListLength(), before);
  Move(12, 12);  // nothing left to add to
  EXPECT_EQ(ListLength(), before);

  Press(5, 5);
  Move(9, 7);
  Release(9, 7);
  EXPECT_EQ(ListLength(), before + 1);
  EXPECT_EQ(Points(Newest()), (std::vector<Point>{{5, 5}, {5, 5}, {9, 7}}));
  Qz_DoMethod(tool_, kToolButtonSetState, 1u);
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetBrushOutline), 1u);
}

// The release fills the outline into the layer's transparency; the other
// button's outline removes it again.
TEST_F(DrawToolTest, TheFilledVariantFillsItsOutline) {
  Qz_DoMethod(tool_, kToolButtonSetState, 2u);
  const auto square = [&](uint32_t down, uint32_t up) {
    Press(5, 5, down);
    Move(15, 5);
    Move(15, 15);
    Move(5, 15);
    Release(5, 15, up);
  };
  square(SELECTDOWN, SELECTUP);
  EXPECT_EQ(layer_->grey[10][10], 255);
  EXPECT_EQ(layer_->grey[5][5], 255);
  EXPECT_EQ(layer_->grey[15][10], 0);  // the bottom edge is not filled
  EXPECT_EQ(layer_->grey[10][15], 0);  // nor the right one
  EXPECT_EQ(layer_->grey[4][10], 0);
  square(MENUDOWN, MENUUP);
  EXPECT_EQ(layer_->grey[10][10], 0);
  Qz_DoMethod(tool_, kToolButtonSetState, 1u);
}

TEST_F(DrawToolTest, OptionsShowAndHideNestAndActivationMovesBetweenTools) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* group = Qz_CreateObject("LinkedList");
  Qz_Object* saved = base->panelGroups[0];
  base->panelGroups[0] = group;
  Qz_Object* first = Qz_CreateObject("RootTool");
  Qz_Object* second = Qz_CreateObject("RootTool");
  Qz_Object* panel = Qz_CreateObject("Root");
  Qz_DoMethod(first, kToolSetOptions, panel);
  auto count = [&] { return Qz_DoMethod(group, kLinkedListCount); };
  Qz_DoMethod(first, kToolActivate, 1u);
  Qz_DoMethod(first, kToolActivate, 1u);  // already active: shown once
  EXPECT_EQ(base->currentTool, first);
  EXPECT_EQ(count(), 1u);
  Qz_DoMethod(first, kToolShowOptionsPanel);
  Qz_DoMethod(first, kToolHideOptionsPanel);
  EXPECT_EQ(count(), 1u);  // two shows need two hides
  Qz_DoMethod(first, kToolShowOptionsPanel);
  Qz_DoMethod(first, kToolHideOptionsPanel);
  Qz_DoMethod(first, kToolHideOptionsPanel);
  EXPECT_EQ(count(), 0u);
  Qz_DoMethod(first, kToolShowOptionsPanel);
  EXPECT_EQ(count(), 1u);
  Qz_DoMethod(second, kToolActivate, 1u);
  EXPECT_EQ(base->currentTool, second);
  EXPECT_EQ(count(), 0u);  // the first tool was deactivated and its panel removed
  Qz_DisposeObject(second);
  Qz_DisposeObject(first);  // disposes its panel
  base->panelGroups[0] = saved;
  Qz_DisposeObject(group);
}

TEST_F(DrawToolTest, TabletMovesAreNotRepeatedByTheMouse) {
  // Last in this file: once a tablet is seen, a press is no longer a first point.
  TagItem tags[] = {{TAG_DONE, 0}};
  QzTabletData sample{tags, 0};
  Press(4, 4);
  Input(IDCMP_MOUSEMOVE, 0, 6, 4, &sample, 200);
  Move(6, 4);  // the mouse's copy of the tablet move
  Input(IDCMP_MOUSEMOVE, 0, 8, 5, &sample, 100);
  Release(8, 5);
  EXPECT_EQ(Points(Newest()), (std::vector<Point>{{4, 4}, {4, 4}, {6, 4}, {8, 5}}));
  auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(Newest(), kActionGetPoints));
  EXPECT_EQ(Qz_DoMethod(qz::actions::listLast(list), kPointGetPressure), 100u);
  // A mouse-only stroke now: every move counts again, and the press is no point.
  Press(1, 1);
  Move(2, 1);
  Move(3, 1);
  Release(3, 1);
  EXPECT_EQ(Points(Newest()), (std::vector<Point>{{1, 1}, {2, 1}, {3, 1}}));
}

std::vector<uint32_t> Pixels(const rastertest::Canvas& cv) {
  std::vector<uint32_t> out;
  for (int y = 0; y < cv.buffer.height(); ++y)
    for (int x = 0; x < cv.buffer.width(); ++x) out.push_back(cv.at(x, y));
  return out;
}

TEST(RubberBand, DrawnTwiceLeavesTheBufferAsItWas) {
  rastertest::Canvas cv(24, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x) cv.buffer.at(x, y) = uint32_t(x * 10 + y * 3) << 8 | uint32_t(x ^ y);
  const std::vector<uint32_t> before = Pixels(cv);
  const qz::tools::BandBox box{2, 2, 20, 13};
  struct Line {
    int32_t x0, y0, x1, y1;
  } lines[] = {{3, 3, 18, 11}, {5, 5, 5, 12}, {0, 0, 30, 30}, {7, 7, 7, 7}, {19, 4, 3, 4}};
  for (const Line& l : lines) {
    qz::tools::drawRubberBand(&cv.rp, box, l.x0, l.y0, l.x1, l.y1);
    const std::vector<uint32_t> shown = Pixels(cv);
    EXPECT_NE(shown, before);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 24; ++x) {
        const bool outside = x < 2 || x > 20 || y < 2 || y > 13;
        if (outside) {
          EXPECT_EQ(cv.at(x, y), before[size_t(y * 24 + x)]);
        }
      }
    }
    qz::tools::drawRubberBand(&cv.rp, box, l.x0, l.y0, l.x1, l.y1);
    EXPECT_EQ(Pixels(cv), before);
  }
  // The end pixel is part of the band.
  qz::tools::drawRubberBand(&cv.rp, box, 3, 3, 18, 11);
  EXPECT_NE(cv.at(18, 11), before[11 * 24 + 18]);
}

}  // namespace
