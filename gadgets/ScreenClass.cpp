// Screen: a Group of Window objects over one platform screen.
#include <atomic>
#include <cstdio>

#include "gadgets/qz_group.h"
#include "gadgets/qz_screen.h"
#include "objects/qz_class_kit.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"
#include "platform/windows.h"

namespace {

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
  uint32_t value2;
  uint32_t value3;
  int32_t width;
  int32_t height;
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
  Qz_GetScreenSize(s->screen, &s->width, &s->height);
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
    case kScreenGetPlatformScreen: return reinterpret_cast<QzWord>(publishedScreen(s));
    case kScreenSetMenu: return setMenu(self, args[0]);
    case kScreenMenuCommand: return Qz_DoNotify(Qz_GetTopMostObject(self), kScreenMenuCommand, args[0]);
    case kGroupAddHead:
    case kGroupAddTail:
      if (s->menu != nullptr) Qz_DoMethod(reinterpret_cast<Qz_Object*>(args[0]), kGroupMenuObject, s->menu);
      return Qz_DoMethodA(self->super, id, args);
    default: return qz::kit::inherited(self, id, args);
  }
}

// Plain settings: stored as given, read back as stored.
const qz::kit::Attribute kScreenAttributes[] = {
    {.setter = kScreenSetType, .getter = kScreenGetType, .field = qz::kit::field(&ScreenObject::type)},
    {.setter = kScreenSetValue1, .getter = kScreenGetValue1, .field = qz::kit::field(&ScreenObject::value1),
     .answersZero = true},
    {.setter = kScreenSetValue2, .getter = kScreenGetValue2, .field = qz::kit::field(&ScreenObject::value2),
     .answersZero = true},
    {.setter = kScreenSetValue3, .getter = kScreenGetValue3, .field = qz::kit::field(&ScreenObject::value3),
     .answersZero = true},
    {.setter = kScreenSetWidth, .getter = kScreenGetWidth, .field = qz::kit::field(&ScreenObject::width),
     .answersZero = true},
    {.setter = kScreenSetHeight, .getter = kScreenGetHeight, .field = qz::kit::field(&ScreenObject::height),
     .answersZero = true},
    {.setter = kScreenSetDepth, .getter = kScreenGetDepth, .field = qz::kit::field(&ScreenObject::depth),
     .answersZero = true},
    {.setter = kScreenSetDisplay, .getter = kScreenGetDisplay, .field = qz::kit::field(&ScreenObject::display),
     .answersZero = true},
};

void screenTearDown(Qz_Object* object) {
  if (asScreen(object)->screen != nullptr) closeScreen(object);
}

const TagItem kScreenSuperTags[] = {{kRootSetWeight, 1}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kScreenClass = {
    .name = "Screen", .superName = "Group", .classId = kScreenClassId,
    .instance = qz::kit::instanceOf<ScreenObject>(), .handler = screenDispatch,
    .attributes = kScreenAttributes, .superTags = kScreenSuperTags, .tearDown = screenTearDown,
    .notice = "The screen above the application's windows", .classValue = 1};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitScreenClass(Qz_GlobalData*) { return qz::kit::addClass(kScreenClass); }
QZ_EXPORT void Qz_CleanupScreenClass(void) { qz::kit::removeClass(kScreenClass); }
QZ_EXTERN_C_END
