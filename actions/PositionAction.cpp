// PositionAction: moves or resizes a layer, or places one of its source
// images, by kind; it records the placement it replaces for its undo.
#include "actions/action_internal.h"

namespace {

using namespace qz::actions;

struct Rect {
  int32_t x, y, width, height;
};

struct PositionData {
  Qz_Object header;
  Qz_Image* layer = nullptr;
  uint32_t kind = 0;
  Qz_Placement recorded{};
};

// 0 the layer, 1 its second source, 2 its first source, 3 the first source's place only.
const qz::kit::Attribute kAttributes[] = {
    {.setter = kPositionActionSetKind, .getter = kPositionActionGetKind,
     .field = qz::kit::field(&PositionData::kind), .setterName = "Qz_SetPositionActionKind",
     .getterName = "Qz_GetPositionActionKind", .answersZero = true},
};

Rect Qz__Target(Qz_Object* self) {
  return {int32_t(Qz_DoMethod(self->super, kActionGetX)),
          int32_t(Qz_DoMethod(self->super, kActionGetY)),
          int32_t(Qz_DoMethod(self->super, kActionGetWidth)),
          int32_t(Qz_DoMethod(self->super, kActionGetHeight))};
}

// The layer itself is moved (not whichever layer is active when the action
// runs again), so an undo after a change of layer moves the right one back.
void Qz__Place(PositionData* p, Rect layerRect, Rect second, Rect first) {
  Qz_Image* layer = p->layer;
  if (!layer) return;
  Qz_Object* sourceTarget = &(layer->paintLayer ? layer->paintLayer : layer)->object;
  switch (p->kind) {
    case 0:
      Qz_DoMethod(&layer->object, kQzImagePlaceLayer, layerRect.x, layerRect.y, layerRect.width,
                  layerRect.height);
      break;
    case 1:
      Qz_DoMethod(sourceTarget, kQzImagePlaceSecond, second.x, second.y, second.width,
                  second.height);
      break;
    case 2:
      Qz_DoMethod(sourceTarget, kQzImagePlaceFirst, first.x, first.y, first.width, first.height);
      break;
    case 3:
      Qz_DoMethod(sourceTarget, kQzImagePlaceFirst, first.x, first.y,
                  int32_t(p->recorded.firstSourceWidth), int32_t(p->recorded.firstSourceHeight));
      break;
    default: break;
  }
}

void Qz__Apply(Qz_Object* self, PositionData* p) {
  const Rect target = Qz__Target(self);
  Qz__Place(p, target, target, target);
}

void Qz__Undo(PositionData* p) {
  const Qz_Placement& r = p->recorded;
  Qz__Place(p, {r.layerX, r.layerY, r.layerWidth, r.layerHeight},
            {r.secondX, r.secondY, r.secondWidth, r.secondHeight},
            {r.firstX, r.firstY, r.firstWidth, r.firstHeight});
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* p = reinterpret_cast<PositionData*>(object);
  switch (id) {
    case kActionSetLayer:
      p->layer = reinterpret_cast<Qz_Image*>(args[0]);
      if (p->layer) p->recorded = p->layer->placement;
      break;
    // The bounds hold the new placement, not a box around points.
    case kActionRecomputeBounds: return 0;
    case kActionApply: case kActionApplyQuiet: case kActionRedo: Qz__Apply(object, p); return 1;
    case kActionUndo: Qz__Undo(p); return 1;
    case kActionGetName:
      return qz::toWord(Qz__ActionText(p->kind <= 3 ? 416 + p->kind : 130));
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Position", 0x1};

const qz::kit::ClassDecl kPositionAction = actionClass(
    {.name = "PositionAction", .classId = kPositionActionClassId,
     .instance = qz::kit::instanceOf<PositionData>(), .handler = Qz__Dispatch,
     .attributes = kAttributes}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPositionActionClass(Qz_GlobalData*) { return qz::kit::addClass(kPositionAction); }
QZ_EXPORT void Qz_CleanupPositionActionClass(void) { qz::kit::removeClass(kPositionAction); }
QZ_EXTERN_C_END
