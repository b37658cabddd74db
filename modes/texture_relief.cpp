#include "modes/texture_relief.h"

#include <algorithm>

#include "modes/mode_fetch.h"

namespace qz::modes {

ReliefSettings reliefSnapshot(int32_t amount, int32_t length, int32_t angle) {
  return {reliefFactor(std::clamp(amount, -200, 200)), std::clamp(length, 1, 128), directionCeilSnap(angle)};
}

namespace {

const Qz_ImageLock* Qz__Block(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->y0 > block->y1 || block->x0 > block->x1) return nullptr;
  return block;
}

uint8_t* Qz__Out(const Qz_ModeRenderMessage* message, int c, int32_t row) {
  return c == 0 ? message->r[row] : c == 1 ? message->g[row] : message->b[row];
}

const uint8_t* Qz__Source(const Qz_ImageLock* block, int c, int32_t y) {
  return c == 0 ? block->r[y] : c == 1 ? block->g[y] : block->b[y];
}

// True when document row y lies on the picture's rows.
bool Qz__OnPictureRows(const SecondaryPicture& picture, int32_t y) {
  const int32_t py = picture.pictureY(y);
  return picture.usable() && py >= 0 && py < picture.height();
}

}  // namespace

QzWord renderPaintTexture(const Qz_ModeRenderMessage* message, const ReliefSettings& s) {
  const Qz_ImageLock* block = Qz__Block(message);
  if (!block) return 1;
  copySourceToOutput(message);  // the rows off the picture, or a grey document
  if (block->image->depth != 24) return 1;
  const SecondaryPicture picture(block, SecondaryPicture::Fallback::DataBelow);
  if (!picture.usable()) return 1;
  const int32_t x0 = block->x0, x1 = block->x1;
  const FetchRect rect = picture.fetchRect(x0, block->y0, x1, block->y1, stepReach(s.direction, s.length));
  // Rows of the picture whose columns the block misses show the flat colour: no fetch needed.
  SpareFetch fetch(picture, rect);
  if (!rect.empty() && !fetch.ok()) return 1;
  const uint8_t* paint = paintColour(block);
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    if (!Qz__OnPictureRows(picture, y)) continue;
    const ColumnSpan span = picture.overlap(y, x0, x1);
    for (int c = 0; c < 3; ++c) {
      uint8_t* d = Qz__Out(message, c, y - block->y0);
      std::fill(d, d + (x1 - x0 + 1), paint[c]);
      if (span.empty()) continue;
      const PlaneSampler sample{fetch.view(), c};
      for (int32_t x = span.first; x <= span.last; ++x)
        d[x - x0] = reliefShade(paint[c], reliefSum(sample, picture.pictureX(x), picture.pictureY(y), s.direction,
                                                    s.length), s.factor);
    }
  }
  return 1;
}

QzWord renderThickPaint(const Qz_ModeRenderMessage* message, const ReliefSettings& s) {
  const Qz_ImageLock* block = Qz__Block(message);
  if (!block) return 1;
  copySourceToOutput(message);  // off the layer, or a grey document
  const Qz_Image* layer = block->layer;
  if (block->image->depth != 24 || !layer || layer->depth != 8 || !layer->grey) return 1;
  // The transparency plane in the layer's own coordinates, so a layer placed
  // away from the origin carries its relief along.
  const int32_t lx0 = layer->placement.layerX, ly0 = layer->placement.layerY;
  const int32_t lw = layer->width, lh = layer->height;
  const int32_t x0 = block->x0, x1 = block->x1;
  const int32_t xa = std::max(x0, lx0), xb = std::min(x1, lx0 + lw - 1);
  if (xa > xb || lh <= 0) return 1;
  // The plane over the block's part on the layer, as far as the steps reach.
  const Reach reach = stepReach(s.direction, s.length);
  SpareFetch own(const_cast<Qz_Image*>(layer), {std::max(xa - lx0 - reach.x, 0), std::max(block->y0 - ly0 - reach.y, 0),
                                                std::min(xb - lx0 + reach.x, lw - 1),
                                                std::min(block->y1 - ly0 + reach.y, lh - 1)});
  if (!own.ok() || !own.view().grey) return 1;
  const SourceView& plane = own.view();
  auto sample = [&](int32_t x, int32_t y) {
    return plane.at(3, std::clamp(x, 0, lw - 1), std::clamp(y, 0, lh - 1));
  };
  const SecondaryPicture picture(block, SecondaryPicture::Fallback::None);
  const bool textured = picture.usable();
  SpareFetch fetch(picture, textured ? picture.fetchRect(x0, block->y0, x1, block->y1) : FetchRect{});
  const bool fetched = fetch.ok();
  if (textured && !fetched && !picture.fetchRect(x0, block->y0, x1, block->y1).empty()) return 1;
  const uint8_t* paint = paintColour(block);
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    if (textured && !Qz__OnPictureRows(picture, y)) continue;
    const ColumnSpan span = textured ? picture.overlap(y, xa, xb) : ColumnSpan{};
    const int32_t ly = y - ly0;
    for (int c = 0; c < 3; ++c) {
      uint8_t* d = Qz__Out(message, c, y - block->y0);
      const uint8_t* src = Qz__Source(block, c, y);
      const SourceRow t = fetched && !span.empty() ? fetch.view().row(c, picture.pictureY(y)) : SourceRow{};
      for (int32_t x = xa; x <= xb; ++x) {
        int32_t base = paint[c];
        if (textured) base = x >= span.first && x <= span.last ? t[picture.pictureX(x)] : src[x];
        d[x - x0] = reliefShade(base, reliefSum(sample, x - lx0, ly, s.direction, s.length), s.factor);
      }
    }
  }
  return 1;
}

QzWord renderBumpMap(const Qz_ModeRenderMessage* message, const ReliefSettings& s, bool addColour) {
  const Qz_ImageLock* block = Qz__Block(message);
  if (!block) return 1;
  copySourceToOutput(message);  // off the picture, or a grey document
  if (block->image->depth != 24) return 1;
  const SecondaryPicture picture(block, SecondaryPicture::Fallback::DataBelow);
  if (!picture.usable()) return 1;
  const int32_t x0 = block->x0, x1 = block->x1;
  const FetchRect rect = picture.fetchRect(x0, block->y0, x1, block->y1, stepReach(s.direction, s.length));
  if (rect.empty()) return 1;
  SpareFetch fetch(picture, rect);
  if (!fetch.ok()) return 1;
  const uint8_t* paint = paintColour(block);
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const ColumnSpan span = picture.overlap(y, x0, x1);
    if (span.empty()) continue;
    for (int c = 0; c < 3; ++c) {
      uint8_t* d = Qz__Out(message, c, y - block->y0);
      const uint8_t* src = Qz__Source(block, c, y);
      const int32_t colour = addColour ? paint[c] : 0;
      const PlaneSampler sample{fetch.view(), c};
      for (int32_t x = span.first; x <= span.last; ++x)
        d[x - x0] = reliefShade(src[x] + colour,
                                reliefSum(sample, picture.pictureX(x), picture.pictureY(y), s.direction, s.length),
                                s.factor);
    }
  }
  return 1;
}

}  // namespace qz::modes
