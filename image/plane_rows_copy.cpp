// Plane row copies in strips: a new picture's planes are fresh memory, and
// first touches (page faults, the kernel clearing pages) go faster spread
// over several cores.
#include "image/plane_rows_copy.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "image/strip_pool.h"

namespace qz {

void copyPlaneRows(const Qz_Plane* dst, const Qz_Plane* src, int count, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return;
  constexpr int32_t kRowsPerStrip = 64;
  const int32_t strips = (height + kRowsPerStrip - 1) / kRowsPerStrip;
  const std::function<void(int32_t)> strip = [&](int32_t s) {
    const int32_t top = s * kRowsPerStrip, bottom = std::min(height, top + kRowsPerStrip);
    for (int p = 0; p < count; ++p)
      for (int32_t y = top; y < bottom; ++y) std::memcpy(dst[p][y], src[p][y], size_t(width));
  };
  if (StripPool::shared().run(strips, strip, nullptr)) return;
  for (int32_t s = 0; s < strips; ++s) strip(s);
}

}  // namespace qz
