// PopUp: a button that, while pressed, shows a borderless window of its own
// holding more gadgets. What is released over in that window comes back as
// the notification kPopUpChosen. Before opening it fires kPopUpOpening with
// the address of a slot a listener may fill with the object to show; else
// its own content group is shown, when it has members. After closing it
// fires kPopUpClosed with what was shown.
//
// The pop-up window's open count moves by exactly one at each open and
// each close, so a window closed meanwhile by its parent (a release) and
// one that could not open keep the count balanced.
#include "gadgets/popup_placement.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace {

struct Qz_PopUpObject {
  Qz_Object header;
  Qz_Object* window = nullptr;   // the pop-up Window object
  Qz_Object* content = nullptr;  // what opens unless a listener offers something else
  Qz_Object* chosen = nullptr;   // the slot a listener fills before opening
  Qz_Object* shown = nullptr;
  Qz_Object* ownerWindow = nullptr;  // the Window object the pop-up window joined
  uint32_t childrenInPopUp = 0;
  QzWord placement = 0;
  int32_t xOffset = 0, yOffset = 0;
  bool open = false, opened = false;
};

Qz_PopUpObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_PopUpObject>(o); }
QzWord Qz__Outermost(Qz_Object* o) { return reinterpret_cast<QzWord>(Qz_GetTopMostObject(o)); }

bool Qz__IsChildMethod(uint32_t id) {
  switch (id) {
    case kGroupAddHead:
    case kGroupAddTail:
    case kGroupInsertMember:
    case kGroupRemove:
    case kGroupFirst:
    case kGroupLast:
    case kGroupNext:
    case kGroupSetFrame:
    case kGroupSetMode:
    case kGroupSetSelectedFrame:
    case kGroupSetSpacing:
    case kMenuItemSetMenu: return true;
    default: return false;
  }
}

QzWord Qz__Open(Qz_PopUpObject* p) {
  Qz_Object* self = &p->header;
  if (p->open) return Qz__Outermost(self);
  p->open = true;
  Qz_DoMethod(self->super, kRootSelect);
  const Qz_LayoutBox button = Qz_RootInstance(self)->box;
  auto* info = reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(self, kRootGetDrawInfo));
  if (!info || !info->window || !info->windowObject) {
    // Nowhere to open: the press is undone at once.
    p->open = false;
    Qz_DoMethod(self->super, kRootDeselect);
    return Qz__Outermost(self);
  }
  p->chosen = nullptr;
  Qz_DoNotify(self, kPopUpOpening, reinterpret_cast<QzWord>(&p->chosen));
  p->shown = p->chosen;
  if (!p->shown && Qz_DoMethod(p->content, kGroupFirst)) p->shown = p->content;
  // Nothing to show: the button stays pressed until the release closes it.
  if (!p->shown) return Qz__Outermost(self);

  Qz_DoMethod(p->shown, kRootSetDrawInfo, info);
  Qz_DoMethod(p->shown, kRootMeasure);
  const Qz_LayoutBox shownBox = Qz_RootInstance(p->shown)->box;
  Window* w = info->window;
  qz::popups::PlacementInput in;
  in.placement = p->placement > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(p->placement);
  in.windowLeft = w->LeftEdge;
  in.windowTop = w->TopEdge;
  in.buttonLeft = button.left;
  in.buttonTop = button.top;
  in.buttonWidth = button.width;
  in.buttonHeight = button.height;
  in.pointerX = Qz_WindowMouseX(w);
  in.pointerY = Qz_WindowMouseY(w);
  in.shownWidth = shownBox.minWidth > shownBox.width ? shownBox.minWidth : shownBox.width;
  const Screen* onScreen = w->WScreen ? w->WScreen : info->screen;
  in.screenWidth = 0x7FFF;
  if (onScreen) Qz_GetScreenSize(onScreen, &in.screenWidth, nullptr);
  const qz::popups::Placement at = qz::popups::placePopUp(in);
  Qz_DoMethod(p->shown, kRootSetDrawInfo, 0);

  Qz_DoMethod(p->window, kWindowSetKind, at.anchoredAbove ? kWindowKindBottomAnchoredPopUp : kWindowKindPopUp);
  Qz_DoMethod(p->window, kWindowSetW, 0);
  Qz_DoMethod(p->window, kWindowSetH, 0);
  Qz_DoMethod(p->window, kWindowSetCentreObject, at.lineUnderPointer ? p->placement : 0);
  Qz_DoMethod(p->window, kWindowSetX, uint32_t(at.x));
  Qz_DoMethod(p->window, kWindowSetY, uint32_t(at.y));
  Qz_DoMethod(p->window, kGroupAddTail, p->shown);
  p->ownerWindow = info->windowObject;
  Qz_DoMethod(p->ownerWindow, kGroupAddTail, p->window);
  p->opened = true;
  // Thread priorities are recorded and ignored on this system.
  Qz_DoMethod(p->window, kWindowOpen);
  return Qz__Outermost(self);
}

QzWord Qz__Close(Qz_PopUpObject* p) {
  Qz_Object* self = &p->header;
  if (!p->open) return Qz__Outermost(self);
  p->open = false;
  Qz_Object* shown = p->shown;
  if (p->opened) {
    p->opened = false;
    Qz_DoMethod(p->ownerWindow, kGroupRemove, p->window);
    Qz_DoMethod(p->window, kWindowClose);
    Qz_DoMethod(p->window, kGroupRemove, shown);
    p->ownerWindow = nullptr;
  }
  p->shown = nullptr;
  Qz_DoMethod(self->super, kRootDeselect);
  Qz_DoMethod(p->content, kRootDeselect);
  Qz_DoNotify(self, kPopUpClosed, reinterpret_cast<QzWord>(shown));
  return Qz__Outermost(self);
}

// The window reports what was released over (or nothing); the window is
// closed by then, so the pop-up closes too.
QzWord Qz__Chosen(Qz_PopUpObject* p, QzWord object) {
  if (object) Qz_DoNotify(&p->header, kPopUpChosen, object);
  Qz__Close(p);
  return 0;
}

QzWord Qz__Input(Qz_PopUpObject* p, const Qz_InputEvent* e) {
  if (!e || e->cls != IDCMP_MOUSEBUTTONS) return 2;
  Qz_Object* self = &p->header;
  if (e->code == SELECTDOWN && Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) &&
      !Qz_DoMethod(self, kRootDisableCount))
    Qz_DoMethod(Qz_GetTopMostObject(self), kRootSelect);
  else if (e->code == SELECTUP && p->open)
    Qz_DoMethod(Qz_GetTopMostObject(self), kRootDeselect);
  return 2;
}

QzWord Qz__Measure(Qz_PopUpObject* p, const QzWord* args) {
  Qz_Object* self = &p->header;
  auto* info = reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(self, kRootGetDrawInfo));
  if (info && info->window && !p->opened) {
    // Measured with the owner's fonts only: a closed content keeps no draw
    // info, or a change to it (a slider's new value) would draw it into the
    // owner's window.
    Qz_DoMethod(p->content, kRootSetDrawInfo, info);
    Qz_DoMethod(p->content, kRootMeasure);
    Qz_DoMethod(p->content, kRootSetDrawInfo, 0);
  }
  return qz::kit::inherited(self, kRootMeasure, args);
}

QzWord Qz__PopUpDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_PopUpObject* p = Qz__Self(object);
  if (p->childrenInPopUp && Qz__IsChildMethod(id)) return Qz_DoMethodA(p->content, id, args);
  switch (id) {
    case kPopUpChildrenInPopUp: p->childrenInPopUp = args[0] & 0xFF; return 0;
    case kPopUpSetPlacement: p->placement = args[0]; return 0;
    case kPopUpSetXOffset:
      p->xOffset = int16_t(args[0]);
      return Qz_DoMethod(p->window, kWindowSetXOffset, uint32_t(p->xOffset));
    case kPopUpSetYOffset:
      p->yOffset = int16_t(args[0]);
      return Qz_DoMethod(p->window, kWindowSetYOffset, uint32_t(p->yOffset));
    case kRootSelect: return Qz__Open(p);
    case kRootDeselect: return Qz__Close(p);
    case kRootHandleIDCMP: return Qz__Input(p, reinterpret_cast<const Qz_InputEvent*>(args[0]));
    case kRootMeasure: return Qz__Measure(p, args);
    case kRootFindByName: return Qz_DoMethodA(p->content, id, args);
    case kRootEnable:
    case kRootDisable:
      Qz_DoMethodA(p->content, id, args);
      return qz::kit::inherited(object, id, args);
    case kPopUpChosen: return Qz__Chosen(p, args[0]);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakeButton(Qz_Object*) { return Qz_CreateObject("Button", kGroupSetSpacing, 0); }

bool Qz__SetUp(Qz_Object* object) {
  Qz_PopUpObject* p = Qz__Self(object);
  p->content = Qz_CreateObject("Group", kGroupSetMode, 1);
  p->window = Qz_CreateObject("Window", kWindowSetKind, kWindowKindPopUp, kGroupSetMode, 2, kGroupSetSpacing, 0);
  if (!p->content || !p->window) return false;
  Qz_DoMethod(p->window, kRootOpen);
  // What is released over in the window comes back through the pop-up.
  return Qz_AddNotify(p->window, kWindowPopUpChoice, kNotifyAnyValue, object, 2, kPopUpChosen, kNotifySameWord) != 0;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_PopUpObject* p = Qz__Self(object);
  if (p->open) Qz__Close(p);
  Qz_DisposeObject(p->window);
  Qz_DisposeObject(p->content);
  p->window = p->content = nullptr;
}

const qz::kit::ClassDecl kPopUp = {
    .name = "PopUp", .superName = "Button", .classId = kPopUpClassId,
    .instance = qz::kit::instanceOf<Qz_PopUpObject>(), .handler = Qz__PopUpDispatch,
    .makeSuper = Qz__MakeButton, .setUp = Qz__SetUp, .tearDown = Qz__TearDown,
    .notice = "Button showing a window of choices while pressed"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPopUpClass(Qz_GlobalData*) { return qz::kit::addClass(kPopUp); }
QZ_EXPORT void Qz_CleanupPopUpClass(void) { qz::kit::removeClass(kPopUp); }
QZ_EXTERN_C_END
