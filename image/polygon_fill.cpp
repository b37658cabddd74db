// Scan-line polygon fill with a sorted edge table and an active edge list,
// both local to one call, and the span writers for flat and gradient fills.
#include "image/polygon_fill.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// One non-horizontal side, stepped a scan line at a time with an error term.
struct Edge {
  int32_t x;       // current x
  int32_t firstY;  // first scan line
  int32_t step;    // whole x step per line
  int32_t sign;    // +1 or -1
  int32_t error, increment, decrement;
  int32_t lines;   // lines left
};

Edge makeEdge(int32_t upperX, int32_t upperY, int32_t lowerX, int32_t lowerY) {
  const int32_t h = lowerY - upperY;
  const int32_t d = lowerX - upperX;
  const int32_t magnitude = std::abs(d);
  Edge e{};
  e.firstY = upperY;
  e.lines = h;
  e.x = upperX;
  e.decrement = h;
  e.sign = d > 0 ? 1 : -1;
  e.error = d < 0 ? 1 - h : 0;
  if (h < magnitude) {
    e.step = e.sign * (magnitude / h);
    e.increment = magnitude % h;
  } else {
    e.step = 0;
    e.increment = magnitude;
  }
  return e;
}

// The edge table: sorted by first line, then x; equal keys keep their order.
bool buildEdges(const PointListHeader& list, std::vector<Edge>& edges) {
  try {
    edges.reserve(size_t(list.count));
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int32_t i = 0; i < list.count; ++i) {
    const int32_t p = i == 0 ? list.count - 1 : i - 1;
    int32_t ax = list.points[2 * p], ay = list.points[2 * p + 1];
    int32_t bx = list.points[2 * i], by = list.points[2 * i + 1];
    if (ay == by) continue;
    if (by < ay) std::swap(ax, bx), std::swap(ay, by);
    const Edge e = makeEdge(ax, ay, bx, by);
    auto at = std::find_if(edges.begin(), edges.end(), [&](const Edge& o) {
      return o.firstY > e.firstY || (o.firstY == e.firstY && o.x >= e.x);
    });
    edges.insert(at, e);
  }
  return true;
}

uint8_t clampByte(int32_t v) { return uint8_t(std::clamp(v, 0, 255)); }

struct Target {
  Qz_Image* layer;
  const Qz_Gradient& g;
  int32_t s;
};

void fillFlat(const Target& t, uint8_t* row, int32_t xa, int32_t xb) {
  const int32_t level = t.g.level;
  if (t.s == 1 && level == 255) {
    std::fill(row + xa, row + xb + 1, uint8_t(255));
    return;
  }
  // Symmetric in sign, so removing at full strength clears covered pixels to 0.
  const int32_t magnitude = (std::abs(level) + 1) / (t.s * t.s);
  const int32_t step = level < 0 ? -magnitude : magnitude;
  const int32_t lastColumn = t.layer->width - 1;
  for (int32_t x = xa; x <= xb; ++x) {
    uint8_t& pixel = row[std::min(x / t.s, lastColumn)];
    pixel = clampByte(pixel + step);
  }
}

// Ramps and the tent; s is 1 here, one pixel per u.
void fillGradient(const Target& t, uint8_t* row, int32_t y, int32_t xa, int32_t xb) {
  const Qz_Gradient& g = t.g;
  const int32_t level = g.level;
  const int32_t n = std::max(xb - xa + 1, 1);
  const int32_t u0 = xa - g.left, u1 = xb - g.left;
  const int32_t v = y - g.top;
  const int32_t h = std::max(g.height, 1);
  // A 1-pixel span or row would divide by zero.
  const int32_t halfN = std::max(n / 2, 1), halfH = std::max(h / 2, 1);
  int32_t rowFactor = 0;
  if (g.kind == kGradientTent)
    rowFactor = v < h / 2 ? (level * v) / halfH : 255 - ((v - h / 2) * level) / halfH;
  for (int32_t u = u0; u <= u1; ++u) {
    int32_t add = 0;
    switch (g.kind) {
      case kGradientFallRight: add = ((n - u) * level) / n; break;
      case kGradientRiseRight: add = (level * u) / n; break;
      case kGradientFallDown: add = ((h - v) * level) / h; break;
      case kGradientRiseDown: add = (level * v) / h; break;
      case kGradientTent: {
        // The second half mirrors the first: a tent falling and scaled as it rose.
        const int32_t along = u <= n / 2 ? u : n - u;
        add = int32_t(int16_t((level * along) / halfN)) * rowFactor / 255;
        break;
      }
      default: return;
    }
    uint8_t& pixel = row[g.left + u];
    pixel = clampByte(pixel + add);
  }
}

// Line y from xa to xb, in sub-pixel units.
void fillSpan(const Target& t, int32_t y, int32_t xa, int32_t xb) {
  Qz_Image* layer = t.layer;
  if (layer->depth != 8 || !layer->grey) return;
  if (y < 0 || y >= layer->height * t.s) return;
  const int32_t last = layer->width * t.s - 1;
  if (xb < 0 || xa > last) return;  // wholly outside: nothing, not a clamped pixel
  xa = std::max(xa, 0);
  xb = std::min(xb, last);
  if (xb < xa) return;
  uint8_t* row = layer->grey[y / t.s];
  if (t.g.kind == kGradientFlat)
    fillFlat(t, row, xa, xb);
  else if (t.s == 1)
    fillGradient(t, row, y, xa, xb);
}

void scanConvert(const Target& t, std::vector<Edge>& table) {
  std::vector<Edge> active;
  active.reserve(table.size());
  size_t next = 0;
  for (int32_t y = table.front().firstY; next < table.size() || !active.empty(); ++y) {
    for (; next < table.size() && table[next].firstY == y; ++next) {
      const Edge& e = table[next];
      auto at = std::find_if(active.begin(), active.end(), [&](const Edge& o) { return o.x >= e.x; });
      active.insert(at, e);
    }
    for (size_t i = 0; i + 1 < active.size(); i += 2) fillSpan(t, y, active[i].x, active[i + 1].x - 1);
    std::erase_if(active, [](const Edge& e) { return e.lines <= 1; });
    for (Edge& e : active) {
      --e.lines;
      e.x += e.step;
      e.error += e.increment;
      if (e.error > 0) {
        e.x += e.sign;
        e.error -= e.decrement;
      }
    }
    std::stable_sort(active.begin(), active.end(), [](const Edge& a, const Edge& b) { return a.x < b.x; });
  }
}

// Keeps scaled coordinates well inside 32 bits.
constexpr int32_t kCoordinateLimit = 1 << 27;

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz_FillPolygon(Qz_Image* layer, const PointListHeader* points, const Qz_Gradient* gradient) {
  if (!layer || !points || !gradient || points->count < 3 || !points->points) return 1;
  std::vector<Edge> table;
  if (!buildEdges(*points, table)) return 0;
  if (table.empty()) return 1;
  const Target target{layer, *gradient, std::max<int32_t>(gradient->scale, 1)};
  scanConvert(target, table);
  return 1;
}

QZ_EXTERN_C_END

namespace qz {

bool fillOutline(Qz_Image* layer, const int32_t* xy, int32_t count, int32_t kind, int16_t level, bool subtract,
                 FillBounds* bounds) {
  if (!layer || !xy || count <= 0) return false;
  std::vector<int32_t> scaled;
  try {
    scaled.resize(size_t(count) * 2);
  } catch (const std::bad_alloc&) {
    return false;
  }
  int32_t s = kind == kGradientFlat ? 4 : 1;
  int32_t minX = kCoordinateLimit, minY = kCoordinateLimit, maxX = -kCoordinateLimit, maxY = -kCoordinateLimit;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t x = std::clamp(xy[2 * i], -kCoordinateLimit, kCoordinateLimit);
    const int32_t y = std::clamp(xy[2 * i + 1], -kCoordinateLimit, kCoordinateLimit);
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
    scaled[2 * i] = x * s;
    scaled[2 * i + 1] = y * s;
  }
  // An axis rectangle given corner by corner has whole-pixel edges: no sub-pixels.
  const int32_t* p = scaled.data();
  if (count == 4 && p[0] == p[6] && p[1] == p[3] && p[2] == p[4] && p[5] == p[7]) {
    for (int32_t& v : scaled) v /= s;
    s = 1;
  }
  Qz_Gradient gradient{};
  gradient.scale = uint16_t(s);
  gradient.left = minX * s;
  gradient.top = minY * s;
  gradient.width = (maxX - minX + 1) * s;
  gradient.height = (maxY - minY + 1) * s;
  gradient.kind = kind;
  gradient.level = subtract ? int16_t(-level) : level;
  const PointListHeader list{count, scaled.data()};
  if (!Qz_FillPolygon(layer, &list, &gradient)) return false;
  if (bounds) *bounds = FillBounds{minX, minY, maxX, maxY};
  return true;
}

}  // namespace qz
