// ButtonTool: a drag over the view makes a ButtonAction over the dragged box
// with the panel's three bevel settings. While that action is the selected
// one, input goes to the inner handle editor, the panel's edits move and
// size the button, and its sliders change the bevel (re-rendered at once).
// Answers the bevel methods 0x139a0032, 0x139a0046 and 0x139a005a.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "actions/action_internal.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_sliders.h"
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

const char* const kButtonPictures[] = {"Data/Images/ToolBar/Button"};

// Catalogue: "X:", "Y:", width, height; "Amount", "Cancel".
constexpr uint32_t kLabels[4] = {7, 8, 9, 10};
constexpr uint32_t kAmountLabel = 88, kCancelLabel = 20;
enum : uint32_t { kReadEdits = 4, kSpareButton = 5 };

struct ButtonToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  Qz_Object* edits[4] = {};
  Qz_Object* depthSlider = nullptr;
  Qz_Object* amountSlider = nullptr;
  Qz_Object* softnessSlider = nullptr;
  Qz_Object* handleEditor = nullptr;
  BoxDrag drag;
};

const QzWord kCursorTags[] = {kToolSetCursorKind, kToolCursorPaint, TAG_DONE, 0};

ButtonToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<ButtonToolObject*>(object); }
Qz_Object* Qz__Outer(ButtonToolObject* t) { return Qz_GetTopMostObject(&t->header); }

Qz_Object* Qz__Selected(Qz_Image* image) { return selectedActionOf(image, kFillImageActionClassId); }
bool Qz__IsButton(Qz_Object* action) {
  const auto* decl = qz::kit::declOf(action);
  return decl && decl->name && std::string_view(decl->name) == "ButtonAction";
}
Qz_Object* Qz__SelectedButton(Qz_Image* image) {
  Qz_Object* action = Qz__Selected(image);
  return Qz__IsButton(action) ? action : nullptr;
}

int32_t Qz__SliderValue(Qz_Object* slider, int32_t fallback) {
  return slider ? int32_t(Qz_DoMethod(slider, kValueGet)) : fallback;
}

// The box from the button's corners, into the edits.
void Qz__RefreshPanel(ButtonToolObject* t, Qz_Image* image) {
  if (Qz_Object* action = Qz__SelectedButton(image)) {
    const PointBox b = boxOfCorners(actionPoints(action));
    t->drag.box = {b.x, b.y, b.width, b.height};
  }
  showBox(t->edits, t->drag.box);
}

// The button is laid out before it joins the undo list: the steps that
// make its layer come first, so one undo takes the button back.
void Qz__MakeButton(ButtonToolObject* t, Qz_Image* image) {
  const DragBox& b = t->drag.box;
  Qz_Object* action = makeCornerAction("ButtonAction", Qz__Outer(t), {b.x, b.y, b.width, b.height});
  if (!action) return;
  Qz_DoMethod(action, kButtonActionSetDepth, uint32_t(Qz__SliderValue(t->depthSlider, 2)));
  Qz_DoMethod(action, kButtonActionSetAmount, uint32_t(Qz__SliderValue(t->amountSlider, 100)));
  Qz_DoMethod(action, kButtonActionSetSoftness, uint32_t(Qz__SliderValue(t->softnessSlider, 5)));
  Qz_DoMethod(action, kActionSetImage, image);
  if (!Qz_DoMethod(action, kActionApply) || !Qz_AddImageAction(image, action, 0)) {
    Qz_DoMethod(action, kActionUndo);
    Qz_DisposeObject(action);
    return;
  }
  Qz_DoMethod(action, kRootSelect);
}

QzWord Qz__Event(ButtonToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  if (Qz__SelectedButton(image) && !t->drag.dragging) {
    handToEditor(Qz__Outer(t), t->handleEditor, image, e);
    if (e->cls != IDCMP_INTUITICKS) Qz__RefreshPanel(t, image);
    return 0;
  }
  Qz_DoMethod(Qz__Outer(t), kToolSetCursorKind, kToolCursorPaint);
  if (boxDragInput(t->drag, image, e)) Qz__MakeButton(t, image);
  if (t->drag.dragging) showBox(t->edits, t->drag.box);
  return kToolInputDone;
}

QzWord Qz__Input(ButtonToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  if (!image || !e) return kToolInputDone;
  const QzWord result = Qz__Event(t, image, e);
  // The handle editor shows the handles itself, also while they are dragged.
  if (result != 0) showHandles(qz::actions::owningDocument(image), Qz__SelectedButton(image));
  return result;
}

// A bevel setting from the panel goes to the selected button, if any.
QzWord Qz__Bevel(uint32_t id, QzWord value) {
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return 0;
  if (Qz_Object* action = Qz__SelectedButton(image)) Qz_DoMethod(action, id, value);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  return 0;
}

void Qz__PanelEvent(QzWord userData, Qz_Object* source, uint32_t, const QzWord* value) {
  auto* t = reinterpret_cast<ButtonToolObject*>(userData);
  const uint32_t which = uint32_t(Qz_DoMethod(source, kRootGetUserData));
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return;
  if (Qz_Object* action = Qz__SelectedButton(image)) {
    if (which < 4) editBox(action, t->drag.box, which, int32_t(value[0]));
    if (which == kReadEdits) readBox(t->edits, t->drag.box);
    showHandles(qz::actions::owningDocument(image), action);
  }
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

void Qz__BuildPanel(ButtonToolObject* t, Qz_Object* object) {
  for (const char* cls : {"StringEdit", "Group", "Button", "CompactSlider"})
    if (!Qz_FindClassFromName(cls)) return;
  Qz_Object* read = nullptr;
  Qz_Object* spare = nullptr;
  auto label = [](uint32_t n) { return Qz_CatalogString(n); };
  Qz_Object* panel = Qz_CreateObjects(
      0, kBuildVGroup, kBuildVGroup, kGroupSetFrame, 1, kRootSetLabel, "Button",
      kBuildLabel, label(kLabels[0]), kBuildObject, "StringEdit", kStringEditSetNumeric, 1, kBuildStoreLast, &t->edits[0], kBuildClose,
      kBuildLabel, label(kLabels[1]), kBuildObject, "StringEdit", kStringEditSetNumeric, 1, kBuildStoreLast, &t->edits[1], kBuildClose,
      kBuildLabel, label(kLabels[2]), kBuildObject, "StringEdit", kStringEditSetNumeric, 1, kBuildStoreLast, &t->edits[2], kBuildClose,
      kBuildLabel, label(kLabels[3]), kBuildObject, "StringEdit", kStringEditSetNumeric, 1, kBuildStoreLast, &t->edits[3], kBuildClose,
      kBuildLabel, "Depth", kBuildObject, "CompactSlider", kValueSetMinimum, 1, kValueSetMaximum, 128,
      kValueSet, 2, kValueSetFormat, "%ld", kBuildStoreLast, &t->depthSlider, kBuildClose,
      kBuildLabel, label(kAmountLabel), kBuildObject, "CompactSlider", kValueSetMinimum, uint32_t(-200),
      kValueSetMaximum, 200, kValueSet, 100, kValueSetFormat, "%ld", kBuildStoreLast, &t->amountSlider, kBuildClose,
      kBuildLabel, "Softness", kBuildObject, "CompactSlider", kValueSetMinimum, 0, kValueSetMaximum, 29, kValueSet, 5,
      kValueSetFormat, "%ld", kBuildStoreLast, &t->softnessSlider, kBuildClose,
      kBuildHGroup,
      kBuildObject, "Button", kBuildStoreLast, &read, kBuildObject, "Text", kRootSetLabel, "Button", kBuildClose,
      kBuildClose,
      kBuildObject, "Button", kBuildStoreLast, &spare, kBuildObject, "Text", kRootSetLabel, label(kCancelLabel),
      kBuildClose, kBuildClose,
      kBuildClose,
      kBuildClose, kBuildClose);
  if (!panel) {
    for (Qz_Object*& edit : t->edits) edit = nullptr;
    t->depthSlider = t->amountSlider = t->softnessSlider = nullptr;
    return;
  }
  for (uint32_t i = 0; i < 4; ++i) {
    Qz_DoMethod(t->edits[i], kRootSetUserData, i);
    Qz_AddCallBackNotify(t->edits[i], kStringEditSetNumber, kNotifyAnyValue, Qz__PanelEvent, qz::toWord(t));
  }
  Qz_DoMethod(read, kRootSetUserData, uint32_t(kReadEdits));
  Qz_DoMethod(spare, kRootSetUserData, uint32_t(kSpareButton));
  for (Qz_Object* b : {read, spare}) Qz_AddCallBackNotify(b, kButtonPressed, kNotifyAnyValue, Qz__PanelEvent, qz::toWord(t));
  Qz_AddNotify(t->depthSlider, kValueSet, kNotifyAnyValue, object, 2, kButtonActionSetDepth, kNotifyTriggerValue);
  Qz_AddNotify(t->amountSlider, kValueSet, kNotifyAnyValue, object, 2, kButtonActionSetAmount, kNotifyTriggerValue);
  Qz_AddNotify(t->softnessSlider, kValueSet, kNotifyAnyValue, object, 2, kButtonActionSetSoftness,
               kNotifyTriggerValue);
  Qz_DoMethod(object->super, kToolSetOptions, panel);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ButtonToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolInputMethod:
      return Qz__Input(t, reinterpret_cast<Qz_Image*>(args[0]), reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kButtonActionSetAmount:
    case kButtonActionSetDepth:
    case kButtonActionSetSoftness: return Qz__Bevel(id, args[0]);
    case kToolDeactivate: hideAllHandles(); return activateWithButton(object, t->button, id, args);
    case kToolActivate: return activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  ButtonToolObject* t = Qz__Self(object);
  t->button = addToolButton(object, 0, kButtonPictures);
  // Mode 0: the button's handles only, no replay and no choosing of other actions.
  t->handleEditor = Qz_CreateObject("PositionActionTool", kHandleEditorSetMode, 0u, 0u);
  Qz__BuildPanel(t, object);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  ButtonToolObject* t = Qz__Self(object);
  Qz_DisposeObject(t->handleEditor);
  t->handleEditor = nullptr;
}

const qz::kit::ClassDecl kButtonTool = {
    .name = "ButtonTool", .superName = "RootTool", .classId = kButtonToolClassId,
    .instance = qz::kit::instanceOf<ButtonToolObject>(), .handler = Qz__Dispatch,
    .superTags = reinterpret_cast<const TagItem*>(kCursorTags), .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitButtonToolClass(Qz_GlobalData*) { return qz::kit::addClass(kButtonTool); }
QZ_EXPORT void Qz_CleanupButtonToolClass(void) { qz::kit::removeClass(kButtonTool); }
QZ_EXTERN_C_END
