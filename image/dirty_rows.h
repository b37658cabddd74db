// Per-row bookkeeping of what a view still has to redraw. Change notices
// widen rows from any thread; the view's redraw thread takes everything
// marked so far in one step and gets it back as rectangles, consecutive
// dirty rows joined.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/qz_export.h"

namespace qz {

struct DirtyRect {
  int32_t x0, y0, x1, y1;  // inclusive
};

class QZ_EXPORT DirtyRows {
 public:
  // Sets the size; everything marked is dropped.
  void reset(int32_t width, int32_t height);
  // Widens rows y0..y1 by x0..x1, clipped to the size. False when nothing was inside.
  bool mark(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  void markAll();
  // Everything marked since the last take, and clears it.
  std::vector<DirtyRect> take();
  bool empty() const;

 private:
  mutable std::mutex mutex_;
  int32_t width_ = 0, height_ = 0;
  bool any_ = false;
  std::vector<int32_t> least_, greatest_;  // greatest < 0: row clean
};

}  // namespace qz
