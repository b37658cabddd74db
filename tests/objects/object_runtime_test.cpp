// Class registry, method lookup, creation from tags, dispatch and disposal.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "objects/qz_linked_list.h"
#include "objects/qz_object.h"
#include "probe_classes.h"
#include "support/temp_dir.h"

namespace {

using qztest::ProbeClass;

class ObjectRuntime : public ::testing::Test {
 protected:
  qztest::ObjectSystem system;
  ProbeClass probe{"Probe"};
};

TEST_F(ObjectRuntime, OpenIsCountedAndKeepsClassesUntilLastCleanUp) {
  ASSERT_NE(Qz_FindClassFromName("Root"), nullptr);
  ASSERT_NE(Qz_FindClassFromName("LinkedList"), nullptr);
  EXPECT_EQ(Qz_FindClassFromName("Cycle"), nullptr);
  EXPECT_EQ(Qz_Init(), Qz_GetGlobalData());
  Qz_CleanUp();
  EXPECT_NE(Qz_FindClassFromName("Root"), nullptr);
  EXPECT_EQ(Qz_FindClassFromName("LinkedList")->superClass, Qz_FindClassFromName("Root"));
  const Qz_GlobalData* g = Qz_GetGlobalData();
  EXPECT_EQ(g->toolTipDelay, 5);
  EXPECT_EQ(g->requesterSpacing, 8);
  EXPECT_EQ(g->highlightColour, 0xFFB6AAu);
  EXPECT_NE(g->objectTreeSemaphore, nullptr);
  EXPECT_EQ(g->sse2, 1);  // every x86-64 processor has it
  EXPECT_EQ(g->mmx, 1);
}

TEST(ObjectRuntimeReopen, AClassLeftRegisteredAcrossACloseIsRemovedHarmlessly) {
  Qz_Init();
  auto* stale = new ProbeClass("Stale");
  Qz_CleanUp();
  Qz_Init();
  ProbeClass fresh("Fresh");
  delete stale;  // removes a class of the earlier opening
  EXPECT_EQ(Qz_FindClassFromName("Fresh"), &fresh.record);
  EXPECT_EQ(Qz_FindClassFromName("Stale"), nullptr);
  EXPECT_NE(Qz_FindClassFromName("Root"), nullptr);
  Qz_RemoveClass(&fresh.record);
  fresh.record.registered = 0;
  Qz_CleanUp();
}

TEST_F(ObjectRuntime, FirstRegisteredOfOneNameWinsUntilRemoved) {
  ProbeClass first("Twin");
  ProbeClass second("Twin");
  EXPECT_EQ(Qz_FindClassFromName("Twin"), &first.record);
  EXPECT_EQ(Qz_FindClassFromName("twin"), nullptr);  // names are case-sensitive
  Qz_RemoveClass(&first.record);
  first.record.registered = 0;
  EXPECT_EQ(Qz_FindClassFromName("Twin"), &second.record);
}

TEST_F(ObjectRuntime, MethodLookupByNameSkipsThePrefix) {
  struct Case {
    const char* name;
    uint32_t expectedId;  // 0: not found
  };
  const Case cases[] = {
      {"Qz_SetObjectName", kRootSetObjectName},
      {"XYZSetObjectName", kRootSetObjectName},
      {"Qz_GetProbeValue", qztest::kProbeGetValue},
      {"Qz_setobjectname", 0},
      {"Qz_", 0},
      {"ab", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Qz_Method* m = Qz_FindMethodFromString(0, c.name);
    if (c.expectedId == 0) {
      EXPECT_EQ(m, nullptr);
    } else {
      ASSERT_NE(m, nullptr);
      EXPECT_EQ(m->id, c.expectedId);
    }
  }
}

TEST_F(ObjectRuntime, MethodLookupByIdWalksTheSuperclassChain) {
  const Qz_Method* own = Qz_FindMethodFromId(&probe.record, qztest::kProbeSetValue);
  ASSERT_NE(own, nullptr);
  EXPECT_STREQ(own->name, "Qz_SetProbeValue");
  const Qz_Method* inherited = Qz_FindMethodFromId(&probe.record, kRootDisable);
  ASSERT_NE(inherited, nullptr);
  EXPECT_EQ(inherited->pairedId, kRootEnable);
  EXPECT_STREQ(inherited->argFormat, "%ld");
  EXPECT_EQ(Qz_FindMethodFromId(&probe.record, 0x12345), nullptr);
  EXPECT_EQ(Qz_FindMethodFromId(nullptr, kRootDisable), nullptr);
  const Qz_Method* getter = Qz_FindMethodFromId(Qz_FindClassFromName("Root"), kRootGetObjectName);
  ASSERT_NE(getter, nullptr);
  EXPECT_EQ(getter->flags, kQzMethodStoredGetter);
  EXPECT_STREQ(getter->outFormat, "%s");
}

TEST_F(ObjectRuntime, CreationSendsOnlyTheReachableTags) {
  const TagItem more[] = {{0x990104, 4}, {TAG_DONE, 0}};
  const TagItem tags[] = {
      {0x990101, 1},
      {TAG_SKIP, 3},  // lands two items on: 0x990102 is skipped
      {0x990102, 2},
      {0x990103, 3},
      {TAG_MORE, reinterpret_cast<QzWord>(more)},
      {0x990105, 5},
      {TAG_DONE, 0},
  };
  Qz_Object* object = Qz_CreateObjectA("Probe", tags);
  ASSERT_NE(object, nullptr);
  const std::vector<uint32_t> expected = {0x990101, 0x990103, 0x990104};
  EXPECT_EQ(probe.ids(), expected);
  EXPECT_EQ(probe.calls[0].arg0, 1u);
  EXPECT_EQ(probe.calls[2].arg0, 4u);
  Qz_DisposeObject(object);
}

TEST_F(ObjectRuntime, UnknownClassGivesNull) {
  EXPECT_EQ(Qz_CreateObject("NoSuchClass"), nullptr);
  EXPECT_EQ(Qz_NewObjectA(nullptr, nullptr), nullptr);
  EXPECT_EQ(Qz_AddObject(nullptr, "NoSuchClass"), nullptr);
}

TEST_F(ObjectRuntime, WordsTravelZeroExtendedAndPointersFullWidth) {
  Qz_Object* object = Qz_CreateObject("Probe");
  ASSERT_NE(object, nullptr);
  int local = 0;
  Qz_DoMethod(object, 0x990200, -1, &local);
  Qz_DoMethod(object, 0x990201, Qz_FloatToULONG(-2.5f));
  const auto calls = probe.calls;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].arg0, QzWord{0xFFFFFFFF});
  EXPECT_EQ(calls[0].arg1, reinterpret_cast<QzWord>(&local));
  EXPECT_EQ(calls[1].arg0 >> 32, 0u);
  EXPECT_EQ(Qz_ULONGToFloat(calls[1].arg0), -2.5f);
  Qz_DisposeObject(object);
}

TEST_F(ObjectRuntime, DelegatesUnhandledIdsToTheSuperclassInstance) {
  Qz_Object* object = Qz_CreateObject("Probe", kRootSetUserData, 77, qztest::kProbeSetValue, 5);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(Qz_DoMethod(object, kRootGetUserData), 77u);
  EXPECT_EQ(Qz_DoMethod(object, qztest::kProbeGetValue), 5u);
  EXPECT_EQ(object->super->owner, object);
  EXPECT_EQ(Qz_GetTopMostObject(object->super), object);
  EXPECT_EQ(Qz_GetTopMostObject(nullptr), nullptr);
  Qz_DisposeObject(object);
}

TEST_F(ObjectRuntime, DisposeTwiceAndCallsOnFreedObjectsAreHarmless) {
  Qz_Object* object = Qz_CreateObject("Probe");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(probe.live(), 1);
  Qz_DisposeObject(object);
  EXPECT_EQ(probe.live(), 0);
  EXPECT_EQ(object->self, kQzDeadMark);
  Qz_DisposeObject(object);
  EXPECT_EQ(probe.live(), 0);
  EXPECT_EQ(Qz_DoMethod(object, kRootGetUserData), 0u);
  EXPECT_EQ(Qz_DoMethod(nullptr, kRootGetUserData), 0u);
  Qz_DisposeObject(nullptr);
}

TEST_F(ObjectRuntime, FreedBlocksAreKeptForAWhileThenReusedClean) {
  std::vector<Qz_Object*> first;
  for (int i = 0; i < 100; ++i) {
    first.push_back(Qz_CreateObject("Probe", qztest::kProbeSetValue, 1000 + i));
  }
  for (Qz_Object* o : first) Qz_DisposeObject(o);
  // The most recently disposed objects still read as dead...
  EXPECT_EQ(Qz_DoMethod(first.back(), qztest::kProbeGetValue), 0u);
  // ...and reused blocks come back zero-filled.
  std::vector<Qz_Object*> second;
  for (int i = 0; i < 100; ++i) {
    Qz_Object* o = Qz_CreateObject("Probe");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(Qz_DoMethod(o, qztest::kProbeGetValue), 0u);
    EXPECT_EQ(Qz_DoMethod(o, kRootGetUserData), 0u);
    second.push_back(o);
  }
  EXPECT_EQ(probe.live(), 100);
  for (Qz_Object* o : second) Qz_DisposeObject(o);
  EXPECT_EQ(probe.live(), 0);
}

TEST_F(ObjectRuntime, DebugModeWarnsAboutMisuse) {
  Qz_Object* object = Qz_CreateObject("Probe");
  Qz_DisposeObject(object);
  qztest::WarningLog log;
  Qz_DoMethod(object, kRootGetUserData);
  Qz_DisposeObject(object);
  const std::vector<std::string> expected = {"Warning|DoMethod on freed object!",
                                             "Warning|Tried to Dispose object twice!"};
  EXPECT_EQ(qztest::WarningLog::texts(), expected);
}

TEST_F(ObjectRuntime, AddObjectJoinsTheParentWhichOwnsItsChildren) {
  ProbeClass box("ProbeBox", "LinkedList");
  Qz_Object* parent = Qz_CreateObject("ProbeBox");
  ASSERT_NE(parent, nullptr);
  Qz_Object* a = Qz_AddObject(parent, "Probe", qztest::kProbeSetValue, 1);
  Qz_Object* b = Qz_AddObject(parent, "Probe");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(Qz_DoMethod(parent, kLinkedListCount), 2u);
  EXPECT_EQ(Qz_DoMethod(parent, kLinkedListFirst), reinterpret_cast<QzWord>(a));
  EXPECT_EQ(probe.live(), 2);
  Qz_DisposeObject(parent);
  EXPECT_EQ(probe.live(), 0);
  EXPECT_EQ(box.live(), 0);
}

TEST_F(ObjectRuntime, CoordinateTestUsesTheBoxAndTheHideCount) {
  Qz_Object* object = Qz_CreateObject("Probe");
  auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox));
  ASSERT_NE(box, nullptr);
  box->left = -5;
  box->top = 10;
  box->width = 20;
  box->height = 5;
  struct Case {
    int32_t x, y;
    QzWord expected;
  };
  const Case cases[] = {{-5, 10, 1}, {14, 14, 1}, {15, 10, 0}, {0, 15, 0}, {-6, 12, 0}, {0, 9, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(Qz_IsCoordOverObject(object, c.x, c.y), c.expected);
  }
  Qz_DoMethod(object, kRootHide);
  EXPECT_EQ(Qz_IsCoordOverObject(object, 0, 12), 0u);
  EXPECT_EQ(Qz_IsCoordOverObject(nullptr, 0, 12), 0u);
  Qz_DisposeObject(object);
}

TEST_F(ObjectRuntime, UsageReportCountsLiveObjects) {
  qztest::TempDir dir;
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  Qz_Object* a = Qz_CreateObject("Probe");
  Qz_Object* b = Qz_CreateObject("Probe");
  Qz__ReportObjectUsage();
  Qz_DisposeObject(a);
  Qz_DisposeObject(b);
  ASSERT_EQ(chdir(previous), 0);
  std::ifstream in(dir.file("objects.txt"));
  std::stringstream text;
  text << in.rdbuf();
  const long probeBytes = 2L * static_cast<long>(probe.record.objectSize);
  EXPECT_NE(text.str().find("Class Probe has 2 Objects, total size " + std::to_string(probeBytes) + "\n"),
            std::string::npos);
  EXPECT_NE(text.str().find("Class Root has 2 Objects"), std::string::npos);
  EXPECT_NE(text.str().find("Total of 4 Objects, total size 0kb\n\n"), std::string::npos);
}

}  // namespace
