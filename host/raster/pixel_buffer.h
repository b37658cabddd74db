// A 32-bit pixel surface (0x00RRGGBB, top row first) that the software
// rasteriser draws into: a window's backing store, a test canvas, a composed
// screen. It either owns its pixels or wraps memory that someone else owns.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/qz_export.h"

namespace qz::raster {

// A half-open pixel rectangle: columns x0..x1-1, rows y0..y1-1.
struct IntRect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

  bool empty() const { return x1 <= x0 || y1 <= y0; }
  int width() const { return x1 - x0; }
  int height() const { return y1 - y0; }
  bool contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
  IntRect intersect(const IntRect& o) const {
    IntRect r{std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
    return r.empty() ? IntRect{} : r;
  }
  // Smallest rectangle holding both; an empty side contributes nothing.
  IntRect unite(const IntRect& o) const {
    if (empty()) return o;
    if (o.empty()) return *this;
    return {std::min(x0, o.x0), std::min(y0, o.y0), std::max(x1, o.x1), std::max(y1, o.y1)};
  }
  bool operator==(const IntRect&) const = default;
};

class PixelBuffer {
 public:
  PixelBuffer() = default;
  // An owning buffer of width x height pixels, all 0 (black). Sizes below 0 count as 0.
  PixelBuffer(int width, int height) { resize(width, height); }

  // Wraps pixels owned elsewhere; stridePixels is the distance between rows in pixels
  // (at least width). The memory must outlive the buffer.
  static PixelBuffer wrap(uint32_t* pixels, int width, int height, int stridePixels) {
    PixelBuffer b;
    b.pixels_ = pixels;
    b.width_ = std::max(width, 0);
    b.height_ = std::max(height, 0);
    b.stride_ = std::max(stridePixels, b.width_);
    return b;
  }

  PixelBuffer(PixelBuffer&& o) noexcept { *this = std::move(o); }
  PixelBuffer& operator=(PixelBuffer&& o) noexcept {
    if (this != &o) {
      // A moved vector keeps its block, so an owning buffer's pointer stays valid.
      storage_ = std::move(o.storage_);
      pixels_ = o.pixels_;
      owns_ = o.owns_;
      width_ = o.width_;
      height_ = o.height_;
      stride_ = o.stride_;
      dirty_ = o.dirty_;
      o.pixels_ = nullptr;
      o.owns_ = false;
      o.width_ = o.height_ = o.stride_ = 0;
      o.dirty_ = {};
    }
    return *this;
  }
  PixelBuffer(const PixelBuffer&) = delete;
  PixelBuffer& operator=(const PixelBuffer&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  int stridePixels() const { return stride_; }
  std::size_t strideBytes() const { return static_cast<std::size_t>(stride_) * 4; }
  bool owning() const { return owns_; }
  IntRect bounds() const { return {0, 0, width_, height_}; }

  uint32_t* pixels() { return pixels_; }
  const uint32_t* pixels() const { return pixels_; }
  uint32_t* row(int y) { return pixels_ + static_cast<std::size_t>(y) * stride_; }
  const uint32_t* row(int y) const { return pixels_ + static_cast<std::size_t>(y) * stride_; }
  // Unchecked; callers clip first.
  uint32_t& at(int x, int y) { return row(y)[x]; }
  uint32_t at(int x, int y) const { return row(y)[x]; }

  // Makes the buffer owning with the new size, keeping the overlapping top-left
  // content; new pixels are 0. A wrapped buffer's content is copied first.
  void resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<uint32_t> next(static_cast<std::size_t>(width) * height, 0u);
    const int keepW = std::min(width, width_), keepH = std::min(height, height_);
    for (int y = 0; y < keepH; ++y) std::copy_n(row(y), keepW, next.data() + static_cast<std::size_t>(y) * width);
    storage_ = std::move(next);
    pixels_ = storage_.data();
    owns_ = true;
    width_ = width;
    height_ = height;
    stride_ = width;
    dirty_ = bounds();
  }

  void fill(uint32_t rgb) {
    for (int y = 0; y < height_; ++y) std::fill_n(row(y), width_, rgb);
    dirty_ = bounds();
  }

  // Changed-area bookkeeping for presenters: every rasteriser call adds the
  // rectangle it touched; a presenter takes it and shows that part.
  void addDirty(const IntRect& r) { dirty_ = dirty_.unite(r.intersect(bounds())); }
  IntRect dirty() const { return dirty_; }
  IntRect takeDirty() {
    IntRect d = dirty_;
    dirty_ = {};
    return d;
  }

 private:
  std::vector<uint32_t> storage_;
  uint32_t* pixels_ = nullptr;
  bool owns_ = false;
  int width_ = 0, height_ = 0, stride_ = 0;
  IntRect dirty_;
};

// COLORREF 0x00BBGGRR (pens) to the buffer's 0x00RRGGBB, and back.
constexpr uint32_t rgbFromColorRef(uint32_t c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr uint32_t colorRefFromRgb(uint32_t p) { return rgbFromColorRef(p); }

}  // namespace qz::raster
