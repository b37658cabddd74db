// PopUpToolList: a palette of tool buttons opening to the right of its
// face. The face shows the picture of the chosen tool (the first one until
// a choice); choosing fires kPopUpToolListChosen with the tool button.
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace {

struct Qz_ToolListObject {
  Qz_Object header;
  Qz_Object* chosen = nullptr;
  Qz_Object* face = nullptr;  // the picture on the button
  bool drawn = false;
};

Qz_ToolListObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ToolListObject>(o); }

Qz_Object* Qz__PictureOf(Qz_Object* tool) {
  return tool ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool, kGroupFirst)) : nullptr;
}

void Qz__ShowPicture(Qz_ToolListObject* t, Qz_Object* tool) {
  if (Qz_Object* picture = Qz__PictureOf(tool)) Qz_DoMethod(t->face, kBitMapShare, picture);
}

// What was released over may be a tool button or the picture in it.
Qz_Object* Qz__ToolOf(Qz_Object* popUp, Qz_Object* chosen) {
  for (auto* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(popUp, kGroupFirst)); c;
       c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(popUp, kGroupNext, c)))
    if (c == chosen || Qz__PictureOf(c) == chosen) return c;
  return nullptr;
}

void Qz__Chosen(QzWord user, Qz_Object* source, uint32_t, const QzWord* value) {
  auto* t = reinterpret_cast<Qz_ToolListObject*>(user);
  Qz_Object* tool = Qz__ToolOf(source, reinterpret_cast<Qz_Object*>(value[0]));
  if (!tool) return;
  t->chosen = tool;
  Qz__ShowPicture(t, tool);
  Qz_DoMethod(t->face, kRootDraw);
  Qz_DoNotify(&t->header, kPopUpToolListChosen, tool);
}

QzWord Qz__ToolListDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ToolListObject* t = Qz__Self(object);
  if (id == kRootDraw && !t->drawn) {
    t->drawn = true;
    Qz__ShowPicture(t, reinterpret_cast<Qz_Object*>(Qz_DoMethod(object->super, kGroupFirst)));
  }
  return qz::kit::inherited(object, id, args);
}

Qz_Object* Qz__MakePopUp(Qz_Object*) { return Qz_CreateObject("PopUp", kPopUpSetPlacement, 2); }

bool Qz__SetUp(Qz_Object* object) {
  Qz_ToolListObject* t = Qz__Self(object);
  t->face = Qz_CreateObject("BitMap", kFixWidth, 16, kFixHeight, 16);
  if (!t->face) return false;
  Qz_DoMethod(object->super, kGroupAddTail, t->face);
  Qz_DoMethod(object->super, kPopUpChildrenInPopUp, 1);
  Qz_AddCallBackNotify(object->super, kPopUpChosen, kNotifyAnyValue, Qz__Chosen, reinterpret_cast<QzWord>(t));
  return true;
}

const qz::kit::ClassDecl kPopUpToolList = {
    .name = "PopUpToolList", .superName = "PopUp", .classId = kPopUpToolListClassId,
    .instance = qz::kit::instanceOf<Qz_ToolListObject>(), .handler = Qz__ToolListDispatch,
    .makeSuper = Qz__MakePopUp, .setUp = Qz__SetUp, .notice = "Palette of tool buttons"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPopUpToolListClass(Qz_GlobalData*) { return qz::kit::addClass(kPopUpToolList); }
QZ_EXPORT void Qz_CleanupPopUpToolListClass(void) { qz::kit::removeClass(kPopUpToolList); }
QZ_EXTERN_C_END
