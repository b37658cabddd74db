// The rectangle a crop or button drag covers: both the press and the
// release column and row, whichever way the pointer went.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace qz::tools {

struct DragBox {
  int32_t x, y, width, height;
  bool operator==(const DragBox&) const = default;
};

inline DragBox dragBox(int32_t pressX, int32_t pressY, int32_t x, int32_t y) {
  const int64_t width = std::llabs(int64_t(x) - pressX) + 1, height = std::llabs(int64_t(y) - pressY) + 1;
  return {std::min(pressX, x), std::min(pressY, y), int32_t(std::min<int64_t>(width, INT32_MAX)),
          int32_t(std::min<int64_t>(height, INT32_MAX))};
}

}  // namespace qz::tools
