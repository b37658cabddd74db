// SymmetryTool: freehand strokes laid again around the stroke's centre. A
// hidden freehand tool draws; the options panel's slider chooses how many
// copies each new stroke lays.
#include <algorithm>

#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"
#include "objects/catalogue.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "tools/qz_root_tool.h"
#include "tools/tool_button.h"

namespace {

constexpr uint32_t kSymmetryToolClassId = 0x17770000;
constexpr uint32_t kSymmetryTip = 274;     // catalogue: "Symmetry"
constexpr uint32_t kCopiesLabel = 273;     // catalogue: "Symmetric copies"
constexpr uint32_t kFewestCopies = 1, kMostCopies = 20, kInitialCopies = 6;
constexpr const char* kPictures[] = {"Data/Images/ToolBar/Symmetry"};

struct SymmetryToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  Qz_Object* drawTool = nullptr;  // hidden; draws every stroke
  uint32_t copies = kInitialCopies;
};

const QzWord kPaintCursorTags[] = {kToolSetCursorKind, kToolCursorPaint, TAG_DONE, 0};

SymmetryToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<SymmetryToolObject*>(object); }

QzWord Qz__SetCopies(SymmetryToolObject* t, QzWord value) {
  t->copies = std::clamp(uint32_t(value), kFewestCopies, kMostCopies);
  Qz_DoMethod(t->drawTool, kDrawToolSetActionTag, t->copies);
  return t->copies;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  SymmetryToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolInputMethod:
    case kToolGetBrushOutline: return Qz_DoMethodA(t->drawTool, id, args);
    case kDrawToolSetActionTag: return Qz__SetCopies(t, args[0]);
    case kDrawToolGetActionTag: return t->copies;
    case kToolActivate:
    case kToolDeactivate: return qz::tools::activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

// The options panel: a label over the slider of copies.
Qz_Object* Qz__MakeOptions(Qz_Object* tool) {
  Qz_Object* panel = Qz_CreateObject("Group", kGroupSetMode, 1u);
  Qz_AddObject(panel, "Text", kRootSetLabel, Qz_CatalogString(kCopiesLabel));
  Qz_Object* slider = Qz_AddObject(panel, "Slider", kValueSetMinimum, kFewestCopies, kValueSetMaximum, kMostCopies);
  if (!slider) return panel;
  Qz_DoMethod(slider, kValueSet, kInitialCopies);
  Qz_AddNotify(slider, kValueSet, kNotifyAnyValue, tool, 2, kDrawToolSetActionTag, kNotifyTriggerValue);
  return panel;
}

bool Qz__SetUp(Qz_Object* object) {
  SymmetryToolObject* t = Qz__Self(object);
  t->drawTool = Qz_CreateObject("DrawTool");
  if (!t->drawTool) return false;
  Qz_DoMethod(t->drawTool, kDrawToolSetActionTag, kInitialCopies);
  t->button = qz::tools::addToolButton(object, kSymmetryTip, kPictures);
  Qz_DoMethod(object, kToolSetOptions, Qz__MakeOptions(object));
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_DisposeObject(Qz__Self(object)->drawTool);
}

const qz::kit::ClassDecl kSymmetryTool = {
    .name = "SymmetryTool", .superName = "RootTool", .classId = kSymmetryToolClassId,
    .instance = qz::kit::instanceOf<SymmetryToolObject>(), .handler = Qz__Dispatch,
    .superTags = reinterpret_cast<const TagItem*>(kPaintCursorTags), .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSymmetryToolClass(Qz_GlobalData*) { return qz::kit::addClass(kSymmetryTool); }
QZ_EXPORT void Qz_CleanupSymmetryToolClass(void) { qz::kit::removeClass(kSymmetryTool); }
QZ_EXTERN_C_END
