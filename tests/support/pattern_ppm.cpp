#include "support/pattern_ppm.h"

#include <fstream>

namespace qztest {

uint8_t PatternRed(int32_t x, int32_t y) { return uint8_t(x * 13 + y); }
uint8_t PatternGreen(int32_t, int32_t y) { return uint8_t(y * 7 + 40); }
uint8_t PatternBlue(int32_t x, int32_t y) { return uint8_t((x ^ y) * 9); }

void WritePattern(const std::string& path, int32_t width, int32_t height) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << width << " " << height << "\n255\n";
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      out << char(PatternRed(x, y)) << char(PatternGreen(x, y)) << char(PatternBlue(x, y));
}

}  // namespace qztest
