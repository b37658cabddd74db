// The smear dab: the colours under the previous dab are pulled to the new
// one through the brush (or, with another button, the background comes back).
#include "media/smear_dab.h"

#include <algorithm>
#include <cstring>

#include "image/qz_compositor.h"
#include "media/dab_kernels.h"
#include "media/qz_root_media.h"

namespace qz::media {
namespace {

// The colour planes the smear works on, and the layer whose position places it.
struct SmearTarget {
  Qz_Image* image = nullptr;
  int32_t offsetX = 0, offsetY = 0;
};

SmearTarget Qz__SmearTarget(Qz_Image* image, Qz_Image* layer) {
  SmearTarget t;
  Qz_Image* last = layer;
  for (int guard = 0; layer && layer->type == kQzImageLayer && guard < 64; ++guard) {
    t.image = layer;
    last = layer;
    layer = layer->paintLayer && layer->paintLayer != layer ? layer->paintLayer : nullptr;
  }
  if (!t.image) t.image = image;
  if (last) {
    t.offsetX = last->placement.layerX;
    t.offsetY = last->placement.layerY;
  }
  return t;
}

}  // namespace

uint8_t** planeOf(Qz_Image* image, int channel, bool undo) {
  if (image->depth == 8) return channel == 0 ? (undo ? image->undoGrey : image->grey) : nullptr;
  if (undo) return channel == 0 ? image->undoR : channel == 1 ? image->undoG : image->undoB;
  return channel == 0 ? image->r : channel == 1 ? image->g : image->b;
}

void smearDab(Qz_RootMediaObject* m, Qz_Image* image, Qz_Image* layer, uint32_t button, uint32_t flags,
                  int32_t x, int32_t y, int32_t tablet) {
  Qz_Image* brush = m->brushImage;
  if (!brush || !layer || brush->depth != 8 || !brush->grey) return;
  const SmearTarget t = Qz__SmearTarget(image, layer);
  Qz_Image* target = t.image;
  if (!target || target->state.load() != kQzImageAllocated) return;
  const uint32_t strength = qz::media::dabStrength(m->pressure, tablet);
  const int32_t bw = m->brushWidth, bh = m->brushHeight;
  // The smear rectangle is the brush's, clipped to the target; the brush is
  // read only inside its own bounds.
  const DabRect r = qz::media::clipDab(x + t.offsetX - bw / 2, y + t.offsetY - bh / 2, bw, bh, target->width,
                                       target->height);
  if (r.empty()) return;
  if (m->smear == 2) {
    Qz_ModifiedLayer(layer, r.x0 - t.offsetX, r.y0 - t.offsetY, r.x1 - t.offsetX, r.y1 - t.offsetY);
    Qz_ProcessLayer(layer, r.x0 - t.offsetX, r.y0 - t.offsetY, r.x1 - t.offsetX, r.y1 - t.offsetY);
  }
  const int channels = target->depth == 8 ? 1 : 3;
  const int32_t count = r.x1 - r.x0 + 1;
  if (button != kStrokeButtonPaint) {
    for (int c = 0; c < channels; ++c) {
      uint8_t** planes = planeOf(target, c, false);
      uint8_t** undo = planeOf(target, c, true);
      if (!planes || !undo) return;
      for (int32_t row = r.y0; row <= r.y1; ++row)
        MergeDataViaAlphaAndTrans(planes[row] + r.x0, undo[row] + r.x0,
                                  brush->grey[r.brushRow + row - r.y0] + r.brushColumn, strength, uint32_t(count));
    }
  } else if (Qz_Image* buffer = m->smearBuffer) {
    // The block under the previous dab, copied where it lies on the target.
    const DabRect from = qz::media::clipDab(m->lastX + t.offsetX - bw / 2, m->lastY + t.offsetY - bh / 2, bw, bh,
                                            target->width, target->height);
    if (from.empty()) return;
    const int32_t fromCount = from.x1 - from.x0 + 1;
    for (int c = 0; c < channels; ++c) {
      uint8_t** planes = planeOf(target, c, false);
      uint8_t** store = planeOf(buffer, c, false);
      if (!planes || !store) return;
      for (int32_t row = from.y0; row <= from.y1; ++row)
        std::memcpy(store[row - from.y0], planes[row] + from.x0, size_t(fromCount));
      const int32_t rows = from.y1 - from.y0 + 1;
      for (int32_t row = r.y0; row <= r.y1; ++row) {
        const int32_t bufferRow = std::min(row - r.y0, rows - 1);
        const int32_t n = std::min(count, fromCount);
        qz::media::smearDabRow(planes[row] + r.x0, store[bufferRow],
                               brush->grey[r.brushRow + row - r.y0] + r.brushColumn, strength, n);
      }
    }
  }
  if (flags & kStrokeFlagQuiet)
    Qz_NoteImageChange(target);  // the line's caller reports the rectangle
  else
    Qz_ModifiedImageData(target, r.x0, r.y0, r.x1, r.y1);
}

}  // namespace qz::media
