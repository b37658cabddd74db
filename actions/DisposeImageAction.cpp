// DisposeImageAction: deletes a layer. The layer object is kept (its storage
// released) so that undo can allocate and link it again; an action that still
// holds a deleted layer disposes it with itself.
#include "actions/action_internal.h"

namespace {

using namespace qz::actions;

struct DisposeData {
  Qz_Object header;
  Qz_Image* layer;
  Qz_Image* parent;
  Qz_Image* below;  // the layer it lay on, so that undo puts it back there
  int32_t width, height, depth;
  bool holdsLayer;  // unlinked: no image owns the layer now
};

QzWord Qz__Apply(DisposeData* d) {
  Qz_Image* layer = d->layer;
  if (!layer || layer->state.load() == kQzImageReleased || !layer->parent) return 1;
  Qz_Image* neighbour = next_layer(layer) ? next_layer(layer) : prev_layer(layer);
  d->parent = layer->parent;
  d->below = prev_layer(layer);
  d->width = layer->width;
  d->height = layer->height;
  d->depth = layer->depth;
  Qz_DoMethod(&layer->object, kQzImageHideLayer);
  Qz_DoMethod(&d->parent->object, kQzImageRemoveLayer, layer);
  Qz_DoMethod(&d->parent->object, kQzImageMakeActive, neighbour);
  Qz_DeallocImage(layer);
  d->holdsLayer = true;
  return 1;
}

QzWord Qz__Undo(DisposeData* d) {
  Qz_Image* layer = d->layer;
  if (!layer || !d->holdsLayer || !d->parent) return 0;
  if (layer->type == kQzImageLayer) {
    Qz_MessageBoxA(Qz__ActionText(118), Qz__ActionText(120), 8, nullptr);
    return 0;
  }
  if (!Qz_AllocImage(layer, d->width, d->height, d->depth, 0, nullptr)) return 0;
  Qz_DoMethod(&layer->object, kQzImageShowLayer);
  Qz_DoMethod(&d->parent->object, kQzImageAddLayer, layer);
  // Linking puts it after the active layer; it goes back where it was.
  // Compared, not read: the layer below may have gone since.
  Qz_Image* below = nullptr;
  for (Qz_Image* l = first_layer(d->parent); l; l = next_layer(l))
    if (l == d->below) below = l;
  if (prev_layer(layer) != below) Qz_DoMethod(&layer->object, kQzImageMoveAfter, below);
  Qz_DoMethod(&d->parent->object, kQzImageMakeActive, layer);
  d->holdsLayer = false;
  Qz_RedoAllLayerActions(layer);
  return 1;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* d = reinterpret_cast<DisposeData*>(object);
  switch (id) {
    case kActionSetLayer: d->layer = reinterpret_cast<Qz_Image*>(args[0]); break;
    case kActionApply: case kActionApplyQuiet: case kActionRedo: return Qz__Apply(d);
    case kActionUndo: return Qz__Undo(d);
    case kActionGetName: return qz::toWord(Qz__ActionText(d->layer ? 122 : 121));
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

void Qz__TearDown(Qz_Object* self) {
  auto* d = reinterpret_cast<DisposeData*>(self);
  if (d->holdsLayer && d->layer) Qz_DisposeObject(&d->layer->object);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Image", 0};

const qz::kit::ClassDecl kDisposeImageAction = actionClass(
    {.name = "DisposeImageAction", .classId = kDisposeImageActionClassId,
     .instance = qz::kit::instanceOf<DisposeData>(), .handler = Qz__Dispatch,
     .tearDown = Qz__TearDown}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDisposeImageActionClass(Qz_GlobalData*) { return qz::kit::addClass(kDisposeImageAction); }
QZ_EXPORT void Qz_CleanupDisposeImageActionClass(void) { qz::kit::removeClass(kDisposeImageAction); }
QZ_EXTERN_C_END
