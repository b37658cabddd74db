// PositionActionTool: the handle editor. It moves the points of the
// selected action of the active layer by their handles (the whole action
// from inside it), nudges it with the arrow keys, and types the action's
// first point into its X and Y edits. Every change is bracketed by taking
// the action back and doing it again, so the picture follows. Answers the
// mode word (0x1779000a/0x17790014) and a class filter (0x1779001e).
#include "actions/action_internal.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_text_entry.h"
#include "objects/catalogue.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"
#include "tools/handle_geometry.h"
#include "tools/handle_overlay.h"
#include "tools/point_action_edit.h"
#include "tools/qz_handle_tools.h"
#include "tools/qz_root_tool.h"
#include "tools/tool_button.h"

namespace {

using namespace qz::tools;

const char* const kPictures[] = {"Data/Images/ToolBar/PositionAction"};
using qz::actions::classIdOf;
using qz::actions::layerOf;

constexpr uint32_t kPanelTitle = 239, kXLabel = 7, kYLabel = 8;  // catalogue: "Position", "X:", "Y:"

struct HandleEditorObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  Qz_Object* xEdit = nullptr;
  Qz_Object* yEdit = nullptr;
  int32_t busy = 0;  // set while the tool writes its own edits
  uint32_t mode = kHandleEditorReplays;
  uint32_t classFilter = 0;
  // The drag, from press to release.
  Qz_Object* dragAction = nullptr;
  HandleHit grabbed;
  int32_t pressX = 0, pressY = 0;
  std::vector<HandlePoint> original;
};

const QzWord kMoveCursorTags[] = {kToolSetCursorKind, kCursorMove, TAG_DONE, 0};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kHandleEditorSetMode, .getter = kHandleEditorGetMode, .initial = kHandleEditorReplays,
     .field = qz::kit::field(&HandleEditorObject::mode), .answersZero = true},
    {.setter = kHandleEditorSetClassFilter, .field = qz::kit::field(&HandleEditorObject::classFilter),
     .answersZero = true},
};

HandleEditorObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<HandleEditorObject*>(object); }
Qz_Object* Qz__Outer(HandleEditorObject* t) { return Qz_GetTopMostObject(&t->header); }

bool Qz__InImageCoordinates(Qz_Object* action) {
  return (Qz_DoMethod(action, kActionGetFlags) & kActionRestorePoint) != 0;
}
bool Qz__FourCorner(Qz_Object* action) { return (Qz_DoMethod(action, kActionGetFlags) & kActionBoxHandles) != 0; }

// The pointer in the action's units: image pixels for an action in image
// coordinates, else pixels of its layer.
HandlePoint Qz__Pointer(Qz_Image* image, Qz_Object* action, const Qz_InputEvent* e) {
  Qz_Image* layer = layerOf(action);
  if (Qz__InImageCoordinates(action) || !layer)
    return {Qz_ToolWindowToImageX(image, e->mouseX), Qz_ToolWindowToImageY(image, e->mouseY)};
  return {Qz_ToolWindowToLayerX(layer, e->mouseX), Qz_ToolWindowToLayerY(layer, e->mouseY)};
}

int32_t Qz__HandleSize(Qz_Image* image, Qz_Object* action) {
  return handleSize(image, layerOf(action), Qz__InImageCoordinates(action));
}

// The selected action, kept only when it belongs to the active layer.
Qz_Object* Qz__Current(Qz_Image* image) {
  Qz_Object* action = selectedAction(image);
  Qz_Image* document = qz::actions::owningDocument(image);
  if (!action || !document || layerOf(action) != document->activeLayer) return nullptr;
  return action;
}

void Qz__ShowFirstPoint(HandleEditorObject* t, Qz_Object* action) {
  const std::vector<HandlePoint> points = actionPoints(action);
  if (points.empty()) return;
  t->busy = 1;
  Qz_DoMethod(t->xEdit, kStringEditSetNumber, uint32_t(points[0].x));
  Qz_DoMethod(t->yEdit, kStringEditSetNumber, uint32_t(points[0].y));
  t->busy = 0;
}

void Qz__Change(HandleEditorObject* t, Qz_Object* action, const std::vector<HandlePoint>& points) {
  changeAction(action, (t->mode & kHandleEditorReplays) != 0, [&] { setActionPoints(action, points); });
  Qz__ShowFirstPoint(t, action);
}

void Qz__MoveBy(HandleEditorObject* t, Qz_Object* action, int32_t dx, int32_t dy) {
  if (dx == 0 && dy == 0) return;
  changeAction(action, (t->mode & kHandleEditorReplays) != 0,
               [&] { Qz_DoMethod(action, kActionMove, uint32_t(dx), uint32_t(dy)); });
  Qz__ShowFirstPoint(t, action);
}

// Newest first, up to the first restore point of the document or a button
// of this layer: the first action whose box, widened by the handle size,
// holds the pointer.
Qz_Object* Qz__ActionAt(HandleEditorObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_Image* document = qz::actions::owningDocument(image);
  Qz_Object* list = Qz_GetUndoList(document);
  for (Qz_Object* entry = list ? qz::actions::listFirst(list) : nullptr; entry;
       entry = qz::actions::listOlder(list, entry)) {
    const uint32_t classId = classIdOf(entry);
    if (classId == kImageActionClassId) break;  // also every collapse
    const bool ofLayer = layerOf(entry) == document->activeLayer;
    if ((classId == kFillImageActionClassId && ofLayer) || Qz__InImageCoordinates(entry)) break;
    if ((t->classFilter && classId != t->classFilter) || !ofLayer) continue;
    const std::vector<HandlePoint> points = actionPoints(entry);
    if (points.empty()) continue;
    const int32_t s = Qz__HandleSize(image, entry);
    const HandlePoint p = Qz__Pointer(image, entry, e);
    const int32_t x = int32_t(Qz_DoMethod(entry, kActionGetX)), y = int32_t(Qz_DoMethod(entry, kActionGetY));
    const int32_t w = int32_t(Qz_DoMethod(entry, kActionGetWidth)), h = int32_t(Qz_DoMethod(entry, kActionGetHeight));
    if (int64_t(p.x) >= int64_t(x) - s && int64_t(p.x) < int64_t(x) + w + s && int64_t(p.y) >= int64_t(y) - s &&
        int64_t(p.y) < int64_t(y) + h + s)
      return entry;
  }
  return nullptr;
}

bool Qz__OutsideWidened(Qz_Image* image, Qz_Object* action, const Qz_InputEvent* e) {
  if (!action) return true;
  const std::vector<HandlePoint> points = actionPoints(action);
  const int32_t s = Qz__HandleSize(image, action);
  const HandlePoint p = Qz__Pointer(image, action, e);
  const HandleHit hit = hitHandle(points, Qz__FourCorner(action), s, p.x, p.y);
  return hit.kind == HandleKind::None;
}

QzWord Qz__Press(HandleEditorObject* t, Qz_Image* image, Qz_Object* action, const Qz_InputEvent* e) {
  if ((t->mode & kHandleEditorChooses) && Qz__OutsideWidened(image, action, e)) {
    if (Qz_Object* chosen = Qz__ActionAt(t, image, e)) {
      if (action && action != chosen) Qz_DoMethod(action, kRootDeselect);
      Qz_DoMethod(chosen, kRootSelect);
    }
    return kToolInputDone;
  }
  if (!action) return kToolInputDone;
  const std::vector<HandlePoint> points = actionPoints(action);
  const HandlePoint p = Qz__Pointer(image, action, e);
  const HandleHit hit = hitHandle(points, Qz__FourCorner(action), Qz__HandleSize(image, action), p.x, p.y);
  if (hit.kind == HandleKind::None) return kToolInputDone;
  t->dragAction = action;
  t->grabbed = hit;
  t->pressX = p.x, t->pressY = p.y;
  t->original = points;
  return kToolInputDone;
}

QzWord Qz__Release(HandleEditorObject* t, Qz_Image* image, Qz_Object* action, const Qz_InputEvent* e) {
  Qz_Object* dragged = t->dragAction;
  t->dragAction = nullptr;
  // The action may have gone (undone, another chosen) while the button was down.
  if (!dragged || dragged != action) return kToolInputDone;
  const HandlePoint p = Qz__Pointer(image, action, e);
  const int32_t dx = p.x - t->pressX, dy = p.y - t->pressY;
  if (t->grabbed.kind == HandleKind::Inside)
    Qz__MoveBy(t, action, dx, dy);
  else if (dx != 0 || dy != 0)
    Qz__Change(t, action, dragHandle(t->original, Qz__FourCorner(action), t->grabbed, dx, dy));
  return kToolInputDone;
}

// While a handle is dragged the view shows where the points will go.
QzWord Qz__Follow(HandleEditorObject* t, Qz_Image* image, Qz_Object* action, const Qz_InputEvent* e) {
  if (action != t->dragAction) return kToolInputDone;
  const HandlePoint p = Qz__Pointer(image, action, e);
  const HandleHit whole{HandleKind::Inside, 0};
  const HandleHit& hit = t->grabbed.kind == HandleKind::Inside ? whole : t->grabbed;
  showHandlePoints(qz::actions::owningDocument(image), action,
                   dragHandle(t->original, Qz__FourCorner(action), hit, p.x - t->pressX, p.y - t->pressY));
  return kToolInputDone;
}

QzWord Qz__Hover(HandleEditorObject* t, Qz_Image* image, Qz_Object* action, const Qz_InputEvent* e) {
  uint32_t kind = kCursorNone;
  if (action) {
    const HandlePoint p = Qz__Pointer(image, action, e);
    kind = cursorKindOf(hitHandle(actionPoints(action), Qz__FourCorner(action), Qz__HandleSize(image, action), p.x, p.y));
  }
  Qz_DoMethod(Qz__Outer(t), kToolSetCursorKind, kind);
  return kToolInputDone;
}

QzWord Qz__ArrowKey(HandleEditorObject* t, Qz_Object* action, uint32_t code) {
  switch (code) {
    case CURSORUP: Qz__MoveBy(t, action, 0, -1); break;
    case CURSORDOWN: Qz__MoveBy(t, action, 0, 1); break;
    case CURSORLEFT: Qz__MoveBy(t, action, -1, 0); break;
    case CURSORRIGHT: Qz__MoveBy(t, action, 1, 0); break;
    default: break;
  }
  return kToolInputDone;
}

QzWord Qz__Event(HandleEditorObject* t, Qz_Image* image, Qz_Object* action, const Qz_InputEvent* e) {
  switch (e->cls) {
    case IDCMP_MOUSEBUTTONS:
      if (e->code == SELECTDOWN && Qz_IsCoordOverObject(Qz_CurrentViewOf(image), e->mouseX, e->mouseY))
        return Qz__Press(t, image, action, e);
      if (e->code == SELECTUP && t->dragAction) return Qz__Release(t, image, action, e);
      return kToolInputDone;
    case IDCMP_MOUSEMOVE: return t->dragAction ? Qz__Follow(t, image, action, e) : Qz__Hover(t, image, action, e);
    case IDCMP_ARROWKEY: return action ? Qz__ArrowKey(t, action, e->code) : kToolInputDone;
    case IDCMP_RAWKEY:
    case IDCMP_RAWKEYUP:
    case IDCMP_CHAR:
      if (action) Qz_DoMethod(action, kActionInputEvent, Qz__Outer(t), e);
      return kToolInputDone;
    default: return kToolInputDone;
  }
}

// The view shows the handles of whatever is selected once the event is dealt with.
QzWord Qz__Input(HandleEditorObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  if (!image || !e) return kToolInputDone;
  const QzWord result = Qz__Event(t, image, Qz__Current(image), e);
  if (!t->dragAction) showHandles(qz::actions::owningDocument(image), Qz__Current(image));
  return result;
}

// A typed X or Y moves the whole action so that its first point lands there.
void Qz__EditChanged(QzWord userData, Qz_Object* source, uint32_t, const QzWord* value) {
  auto* t = reinterpret_cast<HandleEditorObject*>(userData);
  if (t->busy) return;
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return;
  if (Qz_Object* action = Qz__Current(image)) {
    const std::vector<HandlePoint> points = actionPoints(action);
    if (!points.empty()) {
      const int32_t typed = int32_t(value[0]);
      if (source == t->xEdit) Qz__MoveBy(t, action, typed - points[0].x, 0);
      if (source == t->yEdit) Qz__MoveBy(t, action, 0, typed - points[0].y);
    }
    showHandles(qz::actions::owningDocument(image), action);
  }
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

void Qz__BuildPanel(HandleEditorObject* t, Qz_Object* outer) {
  if (!Qz_FindClassFromName("StringEdit") || !Qz_FindClassFromName("Group")) return;
  Qz_Object* panel = Qz_CreateObjects(
      0, kBuildVGroup, kGroupSetFrame, 1, kRootSetLabel, Qz_CatalogString(kPanelTitle),
      kBuildHGroup, kBuildLabel, Qz_CatalogString(kXLabel), kBuildObject, "StringEdit", kStringEditSetNumeric, 1,
      kBuildStoreLast, &t->xEdit, kBuildClose, kBuildClose,
      kBuildHGroup, kBuildLabel, Qz_CatalogString(kYLabel), kBuildObject, "StringEdit", kStringEditSetNumeric, 1,
      kBuildStoreLast, &t->yEdit, kBuildClose, kBuildClose, kBuildClose);
  if (!panel) {
    t->xEdit = t->yEdit = nullptr;
    return;
  }
  Qz_DoMethod(t->xEdit, kRootSetUserData, 0u);
  Qz_DoMethod(t->yEdit, kRootSetUserData, 1u);
  for (Qz_Object* edit : {t->xEdit, t->yEdit})
    Qz_AddCallBackNotify(edit, kStringEditSetNumber, kNotifyAnyValue, Qz__EditChanged, qz::toWord(t));
  Qz_DoMethod(outer->super, kToolSetOptions, panel);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  HandleEditorObject* t = Qz__Self(object);
  switch (id) {
    case kToolInputMethod:
      return Qz__Input(t, reinterpret_cast<Qz_Image*>(args[0]), reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolDeactivate: hideAllHandles(); return activateWithButton(object, t->button, id, args);
    case kToolActivate: return activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  HandleEditorObject* t = Qz__Self(object);
  t->button = addToolButton(object, 0, kPictures);
  Qz__BuildPanel(t, object);
  return true;
}

const qz::kit::ClassDecl kPositionActionTool = {
    .name = "PositionActionTool", .superName = "RootTool", .classId = kPositionActionToolClassId,
    .instance = qz::kit::instanceOf<HandleEditorObject>(), .handler = Qz__Dispatch, .attributes = kAttributes,
    .superTags = reinterpret_cast<const TagItem*>(kMoveCursorTags), .setUp = Qz__SetUp};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPositionActionToolClass(Qz_GlobalData*) { return qz::kit::addClass(kPositionActionTool); }
QZ_EXPORT void Qz_CleanupPositionActionToolClass(void) { qz::kit::removeClass(kPositionActionTool); }
QZ_EXTERN_C_END
