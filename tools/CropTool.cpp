// CropTool: a drag over the view makes a pending CropAction; while one is
// the selected action its handles (the inner handle editor) and the panel's
// four edits adjust it, the crop button commits it as one undoable step
// and cancel removes it. Choosing another tool removes the pending crops of
// every open image. Answers no brush outline.

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

const char* const kCropPictures[] = {"Data/Images/ToolBar/Crop"};

constexpr uint32_t kCropTip = 314;  // catalogue: "Crop Tool"
// Catalogue: "X:", "Y:", width, height, "Crop", "Cancel".
constexpr uint32_t kCropLabel = 124;
enum : uint32_t { kHeightEdit = 3, kCropButton = kBoxCommitButton, kCancelButton = kBoxCancelButton };

struct CropToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  Qz_Object* edits[4] = {};
  Qz_Object* handleEditor = nullptr;
  BoxDrag drag;
};

const QzWord kCropCursorTags[] = {kToolSetCursorKind, kToolCursorPaint, TAG_DONE, 0};

CropToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<CropToolObject*>(object); }
Qz_Object* Qz__Outer(CropToolObject* t) { return Qz_GetTopMostObject(&t->header); }

Qz_Object* Qz__PendingCrop(Qz_Image* image) {
  Qz_Object* action = selectedActionOf(image, kCropActionClassId);
  return action && Qz_DoMethod(action, kActionGetQualifier) == 0 ? action : nullptr;
}

// The panel follows the pending crop: x and width from the first and third corners.
void Qz__RefreshPanel(CropToolObject* t, Qz_Image* image) {
  if (Qz_Object* crop = Qz__PendingCrop(image)) {
    const PointBox b = boxOfCorners(actionPoints(crop));
    t->drag.box = {b.x, b.y, b.width, b.height};
  }
  showBox(t->edits, t->drag.box);
}

// A new pending crop of the tool's box on the image's undo list, or none.
Qz_Object* Qz__AddCrop(CropToolObject* t, Qz_Image* image) {
  const DragBox& b = t->drag.box;
  Qz_Object* crop = makeCornerAction("CropAction", Qz__Outer(t), {b.x, b.y, b.width, b.height});
  if (crop && !Qz_AddImageAction(image, crop, 0)) {
    Qz_DisposeObject(crop);
    return nullptr;
  }
  return crop;
}

QzWord Qz__Event(CropToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  if (Qz__PendingCrop(image) && !t->drag.dragging) {
    handToEditor(Qz__Outer(t), t->handleEditor, image, e);
    if (e->cls != IDCMP_INTUITICKS) Qz__RefreshPanel(t, image);
    return 0;
  }
  Qz_DoMethod(Qz__Outer(t), kToolSetCursorKind, kToolCursorPaint);
  if (boxDragInput(t->drag, image, e)) {
    if (Qz_Object* crop = Qz__AddCrop(t, image)) Qz_DoMethod(crop, kRootSelect);
  }
  if (t->drag.dragging || e->cls == IDCMP_MOUSEBUTTONS) showBox(t->edits, t->drag.box);
  return kToolInputDone;
}

QzWord Qz__Input(CropToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  if (!image || !e) return kToolInputDone;
  const QzWord result = Qz__Event(t, image, e);
  // The handle editor shows the handles itself, also while they are dragged.
  if (result != 0) showHandles(qz::actions::owningDocument(image), Qz__PendingCrop(image));
  return result;
}

// Every open image's pending crop goes; committed crops stay on their lists.
void Qz__CancelPendingCrops() {
  removePendingActions([](Qz_Image* image) { return Qz__PendingCrop(image); });
}

// The numbers in the edits become the crop; the image is cut to them as one step.
void Qz__Commit(CropToolObject* t, Qz_Image* image, Qz_Object* crop) {
  readBox(t->edits, t->drag.box);
  if (t->drag.box.width < 1 || t->drag.box.height < 1) return;
  if (!crop) crop = Qz__AddCrop(t, image);
  if (!crop) return;
  Qz_DoMethod(crop, kRootDeselect);
  Qz_DoMethod(crop, kActionSetQualifier, 1u);
  // A crop that could not be carried out leaves no step behind that undo would stumble on.
  if (!Qz_DoMethod(crop, kActionApply)) removeAction(image, crop);
}

void Qz__PanelEvent(QzWord userData, Qz_Object* source, uint32_t, const QzWord* value) {
  auto* t = reinterpret_cast<CropToolObject*>(userData);
  const uint32_t which = uint32_t(Qz_DoMethod(source, kRootGetUserData));
  if (which == kCancelButton) {
    Qz__CancelPendingCrops();
    return;
  }
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return;
  Qz_Object* crop = Qz__PendingCrop(image);
  if (which <= kHeightEdit) editBox(crop, t->drag.box, which, int32_t(value[0]));
  if (which == kCropButton) Qz__Commit(t, image, crop);
  showHandles(qz::actions::owningDocument(image), Qz__PendingCrop(image));
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

void Qz__BuildPanel(CropToolObject* t, Qz_Object* object) {
  Qz_Object* panel = buildBoxPanel(Qz_CatalogString(kCropLabel), Qz_CatalogString(kCropLabel), t->edits, Qz__PanelEvent, qz::toWord(t));
  if (panel) Qz_DoMethod(object->super, kToolSetOptions, panel);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  CropToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolGetBrushOutline: return 0;
    case kToolInputMethod:
      return Qz__Input(t, reinterpret_cast<Qz_Image*>(args[0]), reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolDeactivate:
      Qz__CancelPendingCrops();
      hideAllHandles();
      return activateWithButton(object, t->button, id, args);
    case kToolActivate: return activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  CropToolObject* t = Qz__Self(object);
  t->button = addToolButton(object, kCropTip, kCropPictures);
  // Mode 0: the crop's handles only, no replay and no choosing of other actions.
  t->handleEditor = Qz_CreateObject("PositionActionTool", kHandleEditorSetMode, 0u, 0u);
  Qz__BuildPanel(t, object);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  CropToolObject* t = Qz__Self(object);
  Qz_DisposeObject(t->handleEditor);
  t->handleEditor = nullptr;
}

const qz::kit::ClassDecl kCropTool = {
    .name = "CropTool", .superName = "RootTool", .classId = kCropToolClassId,
    .instance = qz::kit::instanceOf<CropToolObject>(), .handler = Qz__Dispatch,
    .superTags = reinterpret_cast<const TagItem*>(kCropCursorTags), .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCropToolClass(Qz_GlobalData*) { return qz::kit::addClass(kCropTool); }
QZ_EXPORT void Qz_CleanupCropToolClass(void) { qz::kit::removeClass(kCropTool); }
QZ_EXTERN_C_END
