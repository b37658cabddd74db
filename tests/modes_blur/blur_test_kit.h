// What the blur tests share: a document with one opaque layer through a
// blur (its output is then the mode's), plain planes read from a document,
// and a naive window mean over them as the reference.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "compositor/compositor_kit.h"

namespace blurtest {

using qztest::Document;
using qztest::Rgb;

inline uint8_t Opaque(int32_t, int32_t) { return 255; }

// The document's pixels as three planes (red, green, blue), row after row.
struct Planes {
  int32_t width = 0, height = 0;
  std::array<std::vector<uint8_t>, 3> c;
  uint8_t at(int channel, int32_t x, int32_t y) const {
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    return c[size_t(channel)][size_t(y) * size_t(width) + size_t(x)];
  }
};

inline Planes PlanesOf(const Document& doc) {
  Planes p{doc.width(), doc.height(), {}};
  const std::vector<uint8_t> bytes = doc.Planes();
  const size_t plane = size_t(p.width) * size_t(p.height);
  for (int c = 0; c < 3; ++c) p.c[size_t(c)].assign(bytes.begin() + c * plane, bytes.begin() + (c + 1) * plane);
  return p;
}

// The pixels as the background gives them.
inline Planes PlanesOf(int32_t width, int32_t height, const qztest::PixelFn& pixel) {
  Planes p{width, height, {}};
  for (auto& plane : p.c) plane.resize(size_t(width) * size_t(height));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const Rgb v = pixel(x, y);
      for (int c = 0; c < 3; ++c) p.c[size_t(c)][size_t(y) * size_t(width) + size_t(x)] = v[size_t(c)];
    }
  return p;
}

// min(255, sum of f(sample) over the window / divisor), edges repeated.
inline Planes NaiveMean(const Planes& in, int32_t rx, int32_t ry, int64_t divisor,
                        const std::function<int64_t(int64_t)>& f = [](int64_t v) { return v; }) {
  Planes out = in;
  for (int c = 0; c < 3; ++c)
    for (int32_t y = 0; y < in.height; ++y)
      for (int32_t x = 0; x < in.width; ++x) {
        int64_t sum = 0;
        for (int32_t j = -ry; j <= ry; ++j)
          for (int32_t i = -rx; i <= rx; ++i) sum += f(in.at(c, x + i, y + j));
        out.c[size_t(c)][size_t(y) * size_t(in.width) + size_t(x)] = uint8_t(std::min<int64_t>(sum / divisor, 255));
      }
  return out;
}

inline bool SamePlanes(const Planes& a, const Planes& b) { return a.c == b.c; }

// The first pixel where two plane sets differ, for a failure message.
inline std::string FirstDifference(const Planes& got, const Planes& want) {
  for (int c = 0; c < 3; ++c)
    for (int32_t y = 0; y < want.height; ++y)
      for (int32_t x = 0; x < want.width; ++x)
        if (got.at(c, x, y) != want.at(c, x, y))
          return "channel " + std::to_string(c) + " at (" + std::to_string(x) + ", " + std::to_string(y) +
                 "): " + std::to_string(got.at(c, x, y)) + " instead of " + std::to_string(want.at(c, x, y));
  return "none";
}

}  // namespace blurtest
