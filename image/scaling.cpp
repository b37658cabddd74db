// Scaling: one plane resampled into another by nearest neighbour or by the
// smooth routines (interpolation with centred fractions when an axis grows,
// box averages when it shrinks), and the in-place scaling of an image with
// its layers through the resize protocol. All index arithmetic is 64-bit.
#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "actions/qz_actions.h"
#include "image/image_internal.h"
#include "objects/catalogue.h"
#include "image/progress_display.h"
#include "image/qz_scaling.h"
#include "image/resize_planes.h"

namespace {

struct PlaneRef {
  Qz_Plane plane;
  int64_t width, height;
};

// Shows the progress every twentieth of the rows and stops the pass when
// the user breaks it (the display's button, or the break signal).
class BreakCheck {
 public:
  BreakCheck(bool enabled, int64_t rows, Qz_ProgressDisplay* display = nullptr)
      : enabled_(enabled), rows_(rows), step_(rows < 40 ? 1 : rows / 20), display_(display) {}
  bool stopped(int64_t row) const {
    if (!enabled_ || row % step_ != 0) return false;
    if (Qz_SetProgressDisplay(display_, uint32_t(row), uint32_t(rows_), nullptr)) return false;
    SetSignal(0, SIGBREAKF_CTRL_C);
    return true;
  }

 private:
  bool enabled_;
  int64_t rows_, step_;
  Qz_ProgressDisplay* display_;
};

bool Qz__Nearest(const PlaneRef& src, const PlaneRef& dst, const BreakCheck& check) {
  std::vector<int64_t> column(static_cast<size_t>(dst.width));
  for (int64_t x = 0; x < dst.width; ++x) column[size_t(x)] = x * src.width / dst.width;
  for (int64_t y = 0; y < dst.height; ++y) {
    if (check.stopped(y)) return false;
    const uint8_t* in = src.plane[y * src.height / dst.height];
    uint8_t* out = dst.plane[y];
    for (int64_t x = 0; x < dst.width; ++x) out[x] = in[column[size_t(x)]];
  }
  return true;
}

// Interpolation along one axis: the source index, its neighbour and the
// neighbour's weight (0..128) for each destination index.
struct Tap {
  int64_t n, neighbour;
  int32_t weight;
};

std::vector<Tap> Qz__Taps(int64_t s, int64_t d) {
  std::vector<Tap> taps(static_cast<size_t>(d));
  for (int64_t i = 0; i < d; ++i) {
    const int64_t n = i * s / d;
    const int64_t f = i * s * 256 / d - 256 * n - 128;
    const int64_t neighbour = f < 0 ? std::max<int64_t>(n - 1, 0) : std::min(n + 1, s - 1);
    taps[size_t(i)] = {n, neighbour, int32_t(f < 0 ? -f : f)};
  }
  return taps;
}

// Averaging along one axis: the destination index each source index adds to.
// The mapping can give one past the end for the last indices: clamped.
std::vector<int64_t> Qz__AverageMap(int64_t s, int64_t d, std::vector<int64_t>& counts) {
  std::vector<int64_t> map(static_cast<size_t>(s));
  counts.assign(size_t(d), 0);
  for (int64_t i = 0; i < s; ++i) {
    map[size_t(i)] = std::min((i * d + (15 * s) / 16) / s, d - 1);
    ++counts[size_t(map[size_t(i)])];
  }
  return map;
}

bool Qz__InterpolateBoth(const PlaneRef& src, const PlaneRef& dst, const BreakCheck& check) {
  const auto tx = Qz__Taps(src.width, dst.width), ty = Qz__Taps(src.height, dst.height);
  for (int64_t y = 0; y < dst.height; ++y) {
    if (check.stopped(y)) return false;
    const Tap& ry = ty[size_t(y)];
    const uint8_t* row = src.plane[ry.n];
    const uint8_t* nrow = src.plane[ry.neighbour];
    uint8_t* out = dst.plane[y];
    const int32_t ay = ry.weight;
    for (int64_t x = 0; x < dst.width; ++x) {
      const Tap& rx = tx[size_t(x)];
      const int32_t ax = rx.weight;
      const int32_t wA = (256 - ay) * ax >> 8, wB = (256 - ax) * ay >> 8, wC = ay * ax >> 8;
      const int32_t w0 = 256 - wA - wB - wC;
      const int32_t v = (row[rx.n] * w0 >> 8) + (row[rx.neighbour] * wA >> 8) +
                        (nrow[rx.n] * wB >> 8) + (nrow[rx.neighbour] * wC >> 8);
      out[x] = uint8_t(std::min(v, 255));
    }
  }
  return true;
}

// One axis interpolated into a row of `taps` entries.
void Qz__InterpolateRow(const uint8_t* in, const std::vector<Tap>& taps, int32_t* out) {
  for (size_t x = 0; x < taps.size(); ++x) {
    const Tap& t = taps[x];
    out[x] = (in[t.n] * (256 - t.weight) >> 8) + (in[t.neighbour] * t.weight >> 8);
  }
}

// Interpolates x and averages y: each source row, interpolated to the new
// width, adds into the destination row it maps to.
bool Qz__InterpolateXAverageY(const PlaneRef& src, const PlaneRef& dst, const BreakCheck& check) {
  const auto tx = Qz__Taps(src.width, dst.width);
  std::vector<int64_t> rowCounts;
  const auto rowMap = Qz__AverageMap(src.height, dst.height, rowCounts);
  std::vector<int64_t> sums(size_t(dst.width * dst.height), 0);
  std::vector<int32_t> line(static_cast<size_t>(dst.width));
  for (int64_t y = 0; y < src.height; ++y) {
    if (check.stopped(y)) return false;
    Qz__InterpolateRow(src.plane[y], tx, line.data());
    int64_t* sum = &sums[size_t(rowMap[size_t(y)] * dst.width)];
    for (int64_t x = 0; x < dst.width; ++x) sum[x] += line[size_t(x)];
  }
  for (int64_t y = 0; y < dst.height; ++y) {
    const int64_t n = std::max<int64_t>(rowCounts[size_t(y)], 1);
    for (int64_t x = 0; x < dst.width; ++x)
      dst.plane[y][x] = uint8_t(sums[size_t(y * dst.width + x)] / n);
  }
  return true;
}

// Averages x and interpolates y: each destination row is the source row pair
// blended by the row's weight, then averaged across.
bool Qz__AverageXInterpolateY(const PlaneRef& src, const PlaneRef& dst, const BreakCheck& check) {
  const auto ty = Qz__Taps(src.height, dst.height);
  std::vector<int64_t> columnCounts;
  const auto columnMap = Qz__AverageMap(src.width, dst.width, columnCounts);
  std::vector<int64_t> sums(static_cast<size_t>(dst.width));
  for (int64_t y = 0; y < dst.height; ++y) {
    if (check.stopped(y)) return false;
    const Tap& t = ty[size_t(y)];
    const uint8_t* row = src.plane[t.n];
    const uint8_t* nrow = src.plane[t.neighbour];
    std::fill(sums.begin(), sums.end(), 0);
    for (int64_t x = 0; x < src.width; ++x)
      sums[size_t(columnMap[size_t(x)])] +=
          (row[x] * (256 - t.weight) >> 8) + (nrow[x] * t.weight >> 8);
    for (int64_t x = 0; x < dst.width; ++x)
      dst.plane[y][x] = uint8_t(sums[size_t(x)] / std::max<int64_t>(columnCounts[size_t(x)], 1));
  }
  return true;
}

bool Qz__AverageBoth(const PlaneRef& src, const PlaneRef& dst, const BreakCheck& check) {
  std::vector<int64_t> rowCounts, columnCounts;
  const auto rowMap = Qz__AverageMap(src.height, dst.height, rowCounts);
  const auto columnMap = Qz__AverageMap(src.width, dst.width, columnCounts);
  std::vector<int64_t> sums(size_t(dst.width * dst.height), 0);
  for (int64_t y = 0; y < src.height; ++y) {
    if (check.stopped(y)) return false;
    int64_t* sum = &sums[size_t(rowMap[size_t(y)] * dst.width)];
    const uint8_t* in = src.plane[y];
    for (int64_t x = 0; x < src.width; ++x) sum[columnMap[size_t(x)]] += in[x];
  }
  for (int64_t y = 0; y < dst.height; ++y)
    for (int64_t x = 0; x < dst.width; ++x) {
      const int64_t rows = std::max<int64_t>(rowCounts[size_t(y)], 1);
      const int64_t columns = std::max<int64_t>(columnCounts[size_t(x)], 1);
      dst.plane[y][x] = uint8_t(sums[size_t(y * dst.width + x)] / rows / columns);
    }
  return true;
}

bool Qz__ScalePlane(const PlaneRef& src, const PlaneRef& dst, bool smooth,
                    const BreakCheck& check) {
  if (!src.plane || !dst.plane) return false;
  if (!smooth) return Qz__Nearest(src, dst, check);
  const bool growX = dst.width >= src.width, growY = dst.height >= src.height;
  if (growX && growY) return Qz__InterpolateBoth(src, dst, check);
  if (growX) return Qz__InterpolateXAverageY(src, dst, check);
  if (growY) return Qz__AverageXInterpolateY(src, dst, check);
  return Qz__AverageBoth(src, dst, check);
}

using Planes = qz::ResizePlanes;

// Depth pairs: 24 from 24 channel by channel, 24 from 8 the grey into each,
// 8 from 24 the green plane, 8 from 8 the grey.
bool Qz__ScalePlanes(const Planes& src, const Planes& dst, bool smooth, const BreakCheck& check) {
  if ((src.depth != 8 && src.depth != 24) || (dst.depth != 8 && dst.depth != 24)) return false;
  if (src.width <= 0 || src.height <= 0 || dst.width <= 0 || dst.height <= 0) return false;
  auto ref = [](Qz_Plane p, const Planes& s) { return PlaneRef{p, s.width, s.height}; };
  try {
    if (dst.depth == 8)
      return Qz__ScalePlane(ref(src.depth == 8 ? src.grey : src.g, src), ref(dst.grey, dst),
                            smooth, check);
    const Qz_Plane out[3] = {dst.r, dst.g, dst.b};
    const Qz_Plane in[3] = {src.r, src.g, src.b};
    for (int i = 0; i < 3; ++i)
      if (!Qz__ScalePlane(ref(src.depth == 8 ? src.grey : in[i], src), ref(out[i], dst), smooth,
                          check))
        return false;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

int32_t Qz__Proportional(int32_t value, int32_t newSize, int32_t oldSize) {
  if (oldSize <= 0) return value;
  return int32_t(int64_t(value) * newSize / oldSize);
}

struct ScaleJob {
  Qz_Image* image;
  int32_t width, height;
};

// The image, then with flag 4 each of its layers and its inner image in the
// same proportion, recursively.
void Qz__CollectJobs(Qz_Image* image, int32_t width, int32_t height, uint32_t flags,
                     std::vector<ScaleJob>& jobs) {
  jobs.push_back({image, std::max(width, 1), std::max(height, 1)});
  if (!(flags & kQzScaleLayers)) return;
  const int32_t oldWidth = image->width, oldHeight = image->height;
  auto add = [&](Qz_Image* part) {
    Qz__CollectJobs(part, Qz__Proportional(part->width, width, oldWidth),
                    Qz__Proportional(part->height, height, oldHeight), flags, jobs);
  };
  for (Qz_Image* layer = first_layer(image); layer; layer = next_layer(layer)) add(layer);
  if (image->inner) add(image->inner);
}

// Keeps the images from reporting changes while their pixels are resampled.
void Qz__Suspend(const std::vector<ScaleJob>& jobs, int32_t by) {
  for (const ScaleJob& job : jobs) job.image->notifySuspend.fetch_add(by);
}

// The progress window of a scaling, in the main window, while it runs.
class ScalingProgress {
 public:
  ScalingProgress(const Qz_Image* image, uint32_t flags) {
    Qz_Object* owner = Qz_GetImageBase()->mainWindow;
    if ((flags & kQzScaleNoProgress) || !owner) return;
    const uint32_t what = image->type == kQzDocument ? kImageText : kLayerText;
    display_ = Qz_BeginProgressDisplay(owner, Qz__Text(kTitleText), Qz__Text(what));
  }
  ~ScalingProgress() { Qz_EndProgressDisplay(display_); }
  ScalingProgress(const ScalingProgress&) = delete;
  ScalingProgress& operator=(const ScalingProgress&) = delete;
  Qz_ProgressDisplay* display() const { return display_; }

 private:
  static constexpr uint32_t kTitleText = 433, kLayerText = 434, kImageText = 435;
  static const char* Qz__Text(uint32_t n) {
    const char* s = Qz_CatalogString(n);
    return s ? s : "";
  }
  Qz_ProgressDisplay* display_ = nullptr;
};

int32_t Qz__ScaleUndoably(Qz_Image* image, int32_t width, int32_t height, uint32_t flags) {
  Qz_Object* action = Qz_CreateObject("TransformAction", kTransformActionSetWidth, width,
                                      kTransformActionSetHeight, height, kTransformActionSetFlags,
                                      flags & ~kQzScaleUndoable);
  if (!action) return -1;
  if (!Qz_AddImageAction(image, action, 0)) {
    Qz_DisposeObject(action);
    return 0;
  }
  return int32_t(Qz_DoMethod(action, kActionApply));
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz__ScaleImageToImage(Qz_Image* dst, Qz_Image* src, uint32_t flags) {
  if (!dst || !src) return 0;
  return Qz__ScalePlanes(qz::mainPlanes(src), qz::mainPlanes(dst), flags & kQzScaleSmooth,
                         BreakCheck(false, 0))
             ? 1
             : 0;
}

QZ_EXPORT int32_t Qz__ScaleImage(Qz_Image* image, int32_t width, int32_t height, uint32_t flags) {
  if (!image) return 0;
  if (flags & kQzScaleUndoable) {
    const int32_t result = Qz__ScaleUndoably(image, width, height, flags);
    if (result >= 0) return result;
  }
  std::vector<ScaleJob> jobs;
  try {
    Qz__CollectJobs(image, std::max(width, 1), std::max(height, 1), flags, jobs);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  // Every image begins its resize before any pixel moves, so a failure
  // anywhere aborts them all and the document keeps its old size throughout.
  ScalingProgress progress(image, flags);
  size_t begun = 0;
  for (; begun < jobs.size(); ++begun)
    if (!Qz_BeginNewImageSize(jobs[begun].image, jobs[begun].width, jobs[begun].height)) break;
  if (begun < jobs.size()) {
    for (size_t i = begun; i-- > 0;) Qz_AbortNewImageSize(jobs[i].image);
    return 0;
  }
  const BreakCheck check(!(flags & kQzScaleNoProgress), std::max(image->height, height), progress.display());
  Qz__Suspend(jobs, 1);
  bool ok = true;
  for (size_t i = 0; ok && i < jobs.size(); ++i) {
    Qz_Image* target = jobs[i].image;
    Planes planes = qz::mainPlanes(target);
    planes.width = jobs[i].width;
    planes.height = jobs[i].height;
    // A document's or image layer's own pixels are its background; its main
    // planes show the layers over it and are made anew once it ends.
    ok = Qz__ScalePlanes(qz::sourcePlanes(target), planes, flags & kQzScaleSmooth, check);
  }
  Qz__Suspend(jobs, -1);
  if (!ok) {
    for (size_t i = jobs.size(); i-- > 0;) Qz_AbortNewImageSize(jobs[i].image);
    return 0;
  }
  for (const ScaleJob& job : jobs) {
    Qz_Image* target = job.image;
    if (target->type != kQzDocument) {
      target->placement.layerX =
          int16_t(Qz__Proportional(target->placement.layerX, job.width, target->width));
      target->placement.layerY =
          int16_t(Qz__Proportional(target->placement.layerY, job.height, target->height));
    }
  }
  // The layers end first, so the document composites their new pixels last.
  // Until a document or image layer ends, its main planes hold its new
  // background, which its end keeps as such: a layer ending before it must
  // not composite over them, or its paint would be baked into the background.
  for (const ScaleJob& job : jobs)
    if (job.image->type != kQzPaintLayer) job.image->compositingSuspended.fetch_add(1);
  for (size_t i = jobs.size(); i-- > 0;) {
    Qz_Image* target = jobs[i].image;
    if (target->type != kQzPaintLayer) target->compositingSuspended.fetch_sub(1);
    if (!Qz_EndNewImageSize(target, jobs[i].width, jobs[i].height)) ok = false;
  }
  return ok ? 1 : 0;
}

QZ_EXTERN_C_END
