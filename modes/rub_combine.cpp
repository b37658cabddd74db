// The Rub family's renders: combiners and rub-through read the secondary
// picture over exactly the rectangle the block's rows meet, each row tested
// against it; rub-paint and burn-through rework rub-through's output.
#include "modes/rub_combine.h"

#include <cstring>

#include "modes/mode_fetch.h"

namespace qz::modes {
namespace {

using RowKernel = void (*)(const uint8_t* s, const uint8_t* b, uint8_t* d, int32_t count);

template <RubOp Op>
void Qz__CombineRow(const uint8_t* s, const uint8_t* b, uint8_t* d, int32_t count) {
  for (int32_t i = 0; i < count; ++i) d[i] = rubCombine(Op, s[i], b[i]);
}

// Chosen once per render, outside the pixel loops.
RowKernel Qz__KernelFor(RubOp op) {
  switch (op) {
    case RubOp::Add: return Qz__CombineRow<RubOp::Add>;
    case RubOp::Subtract: return Qz__CombineRow<RubOp::Subtract>;
    case RubOp::Multiply: return Qz__CombineRow<RubOp::Multiply>;
    case RubOp::Darken: return Qz__CombineRow<RubOp::Darken>;
    case RubOp::Lighten: return Qz__CombineRow<RubOp::Lighten>;
    case RubOp::Difference: return Qz__CombineRow<RubOp::Difference>;
    case RubOp::Or: return Qz__CombineRow<RubOp::Or>;
    case RubOp::XOr: return Qz__CombineRow<RubOp::XOr>;
    case RubOp::Brightness:
    case RubOp::Thru: break;
  }
  return Qz__CombineRow<RubOp::Thru>;
}

// Each channel of the span scaled by the picture pixel's mean level.
void Qz__BrightnessSpan(const uint8_t* const s[3], const uint8_t* const b[3], uint8_t* const d[3],
                        int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    const int32_t k = rubBrightnessLevel(b[0][i], b[1][i], b[2][i]);
    for (int c = 0; c < 3; ++c) d[c][i] = uint8_t(rubScale(s[c][i], k));
  }
}

// The 24-bit render of a combiner or rub-through over the picture.
QzWord Qz__RenderOver(const Qz_ModeRenderMessage* message, RubOp op, const SecondaryPicture& picture) {
  const Qz_ImageLock* block = message->block;
  const int32_t x0 = block->x0, x1 = block->x1;
  // Only the picture's rectangle under the block's rows: its own coordinates.
  SpareFetch fetch(picture, picture.fetchRect(x0, block->y0, x1, block->y1));
  copySourceToOutput(message);
  if (!fetch.ok()) return 1;  // the picture misses the block, or could not be had
  const SourceView source = viewOf(block);
  const SourceView& t = fetch.view();
  const RowKernel kernel = Qz__KernelFor(op);
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const ColumnSpan span = picture.overlap(y, x0, x1);
    if (span.empty()) continue;
    const int32_t count = span.count(), at = span.first - x0;
    const int32_t py = picture.pictureY(y), px = picture.pictureX(span.first);
    const uint8_t* s[3];
    const uint8_t* b[3];
    uint8_t* d[3] = {message->r[y - block->y0] + at, message->g[y - block->y0] + at,
                     message->b[y - block->y0] + at};
    for (int c = 0; c < 3; ++c) {
      s[c] = source.row(c, y).from(span.first, count);
      b[c] = t.row(c, py).from(px, count);
    }
    if (op == RubOp::Brightness) {
      Qz__BrightnessSpan(s, b, d, count);
      continue;
    }
    for (int c = 0; c < 3; ++c) kernel(s[c], b[c], d[c], count);
  }
  return 1;
}

}  // namespace

QzWord renderRubCombine(const Qz_ModeRenderMessage* message, RubOp op) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->y0 > block->y1 || block->x0 > block->x1) return 1;
  // A grey document has no colour picture to combine with: the data below shows.
  if (block->image->depth != 24) {
    copySourceToOutput(message);
    return 1;
  }
  return Qz__RenderOver(message, op, SecondaryPicture(block, SecondaryPicture::Fallback::DataBelow));
}

QzWord renderRubThru(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image) return 1;
  if (block->image->depth == 8) return 0;
  if (block->image->depth != 24 || block->y0 > block->y1 || block->x0 > block->x1) return 1;
  return Qz__RenderOver(message, RubOp::Thru, SecondaryPicture(block));
}

QzWord renderRubPaint(Qz_Object* object, const QzWord* args, RubColourRework rework) {
  const Qz_ModeRenderMessage* message = renderMessage(args);
  const Qz_ImageLock* block = message ? message->block : nullptr;
  const uint8_t* k = paintColour(block);
  const int32_t colour[3] = {k[0], k[1], k[2]};  // before the rub-through renders
  qz::kit::inherited(object, kQzModeRender, args);
  if (!block || !block->image) return 1;
  if (block->image->depth == 8) return 0;
  const Qz_Image* layer = block->layer;
  if (block->image->depth != 24 || !layer || block->y0 > block->y1) return 1;
  const bool grey = layer->depth == 8 && layer->grey;
  const bool planes = layer->depth == 24 && layer->r && layer->g && layer->b;
  if (!grey && !planes) return 1;
  const int32_t lx0 = layer->placement.layerX, ly0 = layer->placement.layerY;
  // Only the block's pixels that lie on the layer have a byte of it.
  const int32_t xa = std::max(block->x0, lx0), xb = std::min(block->x1, lx0 + layer->width - 1);
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t ly = y - ly0;
    if (ly < 0 || ly >= layer->height || xa > xb) continue;
    const int32_t row = y - block->y0;
    uint8_t* d[3] = {message->r[row], message->g[row], message->b[row]};
    for (int32_t x = xa; x <= xb; ++x) {
      const int32_t i = x - block->x0, lx = x - lx0;
      if (planes) {
        const Qz_Plane own[3] = {layer->r, layer->g, layer->b};
        for (int c = 0; c < 3; ++c)
          d[c][i] = uint8_t(std::min(255, rubPaintWeight(own[c][ly][lx]) + colour[c]));
        continue;
      }
      const int32_t a = layer->grey[ly][lx];
      const int32_t w = rubPaintWeight(a);
      if (rework == RubColourRework::Paint) {
        for (int c = 0; c < 3; ++c) d[c][i] = uint8_t(std::min(255, d[c][i] + colour[c] * w / 255));
      } else if (a != 255) {  // a full layer byte burns through to the picture
        for (int c = 0; c < 3; ++c) d[c][i] = uint8_t(std::min(255, colour[c] + w));
      }
    }
  }
  return 1;
}

}  // namespace qz::modes
