// The arithmetic of the swatch grid and the histogram graph, apart from
// drawing so tables can test it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/qz_export.h"

namespace qz::panelgadgets {

// The swatch grid: a fixed count of swatches laid out row by row.
struct SwatchGrid {
  uint32_t swatchWidth = 12, swatchHeight = 12;
  uint32_t columns = 4, rows = 64, count = 256;
};

// A swatch's place relative to the grid's top-left corner.
struct Cell {
  int32_t x, y;
};

// The colour swatch i starts with: the lower half a grey, the upper half
// carrying i * i in its blue byte.
QZ_EXPORT uint32_t initialSwatchColour(uint32_t index);
// An index limited to the last swatch.
QZ_EXPORT uint32_t clampSwatch(const SwatchGrid& grid, uint64_t index);
QZ_EXPORT Cell swatchCell(const SwatchGrid& grid, uint32_t index);
// The swatch under a point (dx, dy) from the grid's corner, clamped to the
// last swatch; a point left of or above the corner is the first row or column.
QZ_EXPORT uint32_t swatchAt(const SwatchGrid& grid, int32_t dx, int32_t dy);

// The table entry a pixel column x of an inner width shows: entries 0 up to
// shown - 1 spread over the width, never past the table's length.
QZ_EXPORT uint32_t histogramEntryFor(int32_t x, int32_t innerWidth, int32_t shown, uint32_t length);
// A bar's height in an inner height for a count, scaled so the largest
// count reaches the top; 0 when the largest count is 0 (a flat line).
QZ_EXPORT int32_t histogramBar(uint32_t count, uint32_t largest, int32_t innerHeight);

// The bar of every pixel column of the graph: the largest of the entries
// shown reaches the inner height. Only entries below both `shown` and the
// table's length are read; no table, nothing shown or a zero largest count
// gives a flat line of zeros.
QZ_EXPORT std::vector<int32_t> histogramBars(const uint32_t* table, uint32_t length, int32_t shown,
                                             int32_t innerWidth, int32_t innerHeight);

}  // namespace qz::panelgadgets
