// The undo and redo moves between the two lists, with probe actions that
// log what they are sent and answer the undo notice and the redo as told.
#include <atomic>
#include <string>
#include <thread>

#include "action_fixture.h"
#include "actions/undo_history.h"
#include "objects/qz_linked_list.h"

namespace qztest {
namespace {

constexpr uint32_t kProbeSetName = 0x7d000001;
constexpr uint32_t kProbeSetFlags = 0x7d000002;
constexpr uint32_t kProbeFailUndo = 0x7d000003;
constexpr uint32_t kProbeFailRedo = 0x7d000004;
constexpr uint32_t kProbeNotUndoable = 0x7d000005;
constexpr uint32_t kProbeSetSizes = 0x7d000006;  // base, total

std::string gLog;
int gDisposed = 0;

struct MoveProbe {
  Qz_Object header;
  const char* name;
  uint32_t flags;
  bool failUndo, failRedo, notUndoable;
  uint32_t baseBytes, totalBytes;
};

QzWord MoveProbeDispatch(Qz_Object* o, uint32_t id, const QzWord* args) {
  auto* p = reinterpret_cast<MoveProbe*>(o);
  switch (id) {
    case kProbeSetName: p->name = reinterpret_cast<const char*>(args[0]); return 0;
    case kProbeSetFlags: p->flags = uint32_t(args[0]); return 0;
    case kProbeFailUndo: p->failUndo = args[0] != 0; return 0;
    case kProbeFailRedo: p->failRedo = args[0] != 0; return 0;
    case kProbeNotUndoable: p->notUndoable = args[0] != 0; return 0;
    case kProbeSetSizes:
      p->baseBytes = uint32_t(args[0]);
      p->totalBytes = uint32_t(args[1]);
      return 0;
    case kActionGetName: return reinterpret_cast<QzWord>(p->name);
    case kActionBaseSize: return p->baseBytes;
    case kActionTotalSize: return p->totalBytes;
    case kActionGetFlags: return p->flags;
    case kActionGetUndoable: return p->notUndoable ? 0 : 1;
    case kRootDeselect: gLog += std::string(" off ") + p->name; return 0;
    case kActionUndo: gLog += std::string(" undo ") + p->name; return p->failUndo ? 0 : 1;
    case kActionRedo: gLog += std::string(" redo ") + p->name; return p->failRedo ? 0 : 1;
    default: return Qz_DoMethodA(o->super, id, args);
  }
}

class UndoMovesTest : public ActionTest {
 protected:
  void SetUp() override {
    static Qz_Class probe;
    static const Qz_Method none[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
    if (!probe.registered) {
      probe.name = "MoveProbeAction";
      probe.node.ln_Name = const_cast<char*>(probe.name);
      probe.classId = 0x7d000000;
      probe.version = 2;
      probe.newObject = [](Qz_Class* c, const QzWord*) {
        Qz_Object* o = Qz_AllocObjectMem(c);
        if (o) o->super = Qz_CreateObject("Root");
        return o;
      };
      probe.dispose = [](Qz_Object* o) {
        ++gDisposed;
        Qz_DisposeObject(o->super);
        Qz_FreeObjectMem(o);
      };
      probe.dispatch = MoveProbeDispatch;
      probe.methods = none;
      probe.objectSize = sizeof(MoveProbe);
      ASSERT_EQ(Qz_AddClass(&probe), 1u);
      probe.registered = 1;
    }
    gLog.clear();
    gDisposed = 0;
  }

  // The probes' names on a list, newest first.
  static std::string Names(Qz_Object* list) {
    std::string names;
    for (auto* o = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListFirst)); o;
         o = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListNext, o)))
      if (o->objectClass->classId == 0x7d000000)
        names += std::string(names.empty() ? "" : " ") + reinterpret_cast<MoveProbe*>(o)->name;
    return names;
  }
};

struct Probe {
  const char* name;
  uint32_t flags;
  bool failUndo = false, failRedo = false, notUndoable = false;
};

TEST_F(UndoMovesTest, UndoAndRedoMoveWholeStepsAndKeepWhatFails) {
  struct Case {
    const char* name;
    std::vector<Probe> probes;  // oldest first
    std::string moves;          // 'u' undo, 'r' redo
    std::vector<uint32_t> results;
    const char* undoList;  // newest first, after the moves
    const char* redoList;
    const char* log;
  };
  const Case cases[] = {
      {"one step each way", {{"a", 1}, {"b", 1}}, "uur", {1, 1, 1}, "a", "b",
       " off b undo b off a undo a redo a"},
      {"a failed undo keeps its step and place", {{"a", 1}, {"b", 1, true}}, "u", {0}, "b a", "",
       " off b undo b"},
      {"a step that cannot be undone is not touched", {{"a", 1}, {"b", 1, false, false, true}}, "u",
       {0}, "b a", "", ""},
      {"a chain is undone and redone as one", {{"a", 1}, {"b", 0x201}, {"c", 0x201}}, "ur",
       {1, 1}, "c b a", "", " off c undo c off b undo b off a undo a redo a redo b redo c"},
      {"a chain ends where an action fails", {{"a", 1}, {"b", 0x201, true}, {"c", 0x201}}, "u", {1},
       "b a", "c", " off c undo c off b undo b"},
      {"a failed redo keeps its step", {{"a", 1, false, true}}, "ur", {1, 0}, "", "a",
       " off a undo a redo a"},
      {"a chain redone up to a failing action", {{"a", 1}, {"b", 0x201, false, true}}, "ur", {1, 1},
       "a", "b", " off b undo b off a undo a redo a redo b"},
      {"nothing to undo or redo", {}, "ur", {0, 0}, "", "", ""},
      {"nothing left to redo", {{"a", 1}}, "urr", {1, 1, 0}, "a", "", " off a undo a redo a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* doc = MakeDocument(4, 4, 1);
    for (const Probe& p : c.probes) {
      Qz_Object* a = Qz_CreateObject("MoveProbeAction", kProbeSetName, p.name, kProbeSetFlags,
                                     p.flags, kProbeFailUndo, p.failUndo, kProbeFailRedo,
                                     p.failRedo, kProbeNotUndoable, p.notUndoable);
      ASSERT_EQ(Qz_AddImageAction(doc, a, 0), 1u);
    }
    gLog.clear();
    std::vector<uint32_t> results;
    for (char m : c.moves) results.push_back(m == 'u' ? Qz_UndoImageAction(doc) : Qz_RedoImageAction(doc));
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(Names(Qz_GetUndoList(doc)), c.undoList);
    EXPECT_EQ(Names(Qz_GetRedoList(doc)), c.redoList);
    EXPECT_EQ(gLog, c.log);
    TearDown();
  }
}

// A new step after an undo leaves nothing to redo: the undone steps go, once.
TEST_F(UndoMovesTest, ANewStepEmptiesTheRedoListOnce) {
  Qz_Image* doc = MakeDocument(8, 8, 1);
  for (const char* name : {"a", "b", "c"})
    Qz_AddImageAction(doc, Qz_CreateObject("MoveProbeAction", kProbeSetName, name, kProbeSetFlags, 1u), 0);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  ASSERT_EQ(Names(Qz_GetRedoList(doc)), "b c");
  Stroke(Layer(doc, 0), {{1, 1}, {6, 6}});
  EXPECT_EQ(Names(Qz_GetRedoList(doc)), "");
  EXPECT_EQ(gDisposed, 2);
  EXPECT_EQ(Qz_RedoImageAction(doc), 0u);
  Stroke(Layer(doc, 0), {{2, 1}, {6, 5}});
  EXPECT_EQ(gDisposed, 2);
  // Redone steps are no new steps: what is left to redo stays.
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  ASSERT_EQ(Qz_RedoImageAction(doc), 1u);
  EXPECT_EQ(Qz_DoMethod(Qz_GetRedoList(doc), kLinkedListCount), 1u);
}

// At one level of undo memory a transform keeps its copy, also when undone
// and redone, so that it can be undone again.
TEST_F(UndoMovesTest, ATransformRedoneCanBeUndoneAgain) {
  Qz_ImageBase* base = Qz_GetImageBase();
  const uint32_t saved = base->undoLevels.load();
  base->undoLevels = 1;
  Qz_Image* doc = MakeDocument(16, 12, 2);
  auto transform = [&] {
    Qz_Object* t = Qz_CreateObject("TransformAction", kTransformActionSetWidth, 16,
                                   kTransformActionSetHeight, 12, kTransformActionSetFlags, 4u);
    EXPECT_EQ(Qz_AddImageAction(doc, t, 0), 1u);
    Qz_DoMethod(t, kActionApply);
    return t;
  };
  Qz_Object* first = transform();
  EXPECT_EQ(Qz_DoMethod(first, kActionTotalSize) - Qz_DoMethod(first, kActionBaseSize), 16u * 12 * 3);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  ASSERT_EQ(Qz_RedoImageAction(doc), 1u);
  EXPECT_EQ(Qz_DoMethod(first, kActionGetUndoable), 1u);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  ASSERT_EQ(Qz_RedoImageAction(doc), 1u);
  // The limit is checked as steps are added, before a transform takes its
  // copy: the third transform finds two copies, one too many.
  Qz_Object* second = transform();
  EXPECT_EQ(Qz_DoMethod(first, kActionGetUndoable), 1u);
  transform();
  EXPECT_EQ(Qz_DoMethod(first, kActionGetUndoable), 0u);
  EXPECT_EQ(Qz_DoMethod(second, kActionGetUndoable), 1u);
  base->undoLevels = saved;
}

// Probes added oldest first, named by letter; returned oldest first.
std::vector<Qz_Object*> AddProbes(Qz_Image* doc, const std::vector<Probe>& probes) {
  std::vector<Qz_Object*> added;
  for (const Probe& p : probes) {
    Qz_Object* a = Qz_CreateObject("MoveProbeAction", kProbeSetName, p.name, kProbeSetFlags, p.flags,
                                   kProbeFailUndo, p.failUndo, kProbeFailRedo, p.failRedo, kProbeNotUndoable,
                                   p.notUndoable);
    EXPECT_EQ(Qz_AddImageAction(doc, a, 0), 1u);
    added.push_back(a);
  }
  return added;
}

std::string EntryNames(const qz::actions::History& history) {
  std::string names;
  for (const auto& e : history.entries) names += (names.empty() ? "" : " ") + e.name;
  return names;
}

TEST_F(UndoMovesTest, HistoryListsStepsDownToTheFirstThatCannotBeUndone) {
  struct Case {
    const char* name;
    std::vector<Probe> probes;  // oldest first
    uint32_t lines;
    const char* listed;
  };
  const Case cases[] = {
      {"every step", {{"a", 1}, {"b", 1}, {"c", 0x201}}, 20, "c b a"},
      {"stops at one that cannot be undone", {{"a", 1}, {"b", 1, false, false, true}, {"c", 1}}, 20, "c"},
      {"stops at the panel's end mark", {{"a", 1}, {"b", kActionPanelStop}, {"c", 1}, {"d", 1}}, 20, "d c"},
      {"one entry past the lines that fit", {{"a", 1}, {"b", 1}, {"c", 1}, {"d", 1}}, 2, "d c b"},
      {"exactly the lines that fit", {{"a", 1}, {"b", 1}}, 2, "b a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* doc = MakeDocument(4, 4, 1);
    AddProbes(doc, c.probes);
    EXPECT_EQ(EntryNames(qz::actions::imageHistory(doc, false, c.lines)), c.listed);
    TearDown();
  }
}

TEST_F(UndoMovesTest, HistorySumsTheMemoryOfTheWholeList) {
  Qz_Image* doc = MakeDocument(4, 4, 1);
  const auto probes = AddProbes(doc, {{"a", 1}, {"b", 1, false, false, true}, {"c", 1}});
  // What the new document's own steps hold counts too.
  const qz::actions::History start = qz::actions::imageHistory(doc, false, 20);
  Qz_DoMethod(probes[0], kProbeSetSizes, 1000u, 5000u);
  Qz_DoMethod(probes[1], kProbeSetSizes, 2048u, 4096u);
  Qz_DoMethod(probes[2], kProbeSetSizes, 100u, 100u);
  const qz::actions::History undo = qz::actions::imageHistory(doc, false, 20);
  EXPECT_EQ(undo.baseBytes - start.baseBytes, 3148u);
  EXPECT_EQ(undo.totalBytes - start.totalBytes, 9196u);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  const qz::actions::History redo = qz::actions::imageHistory(doc, true, 20);
  EXPECT_EQ(EntryNames(redo), "c");
  EXPECT_EQ(redo.baseBytes, 100u);
}

TEST_F(UndoMovesTest, UndoAndRedoDownToAChosenStep) {
  struct Case {
    const char* name;
    std::vector<Probe> probes;  // oldest first
    int undoTo;                 // index of the chosen probe, -1 none
    int redoTo;
    const char* undoList;
    const char* redoList;
  };
  const Case cases[] = {
      {"down to the oldest", {{"a", 1}, {"b", 1}, {"c", 1}}, 0, -1, "", "a b c"},
      {"down to the middle", {{"a", 1}, {"b", 1}, {"c", 1}}, 1, -1, "a", "b c"},
      {"a chosen action takes its whole chain", {{"a", 1}, {"b", 1}, {"c", 0x201}}, 2, -1, "a", "b c"},
      {"stops where an undo fails", {{"a", 1}, {"b", 1, true}, {"c", 1}}, 0, -1, "b a", "c"},
      {"redo back up to a chosen step", {{"a", 1}, {"b", 1}, {"c", 1}}, 0, 1, "b a", "c"},
      {"a redo that fails keeps its step", {{"a", 1}, {"b", 1, false, true}, {"c", 1}}, 0, 2, "a", "b c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* doc = MakeDocument(4, 4, 1);
    const auto probes = AddProbes(doc, c.probes);
    if (c.undoTo >= 0) {
      EXPECT_EQ(Qz_UndoImageActionsTo(doc, probes[size_t(c.undoTo)]), 1u);
    }
    if (c.redoTo >= 0) {
      Qz_RedoImageActionsTo(doc, probes[size_t(c.redoTo)]);
    }
    EXPECT_EQ(Names(Qz_GetUndoList(doc)), c.undoList);
    EXPECT_EQ(Names(Qz_GetRedoList(doc)), c.redoList);
    TearDown();
  }
}

// A history menu may outlive its image's steps: a step of another image, or
// one no longer on the list, moves nothing.
TEST_F(UndoMovesTest, AStepNotOnTheImagesListMovesNothing) {
  Qz_Image* doc = MakeDocument(4, 4, 1);
  Qz_Image* other = MakeDocument(4, 4, 1);
  AddProbes(doc, {{"a", 1}, {"b", 1}});
  const auto foreign = AddProbes(other, {{"x", 1}});
  gLog.clear();
  EXPECT_EQ(Qz_UndoImageActionsTo(doc, foreign[0]), 0u);
  EXPECT_EQ(Qz_RedoImageActionsTo(doc, foreign[0]), 0u);
  EXPECT_EQ(Qz_UndoImageActionsTo(doc, nullptr), 0u);
  EXPECT_EQ(gLog, "");
  EXPECT_EQ(Names(Qz_GetUndoList(doc)), "b a");
  EXPECT_EQ(Names(Qz_GetUndoList(other)), "x");
}

TEST_F(UndoMovesTest, DiscardingEmptiesAListAndDisposesItsSteps) {
  Qz_Image* doc = MakeDocument(4, 4, 1);
  AddProbes(doc, {{"a", 1}, {"b", 1}, {"c", 1}});
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Qz_DiscardImageActions(doc, 1), 1u);
  EXPECT_EQ(Names(Qz_GetRedoList(doc)), "");
  EXPECT_EQ(gDisposed, 1);
  EXPECT_EQ(Qz_DiscardImageActions(doc, 0), 1u);
  EXPECT_EQ(Names(Qz_GetUndoList(doc)), "");
  EXPECT_EQ(gDisposed, 3);
  EXPECT_EQ(Qz_UndoImageAction(doc), 0u);
  EXPECT_EQ(Qz_DiscardImageActions(doc, 1), 0u);
}

// Discarding the history keeps the picture: the layer's replay starts from
// the layers as they were when the history went.
TEST_F(UndoMovesTest, DiscardedHistoryKeepsThePicture) {
  Qz_Image* doc = MakeDocument(8, 8, 1);
  Qz_Image* layer = Layer(doc, 0);
  Stroke(layer, {{0, 0}, {7, 7}});
  Stroke(layer, {{0, 7}, {7, 0}});
  const std::vector<uint8_t> painted = Plane(layer->grey, 8, 8);
  ASSERT_EQ(Qz_DiscardImageActions(doc, 0), 1u);
  Qz_RedoAllLayerActions(layer);
  EXPECT_EQ(Plane(layer->grey, 8, 8), painted);
  Stroke(layer, {{3, 0}, {3, 7}});
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Plane(layer->grey, 8, 8), painted);
  EXPECT_EQ(Qz_UndoImageAction(doc), 0u);
}

// Undo and redo from two threads while a third reads the history: each move
// takes the exclusive lock outright, so none waits on another's shared hold.
TEST_F(UndoMovesTest, UndoAndRedoFromTwoThreadsNeverDeadlock) {
  Qz_Image* doc = MakeDocument(16, 16, 1);
  Qz_Image* layer = Layer(doc, 0);
  for (int i = 0; i < 6; ++i) Stroke(layer, {{i, 0}, {15 - i, 15}});
  const auto count = [](Qz_Object* list) { return Qz_DoMethod(list, kLinkedListCount); };
  const QzWord steps = count(Qz_GetUndoList(doc));
  std::atomic<bool> stop{false};
  auto mover = [&](bool undo) {
    for (int i = 0; i < 150; ++i) undo ? Qz_UndoImageAction(doc) : Qz_RedoImageAction(doc);
  };
  std::thread reader([&] {
    while (!stop.load())
      if (Qz_LockImageA(doc, kQzLockRead, nullptr)) {
        qz::actions::imageHistory(doc, false, 20);
        Qz_UnlockImageA(doc, kQzLockRead, nullptr);
      }
  });
  std::thread undoer(mover, true), redoer(mover, false);
  undoer.join();
  redoer.join();
  stop = true;
  reader.join();
  // Every step is on one list or the other.
  EXPECT_EQ(count(Qz_GetUndoList(doc)) + count(Qz_GetRedoList(doc)), steps);
}

}  // namespace
}  // namespace qztest
