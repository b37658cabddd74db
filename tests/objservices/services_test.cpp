#include "objects/object_services.h"

#include <gtest/gtest.h>

#include <tuple>

#include <cstring>
#include <future>
#include <string>

#include "objects/qz_linked_list.h"
#include "objects/qz_semaphore.h"
#include "platform/exec.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

class Services : public ::testing::Test {
 protected:
  void SetUp() override { Qz_Init(); }
  void TearDown() override { Qz_CleanUp(); }
};

Qz_LayoutBox* boxOf(Qz_Object* object) {
  return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox));
}

// Whether another thread can take the semaphore at once (and gives it back).
bool freeForOthers(Qz_Semaphore* semaphore) {
  return std::async(std::launch::async, [semaphore] {
           const QzWord got = Qz_ObtainSemaphore(semaphore);
           if (got) Qz_ReleaseSemaphore(semaphore);
           Qz__RemoveThisProcess(FindTask(nullptr));
           return got == 1;
         }).get();
}

TEST_F(Services, VideoBuffersHaveSixteenByteRows) {
  struct Case {
    int32_t width, height, bits;
    int32_t stride;
  };
  const Case cases[] = {{10, 3, 24, 32}, {16, 2, 32, 64}, {1, 1, 8, 16}, {17, 5, 8, 32}, {640, 480, 24, 1920}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " pixels at " + std::to_string(c.bits) + " bits");
    void* buffer = nullptr;
    int32_t stride = 0;
    Qz_VideoData* handle = Qz__AllocVideoData(nullptr, c.width, c.height, c.bits, &buffer, &stride);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(stride, c.stride);
    EXPECT_EQ(handle->buffer, buffer);
    // Every row at the stride fits (the sanitizer build checks the bytes).
    std::memset(buffer, 0xA5, static_cast<std::size_t>(stride) * c.height);
    Qz__FreeVideoData(handle);
  }
  void* buffer = reinterpret_cast<void*>(1);
  EXPECT_EQ(Qz__AllocVideoData(nullptr, 0, 10, 24, &buffer, nullptr), nullptr);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(Qz__AllocVideoData(nullptr, 10, -1, 24, nullptr, nullptr), nullptr);
  Qz__FreeVideoData(nullptr);
}

TEST_F(Services, TreeQueriesWalkUpToEnclosingObjects) {
  Qz_Object* outer = Qz_CreateObject("LinkedList");
  Qz_Object* middle = Qz_CreateObject("LinkedList");
  Qz_Object* inner = Qz_CreateObject("Root");
  boxOf(middle)->parent = outer;
  boxOf(inner)->parent = middle;
  EXPECT_EQ(Qz_GetParentObject(inner), middle);
  EXPECT_EQ(Qz_GetParentObject(outer), nullptr);
  EXPECT_EQ(Qz_GetObjectClassID(middle), 0x470000u);
  EXPECT_EQ(Qz_GetObjectClassID(nullptr), 0u);
  // Never the starting object itself, though it is a Root too.
  EXPECT_EQ(Qz_SearchHierachyForClassId(inner, 0x10000), middle);
  EXPECT_EQ(Qz_SearchHierachyForClassId(inner, 0x470000), middle);
  EXPECT_EQ(Qz_SearchHierachyForClassId(middle, 0x470000), outer);
  EXPECT_EQ(Qz_SearchHierachyForClassId(inner, 0x990000), nullptr);
  EXPECT_EQ(Qz_SearchHierachyForClassId(nullptr, 0x10000), nullptr);
  Qz_DisposeObject(inner);
  Qz_DisposeObject(middle);
  Qz_DisposeObject(outer);
}

TEST_F(Services, DoMethodForAllReachesEveryMember) {
  Qz_Object* list = Qz_CreateObject("LinkedList");
  Qz_Object* members[3];
  for (Qz_Object*& m : members) {
    m = Qz_CreateObject("Root");
    Qz_DoMethod(list, kLinkedListAddTail, m);
  }
  Qz_DoMethodForAll(list, kRootSetUserData, 77);
  for (Qz_Object* m : members) EXPECT_EQ(Qz_DoMethod(m, kRootGetUserData), 77u);
  Qz_DisposeObject(list);
}

TEST_F(Services, DrawInfoLocks) {
  Qz_Object* object = Qz_CreateObject("Root");
  RastPort rastPort{};
  InitRastPort(&rastPort);
  Window window{};
  window.RPort = &rastPort;
  Layer layer{&window};
  rastPort.Layer = &layer;
  Qz_DrawInfo info{};
  info.drawSemaphore = Qz_AllocSemaphore();
  info.rastPort = &rastPort;
  info.window = &window;
  EXPECT_EQ(Qz_LockDrawInfo(object), nullptr);  // no drawing info yet
  Qz_DoMethod(object, kRootSetDrawInfo, &info);

  Qz_DoMethod(object, kRootHide);
  EXPECT_EQ(Qz_LockDrawInfo(object), nullptr);
  EXPECT_EQ(info.refusedLocks, 0);
  EXPECT_TRUE(freeForOthers(info.drawSemaphore));

  Qz_DoMethod(object, kRootShow);
  // The object's clip holds while it draws, and only then.
  Region clip{{2, 3, 10, 12}, nullptr};
  Qz_DoMethod(object, kRootSetClipRegion, &clip);
  ASSERT_EQ(Qz_LockDrawInfo(object), &info);
  EXPECT_EQ(info.currentBox, boxOf(object));
  EXPECT_TRUE(rastPort.ClipOn);
  EXPECT_GT(Qz_GetWidestCharWidth(&info), 0);
  Qz_UnlockDrawInfo(object);
  EXPECT_FALSE(rastPort.ClipOn);
  EXPECT_TRUE(freeForOthers(info.drawSemaphore));

  // A clipped object drawn inside a clipped container narrows the clip, and
  // its end gives the container's clip back rather than none at all.
  Qz_Object* inner = Qz_CreateObject("Root");
  Qz_DoMethod(inner, kRootSetDrawInfo, &info);
  Region innerClip{{5, 5, 20, 20}, nullptr};
  Qz_DoMethod(inner, kRootSetClipRegion, &innerClip);
  ASSERT_EQ(Qz_LockDrawInfo(object), &info);
  ASSERT_EQ(Qz_LockDrawInfo(inner), &info);
  EXPECT_EQ(std::tuple(rastPort.ClipX0, rastPort.ClipY0, rastPort.ClipX1, rastPort.ClipY1), std::tuple(5, 5, 11, 13));
  Qz_UnlockDrawInfo(inner);
  EXPECT_TRUE(rastPort.ClipOn);
  EXPECT_EQ(std::tuple(rastPort.ClipX0, rastPort.ClipY0, rastPort.ClipX1, rastPort.ClipY1), std::tuple(2, 3, 11, 13));
  Qz_UnlockDrawInfo(object);
  EXPECT_FALSE(rastPort.ClipOn);
  Qz_DoMethod(inner, kRootSetDrawInfo, nullptr);
  Qz_DisposeObject(inner);

  info.window = nullptr;  // a window that is closed: nothing to draw into
  EXPECT_EQ(Qz_LockDrawInfo(object), nullptr);
  EXPECT_TRUE(freeForOthers(info.drawSemaphore));

  EXPECT_EQ(Qz_LockDrawInfoForInspection(object), &info);
  EXPECT_EQ(info.inspectors, 1);
  Qz_UnlockDrawInfoForInspection(object);
  EXPECT_EQ(info.inspectors, 0);

  Qz_DoMethod(object, kRootSetDrawInfo, nullptr);
  Qz_FreeSemaphore(info.drawSemaphore);
  Qz_DisposeObject(object);
}

TEST_F(Services, GlobalListsKeepTheirOwnCopies) {
  Qz_GlobalData* g = Qz_GetGlobalData();
  char path[] = "/opt/classes";
  EXPECT_EQ(Qz_AddExternalClassSearchPath(path), 1u);
  std::strcpy(path, "/elsewhere!!");
  ASSERT_NE(g->searchPathList->lh_TailPred, nullptr);
  EXPECT_STREQ(g->searchPathList->lh_TailPred->ln_Name, "/opt/classes");
  EXPECT_EQ(Qz_RemoveExternalClassSearchPath(path), 0u);

  Qz_Object* target = Qz_CreateObject("Root");
  Qz_ShortcutKey* key = Qz_AddGlobalShortcutKey('N', 123456, 0, target, 2, 0x4601CC, 60);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(reinterpret_cast<Node*>(key), g->shortcutList->lh_TailPred);
  EXPECT_EQ(key->self, reinterpret_cast<QzWord>(key));
  EXPECT_EQ(key->target, target);
  EXPECT_EQ(key->keyCode, uint32_t{'N'});
  EXPECT_EQ(key->value, 123456u);
  ASSERT_EQ(key->count, 2u);
  EXPECT_EQ(Qz_ShortcutKeyWords(key)[0], 0x4601CCu);
  EXPECT_EQ(Qz_ShortcutKeyWords(key)[1], 60u);
  Remove(&key->node);
  FreeVec(key);
  Qz_DisposeObject(target);

  g->windowLayout[0] = 1;
  g->windowLayout[3] = -4;
  Qz_WindowLayoutInfo layout{};
  EXPECT_EQ(Qz_GetWindowLayoutInfo(nullptr, &layout), 1u);
  EXPECT_EQ(layout.values[0], 1);
  EXPECT_EQ(layout.values[3], -4);
}

TEST_F(Services, DebugTraceNamesTheMethod) {
  testing::internal::CaptureStdout();
  Qz_DebugDoClassMethod(nullptr, kRootSetObjectName);
  Qz_DebugDoClassMethod(nullptr, 0x10999);
  Qz_DebugDoClassMethod(nullptr, 0x7FFF0001);  // no such class: nothing
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Method=Qz_SetObjectName, (Class=Root)\nMethod=2457 (Class=Root)\n");
}

TEST_F(Services, ExecuteCommandRefusesNothingToOpen) {
  EXPECT_EQ(Qz_ExecuteCommand(nullptr), 0u);
  EXPECT_EQ(Qz_ExecuteCommand(""), 0u);
}

}  // namespace
