// PopUpList: a choice among entries. It shows the current entry beside an
// arrow; a press opens a list of every entry's label with the current line
// under the pointer (or below the gadget), and the line released over
// becomes current: kPopUpListSetEntry fires with the entry, then
// kPopUpListSetIndex with its index, once per choice.
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

struct Qz_PopUpListObject {
  Qz_Object header;
  Qz_Object* popUp = nullptr;    // the arrow button that opens the list
  Qz_Object* entries = nullptr;  // one entry shown at a time
  Qz_Object* list = nullptr;     // the lines shown in the pop-up window
  uint32_t flags = 1;
  bool listBuilt = true;
  bool lineChosen = false;
};

Qz_PopUpListObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_PopUpListObject>(o); }
Qz_PopUpListObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_PopUpListObject*>(user); }

int32_t Qz__CurrentIndex(Qz_PopUpListObject* l) { return int32_t(Qz_DoMethod(l->entries, kGroupGetPageIndex)); }

void Qz__FireChoice(Qz_PopUpListObject* l) {
  const int32_t index = Qz__CurrentIndex(l);
  Qz_Object* entry = reinterpret_cast<Qz_Object*>(Qz_DoMethod(l->entries, kGroupMemberAt, uint32_t(index)));
  Qz_DoNotify(&l->header, kPopUpListSetEntry, entry);
  Qz_DoNotify(&l->header, kPopUpListSetIndex, uint32_t(index));
}

QzWord Qz__SetIndex(Qz_PopUpListObject* l, int32_t index) {
  if (index == Qz__CurrentIndex(l)) return uint32_t(index);
  auto* entry = reinterpret_cast<Qz_Object*>(Qz_DoMethod(l->entries, kGroupMemberAt, uint32_t(index)));
  if (!entry) return uint32_t(Qz__CurrentIndex(l));
  Qz_DoMethod(l->entries, kGroupShowPage, uint32_t(index));
  Qz_RelayoutAndRedrawObject(&l->header);
  Qz__FireChoice(l);
  return uint32_t(index);
}

void Qz__DisposeLines(Qz_PopUpListObject* l) {
  while (auto* line = reinterpret_cast<Qz_Object*>(Qz_DoMethod(l->list, kGroupFirst))) {
    Qz_DoMethod(l->list, kGroupRemove, line);
    Qz_DisposeObject(line);
  }
}

// Opening: one line per entry, the current one to come under the pointer.
void Qz__Opening(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_PopUpListObject* l = Qz__FromUser(user);
  auto** slot = reinterpret_cast<Qz_Object**>(value[0]);
  Qz__DisposeLines(l);
  const int32_t current = Qz__CurrentIndex(l);
  Qz_Object* currentLine = nullptr;
  uint32_t index = 0;
  for (auto* e = reinterpret_cast<Qz_Object*>(Qz_DoMethod(l->entries, kGroupFirst)); e;
       e = reinterpret_cast<Qz_Object*>(Qz_DoMethod(l->entries, kGroupNext, e)), ++index) {
    const auto* label = reinterpret_cast<const char*>(Qz_DoMethod(e, kRootGetLabel));
    Qz_Object* line = Qz_CreateObject("Text", kRootSetLabel, label ? label : "", kTextSetMode, kTextModeOpaque,
                                      kRootSetUserData, index);
    if (!line) continue;
    Qz_DoMethod(l->list, kGroupAddTail, line);
    if (int32_t(index) == current) currentLine = line;
  }
  if (l->flags & kPopUpListOpensBelow) Qz_DoMethod(l->popUp, kPopUpSetPlacement, 8);
  else Qz_DoMethod(l->popUp, kPopUpSetPlacement, currentLine ? reinterpret_cast<QzWord>(currentLine) : Qz_DoMethod(l->list, kGroupFirst));
  l->lineChosen = false;
  l->listBuilt = false;
  if (slot && Qz_DoMethod(l->list, kGroupFirst)) *slot = l->list;
}

void Qz__LineChosen(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_PopUpListObject* l = Qz__FromUser(user);
  auto* line = reinterpret_cast<Qz_Object*>(value[0]);
  bool ours = false;
  for (auto* m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(l->list, kGroupFirst)); m && !ours;
       m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(l->list, kGroupNext, m)))
    ours = m == line;
  if (!line || !ours) return;
  auto* entry = reinterpret_cast<Qz_Object*>(
      Qz_DoMethod(l->entries, kGroupMemberAt, uint32_t(Qz_DoMethod(line, kRootGetUserData))));
  if (!entry) return;
  Qz_DoMethod(l->entries, kGroupShowPageObject, entry);
  l->lineChosen = true;
}

void Qz__Closed(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  Qz_PopUpListObject* l = Qz__FromUser(user);
  if (l->listBuilt) return;  // once per opening
  l->listBuilt = true;
  Qz__DisposeLines(l);
  Qz_RelayoutAndRedrawObject(&l->header);
  if (l->lineChosen) Qz__FireChoice(l);
  l->lineChosen = false;
}

QzWord Qz__Input(Qz_PopUpListObject* l, const QzWord* args) {
  const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  Qz_Object* self = &l->header;
  if (e && e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN && Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) &&
      !Qz_DoMethod(self, kRootDisableCount))
    Qz_DoMethod(l->popUp, kRootSelect);
  else if (e && e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTUP)
    Qz_DoMethod(l->popUp, kRootDeselect);
  return 2;
}

bool Qz__IsListMethod(uint32_t id) { return (id >> 16) == 0x47; }

QzWord Qz__PopUpListDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_PopUpListObject* l = Qz__Self(object);
  if (id == kGroupAddHead || id == kGroupAddTail || id == kGroupInsertMember) {
    // A new entry does not change which one is current (the first, at first).
    const QzWord current = Qz_DoMethod(l->entries, kGroupGetPageObject);
    const QzWord r = Qz_DoMethodA(l->entries, id, args);
    if (current) Qz_DoMethod(l->entries, kGroupShowPageObject, current);
    else Qz_DoMethod(l->entries, kGroupShowPage, 0);
    return r;
  }
  if (Qz__IsListMethod(id)) return Qz_DoMethodA(l->entries, id, args);
  switch (id) {
    case kPopUpListSetIndex: return Qz__SetIndex(l, int32_t(args[0]));
    case kPopUpListGetIndex: return uint32_t(Qz__CurrentIndex(l));
    case kPopUpListGetEntry: return Qz_DoMethod(l->entries, kGroupGetPageObject);
    case kPopUpListSetEntry: {
      const QzWord index = Qz_DoMethod(l->entries, kGroupIndexOf, args[0]);
      return Qz__SetIndex(l, int32_t(index));
    }
    case kPopUpListSetFlags: l->flags = args[0] & 0xFF; return 0;
    case kRootHandleIDCMP: return Qz__Input(l, args);
    case kRootSelect:  // opens and closes the list, as a pop-up does
    case kRootDeselect: return Qz_DoMethodA(l->popUp, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakeRow(Qz_Object*) { return Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 0); }

bool Qz__SetUp(Qz_Object* object) {
  Qz_PopUpListObject* l = Qz__Self(object);
  Qz_Object* row = object->super;
  Qz_Object* arrow = Qz_CreateObject("VectorImage", kVectorImageSetKind, kVectorImageRightArrow, kFixWidth, 10,
                                     kFixHeight, 10);
  l->popUp = Qz_CreateObject("PopUp", kGroupAddTail, arrow);
  l->entries = Qz_CreateObject("Group", kGroupSetMode, 4, kGroupSetFrame, 2);
  l->list = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 1, kGroupSetInnerSpacing, 4,
                            kGroupSetFrame, 1);
  if (!arrow || !l->popUp || !l->entries || !l->list) {
    if (!l->popUp) Qz_DisposeObject(arrow);
    Qz_DisposeObject(l->popUp);
    Qz_DisposeObject(l->entries);
    Qz_DisposeObject(l->list);
    return false;
  }
  Qz_DoMethod(row, kGroupAddTail, l->popUp);
  Qz_DoMethod(row, kGroupAddTail, l->entries);
  const QzWord user = reinterpret_cast<QzWord>(l);
  Qz_AddCallBackNotify(l->popUp, kPopUpOpening, kNotifyAnyValue, Qz__Opening, user);
  Qz_AddCallBackNotify(l->popUp, kPopUpChosen, kNotifyAnyValue, Qz__LineChosen, user);
  Qz_AddCallBackNotify(l->popUp, kPopUpClosed, kNotifyAnyValue, Qz__Closed, user);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_PopUpListObject* l = Qz__Self(object);
  Qz_DoMethod(l->popUp, kRootDeselect);
  Qz__DisposeLines(l);
  Qz_DisposeObject(l->list);
  l->list = nullptr;
}

const qz::kit::ClassDecl kPopUpList = {
    .name = "PopUpList", .superName = "PopUp", .classId = kPopUpListClassId,
    .instance = qz::kit::instanceOf<Qz_PopUpListObject>(), .handler = Qz__PopUpListDispatch,
    .makeSuper = Qz__MakeRow, .setUp = Qz__SetUp, .tearDown = Qz__TearDown,
    .notice = "Choice among entries in a pop-up list"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPopUpListClass(Qz_GlobalData*) { return qz::kit::addClass(kPopUpList); }
QZ_EXPORT void Qz_CleanupPopUpListClass(void) { qz::kit::removeClass(kPopUpList); }
QZ_EXTERN_C_END
