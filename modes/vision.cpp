#include "modes/vision.h"

#include <algorithm>

#include "modes/direction.h"
#include "modes/mode_fetch.h"
#include "modes/rank_filters.h"
#include "modes/shared_below.h"

namespace qz::modes::vision {

namespace {

// A sample at (x or its mirror W - 1 - x) + dx, (y or H - 1 - y) + dy.
struct Sample {
  int32_t dx = 0, dy = 0;
  bool mirrorX = false, mirrorY = false;
};

struct SampleSet {
  Sample at[9];
  int count = 0;
  void add(Sample s) { at[count++] = s; }
  // Four points a quarter turn apart.
  void addQuad(int32_t a, int32_t b) {
    add({-a, -b});
    add({a, b});
    add({b, -a});
    add({-b, a});
  }
};

SampleSet samplesOf(Kind kind, int32_t combine, int32_t a, int32_t b, int32_t a2, int32_t b2) {
  SampleSet set;
  switch (kind) {
    case Kind::Double:
      set.add({-a, -b});
      set.add({a, b});
      break;
    case Kind::Triple:
      set.add({});
      set.add({-a, -b});
      set.add({a, b});
      break;
    case Kind::Quad:
      set.addQuad(a, b);
      break;
    case Kind::Penta:
      set.add({});
      if (combine != kLightest) {
        set.addQuad(a, b);
        break;
      }
      // The image, a shifted copy and copies mirrored through the centre,
      // left to right and top to bottom.
      set.add({a, b});
      set.add({a, b, true, true});
      set.add({-b, -a, true, false});
      set.add({-b, -a, false, true});
      break;
    case Kind::Octa:
    case Kind::Nona:
      if (kind == Kind::Nona) set.add({});
      set.addQuad(a, b);
      set.addQuad(a2, b2);
      break;
  }
  return set;
}

// The mean by multiply and shift, as the modes always had it: three or
// five equal samples come out one level low.
int32_t mean(int count, int32_t sum) {
  switch (count) {
    case 2: return sum >> 1;
    case 3: return (sum * 21845) >> 16;
    case 4: return sum >> 2;
    case 5: return (sum * 13107) >> 16;
    case 8: return sum >> 3;
    default: return (sum * 7282) >> 16;
  }
}

}  // namespace

QzWord render(Kind kind, const Settings& settings, const Qz_ModeRenderMessage* message) {
  rank::Plane planes[3];
  const int planeCount = rank::blockPlanes(message, planes);
  if (planeCount == 0) return 1;
  const Qz_ImageLock* block = message->block;
  const ModeSize size = modeSize(block);
  const int32_t combine = std::clamp(settings.combine, 0, 2);
  const auto d = int16_t(settings.percent * std::min(size.width, size.height) / 100);
  const Direction first = directionFloor(settings.angle);
  const Direction second = secondArm(settings.angle, DirectionRounding::Floor);
  const SampleSet set = samplesOf(kind, combine, first.stepX(d), first.stepY(d), second.stepX(d), second.stepY(d));

  // Samples lie up to the whole distance away, mirrored ones anywhere: the
  // whole image below, fetched once for every strip and kept between passes
  // (a rectangle per block would composite thousands of rows for each one).
  SharedBelow below(message);
  if (!below.ok()) return 0;
  const SourceView& view = below.view();

  for (int p = 0; p < planeCount; ++p)
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      uint8_t* out = planes[p].dst[y - block->y0];
      for (int32_t x = block->x0; x <= block->x1; ++x) {
        int32_t lowest = 255, highest = 0, sum = 0;
        for (int i = 0; i < set.count; ++i) {
          const Sample& s = set.at[i];
          const int32_t sx = std::clamp((s.mirrorX ? size.width - 1 - x : x) + s.dx, view.x0, view.x1);
          const int32_t sy = std::clamp((s.mirrorY ? size.height - 1 - y : y) + s.dy, view.y0, view.y1);
          const int32_t v = view.at(planes[p].channel, sx, sy);
          lowest = std::min(lowest, v);
          highest = std::max(highest, v);
          sum += v;
        }
        out[x - block->x0] = uint8_t(combine == kDarkest ? lowest : combine == kLightest ? highest : mean(set.count, sum));
      }
    }
  return 1;
}

}  // namespace qz::modes::vision
