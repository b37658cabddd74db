#include "default_palette.h"

namespace qz::pictures {

std::vector<uint8_t> defaultPalette() {
  std::vector<uint8_t> rgb;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) rgb.insert(rgb.end(), {uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)});
  constexpr int kGreys = 40;
  for (int i = 0; i < kGreys; ++i) {
    const auto v = uint8_t(i * 255 / (kGreys - 1));
    rgb.insert(rgb.end(), {v, v, v});
  }
  return rgb;
}

}  // namespace qz::pictures
