// The redraw bookkeeping of a view: rows widened under a lock, taken in one swap.
#include "image/dirty_rows.h"

#include <algorithm>

namespace qz {

void DirtyRows::reset(int32_t width, int32_t height) {
  std::lock_guard<std::mutex> guard(mutex_);
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  least_.assign(size_t(height_), width_);
  greatest_.assign(size_t(height_), -1);
  any_ = false;
}

bool DirtyRows::mark(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  std::lock_guard<std::mutex> guard(mutex_);
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, width_ - 1);
  y1 = std::min(y1, height_ - 1);
  if (x0 > x1 || y0 > y1) return false;
  for (int32_t y = y0; y <= y1; ++y) {
    least_[size_t(y)] = std::min(least_[size_t(y)], x0);
    greatest_[size_t(y)] = std::max(greatest_[size_t(y)], x1);
  }
  any_ = true;
  return true;
}

void DirtyRows::markAll() {
  int32_t width, height;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    width = width_;
    height = height_;
  }
  mark(0, 0, width - 1, height - 1);
}

std::vector<DirtyRect> DirtyRows::take() {
  std::vector<int32_t> least, greatest;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!any_) return {};
    least.assign(size_t(height_), width_);
    greatest.assign(size_t(height_), -1);
    least.swap(least_);
    greatest.swap(greatest_);
    any_ = false;
  }
  std::vector<DirtyRect> rects;
  for (int32_t y = 0; y < int32_t(greatest.size()); ++y) {
    if (greatest[size_t(y)] < 0) continue;
    if (!rects.empty() && rects.back().y1 == y - 1) {
      DirtyRect& r = rects.back();
      r.x0 = std::min(r.x0, least[size_t(y)]);
      r.x1 = std::max(r.x1, greatest[size_t(y)]);
      r.y1 = y;
    } else {
      rects.push_back({least[size_t(y)], y, greatest[size_t(y)], y});
    }
  }
  return rects;
}

bool DirtyRows::empty() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return !any_;
}

}  // namespace qz
