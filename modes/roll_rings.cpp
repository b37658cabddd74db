// The roll blur's ring tables.
#include "modes/roll_rings.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

namespace {

std::atomic<int64_t> gBuilds{0};

// Beyond this many octant points the tables would take hundreds of megabytes.
constexpr double kMaxOctantPoints = 32.0 * 1024 * 1024;
// Ring points per pixel of the image beyond which most of them fall outside
// it (a centre far off): evaluating directly is then cheaper than the tables.
constexpr double kMaxPointsPerPixel = 16.0, kPointsAlways = 4.0 * 1024 * 1024;

double Qz__Distance(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

}  // namespace

namespace qz::modes {

RollPoint RollRings::point(int32_t r, uint32_t i) const {
  const uint32_t m = octant(r);
  const uint32_t o = i / m, j = i % m;
  // Odd octants run backwards, so the points follow each other round the circle.
  const uint32_t k = (o & 1) ? m - 1 - j : j;
  const int32_t a = int32_t(k), b = heights[octantStart[size_t(r - first)] + k];
  switch (o) {
    case 0: return {a, b};
    case 1: return {b, a};
    case 2: return {b, -a};
    case 3: return {a, -b};
    case 4: return {-a, -b};
    case 5: return {-b, -a};
    case 6: return {-b, a};
    default: return {-a, b};
  }
}

int32_t rollOuterRadius(const RollKey& key) {
  double far = 0;
  for (int32_t x : {0, key.width - 1})
    for (int32_t y : {0, key.height - 1})
      far = std::max(far, Qz__Distance(double(x) - key.centreX, double(y) - key.centreY));
  return int32_t(far + 3);
}

std::shared_ptr<const RollRings> buildRollRings(const RollKey& key) {
  gBuilds.fetch_add(1, std::memory_order_relaxed);
  if (key.width < 1 || key.height < 1) return nullptr;
  // The rings that can reach the image: from the nearest point of it to the farthest corner.
  const double nx = std::clamp<double>(key.centreX, 0, key.width - 1) - key.centreX;
  const double ny = std::clamp<double>(key.centreY, 0, key.height - 1) - key.centreY;
  const int32_t last = rollOuterRadius(key);
  const int32_t first = std::max<int32_t>(3, int32_t(Qz__Distance(nx, ny)) - 2);
  if (last < first) return nullptr;
  const double rings = double(last - first + 1);
  const double octantPoints = rings * ((double(first) + last) * 0.5 * 0.7072 + 1);
  const double pixels = double(key.width) * key.height;
  if (octantPoints > kMaxOctantPoints || 8 * octantPoints > kMaxPointsPerPixel * pixels + kPointsAlways ||
      rings > 65000)
    return nullptr;
  try {
    auto t = std::make_shared<RollRings>();
    t->first = first;
    t->octantStart.reserve(size_t(rings) + 1);
    t->octantStart.push_back(0);
    for (int32_t r = first; r <= last; ++r) {
      int32_t d = 3 - 2 * r, x = 0, y = r;
      while (x < y) {
        t->heights.push_back(y);
        if (d < 0) d += 4 * x + 6;
        else d += 4 * (x - y) + 10, y -= 1;
        x += 1;
      }
      if (x == y) t->heights.push_back(y);
      t->octantStart.push_back(uint32_t(t->heights.size()));
    }
    const size_t pixels = size_t(key.width) * size_t(key.height);
    t->ring.assign(pixels, 0);
    t->index.assign(pixels, 0);
    for (int32_t r = first; r <= last; ++r) {
      const uint32_t n = t->count(r);
      const uint16_t entry = uint16_t(r - first + 1);
      for (uint32_t i = 0; i < n; ++i) {
        const RollPoint p = t->point(r, i);
        const int64_t x = int64_t(key.centreX) + p.x, y = int64_t(key.centreY) + p.y;
        if (x < 0 || y < 0 || x >= key.width || y >= key.height) continue;
        // The points and a neighbour on the outer side of each, so rings leave no gaps.
        const int64_t side = i < 4 * t->octant(r) ? x + 1 : x - 1;
        for (int64_t px : {x, side}) {
          if (px < 0 || px >= key.width) continue;
          const size_t at = size_t(y) * size_t(key.width) + size_t(px);
          t->ring[at] = entry;
          t->index[at] = i;
        }
      }
    }
    // Where the circles run nearly level the side neighbours leave holes
    // between rings; a pixel no ring reached takes the ring point above or
    // below it, so no speck is left unblurred.
    for (int32_t r = first; r <= last; ++r) {
      const uint32_t n = t->count(r), m = t->octant(r);
      const uint16_t entry = uint16_t(r - first + 1);
      for (uint32_t i = 0; i < n; ++i) {
        const uint32_t o = i / m;
        if (o == 1 || o == 2 || o == 5 || o == 6) continue;
        const RollPoint p = t->point(r, i);
        const int64_t x = int64_t(key.centreX) + p.x, y = int64_t(key.centreY) + p.y + (p.y > 0 ? 1 : -1);
        if (x < 0 || y < 0 || x >= key.width || y >= key.height) continue;
        const size_t at = size_t(y) * size_t(key.width) + size_t(x);
        if (t->ring[at]) continue;
        t->ring[at] = entry;
        t->index[at] = i;
      }
    }
    return t;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace qz::modes

QZ_EXTERN_C_BEGIN
QZ_EXPORT int64_t Qz__RollBlurTableBuilds(void) { return gBuilds.load(std::memory_order_relaxed); }
QZ_EXTERN_C_END
