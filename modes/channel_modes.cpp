#include "modes/channel_modes.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "modes/mode_fetch.h"

namespace qz::modes::channel {

bool writeMirrored(const Qz_ModeRenderMessage* message, int flags, std::span<const rank::Plane> planes) {
  const Qz_ImageLock* block = message->block;
  const ModeSize size = modeSize(block);
  const int32_t count = block->x1 - block->x0 + 1;
  if (flags == 0) {
    for (const rank::Plane& p : planes) {
      const uint8_t* const* src = viewOf(block).table(p.channel);
      for (int32_t y = block->y0; y <= block->y1; ++y)
        std::memcpy(p.dst[y - block->y0], src[y] + block->x0, size_t(count));
    }
    return true;
  }
  FetchRect rect{block->x0, block->y0, block->x1, block->y1};
  if (flags & kMirrorX) rect = {size.width - 1 - block->x1, rect.y0, size.width - 1 - block->x0, rect.y1};
  if (flags & kMirrorY) rect = {rect.x0, size.height - 1 - block->y1, rect.x1, size.height - 1 - block->y0};
  SpareFetch below(message, rect);
  if (!below.ok()) return false;
  const SourceView& view = below.view();
  for (const rank::Plane& p : planes)
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      const int32_t sy = std::clamp(flags & kMirrorY ? size.height - 1 - y : y, view.y0, view.y1);
      const SourceRow row = view.row(p.channel, sy);
      uint8_t* out = p.dst[y - block->y0];
      if (!(flags & kMirrorX)) {
        std::memcpy(out, row.from(block->x0, count), size_t(count));
        continue;
      }
      // A block reaching past the image's edge repeats the edge column.
      for (int32_t k = 0; k < count; ++k)
        out[k] = row[std::clamp(size.width - 1 - block->x0 - k, view.x0, view.x1)];
    }
  return true;
}

}  // namespace qz::modes::channel

#include "modes/row_random.h"
#include "modes/shared_below.h"

namespace qz::modes::channel {

constexpr int32_t kFewRows = 32;

QzWord renderScatter(const Qz_ModeRenderMessage* message, const Scatter (&scatter)[3]) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  const ModeSize size = modeSize(block);
  if (size.depth == 8) return 0;
  if (size.depth != 24 || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  // Picks span x - offset .. x - offset + range - 1, whatever the offset's sign.
  FetchRect rect{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const Scatter& s : scatter) {
    rect.x0 = std::min(rect.x0, block->x0 - s.offsetX);
    rect.x1 = std::max(rect.x1, block->x1 - s.offsetX + s.rangeX - 1);
    rect.y0 = std::min(rect.y0, block->y0 - s.offsetY);
    rect.y1 = std::max(rect.y1, block->y1 - s.offsetY + s.rangeY - 1);
  }
  rect = {std::clamp(rect.x0, 0, size.width - 1), std::clamp(rect.y0, 0, size.height - 1),
          std::clamp(rect.x1, 0, size.width - 1), std::clamp(rect.y1, 0, size.height - 1)};
  // A few rows either side are fetched for the block; the ranges reach a
  // thousand, and then the whole image below, fetched once for every strip
  // and kept between passes, costs less than compositing that many rows for
  // each one. Reads are clamped the same either way.
  std::optional<SpareFetch> rows;
  std::optional<SharedBelow> whole;
  if (rect.y1 - rect.y0 > block->y1 - block->y0 + kFewRows)
    whole.emplace(message);
  else
    rows.emplace(message, rect);
  if (whole ? !whole->ok() : !rows->ok()) return 1;
  const SourceView& view = whole ? whole->view() : rows->view();
  uint8_t* const* out[3] = {message->r, message->g, message->b};
  for (int c = 0; c < 3; ++c) {
    const Scatter& s = scatter[c];
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      RowRandom random = RowRandom::forRun(block, y, 2);
      uint8_t* dst = out[c][y - block->y0];
      for (int32_t x = block->x0; x <= block->x1; ++x) {
        const int32_t sx = std::clamp(random.next() % s.rangeX - s.offsetX + x, view.x0, view.x1);
        const int32_t sy = std::clamp(random.next() % s.rangeY - s.offsetY + y, view.y0, view.y1);
        dst[x - block->x0] = view.at(c, sx, sy);
      }
    }
  }
  return 1;
}

}  // namespace qz::modes::channel
