// MenuItem: one line of a menu. Chosen (released over, or its Ctrl+letter
// shortcut), it makes its menu fire kPopUpChosen with the item unless it is
// disabled. It can carry a picture, a check mark and a shortcut; its first
// child turns it into a sub-menu item, in the same place.
#include <cctype>
#include <cstdio>

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

// The value the window's shortcut search does not compare.
constexpr QzWord kShortcutValue = 123456;
constexpr int16_t kTextIndent = 22;

struct Qz_MenuItemObject {
  Qz_Object header;
  Qz_Object* picture = nullptr;
  Qz_Object* text = nullptr;
  Qz_Object* leftSpace = nullptr;
  Qz_Object* menu = nullptr;
  char shortcutText[16] = {};
  uint32_t check = 0;
  Qz_Object* checkMark = nullptr;
  Qz_ShortcutKey* shortcut = nullptr;
  bool subMenu = false;
};

Qz_MenuItemObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_MenuItemObject>(o); }

Qz_Object* Qz__Space(int16_t width, int16_t height) {
  return Qz_CreateObject("Space", kFixWidth, uint32_t(width), kFixHeight, uint32_t(height));
}

void Qz__Relayout(Qz_MenuItemObject* m) { Qz_RelayoutAndRedrawObject(&m->header); }

// Goes after `after` in the item's face.
void Qz__InsertAfter(Qz_MenuItemObject* m, Qz_Object* object, Qz_Object* after) {
  Qz_DoMethod(m->header.super, kGroupInsertMember, object, after);
}

QzWord Qz__SetPicture(Qz_MenuItemObject* m, const QzWord* args) {
  if (!m->picture) {
    m->picture = Qz_CreateObject("BitMap", kFixWidth, 16, kFixHeight, 13);
    if (!m->picture) return 0;
    Qz_DoMethod(m->leftSpace, kFixWidth, 3);
    Qz_Object* gap = Qz__Space(3, 1);
    Qz__InsertAfter(m, m->picture, m->leftSpace);
    if (gap) Qz__InsertAfter(m, gap, m->picture);
  }
  const QzWord r = Qz_DoMethodA(m->picture, kBitMapLoad, args);
  Qz__Relayout(m);
  return r;
}

QzWord Qz__SetCheck(Qz_MenuItemObject* m, uint32_t state) {
  m->check = state;
  if ((state & (kMenuItemChecked | kMenuItemCheckable)) && !m->checkMark) {
    m->checkMark = Qz_CreateObject("VectorImage", kFixWidth, 12, kFixHeight, 12);
    if (m->checkMark) {
      Qz_DoMethod(m->leftSpace, kFixWidth, 7);
      Qz_Object* gap = Qz__Space(3, 1);
      Qz__InsertAfter(m, m->checkMark, m->leftSpace);
      if (gap) Qz__InsertAfter(m, gap, m->checkMark);
    }
  }
  if (m->checkMark) {
    Qz_DoMethod(m->checkMark, kVectorImageSetKind, (state & kMenuItemChecked) ? kVectorImageCheckMark : 0x5003C);
    Qz_DoMethod(m->checkMark, kRootDraw);
  }
  Qz__Relayout(m);
  return state;
}

// A shortcut replaces the one the item had; its text goes at the right end.
QzWord Qz__SetShortcut(Qz_MenuItemObject* m, uint32_t character) {
  Qz_Object* self = Qz_GetTopMostObject(&m->header);
  Qz_RemoveGlobalShortcutKey(m->shortcut);
  m->shortcut = Qz_AddGlobalShortcutKey(character, kShortcutValue, 0, self, 1, kPopUpChosen);
  const bool had = m->shortcutText[0] != '\0';
  std::snprintf(m->shortcutText, sizeof m->shortcutText, "Ctrl+%c", std::toupper(int(character & 0xFF)));
  if (!had) {
    Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 0);
    Qz_Object* label = Qz_CreateObject("Text", kRootSetLabel, m->shortcutText);
    Qz_Object* gap = Qz__Space(12, 1);
    if (row && label && gap) {
      Qz_DoMethod(row, kGroupAddTail, Qz__Space(12, 1));
      Qz_DoMethod(row, kGroupAddTail, label);
      Qz_DoMethod(row, kGroupAddTail, gap);
      Qz_DoMethod(m->header.super, kGroupAddTail, row);
    } else {
      Qz_DisposeObject(row);
      Qz_DisposeObject(label);
      Qz_DisposeObject(gap);
    }
  }
  Qz__Relayout(m);
  return m->shortcut ? 1 : 0;
}

QzWord Qz__SetMenu(Qz_MenuItemObject* m, Qz_Object* menu) {
  m->menu = menu;
  if (m->subMenu) {
    for (auto* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(m->header.super, kGroupFirst)); c;
         c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(m->header.super, kGroupNext, c)))
      Qz_DoMethod(c, kMenuItemSetMenu, menu);
  }
  return 0;
}

// The first child makes the face a pop-up in place of the plain button.
bool Qz__BecomeSubMenu(Qz_MenuItemObject* m) {
  if (m->subMenu) return true;
  Qz_Object* self = &m->header;
  Qz_Object* outer = Qz_GetTopMostObject(self);
  const char* label = reinterpret_cast<const char*>(Qz_DoMethod(m->text, kRootGetLabel));
  Qz_Object* popUp = Qz_CreateObject("PopUp", kPopUpSetPlacement, 2, kGroupSetMode, 2, kGroupSetSpacing, 0,
                                     kGroupSetFrame, 19);
  Qz_Object* space = Qz__Space(kTextIndent, 13);
  Qz_Object* text = Qz_CreateObject("Text", kRootSetLabel, label ? label : "");
  if (!popUp || !space || !text) {
    Qz_DisposeObject(popUp);
    Qz_DisposeObject(space);
    Qz_DisposeObject(text);
    return false;
  }
  Qz_DoMethod(popUp, kGroupAddTail, space);
  Qz_DoMethod(popUp, kGroupAddTail, text);
  Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 1);
  const Qz_RootObject* oldRoot = Qz_RootInstance(self->super);
  Qz_DoMethod(popUp, kRootSetBaseColour, oldRoot->baseColour);
  Qz_DoMethod(popUp, kRootSetDarkColour, oldRoot->darkColour);
  // Taken out and put back after the member before it, so it keeps its place.
  Qz_Object* parent = Qz_GetParentObject(outer);
  Qz_Object* before = parent ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(parent, kGroupPrevious, outer)) : nullptr;
  if (parent) Qz_DoMethod(parent, kGroupRemove, outer);
  Qz_Object* old = self->super;
  self->super = popUp;
  popUp->owner = self;
  Qz_DisposeObject(old);
  m->text = text;
  m->leftSpace = space;
  m->picture = m->checkMark = nullptr;
  m->subMenu = true;
  if (parent) Qz_DoMethod(parent, kGroupInsertMember, outer, before);
  return true;
}

QzWord Qz__AddChild(Qz_MenuItemObject* m, uint32_t id, const QzWord* args) {
  if (!Qz__BecomeSubMenu(m)) return 0;
  Qz_DoMethod(reinterpret_cast<Qz_Object*>(args[0]), kMenuItemSetMenu, m->menu);
  return Qz_DoMethodA(m->header.super, id, args);
}

QzWord Qz__Chosen(Qz_MenuItemObject* m) {
  Qz_Object* self = Qz_GetTopMostObject(&m->header);
  if (Qz_DoMethod(self, kRootDisableCount) || !m->menu) return 0;
  Qz_DoNotify(m->menu, kPopUpChosen, self);
  return 1;
}

// The sub-menus other items of the same menu have open close (with those
// open inside them): the pointer has left them for this item.
void Qz__CloseSiblingSubMenus(Qz_Object* self) {
  Qz_Object* outer = Qz_GetTopMostObject(self);
  Qz_Object* parent = Qz_GetParentObject(outer);
  if (!parent) return;
  for (auto* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(parent, kGroupFirst)); c;
       c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(parent, kGroupNext, c))) {
    if (c == outer || Qz_GetObjectClassID(c) != kMenuItemClassId) continue;
    if (Qz__Self(c)->subMenu) Qz_DoMethod(c->super, kRootDeselect);
  }
}

// With the button still held from opening the menu, the pointer sliding
// onto an item closes the sub-menu another item has open, and onto a
// sub-menu item opens its sub-menu: no press comes to open it otherwise.
void Qz__SlideOnto(Qz_MenuItemObject* m, const Qz_InputEvent* e) {
  Qz_Object* self = &m->header;
  if (!e || e->cls != IDCMP_MOUSEMOVE || (e->qualifier & IEQUALIFIER_LEFTBUTTON) == 0) return;
  if (!Qz_IsCoordOverObject(self, e->mouseX, e->mouseY)) return;
  Qz__CloseSiblingSubMenus(self);
  if (m->subMenu && !Qz_DoMethod(self, kRootDisableCount)) Qz_DoMethod(m->header.super, kRootSelect);
}

QzWord Qz__MenuItemDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_MenuItemObject* m = Qz__Self(object);
  switch (id) {
    case kMenuItemSetPicture: return Qz__SetPicture(m, args);
    case kMenuItemSetText:
      Qz_DoMethod(m->text, kRootSetLabel, args[0]);
      Qz__Relayout(m);
      return 0;
    case kMenuItemGetText: return Qz_DoMethod(m->text, kRootGetLabel);
    case kMenuItemSetShortcut: return Qz__SetShortcut(m, uint32_t(args[0]));
    case 0x18003C: return 0;
    case kMenuItemSetMenu: return Qz__SetMenu(m, reinterpret_cast<Qz_Object*>(args[0]));
    case kMenuItemSetCheck: return Qz__SetCheck(m, uint32_t(args[0]));
    case kMenuItemGetCheck: return m->check;
    case kGroupAddHead:
    case kGroupAddTail: return Qz__AddChild(m, id, args);
    case kPopUpChosen: return Qz__Chosen(m);
    case kRootHandleIDCMP:
      Qz__SlideOnto(m, reinterpret_cast<const Qz_InputEvent*>(args[0]));
      return qz::kit::inherited(object, id, args);
    // Under the pointer in an open menu the item lights up and is what a
    // release chooses; a disabled one is never chosen.
    case kRootObjectAtPoint:
      if (m->subMenu || !Qz_IsCoordOverObject(object, int32_t(args[0]), int32_t(args[1])) ||
          Qz_DoMethod(object, kRootDisableCount))
        return 0;
      Qz_DoMethod(object->super, kGroupHighlight);
      return reinterpret_cast<QzWord>(Qz_GetTopMostObject(object));
    case kRootObjectAtPoint2:
      if (!m->subMenu) Qz_DoMethod(object->super, kGroupUnhighlight);
      return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

// The text is what a stored menu names its items by.
const Qz_Method kMenuItemMethods[] = {
    {kMenuItemSetText, "Qz_SetMenuItemText", kQzMethodSetter, kMenuItemGetText, "%s", 0, nullptr, 0, 0},
    {kMenuItemGetText, "Qz_GetMenuItemText", kQzMethodStoredGetter, kMenuItemSetText, nullptr, 0, "%s", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

Qz_Object* Qz__MakeButton(Qz_Object*) {
  return Qz_CreateObject("Button", kGroupSetMode, 2, kGroupSetSpacing, 0, kGroupSetFrame, 19);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_MenuItemObject* m = Qz__Self(object);
  m->leftSpace = Qz__Space(kTextIndent, 1);
  m->text = Qz_CreateObject("Text", kRootSetLabel, "");
  if (!m->leftSpace || !m->text) {
    Qz_DisposeObject(m->leftSpace);
    Qz_DisposeObject(m->text);
    return false;
  }
  Qz_DoMethod(object->super, kGroupAddTail, m->leftSpace);
  Qz_DoMethod(object->super, kGroupAddTail, m->text);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_MenuItemObject* m = Qz__Self(object);
  Qz_RemoveGlobalShortcutKey(m->shortcut);
  m->shortcut = nullptr;
}

const qz::kit::ClassDecl kMenuItem = {
    .name = "MenuItem", .superName = "PopUp", .classId = kMenuItemClassId,
    .instance = qz::kit::instanceOf<Qz_MenuItemObject>(), .handler = Qz__MenuItemDispatch,
    .methods = kMenuItemMethods,
    .makeSuper = Qz__MakeButton, .setUp = Qz__SetUp, .tearDown = Qz__TearDown,
    .notice = "One line of a menu", .classValue = 100};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMenuItemClass(Qz_GlobalData*) { return qz::kit::addClass(kMenuItem); }
QZ_EXPORT void Qz_CleanupMenuItemClass(void) { qz::kit::removeClass(kMenuItem); }
QZ_EXTERN_C_END
