// DrawTool: the freehand tool. A press over the view starts a RootAction on
// the active layer's undo list, every move adds a point (which the action
// lays through the document's media at once), and the release ends the
// stroke. Its filled variant draws a rubber band and applies the outline at
// the release; the other button cancels it.
#include <algorithm>
#include <atomic>

#include "actions/action_internal.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_widgets.h"
#include "media/qz_root_media.h"
#include "objects/qz_class_kit.h"
#include "platform/graphics.h"
#include "platform/windows.h"
#include "tools/qz_root_tool.h"
#include "tools/rubber_band.h"
#include "tools/tool_button.h"

namespace {

constexpr uint32_t kFreehandTip = 137;  // catalogue: "Freehand"
constexpr const char* kPictures[] = {"Data/Images/ToolBar/DrawMain", "Data/Images/ToolBar/DrawNormal",
                                     "Data/Images/ToolBar/DrawFilled"};
constexpr uint32_t kFilledState = 2;  // the button's second state chooses the filled variant

// Set once any tablet sample arrives: from then on a press is not repeated
// as a first point (the tablet sends its own move at the press).
std::atomic<bool> gTabletSeen{false};

struct Qz_DrawToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  int32_t warmed = 0;
  int32_t newX = 0, newY = 0;
  int32_t lastX = 0, lastY = 0;
  int32_t pressed = 0;  // 0 none, 1 left, 2 right
  uint32_t strokeFlags = kDrawFreehand;
  int32_t optionsShown = 0;
  uint32_t actionTag = 0;
  int32_t tabletCount = 0;            // tablet moves less plain mouse moves
  Qz_Object* strokeAction = nullptr;  // the action this stroke made, while it is the newest
};

const QzWord kPaintCursorTags[] = {kToolSetCursorKind, kToolCursorPaint, TAG_DONE, 0};

Qz_DrawToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<Qz_DrawToolObject*>(object); }
Qz_Object* Qz__Outer(Qz_DrawToolObject* t) { return Qz_GetTopMostObject(&t->header); }

// The stroke's action when it is still the newest RootAction of the list.
Qz_Object* Qz__CurrentAction(Qz_DrawToolObject* t, Qz_Image* image) {
  Qz_Object* list = Qz_GetUndoList(image);
  Qz_Object* newest = list ? qz::actions::listFirst(list) : nullptr;
  if (!newest || newest != t->strokeAction || qz::actions::classIdOf(newest) != kRootActionClassId) return nullptr;
  return newest;
}

// ---- the rubber band ---------------------------------------------------------------

// From the last point to the new one, under the view's drawing lock.
void Qz__RubberBand(Qz_DrawToolObject* t, Qz_Image* image, Qz_Image* layer) {
  qz::tools::drawLayerBands(image, layer, {t->lastX, t->lastY, t->newX, t->newY});
}

// ---- input ---------------------------------------------------------------------------

QzWord Qz__AddPoint(Qz_DrawToolObject* t, Qz_Image* image, Qz_Image* layer, int32_t lx, int32_t ly,
                    uint32_t pressure) {
  Qz_Object* action = Qz__CurrentAction(t, image);
  if (!t->pressed || !layer || !action) return kToolInputDone;
  if (t->strokeFlags == kDrawFilled) {
    t->newX = lx, t->newY = ly;
    Qz__RubberBand(t, image, layer);
  }
  t->lastX = lx, t->lastY = ly;
  Qz_DoMethod(action, kActionAddPoint, kActionSetX, uint32_t(lx), kActionSetY, uint32_t(ly), kPointSetPressure,
              pressure, 0u);
  return kToolInputDone;
}

// The filled variant's other button: the stroke goes, under the image lock.
void Qz__Cancel(Qz_DrawToolObject* t, Qz_Image* image, Qz_Image* layer, Qz_Object* action) {
  t->pressed = 0;
  t->strokeAction = nullptr;
  if (!action || !Qz_LockImageA(image, kQzLockRead, nullptr)) return;
  Qz_DoMethod(action, kActionSetLayer, layer);
  Qz_DoMethod(action, kActionHideHandles);
  if (Qz_Object* list = Qz_GetUndoList(image)) Qz_DoMethod(list, kLinkedListRemove, action);
  Qz_DisposeObject(action);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

void Qz__Press(Qz_DrawToolObject* t, Qz_Image* layer, uint32_t code, int32_t lx, int32_t ly,
               uint32_t pressure) {
  t->pressed = code == SELECTDOWN ? 1 : 2;
  t->strokeFlags = Qz_DoMethod(t->button, kToolButtonGetState) == kFilledState ? kDrawFilled : kDrawFreehand;
  t->strokeAction = nullptr;
  Qz_Object* action = Qz_CreateObject("RootAction", kActionSetQualifier, uint32_t(t->pressed), kActionSetTool,
                                      Qz__Outer(t), kActionSetFlags, t->strokeFlags);
  if (!action) return;
  if (t->actionTag) Qz_DoMethod(action, kActionSetSymmetry, t->actionTag);
  if (!Qz_AddLayerAction(layer, action, 0)) {
    Qz_DisposeObject(action);
    return;
  }
  t->strokeAction = action;
  Qz_DoMethod(action, kActionStartPoints, kActionSetX, uint32_t(lx), kActionSetY, uint32_t(ly), kPointSetPressure,
              pressure, 0u);
  t->lastX = t->newX = lx;
  t->lastY = t->newY = ly;
}

// Ends a freehand stroke: the action is told when there is one, the media always.
void Qz__EndStroke(Qz_Image* image, Qz_Image* layer, Qz_Object* action) {
  if (action) Qz_DoMethod(action, kActionRecomputeBounds);
  Qz_DoMethod(image->media, kMediaStrokeMessage, kStrokeEnd, image, layer, 0u, 0u, 0u, 0u, 0u, 0u, 0u);
}

QzWord Qz__Button(Qz_DrawToolObject* t, Qz_Image* image, Qz_Image* layer, const Qz_InputEvent* e, int32_t lx,
                  int32_t ly, uint32_t pressure) {
  Qz_Object* action = Qz__CurrentAction(t, image);
  const bool press = e->code == SELECTDOWN || e->code == MENUDOWN;
  const bool release = e->code == SELECTUP || e->code == MENUUP;
  if (t->strokeFlags == kDrawFilled && t->pressed &&
      ((e->code == MENUDOWN && t->pressed == 1) || (e->code == SELECTDOWN && t->pressed == 2))) {
    Qz__Cancel(t, image, layer, action);
    return kToolInputDone;
  }
  if (release && t->pressed && t->strokeFlags == kDrawFilled) {
    t->pressed = 0;
    if (action) Qz_DoMethod(action, kActionApply);
  }
  if (release) t->pressed = 0;
  if (press && Qz_IsCoordOverObject(Qz_CurrentViewOf(image), e->mouseX, e->mouseY))
    Qz__Press(t, layer, e->code, lx, ly, pressure);
  if (t->strokeFlags == kDrawFreehand && release) {
    Qz__EndStroke(image, layer, action);
    t->strokeAction = nullptr;
  }
  if (!t->pressed) t->tabletCount = 0;
  if (gTabletSeen.load() || !press) return kToolInputDone;
  // A mouse stroke's first segment starts and ends at the press point.
  return Qz__AddPoint(t, image, layer, lx, ly, pressure);
}

QzWord Qz__Input(Qz_DrawToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_Image* layer = image && e ? image->activeLayer : nullptr;
  if (!layer) return kToolInputDone;
  const uint32_t pressure = e->tablet ? std::min<uint32_t>(e->pressure, 255) : 0;
  if (e->tablet) gTabletSeen.store(true);
  const int32_t lx = Qz_ToolWindowToLayerX(layer, e->mouseX);
  const int32_t ly = Qz_ToolWindowToLayerY(layer, e->mouseY);
  switch (e->cls) {
    case IDCMP_MOUSEMOVE:
      if (e->tablet) {
        ++t->tabletCount;
      } else if (t->tabletCount-- > 0) {
        return kToolInputDone;  // the mouse's copy of a tablet move not yet matched
      }
      return Qz__AddPoint(t, image, layer, lx, ly, pressure);
    case IDCMP_MOUSEBUTTONS: return Qz__Button(t, image, layer, e, lx, ly, pressure);
    default: return kToolInputDone;
  }
}

// ---- the button ------------------------------------------------------------------------

// The panel the filled variant shows; none until the options panels exist,
// and the tool works the same without it.
Qz_Object* Qz__DrawOptionsPanel() { return nullptr; }

QzWord Qz__ButtonState(Qz_DrawToolObject* t, uint32_t state) {
  Qz_Object* outer = Qz__Outer(t);
  if (state == kFilledState) {
    t->optionsShown = 1;
    Qz_DoMethod(outer, kToolSetOptions, Qz__DrawOptionsPanel());
    Qz_DoMethod(outer, kToolShowOptionsPanel);
  } else {
    if (t->optionsShown) Qz_DoMethod(outer, kToolHideOptionsPanel);
    t->optionsShown = 0;
    Qz_DoMethod(outer, kToolSetOptions, 0u);
  }
  // The button notifies its state: it is told only of a change.
  if (Qz_DoMethod(t->button, kToolButtonGetState) != state) Qz_DoMethod(t->button, kToolButtonSetState, state);
  return state;
}

QzWord Qz__DrawToolDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_DrawToolObject* t = Qz__Self(object);
  switch (id) {
    // The outline follows the variant chosen, also before its first stroke.
    case kToolGetBrushOutline: return Qz_DoMethod(t->button, kToolButtonGetState) == kFilledState ? 0 : 1;
    case kDrawToolSetActionTag: t->actionTag = uint32_t(args[0]); return args[0];
    case kDrawToolGetActionTag: return t->actionTag;
    case kToolButtonSetState: return Qz__ButtonState(t, uint32_t(args[0]));
    case kToolInputMethod:
      return Qz__Input(t, reinterpret_cast<Qz_Image*>(args[0]), reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolActivate:
    case kToolDeactivate: return qz::tools::activateWithButton(object, t->button, id, args);
    case kRootDraw:
      if (!t->warmed) {
        t->warmed = 1;  // the action class settles its defaults before the first stroke
        Qz_DisposeObject(Qz_CreateObject("RootAction"));
      }
      return qz::kit::inherited(object, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

// The tool-bar button with its three faces, wired to the tool.
bool Qz__SetUpDrawTool(Qz_Object* object) {
  Qz_DrawToolObject* t = Qz__Self(object);
  t->button = qz::tools::addToolButton(object, kFreehandTip, kPictures, true);
  Qz_ImageBase* base = Qz_GetImageBase();
  if (!base->currentTool) base->currentTool = object;  // the first one is drawn with by default
  if (!base->defaultTool) base->defaultTool = object;
  return true;
}

void Qz__TearDownDrawTool(Qz_Object* object) {
  Qz_DrawToolObject* t = Qz__Self(object);
  // The filled variant's panel is the image base's, never this tool's to dispose.
  if (t->optionsShown) Qz_DoMethod(object, kToolHideOptionsPanel);
  Qz_DoMethod(object->super, kToolSetOptions, 0u);
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base->currentTool == object) base->currentTool = nullptr;
  if (base->defaultTool == object) base->defaultTool = nullptr;
}

const qz::kit::ClassDecl kDrawTool = {
    .name = "DrawTool", .superName = "RootTool", .classId = kDrawToolClassId,
    .instance = qz::kit::instanceOf<Qz_DrawToolObject>(), .handler = Qz__DrawToolDispatch,
    .superTags = reinterpret_cast<const TagItem*>(kPaintCursorTags), .setUp = Qz__SetUpDrawTool,
    .tearDown = Qz__TearDownDrawTool};

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitDrawToolClass(Qz_GlobalData*) { return qz::kit::addClass(kDrawTool); }
QZ_EXPORT void Qz_CleanupDrawToolClass(void) { qz::kit::removeClass(kDrawTool); }

QZ_EXTERN_C_END
