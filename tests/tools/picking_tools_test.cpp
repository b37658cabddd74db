// The colour picker and the position tool driven by scripted input: what the
// picker sends the application, and the placement actions the position tool
// makes and applies.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_text_entry.h"
#include "image/app_commands.h"
#include "objects/qz_notify.h"
#include "tools/tool_fixture.h"

namespace {

std::vector<QzWord> gColours;
void RecordColour(QzWord, Qz_Object*, uint32_t, const QzWord* value) { gColours.push_back(value[0]); }

class ColourPickerTest : public qz::test::ToolFixture {
 protected:
  static void SetUpTestSuite() { Qz_InitColourPickerToolClass(Qz_GetGlobalData()); }
  static void TearDownTestSuite() { Qz_CleanupColourPickerToolClass(); }
  void SetUp() override {
    ToolFixture::SetUp();
    Qz_ImageBase* base = Qz_GetImageBase();
    savedApplication_ = base->applicationImage;
    base->applicationImage = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
    Qz_AddCallBackNotify(&base->applicationImage->object, qz::kQzAppSetColour, kNotifyAnyValue, RecordColour, 0);
    gColours.clear();
    for (int32_t y = 0; y < doc_->height; ++y)
      for (int32_t x = 0; x < doc_->width; ++x)
        doc_->r[y][x] = uint8_t(x * 5), doc_->g[y][x] = uint8_t(y * 5), doc_->b[y][x] = 7;
    doc_->r[3][7] = 200, doc_->g[3][7] = 100, doc_->b[3][7] = 50;
    Use("ColourPickerTool");
  }
  void TearDown() override {
    Qz_ImageBase* base = Qz_GetImageBase();
    Qz_DisposeObject(&base->applicationImage->object);
    base->applicationImage = savedApplication_;
    ToolFixture::TearDown();
  }
  static QzWord At(int32_t x, int32_t y) { return QzWord(7u << 16 | uint32_t(y * 5) << 8 | uint32_t(x * 5)); }

  Qz_Image* savedApplication_ = nullptr;
};

TEST_F(ColourPickerTest, ALeftPressPicksThePixelAsBlueGreenRed) {
  EXPECT_EQ(Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 7, 3), kToolInputDone);
  EXPECT_EQ(gColours, (std::vector<QzWord>{0x3264C8}));
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetBrushOutline), 0u);
}

TEST_F(ColourPickerTest, AGreyPicturesSampleIsAllThreeComponents) {
  auto* grey = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(Qz_AllocImage(grey, 8, 8, 8, kQzAllocNoThread, nullptr), nullptr);
  grey->grey[2][3] = 128;
  Qz_RootInstance(view_)->userData = qz::toWord(grey);
  Qz_SetCurrentView(grey, view_);
  std::swap(doc_, grey);
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 3, 2);
  std::swap(doc_, grey);
  Qz_SetCurrentView(grey, nullptr);
  Qz_RootInstance(view_)->userData = qz::toWord(doc_);
  Qz_DisposeObject(&grey->object);
  EXPECT_EQ(gColours, (std::vector<QzWord>{0x808080}));
}

TEST_F(ColourPickerTest, PickingLastsFromALeftPressOverTheViewUntilARelease) {
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 45, 5);  // outside the view: no picking
  Input(IDCMP_MOUSEMOVE, 0, 2, 2);
  Input(IDCMP_MOUSEBUTTONS, MENUDOWN, 2, 2);  // the right button never picks
  EXPECT_TRUE(gColours.empty());
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 1, 1);
  Input(IDCMP_MOUSEMOVE, 0, 50, 5);  // left the view
  Input(IDCMP_MOUSEMOVE, 0, 4, 6);   // back over it
  Input(IDCMP_MOUSEBUTTONS, MENUUP, 4, 6);  // either release ends it
  Input(IDCMP_MOUSEMOVE, 0, 8, 8);
  EXPECT_EQ(gColours, (std::vector<QzWord>{At(1, 1), At(4, 6)}));
}

TEST_F(ColourPickerTest, PointsOfALargerViewBeyondThePictureAreIgnored) {
  auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(view_, kRootGetLayoutBox));
  box->width = qz::test::kWidth + 20, box->height = qz::test::kHeight + 20;
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, qz::test::kWidth + 5, 5);
  Input(IDCMP_MOUSEMOVE, 0, 5, qz::test::kHeight);
  Input(IDCMP_MOUSEMOVE, 0, qz::test::kWidth - 1, qz::test::kHeight - 1);
  EXPECT_EQ(gColours, (std::vector<QzWord>{At(qz::test::kWidth - 1, qz::test::kHeight - 1)}));
}

// ---- the position tool ----------------------------------------------------------------

class PositionToolTest : public qz::test::ToolFixture {
 protected:
  static void SetUpTestSuite() { Qz_InitPositionToolClass(Qz_GetGlobalData()); }
  static void TearDownTestSuite() { Qz_CleanupPositionToolClass(); }
  void SetUp() override {
    ToolFixture::SetUp();
    savedActive_ = Qz_GetImageBase()->activeImage;
    Qz_GetImageBase()->activeImage = doc_;
    Use("PositionTool");
    panel_ = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kToolGetOptions));
    ASSERT_NE(panel_, nullptr);
  }
  void TearDown() override {
    Qz_GetImageBase()->activeImage = savedActive_;
    ToolFixture::TearDown();
  }
  // The panel's parts: move label, chooser, position label, X and Y row, reset, live update.
  static Qz_Object* Child(Qz_Object* group, int index) {
    auto* child = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kLinkedListFirst));
    while (child && index-- > 0) child = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kLinkedListNext, child));
    return child;
  }
  Qz_Object* Chooser() { return Child(panel_, 1); }
  Qz_Object* Field(int axis) { return Child(Child(panel_, 3), 1 + 2 * axis); }
  Qz_Object* Reset() { return Child(panel_, 4); }
  Qz_Object* LiveBox() { return Child(panel_, 5); }
  std::pair<int32_t, int32_t> LayerAt() { return {layer_->placement.layerX, layer_->placement.layerY}; }
  std::pair<int32_t, int32_t> Fields() {
    return {int32_t(Qz_DoMethod(Field(0), kStringEditGetNumber)), int32_t(Qz_DoMethod(Field(1), kStringEditGetNumber))};
  }

  Qz_Image* savedActive_ = nullptr;
  Qz_Object* panel_ = nullptr;
};

using Place = std::pair<int32_t, int32_t>;

TEST_F(PositionToolTest, WithLiveUpdateTheLayerFollowsEveryMoveWithoutItOnlyTheRelease) {
  const struct {
    bool live;
    Place afterFirstMove;
  } cases[] = {{true, {3, 2}}, {false, {0, 0}}};
  for (const auto& c : cases) {
    Qz_DoMethod(LiveBox(), kCheckBoxSetState, c.live ? 1u : 0u);
    const uint32_t before = ListLength();
    const Place start = LayerAt();
    Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 10, 10);
    Input(IDCMP_MOUSEMOVE, 0, 13, 12);
    EXPECT_EQ(LayerAt(), (Place{start.first + c.afterFirstMove.first, start.second + c.afterFirstMove.second}));
    Input(IDCMP_MOUSEMOVE, 0, 15, 15);
    Input(IDCMP_MOUSEBUTTONS, SELECTUP, 15, 15);
    EXPECT_EQ(LayerAt(), (Place{start.first + 5, start.second + 5}));
    EXPECT_EQ(Fields(), LayerAt());
    ASSERT_EQ(ListLength(), before + 1);
    EXPECT_EQ(qz::actions::classIdOf(Newest()), kPositionActionClassId);
  }
  ASSERT_EQ(Qz_UndoImageAction(doc_), 1u);
  EXPECT_EQ(LayerAt(), (Place{5, 5}));
}

TEST_F(PositionToolTest, ActivationShowsWhereTheLayerIs) {
  layer_->placement.layerX = 12, layer_->placement.layerY = -4;
  const uint32_t before = ListLength();
  Qz_DoMethod(tool_, kToolActivate);
  EXPECT_EQ(Fields(), (Place{12, -4}));
  EXPECT_EQ(ListLength(), before) << "showing it moves nothing";
}

TEST_F(PositionToolTest, APressOutsideTheViewStartsNothing) {
  const uint32_t before = ListLength();
  Drag(45, 5, 30, 10);
  EXPECT_EQ(ListLength(), before);
  EXPECT_EQ(LayerAt(), (Place{0, 0}));
}

TEST_F(PositionToolTest, TypedCoordinatesAmendOnlyTheNewestMoveOfTheSameLayerAndTarget) {
  Drag(10, 10, 14, 13);
  Qz_Object* dragged = Newest();
  const uint32_t after = ListLength();
  Qz_DoMethod(Field(0), kStringEditSetNumber, 9u);
  EXPECT_EQ(ListLength(), after) << "the newest move is amended";
  EXPECT_EQ(LayerAt(), (Place{9, 3}));
  Qz_DoMethod(Chooser(), kMutualExcludeMark, 1u);  // the secondary image now
  EXPECT_EQ(Fields(), (Place{layer_->placement.secondX, layer_->placement.secondY}));
  Qz_DoMethod(Field(1), kStringEditSetNumber, 6u);
  ASSERT_EQ(ListLength(), after + 1) << "a move of another target is a step of its own";
  EXPECT_EQ(Qz_DoMethod(Newest(), kPositionActionGetKind), 1u);
  EXPECT_EQ(Qz_DoMethod(dragged, kActionGetY), 3u);
  EXPECT_EQ(LayerAt(), (Place{9, 3}));
}

TEST_F(PositionToolTest, ResetMovesTheTargetToTheOriginAsOneStep) {
  Drag(10, 10, 17, 12);
  const uint32_t before = ListLength();
  Qz_DoNotify(Reset(), kButtonPressed, 0u);
  ASSERT_EQ(ListLength(), before + 1);
  EXPECT_EQ(LayerAt(), (Place{0, 0}));
  EXPECT_EQ(Fields(), (Place{0, 0}));
  ASSERT_EQ(Qz_UndoImageAction(doc_), 1u);
  EXPECT_EQ(LayerAt(), (Place{7, 2}));
}

}  // namespace
