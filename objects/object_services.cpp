// Object services: the drawing-info locks, tree queries, the class search
// paths, window-layout values, video buffers, shortcut keys and the
// desktop opener. None of them keeps state of its own beyond the global data.
#include "objects/object_services.h"

#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <climits>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "gadgets/qz_window.h"
#include "objects/draw/qz_draw.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_semaphore.h"
#include "platform/exec.h"
#include "platform/graphics.h"
#include "platform/windows.h"

extern char** environ;

namespace {

// Guards the walk up the tree against a cycle of owner or parent links.
constexpr int kMaxTreeDepth = 100000;

// The clip a drawing bracket replaced, put back when the bracket ends, so an
// inner clipped object leaves its container's clip in force. Brackets nest
// on one thread, last in first out.
struct SavedClip {
  const Qz_LayoutBox* box;
  uint8_t on;
  int32_t x0, y0, x1, y1;
};
thread_local std::vector<SavedClip> tSavedClips;

Qz_LayoutBox* Qz__BoxOf(Qz_Object* object) {
  return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox));
}

Qz_DrawInfo* Qz__DrawInfoOf(Qz_Object* object) {
  return reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(object, kRootGetDrawInfo));
}

// Window method that starts dragging an object: (object, pointer x, pointer y).
constexpr uint32_t kWindowBeginDrag = 0x901C2;

// Where a requester goes relative to the main window's top-left corner.
constexpr int32_t kRequesterOffsetX = 70;
constexpr int32_t kRequesterOffsetY = 14;
// The main window is the whole desktop below the menu strip: no bar above it.
constexpr int32_t kScreenBarHeight = 0;

// Compose locks this thread took through Qz_LockDrawInfo and still holds.
thread_local int32_t tComposeLocksHeld = 0;

struct ClassListLock {
  ClassListLock() : lock(&Qz_GetGlobalData()->classListLock) { ObtainSemaphore(lock); }
  ~ClassListLock() { ReleaseSemaphore(lock); }
  SignalSemaphore* lock;
};

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT Qz_DrawInfo* Qz_LockDrawInfo(Qz_Object* object) {
  Qz_LayoutBox* box = Qz__BoxOf(object);
  if (!box || (box->flags & kQzBoxHidden)) return nullptr;
  Qz_DrawInfo* info = Qz__DrawInfoOf(object);
  if (!info) return nullptr;
  if (!Qz_ObtainSemaphore(info->drawSemaphore)) {
    std::atomic_ref<int32_t>(info->refusedLocks).fetch_add(1, std::memory_order_relaxed);
    return nullptr;
  }
  if (!info->rastPort || !info->window) {
    Qz_ReleaseSemaphore(info->drawSemaphore);
    return nullptr;
  }
  // The host composes the screen from the backing stores on its own thread;
  // holding its compose lock while drawing keeps it from reading half a frame.
  Qz_LockHostCompose();
  ++tComposeLocksHeld;
  if (info->rastPort->Layer && box->clipRegion) {
    const RastPort* rp = info->rastPort;
    tSavedClips.push_back({box, rp->ClipOn, rp->ClipX0, rp->ClipY0, rp->ClipX1, rp->ClipY1});
    box->savedRegion = InstallClipRegion(info->rastPort->Layer, box->clipRegion);
  }
  info->currentBox = box;
  return info;
}

QZ_EXPORT void Qz_UnlockDrawInfo(Qz_Object* object) {
  Qz_DrawInfo* info = Qz__DrawInfoOf(object);
  if (!info) {
    Qz_HostFlush();
    return;
  }
  Qz_LayoutBox* box = Qz__BoxOf(object);
  if (box && box->clipRegion && info->rastPort && info->rastPort->Layer) {
    RastPort* rp = info->rastPort;
    if (!tSavedClips.empty() && tSavedClips.back().box == box) {
      const SavedClip& saved = tSavedClips.back();
      rp->ClipOn = saved.on;
      rp->ClipX0 = saved.x0, rp->ClipY0 = saved.y0, rp->ClipX1 = saved.x1, rp->ClipY1 = saved.y1;
      tSavedClips.pop_back();
    } else {
      InstallClipRegion(rp->Layer, box->savedRegion);
    }
    box->savedRegion = nullptr;
  }
  if (tComposeLocksHeld > 0) {
    --tComposeLocksHeld;
    Qz_UnlockHostCompose();
  }
  Qz_ReleaseSemaphore(info->drawSemaphore);
  Qz_HostFlush();
}

QZ_EXPORT QzWord Qz_BeginDragAndDrop(Qz_Object* object) {
  Qz_DrawInfo* info = Qz_LockDrawInfo(object);
  if (!info) return 0;
  // The window procedure updates the pointer position under Forbid.
  Forbid();
  const int32_t x = Qz_WindowMouseX(info->window), y = Qz_WindowMouseY(info->window);
  Permit();
  Qz_Object* windowObject = info->windowObject;
  Qz_UnlockDrawInfo(object);
  Qz_DoMethod(windowObject, kWindowBeginDrag, object, x, y);
  return 1;
}

QZ_EXPORT Qz_DrawInfo* Qz_LockDrawInfoForInspection(Qz_Object* object) {
  Qz_DrawInfo* info = Qz__DrawInfoOf(object);
  if (!info) return nullptr;
  ClassListLock lock;
  ++info->inspectors;
  return info;
}

QZ_EXPORT void Qz_UnlockDrawInfoForInspection(Qz_Object* object) {
  Qz_DrawInfo* info = Qz__DrawInfoOf(object);
  if (!info) return;
  ClassListLock lock;
  if (info->inspectors > 0) --info->inspectors;
}

QZ_EXPORT int32_t Qz_GetWidestCharWidth(Qz_DrawInfo* drawInfo) {
  if (!drawInfo || !drawInfo->rastPort) return 0;
  return TextLength(drawInfo->rastPort, "W", 1);
}

QZ_EXPORT Qz_Object* Qz_GetParentObject(Qz_Object* object) {
  Qz_LayoutBox* box = Qz__BoxOf(object);
  return box ? box->parent : nullptr;
}

QZ_EXPORT uint32_t Qz_GetObjectClassID(Qz_Object* object) {
  return object ? object->objectClass->classId : 0;
}

QZ_EXPORT Qz_Object* Qz_SearchHierachyForClassId(Qz_Object* object, uint32_t classId) {
  for (int depth = 0; object && depth < kMaxTreeDepth; ++depth) {
    object = Qz_GetTopMostObject(Qz_GetParentObject(Qz_GetTopMostObject(object)));
    for (Qz_Object* instance = object; instance; instance = instance->super) {
      if (instance->objectClass->classId == classId) return object;
    }
  }
  return nullptr;
}

QZ_EXPORT void Qz_DoMethodForAllA(Qz_Object* container, uint32_t methodId, const QzWord* args) {
  auto* member = reinterpret_cast<Qz_Object*>(Qz_DoMethod(container, kLinkedListFirst));
  while (member) {
    // The successor is taken first, so a member may leave the list in the call.
    auto* next = reinterpret_cast<Qz_Object*>(Qz_DoMethod(container, kLinkedListNext, member));
    Qz_DoMethodA(member, methodId, args);
    member = next;
  }
}

QZ_EXPORT void Qz_DebugDoClassMethod(Qz_Object* object, uint32_t methodId) {
  (void)object;
  ClassListLock lock;
  List* classes = Qz_GetGlobalData()->classList;
  if (!classes) return;
  for (Node* node = classes->lh_Head; node && node->ln_Succ; node = node->ln_Succ) {
    auto* objectClass = reinterpret_cast<Qz_Class*>(node);
    if (objectClass->classId != (methodId & 0xFFFF0000u)) continue;
    for (const Qz_Method* m = objectClass->methods; m && m->id != 0; ++m) {
      if (m->id == methodId) {
        std::printf("Method=%s, (Class=%s)\n", m->name, objectClass->name);
        return;
      }
    }
    std::printf("Method=%ld (Class=%s)\n", static_cast<long>(methodId & 0xFFFF), objectClass->name);
    return;
  }
}

QZ_EXPORT QzWord Qz_AddExternalClassSearchPath(const char* path) {
  if (!path) return 1;
  // One block: the node, then a copy of the path (the caller's may not live on).
  const std::size_t length = std::strlen(path);
  auto* node = static_cast<Node*>(AllocVec(sizeof(Node) + length + 1, MEMF_CLEAR));
  if (!node) return 1;
  char* copy = reinterpret_cast<char*>(node + 1);
  std::memcpy(copy, path, length + 1);
  node->ln_Name = copy;
  ClassListLock lock;
  if (List* paths = Qz_GetGlobalData()->searchPathList) {
    AddTail(paths, node);
  } else {
    FreeVec(node);
  }
  return 1;
}

QZ_EXPORT QzWord Qz_RemoveExternalClassSearchPath(const char* path) {
  (void)path;
  ClassListLock lock;
  return 0;
}

QZ_EXPORT QzWord Qz_GetWindowLayoutInfo(Screen* screen, Qz_WindowLayoutInfo* info) {
  (void)screen;
  if (!info) return 0;
  for (int i = 0; i < 4; ++i) info->values[i] = Qz_GetGlobalData()->windowLayout[i];
  return 1;
}

QZ_EXPORT Qz_VideoData* Qz__AllocVideoData(Screen* screen, int32_t width, int32_t height,
                                          int32_t bitsPerPixel, void** buffer, int32_t* rowStride) {
  (void)screen;
  if (buffer) *buffer = nullptr;
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 64) return nullptr;
  const uint64_t stride = (uint64_t{static_cast<uint32_t>(width)} * bitsPerPixel / 8 + 15) / 16 * 16;
  if (stride > INT32_MAX) return nullptr;
  const uint64_t bytes =
      (uint64_t{static_cast<uint32_t>(width)} + 16) * static_cast<uint32_t>(height) * bitsPerPixel / 8 +
      1024;
  auto* handle = static_cast<Qz_VideoData*>(Qz_AllocMemClear(sizeof(Qz_VideoData)));
  if (!handle) return nullptr;
  handle->buffer = Qz_AllocMemClear(static_cast<std::size_t>(bytes));
  if (!handle->buffer) {
    Qz_FreeMem(handle);
    return nullptr;
  }
  if (buffer) *buffer = handle->buffer;
  if (rowStride) *rowStride = static_cast<int32_t>(stride);
  return handle;
}

QZ_EXPORT void Qz__FreeVideoData(Qz_VideoData* handle) {
  if (!handle) return;
  Qz_FreeMem(handle->buffer);
  Qz_FreeMem(handle);
}

QZ_EXPORT QzWord Qz_LockObject(Qz_Object* object) { return Qz_DoMethod(object, kRootLockTree); }

QZ_EXPORT QzWord Qz_UnlockObject(Qz_Object* object) { return Qz_DoMethod(object, kRootUnlockTree); }

QZ_EXPORT void Qz_RelayoutAndRedrawObject(Qz_Object* object) {
  Qz_LayoutBox* box = Qz__BoxOf(object);
  if (!box) return;
  const int32_t left = box->left, top = box->top, width = box->width, height = box->height;
  Region* clip = box->clipRegion;
  Qz_DoMethod(object, kRootMeasure);
  Qz_DoMethod(object, kRootPlace, left, top, width, height);
  if (clip) Qz_DoMethod(object, kRootSetClipRegion, clip);
  Qz_DoMethod(object, kRootDraw);
}

QZ_EXPORT void Qz_RedrawOverClearedBackground(Qz_Object* object) {
  if (Qz_DrawInfo* locked = Qz_LockDrawInfo(object)) {
    Qz_EraseObjectBackground(object, locked);
    Qz_UnlockDrawInfo(object);
  }
  Qz_DoMethod(object, kRootDraw);
}

QZ_EXPORT Qz_ShortcutKey* Qz_AddGlobalShortcutKeyA(uint32_t keyCode, QzWord value, QzWord ignored,
                                                   Qz_Object* target, uint32_t count,
                                                   const QzWord* words) {
  (void)ignored;
  if (count > 0 && !words) return nullptr;
  const std::size_t bytes =
      sizeof(Qz_ShortcutKey) + (std::size_t{count} + qz::kPackedTailWords) * sizeof(QzWord);
  auto* key = static_cast<Qz_ShortcutKey*>(AllocVec(bytes, MEMF_CLEAR));
  if (!key) return nullptr;
  key->self = reinterpret_cast<QzWord>(key);
  key->target = target;
  key->keyCode = keyCode;
  key->value = value;
  key->count = count;
  if (count > 0) {
    std::memcpy(const_cast<QzWord*>(Qz_ShortcutKeyWords(key)), words, count * sizeof(QzWord));
  }
  ClassListLock lock;
  List* shortcuts = Qz_GetGlobalData()->shortcutList;
  if (!shortcuts) {
    FreeVec(key);
    return nullptr;
  }
  AddTail(shortcuts, &key->node);
  return key;
}

QZ_EXPORT void Qz_RemoveGlobalShortcutKey(Qz_ShortcutKey* key) {
  if (!key) return;
  ClassListLock lock;
  List* shortcuts = Qz_GetGlobalData()->shortcutList;
  if (!shortcuts) return;
  // Only a record still listed is taken out, so a second removal does nothing.
  for (Node* n = shortcuts->lh_Head; n->ln_Succ; n = n->ln_Succ) {
    if (n != &key->node) continue;
    Remove(n);
    key->self = 0;
    FreeVec(key);
    return;
  }
}

QZ_EXPORT QzWord Qz_ExecuteCommand(const char* fileOrCommand) {
  if (!fileOrCommand || !*fileOrCommand) return 0;
  char opener[] = "xdg-open";
  std::string argument = fileOrCommand;
  char* argv[] = {opener, argument.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0) return 0;
  // The opener returns at once; reap it in the background so it leaves no zombie.
  try {
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  } catch (const std::system_error&) {
  }
  return 1;
}

QZ_EXPORT void Qz_AlignRequestorPosition(Qz_Object* window) {
  Qz_GlobalData* global = Qz_GetGlobalData();
  Qz_Object* main = global->hooks.mainWindowObject ? global->hooks.mainWindowObject() : nullptr;
  if (window == nullptr || main == nullptr || main == window) return;
  // The main window's box is read under its window semaphore, which its
  // thread holds while it opens.
  if (Qz_DoMethod(main, kRootLockTree) == 0) return;
  const bool open = Qz__PlatformWindowOf(main) != nullptr;
  const int32_t left = static_cast<int32_t>(Qz_DoMethod(main, kWindowGetX));
  const int32_t top = static_cast<int32_t>(Qz_DoMethod(main, kWindowGetY));
  Qz_DoMethod(main, kRootUnlockTree);
  if (!open) return;
  Qz_DoMethod(window, kWindowSetX, static_cast<uint32_t>(left + kRequesterOffsetX));
  Qz_DoMethod(window, kWindowSetY, static_cast<uint32_t>(top + kRequesterOffsetY + kScreenBarHeight));
}

QZ_EXTERN_C_END

namespace qz::objects {

bool drawingOnThisThread() { return tComposeLocksHeld > 0; }

}  // namespace qz::objects
