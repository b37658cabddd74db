// FillTool: each click over the view flood-fills from the clicked point with
// the tool's tolerance and softness, as one FloodFillAction on the active layer.
#include "actions/qz_actions.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "objects/catalogue.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"
#include "tools/qz_root_tool.h"
#include "tools/tool_button.h"

namespace {

constexpr uint32_t kFillToolClassId = 0x177f0000;
constexpr uint32_t kFillToolTip = 313;  // catalogue: "Fill Tool"

struct FillToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  int32_t pressed = 0;
  int32_t tolerance = 25;
  int32_t softness = 30;
};

// The options panel's two sliders.
constexpr uint32_t kFillPanelTitle = 126;  // catalogue: "Flood Fill"
struct SliderRow {
  uint32_t label, minimum, maximum, initial, method;
};
constexpr SliderRow kSliderRows[] = {
    {149, 1, 255, 25, kFloodFillSetTolerance},  // catalogue: "Tolerance"
    {150, 1, 100, 30, kFloodFillSetSoftness},   // catalogue: "Softness", per cent
};

const QzWord kPaintCursorTags[] = {kToolSetCursorKind, kToolCursorPaint, TAG_DONE, 0};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kFloodFillSetTolerance, .getter = kFloodFillGetTolerance,
     .initial = 25, .field = qz::kit::field(&FillToolObject::tolerance), .answersZero = true},
    {.setter = kFloodFillSetSoftness, .getter = kFloodFillGetSoftness,
     .initial = 30, .field = qz::kit::field(&FillToolObject::softness), .answersZero = true},
};

FillToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<FillToolObject*>(object); }

void Qz__Fill(FillToolObject* t, Qz_Object* tool, Qz_Image* image, Qz_Image* layer, const Qz_InputEvent* e) {
  Qz_Object* action = Qz_CreateObject("FloodFillAction", kActionSetQualifier, uint32_t(t->pressed), kActionSetTool,
                                      tool, kFloodFillSetSoftness, uint32_t(t->softness), kFloodFillSetTolerance,
                                      uint32_t(t->tolerance), kActionSetImage, image, 0u);
  if (!action) return;
  Qz_DoMethod(action, kActionStartPoints, kActionSetX, uint32_t(Qz_ToolWindowToLayerX(image, e->mouseX)),
              kActionSetY, uint32_t(Qz_ToolWindowToLayerY(image, e->mouseY)), 0u);
  if (!Qz_AddLayerAction(layer, action, 0)) {
    Qz_DisposeObject(action);
    return;
  }
  Qz_DoMethod(action, kActionApply);
}

QzWord Qz__Input(FillToolObject* t, Qz_Object* tool, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_Image* layer = image && e ? image->activeLayer : nullptr;
  if (!layer || e->cls != IDCMP_MOUSEBUTTONS) return kToolInputDone;
  if (e->code == SELECTUP || e->code == MENUUP) t->pressed = 0;
  if (Qz_IsCoordOverObject(Qz_CurrentViewOf(image), e->mouseX, e->mouseY)) {
    if (e->code == SELECTDOWN) t->pressed = 1;
    if (e->code == MENUDOWN) t->pressed = 2;
  }
  if (t->pressed) Qz__Fill(t, tool, image, layer, e);
  if (e->code == SELECTUP || e->code == MENUUP) t->pressed = 0;
  return kToolInputDone;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  FillToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolInputMethod:
      return Qz__Input(t, Qz_GetTopMostObject(object), reinterpret_cast<Qz_Image*>(args[0]),
                       reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolActivate:
    case kToolDeactivate: return qz::tools::activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

// One row of the options panel: a label and a compact slider whose value
// goes to the tool under the action's own method id.
void Qz__AddSliderRow(Qz_Object* panel, Qz_Object* tool, const SliderRow& row) {
  Qz_Object* line = Qz_AddObject(panel, "Group", kGroupSetMode, 2u);
  Qz_AddObject(line, "Text", kRootSetLabel, Qz_CatalogString(row.label));
  // One share of the row's spare room, as the label has: a group's default
  // two shares would push the slider's right arrow out of the panel.
  Qz_Object* slider = Qz_AddObject(line, "CompactSlider", kValueSetMinimum, row.minimum, kValueSetMaximum,
                                   row.maximum, kValueSetFormat, "%ld", kRootSetWeight, 100);
  if (!slider) return;
  Qz_DoMethod(slider, kValueSet, row.initial);
  Qz_AddNotify(slider, kValueSet, kNotifyAnyValue, tool, 2, row.method, kNotifyTriggerValue);
}

bool Qz__SetUp(Qz_Object* object) {
  static constexpr const char* kPictures[] = {"Data/Images/ToolBar/Fill"};
  Qz__Self(object)->button = qz::tools::addToolButton(object, kFillToolTip, kPictures);
  Qz_Object* panel = Qz_CreateObject("Group", kGroupSetMode, 1u);
  Qz_AddObject(panel, "Text", kRootSetLabel, Qz_CatalogString(kFillPanelTitle));
  for (const SliderRow& row : kSliderRows) Qz__AddSliderRow(panel, object, row);
  Qz_DoMethod(object, kToolSetOptions, panel);
  return true;
}

const qz::kit::ClassDecl kFillTool = {
    .name = "FillTool", .superName = "RootTool", .classId = kFillToolClassId,
    .instance = qz::kit::instanceOf<FillToolObject>(), .handler = Qz__Dispatch, .attributes = kAttributes,
    .superTags = reinterpret_cast<const TagItem*>(kPaintCursorTags), .setUp = Qz__SetUp};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitFillToolClass(Qz_GlobalData*) { return qz::kit::addClass(kFillTool); }
QZ_EXPORT void Qz_CleanupFillToolClass(void) { qz::kit::removeClass(kFillTool); }
QZ_EXTERN_C_END
