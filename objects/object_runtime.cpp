// The object runtime: global block, class list, method lookup, object
// memory, creation by class name and dispatch.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

#include "objects/object_internal.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_semaphore.h"
#include "platform/cpu_features.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QZ_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define QZ_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define QZ_POISON(p, n) ((void)(p), (void)(n))
#define QZ_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace qz::objects {

namespace {

Qz_GlobalData gGlobal;
std::mutex gOpenLock;  // serialises Qz_Init / Qz_CleanUp

// Initial gadget colours (Win32 0x00BBGGRR).
constexpr uint32_t kFaceColour = 0xC0C0C0;
constexpr uint32_t kHighlightColour = 0xFFB6AA;
constexpr uint32_t kWhite = 0xFFFFFF;

class ClassListLock {
 public:
  ClassListLock() { ObtainSemaphore(&gGlobal.classListLock); }
  ~ClassListLock() { ReleaseSemaphore(&gGlobal.classListLock); }
  ClassListLock(const ClassListLock&) = delete;
  ClassListLock& operator=(const ClassListLock&) = delete;
};

// Freed object blocks, kept per size. A block is handed out again only
// once more than kQuarantine blocks of its size wait behind it, so the
// self mark of a recently disposed object stays readable for a long while.
constexpr std::size_t kQuarantine = 64;
std::mutex gKeptLock;
// Never destroyed: a thread still freeing an object while the process
// exits must not find the pool gone.
std::map<uint32_t, std::deque<Qz_Object*>>& keptBlocks() {
  static auto* blocks = new std::map<uint32_t, std::deque<Qz_Object*>>();
  return *blocks;
}

std::atomic<int32_t> gBackgroundWork{0};

bool backgroundWorkRunning() {
  // Acquire: pairs with the release that ends the work, so its writes are seen.
  return gBackgroundWork.load(std::memory_order_acquire) != 0 ||
         std::atomic_ref<int32_t>(gGlobal.asyncDisposeCount).load(std::memory_order_acquire) != 0;
}

// A process that ends without Qz_CleanUp still lets running threads finish
// with the runtime before static destructors run, for a while.
constexpr int32_t kExitWaitTicks = 500;  // 10 s

void waitForBackgroundWorkAtExit() {
  for (int32_t i = 0; i < kExitWaitTicks && backgroundWorkRunning(); ++i) Delay(1);
}

// Everything but the self mark is poisoned while a block is kept.
void poisonKept(Qz_Object* block, uint32_t size) {
  auto* bytes = reinterpret_cast<unsigned char*>(block);
  const std::size_t markAt = offsetof(Qz_Object, self);
  const std::size_t afterMark = markAt + sizeof(QzWord);
  QZ_POISON(bytes, markAt);
  if (size > afterMark) QZ_POISON(bytes + afterMark, size - afterMark);
  (void)size;
}

Qz_Object* takeKeptBlock(uint32_t size) {
  std::lock_guard<std::mutex> guard(gKeptLock);
  auto it = keptBlocks().find(size);
  if (it == keptBlocks().end() || it->second.size() <= kQuarantine) return nullptr;
  Qz_Object* block = it->second.front();
  it->second.pop_front();
  QZ_UNPOISON(block, size);
  std::memset(static_cast<void*>(block), 0, size);
  return block;
}

const char* methodSuffix(const char* name) {
  return std::strlen(name) >= 3 ? name + 3 : "";
}

}  // namespace

Qz_GlobalData& globalData() { return gGlobal; }

void beginBackgroundWork() { gBackgroundWork.fetch_add(1, std::memory_order_relaxed); }

void endBackgroundWork() { gBackgroundWork.fetch_sub(1, std::memory_order_release); }

void warn(const char* title, const char* text, uint32_t kind) {
  Qz_Object* parent = gGlobal.hooks.mainWindowObject ? gGlobal.hooks.mainWindowObject() : nullptr;
  if (gGlobal.hooks.messageBox != nullptr) {
    gGlobal.hooks.messageBox(title, text, kind, parent);
  } else {
    Qz_MessageBoxA(title, text, kind, parent);
  }
}

Qz_RootObject* rootOf(Qz_Object* object) {
  if (object == nullptr) return nullptr;
  while (object->super != nullptr) object = object->super;
  return reinterpret_cast<Qz_RootObject*>(object);
}

void releaseKeptObjectMemory() {
  std::lock_guard<std::mutex> guard(gKeptLock);
  for (auto& [size, blocks] : keptBlocks()) {
    for (Qz_Object* block : blocks) {
      QZ_UNPOISON(block, size);
      std::free(block);
    }
  }
  keptBlocks().clear();
}

}  // namespace qz::objects

using qz::objects::gGlobal;
using qz::objects::atomicAdd;
using qz::objects::atomicLoad;

namespace {

bool debugOn() { return atomicLoad(gGlobal.debug) != 0; }

bool isLive(const Qz_Object* object) {
  return std::atomic_ref<QzWord>(const_cast<QzWord&>(object->self)).load(std::memory_order_relaxed) ==
         reinterpret_cast<QzWord>(object);
}

void initialiseGlobalData() {
  Qz_GlobalData& g = gGlobal;
  InitSemaphore(&g.classListLock);
  NewList(&g.classListStore);
  NewList(&g.searchPathStore);
  NewList(&g.shortcutStore);
  NewList(&g.windowList);
  InitSemaphore(&g.windowListLock);
  g.classList = &g.classListStore;
  g.searchPathList = &g.searchPathStore;
  g.shortcutList = &g.shortcutStore;
  g.toolTips = 0;
  g.toolTipDelay = 5;
  g.requesterSpacing = 8;
  g.faceColour = qz::objects::kFaceColour;
  g.faceColourCopy = g.faceColour;
  if (g.highlightColour == 0) g.highlightColour = qz::objects::kHighlightColour;
  g.white1 = qz::objects::kWhite;
  g.white2 = qz::objects::kWhite;
  g.highlightColourCopy = g.highlightColour;
  // Recorded for the pixel code's information; kernels choose their own paths.
  const uint32_t features = Qz__GetCPUFeatures(nullptr);
  g.mmx = (features & QZ_CPU_MMX) != 0 ? 1 : 0;
  g.sse = (features & QZ_CPU_SSE) != 0 ? 1 : 0;
  g.sse2 = (features & QZ_CPU_SSE2) != 0 ? 1 : 0;
  // Made before any class, so notifications added during start-up are linked.
  g.objectTreeSemaphore = Qz_AllocSemaphore();
}

void tearDownGlobalData() {
  Qz_GlobalData& g = gGlobal;
  // Threads and asynchronous disposals still running use objects and classes.
  while (qz::objects::backgroundWorkRunning()) Delay(1);
  {
    ObtainSemaphore(&g.classListLock);
    while (Node* node = RemHead(g.searchPathList)) FreeVec(node);
    ReleaseSemaphore(&g.classListLock);
  }
  qz::objects::removeBuiltInClasses(&g);
  {
    // Classes their modules never removed are unlinked, so a late removal
    // cannot write into the list of a later opening.
    ObtainSemaphore(&g.classListLock);
    while (g.classList->lh_Head->ln_Succ != nullptr) Remove(g.classList->lh_Head);
    ReleaseSemaphore(&g.classListLock);
  }
  Qz_FreeSemaphore(g.objectTreeSemaphore);
  g.objectTreeSemaphore = nullptr;
  CleanupSemaphore(&g.windowListLock);
  CleanupSemaphore(&g.classListLock);
  qz::objects::releaseKeptObjectMemory();
  // A later Qz_Init starts from the same state as the first one did.
  g = Qz_GlobalData{};
}

}  // namespace

Qz_GlobalData* Qz_Init(void) {
  std::lock_guard<std::mutex> guard(qz::objects::gOpenLock);
  static const bool exitWaitRegistered = std::atexit(qz::objects::waitForBackgroundWorkAtExit) == 0;
  (void)exitWaitRegistered;
  if (gGlobal.openCount++ == 0) {
    init_exec();
    initialiseGlobalData();
    qz::objects::registerBuiltInClasses(&gGlobal);
  }
  return &gGlobal;
}

void Qz_CleanUp(void) {
  std::lock_guard<std::mutex> guard(qz::objects::gOpenLock);
  if (gGlobal.openCount <= 0) return;
  if (--gGlobal.openCount == 0) {
    tearDownGlobalData();
    cleanup_exec();
  }
}

Qz_GlobalData* Qz_GetGlobalData(void) { return &gGlobal; }

QzWord Qz_AddClass(Qz_Class* objectClass) {
  if (objectClass == nullptr || gGlobal.classList == nullptr) return 0;  // not opened
  qz::objects::ClassListLock lock;
  objectClass->node.ln_Name = objectClass->name;
  AddTail(gGlobal.classList, &objectClass->node);
  return 1;
}

QzWord Qz_RemoveClass(Qz_Class* objectClass) {
  if (objectClass == nullptr || gGlobal.classList == nullptr) return 0;
  qz::objects::ClassListLock lock;
  Remove(&objectClass->node);
  return 1;
}

Qz_Class* Qz_FindClassFromName(const char* name) {
  if (name == nullptr || gGlobal.classList == nullptr) return nullptr;
  qz::objects::ClassListLock lock;
  for (Node* n = gGlobal.classList->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
    auto* c = reinterpret_cast<Qz_Class*>(n);
    if (c->name != nullptr && std::strcmp(c->name, name) == 0) return c;
  }
  return nullptr;
}

const Qz_Method* Qz_FindMethodFromId(Qz_Class* objectClass, uint32_t methodId) {
  if (objectClass == nullptr) return nullptr;
  qz::objects::ClassListLock lock;
  for (Qz_Class* c = objectClass; c != nullptr; c = c->superClass) {
    for (const Qz_Method* m = c->methods; m != nullptr && m->id != 0; ++m) {
      if (m->id == methodId) return m;
    }
  }
  return nullptr;
}

const Qz_Method* Qz_FindMethodFromString(QzWord unused, const char* name) {
  (void)unused;
  if (name == nullptr || gGlobal.classList == nullptr) return nullptr;
  // The three-character prefix is never compared; a name too short to have
  // one compares as empty instead of being read past its end.
  const char* wanted = qz::objects::methodSuffix(name);
  qz::objects::ClassListLock lock;
  for (Node* n = gGlobal.classList->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
    const auto* c = reinterpret_cast<const Qz_Class*>(n);
    for (const Qz_Method* m = c->methods; m != nullptr && m->id != 0; ++m) {
      if (m->name != nullptr && std::strcmp(qz::objects::methodSuffix(m->name), wanted) == 0) return m;
    }
  }
  return nullptr;
}

Qz_Object* Qz_AllocObjectMem(Qz_Class* objectClass) {
  if (objectClass == nullptr || objectClass->objectSize < sizeof(Qz_Object)) return nullptr;
  const uint32_t size = objectClass->objectSize;
  Qz_Object* object = qz::objects::takeKeptBlock(size);
  if (object == nullptr) object = static_cast<Qz_Object*>(std::calloc(1, size));
  if (object == nullptr) return nullptr;
  object->objectClass = objectClass;
  object->self = reinterpret_cast<QzWord>(object);
  return object;
}

void Qz_FreeObjectMem(Qz_Object* object) {
  if (object == nullptr) return;
  const uint32_t size = object->objectClass != nullptr ? object->objectClass->objectSize : 0;
  std::atomic_ref<QzWord>(object->self).store(kQzDeadMark, std::memory_order_relaxed);
  if (size < sizeof(Qz_Object)) {
    std::free(object);
    return;
  }
  std::lock_guard<std::mutex> guard(qz::objects::gKeptLock);
  qz::objects::keptBlocks()[size].push_back(object);
  qz::objects::poisonKept(object, size);
}

Qz_Object* Qz_NewObjectA(const char* className, const QzWord* args) {
  Qz_Class* c = Qz_FindClassFromName(className);
  if (c == nullptr || c->newObject == nullptr) return nullptr;
  Qz_Object* object = c->newObject(c, args);
  if (object == nullptr) return nullptr;
  if (object->super != nullptr) object->super->owner = object;
  atomicAdd(c->liveCount, 1);
  return object;
}

Qz_Object* Qz_CreateObjectA(const char* className, const TagItem* tags) {
  static const QzWord kNoArgs[8] = {};
  Qz_Object* object = Qz_NewObjectA(className, kNoArgs);
  if (object == nullptr) return nullptr;
  if (object->super != nullptr) object->super->owner = object;
  TagItem* cursor = const_cast<TagItem*>(tags);
  while (TagItem* item = NextTagItem(&cursor)) {
    // Control tags steer the walk and are never sent as methods.
    if (item->ti_Tag == TAG_MORE) {
      cursor = reinterpret_cast<TagItem*>(item->ti_Data);
      continue;
    }
    if (item->ti_Tag == TAG_SKIP) continue;
    Qz_DoMethodA(object, static_cast<uint32_t>(item->ti_Tag), &item->ti_Data);
  }
  return object;
}

Qz_Object* Qz_AddObjectA(Qz_Object* parent, const char* className, const TagItem* tags) {
  Qz_Object* object = Qz_CreateObjectA(className, tags);
  if (object == nullptr) return nullptr;
  if (parent != nullptr) Qz_DoMethod(parent, kLinkedListAddTail, object);
  return object;
}

void Qz_DisposeObject(Qz_Object* object) {
  if (object == nullptr) return;
  if (!isLive(object)) {
    if (debugOn()) qz::objects::warn("Warning", "Tried to Dispose object twice!", 2);
    return;
  }
  Qz_Class* c = object->objectClass;
  if (c->dispose != nullptr) {
    c->dispose(object);
  } else {
    Qz_FreeObjectMem(object);
  }
  atomicAdd(c->liveCount, -1);
}

QzWord Qz_DoMethodA(Qz_Object* object, uint32_t methodId, const QzWord* args) {
  if (object == nullptr) return 0;
  if (!isLive(object)) {
    if (debugOn()) qz::objects::warn("Warning", "DoMethod on freed object!", 2);
    return 0;
  }
  static const QzWord kNoArgs[8] = {};
  if (args == nullptr) args = kNoArgs;
  if (object->objectClass == nullptr || object->objectClass->dispatch == nullptr) return 0;
  std::atomic_ref<int32_t> nesting(object->nesting);
  nesting.fetch_add(1, std::memory_order_relaxed);
  const QzWord result = object->objectClass->dispatch(object, methodId, args);
  // The object may have disposed itself during the call: only a live
  // object's count is lowered.
  // Release: an asynchronous disposal that sees the count reach 0 also sees
  // everything the call wrote.
  if (isLive(object)) nesting.fetch_sub(1, std::memory_order_release);
  return result;
}

QzWord Qz_IsCoordOverObject(Qz_Object* object, int32_t x, int32_t y) {
  if (object == nullptr) return 0;
  if (Qz_DoMethod(object, kRootHideCount) != 0) return 0;
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox));
  if (box == nullptr) return 0;
  return (x >= box->left && x < box->left + box->width && y >= box->top &&
          y < box->top + box->height)
             ? 1
             : 0;
}

void Qz__ReportObjectUsage(void) {
  if (gGlobal.classList == nullptr) return;
  FILE* file = std::fopen("objects.txt", "w");
  if (file == nullptr) return;
  long totalObjects = 0;
  long totalBytes = 0;
  {
    qz::objects::ClassListLock lock;
    for (Node* n = gGlobal.classList->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
      const auto* c = reinterpret_cast<const Qz_Class*>(n);
      const long count = atomicLoad(c->liveCount);
      if (count == 0) continue;
      const long bytes = count * static_cast<long>(c->objectSize);
      std::fprintf(file, "Class %s has %ld Objects, total size %ld\n", c->name, count, bytes);
      totalObjects += count;
      totalBytes += bytes;
    }
  }
  std::fprintf(file, "Total of %ld Objects, total size %ldkb\n\n", totalObjects, totalBytes / 1024);
  std::fclose(file);
}

Qz_Object* Qz_GetTopMostObject(Qz_Object* object) {
  if (object == nullptr) return nullptr;
  while (object->owner != nullptr) object = object->owner;
  return object;
}

QzWord Qz_FloatToULONG(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float Qz_ULONGToFloat(QzWord word) {
  const uint32_t bits = static_cast<uint32_t>(word);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
