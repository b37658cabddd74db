// TransformTool: a drag over the view makes a pending TransformAction of the
// dragged rectangle; while it is the selected action its handles (the inner
// handle editor) and the panel's four edits adjust it, apply commits it and
// cancel removes it. Choosing another tool removes the tool's pending
// transforms of every open image; applied ones stay. Not in the program's
// class list: whoever wants it registers it.

#include "actions/action_internal.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "objects/catalogue.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"
#include "tools/box_tool.h"
#include "tools/handle_overlay.h"
#include "tools/point_action_edit.h"
#include "tools/qz_handle_tools.h"
#include "tools/qz_root_tool.h"
#include "tools/tool_button.h"

namespace {

using namespace qz::tools;

// Catalogue: "X:", "Y:", width, height, "Cancel".
const char* const kTransformPictures[] = {"Data/Images/ToolBar/Transform"};

constexpr const char* kTitle = "Transform";
enum : uint32_t { kHeightEdit = 3, kApplyButton = kBoxCommitButton, kCancelButton = kBoxCancelButton };

struct TransformToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  Qz_Object* edits[4] = {};
  Qz_Object* handleEditor = nullptr;
  BoxDrag drag;
};

const QzWord kTransformCursorTags[] = {kToolSetCursorKind, kToolCursorPaint, TAG_DONE, 0};

TransformToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<TransformToolObject*>(object); }
Qz_Object* Qz__Outer(TransformToolObject* t) { return Qz_GetTopMostObject(&t->header); }

// The pending transform is one this tool made and has not applied: transforms
// of other makers, and applied ones, are never the tool's to remove.
Qz_Object* Qz__PendingTransform(Qz_Image* image, Qz_Object* tool) {
  Qz_Object* action = selectedActionOf(image, kTransformActionClassId);
  return action && Qz_DoMethod(action, kActionGetQualifier) == 0 &&
                 reinterpret_cast<Qz_Object*>(Qz_DoMethod(action, kActionGetTool)) == tool
             ? action
             : nullptr;
}

// The panel follows the pending transform: x and width from the first and third corners.
void Qz__RefreshPanel(TransformToolObject* t, Qz_Image* image) {
  if (Qz_Object* action = Qz__PendingTransform(image, Qz__Outer(t))) {
    const PointBox b = boxOfCorners(actionPoints(action));
    t->drag.box = {b.x, b.y, b.width, b.height};
  }
  showBox(t->edits, t->drag.box);
}

// A new pending transform of the tool's box on the image's undo list, or none.
Qz_Object* Qz__AddTransform(TransformToolObject* t, Qz_Image* image) {
  const DragBox& b = t->drag.box;
  Qz_Object* action = makeCornerAction("TransformAction", Qz__Outer(t), {b.x, b.y, b.width, b.height});
  if (action && !Qz_AddImageAction(image, action, 0)) {
    Qz_DisposeObject(action);
    return nullptr;
  }
  return action;
}

QzWord Qz__Event(TransformToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  if (Qz__PendingTransform(image, Qz__Outer(t)) && !t->drag.dragging) {
    handToEditor(Qz__Outer(t), t->handleEditor, image, e);
    if (e->cls != IDCMP_INTUITICKS) Qz__RefreshPanel(t, image);
    return 0;
  }
  Qz_DoMethod(Qz__Outer(t), kToolSetCursorKind, kToolCursorPaint);
  if (boxDragInput(t->drag, image, e)) {
    if (Qz_Object* action = Qz__AddTransform(t, image)) Qz_DoMethod(action, kRootSelect);
  }
  if (t->drag.dragging || e->cls == IDCMP_MOUSEBUTTONS) showBox(t->edits, t->drag.box);
  return kToolInputDone;
}

QzWord Qz__Input(TransformToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  if (!image || !e) return kToolInputDone;
  const QzWord result = Qz__Event(t, image, e);
  // The handle editor shows the handles itself, also while they are dragged.
  if (result != 0) showHandles(qz::actions::owningDocument(image), Qz__PendingTransform(image, Qz__Outer(t)));
  return result;
}

// Every open image's pending transform goes; applied ones stay on their lists.
void Qz__CancelPendingTransforms(Qz_Object* tool) {
  removePendingActions([tool](Qz_Image* image) { return Qz__PendingTransform(image, tool); });
}

// The numbers in the edits become the rectangle; the transform is applied as one step.
void Qz__Commit(TransformToolObject* t, Qz_Image* image, Qz_Object* action) {
  readBox(t->edits, t->drag.box);
  if (t->drag.box.width < 1 || t->drag.box.height < 1) return;
  if (!action) action = Qz__AddTransform(t, image);
  if (!action) return;
  Qz_DoMethod(action, kRootDeselect);
  Qz_DoMethod(action, kActionSetQualifier, 1u);
  // A transform that could not be carried out leaves no step behind that undo would stumble on.
  if (!Qz_DoMethod(action, kActionApply)) removeAction(image, action);
}

void Qz__PanelEvent(QzWord userData, Qz_Object* source, uint32_t, const QzWord* value) {
  auto* t = reinterpret_cast<TransformToolObject*>(userData);
  const uint32_t which = uint32_t(Qz_DoMethod(source, kRootGetUserData));
  if (which == kCancelButton) {
    Qz__CancelPendingTransforms(Qz__Outer(t));
    return;
  }
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return;
  Qz_Object* action = Qz__PendingTransform(image, Qz__Outer(t));
  if (which <= kHeightEdit) editBox(action, t->drag.box, which, int32_t(value[0]));
  if (which == kApplyButton) Qz__Commit(t, image, action);
  showHandles(qz::actions::owningDocument(image), Qz__PendingTransform(image, Qz__Outer(t)));
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

void Qz__BuildPanel(TransformToolObject* t, Qz_Object* object) {
  Qz_Object* panel = buildBoxPanel(kTitle, kTitle, t->edits, Qz__PanelEvent, qz::toWord(t));
  if (panel) Qz_DoMethod(object->super, kToolSetOptions, panel);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  TransformToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolGetBrushOutline: return 0;
    case kToolInputMethod:
      return Qz__Input(t, reinterpret_cast<Qz_Image*>(args[0]), reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolDeactivate:
      Qz__CancelPendingTransforms(object);
      hideAllHandles();
      return activateWithButton(object, t->button, id, args);
    case kToolActivate: return activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  TransformToolObject* t = Qz__Self(object);
  t->button = addToolButton(object, 0, kTransformPictures);
  // Mode 0: the transform's handles only, no replay and no choosing of other actions.
  t->handleEditor = Qz_CreateObject("PositionActionTool", kHandleEditorSetMode, 0u, 0u);
  Qz__BuildPanel(t, object);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  TransformToolObject* t = Qz__Self(object);
  Qz_DisposeObject(t->handleEditor);
  t->handleEditor = nullptr;
}

const qz::kit::ClassDecl kTransformTool = {
    .name = "TransformTool", .superName = "RootTool", .classId = kTransformToolClassId,
    .instance = qz::kit::instanceOf<TransformToolObject>(), .handler = Qz__Dispatch,
    .superTags = reinterpret_cast<const TagItem*>(kTransformCursorTags), .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTransformToolClass(Qz_GlobalData*) { return qz::kit::addClass(kTransformTool); }
QZ_EXPORT void Qz_CleanupTransformToolClass(void) { qz::kit::removeClass(kTransformTool); }
QZ_EXTERN_C_END
