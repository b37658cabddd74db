// Undo and redo by restore and replay: a seeded random edit sequence checked
// against documents rebuilt from scratch, the restore points, the memory cap.
#include <atomic>
#include <random>
#include <set>

#include "action_fixture.h"
#include "image/image_shell.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"

namespace qztest {
namespace {

// One edit of the random sequence.
struct Edit {
  enum Kind { kStroke, kInvert, kFill } kind;
  int layer;
  uint32_t value;  // stroke qualifier or fill value
  std::vector<std::pair<int32_t, int32_t>> points;
};

class UndoReplayTest : public ActionTest {
 protected:
  static constexpr int32_t kWidth = 16, kHeight = 12;

  void Perform(Qz_Image* doc, const Edit& e) {
    Qz_Image* layer = Layer(doc, e.layer);
    Qz_Object* action = nullptr;
    switch (e.kind) {
      case Edit::kStroke: action = MakeStroke(e.points, e.value); break;
      case Edit::kInvert: action = Qz_CreateObject("InvertImageAction"); break;
      case Edit::kFill:
        action = Qz_CreateObject("FillImageAction", kFillImageActionSetValue, e.value);
        break;
    }
    ASSERT_NE(action, nullptr);
    ASSERT_EQ(Qz_AddLayerAction(layer, action, 0), 1u);
    Qz_DoMethod(action, kActionApply);
  }

  std::vector<std::vector<uint8_t>> Snapshot(Qz_Image* doc) {
    std::vector<std::vector<uint8_t>> planes;
    for (Qz_Image* l = first_layer(doc); l; l = next_layer(l))
      planes.push_back(Plane(l->grey, l->width, l->height));
    planes.push_back(Plane(doc->r, kWidth, kHeight));
    planes.push_back(Plane(doc->g, kWidth, kHeight));
    planes.push_back(Plane(doc->b, kWidth, kHeight));
    return planes;
  }

  std::vector<std::vector<uint8_t>> Rebuilt(const std::vector<Edit>& edits, size_t count) {
    Qz_Image* doc = MakeDocument(kWidth, kHeight, 2);
    for (size_t i = 0; i < count; ++i) Perform(doc, edits[i]);
    return Snapshot(doc);
  }
};

TEST_F(UndoReplayTest, RandomEditsUndoAndRedoMatchDocumentsRebuiltFromScratch) {
  for (uint32_t seed : {1u, 7u, 42u}) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    auto pick = [&](int n) { return int(random() % uint32_t(n)); };
    std::vector<Edit> edits;
    for (int i = 0; i < 14; ++i) {
      Edit e{Edit::Kind(pick(10) < 6 ? 0 : pick(10) < 5 ? 1 : 2), pick(2), 0, {}};
      if (e.kind == Edit::kStroke) {
        e.value = pick(4) == 0 ? 2 : 1;
        for (int p = 0, n = 2 + pick(3); p < n; ++p) e.points.push_back({pick(kWidth), pick(kHeight)});
      } else if (e.kind == Edit::kFill) {
        e.value = pick(3) == 0 ? 0 : 1 + pick(255);
      }
      edits.push_back(e);
    }
    Qz_Image* doc = MakeDocument(kWidth, kHeight, 2);
    for (const Edit& e : edits) Perform(doc, e);
    ASSERT_EQ(Snapshot(doc), Rebuilt(edits, edits.size()));
    std::set<std::vector<std::vector<uint8_t>>> seen;
    for (size_t n = edits.size(); n > 0; --n) {
      SCOPED_TRACE(n);
      ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
      ASSERT_EQ(Snapshot(doc), Rebuilt(edits, n - 1));
      seen.insert(Snapshot(doc));
    }
    EXPECT_GT(seen.size(), 4u) << "the edits must change the layers";
    EXPECT_EQ(Qz_UndoImageAction(doc), 0u);
    for (size_t n = 1; n <= edits.size(); ++n) {
      SCOPED_TRACE(n);
      ASSERT_EQ(Qz_RedoImageAction(doc), 1u);
      ASSERT_EQ(Snapshot(doc), Rebuilt(edits, n));
    }
    EXPECT_EQ(Qz_RedoImageAction(doc), 0u);
    TearDown();
  }
}

// The strokes a replay sent again, by the x of their first point.
std::vector<int32_t> ReplayedStrokes(Qz_Image* doc, Qz_Image* layer) {
  MediaLog(doc->media).clear();
  Qz_RedoAllLayerActions(layer);
  std::vector<int32_t> xs;
  bool open = false;
  for (const StrokeMessage& m : MediaLog(doc->media)) {
    if (m.kind == 0) { open = false; continue; }
    if (!open) xs.push_back(m.coords[0]);
    open = true;
  }
  return xs;
}

TEST_F(UndoReplayTest, ReplayStartsAfterTheNewestRestorePointOfTheLayer) {
  enum Marker { kNone, kFillThis, kFillOther, kImageAction, kImageAction2, kFlagged };
  struct Case {
    const char* name;
    Marker marker;
    std::vector<int32_t> expected;  // strokes 1 and 2 before the marker, 3 after
  };
  const Case cases[] = {
      {"no restore point: all from the oldest", kNone, {1, 2, 3}},
      {"fill of this layer", kFillThis, {3}},
      {"fill of another layer", kFillOther, {1, 2, 3}},
      {"image action, qualifier 0", kImageAction, {3}},
      {"image action, qualifier 2", kImageAction2, {1, 2, 3}},
      {"flagged restore point", kFlagged, {3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* doc = MakeDocument(8, 8, 2);
    Qz_Image* layer = Layer(doc, 0);
    Stroke(layer, {{1, 1}, {2, 2}});
    Stroke(layer, {{2, 1}, {3, 3}});
    Qz_Object* marker = nullptr;
    Qz_Image* markerLayer = layer;
    switch (c.marker) {
      case kNone: break;
      case kFillThis: marker = Qz_CreateObject("FillImageAction", kFillImageActionSetValue, 0u); break;
      case kFillOther:
        marker = Qz_CreateObject("FillImageAction", kFillImageActionSetValue, 0u);
        markerLayer = Layer(doc, 1);
        break;
      case kImageAction: marker = Qz_CreateObject("ImageAction"); break;
      case kImageAction2: marker = Qz_CreateObject("ImageAction", kActionSetQualifier, 2u); break;
      case kFlagged: marker = MakeStroke({{6, 6}}, 1, kActionRestorePoint | kActionLines); break;
    }
    if (marker) {
      ASSERT_EQ(Qz_AddLayerAction(markerLayer, marker, 0), 1u);
    }
    Stroke(layer, {{3, 1}, {4, 4}});
    EXPECT_EQ(ReplayedStrokes(doc, layer), c.expected);
    TearDown();
  }
}

// The layer starts from the pixels the restore point left, not from nothing:
// the stroke below it stays.
TEST_F(UndoReplayTest, FlaggedNewestEntryLeavesNothingToReplayAndKeepsThePixels) {
  Qz_Image* doc = MakeDocument(8, 8, 1);
  Qz_Image* layer = Layer(doc, 0);
  Stroke(layer, {{0, 0}, {7, 7}});
  const std::vector<uint8_t> stroked = Plane(layer->grey, 8, 8);
  ASSERT_NE(stroked, std::vector<uint8_t>(64, 0));
  Qz_AddLayerAction(layer, MakeStroke({}, 1, kActionRestorePoint), 0);
  EXPECT_TRUE(ReplayedStrokes(doc, layer).empty());
  EXPECT_EQ(Plane(layer->grey, 8, 8), stroked);
  EXPECT_EQ(doc->displayCount.load(), 1);
  EXPECT_EQ(doc->notifySuspend.load(), 0);
}

// A probe action that only holds a given number of undo bytes.
struct SizedAction {
  Qz_Object header;
  uint32_t held;
  uint32_t drops;
};

QzWord SizedDispatch(Qz_Object* o, uint32_t id, const QzWord* args) {
  auto* s = reinterpret_cast<SizedAction*>(o);
  switch (id) {
    case kActionBaseSize: return 4;
    case kActionTotalSize: return 4 + s->held;
    case kActionDropUndoData: ++s->drops; s->held = 0; return 1;
    case 0x7f000001: s->held = uint32_t(args[0]); return 0;
    default: return Qz_DoMethodA(o->super, id, args);
  }
}

TEST_F(UndoReplayTest, MemoryCapDropsTheOlderActionsPastTheLimit) {
  static Qz_Class sized;
  static const Qz_Method none[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
  if (!sized.registered) {
    sized.name = "SizedProbeAction";
    sized.node.ln_Name = const_cast<char*>(sized.name);
    sized.classId = 0x7f000000;
    sized.version = 2;
    sized.newObject = [](Qz_Class* c, const QzWord*) {
      Qz_Object* o = Qz_AllocObjectMem(c);
      if (o) o->super = Qz_CreateObject("Root");
      return o;
    };
    sized.dispose = [](Qz_Object* o) { Qz_DisposeObject(o->super); Qz_FreeObjectMem(o); };
    sized.dispatch = SizedDispatch;
    sized.methods = none;
    sized.objectSize = sizeof(SizedAction);
    ASSERT_EQ(Qz_AddClass(&sized), 1u);
    sized.registered = 1;
  }
  struct Case {
    const char* name;
    uint32_t levels;
    std::vector<uint32_t> drops;  // newest first
  };
  // An 8-bit 25 x 40 document: one level is 1,000 bytes.
  const Case cases[] = {
      {"limit 1000: the newest keeps its data", 1, {0, 1, 1}},
      {"limit 0 disables the cap", 0, {0, 0, 0}},
      {"a limit past 32 bits does not wrap", 4294968, {0, 0, 0}},
  };
  Qz_ImageBase* base = Qz_GetImageBase();
  const uint32_t saved = base->undoLevels.load();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    base->undoLevels = c.levels;
    Qz_Image* doc = MakeDocument(25, 40, 0, 8);
    std::vector<SizedAction*> made;
    for (int i = 0; i < 3; ++i) {
      Qz_Object* a = Qz_CreateObject("SizedProbeAction", 0x7f000001, 600u);
      ASSERT_EQ(Qz_AddImageAction(doc, a, 0), 1u);
      made.insert(made.begin(), reinterpret_cast<SizedAction*>(a));
    }
    std::vector<uint32_t> drops;
    for (SizedAction* a : made) drops.push_back(a->drops ? 1 : 0);
    EXPECT_EQ(drops, c.drops);
    TearDown();
  }
  base->undoLevels = saved;
}

TEST_F(UndoReplayTest, RefusedActionIsReportedAndStaysTheCallers) {
  Qz_Image* doc = MakeDocument(8, 8, 1);
  const QzWord count = Qz_DoMethod(Qz_GetUndoList(doc), kLinkedListCount);
  Qz_Object* action = MakeStroke({{1, 1}});
  EXPECT_EQ(Qz_AddLayerAction(nullptr, action, 0), 0u);
  EXPECT_EQ(Qz_AddImageAction(nullptr, action, 0), 0u);
  EXPECT_EQ(Qz_DoMethod(Qz_GetUndoList(doc), kLinkedListCount), count);
  Qz_DisposeObject(action);
}

// The document's progress notices during undos, in the order they came.
struct ProgressLog {
  std::vector<uint32_t> notices;
  std::vector<QzWord> steps;  // the step notices' totals
  static void Note(QzWord user, Qz_Object*, uint32_t method, const QzWord* args) {
    auto* log = reinterpret_cast<ProgressLog*>(user);
    log->notices.push_back(method);
    if (method == kQzProgressStep) log->steps.push_back(args ? args[1] : 0);
  }
};

TEST_F(UndoReplayTest, ALongReplayShowsProgressUntilTheLayerIsRebuilt) {
  Qz_Image* doc = MakeDocument(kWidth, kHeight, 1);
  Qz_Image* layer = Layer(doc, 0);
  for (int32_t i = 0; i < 5; ++i) Stroke(layer, {{i, 1}, {i, 8}});
  const std::vector<uint8_t> afterFour = [&] {
    std::vector<uint8_t> bytes = Plane(layer->grey, kWidth, kHeight);
    for (int32_t y = 1; y <= 8; ++y) bytes[size_t(y) * kWidth + 4] -= 40;
    return bytes;
  }();
  ProgressLog log;
  QzWord notes[3];
  const uint32_t ids[3] = {kQzProgressStart, kQzProgressStep, kQzProgressDone};
  for (int i = 0; i < 3; ++i)
    notes[i] = Qz_AddCallBackNotify(&doc->object, ids[i], kNotifyAnyValue, ProgressLog::Note,
                                    reinterpret_cast<QzWord>(&log));
  // Four strokes of 60 ms each are replayed: the bar shows after a tenth of a second.
  AsRecordingMedia(doc->media)->delayMs = 60;
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Plane(layer->grey, kWidth, kHeight), afterFour);
  ASSERT_GE(log.notices.size(), 3u);
  EXPECT_EQ(log.notices.front(), kQzProgressStart);
  EXPECT_EQ(log.notices.back(), kQzProgressDone);
  EXPECT_EQ(std::count(log.notices.begin(), log.notices.end(), kQzProgressStart), 1);
  EXPECT_EQ(std::count(log.notices.begin(), log.notices.end(), kQzProgressDone), 1);
  for (QzWord total : log.steps) EXPECT_EQ(total, 4u);
  // Undoing the first stroke leaves nothing to replay: nothing is shown,
  // however slow the strokes.
  AsRecordingMedia(doc->media)->delayMs = 0;
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  AsRecordingMedia(doc->media)->delayMs = 60;
  log.notices.clear();
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_TRUE(log.notices.empty());
  EXPECT_EQ(Plane(layer->grey, kWidth, kHeight), std::vector<uint8_t>(size_t(kWidth) * kHeight, 0));
  for (int i = 0; i < 3; ++i) Qz_RemoveNotify(&doc->object, notes[i]);
}

}  // namespace
}  // namespace qztest
