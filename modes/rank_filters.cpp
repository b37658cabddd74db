// The rank filters' kernels. Everything a render makes lives in the call:
// the strips of a pass render at once.
#include "modes/rank_filters.h"

#include "modes/mode_kit.h"
#include "objects/qz_notify.h"

#include <algorithm>
#include <array>

namespace qz::modes::rank {

int blockPlanes(const Qz_ModeRenderMessage* message, Plane planes[3]) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->x0 > block->x1 || block->y0 > block->y1) return 0;
  if (block->image->depth == 24) {
    planes[0] = {0, message->r};
    planes[1] = {1, message->g};
    planes[2] = {2, message->b};
    return 3;
  }
  if (block->image->depth == 8 && message->grey) {
    planes[0] = {3, message->grey};
    return 1;
  }
  return 0;
}

FetchRect widened(const Qz_ImageLock* block, int32_t rx, int32_t ry) {
  return {block->x0 - rx, block->y0 - ry, block->x1 + rx, block->y1 + ry};
}

PaddedRows::PaddedRows(int32_t x0, int32_t x1, int32_t rx, int32_t ry)
    : x0_(x0), rx_(rx), ry_(ry), stride_(x1 - x0 + 1 + 2 * rx), rows_(2 * ry + 1),
      data_(size_t(stride_) * size_t(rows_)) {}

void PaddedRows::load(const SourceView& view, int channel, int32_t y) {
  const int32_t first = x0_ - rx_, last = first + stride_ - 1;
  // The columns inside the image, then the repeated edges.
  const int32_t inFirst = view.clampX(first), inLast = view.clampX(last);
  for (int32_t j = 0; j < rows_; ++j) {
    const SourceRow src = view.row(channel, y - ry_ + j);
    uint8_t* dst = data_.data() + size_t(j) * size_t(stride_);
    const uint8_t left = src[inFirst], right = src[inLast];
    int32_t i = 0;
    for (int32_t x = first; x < inFirst; ++x) dst[i++] = left;
    const int32_t inner = inLast - inFirst + 1;
    std::copy_n(src.from(inFirst, inner), inner, dst + i);
    i += inner;
    for (int32_t x = inLast + 1; x <= last; ++x) dst[i++] = right;
  }
}

namespace {

inline void Qz__Sort2(uint8_t& a, uint8_t& b) {
  const uint8_t lo = std::min(a, b), hi = std::max(a, b);
  a = lo;
  b = hi;
}

}  // namespace

uint8_t median9(uint8_t p0, uint8_t p1, uint8_t p2, uint8_t p3, uint8_t p4, uint8_t p5, uint8_t p6,
                uint8_t p7, uint8_t p8) {
  // Paeth's nineteen-exchange network.
  Qz__Sort2(p1, p2), Qz__Sort2(p4, p5), Qz__Sort2(p7, p8);
  Qz__Sort2(p0, p1), Qz__Sort2(p3, p4), Qz__Sort2(p6, p7);
  Qz__Sort2(p1, p2), Qz__Sort2(p4, p5), Qz__Sort2(p7, p8);
  Qz__Sort2(p0, p3), Qz__Sort2(p5, p8), Qz__Sort2(p4, p7);
  Qz__Sort2(p3, p6), Qz__Sort2(p1, p4), Qz__Sort2(p2, p5);
  Qz__Sort2(p4, p7), Qz__Sort2(p4, p2), Qz__Sort2(p6, p4);
  Qz__Sort2(p4, p2);
  return p4;
}

void median3x3Row(const PaddedRows& rows, int32_t count, uint8_t* out) {
  const uint8_t* a = rows.row(0);
  const uint8_t* b = rows.row(1);
  const uint8_t* c = rows.row(2);
  for (int32_t i = 0; i < count; ++i)
    out[i] = median9(a[i], a[i + 1], a[i + 2], b[i], b[i + 1], b[i + 2], c[i], c[i + 1], c[i + 2]);
}

void windowMedianRow(const PaddedRows& rows, int32_t r, int32_t count, uint8_t* out) {
  const int32_t n = 2 * r + 1;
  const int32_t rank = (n * n - 1) / 2;
  std::array<int32_t, 256> histogram{};
  for (int32_t j = 0; j < n; ++j) {
    const uint8_t* row = rows.row(j);
    for (int32_t i = 0; i < n; ++i) ++histogram[row[i]];
  }
  // median: the value whose samples hold the rank; below: samples under it.
  int32_t median = 0, below = 0;
  while (below + histogram[size_t(median)] <= rank) below += histogram[size_t(median++)];
  for (int32_t i = 0;; ++i) {
    out[i] = uint8_t(median);
    if (i + 1 == count) break;
    for (int32_t j = 0; j < n; ++j) {
      const uint8_t* row = rows.row(j);
      const uint8_t leaving = row[i], entering = row[i + n];
      --histogram[leaving];
      ++histogram[entering];
      below += (entering < median) - (leaving < median);
    }
    while (below > rank) below -= histogram[size_t(--median)];
    while (below + histogram[size_t(median)] <= rank) below += histogram[size_t(median++)];
  }
}

void separableMedianRow(const PaddedRows& rows, int32_t r, int32_t count, uint8_t* out) {
  const int32_t n = 2 * r + 1;
  const int32_t width = count + 2 * r;
  std::vector<uint8_t> columnMedians(static_cast<size_t>(width));
  std::vector<uint8_t> window(static_cast<size_t>(n));
  for (int32_t i = 0; i < width; ++i) {
    for (int32_t j = 0; j < n; ++j) window[size_t(j)] = rows.row(j)[i];
    std::nth_element(window.begin(), window.begin() + r, window.end());
    columnMedians[size_t(i)] = window[size_t(r)];
  }
  for (int32_t i = 0; i < count; ++i) {
    std::copy_n(columnMedians.begin() + i, n, window.begin());
    std::nth_element(window.begin(), window.begin() + r, window.end());
    out[i] = window[size_t(r)];
  }
}

template <bool Max>
void extremeRow(const PaddedRows& rows, int32_t rx, int32_t count, uint8_t* out) {
  auto pick = [](uint8_t a, uint8_t b) { return Max ? std::max(a, b) : std::min(a, b); };
  const int32_t w = 2 * rx + 1;
  const int32_t length = count + 2 * rx;
  // Per row, the extreme of every w columns in constant time per column:
  // running extremes from each w-block's start (ahead) and end (behind).
  std::vector<uint8_t> ahead(static_cast<size_t>(length)), behind(static_cast<size_t>(length));
  for (int32_t j = 0; j < rows.rows(); ++j) {
    const uint8_t* row = rows.row(j);
    for (int32_t i = 0; i < length; ++i)
      ahead[size_t(i)] = i % w == 0 ? row[i] : pick(ahead[size_t(i - 1)], row[i]);
    for (int32_t i = length - 1; i >= 0; --i)
      behind[size_t(i)] =
          (i % w == w - 1 || i == length - 1) ? row[i] : pick(behind[size_t(i + 1)], row[i]);
    for (int32_t i = 0; i < count; ++i) {
      const uint8_t v = pick(behind[size_t(i)], ahead[size_t(i + w - 1)]);
      out[i] = j == 0 ? v : pick(out[i], v);
    }
  }
}

template void extremeRow<true>(const PaddedRows&, int32_t, int32_t, uint8_t*);
template void extremeRow<false>(const PaddedRows&, int32_t, int32_t, uint8_t*);

}  // namespace qz::modes::rank

namespace qz::modes::rank {

namespace {

// Radii a slider never gives (negative, huge) are limited to the slider's.
constexpr int32_t kMaxFilterRadius = 100;

QzWord Qz__SetFilterRadius(Qz_Object* object, uint32_t setter, int32_t ExtremeModeObject::*radius, QzWord value) {
  auto* self = qz::kit::self<ExtremeModeObject>(object);
  const int32_t r = std::clamp(int32_t(value), 0, kMaxFilterRadius);
  bool changed = false;
  {
    std::lock_guard<std::mutex> guard(self->lock);
    changed = self->*radius != r;
    self->*radius = r;
  }
  if (!changed) return 0;
  Qz_DoNotify(object, setter, uint32_t(r));  // the panel shows the radius kept
  Qz_DoMethod(object->super, kQzModeChanged);
  return 0;
}

QzWord Qz__GetFilterRadius(Qz_Object* object, int32_t ExtremeModeObject::*radius) {
  auto* self = qz::kit::self<ExtremeModeObject>(object);
  std::lock_guard<std::mutex> guard(self->lock);
  return QzWord(self->*radius);
}

}  // namespace

template <bool Max>
QzWord extremeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender: {
      auto* self = qz::kit::self<ExtremeModeObject>(object);
      int32_t rx = 0, ry = 0;
      {
        std::lock_guard<std::mutex> guard(self->lock);
        rx = self->xRadius;
        ry = self->yRadius;
      }
      return renderWindowed(qz::modes::renderMessage(args), rx, ry,
                            [rx](const PaddedRows& rows, int32_t count, uint8_t* out) {
                              extremeRow<Max>(rows, rx, count, out);
                            });
    }
    case kSetFilterXRadius: return Qz__SetFilterRadius(object, id, &ExtremeModeObject::xRadius, args[0]);
    case kSetFilterYRadius: return Qz__SetFilterRadius(object, id, &ExtremeModeObject::yRadius, args[0]);
    case kGetFilterXRadius: return Qz__GetFilterRadius(object, &ExtremeModeObject::xRadius);
    case kGetFilterYRadius: return Qz__GetFilterRadius(object, &ExtremeModeObject::yRadius);
    default: return qz::kit::inherited(object, id, args);
  }
}

template QzWord extremeModeDispatch<true>(Qz_Object*, uint32_t, const QzWord*);
template QzWord extremeModeDispatch<false>(Qz_Object*, uint32_t, const QzWord*);

}  // namespace qz::modes::rank
