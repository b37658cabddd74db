// The colour adjustments the compositor applies to a layer's output before
// blending it: per-channel strengths, a hue/saturation/value stage, a tone
// stage weighted by the brightness below, and an edge mask.
#include <algorithm>
#include <cstdlib>

#include "image/compositor_internal.h"
#include "image/hsv.h"

namespace qz {
namespace {

constexpr uint32_t kNeutral = 256;

// Blend words above neutral come from raw setters; neutral is the strongest.
inline uint32_t Qz__Word(const Qz_Image* layer, int index) {
  return std::min<uint32_t>(layer->blend[index], kNeutral);
}

// below + (out - below) * weight / 65536, rounded with + 257 (arithmetic shift).
inline uint8_t Qz__Toward(int32_t below, int32_t out, int32_t weight) {
  return uint8_t(below + (((out - below) * weight + 257) >> 16));
}

void Qz__Strengths(const Qz_Image* layer, uint8_t* out[3], const uint8_t* below[3],
                   int32_t count) {
  for (int c = 0; c < 3; ++c) {
    const uint32_t w = Qz__Word(layer, c);
    if (w == kNeutral) continue;
    const int32_t weight = int32_t((w * 257) & 0xFFFF);
    for (int32_t i = 0; i < count; ++i) out[c][i] = Qz__Toward(below[c][i], out[c][i], weight);
  }
}

void Qz__HsvStage(const Qz_Image* layer, uint8_t* out[3], const uint8_t* below[3],
                  int32_t count) {
  const uint32_t w5 = Qz__Word(layer, 4) > 254 ? 255 : Qz__Word(layer, 4);
  const uint32_t w6 = Qz__Word(layer, 5) > 254 ? 255 : Qz__Word(layer, 5);
  const int32_t satWeight = int32_t(w5 * 257), valueWeight = int32_t(w6 * 257);
  for (int32_t i = 0; i < count; ++i) {
    const Hsv b = rgbToHsv(below[0][i], below[1][i], below[2][i]);
    const Hsv o = rgbToHsv(out[0][i], out[1][i], out[2][i]);
    const int32_t v = b.v + (((o.v - b.v) * valueWeight + 257) >> 16);
    const int32_t s = b.s + (((o.s - b.s) * satWeight + 257) >> 16);
    uint8_t rgb[3];
    hsvToRgb({o.h, s, v}, rgb);
    out[0][i] = rgb[0];
    out[1][i] = rgb[1];
    out[2][i] = rgb[2];
  }
}

bool Qz__ToneStageOn(const Qz_Image* layer) {
  return Qz__Word(layer, 6) != kNeutral || Qz__Word(layer, 7) != kNeutral ||
         Qz__Word(layer, 8) != kNeutral;
}

// Strips of one pass run at once, so the table is the caller's (made once
// per strip) or, without one, built here for this call alone.
void Qz__ToneStage(const Qz_Image* layer, uint8_t* out[3], const uint8_t* below[3], int32_t count,
                   const uint8_t* table) {
  uint8_t own[kToneTableSize];
  if (!table) {
    buildToneTable(layer->blend[6], layer->blend[7], layer->blend[8], own);
    table = own;
  }
  for (int32_t i = 0; i < count; ++i) {
    const int32_t k = table[below[0][i] + below[1][i] + below[2][i]] * 257;
    for (int c = 0; c < 3; ++c) out[c][i] = Qz__Toward(below[c][i], out[c][i], k);
  }
}

void Qz__EdgeStage(const Qz_Image* layer, uint8_t* out[3], const uint8_t* below[3],
                   int32_t count, int32_t layerX, int32_t layerY) {
  for (int32_t i = 0; i < count; ++i) {
    const int32_t w = edgeMaskWeight(layer->edgeShape, layer->width, layer->height,
                                     layer->edgeSize, layer->edgeSoftness, layer->edgeInvert != 0,
                                     layerX + i, layerY);
    for (int c = 0; c < 3; ++c) out[c][i] = Qz__Toward(below[c][i], out[c][i], w);
  }
}

int64_t Qz__Frame(int64_t width, int64_t height, int64_t size, int64_t softness, int64_t x,
                  int64_t y) {
  const int64_t m = size * std::max(width, height) / 150;
  const int64_t band = std::max<int64_t>(1, softness * m / 100);
  const int64_t step = 65535 / band;
  int64_t r = 0;
  if (y >= height - m) r = y < height - m + band ? (y - (height - m)) * step : 65535;
  if (y <= m) r += y < m - band ? 65535 : (m - y) * step;
  int64_t w = r;
  if (x >= width - m) w = x < width - m + band ? std::max(r, (x - (width - m)) * step) : r + 65535;
  if (x <= m) {
    if (x < m - band)
      w += 65535;
    else
      w = std::max(w, (m - x) * step);
  }
  return std::min<int64_t>(w, 65535);
}

int64_t Qz__Round(int32_t shape, int64_t width, int64_t height, int64_t size, int64_t softness,
                  int64_t x, int64_t y) {
  const int64_t radius = (100 - size) * std::max(width, height) / 150;
  const int64_t r2 = radius * radius;
  const int64_t band = std::max<int64_t>(1, softness * r2 / 100);
  const int64_t dx = width / 2 - x, dy = height / 2 - y;
  int64_t d;
  if (shape == 2)
    d = dx * dx + dy * dy;
  else if (width + height <= 4000)
    d = dx * dx * height / width + dy * dy * width / height;
  else
    d = (dx * dx / width) * height + (dy * dy / height) * width;
  if (d > r2) return 0;
  if (d < r2 - band) return 65535;
  return std::min<int64_t>(((r2 * 255 - d * 255) / band) * 257, 65535);
}

}  // namespace

void buildToneTable(uint32_t w7, uint32_t w8, uint32_t w9, uint8_t* table) {
  const int32_t W7 = int32_t(std::min<uint32_t>(w7, 255));
  const int32_t W8 = int32_t(std::min<uint32_t>(w8, 255));
  const int32_t W9 = int32_t(std::min<uint32_t>(w9, 255));
  for (int32_t i = 0; i < kToneTableSize; ++i) {
    int32_t e = 255;
    if (i < 511) e -= (510 - i) * (255 - W9) / 510;
    if (i >= 127 && i < 382) e -= (i - 127) * (255 - W8) / 510;
    if (i >= 382 && i < 638) e -= (638 - i) * (255 - W8) / 510;
    if (i >= 256) e -= (i - 256) * (255 - W7) / 510;
    table[i] = uint8_t(std::clamp(e, 0, 255));
  }
}

int32_t edgeMaskWeight(int32_t shape, int64_t width, int64_t height, int64_t size,
                       int64_t softness, bool invert, int64_t x, int64_t y) {
  if (width <= 0 || height <= 0) return 65535;
  int64_t w;
  if (shape == 1) {
    w = Qz__Frame(width, height, size, softness, x, y);
    if (invert) w = 65535 - w;
  } else if (shape == 2 || shape == 3) {
    w = Qz__Round(shape, width, height, size, softness, x, y);
    if (!invert) w = 65535 - w;
  } else {
    return 65535;
  }
  return int32_t(std::clamp<int64_t>(w, 0, 65535));
}

bool layerNeedsAdjusting(const Qz_Image* layer) {
  for (int i = 0; i < 9; ++i)
    if (Qz__Word(layer, i) != kNeutral) return true;
  return layer->edgeShape >= 1 && layer->edgeShape <= 3;
}

bool layerHasToneStage(const Qz_Image* layer) { return Qz__ToneStageOn(layer); }

void adjustLayerColours(Qz_Image* layer, uint8_t* outR, uint8_t* outG, uint8_t* outB,
                        const uint8_t* belowR, const uint8_t* belowG, const uint8_t* belowB,
                        int32_t count, int32_t layerX, int32_t layerY, const uint8_t* toneTable) {
  if (count <= 0) return;
  uint8_t* out[3] = {outR, outG, outB};
  const uint8_t* below[3] = {belowR, belowG, belowB};
  Qz__Strengths(layer, out, below, count);
  if (Qz__Word(layer, 3) != kNeutral || Qz__Word(layer, 4) != kNeutral ||
      Qz__Word(layer, 5) != kNeutral)
    Qz__HsvStage(layer, out, below, count);
  if (Qz__ToneStageOn(layer))
    Qz__ToneStage(layer, out, below, count, toneTable);
  if (layer->edgeShape >= 1 && layer->edgeShape <= 3)
    Qz__EdgeStage(layer, out, below, count, layerX, layerY);
}

}  // namespace qz
