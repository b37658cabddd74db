// The strip-local carry: what continues and what starts afresh, held states
// kept apart, and a running column sum through the compositor that gives
// the bytes of a fresh computation with any number of workers, rows cut
// into several runs, layers that fetch through each other, and passes
// with the data below changed between them.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "compositor/compositor_kit.h"
#include "modes/mode_fetch.h"
#include "modes/strip_carry.h"

namespace {

using qztest::Document;
using qztest::Noise;
using qztest::NoisePixel;

struct Sums {
  std::vector<int32_t> values;
  int32_t radius = -1;
};

TEST(StripCarry, ContinuesOnlyTheRowAboveOfTheSameKey) {
  static qz::modes::StripCarry<Sums> carry, other;
  struct Case {
    const char* name;
    uint32_t keptSerial, serial;
    bool sameMode, sameCarry;
    int32_t x0, x1, y;
    bool fresh;
  };
  // Kept: serial keptSerial, columns 2..9, row 3.
  const Case cases[] = {
      {"the next row", 5, 5, true, true, 2, 9, 4, false},
      {"a row further on", 5, 5, true, true, 2, 9, 5, true},
      {"the same row again", 5, 5, true, true, 2, 9, 3, true},
      {"other first column", 5, 5, true, true, 3, 9, 4, true},
      {"other last column", 5, 5, true, true, 2, 8, 4, true},
      {"another mode", 5, 5, false, true, 2, 9, 4, true},
      {"another pass", 5, 6, true, true, 2, 9, 4, true},
      {"outside a pass", 0, 0, true, true, 2, 9, 4, true},
      {"another carry of the same type", 5, 5, true, false, 2, 9, 4, true},
  };
  int modes[std::size(cases)][2] = {};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const void* mode = &modes[i][0];
    {
      auto held = carry.take(c.keptSerial, mode, 2, 9, 3);
      EXPECT_TRUE(held.fresh());
      held->values.assign(3, int32_t(i));
      held.keep(3);
    }
    auto& asked = c.sameCarry ? carry : other;
    auto held = asked.take(c.serial, c.sameMode ? mode : &modes[i][1], c.x0, c.x1, c.y);
    EXPECT_EQ(held.fresh(), c.fresh);
    if (!c.fresh) {
      EXPECT_EQ(held->values, std::vector<int32_t>(3, int32_t(i)));
    }
  }
}

TEST(StripCarry, ACarryNotKeptIsForgotten) {
  static qz::modes::StripCarry<Sums> carry;
  int mode = 0;
  { auto held = carry.take(9, &mode, 0, 4, 0); held.keep(0); }
  { auto held = carry.take(9, &mode, 0, 4, 1); EXPECT_FALSE(held.fresh()); }  // gave up: not kept
  auto held = carry.take(9, &mode, 0, 4, 2);
  EXPECT_TRUE(held.fresh());
}

TEST(StripCarry, SeveralRunsOfARowKeepTheirOwn) {
  static qz::modes::StripCarry<Sums> carry;
  int mode = 0;
  const int32_t runs[][2] = {{0, 9}, {80, 99}, {170, 170}, {250, 400}};
  for (int32_t y = 0; y < 10; ++y)
    for (const auto& run : runs) {
      auto held = carry.take(11, &mode, run[0], run[1], y);
      EXPECT_EQ(held.fresh(), y == 0) << y << " at " << run[0];
      if (held.fresh()) held->values.assign(1, run[0]);
      EXPECT_EQ(held->values, std::vector<int32_t>{run[0]});
      held.keep(y);
    }
}

TEST(StripCarry, AHeldStateIsNeverHandedOutAgain) {
  static qz::modes::StripCarry<Sums> carry;
  int modes[40] = {};
  auto outer = carry.take(12, &modes[0], 0, 9, 5);
  outer->values.assign(4, 42);
  // Renders nested inside this one (more than the slots a thread keeps),
  // each held at once and each kept.
  std::vector<qz::modes::StripCarry<Sums>::Held> nested;
  for (int i = 1; i < 40; ++i) {
    nested.push_back(carry.take(12, &modes[i], 0, 9, 5));
    ASSERT_NE(&*nested.back(), &*outer);
    nested.back()->values.assign(4, i);
    nested.back().keep(5);
  }
  EXPECT_EQ(outer->values, std::vector<int32_t>(4, 42));
  nested.clear();
  // Even asked for its own key, a held state is not given twice.
  auto again = carry.take(12, &modes[0], 0, 9, 5);
  EXPECT_NE(&*again, &*outer);
  outer.keep(5);
}

// ---- a running column sum through the compositor ------------------------------------

constexpr int32_t kRadius = 3;
std::atomic<int64_t> gContinued{0};

// The vertical mean over rows y - 3 .. y + 3 of the data below, per channel.
// With the carry, a run that follows the row above over the same columns
// moves the sums by one row; without it every run sums afresh.
template <bool UseCarry>
QzWord ColumnMeanRender(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  static qz::modes::StripCarry<Sums> carry;
  const Qz_ImageLock* block = message->block;
  const int32_t x0 = block->x0, x1 = block->x1, n = x1 - x0 + 1;
  qz::modes::SpareFetch below(message, {x0, block->y0 - kRadius - 1, x1, block->y1 + kRadius});
  if (!below.ok()) return 0;
  const qz::modes::SourceView& view = below.view();
  auto held = carry.take(object, x0, x1, block->y0);
  Sums& sums = *held;
  bool fresh = !UseCarry || held.fresh() || sums.radius != kRadius;
  if (!fresh) gContinued.fetch_add(1, std::memory_order_relaxed);
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    if (fresh) {
      sums.values.assign(size_t(3 * n), 0);
      sums.radius = kRadius;
      for (int c = 0; c < 3; ++c)
        for (int32_t j = -kRadius; j <= kRadius; ++j) {
          const uint8_t* row = view.row(c, y + j).from(x0, n);
          for (int32_t i = 0; i < n; ++i) sums.values[size_t(c * n + i)] += row[i];
        }
      fresh = false;
    } else {
      for (int c = 0; c < 3; ++c) {
        const uint8_t* in = view.row(c, y + kRadius).from(x0, n);
        const uint8_t* out = view.row(c, y - kRadius - 1).from(x0, n);
        for (int32_t i = 0; i < n; ++i) sums.values[size_t(c * n + i)] += in[i] - out[i];
      }
    }
    uint8_t** dst[3] = {message->r, message->g, message->b};
    for (int c = 0; c < 3; ++c)
      for (int32_t i = 0; i < n; ++i)
        dst[c][y - block->y0][i] = uint8_t(sums.values[size_t(c * n + i)] / (2 * kRadius + 1));
  }
  held.keep(block->y1);
  return 1;
}

template <bool UseCarry>
QzWord ColumnMeanDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return ColumnMeanRender<UseCarry>(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kCarriedMean = {.name = "CarriedMeanMode", .superName = "RootMode",
                                         .classId = 0x8F10000, .handler = ColumnMeanDispatch<true>};
const qz::kit::ClassDecl kFreshMean = {.name = "FreshMeanMode", .superName = "RootMode",
                                       .classId = 0x8F10000, .handler = ColumnMeanDispatch<false>};

class CarriedSums : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(qz::kit::addClass(kCarriedMean), 1u);
    ASSERT_EQ(qz::kit::addClass(kFreshMean), 1u);
  }
  static void TearDownTestSuite() {
    qz::kit::removeClass(kCarriedMean);
    qz::kit::removeClass(kFreshMean);
  }

  // A multiply layer, then two mean layers (the upper one fetches through the
  // lower, rendering it on its own thread) with long clear gaps in every row.
  static void Build(Document& doc, const char* mean) {
    ASSERT_NE(doc.AddPaintLayer("Multiply", {90, 200, 30}, 4, 3, 200, 30,
                                [](int32_t x, int32_t y) { return Noise(x, y, 5); }),
              nullptr);
    ASSERT_NE(doc.AddPaintLayer(mean, {0, 0, 0}, 3, 0, 225, 44, qztest::GappedAlpha), nullptr);
    ASSERT_NE(doc.AddPaintLayer(mean, {0, 0, 0}, 40, 5, 185, 30,
                                [](int32_t x, int32_t y) { return qztest::GappedAlpha(x + 50, y); }),
              nullptr);
  }
};

TEST_F(CarriedSums, SameBytesAsAFreshSumHoweverCut) {
  Document carried(230, 30, NoisePixel), fresh(230, 30, NoisePixel);
  Build(carried, "CarriedMean");
  Build(fresh, "FreshMean");
  fresh.Composite();
  gContinued = 0;
  EXPECT_EQ(qztest::ExpectSameHoweverCut(carried), fresh.Planes());
  EXPECT_GT(gContinued.load(), 0) << "the carry never continued a row";
  // The mode reads only what it fetched.
  Qz_Image* upper = last_layer(carried.image);
  qztest::StrictRender(carried, upper, 40, 90, 7, 7);
  qztest::StrictRender(carried, upper, 45, 60, 9, 12);
}

TEST_F(CarriedSums, APassAfterTheDataBelowChangedStartsAfresh) {
  Document carried(260, 44, NoisePixel), fresh(260, 44, NoisePixel);
  Build(carried, "CarriedMean");
  Build(fresh, "FreshMean");
  const int32_t before = Qz__SetCompositorWorkers(1);
  for (int32_t workers : {1, 2, 8}) {
    SCOPED_TRACE(workers);
    Qz__SetCompositorWorkers(workers);
    for (Document* doc : {&carried, &fresh}) {
      // The top half, then new pixels below and around the cut, then the
      // bottom half: its first row follows the last row of the pass before.
      Qz_ProcessImage(doc->image, 0, 0, 259, 21);
      for (int32_t y = 15; y < 30; ++y)
        for (int32_t x = 0; x < 260; ++x) doc->image->undoR[y][x] ^= uint8_t(0x5A + workers);
      Qz_ProcessImage(doc->image, 0, 22, 259, 43);
    }
    EXPECT_EQ(carried.Planes(), fresh.Planes());
  }
  Qz__SetCompositorWorkers(before);
}

}  // namespace
