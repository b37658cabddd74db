#include "gadgets/panel_gadget_maths.h"

#include <algorithm>

namespace qz::panelgadgets {

uint32_t initialSwatchColour(uint32_t i) { return i * i * 65536u + i * 257u; }

uint32_t clampSwatch(const SwatchGrid& grid, uint64_t index) {
  if (grid.count == 0) return 0;
  return uint32_t(std::min<uint64_t>(index, grid.count - 1));
}

Cell swatchCell(const SwatchGrid& grid, uint32_t index) {
  const uint32_t columns = std::max(1u, grid.columns);
  return {int32_t((index % columns) * grid.swatchWidth), int32_t((index / columns) * grid.swatchHeight)};
}

uint32_t swatchAt(const SwatchGrid& grid, int32_t dx, int32_t dy) {
  const uint64_t column = std::min<uint64_t>(uint32_t(std::max(dx, 0)) / std::max(1u, grid.swatchWidth),
                                             std::max(1u, grid.columns) - 1);
  const uint64_t row = uint32_t(std::max(dy, 0)) / std::max(1u, grid.swatchHeight);
  return clampSwatch(grid, row * std::max(1u, grid.columns) + column);
}

uint32_t histogramEntryFor(int32_t x, int32_t innerWidth, int32_t shown, uint32_t length) {
  if (innerWidth <= 0 || shown <= 0 || length == 0) return 0;
  const uint64_t at = uint64_t(shown) * uint64_t(std::max(x, 0)) / uint64_t(innerWidth);
  return uint32_t(std::min<uint64_t>(at, length - 1));
}

int32_t histogramBar(uint32_t count, uint32_t largest, int32_t innerHeight) {
  if (largest == 0 || innerHeight <= 0) return 0;
  return int32_t(uint64_t(std::min(count, largest)) * uint64_t(innerHeight) / largest);
}

std::vector<int32_t> histogramBars(const uint32_t* table, uint32_t length, int32_t shown, int32_t innerWidth,
                                   int32_t innerHeight) {
  std::vector<int32_t> bars(size_t(std::max(innerWidth, 0)), 0);
  if (!table || length == 0 || shown <= 0) return bars;
  const uint32_t readable = uint32_t(std::min<uint64_t>(uint64_t(shown), length));
  const uint32_t largest = *std::max_element(table, table + readable);
  for (int32_t x = 0; x < innerWidth; ++x)
    bars[size_t(x)] = histogramBar(table[histogramEntryFor(x, innerWidth, shown, readable)], largest, innerHeight);
  return bars;
}

}  // namespace qz::panelgadgets
