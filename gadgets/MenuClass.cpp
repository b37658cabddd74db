// Menu: a title that drops down a pop-up of menu items. Only one menu is
// open at a time; with the button held, moving onto another menu's title
// opens that one and closes the first (sliding along a menu bar). Choosing
// a check item toggles it; the menu fires kPopUpChosen with the item.
#include <atomic>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace {

// The menu open now, and whether the button is held in a menu; every
// window's thread may look at them.
std::atomic<Qz_Object*> gOpenMenu{nullptr};
std::atomic<bool> gButtonHeld{false};

struct Qz_MenuObject {
  Qz_Object header;
  Qz_Object* title = nullptr;
  bool highlighted = false;
};

Qz_MenuObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_MenuObject>(o); }

bool Qz__IsOpen(Qz_Object* self) { return gOpenMenu.load() == self; }

void Qz__TellItems(Qz_Object* self) {
  for (auto* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self->super, kGroupFirst)); c;
       c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self->super, kGroupNext, c)))
    Qz_DoMethod(c, kMenuItemSetMenu, self);
}

QzWord Qz__Open(Qz_Object* self) {
  Qz_Object* other = gOpenMenu.load();
  const bool held = gButtonHeld.load();
  if (other && other != self) Qz_DoMethod(other, kRootDeselect);
  gButtonHeld = held;
  gOpenMenu = self;
  return Qz_DoMethod(self->super, kRootSelect);
}

QzWord Qz__Close(Qz_Object* self) {
  const QzWord r = Qz_DoMethod(self->super, kRootDeselect);
  Qz_Object* expected = self;
  gOpenMenu.compare_exchange_strong(expected, nullptr);
  return r;
}

// The pop-up part closed by itself (a release in its window ended it).
void Qz__Closed(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  Qz_Object* expected = reinterpret_cast<Qz_Object*>(user);
  if (gOpenMenu.compare_exchange_strong(expected, nullptr)) gButtonHeld = false;
}

// A check item toggles at each choice.
QzWord Qz__ItemChosen(Qz_Object* item) {
  if (!item || Qz_GetObjectClassID(item) != kMenuItemClassId) return 0;
  const auto state = uint32_t(Qz_DoMethod(item, kMenuItemGetCheck));
  if (state & kMenuItemChecked) Qz_DoMethod(item, kMenuItemSetCheck, kMenuItemCheckable);
  else if (state & kMenuItemCheckable) Qz_DoMethod(item, kMenuItemSetCheck, kMenuItemChecked);
  return 0;
}

void Qz__Highlight(Qz_MenuObject* m, bool on) {
  if (m->highlighted == on) return;
  m->highlighted = on;
  Qz_DoMethod(m->header.super, on ? kGroupHighlight : kGroupUnhighlight);
}

QzWord Qz__Input(Qz_MenuObject* m, const Qz_InputEvent* e) {
  if (!e) return 2;
  Qz_Object* self = &m->header;
  const bool over = Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) != 0;
  switch (e->cls) {
    case IDCMP_MOUSEBUTTONS:
      if (e->code == SELECTDOWN && over && !Qz_DoMethod(self, kRootDisableCount)) {
        gButtonHeld = true;
        Qz__Open(self);
        return 1;
      }
      if (e->code == SELECTUP) {
        if (Qz__IsOpen(self)) Qz__Close(self);
        gButtonHeld = false;
      }
      return 2;
    case IDCMP_MOUSEMOVE:
      if (!over) {
        Qz__Highlight(m, false);
      } else if (gButtonHeld.load() && !Qz__IsOpen(self) && gOpenMenu.load()) {
        Qz__Open(self);
      } else {
        Qz__Highlight(m, true);
      }
      return 2;
    case IDCMP_INACTIVEWINDOW:
    case IDCMP_MOUSELEFT: Qz__Highlight(m, false); return 2;
    default: return 2;
  }
}

QzWord Qz__MenuDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_MenuObject* m = Qz__Self(object);
  switch (id) {
    case kMenuSetTitle:
      Qz_DoMethod(m->title, kRootSetLabel, args[0]);
      Qz_RelayoutAndRedrawObject(object);
      return 0;
    case kMenuGetTitle: return Qz_DoMethod(m->title, kRootGetLabel);
    case kMenuItemSetShortcut:
    case 0x18003C: return 0;
    case kGroupAddHead:
    case kGroupAddTail:
      Qz_DoMethod(reinterpret_cast<Qz_Object*>(args[0]), kMenuItemSetMenu, object);
      return qz::kit::inherited(object, id, args);
    case kRootOpen:
      Qz__TellItems(object);
      return qz::kit::inherited(object, id, args);
    case kRootSelect: return Qz__Open(object);
    case kRootDeselect: return Qz__Close(object);
    case kPopUpChosen: return Qz__ItemChosen(reinterpret_cast<Qz_Object*>(args[0]));
    case kRootHandleIDCMP: return Qz__Input(m, reinterpret_cast<const Qz_InputEvent*>(args[0]));
    case kRootMeasure: {
      // A title keeps its own width; the bar's spare room stays at its end.
      const QzWord r = qz::kit::inherited(object, id, args);
      Qz_LayoutBox* b = &Qz_RootInstance(object)->box;
      b->width = b->maxWidth = b->minWidth;
      return r;
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakePopUp(Qz_Object*) {
  return Qz_CreateObject("PopUp", kPopUpSetPlacement, 8, kGroupSetMode, 2, kGroupSetSpacing, 0, kGroupSetFrame, 19);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_MenuObject* m = Qz__Self(object);
  Qz_Object* face = object->super;
  m->title = Qz_CreateObject("Text", kRootSetLabel, "");
  Qz_Object* before = Qz_CreateObject("Space", kFixWidth, 8, kFixHeight, 1);
  Qz_Object* after = Qz_CreateObject("Space", kFixWidth, 8, kFixHeight, 1);
  if (!m->title || !before || !after) {
    Qz_DisposeObject(m->title);
    Qz_DisposeObject(before);
    Qz_DisposeObject(after);
    return false;
  }
  Qz_DoMethod(face, kGroupAddTail, before);
  Qz_DoMethod(face, kGroupAddTail, m->title);
  Qz_DoMethod(face, kGroupAddTail, after);
  Qz_DoMethod(face, kPopUpChildrenInPopUp, 1);
  Qz_DoMethod(face, kGroupSetFrame, 1);  // the dropped-down items' frame
  // Its own choices come back to it: check items toggle.
  Qz_AddNotify(object, kPopUpChosen, kNotifyAnyValue, object, 2, kPopUpChosen, kNotifySameWord);
  Qz_AddCallBackNotify(object, kPopUpClosed, kNotifyAnyValue, Qz__Closed, reinterpret_cast<QzWord>(object));
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz__Close(object);
}

const qz::kit::ClassDecl kMenu = {
    .name = "Menu", .superName = "PopUp", .classId = kMenuClassId,
    .instance = qz::kit::instanceOf<Qz_MenuObject>(), .handler = Qz__MenuDispatch,
    .makeSuper = Qz__MakePopUp, .setUp = Qz__SetUp, .tearDown = Qz__TearDown,
    .notice = "Title dropping down menu items"};

// Every method goes to its row of menus.
Qz_Object* Qz__MakeRow(Qz_Object*) { return Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 0); }

const qz::kit::ClassDecl kMenuBar = {
    .name = "MenuBar", .superName = "PopUp", .classId = kMenuBarClassId, .makeSuper = Qz__MakeRow,
    .notice = "Row of menus"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMenuClass(Qz_GlobalData*) { return qz::kit::addClass(kMenu); }
QZ_EXPORT void Qz_CleanupMenuClass(void) { qz::kit::removeClass(kMenu); }
QZ_EXPORT QzWord Qz_InitMenuBarClass(Qz_GlobalData*) { return qz::kit::addClass(kMenuBar); }
QZ_EXPORT void Qz_CleanupMenuBarClass(void) { qz::kit::removeClass(kMenuBar); }
QZ_EXTERN_C_END
