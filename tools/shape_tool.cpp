#include "tools/shape_tool.h"

#include "actions/qz_actions.h"
#include "gadgets/qz_widgets.h"
#include "platform/windows.h"
#include "tools/curve_drag.h"
#include "tools/polygon_clicks.h"
#include "tools/qz_root_tool.h"
#include "tools/tool_button.h"

namespace qz::tools {
namespace {

constexpr uint32_t kFilledState = 2;  // the button's second state chooses the filled variant

struct ShapeToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  ShapeDrag drag;
  CurveDrag curve;
  PolygonClicks polygon;
};

const QzWord kPaintCursorTags[] = {kToolSetCursorKind, kToolCursorPaint, TAG_DONE, 0};

ShapeToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<ShapeToolObject*>(object); }
const ShapeToolTraits& Qz__Traits(Qz_Object* object) {
  return *static_cast<const ShapeToolTraits*>(qz::kit::declOf(object)->family);
}

bool Qz__Filled(ShapeToolObject* t, const ShapeToolTraits& traits) {
  return traits.hasFilledVariant && Qz_DoMethod(t->button, kToolButtonGetState) == kFilledState;
}

uint32_t Qz__StrokeFlags(ShapeToolObject* t, const ShapeToolTraits& traits) {
  if (traits.shape == Shape::Line) return kActionLines;
  if (traits.shape == Shape::Curve) return kActionCurve;
  return Qz__Filled(t, traits) ? kActionPolygon : kActionOutline;
}

QzWord Qz__Input(ShapeToolObject* t, const ShapeToolTraits& traits, Qz_Object* tool, Qz_Image* image,
                 const Qz_InputEvent* e) {
  switch (traits.shape) {
    case Shape::Curve: return curveDragInput(t->curve, tool, image, e);
    case Shape::Polygon: return polygonInput(t->polygon, tool, Qz__StrokeFlags(t, traits), image, e);
    default: return shapeDragInput(t->drag, traits.shape, tool, Qz__StrokeFlags(t, traits), image, e);
  }
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ShapeToolObject* t = Qz__Self(object);
  const ShapeToolTraits& traits = Qz__Traits(object);
  switch (id) {
    case kToolGetBrushOutline: return Qz__Filled(t, traits) ? 0 : 1;
    case kToolButtonSetState:
      if (Qz_DoMethod(t->button, kToolButtonGetState) != args[0]) Qz_DoMethod(t->button, kToolButtonSetState, args[0]);
      return args[0];
    case kToolInputMethod:
      return Qz__Input(t, traits, Qz_GetTopMostObject(object), reinterpret_cast<Qz_Image*>(args[0]),
                       reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolActivate:
    case kToolDeactivate: return activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  const ShapeToolTraits& traits = Qz__Traits(object);
  Qz__Self(object)->button = addToolButton(object, traits.tip, {traits.pictures, traits.pictureCount},
                                           traits.hasFilledVariant);
  return true;
}

// A shape half drawn lets the pointer go with the tool.
void Qz__TearDown(Qz_Object* object) {
  ShapeToolObject* t = Qz__Self(object);
  endCurveDrag(t->curve);
  endPolygon(t->polygon);
  if (t->drag.window) Qz_UngrabMousePointer(t->drag.window);
}

}  // namespace

qz::kit::ClassDecl shapeToolClass(const char* name, uint32_t classId, const ShapeToolTraits& traits) {
  return {.name = name, .superName = "RootTool", .classId = classId,
          .instance = qz::kit::instanceOf<ShapeToolObject>(), .handler = Qz__Dispatch,
          .superTags = reinterpret_cast<const TagItem*>(kPaintCursorTags), .setUp = Qz__SetUp,
          .tearDown = Qz__TearDown, .family = &traits};
}

}  // namespace qz::tools
