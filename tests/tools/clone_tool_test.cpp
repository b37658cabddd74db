// The clone tool over a layer whose clone mode is the real one: the mode
// chosen at activation, the offsets a Control drag sends (live or at the
// release) with the mode kept quiet around each pair, one re-render per drag
// step, typed offsets that do not echo, strokes handed to the freehand tool,
// and the hand-over when another mode is chosen.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "app/class_registration.h"
#include "gadgets/qz_text_entry.h"
#include "image/image_shell.h"
#include "modes/mode_kit.h"
#include "modes/qz_clone_mode.h"
#include "objects/qz_class_record.h"
#include "objects/qz_notify.h"
#include "tools/tool_fixture.h"

namespace {

// What the mode was told, as its own change notices tell it, with its
// quiet flag at the time.
struct Call {
  uint32_t id;
  int32_t value;
  bool quiet = false;
  bool operator==(const Call&) const = default;
};
std::vector<Call> gCalls;

void RecordCall(QzWord mode, Qz_Object*, uint32_t id, const QzWord* words) {
  const bool quiet = Qz_DoMethod(reinterpret_cast<Qz_Object*>(mode), kQzCloneGetQuiet) != 0;
  gCalls.push_back({id, int32_t(uint32_t(words[0])), id == kQzCloneSetQuiet ? false : quiet});
}

// Re-render requests the mode posts itself (the kit's seam), and those the tool asks of the document.
std::atomic<int> gModeRerenders{0};
void CountModeRerender(Qz_Image*) { gModeRerenders.fetch_add(1); }

QzWord PlainDispatch(Qz_Object* self, uint32_t id, const QzWord* args) { return Qz_DoMethodA(self->super, id, args); }
Qz_Object* NewStandIn(Qz_Class* c, const QzWord*) { return Qz_AllocObjectOver(c, "Root", nullptr); }
void DisposeStandIn(Qz_Object* o) {
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}
const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
Qz_Class gOtherClass;

void CountRerender(QzWord count, Qz_Object*, uint32_t, const QzWord*) {
  reinterpret_cast<std::atomic<int>*>(count)->fetch_add(1);
}

class CloneToolTest : public qz::test::ToolFixture {
 protected:
  static void SetUpTestSuite() {
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), Qz_GetGlobalData()), 0u);
    const Qz_ClassSpec other = {"OtherMode", "", 0x7E210000, "Root", NewStandIn, DisposeStandIn,
                                PlainDispatch, kNoMethods, sizeof(Qz_Object), 0};
    ASSERT_EQ(Qz_RegisterClassRecord(&gOtherClass, &other), 1u);
    Qz_InitCloneToolClass(Qz_GetGlobalData());
  }
  static void TearDownTestSuite() {
    Qz_CleanupCloneToolClass();
    Qz_UnregisterClassRecord(&gOtherClass);
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Modes));
  }
  void SetUp() override {
    ToolFixture::SetUp();
    Qz_ImageBase* base = Qz_GetImageBase();
    saved_ = {base->application, base->activeImage};
    base->application = Qz_CreateObject("Root");
    base->activeImage = doc_;
    Qz__SetModeRerenderPoster(CountModeRerender);
    drawTool_ = Qz_CreateObject("DrawTool");
    ASSERT_EQ(base->defaultTool, drawTool_);
    Use("CloneTool");
    Qz_DoMethod(tool_, kToolActivate);
    mode_ = layer_->chosenMode;
    ASSERT_NE(mode_, nullptr);
    auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kToolGetOptions));
    for (int axis = 0; axis < 2; ++axis) {
      auto* row = reinterpret_cast<Qz_Object*>(axis ? Qz_DoMethod(panel, kLinkedListNext, Qz_DoMethod(panel, kLinkedListFirst))
                                                    : Qz_DoMethod(panel, kLinkedListFirst));
      fields_[axis] = reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kLinkedListLast));
    }
    for (uint32_t id : {kQzCloneSetQuiet, kQzCloneSetX, kQzCloneSetY})
      watches_.push_back({id, Qz_AddCallBackNotify(mode_, id, kNotifyAnyValue, RecordCall, qz::toWord(mode_))});
    rerenderWatch_ = Qz_AddCallBackNotify(&doc_->object, kQzProgressDone, kNotifyAnyValue, CountRerender,
                                          reinterpret_cast<QzWord>(&rerenders_));
    gCalls.clear();
    gModeRerenders.store(0);
  }
  void TearDown() override {
    for (const auto& [id, watch] : watches_) Qz_RemoveNotify(mode_, watch);
    Qz_RemoveNotify(&doc_->object, rerenderWatch_);
    Qz__SetModeRerenderPoster(nullptr);
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
  int32_t Offset(uint32_t getter) { return int32_t(Qz_DoMethod(mode_, getter)); }

  struct {
    Qz_Object* application;
    Qz_Image* activeImage;
  } saved_{};
  Qz_Object* drawTool_ = nullptr;
  Qz_Object* mode_ = nullptr;
  Qz_Object* fields_[2] = {};
  std::vector<std::pair<uint32_t, QzWord>> watches_;
  QzWord rerenderWatch_ = 0;
  std::atomic<int> rerenders_{0};
};

TEST_F(CloneToolTest, ActivationChoosesTheCloneModeForTheLayer) {
  EXPECT_STREQ(layer_->chosenModeName, "Clone");
  EXPECT_EQ(mode_->objectClass->classId, kQzCloneModeClassId);
  EXPECT_EQ(Qz_GetImageBase()->currentTool, tool_);
  EXPECT_EQ(Field(0), 0) << "a new clone mode's offsets";
  EXPECT_EQ(Field(1), 0);
  // The mode's offsets set elsewhere show when the tool is activated again.
  Qz_DoMethod(mode_, kQzCloneSetX, 3u);
  Qz_DoMethod(mode_, kQzCloneSetY, uint32_t(-4));
  gCalls.clear();
  Qz_DoMethod(tool_, kToolActivate);
  EXPECT_EQ(Field(0), 3);
  EXPECT_EQ(Field(1), -4);
  EXPECT_TRUE(gCalls.empty()) << "and send nothing back";
}

TEST_F(CloneToolTest, AControlDragSendsTheOffsetQuietlyLiveOrAtTheRelease) {
  const std::vector<Call> atRelease = {
      {kQzCloneSetQuiet, 1}, {kQzCloneSetX, 20, true}, {kQzCloneSetY, 15, true}, {kQzCloneSetQuiet, 0}};
  const struct {
    int32_t live;
    std::vector<Call> calls;
    int rerenders;  // one per drag step while live, else one as the release fixes the layer
  } cases[] = {
      {0, atRelease, 1},
      {1, {{kQzCloneSetQuiet, 1}, {kQzCloneSetX, 4, true}, {kQzCloneSetY, 6, true}, {kQzCloneSetQuiet, 0},
           {kQzCloneSetQuiet, 1}, {kQzCloneSetX, 20, true}, {kQzCloneSetY, 15, true}, {kQzCloneSetQuiet, 0}}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "live " << c.live);
    Qz_DoMethod(mode_, kQzCloneSetX, 0u);
    Qz_DoMethod(mode_, kQzCloneSetY, 0u);
    Qz_GetImageBase()->liveUpdate = c.live;
    gCalls.clear();
    gModeRerenders.store(0);
    rerenders_.store(0);
    Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 10, 10, IEQUALIFIER_CONTROL);
    EXPECT_EQ(Qz_DoMethod(tool_, kToolGetCursorKind), uint32_t(kToolCursorPaint));
    Input(IDCMP_MOUSEMOVE, 0, 14, 16, IEQUALIFIER_CONTROL);
    Input(IDCMP_MOUSEBUTTONS, SELECTUP, 30, 25);  // Control let go first: still the offset drag
    EXPECT_EQ(gCalls, c.calls);  // the fields written back send nothing
    EXPECT_EQ(gModeRerenders.load(), 0) << "the quiet mode asks for no re-render of its own";
    EXPECT_EQ(rerenders_.load(), c.rerenders);
    EXPECT_EQ(Offset(kQzCloneGetX), 20);
    EXPECT_EQ(Offset(kQzCloneGetY), 15);
    EXPECT_EQ(Qz_DoMethod(mode_, kQzCloneGetQuiet), 0u);
    EXPECT_EQ(Field(0), 20);
    EXPECT_EQ(Field(1), 15);
  }
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetCursorKind), 0u);
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetBrushOutline), 1u);
}

TEST_F(CloneToolTest, ATypedOffsetGoesToTheModeAlone) {
  Qz_DoMethod(fields_[0], kStringEditSetNumber, 7u);
  EXPECT_EQ(gCalls, (std::vector<Call>{{kQzCloneSetX, 7}}));
  EXPECT_EQ(Offset(kQzCloneGetX), 7);
  EXPECT_EQ(Offset(kQzCloneGetY), 0);
  EXPECT_EQ(gModeRerenders.load(), 1) << "not quiet: the mode asks for its re-render";
  EXPECT_EQ(Field(1), 0);
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
