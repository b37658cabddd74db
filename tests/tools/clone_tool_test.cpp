// The clone tool over a layer whose clone mode is a stand-in that records
// what it is told: the mode chosen at activation, the offsets a Control drag
// sends (live or at the release), typed offsets that do not echo, strokes
// handed to the freehand tool, and the hand-over when another mode is chosen.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gadgets/qz_text_entry.h"
#include "modes/qz_clone_mode.h"
#include "objects/qz_class_record.h"
#include "tools/tool_fixture.h"

namespace {

struct Call {
  uint32_t id;
  int32_t value;
  bool operator==(const Call&) const = default;
};
std::vector<Call> gCalls;
int32_t gOffsetX = 0, gOffsetY = 0;

QzWord CloneDispatch(Qz_Object* self, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzCloneSetX: gOffsetX = int32_t(args[0]); break;
    case kQzCloneSetY: gOffsetY = int32_t(args[0]); break;
    case kQzCloneSetQuiet: break;
    case kQzCloneGetX: return QzWord(uint32_t(gOffsetX));
    case kQzCloneGetY: return QzWord(uint32_t(gOffsetY));
    default: return Qz_DoMethodA(self->super, id, args);
  }
  gCalls.push_back({id, int32_t(args[0])});
  return 0;
}
QzWord PlainDispatch(Qz_Object* self, uint32_t id, const QzWord* args) { return Qz_DoMethodA(self->super, id, args); }
Qz_Object* NewStandIn(Qz_Class* c, const QzWord*) { return Qz_AllocObjectOver(c, "Root", nullptr); }
void DisposeStandIn(Qz_Object* o) {
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}
const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
Qz_Class gCloneClass, gOtherClass;

class CloneToolTest : public qz::test::ToolFixture {
 protected:
  static void SetUpTestSuite() {
    const Qz_ClassSpec clone = {"CloneMode", "", kQzCloneModeClassId, "Root", NewStandIn, DisposeStandIn,
                                CloneDispatch, kNoMethods, sizeof(Qz_Object), 0};
    const Qz_ClassSpec other = {"OtherMode", "", 0x7E210000, "Root", NewStandIn, DisposeStandIn,
                                PlainDispatch, kNoMethods, sizeof(Qz_Object), 0};
    ASSERT_EQ(Qz_RegisterClassRecord(&gCloneClass, &clone), 1u);
    ASSERT_EQ(Qz_RegisterClassRecord(&gOtherClass, &other), 1u);
    Qz_InitCloneToolClass(Qz_GetGlobalData());
  }
  static void TearDownTestSuite() {
    Qz_CleanupCloneToolClass();
    Qz_UnregisterClassRecord(&gOtherClass);
    Qz_UnregisterClassRecord(&gCloneClass);
  }
  void SetUp() override {
    ToolFixture::SetUp();
    Qz_ImageBase* base = Qz_GetImageBase();
    saved_ = {base->application, base->activeImage};
    base->application = Qz_CreateObject("Root");
    base->activeImage = doc_;
    gOffsetX = 3, gOffsetY = 4;
    gCalls.clear();
    drawTool_ = Qz_CreateObject("DrawTool");
    ASSERT_EQ(base->defaultTool, drawTool_);
    Use("CloneTool");
    Qz_DoMethod(tool_, kToolActivate);
    auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kToolGetOptions));
    for (int axis = 0; axis < 2; ++axis) {
      auto* row = reinterpret_cast<Qz_Object*>(axis ? Qz_DoMethod(panel, kLinkedListNext, Qz_DoMethod(panel, kLinkedListFirst))
                                                    : Qz_DoMethod(panel, kLinkedListFirst));
      fields_[axis] = reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kLinkedListLast));
    }
  }
  void TearDown() override {
    Qz_DisposeObject(tool_);
    tool_ = nullptr;
    Qz_DisposeObject(drawTool_);
    Qz_ImageBase* base = Qz_GetImageBase();
    Qz_DisposeObject(base->application);
    base->application = saved_.application;
    base->activeImage = saved_.activeImage;
    base->liveUpdate = 1;
    ToolFixture::TearDown();
  }
  int32_t Field(int axis) { return int32_t(Qz_DoMethod(fields_[axis], kStringEditGetNumber)); }

  struct {
    Qz_Object* application;
    Qz_Image* activeImage;
  } saved_{};
  Qz_Object* drawTool_ = nullptr;
  Qz_Object* fields_[2] = {};
};

TEST_F(CloneToolTest, ActivationChoosesTheCloneModeForTheLayer) {
  EXPECT_STREQ(layer_->chosenModeName, "Clone");
  ASSERT_NE(layer_->chosenMode, nullptr);
  EXPECT_EQ(layer_->chosenMode->objectClass->classId, kQzCloneModeClassId);
  EXPECT_EQ(Qz_GetImageBase()->currentTool, tool_);
  EXPECT_EQ(Field(0), 3) << "the fields show the mode's offsets";
  EXPECT_EQ(Field(1), 4);
  EXPECT_TRUE(gCalls.empty()) << "and send nothing back";
}

TEST_F(CloneToolTest, AControlDragSendsTheOffsetLiveOrAtTheRelease) {
  const std::vector<Call> atRelease = {{kQzCloneSetQuiet, 1}, {kQzCloneSetX, 20}, {kQzCloneSetY, 15}, {kQzCloneSetQuiet, 0}};
  const struct {
    int32_t live;
    std::vector<Call> calls;
  } cases[] = {
      {0, atRelease},
      {1, {{kQzCloneSetQuiet, 1}, {kQzCloneSetX, 4}, {kQzCloneSetY, 6}, {kQzCloneSetQuiet, 0}, {kQzCloneSetQuiet, 1}, {kQzCloneSetX, 20}, {kQzCloneSetY, 15}, {kQzCloneSetQuiet, 0}}},
  };
  for (const auto& c : cases) {
    Qz_GetImageBase()->liveUpdate = c.live;
    gCalls.clear();
    Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 10, 10, IEQUALIFIER_CONTROL);
    EXPECT_EQ(Qz_DoMethod(tool_, kToolGetCursorKind), uint32_t(kToolCursorPaint));
    Input(IDCMP_MOUSEMOVE, 0, 14, 16, IEQUALIFIER_CONTROL);
    Input(IDCMP_MOUSEBUTTONS, SELECTUP, 30, 25);  // Control let go first: still the offset drag
    EXPECT_EQ(gCalls, c.calls) << "live " << c.live;  // the fields written back send nothing
    EXPECT_EQ(Field(0), 20);
    EXPECT_EQ(Field(1), 15);
  }
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetCursorKind), 0u);
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetBrushOutline), 1u);
}

TEST_F(CloneToolTest, ATypedOffsetGoesToTheModeAlone) {
  Qz_DoMethod(fields_[0], kStringEditSetNumber, 7u);
  EXPECT_EQ(gCalls, (std::vector<Call>{{kQzCloneSetX, 7}}));
  EXPECT_EQ(Field(1), 4);
}

// The stroke is one step of the freehand tool (the clone mode chosen at
// activation may be fixed into the layer before it, a step of its own).
TEST_F(CloneToolTest, StrokesWithoutControlArePaintedByTheFreehandTool) {
  const auto strokes = [&] {
    uint32_t n = 0;
    Qz_Object* list = Qz_GetUndoList(doc_);
    for (Qz_Object* a = qz::actions::listFirst(list); a; a = qz::actions::listOlder(list, a))
      n += Qz_DoMethod(a, kActionGetTool) == qz::toWord(drawTool_) ? 1 : 0;
    return n;
  };
  const uint32_t before = strokes();
  Drag(5, 5, 12, 9);
  ASSERT_EQ(strokes(), before + 1);
  EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetTool), qz::toWord(drawTool_));
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(CloneToolTest, ChoosingAnotherModeHandsOverToTheFreehandTool) {
  Qz_DoMethod(&layer_->object, kQzImageSetLayerMode, "Other");
  EXPECT_EQ(Qz_GetImageBase()->currentTool, drawTool_);
}

}  // namespace
