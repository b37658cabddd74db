// ImageMedia: the picture brush. Its RootMedia (made with a 24-bit brush)
// spaces lines and curves as for any media; each dab copies the layer's
// source picture (or the painted image itself) into the image's colour
// planes through the picture's alpha and the dab strength. Its size is a
// percentage of the picture's width, kept here so a new picture reuses it.
#include <algorithm>

#include "media/dab_kernels.h"
#include "media/qz_root_media.h"
#include "media/root_media_object.h"
#include "media/smear_dab.h"
#include "objects/qz_class_kit.h"

namespace {

constexpr int32_t kTabletLift = 88;  // a light pen still lays about a third of the strength

struct Qz_ImageMediaObject {
  Qz_Object header{};           // super: the RootMedia
  int32_t percent = 100;        // the size as the user gave it
  Qz_Image* picture = nullptr;  // the picture the brush was last built from (not owned)
};

// The engine's brush is 24 bits deep: it holds the picture.
const QzWord kImageModeTags[] = {kMediaSetImageMode, 1, TAG_DONE, 0};

Qz_ImageMediaObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<Qz_ImageMediaObject*>(object); }

// The percentage in pixels of the current picture; as given without one.
QzWord Qz__SetSize(Qz_ImageMediaObject* self, int32_t value) {
  self->percent = value;
  Qz_RootMediaObject* m = qz::media::rootMediaOf(self->header.super);
  Qz_Image* shape = m ? m->shapeImage : nullptr;
  const int64_t pixels = shape ? int64_t(shape->width) * value / 100 : value;
  return Qz_DoMethod(self->header.super, kMediaSize,
                     uint32_t(std::clamp<int64_t>(pixels, kMediaMinSide, kMediaMaxSide)));
}

// The layer's source picture, else the image; its alpha is the second source
// of the picture's active layer.
void Qz__ChoosePicture(Qz_ImageMediaObject* self, Qz_Image* image, Qz_Image* layer) {
  Qz_Image* source = layer ? layer->firstSource : nullptr;
  Qz_Image* picture = source ? source : image;
  if (!picture || picture == self->picture) return;
  Qz_Image* alpha = source && source->activeLayer ? source->activeLayer->secondSource : nullptr;
  self->picture = picture;
  Qz_DoMethod(self->header.super, kMediaSetShapeImage, picture);
  Qz_DoMethod(self->header.super, kMediaSetAlphaImage, alpha);
  Qz_DoMethod(&self->header, kMediaSize, uint32_t(self->percent));
}

void Qz__PictureDab(Qz_RootMediaObject* m, Qz_Image* image, Qz_Image* layer, uint32_t button, uint32_t flags,
                    int32_t x, int32_t y, const uint32_t* tablet) {
  uint32_t strength = m->pressure;
  if (button == kStrokeButtonPaint && tablet)
    strength = std::min<uint32_t>(255, uint32_t(std::max<int32_t>(0, int32_t(tablet[0] & 0xFF) + kTabletLift)) *
                                           strength / 255);
  Qz_Image* brush = m->brushImage;
  if (!layer || !image || !brush || !m->imageMode || brush->depth != 24 || image->depth != 24) return;
  // Layer coordinates placed on the image the dab paints.
  const int32_t offsetX = layer != image ? layer->placement.layerX : 0;
  const int32_t offsetY = layer != image ? layer->placement.layerY : 0;
  const qz::media::DabRect r = qz::media::clipDab(x + offsetX - m->brushWidth / 2, y + offsetY - m->brushHeight / 2,
                                                  std::min(m->brushWidth, brush->width),
                                                  std::min(m->brushHeight, brush->height), image->width,
                                                  image->height);
  if (r.empty() || !image->r) return;
  const int32_t count = r.x1 - r.x0 + 1;
  Qz_Image* alpha = m->brushAlpha;
  if (button == kStrokeButtonPaint && !alpha) {
    Qz_BlitImageToImage(image, r.x0, r.y0, brush, r.brushColumn, r.brushRow, count, r.y1 - r.y0 + 1, strength, 0);
  } else if (alpha && alpha->r) {
    // Paint merges the brush in; any other button brings back the undo planes.
    const bool restore = button != kStrokeButtonPaint;
    if (restore && !image->undoR) return;
    for (int c = 0; c < 3; ++c) {
      uint8_t** to = qz::media::planeOf(image, c, false);
      uint8_t** from = restore ? qz::media::planeOf(image, c, true) : qz::media::planeOf(brush, c, false);
      uint8_t** through = qz::media::planeOf(alpha, c, false);
      for (int32_t row = r.y0; row <= r.y1; ++row) {
        const int32_t brushRow = r.brushRow + row - r.y0;
        const uint8_t* src = restore ? from[row] + r.x0 : from[brushRow] + r.brushColumn;
        MergeDataViaAlphaAndTrans(to[row] + r.x0, src, through[brushRow] + r.brushColumn, strength,
                                  uint32_t(count));
      }
    }
  }
  if (flags & kStrokeFlagQuiet)
    Qz_NoteImageChange(image);  // the line's caller reports the rectangle
  else
    Qz_ModifiedImageData(image, r.x0, r.y0, r.x1, r.y1);
}

QzWord Qz__Stroke(Qz_ImageMediaObject* self, const QzWord* w) {
  if (!w) return 0;
  auto* image = reinterpret_cast<Qz_Image*>(w[1]);
  auto* layer = reinterpret_cast<Qz_Image*>(w[2]);
  Qz_RootMediaObject* m = qz::media::rootMediaOf(self->header.super);
  if (!m) return 0;
  ObtainSemaphore(&m->semaphore);
  // The brush is built from the picture before a line asks for one, so the
  // engine never sizes it in pixels where a percentage is meant.
  Qz__ChoosePicture(self, image, layer);
  if (uint32_t(w[0]) != kStrokeDab) {
    const QzWord result = Qz_DoMethodA(self->header.super, kMediaStrokeMessage, w);
    ReleaseSemaphore(&m->semaphore);
    return result;
  }
  Qz__PictureDab(m, image, layer, uint32_t(w[3]), uint32_t(w[4]), int32_t(w[5]), int32_t(w[6]),
                 reinterpret_cast<const uint32_t*>(w[7]));
  ReleaseSemaphore(&m->semaphore);
  return 1;
}

QzWord Qz__ImageMediaDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ImageMediaObject* self = Qz__Self(object);
  switch (id) {
    case kMediaSize: return Qz__SetSize(self, int32_t(args[0]));
    case kMediaGetSizeValue: return uint32_t(self->percent);
    case kMediaStrokeMessage: return Qz__Stroke(self, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kImageMedia = {
    .name = "ImageMedia", .superName = "RootMedia", .classId = kImageMediaClassId,
    .instance = qz::kit::instanceOf<Qz_ImageMediaObject>(), .handler = Qz__ImageMediaDispatch,
    .superTags = reinterpret_cast<const TagItem*>(kImageModeTags)};

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitImageMediaClass(Qz_GlobalData*) { return qz::kit::addClass(kImageMedia); }
QZ_EXPORT void Qz_CleanupImageMediaClass(void) { qz::kit::removeClass(kImageMedia); }

QZ_EXTERN_C_END
