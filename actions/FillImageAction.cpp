// FillImageAction: "Clear Layer" (value 0) and "Fill Layer". As the fill of
// its layer it is where that layer's replay starts; its undo replays the layer.
#include "actions/action_internal.h"

namespace {

using namespace qz::actions;

struct FillImageData {
  Qz_Object header;
  Qz_Image* layer = nullptr;
  uint32_t value = 0;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kFillImageActionSetValue, .getter = kFillImageActionGetValue,
     .field = qz::kit::field(&FillImageData::value), .setterName = "Qz_SetFillImageActionValue",
     .getterName = "Qz_GetFillImageActionValue", .format = "%lx", .answersZero = true},
};

FillImageData* asFill(Qz_Object* object) { return reinterpret_cast<FillImageData*>(object); }

QzWord Qz__Apply(FillImageData* f) {
  Qz_Image* layer = f->layer;
  if (!layer) return 1;
  if (f->value != 0) {
    setChangedSpans(layer, true);
    fillImage(layer, f->value);
    return 1;
  }
  setChangedSpans(layer, false);
  Qz_Image* parent = layer->parent ? layer->parent : layer;
  Qz_CopyUndoToImageData(parent, 0, 0, parent->width - 1, parent->height - 1, 0, 0);
  if (!parent->compositingSuspended.load()) {
    fillImage(layer, 0);
  } else {
    Qz_CopyUndoToImageData(parent, 0, 0, parent->width - 1, parent->height - 1, 0, 0);
    Qz_ModifiedAllImageData(parent);
    parent->compositingSuspended.store(0);
  }
  return 1;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  FillImageData* f = asFill(object);
  switch (id) {
    case kActionSetLayer: f->layer = reinterpret_cast<Qz_Image*>(args[0]); break;
    case kActionApply: case kActionApplyQuiet: case kActionRedo: return Qz__Apply(f);
    case kActionUndo:
      if (f->layer) {
        setChangedSpans(f->layer, false);
        Qz_RedoAllLayerActions(f->layer);
      }
      return 1;
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

bool Qz__SetUp(Qz_Object* self) {
  Qz_DoMethod(self->super, kActionSetName, Qz__ActionText(125));
  return true;
}

const ActionTraits kTraits = {"Data/Images/ToolBar/FillImage", 0x1};

const qz::kit::ClassDecl kFillImageAction = actionClass(
    {.name = "FillImageAction", .classId = kFillImageActionClassId,
     .instance = qz::kit::instanceOf<FillImageData>(), .handler = Qz__Dispatch,
     .attributes = kAttributes, .setUp = Qz__SetUp}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitFillImageActionClass(Qz_GlobalData*) { return qz::kit::addClass(kFillImageAction); }
QZ_EXPORT void Qz_CleanupFillImageActionClass(void) { qz::kit::removeClass(kFillImageAction); }
QZ_EXTERN_C_END
