// Root: the innermost superclass instance of every object and the end of
// every delegation chain. It keeps the layout box, colours, label, name,
// user data, tool tip, hide and disable counts, the notifications and the
// port for asynchronous calls; ids nobody handled arrive here and get 0.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "objects/object_internal.h"
#include "objects/qz_class_kit.h"
#include "objects/object_services.h"
#include "objects/qz_builtin_classes.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_semaphore.h"

namespace {

const Qz_Method kRootMethods[] = {
    {kRootSetObjectName, "Qz_SetObjectName", kQzMethodSetter, kRootGetObjectName, "%s", 0, nullptr, 0, 0},
    {kRootGetObjectName, "Qz_GetObjectName", kQzMethodStoredGetter, kRootSetObjectName, nullptr, 0, "%s", 0, 0},
    {kRootHandleIDCMP, "Qz_HandleIDCMP", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kRootHandleIDCMP, "Qz_HandleIDCMP", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kRootDraw, "Qz_DrawObject", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kRootDisable, "Qz_DisableObject", kQzMethodAction, kRootEnable, "%ld", 0, nullptr, 0, 0},
    {kRootEnable, "Qz_EnableObject", kQzMethodAction, kRootDisable, nullptr, 0, "%ld", 0, 0},
    {kRootSetToolTip, "Qz_SetToolTip", kQzMethodSetter, kRootGetToolTip, "%s", 0, nullptr, 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};


// Ids that window and menu code sends to any object; plain objects ignore them.
constexpr uint32_t kWindowIgnored1 = 0x901C2;
constexpr uint32_t kWindowIgnored2 = 0x901CC;
constexpr uint32_t kWindowIgnored3 = 0x901D6;
constexpr uint32_t kMenuIgnored = 0x18005A;

const char kEmptyLabel[] = "";

Qz_RootObject* asRoot(Qz_Object* object) { return reinterpret_cast<Qz_RootObject*>(object); }

Qz_Object* outermost(Qz_Object* object) { return Qz_GetTopMostObject(object); }

// A gadget has no port of its own: the thread of the window it is shown in
// runs its calls. None while it is in no open window.
MsgPort* windowPortOf(Qz_Object* object) {
  Qz_Object* gadget = outermost(object);
  MsgPort* port = nullptr;
  if (Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(gadget)) {
    if (info->windowObject && outermost(info->windowObject) != gadget)
      port = std::atomic_ref<MsgPort*>(Qz_RootInstance(info->windowObject)->asyncPort).load(std::memory_order_acquire);
    Qz_UnlockDrawInfoForInspection(gadget);
  }
  return port;
}

void setHidden(Qz_RootObject* r, bool hidden) {
  if (hidden) {
    r->box.flags |= kQzBoxHidden;
  } else {
    r->box.flags &= ~kQzBoxHidden;
  }
}

QzWord place(Qz_RootObject* r, const QzWord* args) {
  Qz_LayoutBox& b = r->box;
  b.left = static_cast<int16_t>(args[0]);
  b.top = static_cast<int16_t>(args[1]);
  // Limited to the maximum first, then raised to the minimum, so a maximum
  // below the minimum gives the minimum.
  int32_t width = static_cast<int32_t>(args[2]);
  int32_t height = static_cast<int32_t>(args[3]);
  if (width > b.maxWidth) width = b.maxWidth;
  if (width < b.minWidth) width = b.minWidth;
  if (height > b.maxHeight) height = b.maxHeight;
  if (height < b.minHeight) height = b.minHeight;
  b.width = static_cast<int16_t>(width);
  b.height = static_cast<int16_t>(height);
  return 0;
}

QzWord setName(Qz_RootObject* r, const char* text) {
  // Copied before the old name goes, so an object may be given its own name.
  char* copy = nullptr;
  if (text != nullptr) {
    copy = strdup(text);
    if (copy == nullptr) return 0;
  }
  std::free(r->name);
  r->name = copy;
  return 1;
}

uint32_t offsetChannels(uint32_t colour, int delta) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int channel = static_cast<int>((colour >> shift) & 0xFF) + delta;
    if (channel > 255) channel = 255;
    if (channel < 0) channel = 0;
    result |= static_cast<uint32_t>(channel) << shift;
  }
  return result;
}

QzWord deriveColours(Qz_RootObject* r, uint32_t colour) {
  r->baseColour = colour;
  if (colour == 0) {
    r->lightColour = 0;
    r->darkColour = 0;
  } else {
    r->lightColour = offsetChannels(colour, 16);
    r->darkColour = offsetChannels(colour, -16);
  }
  return 1;
}

QzWord poke(const QzWord* args, int bits) {
  void* target = reinterpret_cast<void*>(args[0]);
  if (target == nullptr) return 0;
  // Pollers on other threads read these fields while the poke is made; the
  // release lets a poller that sees the value reuse or free what it guarded.
  switch (bits) {
    case 32:
      std::atomic_ref<uint32_t>(*static_cast<uint32_t*>(target))
          .store(static_cast<uint32_t>(args[1]), std::memory_order_release);
      break;
    case 16:
      std::atomic_ref<uint16_t>(*static_cast<uint16_t*>(target))
          .store(static_cast<uint16_t>(args[1]), std::memory_order_release);
      break;
    default:
      std::atomic_ref<uint8_t>(*static_cast<uint8_t*>(target))
          .store(static_cast<uint8_t>(args[1]), std::memory_order_release);
      break;
  }
  return 0;
}

QzWord lockTree(Qz_RootObject* r) {
  if (qz::objects::notifyHeader(r) == nullptr) return 0;
  // A refused lock is reported, so the caller does not walk unlocked.
  return Qz_ObtainSemaphore(qz::objects::globalData().objectTreeSemaphore);
}

QzWord unlockTree(Qz_RootObject* r) {
  // Pairs with the lock, which made the header: read as it was published.
  if (std::atomic_ref<Qz_NotifyHeader*>(r->notify).load(std::memory_order_acquire) != nullptr)
    Qz_ReleaseSemaphore(qz::objects::globalData().objectTreeSemaphore);
  return 1;
}

QzWord unknownMethod(uint32_t id) {
  if (qz::objects::atomicLoad(qz::objects::globalData().debug) != 0) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Please report the following information to the developers.\n"
                  "(Press OK to continue, not Cancel)\nMessage: Unknown Method Class %ld Number %ld  "
                  "at Root Level\n",
                  static_cast<long>(id >> 16), static_cast<long>(id & 0xFFFF));
    qz::objects::warn("Qz.library Internal Error", text, 2);
  }
  return 0;
}

QzWord rootDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_RootObject* r = asRoot(object);
  switch (id) {
    case kRootDispose: Qz_DisposeObject(outermost(object)); return 1;
    case kRootSetLabel: r->label = reinterpret_cast<const char*>(args[0]); return 0;
    case kRootGetLabel: return reinterpret_cast<QzWord>(r->label);
    case kRootHandleIDCMP: return 2;
    case kRootSetDrawInfo: r->header.classWords[1] = args[0]; return 0;
    case kRootGetDrawInfo: return r->header.classWords[1];
    case kRootGetLayoutBox: return reinterpret_cast<QzWord>(&r->box);
    case kRootPlace: return place(r, args);
    case kRootOpen:
    case kRootClose: return 0;
    case kRootAddNotify: return qz::objects::notifyAdd(r, args);
    case kRootAddCallBackNotify: return qz::objects::notifyAddCallBack(r, args);
    case kRootRemoveNotify: return qz::objects::notifyRemove(r, args[0]);
    case kRootDoNotify: return qz::objects::notifyFire(r, args);
    case kRootSetWeight: r->weight = static_cast<int16_t>(args[0] & 0xFFFF); return 0;
    case kRootSetUserData: r->userData = args[0]; return 0;
    case kRootGetUserData: return r->userData;
    case kRootSelect:
    case kRootDeselect:
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2: return reinterpret_cast<QzWord>(outermost(object));
    case kRootShow:
      --r->hideCount;
      setHidden(r, r->hideCount > 0);
      return static_cast<uint32_t>(static_cast<int32_t>(r->hideCount));
    case kRootHide:
      ++r->hideCount;
      setHidden(r, r->hideCount > 0);
      return static_cast<uint32_t>(static_cast<int32_t>(r->hideCount));
    case kRootStoreChildren:
    case kRootRestoreChildren: return 0;
    case kRootStoreObject:
      return Qz__InternalStoreObject(outermost(object), reinterpret_cast<Qz_StoreObjectData*>(args[0]));
    case kRootSetObjectName: return setName(r, reinterpret_cast<const char*>(args[0]));
    case kRootGetObjectName: return reinterpret_cast<QzWord>(r->name);
    case kRootFindByName: {
      const char* wanted = reinterpret_cast<const char*>(args[0]);
      if (r->name == nullptr || wanted == nullptr || std::strcmp(r->name, wanted) != 0) return 0;
      return reinterpret_cast<QzWord>(outermost(object));
    }
    case kRootSetClipRegion: r->box.clipRegion = reinterpret_cast<Region*>(args[0]); return 0;
    case kRootSetAsyncPort: r->asyncPort = reinterpret_cast<MsgPort*>(args[0]); return 0;
    case kRootAsyncCall: {
      if (args == nullptr) return 0;
      MsgPort* port = r->asyncPort ? r->asyncPort : windowPortOf(object);
      return port ? Qz__QueueAsyncMethod(outermost(object), port, args) : 0;
    }
    case kRootSetBaseColour: r->baseColour = static_cast<uint32_t>(args[0]); return 1;
    case kRootSetLightColour: r->lightColour = static_cast<uint32_t>(args[0]); return 1;
    case kRootSetDarkColour: r->darkColour = static_cast<uint32_t>(args[0]); return 1;
    case kRootDeriveColours: return deriveColours(r, static_cast<uint32_t>(args[0]));
    case kRootHideCount: return r->hideCount > 0 ? static_cast<QzWord>(r->hideCount) : 0;
    case kRootPoke32: return poke(args, 32);
    case kRootPoke16: return poke(args, 16);
    case kRootPoke8: return poke(args, 8);
    case kRootSetToolTip: r->toolTip = reinterpret_cast<const char*>(args[0]); return args[0];
    case kRootGetToolTip:
    case kRootGetToolTipAt: return reinterpret_cast<QzWord>(r->toolTip);
    case kRootLockTree: return lockTree(r);
    case kRootUnlockTree: return unlockTree(r);
    case kRootEnable:
      --r->disableCount;
      return static_cast<uint32_t>(static_cast<int32_t>(r->disableCount));
    case kRootDisable:
      ++r->disableCount;
      return static_cast<uint32_t>(static_cast<int32_t>(r->disableCount));
    case kRootDisableCount: return r->disableCount > 0 ? static_cast<QzWord>(r->disableCount) : 0;
    case kRootResetHiding:
      r->hideCount = 0;
      setHidden(r, false);
      return 1;
    case kRootForceHidden:
      ++r->hideCount;
      setHidden(r, true);
      return static_cast<uint32_t>(static_cast<int32_t>(r->hideCount));
    case kRootKeepRestoreText: {
      Qz_NotifyHeader* header = qz::objects::notifyHeader(r);
      if (header == nullptr) return 0;
      qz::objects::notifySetRestoreText(header, reinterpret_cast<char*>(args[0]));
      return 0;
    }
    case kWindowIgnored1:
    case kWindowIgnored2:
    case kWindowIgnored3:
    case kMenuIgnored: return 0;
    case kRootDraw:
    case kRootMeasure: return 0;  // each visible class measures and draws itself
    default: return unknownMethod(id);
  }
}

bool rootSetUp(Qz_Object* object) {
  Qz_RootObject* r = asRoot(object);
  const Qz_GlobalData& g = qz::objects::globalData();
  object->classWords[0] = reinterpret_cast<QzWord>(&r->box);
  r->baseColour = 0xFFFFFFFF;
  r->lightColour = g.faceColourCopy;
  r->darkColour = g.highlightColour;
  r->weight = 100;
  r->label = kEmptyLabel;
  return true;
}

void rootDispose(Qz_Object* object) {
  Qz_RootObject* r = asRoot(object);
  qz::objects::notifyDisposeRoot(r);
  std::free(r->name);
  r->name = nullptr;
}

// The innermost instance of every object: it stands alone.
const qz::kit::ClassDecl kRoot = {
    .name = "Root", .classId = kRootClassId,
    .instance = {.size = sizeof(Qz_RootObject)}, .handler = rootDispatch, .methods = kRootMethods,
    .setUp = rootSetUp, .tearDown = rootDispose, .notice = "Root class of every object",
    .classValue = 500};

}  // namespace

QzWord Qz_InitRootClass(Qz_GlobalData*) { return qz::kit::addClass(kRoot); }
void Qz_CleanupRootClass(void) { qz::kit::removeClass(kRoot); }
