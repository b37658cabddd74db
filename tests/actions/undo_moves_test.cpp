// The undo and redo moves between the two lists, with probe actions that
// log what they are sent and answer the undo notice and the redo as told.
#include <string>

#include "action_fixture.h"
#include "objects/qz_linked_list.h"

namespace qztest {
namespace {

constexpr uint32_t kProbeSetName = 0x7d000001;
constexpr uint32_t kProbeSetFlags = 0x7d000002;
constexpr uint32_t kProbeFailUndo = 0x7d000003;
constexpr uint32_t kProbeFailRedo = 0x7d000004;
constexpr uint32_t kProbeNotUndoable = 0x7d000005;

std::string gLog;
int gDisposed = 0;

struct MoveProbe {
  Qz_Object header;
  const char* name;
  uint32_t flags;
  bool failUndo, failRedo, notUndoable;
};

QzWord MoveProbeDispatch(Qz_Object* o, uint32_t id, const QzWord* args) {
  auto* p = reinterpret_cast<MoveProbe*>(o);
  switch (id) {
    case kProbeSetName: p->name = reinterpret_cast<const char*>(args[0]); return 0;
    case kProbeSetFlags: p->flags = uint32_t(args[0]); return 0;
    case kProbeFailUndo: p->failUndo = args[0] != 0; return 0;
    case kProbeFailRedo: p->failRedo = args[0] != 0; return 0;
    case kProbeNotUndoable: p->notUndoable = args[0] != 0; return 0;
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
  bool failUndo, failRedo, notUndoable;
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

}  // namespace
}  // namespace qztest
