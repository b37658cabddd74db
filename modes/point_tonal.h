// What the point and tonal modes share: per-channel lookup tables and the
// render over them (grey planes included), the brightness histogram with its
// clip points, the linear stretch, the hue and saturation shift through the
// editor's one HSV conversion, and a whole read of a mode's document under a
// read hold for the modes that take statistics when given their layer.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "image/hsv.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/shared_table.h"
#include "platform/qz_export.h"

namespace qz::modes::tonal {

// One 256-entry table per channel (red, green, blue); a grey plane goes
// through the red one.
struct ChannelTables {
  std::array<std::array<uint8_t, 256>, 3> lut{};
};

// The same table for all three channels, entry i = f(i).
template <class Fn>
ChannelTables sameForEachChannel(Fn f) {
  ChannelTables t;
  for (int32_t i = 0; i < 256; ++i) t.lut[0][i] = t.lut[1][i] = t.lut[2][i] = uint8_t(f(i));
  return t;
}

// Walks the grey rows of an 8-bit block: rowFn(src, dst, count). Answers 1
// (a block without grey tables writes nothing).
template <class RowFn>
QzWord renderGreyRows(const Qz_ModeRenderMessage* message, RowFn rowFn) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (!lock || !lock->grey || !message->grey || lock->y0 > lock->y1 || lock->x0 > lock->x1) return 1;
  const int32_t count = lock->x1 - lock->x0 + 1;
  for (int32_t y = lock->y0; y <= lock->y1; ++y) rowFn(lock->grey[y] + lock->x0, message->grey[y - lock->y0], count);
  return 1;
}

// Each channel through its table. Grey blocks go through the red table when
// `grey` is set (answer 1), else answer `greyAnswer` and write nothing.
QZ_EXPORT QzWord renderThroughTables(const Qz_ModeRenderMessage* message, const ChannelTables& tables,
                                     bool grey, QzWord greyAnswer);

// ((c - low) * 255) / divisor limited to 0..255 (divisor >= 1).
inline int32_t stretch(int32_t c, int32_t low, int32_t divisor) {
  return std::clamp((c - low) * 255 / divisor, 0, 255);
}

// The stretch of every value, as a table.
inline ChannelTables stretchTables(int32_t low, int32_t divisor) {
  return sameForEachChannel([&](int32_t i) { return stretch(i, low, divisor); });
}

// The stretch tables of one low point and divisor, made once per pair.
struct StretchKey {
  int32_t low = 0, divisor = 1;
  bool operator==(const StretchKey&) const = default;
};
using StretchTables = SharedTable<StretchKey, ChannelTables>;
inline std::shared_ptr<const ChannelTables> stretchTablesFor(StretchTables& cache, StretchKey key) {
  return cache.get(key, [&] { return stretchTables(key.low, key.divisor); });
}

// Counts of the brightness (R + G + B) / 3 of the samples taken, and the sum
// of their saturations ((max - min) * 255) / max (0 for black).
struct BrightnessHistogram {
  std::array<uint32_t, 256> counts{};
  uint64_t samples = 0;
  uint64_t saturationSum = 0;
};

// The smallest index 0..254 at which the counts from bin 0 up reach
// `target`, 255 when none does.
QZ_EXPORT int32_t lowClip(const BrightnessHistogram& histogram, uint64_t target);
// The largest index 255..0 at which the counts from bin 255 down reach
// `target`, -1 when none does.
QZ_EXPORT int32_t highClip(const BrightnessHistogram& histogram, uint64_t target);

// The pixel with its hue turned by `hueShift` degrees and its saturation
// scaled by (128 + gain) / 128, limited to 0..255; an unsaturated white
// stays white.
inline void shiftHueSaturation(int32_t r, int32_t g, int32_t b, int32_t hueShift, int32_t gain,
                               uint8_t out[3]) {
  Hsv hsv = rgbToHsv(r, g, b);
  const int32_t s = std::clamp(hsv.s + hsv.s * gain / 128, 0, 255);
  if (s == 0 && hsv.v == 255) {
    out[0] = out[1] = out[2] = 255;
    return;
  }
  int32_t h = hsv.h + hueShift;
  if (h < 0) h += 360;
  hsvToRgb({h % 360, s, hsv.v}, out);
}

// A whole read of the document a layer belongs to, for statistics: under a
// read hold on the document, its background (what lies below its bottom
// layer) or its composite (its own planes). ok() is false when the layer has
// no open document or nothing could be read; the hold and the fetch go with
// the object.
class DocumentRead {
 public:
  enum class Planes { Background, Composite };
  QZ_EXPORT DocumentRead(Qz_Image* layer, Planes planes);
  QZ_EXPORT ~DocumentRead();
  DocumentRead(const DocumentRead&) = delete;
  DocumentRead& operator=(const DocumentRead&) = delete;

  bool ok() const { return fetch_ && fetch_->ok(); }
  const SourceView& view() const { return fetch_->view(); }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  int32_t depth() const { return depth_; }

  // Calls f(r, g, b, count) for each row y = 0, step, 2 * step ... of the
  // rows read, with the row's columns 0..width-1 (a grey document gives its
  // grey row as all three). Nothing when !ok().
  template <class RowFn>
  void forEachRow(int32_t step, RowFn f) const {
    if (!ok()) return;
    const SourceView& v = view();
    const int c0 = depth_ == 8 ? 3 : 0, c1 = depth_ == 8 ? 3 : 1, c2 = depth_ == 8 ? 3 : 2;
    for (int32_t y = 0; y < height_; y += step)
      f(v.row(c0, y).from(0, width_), v.row(c1, y).from(0, width_), v.row(c2, y).from(0, width_), width_);
  }

 private:
  Qz_Image* document_ = nullptr;
  bool held_ = false;
  int32_t width_ = 0, height_ = 0, depth_ = 0;
  Qz_ImageLock lock_{};
  std::optional<SpareFetch> fetch_;
};

// The brightness histogram of every step-th column of every step-th row.
QZ_EXPORT BrightnessHistogram sampleBrightness(const DocumentRead& read, int32_t step);

// What the automatic stretch takes from its document: the brightness range
// with 0.5 % of the samples clipped at each end, and a saturation boost.
// Published whole (8 bytes), so a render reads one consistent set.
struct StretchStatistics {
  int16_t low = 0, high = 255, boost = 0;
  int16_t valid = 0;  // 0: nothing was read, the pixels stay as they are
};

// Samples every step-th column of every step-th row of the layer's document
// background. With a saturation reference, the boost is what the samples'
// mean saturation falls short of it (never below 0), and the mean becomes
// the new reference.
QZ_EXPORT StretchStatistics analyseStretch(Qz_Image* layer, int32_t step, int32_t* saturationReference);

// The automatic stretch of a 24-bit block (other depths: answer 1, nothing
// written): each channel from low to high + 1 onto 0..255, after the
// saturation boost when `boostSaturation` is set. Without statistics the
// block shows what lies below.
QZ_EXPORT QzWord renderAutoStretch(const Qz_ModeRenderMessage* message, StretchStatistics stats,
                                   StretchTables& tables, bool boostSaturation);

}  // namespace qz::modes::tonal
