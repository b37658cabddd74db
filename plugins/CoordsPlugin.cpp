// CoordsPlugin: the pointer's position over the image as "(x,y)". While a
// shape is dragged (relative mode) it shows the distance from where the
// drag began.
#include <atomic>
#include <cstdio>
#include <mutex>

#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kCoordsClassId = 0x3E8000C;
constexpr uint32_t kTitleText = 239;
constexpr uint32_t kPointerMoved = 0x130064;  // x, y
constexpr uint32_t kRelativeMode = 0x130078;  // the mode; answered by 0x130082
constexpr uint32_t kGetRelativeMode = 0x130082;
// The panel's own, run on its window's thread: show the position.
constexpr uint32_t kShowPosition = 0x3E80717;
constexpr uint32_t kEvenShare = 100;

struct Qz_CoordsObject {
  Qz_Object header{};
  Qz_Object* text = nullptr;
  char label[256] = "(0,0)";
  std::mutex lock;  // the mode and origin: set by the threads reporting the pointer
  uint32_t relative = 0;
  int32_t originX = 0, originY = 0;
  QzWord follow[2] = {};
};

Qz_CoordsObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_CoordsObject>(o); }
Qz_CoordsObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_CoordsObject*>(user); }

QzWord Qz__Pack(int32_t x, int32_t y) { return QzWord(uint32_t(x)) << 32 | uint32_t(y); }

void Qz__Moved(Qz_CoordsObject* p, int32_t x, int32_t y) {
  int32_t shownX = x, shownY = y;
  {
    std::lock_guard<std::mutex> hold(p->lock);
    if (p->relative) {
      shownX = x - p->originX;
      shownY = y - p->originY;
    } else {
      p->originX = x;
      p->originY = y;
    }
  }
  qz::plugins::runOnPanelThread(&p->header, kShowPosition, Qz__Pack(shownX, shownY), 0);
}

uint32_t Qz__SetMode(Qz_CoordsObject* p, uint32_t mode) {
  int32_t x = 0, y = 0;
  {
    std::lock_guard<std::mutex> hold(p->lock);
    p->relative = mode;
    x = p->originX;
    y = p->originY;
  }
  Qz__Moved(p, x, y);  // relative mode shows (0,0) at once
  return mode;
}

void Qz__Follow(QzWord user, Qz_Object*, uint32_t method, const QzWord* value) {
  Qz_CoordsObject* p = Qz__FromUser(user);
  if (method == kPointerMoved) return Qz__Moved(p, int32_t(value[0]), int32_t(value[1]));
  Qz__SetMode(p, uint32_t(value[0]));
}

void Qz__Show(Qz_CoordsObject* p, QzWord packed) {
  std::snprintf(p->label, sizeof p->label, "(%ld,%ld)", long(int32_t(packed >> 32)), long(int32_t(packed)));
  Qz_DoMethod(p->text, kRootSetLabel, p->label);
  Qz_DoMethod(p->text, kRootDraw);
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_CoordsObject* p = Qz__Self(object);
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetFrame, 2);
  p->text = Qz_CreateObject("Text", kRootSetLabel, p->label);
  if (!row || !p->text) {
    Qz_DisposeObject(row);
    Qz_DisposeObject(p->text);
    p->text = nullptr;
    return nullptr;
  }
  // Spaces that centre the text without growing the row: a space's own
  // weight asks four shares of the room and would push the text out.
  Qz_AddObject(row, "Space", kFixHeight, kSpaceZeroSize, kRootSetWeight, kEvenShare);
  Qz_DoMethod(row, kGroupAddTail, p->text);
  Qz_AddObject(row, "Space", kFixHeight, kSpaceZeroSize, kRootSetWeight, kEvenShare);
  const char* title = qz::plugins::catalogueText(kTitleText);
  return qz::plugins::makePanel({title, title, nullptr}, row);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_CoordsObject* p = Qz__Self(object);
  const QzWord user = reinterpret_cast<QzWord>(p);
  p->follow[0] = qz::plugins::followApplication(kPointerMoved, Qz__Follow, user);
  p->follow[1] = qz::plugins::followApplication(kRelativeMode, Qz__Follow, user);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  for (QzWord& handle : Qz__Self(object)->follow) qz::plugins::stopFollowing(handle);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_CoordsObject* p = Qz__Self(object);
  switch (id) {
    case kRootStoreChildren: return 1;
    case kShowPosition: Qz__Show(p, args[0]); return 0;
    case kPointerMoved: Qz__Moved(p, int32_t(args[0]), int32_t(args[1])); return 0;
    case kRelativeMode: return Qz__SetMode(p, uint32_t(args[0]));
    case kGetRelativeMode: {
      std::lock_guard<std::mutex> hold(p->lock);
      return p->relative;
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kCoordsPlugin = {
    .name = "CoordsPlugin", .superName = "RootPlugin", .classId = kCoordsClassId,
    .instance = qz::kit::instanceOf<Qz_CoordsObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCoordsPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kCoordsPlugin); }
QZ_EXPORT void Qz_CleanupCoordsPluginClass(void) { qz::kit::removeClass(kCoordsPlugin); }
QZ_EXTERN_C_END
