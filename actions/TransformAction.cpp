// TransformAction: rotates, mirrors and/or scales the image (or mirrors only
// its layer) after taking a full undo copy, which its undo restores. Given
// four corners (by the transform tool) it instead moves the rectangle they
// first formed onto the quadrilateral they form when it is committed
// (qualifier 1), on its layer; pending it changes nothing and only shows its
// handles.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

#include "actions/action_internal.h"
#include "image/image_internal.h"
#include "image/quad_warp.h"
#include "image/qz_mirror.h"
#include "image/qz_rotation.h"
#include "image/qz_scaling.h"

namespace {

using namespace qz::actions;

constexpr uint32_t kFlipText = 215;

struct TransformData {
  Qz_Object header;
  int32_t angle = 0;  // whole degrees
  uint32_t flags = 0;
  uint32_t scaleWidth = 0;
  uint32_t scaleHeight = 0;
  qz::WarpRect source{0, 0, 0, 0};  // empty: no corners given yet
  bool warped = false;               // the last apply changed pixels
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kTransformActionSetFlags, .getter = kTransformActionGetFlags,
     .field = qz::kit::field(&TransformData::flags), .setterName = "Qz_SetTransformActionFlags",
     .getterName = "Qz_GetTransformActionFlags", .answersZero = true},
    {.setter = kTransformActionSetWidth, .getter = kTransformActionGetWidth,
     .field = qz::kit::field(&TransformData::scaleWidth), .setterName = "Qz_SetTransformActionWidth",
     .getterName = "Qz_GetTransformActionWidth", .answersZero = true},
    {.setter = kTransformActionSetHeight, .getter = kTransformActionGetHeight,
     .field = qz::kit::field(&TransformData::scaleHeight),
     .setterName = "Qz_SetTransformActionHeight", .getterName = "Qz_GetTransformActionHeight", .answersZero = true},
    {.setter = kTransformActionSetSourceX, .getter = kTransformActionGetSourceX,
     .field = qz::kit::field(&TransformData::source, &qz::WarpRect::x), .setterName = "Qz_SetTransformActionSourceX",
     .getterName = "Qz_GetTransformActionSourceX", .answersZero = true},
    {.setter = kTransformActionSetSourceY, .getter = kTransformActionGetSourceY,
     .field = qz::kit::field(&TransformData::source, &qz::WarpRect::y), .setterName = "Qz_SetTransformActionSourceY",
     .getterName = "Qz_GetTransformActionSourceY", .answersZero = true},
    {.setter = kTransformActionSetSourceWidth, .getter = kTransformActionGetSourceWidth,
     .field = qz::kit::field(&TransformData::source, &qz::WarpRect::width), .setterName = "Qz_SetTransformActionSourceWidth",
     .getterName = "Qz_GetTransformActionSourceWidth", .answersZero = true},
    {.setter = kTransformActionSetSourceHeight, .getter = kTransformActionGetSourceHeight,
     .field = qz::kit::field(&TransformData::source, &qz::WarpRect::height), .setterName = "Qz_SetTransformActionSourceHeight",
     .getterName = "Qz_GetTransformActionSourceHeight", .answersZero = true},
};

bool Qz__CornersGiven(const TransformData* t) { return t->source.width > 0 && t->source.height > 0; }

// The first four points, or none.
std::optional<std::array<qz::WarpPoint, 4>> Qz__Corners(Qz_Object* self) {
  auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self->super, kActionGetPoints));
  std::array<qz::WarpPoint, 4> corners{};
  size_t count = 0;
  for (Qz_Object* p = list ? listFirst(list) : nullptr; p && count < corners.size(); p = listOlder(list, p))
    corners[count++] = {int32_t(Qz_DoMethod(p, kActionGetX)), int32_t(Qz_DoMethod(p, kActionGetY))};
  if (count < corners.size()) return std::nullopt;
  return corners;
}

// The rectangle is what the corners first formed: later moves of the
// corners say where it goes.
void Qz__NoteSource(Qz_Object* self, TransformData* t) {
  if (Qz__CornersGiven(t)) return;
  const auto corners = Qz__Corners(self);
  if (!corners) return;
  const qz::WarpPoint a = (*corners)[0], c = (*corners)[2];
  const int64_t width = std::abs(int64_t(c.x) - a.x), height = std::abs(int64_t(c.y) - a.y);
  if (width > INT32_MAX || height > INT32_MAX) return;
  t->source = {std::min(a.x, c.x), std::min(a.y, c.y), int32_t(width), int32_t(height)};
}

// What the document shows is made anew from its background and layers:
// layers change after their image was recomposited.
void Qz__Recomposite(Qz_Image* changed) {
  Qz_Image* document = qz::topDocument(changed);
  qz::fullProcessImage(document);
  Qz_ModifiedAllImageData(changed);
  Qz_FullRedrawImage(document);
}

// The planes an edit of the image changes: its undo planes when it keeps
// them (the main ones are made from those), else the main ones.
bool Qz__WarpPlanes(Qz_Image* image, const qz::QuadWarp& warp, int32_t originX, int32_t originY) {
  const bool hasUndo = image->depth == 8 ? image->undoGrey != nullptr : image->undoR != nullptr;
  const std::array<Qz_Plane, 3> planes =
      image->depth == 8 ? std::array<Qz_Plane, 3>{hasUndo ? image->undoGrey : image->grey, nullptr, nullptr}
      : hasUndo         ? std::array<Qz_Plane, 3>{image->undoR, image->undoG, image->undoB}
                        : std::array<Qz_Plane, 3>{image->r, image->g, image->b};
  if (!warp.apply(planes, image->width, image->height, originX, originY)) return false;
  if (hasUndo) Qz_CopyUndoToImageData(image, 0, 0, image->width - 1, image->height - 1, 0, 0);
  return true;
}

// The layer's pixels (and an image layer's mask with them) at the layer's
// place in the document.
bool Qz__WarpLayer(Qz_Image* layer, const qz::QuadWarp& warp) {
  const bool placed = layer->parent != nullptr;
  const int32_t originX = placed ? layer->placement.layerX : 0, originY = placed ? layer->placement.layerY : 0;
  if (!Qz__WarpPlanes(layer, warp, originX, originY)) return false;
  Qz_Image* mask = layer->inner;
  if (mask && mask->width == layer->width && mask->height == layer->height &&
      !Qz__WarpPlanes(mask, warp, originX, originY))
    return false;
  Qz__Recomposite(layer);
  return true;
}

// Pending, a corner transform changes nothing; committed, it moves the
// rectangle of its layer onto its corners' quadrilateral. Corners that do
// not form a convex quadrilateral give no transform.
QzWord Qz__ApplyCorners(Qz_Object* self, TransformData* t) {
  Qz_Object* outer = Qz_GetTopMostObject(self);
  t->warped = false;
  if (Qz_DoMethod(outer, kActionGetQualifier) == 0) return 1;
  auto* image = reinterpret_cast<Qz_Image*>(Qz_DoMethod(outer, kActionGetImage));
  const auto corners = Qz__Corners(self);
  const auto warp = corners ? qz::QuadWarp::make(t->source, *corners) : std::nullopt;
  if (!image || !warp) return 0;
  if (warp->identity()) return 1;
  Qz_Image* layer = layerOf(outer);
  if (!Qz_DoMethod(outer, kActionTakeUndoCopy)) return 0;
  if (!Qz__WarpLayer(layer ? layer : image, *warp)) {
    Qz_DoMethod(outer, kActionRestoreUndoCopy);
    Qz_DoMethod(outer, kActionDisposeUndoCopy);
    return 0;
  }
  t->warped = true;
  return 1;
}

// A transform that changed no pixel has nothing to put back.
QzWord Qz__Undo(Qz_Object* self, TransformData* t) {
  if (Qz__CornersGiven(t) && !t->warped) return 1;
  return Qz_DoMethod(self->super, kActionRestoreUndoCopy);
}

bool Qz__Flips(uint32_t flags) { return (flags & (kQzFlipHorizontally | kQzFlipVertically)) != 0; }

// The whole image with its layers, or the action's layer alone in its place.
// A flip that fails part way is put back, so nothing is left half mirrored.
int32_t Qz__Flip(Qz_Object* self, Qz_Image* image, uint32_t flags) {
  Qz_Object* outer = Qz_GetTopMostObject(self);
  Qz_Image* layer = (flags & kQzFlipCurrentLayer) ? layerOf(outer) : nullptr;
  if ((flags & kQzFlipCurrentLayer) && !layer) return 0;
  if (!Qz__MirrorImage(layer ? layer : image, layer ? flags & ~kQzFlipLayers : flags)) {
    Qz_DoMethod(outer, kActionRestoreUndoCopy);
    return 0;
  }
  Qz__Recomposite(layer ? layer : image);
  if (!layer) Qz_DoMethod(&image->object, kQzImageRerender);
  return 1;
}

QzWord Qz__Apply(Qz_Object* self, TransformData* t) {
  if (Qz__CornersGiven(t)) return Qz__ApplyCorners(self, t);
  auto* image = reinterpret_cast<Qz_Image*>(Qz_DoMethod(self->super, kActionGetImage));
  if (!image) return 0;
  // Without its undo copy a flip could not be taken back.
  if (!Qz_DoMethod(self->super, kActionTakeUndoCopy) && Qz__Flips(t->flags)) return 0;
  int32_t ok = 1;
  if (t->angle != 0) {
    ok = Qz__RotateImage(image, t->angle * 100, t->flags);
    if (ok) {
      Qz__Recomposite(image);
      Qz_DoMethod(&image->object, kQzImageRerender);
    }
  }
  if (ok && Qz__Flips(t->flags)) ok = Qz__Flip(self, image, t->flags);
  if (ok && t->scaleWidth != 0)
    ok = Qz__ScaleImage(image, int32_t(t->scaleWidth), int32_t(t->scaleHeight),
                        t->flags & ~kQzScaleUndoable);
  return ok ? 1 : 0;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* t = reinterpret_cast<TransformData*>(object);
  switch (id) {
    case kActionSetAngle: t->angle = int32_t(args[0]); return 1;
    case kActionApply: case kActionApplyQuiet: case kActionRedo: return Qz__Apply(object, t);
    case kActionUndo: return Qz__Undo(object, t);
    case kActionStartPoints: case kActionAddPoint: {
      const QzWord point = qz::kit::inherited(object, id, args);
      Qz__NoteSource(object, t);
      return point;
    }
    case kActionGetName:
      return qz::toWord(Qz__ActionText(Qz__Flips(t->flags) ? kFlipText : t->angle != 0 ? 240 : 179));
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Shear", 0x401};

const qz::kit::ClassDecl kTransformAction = actionClass(
    {.name = "TransformAction", .classId = kTransformActionClassId,
     .instance = qz::kit::instanceOf<TransformData>(), .handler = Qz__Dispatch,
     .attributes = kAttributes}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTransformActionClass(Qz_GlobalData*) { return qz::kit::addClass(kTransformAction); }
QZ_EXPORT void Qz_CleanupTransformActionClass(void) { qz::kit::removeClass(kTransformAction); }
QZ_EXTERN_C_END
