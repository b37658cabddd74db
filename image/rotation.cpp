// Rotation and shear. Every per-pixel step is integer fixed point (1024 =
// 1.0); the sine and cosine are taken once per call. Pixels are read from
// the old planes the resize keeps and written into the new, zeroed ones.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "image/progress_display.h"
#include "image/qz_rotation.h"
#include "image/resize_planes.h"
#include "platform/exec.h"

namespace {

constexpr double kRadiansPerUnit = 0.00017453292519943296;  // pi / 18000
constexpr int64_t kQuarterTurn = 9000;

struct Turn {
  int64_t s, k;           // sine and cosine x 1024
  int32_t width, height;  // the new canvas
  bool supersample;
};

struct Point {
  int64_t x, y;
};

Point Qz__Turn(int64_t dx, int64_t dy, const Turn& t) {
  return {(dx * t.s - dy * t.k) >> 10, (dy * t.s + dx * t.k) >> 10};
}

// The canvas for an image of w x h: the bounds of its turned corners.
Turn Qz__PlanTurn(int32_t w, int32_t h, int32_t angle, uint32_t flags) {
  const int64_t a = kQuarterTurn - int64_t(angle);
  Turn t{};
  t.s = int64_t(std::sin(double(a) * kRadiansPerUnit) * 1024.0);
  t.k = int64_t(std::cos(double(a) * kRadiansPerUnit) * 1024.0);
  const int64_t cx = w / 2, cy = h / 2;
  const Point corners[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
  int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
  for (const Point& c : corners) {
    const Point p = Qz__Turn(c.x - cx, c.y - cy, t);
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  // A quarter turn moves whole pixels: sampling would only blur it, and the
  // extra border would stay empty.
  const bool quarter = a % kQuarterTurn == 0;
  t.supersample = (flags & kQzRotateSupersample) && !quarter;
  const int64_t grow = t.supersample ? 2 : 0;
  t.width = int32_t(std::clamp<int64_t>(maxX - minX + grow, 1, INT32_MAX));
  t.height = int32_t(std::clamp<int64_t>(maxY - minY + grow, 1, INT32_MAX));
  return t;
}

// A break on the calling task stops the pass; looked at every tenth of the rows.
class BreakCheck {
 public:
  explicit BreakCheck(int32_t rows) : rows_(rows), step_(rows < 10 ? 1 : rows / 10) {}
  bool stopped(int32_t row) const {
    if (row % step_ != 0) return false;
    if (Qz_SetProgressDisplay(nullptr, uint32_t(row), uint32_t(rows_), nullptr)) return false;
    SetSignal(0, SIGBREAKF_CTRL_C);
    return true;
  }

 private:
  int32_t rows_, step_;
};

uint8_t Qz__Sample(Qz_Plane src, int32_t w, int32_t h, int64_t x, int64_t y) {
  return (x >= 0 && y >= 0 && x < w && y < h) ? src[y][x] : 0;
}

// Each new pixel is read from where its centre turns to, measured from the
// centres of both canvases (in half pixels, or eighths for the 4 x 4
// samples), so whole-pixel turns of odd sizes lose no row or column.
bool Qz__TurnPlane(Qz_Plane src, int32_t w, int32_t h, Qz_Plane dst, const Turn& t, const BreakCheck& check) {
  for (int32_t r = 0; r < t.height; ++r) {
    if (check.stopped(r)) return false;
    uint8_t* out = dst[r];
    for (int32_t c = 0; c < t.width; ++c) {
      if (!t.supersample) {
        const Point p = Qz__Turn(2 * int64_t(c) + 1 - t.width, 2 * int64_t(r) + 1 - t.height, t);
        out[c] = Qz__Sample(src, w, h, (p.x + w) >> 1, (p.y + h) >> 1);
        continue;
      }
      uint32_t sum = 0;
      for (int64_t j = 0; j < 4; ++j)
        for (int64_t i = 0; i < 4; ++i) {
          const Point q = Qz__Turn(8 * int64_t(c) + 2 * i + 1 - 4 * int64_t(t.width),
                                   8 * int64_t(r) + 2 * j + 1 - 4 * int64_t(t.height), t);
          sum += Qz__Sample(src, w, h, (q.x + 4 * int64_t(w)) >> 3, (q.y + 4 * int64_t(h)) >> 3);
        }
      out[c] = uint8_t(sum >> 4);
    }
  }
  return true;
}

bool Qz__TurnOne(Qz_Image* image, const Turn& t) {
  const int32_t w = image->width, h = image->height;
  if (!Qz_BeginNewImageSize(image, t.width, t.height)) return false;
  const BreakCheck check(t.height);
  const bool ok = qz::forEachPlane(qz::sourcePlanes(image), qz::mainPlanes(image),
                                   [&](Qz_Plane in, Qz_Plane out) { return Qz__TurnPlane(in, w, h, out, t, check); });
  if (!ok) {
    Qz_AbortNewImageSize(image);
    return false;
  }
  if (!Qz_EndNewImageSize(image, t.width, t.height)) return false;
  qz::markPixelsMoved(image);
  return true;
}

// A layer turns about the document's centre: its centre goes where the
// document's point under it went (half pixels from the canvas centres; a
// turn's inverse is its transpose).
Point Qz__NewLayerOffset(Qz_Image* layer, int32_t docWidth, int32_t docHeight, const Turn& doc, const Turn& own) {
  const int64_t dx = 2 * int64_t(layer->placement.layerX) + layer->width - docWidth;
  const int64_t dy = 2 * int64_t(layer->placement.layerY) + layer->height - docHeight;
  const int64_t x = (dx * doc.s + dy * doc.k) >> 10, y = (dy * doc.s - dx * doc.k) >> 10;
  return {(x + doc.width - own.width) >> 1, (y + doc.height - own.height) >> 1};
}

int32_t Qz__RotateTree(Qz_Image* image, int32_t angle, uint32_t flags) {
  if (image->inner && !Qz__RotateTree(image->inner, angle, flags)) return 0;
  const int32_t w = image->width, h = image->height;
  const Turn t = Qz__PlanTurn(w, h, angle, flags);
  if (!Qz__TurnOne(image, t)) return 0;
  if (!(flags & kQzRotateLayers)) return 1;
  for (Qz_Image* layer = first_layer(image); layer; layer = next_layer(layer)) {
    const Point offset = Qz__NewLayerOffset(layer, w, h, t, Qz__PlanTurn(layer->width, layer->height, angle, flags));
    layer->notifySuspend.fetch_add(1);
    const int32_t ok = Qz__RotateTree(layer, angle, flags);
    layer->notifySuspend.fetch_sub(1);
    if (!ok) return 0;
    layer->placement.layerX = int16_t(std::clamp<int64_t>(offset.x, INT16_MIN, INT16_MAX));
    layer->placement.layerY = int16_t(std::clamp<int64_t>(offset.y, INT16_MIN, INT16_MAX));
  }
  return 1;
}

int64_t Qz__ShearSource(int64_t at, int64_t shift, int64_t amount) {
  return amount < 0 ? at - shift : at + shift - std::abs(amount);
}

bool Qz__ShearPlane(Qz_Plane src, int32_t w, int32_t h, Qz_Plane dst, int32_t width, int32_t height,
                    int32_t sx, int32_t sy) {
  const int64_t ax = std::abs(int64_t(sx)), ay = std::abs(int64_t(sy));
  for (int64_t r = 0; r < height; ++r) {
    const int64_t shiftX = r * ax / height;
    for (int64_t c = 0; c < width; ++c) {
      const int64_t shiftY = c * ay / width;
      dst[r][c] = Qz__Sample(src, w, h, Qz__ShearSource(c, shiftX, sx), Qz__ShearSource(r, shiftY, sy));
    }
  }
  return true;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz__RotateImage(Qz_Image* image, int32_t hundredthsOfDegree, uint32_t flags) {
  if (!image || image->width <= 0 || image->height <= 0) return 0;
  return Qz__RotateTree(image, hundredthsOfDegree, flags);
}

QZ_EXPORT uint32_t Qz__ShearImage(Qz_Image* image, int32_t sx, int32_t sy) {
  if (!image) return 0;
  if (sx == 0 && sy == 0) return 1;
  const int32_t w = image->width, h = image->height;
  const int64_t width = std::abs(int64_t(sx)) + w, height = std::abs(int64_t(sy)) + h;
  if (width > INT32_MAX || height > INT32_MAX) return 0;
  if (!Qz_BeginNewImageSize(image, int32_t(width), int32_t(height))) return 0;
  qz::forEachPlane(qz::sourcePlanes(image), qz::mainPlanes(image), [&](Qz_Plane in, Qz_Plane out) {
    return Qz__ShearPlane(in, w, h, out, int32_t(width), int32_t(height), sx, sy);
  });
  return Qz_EndNewImageSize(image, int32_t(width), int32_t(height)) ? 1 : 0;
}

QZ_EXTERN_C_END
