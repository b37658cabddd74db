// FloodFillAction: fills the region of similar colour around each of its
// points into a paint layer's transparency. The region's soft mask is
// measured on the document's background and added to the layer (taken away
// for the other button), so the layer's mode shows through it.
#include "actions/action_internal.h"
#include "actions/flood_fill.h"

namespace {

using namespace qz::actions;

constexpr uint32_t kFloodFillName = 126;  // catalogue

struct FloodFillData {
  Qz_Object header;
  int32_t tolerance = 0;
  int32_t softness = 0;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kFloodFillSetTolerance, .getter = kFloodFillGetTolerance,
     .field = qz::kit::field(&FloodFillData::tolerance), .answersZero = true},
    {.setter = kFloodFillSetSoftness, .getter = kFloodFillGetSoftness,
     .field = qz::kit::field(&FloodFillData::softness), .answersZero = true},
};

// The layer's placement in the document, kept inside the document.
FloodClip Qz__Clip(const Qz_Image* document, const Qz_Image* layer) {
  const auto fit = [](int32_t v, int32_t limit) { return std::min(std::max(v, 0), limit); };
  const int32_t left = layer->placement.layerX, top = layer->placement.layerY;
  return FloodClip{fit(left, document->width), fit(top, document->height), fit(left + layer->width, document->width),
                   fit(top + layer->height, document->height)};
}

Qz_Image* Qz__MakeMask(const Qz_Image* layer) {
  auto* mask = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  if (mask && Qz_AllocImage(mask, layer->width, layer->height, 8, kQzAllocNoThread | kQzAllocNoUndo, nullptr))
    return mask;
  if (mask) Qz_DisposeObject(&mask->object);
  return nullptr;
}

void Qz__FillFrom(FloodFillData* f, Qz_Image* document, Qz_Image* layer, int32_t x, int32_t y, bool add) {
  const FloodSettings settings{f->tolerance, f->softness};
  if ((100 - int64_t(settings.softness)) * settings.tolerance / 100 == settings.tolerance) return;  // no ramp
  Qz_Image* mask = Qz__MakeMask(layer);
  if (!mask) return;
  const int32_t ox = layer->placement.layerX, oy = layer->placement.layerY;
  const FloodClip written = floodFillMask(document, Qz__Clip(document, layer), settings, x, y, mask->grey, ox, oy);
  // The mask is 0 outside what the fill wrote, and adding or taking away 0
  // changes nothing: only the written rectangle is combined.
  const int32_t left = written.left - ox, top = written.top - oy;
  const int32_t width = written.right - written.left, height = written.bottom - written.top;
  if (width > 0 && height > 0) {
    if (add)
      Qz_AddImageToImage(layer, left, top, mask, left, top, width, height);
    else
      Qz_SubtractImageFromImage(layer, left, top, mask, left, top, width, height);
  }
  Qz_ModifiedAllImageData(layer);
  Qz_DisposeObject(&mask->object);
}

QzWord Qz__Apply(Qz_Object* object) {
  FloodFillData* f = reinterpret_cast<FloodFillData*>(object);
  auto* layer = reinterpret_cast<Qz_Image*>(Qz_DoMethod(object->super, kActionGetLayer));
  auto* document = reinterpret_cast<Qz_Image*>(Qz_DoMethod(object->super, kActionGetImage));
  if (!document && layer) document = layer->parent;
  auto* points = reinterpret_cast<Qz_Object*>(Qz_DoMethod(object->super, kActionGetPoints));
  if (!layer || !document || !points || layer->depth != 8 || !layer->grey) return 1;
  const bool add = Qz_DoMethod(object->super, kActionGetQualifier) == 1;
  for (Qz_Object* p = listFirst(points); p; p = listOlder(points, p)) {
    if (classIdOf(p) != kPointActionClassId) continue;
    Qz__FillFrom(f, document, layer, int32_t(Qz_DoMethod(p, kActionGetX)), int32_t(Qz_DoMethod(p, kActionGetY)),
                 add);
  }
  keepLayerCheckpoint(object, layer, document);
  return 1;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kActionApply:
    case kActionApplyQuiet: return Qz__Apply(object);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* self) {
  Qz_DoMethod(self->super, kActionSetName, Qz__ActionText(kFloodFillName));
  return true;
}

const ActionTraits kTraits = {"Data/Images/ToolBar/FloodFill", 0x2};

const qz::kit::ClassDecl kFloodFillAction = actionClass(
    {.name = "FloodFillAction", .classId = kFloodFillActionClassId,
     .instance = qz::kit::instanceOf<FloodFillData>(), .handler = Qz__Dispatch, .attributes = kAttributes,
     .setUp = Qz__SetUp},
    kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitFloodFillActionClass(Qz_GlobalData*) { return qz::kit::addClass(kFloodFillAction); }
QZ_EXPORT void Qz_CleanupFloodFillActionClass(void) { qz::kit::removeClass(kFloodFillAction); }
QZ_EXTERN_C_END
