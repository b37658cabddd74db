// CompactSlider: a number between two arrow buttons; pressing the number
// opens a vertical slider in a pop-up centred on the pointer. The limits,
// the value and the notifications are the slider's. Holding an arrow
// repeats its step after four ticks.
#include "gadgets/arrow_button.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace {

constexpr int32_t kRepeatAfterTicks = 4;
constexpr uint32_t kOneShare = 100;

struct Qz_CompactSliderObject {
  Qz_Object header;
  Qz_Object* valueText = nullptr;
  Qz_Object* popUp = nullptr;
  Qz_Object* slider = nullptr;
  Qz_Object* up = nullptr;
  Qz_Object* down = nullptr;
  int32_t repeatCount = 0;
};

Qz_CompactSliderObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_CompactSliderObject>(o); }

bool Qz__ToSlider(uint32_t id) {
  switch (id) {
    case kNotifyWhileDragging:
    case kRootAddNotify:
    case kRootAddCallBackNotify:
    case kRootSetUserData:
    case kRootGetUserData:
    case kValueSetMinimum:
    case kValueSetMaximum:
    case kValueGetMinimum:
    case kValueGetMaximum:
    case kValueGet: return true;
    default: return false;
  }
}

QzWord Qz__SetValue(Qz_CompactSliderObject* c, QzWord value) {
  Qz_DoMethod(c->valueText, kTextSetNumber, uint32_t(value));
  Qz_DoMethod(&c->header, kPopUpSetYOffset, uint32_t(value));
  return Qz_DoMethod(c->slider, kValueSet, uint32_t(value));
}

// The pop-up opens with the slider's knob near the pointer.
QzWord Qz__PlacePopUp(Qz_CompactSliderObject* c, QzWord value) {
  const auto maximum = int32_t(Qz_DoMethod(c->slider, kValueGetMaximum));
  return Qz_DoMethod(c->popUp, kPopUpSetYOffset, uint32_t(int32_t(value) - maximum - 4));
}

QzWord Qz__Input(Qz_CompactSliderObject* c, const QzWord* args) {
  const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  if (e && e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) c->repeatCount = 0;
  if (e && e->cls == IDCMP_INTUITICKS && (e->qualifier & IEQUALIFIER_LEFTBUTTON) && ++c->repeatCount > kRepeatAfterTicks) {
    if (Qz_IsCoordOverObject(c->up, e->mouseX, e->mouseY)) Qz_DoMethod(c->slider, kSliderStepUp);
    else if (Qz_IsCoordOverObject(c->down, e->mouseX, e->mouseY)) Qz_DoMethod(c->slider, kSliderStepDown);
  }
  return qz::kit::inherited(&c->header, kRootHandleIDCMP, args);
}

QzWord Qz__CompactSliderDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_CompactSliderObject* c = Qz__Self(object);
  if (Qz__ToSlider(id)) return Qz_DoMethodA(c->slider, id, args);
  switch (id) {
    case kValueSet: return Qz__SetValue(c, args[0]);
    case kValueSetFormat:
      Qz_DoMethod(c->valueText, kRootSetLabel, args[0]);
      return Qz_DoMethod(c->slider, kValueSetFormat, args[0]);
    case kPopUpSetYOffset: return Qz__PlacePopUp(c, args[0]);
    case kRootHandleIDCMP: return Qz__Input(c, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakeRow(Qz_Object*) {
  return Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetFixedHeight, 1, kGroupSetSpacing, 0);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_CompactSliderObject* c = Qz__Self(object);
  c->down = qz::widgets::arrowButton(kVectorImageLeftArrow);
  c->up = qz::widgets::arrowButton(kVectorImageRightArrow);
  c->valueText = Qz_CreateObject("Text", kRootSetLabel, "%ld", kTextSetNumber, 0);
  c->slider = Qz_CreateObject("Slider", kSliderSetOrientation, kSliderVertical, kSliderSetKind, 1);
  c->popUp = Qz_CreateObject("PopUp", kPopUpSetPlacement, 32);
  if (!c->down || !c->up || !c->valueText || !c->slider || !c->popUp) {
    for (Qz_Object* o : {c->down, c->up, c->valueText, c->slider, c->popUp}) Qz_DisposeObject(o);
    return false;
  }
  // One even share of the row: a group's default weight asks twice the
  // spare room and pushes the right arrow out of a narrow window.
  Qz_DoMethod(c->popUp, kRootSetWeight, kOneShare);
  Qz_DoMethod(c->popUp, kGroupAddTail, c->valueText);
  Qz_DoMethod(c->popUp, kPopUpChildrenInPopUp, 1);
  Qz_DoMethod(c->popUp, kGroupAddTail, c->slider);
  Qz_DoMethod(object->super, kGroupAddTail, c->down);
  Qz_DoMethod(object->super, kGroupAddTail, c->popUp);
  Qz_DoMethod(object->super, kGroupAddTail, c->up);
  Qz_AddNotify(c->slider, kValueSet, kNotifyAnyValue, c->valueText, 2, kTextSetNumber, kNotifySameWord);
  Qz_AddNotify(c->slider, kValueSet, kNotifyAnyValue, object, 2, kPopUpSetYOffset, kNotifySameWord);
  Qz_AddNotify(c->up, kButtonPressed, kNotifyAnyValue, c->slider, 1, kSliderStepUp);
  Qz_AddNotify(c->down, kButtonPressed, kNotifyAnyValue, c->slider, 1, kSliderStepDown);
  return true;
}

const qz::kit::ClassDecl kCompactSlider = {
    .name = "CompactSlider", .superName = "Group", .classId = kCompactSliderClassId,
    .instance = qz::kit::instanceOf<Qz_CompactSliderObject>(), .handler = Qz__CompactSliderDispatch,
    .makeSuper = Qz__MakeRow, .setUp = Qz__SetUp, .notice = "Number with arrows and a slider in a pop-up"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCompactSliderClass(Qz_GlobalData*) { return qz::kit::addClass(kCompactSlider); }
QZ_EXPORT void Qz_CleanupCompactSliderClass(void) { qz::kit::removeClass(kCompactSlider); }
QZ_EXTERN_C_END
