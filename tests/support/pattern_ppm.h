// A picture whose every pixel is known from its position, and a binary PPM
// of it, written by hand so a load test does not rest on our own writer.
#pragma once

#include <cstdint>
#include <string>

namespace qztest {

uint8_t PatternRed(int32_t x, int32_t y);
uint8_t PatternGreen(int32_t x, int32_t y);
uint8_t PatternBlue(int32_t x, int32_t y);
void WritePattern(const std::string& path, int32_t width, int32_t height);

}  // namespace qztest
