// Filled discs, curves through three points and turned text.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "host/raster/rasteriser.h"
#include "objects/draw/qz_draw.h"
#include "platform/graphics.h"
#include "platform/graphics_internal.h"

namespace {

// More segments than this cannot show on any screen; it also bounds the work.
constexpr int32_t kMaxBezierSteps = 1 << 16;

int64_t truncated(double v) {
  if (!(std::fabs(v) < 9.0e18)) return 0;  // NaN or out of range
  return static_cast<int64_t>(v);
}

}  // namespace

QZ_EXTERN_C_BEGIN

void Qz_FillEllipse(struct RastPort* rp, int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
  if (rp == nullptr || rp->Target == nullptr) return;
  const int64_t arx = std::llabs(int64_t{rx}), ary = std::llabs(int64_t{ry});
  const qz::raster::IntRect box = qz::graphics::rectFromEdges(cx - arx, cy - ary, cx + arx, cy + ary);
  qz::raster::fillEllipse(*rp->Target, qz::graphics::drawableArea(rp), box, qz::graphics::penRgb(rp->FgPen),
                          qz::graphics::penRgb(rp->AOlPen));
}

double Qz__BezierWeight(int32_t k, double t) {
  switch (k) {
    case 0: return (1 - t) * (1 - t);
    case 1: return 2 * t * (1 - t);
    case 2: return t * t;
    default: return 0;
  }
}

void Qz_DrawBezier(struct RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   int32_t steps) {
  if (rp == nullptr) return;
  steps = std::clamp(steps, 1, kMaxBezierSteps);
  // The middle control point that makes the curve pass through (x1, y1) at t = 1/2.
  const int64_t cx = 2 * int64_t{x1} - (int64_t{x0} + x2) / 2;
  const int64_t cy = 2 * int64_t{y1} - (int64_t{y0} + y2) / 2;
  std::vector<qz::raster::Point> points;
  points.reserve(static_cast<std::size_t>(steps) + 1);
  points.push_back({qz::graphics::clampCoord(x0), qz::graphics::clampCoord(y0)});
  for (int32_t i = 1; i < steps; ++i) {
    const double t = double(i) / steps;
    const double w0 = Qz__BezierWeight(0, t), w1 = Qz__BezierWeight(1, t), w2 = Qz__BezierWeight(2, t);
    const int64_t x = truncated(x0 * w0) + truncated(double(cx) * w1) + truncated(x2 * w2);
    const int64_t y = truncated(y0 * w0) + truncated(double(cy) * w1) + truncated(y2 * w2);
    points.push_back({qz::graphics::clampCoord(x), qz::graphics::clampCoord(y)});
  }
  points.push_back({qz::graphics::clampCoord(x2), qz::graphics::clampCoord(y2)});
  if (rp->Target != nullptr)
    qz::raster::drawPolyline(*rp->Target, qz::graphics::drawableArea(rp), points.data(), points.size(),
                             qz::graphics::penRgb(rp->FgPen),
                             rp->DrawMode == COMPLEMENT ? qz::raster::LineOp::NotXor : qz::raster::LineOp::Set);
  Move(rp, x0, y0);
}

void Qz_DrawRotatedText(struct RastPort* rp, const char* text, int32_t length, int32_t angle) {
  if (rp == nullptr || text == nullptr || length <= 0 || angle != 270) return;
  const int32_t width = TextLength(rp, text, length);
  Qz_TextRotated(rp, rp->cp_x, int32_t{rp->cp_y} + width, text, length, 90);
}

QZ_EXTERN_C_END
