#include "tools/handle_geometry.h"

#include <algorithm>
#include <cstdlib>

namespace qz::tools {
namespace {

struct Span {
  int64_t x0, y0, x1, y1;  // inclusive; 64 bits so s added near the 32-bit limits cannot wrap
  bool holds(int32_t x, int32_t y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// Corner handles sit outside their corner, towards its own quadrant.
Span Qz__CornerSpan(const HandlePoint& p, int32_t corner, int64_t s) {
  const bool left = corner == 0 || corner == 3, top = corner == 0 || corner == 1;
  return {left ? p.x - s : p.x, top ? p.y - s : p.y, left ? p.x : p.x + s, top ? p.y : p.y + s};
}

// Edge e runs from corner e to corner e + 1; its handle sits outside its middle.
Span Qz__EdgeSpan(std::span<const HandlePoint> c, int32_t edge, int64_t s) {
  const HandlePoint& a = c[size_t(edge)];
  const HandlePoint& b = c[size_t((edge + 1) % 4)];
  const int64_t mx = (int64_t(a.x) + b.x) / 2, my = (int64_t(a.y) + b.y) / 2, half = s / 2;
  switch (edge) {
    case kEdgeTop: return {mx - half, a.y - s, mx - half + s, a.y};
    case kEdgeRight: return {a.x, my - half, a.x + s, my - half + s};
    case kEdgeBottom: return {mx - half, a.y, mx - half + s, a.y + s};
    default: return {a.x - s, my - half, a.x, my - half + s};
  }
}

bool Qz__Inside(std::span<const HandlePoint> points, int32_t px, int32_t py) {
  if (points.empty()) return false;
  Span box{points[0].x, points[0].y, points[0].x, points[0].y};
  for (const HandlePoint& p : points) {
    box.x0 = std::min<int64_t>(box.x0, p.x), box.x1 = std::max<int64_t>(box.x1, p.x);
    box.y0 = std::min<int64_t>(box.y0, p.y), box.y1 = std::max<int64_t>(box.y1, p.y);
  }
  return box.holds(px, py);
}

// Edges 0 and 2 join corners that share y; edges 1 and 3 corners that share x.
void Qz__MoveAcross(HandlePoint& p, int32_t edge, int32_t dx, int32_t dy) {
  if (edge % 2 == 0)
    p.y += dy;
  else
    p.x += dx;
}

}  // namespace

HandleHit hitHandle(std::span<const HandlePoint> points, bool fourCorner, int32_t s, int32_t px, int32_t py) {
  if (fourCorner && points.size() >= 4) {
    for (int32_t i = 0; i < 4; ++i)
      if (Qz__CornerSpan(points[size_t(i)], i, s).holds(px, py)) return {HandleKind::Corner, i};
    for (int32_t e = 0; e < 4; ++e)
      if (Qz__EdgeSpan(points, e, s).holds(px, py)) return {HandleKind::Edge, e};
  } else {
    for (size_t i = 0; i < points.size(); ++i)
      if (std::llabs(int64_t(px) - points[i].x) <= s && std::llabs(int64_t(py) - points[i].y) <= s)
        return {HandleKind::Point, int32_t(i)};
  }
  if (Qz__Inside(points, px, py)) return {HandleKind::Inside, 0};
  return {};
}

uint32_t cursorKindOf(const HandleHit& hit) {
  static constexpr uint32_t kCorners[] = {kCursorTopLeft, kCursorTopRight, kCursorBottomRight, kCursorBottomLeft};
  switch (hit.kind) {
    case HandleKind::Inside: return kCursorMove;
    case HandleKind::Point: return kCursorPoint;
    case HandleKind::Corner: return kCorners[hit.index & 3];
    case HandleKind::Edge: return kCursorEdgeTop + uint32_t(hit.index & 3);
    default: return kCursorNone;
  }
}

std::vector<HandlePoint> dragHandle(std::span<const HandlePoint> original, bool fourCorner, const HandleHit& hit,
                                    int32_t dx, int32_t dy) {
  std::vector<HandlePoint> out(original.begin(), original.end());
  const bool corners = fourCorner && out.size() >= 4;
  switch (hit.kind) {
    case HandleKind::Inside:
      for (HandlePoint& p : out) p.x += dx, p.y += dy;
      break;
    case HandleKind::Point:
      if (size_t(hit.index) < out.size()) out[size_t(hit.index)].x += dx, out[size_t(hit.index)].y += dy;
      break;
    case HandleKind::Corner: {
      if (!corners) break;
      const int32_t i = hit.index & 3, next = (i + 1) % 4, previous = (i + 3) % 4;
      out[size_t(i)].x += dx, out[size_t(i)].y += dy;
      Qz__MoveAcross(out[size_t(next)], i, dx, dy);
      Qz__MoveAcross(out[size_t(previous)], previous, dx, dy);
      break;
    }
    case HandleKind::Edge: {
      if (!corners) break;
      const int32_t e = hit.index & 3;
      Qz__MoveAcross(out[size_t(e)], e, dx, dy);
      Qz__MoveAcross(out[size_t((e + 1) % 4)], e, dx, dy);
      break;
    }
    default: break;
  }
  return out;
}

}  // namespace qz::tools
