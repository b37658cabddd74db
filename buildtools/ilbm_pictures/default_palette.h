// The default colour palette of the swatches and the palette panel: the 216
// web-safe colours (red slowest, each of 0, 51 ... 255), then a 40-step grey
// ramp from black to white. Red, green, blue per colour.
#pragma once

#include <cstdint>
#include <vector>

namespace qz::pictures {

std::vector<uint8_t> defaultPalette();

}  // namespace qz::pictures
