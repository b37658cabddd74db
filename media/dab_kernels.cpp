#include "media/dab_kernels.h"

#include <algorithm>
#include <cstring>

#include "image/merge_kernels.h"
#include "platform/qz_random.h"

namespace qz::media {

void renderSoftRoundBrush(uint8_t* const* rows, int32_t width, int32_t height) {
  if (!rows || width <= 0 || height <= 0) return;
  if (width == 1 && height == 1) {
    rows[0][0] = 255;
    return;
  }
  const uint32_t r = uint32_t(width) / 2;
  const uint32_t radiusSquared = r * r;
  // Top half and the middle row, each mirrored left to right and then copied
  // to its mirror row below; for an even side the later writes win, so both
  // middle rows and columns hold the centre profile.
  for (int32_t y = 0; y <= height / 2 && y < height; ++y) {
    uint8_t* row = rows[y];
    const int64_t dy = int64_t(r) - y;
    for (int32_t x = 0; x <= int32_t(r) && x < width; ++x) {
      const int64_t dx = int64_t(r) - x;
      const int64_t d = dx * dx + dy * dy;
      if (d >= int64_t(radiusSquared)) continue;
      const auto value = uint8_t((int64_t(radiusSquared) - d) * 255 / radiusSquared);
      row[x] = value;
      row[width - 1 - x] = value;
    }
    std::memcpy(rows[height - 1 - y], row, size_t(width));
  }
}

uint32_t dabStrength(uint32_t pressure, int32_t tablet) {
  const uint32_t strength = std::min<uint32_t>(pressure, 255);
  if (tablet < 0) return strength;
  return std::min<uint32_t>(255, uint32_t(std::min(tablet, 255)) * strength / 255);
}

void scatterDab(int32_t& x, int32_t& y, bool spray, int32_t brushWidth, int32_t brushHeight,
                uint32_t strength, uint32_t jitterPercent) {
  Qz_SRand(uint32_t(x) * uint32_t(y));
  if (spray) {
    int32_t d = (2 * brushWidth) / int32_t(std::max<uint32_t>(strength, 1));
    if (d <= 1) d = 1;
    x += Qz_Rand() % d - d / 2;
    y += Qz_Rand() % d - d / 2;
  }
  if (jitterPercent != 0) {
    const uint32_t jx = std::max<uint32_t>(1, uint32_t(brushWidth) * jitterPercent / 100);
    const uint32_t jy = std::max<uint32_t>(1, uint32_t(brushHeight) * jitterPercent / 100);
    x += int32_t(uint32_t(Qz_Rand()) % jx) - int32_t(jx / 2);
    y += int32_t(uint32_t(Qz_Rand()) % jy) - int32_t(jy / 2);
  }
}

DabRect clipDab(int32_t left, int32_t top, int32_t width, int32_t height, int32_t extentWidth,
                int32_t extentHeight) {
  DabRect r;
  if (width <= 0 || height <= 0 || extentWidth <= 0 || extentHeight <= 0) return r;
  r.x0 = std::max(left, 0);
  r.y0 = std::max(top, 0);
  r.x1 = int32_t(std::min<int64_t>(int64_t(left) + width - 1, extentWidth - 1));
  r.y1 = int32_t(std::min<int64_t>(int64_t(top) + height - 1, extentHeight - 1));
  r.brushColumn = r.x0 - left;
  r.brushRow = r.y0 - top;
  return r;
}

void addDabRow(uint8_t* plane, const uint8_t* brush, uint32_t strength, int32_t count) {
  if (count > 0) mergeKernels().addMediaLine(plane, brush, std::min<uint32_t>(strength, 255), size_t(count));
}

void eraseDabRow(uint8_t* plane, const uint8_t* brush, uint32_t strength, int32_t count) {
  strength = std::min<uint32_t>(strength, 255);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t v = int32_t(plane[i]) - int32_t((brush[i] * strength) >> 8);
    plane[i] = uint8_t(std::max(v, 0));
  }
}

void smearDabRow(uint8_t* plane, const uint8_t* buffer, const uint8_t* brush, uint32_t strength,
                 int32_t count) {
  strength = std::min<uint32_t>(strength, 255);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t a = int32_t((brush[i] * strength) >> 8);
    const int32_t d = plane[i];
    plane[i] = uint8_t(d + (((int32_t(buffer[i]) - d) * a * 257 + 257) >> 16));
  }
}

}  // namespace qz::media
