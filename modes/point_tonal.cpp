// The point and tonal modes' shared tables, histogram and document read.
#include "modes/point_tonal.h"

#include <algorithm>

#include "image/image_internal.h"

namespace qz::modes::tonal {

QzWord renderThroughTables(const Qz_ModeRenderMessage* message, const ChannelTables& tables,
                           bool grey, QzWord greyAnswer) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (lock && lock->image && lock->image->depth == 8) {
    if (!grey) return greyAnswer;
    const uint8_t* lut = tables.lut[0].data();
    return renderGreyRows(message, [&](const uint8_t* src, uint8_t* dst, int32_t count) {
      for (int32_t i = 0; i < count; ++i) dst[i] = lut[src[i]];
    });
  }
  return renderRows(message, greyAnswer, [&](const uint8_t* const src[3], uint8_t* const dst[3],
                                             int32_t count) {
    for (int c = 0; c < 3; ++c) {
      const uint8_t* lut = tables.lut[c].data();
      const uint8_t* s = src[c];
      uint8_t* d = dst[c];
      for (int32_t i = 0; i < count; ++i) d[i] = lut[s[i]];
    }
  });
}

int32_t lowClip(const BrightnessHistogram& histogram, uint64_t target) {
  uint64_t sum = 0;
  for (int32_t i = 0; i < 255; ++i) {
    sum += histogram.counts[size_t(i)];
    if (sum >= target) return i;
  }
  return 255;
}

int32_t highClip(const BrightnessHistogram& histogram, uint64_t target) {
  uint64_t sum = 0;
  for (int32_t i = 255; i >= 0; --i) {
    sum += histogram.counts[size_t(i)];
    if (sum >= target) return i;
  }
  return -1;
}

DocumentRead::DocumentRead(Qz_Image* layer, Planes planes) {
  if (!layer) return;
  Qz_Image* document = layer->document ? layer->document : qz::topDocument(layer);
  if (!document || document == layer || document->type != kQzDocument) return;
  if (document->width <= 0 || document->height <= 0) return;
  if (document->depth != 8 && document->depth != 24) return;
  // Another thread may paint or composite meanwhile: the hold keeps the planes in place.
  if (!Qz_LockImageA(document, kQzLockRead, nullptr)) return;
  document_ = document;
  held_ = true;
  width_ = document->width, height_ = document->height, depth_ = document->depth;
  // The background is what lies below the bottom layer; a document without layers shows its own.
  Qz_Image* below = planes == Planes::Background ? first_layer(document) : nullptr;
  if (below && depth_ == 8) below = nullptr;  // a grey document's layers are not composited
  fetch_.emplace(&lock_, document, below, FetchRect{0, 0, width_ - 1, height_ - 1});
  if (fetch_->ok() && depth_ == 8 && !fetch_->view().grey) fetch_.reset();
}

DocumentRead::~DocumentRead() {
  fetch_.reset();
  if (held_) Qz_UnlockImageA(document_, kQzLockRead, nullptr);
}

BrightnessHistogram sampleBrightness(const DocumentRead& read, int32_t step) {
  BrightnessHistogram histogram;
  read.forEachRow(step, [&](const uint8_t* r, const uint8_t* g, const uint8_t* b, int32_t width) {
    for (int32_t x = 0; x < width; x += step) {
      ++histogram.counts[size_t((r[x] + g[x] + b[x]) / 3)];
      ++histogram.samples;
      const int32_t hi = std::max({r[x], g[x], b[x]}), lo = std::min({r[x], g[x], b[x]});
      if (hi > 0) histogram.saturationSum += uint64_t((hi - lo) * 255 / hi);
    }
  });
  return histogram;
}

StretchStatistics analyseStretch(Qz_Image* layer, int32_t step, int32_t* saturationReference) {
  const DocumentRead read(layer, DocumentRead::Planes::Background);
  const BrightnessHistogram histogram = sampleBrightness(read, step);
  // Counted samples, not width * height / step^2: odd sizes take one more row or column.
  if (histogram.samples == 0) return {};
  const uint64_t target = histogram.samples * 5 / 1000;
  StretchStatistics stats;
  stats.low = int16_t(lowClip(histogram, target));
  stats.high = int16_t(highClip(histogram, target));
  if (saturationReference) {
    const auto mean = int32_t(histogram.saturationSum / histogram.samples);
    stats.boost = int16_t(std::max(0, *saturationReference - mean));
    *saturationReference = mean;
  }
  stats.valid = 1;
  return stats;
}

QzWord renderAutoStretch(const Qz_ModeRenderMessage* message, StretchStatistics stats,
                         StretchTables& tables, bool boostSaturation) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (!lock || !lock->image || lock->image->depth != 24) return 1;
  // The divisor is high - low + 1, so a channel at the high point gives 254 or less.
  const int32_t divisor = stats.high - stats.low + 1 < 2 ? 1 : stats.high - stats.low + 1;
  const auto table = stats.valid ? stretchTablesFor(tables, {stats.low, divisor}) : nullptr;
  if (!table) {
    copySourceToOutput(message);
    return 1;
  }
  if (!boostSaturation || stats.boost == 0) return renderThroughTables(message, *table, false, 1);
  const int32_t boost = stats.boost;
  return renderRows(message, 1, [&](const uint8_t* const src[3], uint8_t* const dst[3], int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      uint8_t out[3];
      shiftHueSaturation(src[0][i], src[1][i], src[2][i], 0, boost, out);
      for (int c = 0; c < 3; ++c) dst[c][i] = table->lut[c][out[c]];
    }
  });
}

}  // namespace qz::modes::tonal
