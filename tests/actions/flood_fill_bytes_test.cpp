// Flood fill bytes: the SSE2 row kernels against the plain ones, the mask
// against a plain recursive fill written straight from the rules (per pixel,
// recursing at the first pixel of each run) on small busy pictures, and the
// layer after a row of fill actions on a bigger picture against hashes
// recorded from the first implementation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "action_fixture.h"
#include "actions/action_internal.h"
#include "actions/flood_fill.h"
#include "image/qz_image.h"

namespace qztest {
namespace {

using qz::actions::FloodClip;
using qz::actions::FloodRowKernels;
using qz::actions::FloodSpan;

// Rows of awkward widths where open and closed pixels come in runs of every
// length: colours near a seed, far from it, and mask bytes set here and there.
TEST(FloodRowKernels, Sse2GivesThePlainKernelsAnswers) {
  const FloodRowKernels* sse2 = qz::actions::sse2FloodRowKernels();
  if (!sse2) GTEST_SKIP() << "no SSE2";
  const FloodRowKernels& plain = qz::actions::scalarFloodRowKernels();
  std::mt19937 random(5);
  for (size_t width : {1, 7, 15, 16, 17, 31, 33, 1031}) {
    for (int round = 0; round < 40; ++round) {
      SCOPED_TRACE(testing::Message() << "width " << width << ", round " << round);
      std::vector<uint8_t> r(width), g(width), b(width), mask(width);
      const uint8_t seed[3] = {uint8_t(random()), uint8_t(random()), uint8_t(random())};
      const uint8_t limit = uint8_t(round % 5 == 0 ? 0 : round % 5 == 1 ? 255 : random() % 60);
      const uint32_t runLength = 1 + random() % 24;
      for (size_t i = 0; i < width; ++i) {
        const bool near = (i / runLength + round) % 3 != 0;
        const int spread = near ? limit : 255;
        r[i] = uint8_t(std::clamp(seed[0] + int(random() % (2 * spread + 1)) - spread, 0, 255));
        g[i] = uint8_t(std::clamp(seed[1] + int(random() % (spread + 1)), 0, 255));
        b[i] = uint8_t(std::clamp(seed[2] - int(random() % (spread + 1)), 0, 255));
        mask[i] = random() % 29 == 0 ? uint8_t(1 + random() % 255) : 0;
      }
      const FloodSpan span = {r.data(), g.data(), b.data(), mask.data(), seed[0], seed[1], seed[2], limit};
      for (size_t count : {size_t(0), width / 2, width})
        EXPECT_EQ(sse2->closedPrefix(span, count), plain.closedPrefix(span, count)) << count;
      // A table that writes 255 for distances up to `solid`, then falls.
      const int32_t solid = round % 4 == 0 ? -1 : int32_t(random() % 40);
      uint8_t values[256];
      for (int32_t d = 0; d < 256; ++d) values[d] = d <= solid ? 255 : uint8_t(254 - d * 3);
      std::vector<uint8_t> plainMask = mask;
      FloodSpan plainSpan = span;
      plainSpan.mask = plainMask.data();
      const size_t from = width / 3, count = width - from;
      FloodSpan tail = span, plainTail = plainSpan;
      for (FloodSpan* t : {&tail, &plainTail}) t->r += from, t->g += from, t->b += from, t->mask += from;
      EXPECT_EQ(sse2->fillPrefix(tail, count, values, solid), plain.fillPrefix(plainTail, count, values, -1));
      EXPECT_EQ(sse2->fillSuffix(span, from, values, solid), plain.fillSuffix(plainSpan, from, values, -1));
      EXPECT_EQ(mask, plainMask);
      plain.writeMask(plainSpan, width, values, -1);
      sse2->writeMask(span, width, values, solid);
      EXPECT_EQ(mask, plainMask);
    }
  }
}

// The fill as the rules state it: recursive, one pixel at a time.
class PlainFill {
 public:
  PlainFill(const Qz_Image* doc, FloodClip clip, int32_t tolerance, int32_t softness, std::vector<uint8_t>& mask,
            int32_t maskWidth, int32_t maskX, int32_t maskY)
      : doc_(doc), clip_(clip), t_(tolerance), mask_(mask), maskWidth_(maskWidth), maskX_(maskX), maskY_(maskY) {
    l_ = int32_t((100 - int64_t(softness)) * tolerance / 100);
    r_ = t_ - l_;
  }
  void run(int32_t x, int32_t y) {
    if (r_ == 0 || x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom) return;
    seed_[0] = doc_->undoR[y][x], seed_[1] = doc_->undoG[y][x], seed_[2] = doc_->undoB[y][x];
    fill(x, y);
  }

 private:
  uint8_t& at(int32_t x, int32_t y) { return mask_[size_t(y - maskY_) * maskWidth_ + (x - maskX_)]; }
  bool inside(int32_t x, int32_t y) const {
    return x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom;
  }
  // Beyond every tolerance outside the clip or, with the test, on a filled pixel.
  int64_t distance(int32_t x, int32_t y, bool filledTest) {
    if (!inside(x, y) || (filledTest && at(x, y))) return INT64_MAX;
    return std::max({std::abs(doc_->undoR[y][x] - seed_[0]), std::abs(doc_->undoG[y][x] - seed_[1]),
                     std::abs(doc_->undoB[y][x] - seed_[2])});
  }
  void write(int32_t x, int32_t y, int64_t d) {
    at(x, y) = d <= l_ || d == 1 ? 255 : uint8_t(((l_ - d) * 255) / r_ - 1);
  }
  void fill(int32_t x, int32_t y) {
    const int64_t d = distance(x, y, false);
    if (d <= t_) write(x, y, d);
    int32_t xl = x;
    if (x > clip_.left)
      for (int32_t c = x - 1;; --c) {
        const int64_t dc = distance(c, y, true);
        if (dc >= t_) {
          xl = c;
          break;
        }
        write(c, y, dc);
        if (c == clip_.left) {
          xl = c;
          break;
        }
      }
    int32_t xr = x + 1;
    for (int64_t dc; xr < clip_.right && (dc = distance(xr, y, true)) < t_; ++xr) write(xr, y, dc);
    bool above = false, below = false;
    for (int32_t c = xl; c < xr; ++c) {
      if (y > clip_.top) look(c, y - 1, above);
      if (y + 1 < clip_.bottom) look(c, y + 1, below);
    }
  }
  void look(int32_t c, int32_t row, bool& flag) {
    if (distance(c, row, true) >= t_) {
      flag = false;
    } else if (!flag) {
      fill(c, row);
      flag = true;
    } else {
      flag = false;
    }
  }

  const Qz_Image* doc_;
  FloodClip clip_;
  int64_t t_, l_ = 0, r_ = 0;
  int32_t seed_[3] = {};
  std::vector<uint8_t>& mask_;
  int32_t maskWidth_, maskX_, maskY_;
};

// A picture with smooth shading, grain, thin walls and single-pixel holes,
// so runs of every length meet and part at every column.
void PaintBusyPicture(Qz_Image* doc, uint32_t seed) {
  uint32_t state = seed;
  auto next = [&state] { return state = state * 1664525u + 1013904223u, state >> 24; };
  for (int32_t y = 0; y < doc->height; ++y)
    for (int32_t x = 0; x < doc->width; ++x) {
      const uint32_t grain = next() % 7;
      const bool wall = (x * 7 + y * 3) % 23 == 0 && next() % 4 != 0;
      const uint8_t base = uint8_t((x * 3 + y * 2) % 90 + grain);
      doc->undoR[y][x] = wall ? 250 : base;
      doc->undoG[y][x] = wall ? 250 : uint8_t(base + (next() % 3));
      doc->undoB[y][x] = wall ? 10 : uint8_t(90 - base / 2);
    }
}

struct MaskCase {
  const char* name;
  int32_t tolerance, softness;
  FloodClip clip;  // the layer's area, inside the document
  int32_t seedX, seedY;
};

TEST_F(ActionTest, FloodMaskMatchesThePlainRecursiveFill) {
  constexpr int32_t kW = 97, kH = 61;
  Qz_Image* doc = MakeDocument(kW, kH, 0);
  const MaskCase cases[] = {
      {"defaults", 25, 30, {0, 0, kW, kH}, 40, 30},
      {"tight", 6, 50, {0, 0, kW, kH}, 10, 10},
      {"soft 100", 30, 100, {0, 0, kW, kH}, 60, 20},
      {"softer than 100", 40, 150, {0, 0, kW, kH}, 5, 55},
      {"hard", 20, 1, {0, 0, kW, kH}, 90, 3},
      {"everything", 255, 30, {0, 0, kW, kH}, 48, 30},
      {"huge", 100000, 50, {0, 0, kW, kH}, 0, 0},
      {"seed on the left edge", 40, 40, {0, 0, kW, kH}, 0, 33},
      {"seed on the right edge", 40, 40, {0, 0, kW, kH}, kW - 1, 12},
      {"seed on the last row", 40, 40, {0, 0, kW, kH}, 20, kH - 1},
      {"placed layer", 50, 30, {13, 7, 80, 50}, 40, 30},
      {"placed, seed on its corner", 60, 30, {13, 7, 80, 50}, 13, 7},
      {"one column", 255, 30, {30, 0, 31, kH}, 30, 30},
      {"one row", 255, 30, {0, 20, kW, 21}, 50, 20},
      {"negative tolerance", -20, 50, {0, 0, kW, kH}, 40, 30},
      {"negative softness", 30, -40, {0, 0, kW, kH}, 40, 30},
  };
  for (uint32_t picture : {1u, 2u, 3u}) {
    PaintBusyPicture(doc, picture);
    for (const MaskCase& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", picture " << picture);
      const int32_t w = c.clip.right - c.clip.left, h = c.clip.bottom - c.clip.top;
      std::vector<uint8_t> expected(size_t(w) * h, 0);
      PlainFill(doc, c.clip, c.tolerance, c.softness, expected, w, c.clip.left, c.clip.top).run(c.seedX, c.seedY);
      Qz_Plane mask = Qz_AllocImageData(w, h, 8);
      ASSERT_NE(mask, nullptr);
      for (int32_t y = 0; y < h; ++y) std::fill_n(mask[y], w, 0);
      qz::actions::floodFillMask(doc, c.clip, {c.tolerance, c.softness}, c.seedX, c.seedY, mask, c.clip.left,
                                 c.clip.top);
      EXPECT_EQ(Plane(mask, w, h), expected);
      Qz_FreeImageData(mask);
    }
  }
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

// Fill actions one after another on a placed layer, both buttons; the layer
// is hashed after each, and the hashes were taken from the first
// implementation, before the fill was made fast.
TEST_F(ActionTest, FillActionsOnABigPictureKeepTheirBytes) {
  constexpr int32_t kW = 1031, kH = 777;
  Qz_Image* doc = MakeDocument(kW, kH, 1);
  PaintBusyPicture(doc, 7);
  Qz_Image* layer = Layer(doc, 0);
  layer->placement.layerX = 11;
  layer->placement.layerY = -5;
  const struct {
    int32_t x, y, tolerance, softness;
    uint32_t button;
    uint64_t hash;
  } steps[] = {
      {500, 400, 25, 30, 1, 0x36d0c3f87fef1097ull},  {20, 700, 60, 80, 1, 0x51ebac0d6d24279bull},
      {300, 300, 40, 100, 2, 0x86bbd8bc66a22ff7ull}, {11, 0, 120, 10, 1, 0xd11162a94bcf37c0ull},
      {1030, 771, 8, 50, 2, 0x33daf334f959ae65ull},  {5, 5, 90, 30, 1, 0x33daf334f959ae65ull},  // outside the layer: nothing
      {900, 10, 255, 30, 2, 0x7450eccaa97143f1ull},
  };
  for (const auto& s : steps) {
    Qz_Object* a = Qz_CreateObject("FloodFillAction", kActionSetQualifier, s.button, kFloodFillSetSoftness,
                                   uint32_t(s.softness), kFloodFillSetTolerance, uint32_t(s.tolerance),
                                   kActionSetLayer, layer, kActionSetImage, doc, 0u);
    ASSERT_NE(a, nullptr);
    Qz_DoMethod(a, kActionStartPoints, kActionSetX, uint32_t(s.x), kActionSetY, uint32_t(s.y), 0u);
    EXPECT_EQ(Qz_DoMethod(a, kActionApply), 1u);
    Qz_DisposeObject(a);
    EXPECT_EQ(Fnv1a(Plane(layer->grey, kW, kH)), s.hash) << s.x << "," << s.y;
  }
}

}  // namespace
}  // namespace qztest
