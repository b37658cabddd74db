// Screen: a Group of Window objects over one platform screen.
#include <atomic>
#include <cstdio>

#include "gadgets/qz_group.h"
#include "gadgets/qz_screen.h"
#include "objects/qz_class_record.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"
#include "platform/windows.h"

namespace {

const Qz_Method kScreenMethods[] = {
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

Qz_Class gScreenClass;

constexpr QzWord kOpenScreenDisplayId = 0x80000025;
constexpr QzWord kOpenScreenDepth = 0x80000032;
constexpr QzWord kOpenScreenPubName = 0x8000002F;
constexpr QzWord kOpenScreenPens = 0x8000002A;
constexpr QzWord kOpenScreenFullPalette = 0x80000047;
constexpr QzWord kOpenScreenShowTitle = 0x8000003B;
constexpr QzWord kOpenScreenLikeWorkbench = 0x80000040;

struct ScreenObject {
  Qz_Object header;
  char title[256];
  char pubName[256];
  uint32_t value1;
  uint32_t type;
  Screen* screen;
  uint32_t value2, value3;
  int32_t width, height;
  int32_t depth;
  uint32_t display;
  Qz_Object* menu;
};

ScreenObject* asScreen(Qz_Object* o) { return reinterpret_cast<ScreenObject*>(o); }

// Window threads ask for the platform screen while the App's thread opens
// and closes it.
void publishScreen(ScreenObject* s, Screen* screen) {
  std::atomic_ref<Screen*>(s->screen).store(screen, std::memory_order_release);
}

Screen* publishedScreen(ScreenObject* s) {
  return std::atomic_ref<Screen*>(s->screen).load(std::memory_order_acquire);
}

void copyText(char* out, std::size_t size, QzWord text) {
  const char* s = reinterpret_cast<const char*>(text);
  std::snprintf(out, size, "%s", s != nullptr ? s : "");
}

QzWord setMenu(Qz_Object* self, QzWord menu) {
  asScreen(self)->menu = reinterpret_cast<Qz_Object*>(menu);
  Qz_DoMethodForAll(self->super, kGroupMenuObject, menu);
  return 1;
}

QzWord openScreen(Qz_Object* self) {
  ScreenObject* s = asScreen(self);
  if (s->type == 0 || s->type == 1) {
    publishScreen(s, LockPubScreen(s->pubName[0] != '\0' ? s->pubName : nullptr));
  } else if (s->type == 2) {
    if (s->screen == nullptr) {
      static const uint16_t kNoPens[] = {0xFFFF};
      publishScreen(s, OpenScreenTags(nullptr, kOpenScreenFullPalette, 1, kOpenScreenDisplayId, s->display,
                                 kOpenScreenDepth, s->depth, kOpenScreenPubName, s->pubName, SA_Title, s->title,
                                 kOpenScreenShowTitle, 0, kOpenScreenLikeWorkbench, 1, kOpenScreenPens, kNoPens,
                                 TAG_DONE));
    } else {
      return 1;
    }
  } else {
    return 0;
  }
  if (s->screen == nullptr) return 0;
  s->width = s->screen->Width;
  s->height = s->screen->Height;
  setMenu(self, reinterpret_cast<QzWord>(s->menu));
  Qz_DoMethodForAll(self->super, kRootShow);
  return 1;
}

QzWord closeScreen(Qz_Object* self) {
  ScreenObject* s = asScreen(self);
  const bool known = s->type <= 2;
  // Taken away before the windows hide, so an open still queued on a
  // window's thread finds no screen and stays shut.
  Screen* screen = s->screen;
  if (known) publishScreen(s, nullptr);
  Qz_DoMethodForAll(self->super, kRootHide);
  if (s->type == 2 && screen != nullptr) {
    while (CloseScreen(screen) == 0) Delay(10);
  }
  return known ? 1 : 0;
}

QzWord screenDispatch(Qz_Object* self, uint32_t id, const QzWord* args) {
  ScreenObject* s = asScreen(self);
  switch (id) {
    case kScreenOpen: return openScreen(self);
    case kScreenClose: return closeScreen(self);
    case kRootOpen:
      if (s->screen == nullptr) openScreen(self);
      return Qz_DoMethodA(self->super, kRootOpen, args);
    case kRootClose:
      closeScreen(self);
      return Qz_DoMethodA(self->super, kRootClose, args);
    case kScreenSetTitle: copyText(s->title, sizeof s->title, args[0]); return 0;
    case kScreenGetTitle: return reinterpret_cast<QzWord>(s->title);
    case kScreenSetPubName: copyText(s->pubName, sizeof s->pubName, args[0]); return 0;
    case kScreenGetPubName: return reinterpret_cast<QzWord>(s->pubName);
    case kScreenSetType: s->type = static_cast<uint32_t>(args[0]); return s->type;
    case kScreenGetType: return s->type;
    case kScreenSetValue1: s->value1 = static_cast<uint32_t>(args[0]); return 0;
    case kScreenGetValue1: return s->value1;
    case kScreenSetValue2: s->value2 = static_cast<uint32_t>(args[0]); return 0;
    case kScreenGetValue2: return s->value2;
    case kScreenSetValue3: s->value3 = static_cast<uint32_t>(args[0]); return 0;
    case kScreenGetValue3: return s->value3;
    case kScreenSetWidth: s->width = static_cast<int32_t>(args[0]); return 0;
    case kScreenGetWidth: return static_cast<uint32_t>(s->width);
    case kScreenSetHeight: s->height = static_cast<int32_t>(args[0]); return 0;
    case kScreenGetHeight: return static_cast<uint32_t>(s->height);
    case kScreenSetDepth: s->depth = static_cast<int32_t>(args[0]); return 0;
    case kScreenGetDepth: return static_cast<uint32_t>(s->depth);
    case kScreenSetDisplay: s->display = static_cast<uint32_t>(args[0]); return 0;
    case kScreenGetDisplay: return s->display;
    case kScreenGetPlatformScreen: return reinterpret_cast<QzWord>(publishedScreen(s));
    case kScreenSetMenu: return setMenu(self, args[0]);
    case kScreenMenuCommand: return Qz_DoNotify(Qz_GetTopMostObject(self), kScreenMenuCommand, args[0]);
    case kGroupAddHead:
    case kGroupAddTail:
      if (s->menu != nullptr) Qz_DoMethod(reinterpret_cast<Qz_Object*>(args[0]), kGroupMenuObject, s->menu);
      return Qz_DoMethodA(self->super, id, args);
    default: return Qz_DoMethodA(self->super, id, args);
  }
}

Qz_Object* screenNew(Qz_Class* objectClass, const QzWord* args) {
  (void)args;
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (object == nullptr) return nullptr;
  object->super = Qz_CreateObject("Group", kRootSetWeight, 1);
  if (object->super == nullptr) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  return object;
}

void screenDispose(Qz_Object* object) {
  if (asScreen(object)->screen != nullptr) closeScreen(object);
  Qz_DisposeObject(object->super);
  Qz_FreeObjectMem(object);
}

}  // namespace

QzWord Qz_InitScreenClass(Qz_GlobalData* globalData) {
  (void)globalData;
  static const Qz_ClassSpec spec = {
      "Screen", "The screen above the application's windows", kScreenClassId, "Group",
      screenNew, screenDispose, screenDispatch, kScreenMethods,
      sizeof(ScreenObject), 1};
  return Qz_RegisterClassRecord(&gScreenClass, &spec);
}

void Qz_CleanupScreenClass(Qz_GlobalData* globalData) {
  (void)globalData;
  Qz_UnregisterClassRecord(&gScreenClass);
}
