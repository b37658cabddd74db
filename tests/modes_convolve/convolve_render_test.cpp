// The convolve and sharpen renders: pixel tables, a literal reference of
// the convolution on busy pictures (edges included), libvips on the same
// pixels, and the same bytes however the image is cut and read.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "convolve_fixture.h"
#include "modes/qz_convolve_mode.h"
#include "support/external_tools.h"
#include "support/temp_dir.h"

namespace {

using convolvetest::ModeScene;
using convolvetest::Plane;
using convolvetest::Rgb;

using Weights = std::vector<std::vector<int32_t>>;

void SetMatrix(Qz_Object* mode, const Weights& w) {
  ASSERT_EQ(Qz_DoMethod(mode, kQzConvolveSetMatrixSize, uint32_t(w.size())), w.size());
  for (size_t i = 0; i < w.size(); ++i)
    for (size_t j = 0; j < w.size(); ++j)
      Qz_DoMethod(mode, kQzConvolveSetMatrixEntry, uint32_t(i), uint32_t(j), uint32_t(uint16_t(int16_t(w[i][j]))));
}

// The convolution as written: centre n/2 (n/2 - 1 when even), edges
// repeated, the sum divided truncating toward zero, then clamped.
std::vector<uint8_t> Reference(const Plane& p, const Weights& w, int32_t divisor) {
  const int32_t n = int32_t(w.size()), c = n % 2 ? n / 2 : n / 2 - 1;
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < p.height; ++y)
    for (int32_t x = 0; x < p.width; ++x) {
      int32_t sum = 0;
      for (int32_t i = 0; i < n; ++i)
        for (int32_t j = 0; j < n; ++j) sum += w[size_t(i)][size_t(j)] * p.at(x - c + j, y - c + i);
      out.push_back(uint8_t(std::clamp(sum / divisor, 0, 255)));
    }
  return out;
}

int32_t Divisor(const Weights& w) {
  int32_t sum = 0;
  for (const auto& row : w)
    for (int32_t v : row) sum += v;
  return sum < 1 ? 1 : sum;
}

TEST(ConvolveRender, TheDefaultMatrixOnRamps) {
  struct Case {
    const char* name;
    int32_t step;  // per column
    uint8_t left, inside, right;
  };
  // Column sums 20, 10, -30: out = clamp(20 P[x-1] + 10 P[x] - 30 P[x+1]).
  const Case cases[] = {{"falling", -1, 30, 50, 20}, {"rising", 1, 0, 0, 0}, {"flat", 0, 0, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModeScene scene("Convolve", 40, 3, [&](int32_t x, int32_t) {
      const auto v = uint8_t(100 + c.step * x);
      return Rgb{v, v, v};
    });
    const std::vector<uint8_t> red = scene.Channel(0);
    for (int32_t y = 0; y < 3; ++y) {
      EXPECT_EQ(red[size_t(y * 40)], c.left);
      for (int32_t x = 1; x < 39; ++x) EXPECT_EQ(red[size_t(y * 40 + x)], c.inside) << x;
      EXPECT_EQ(red[size_t(y * 40 + 39)], c.right);
    }
  }
}

TEST(ConvolveRender, MatchesTheLiteralConvolutionAtEveryPixel) {
  struct Case {
    const char* name;
    Weights weights;
  };
  const Case cases[] = {
      {"default", {{5, 5, -5}, {10, 0, -20}, {5, 5, -5}}},
      {"box", {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}},
      {"even 2 by 2", {{3, -1}, {2, 1}}},
      {"even 4 by 4", {{1, 0, 0, 2}, {0, -3, 0, 0}, {0, 0, 4, 0}, {5, 0, 0, 1}}},
      {"5 by 5 mixed", {{1, 2, 0, -1, 3}, {0, 4, 1, 1, 0}, {2, -5, 9, 1, 2}, {0, 0, 1, 1, 0}, {1, 1, 0, 2, 7}}},
      {"7 by 7", Weights(7, std::vector<int32_t>{1, -2, 3, 4, 3, -2, 1})},
      {"large weights", {{-32768, 0, 0}, {0, 32767, 0}, {0, 0, 300}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModeScene scene("Convolve", 23, 11, convolvetest::Busy, [&](Qz_Object* m) { SetMatrix(m, c.weights); });
    for (int ch = 0; ch < 3; ++ch)
      EXPECT_EQ(scene.Channel(ch), Reference(convolvetest::PlaneOf(23, 11, convolvetest::Busy, ch), c.weights,
                                             Divisor(c.weights)))
          << "channel " << ch;
  }
}

TEST(ConvolveRender, IdentityAndShift) {
  const auto busy = convolvetest::Busy;
  // A 1 by 1 weight w has divisor w: the picture unchanged.
  ModeScene identity("Convolve", 17, 6, busy, [](Qz_Object* m) { SetMatrix(m, {{7}}); });
  EXPECT_EQ(identity.Channel(1), convolvetest::PlaneOf(17, 6, busy, 1).bytes);
  // A 4 by 4 reaches one left and up, two right and down.
  struct Case {
    int32_t row, column, dx, dy;
  };
  for (const Case& c : {Case{0, 0, -1, -1}, Case{3, 3, 2, 2}, Case{0, 3, 2, -1}}) {
    SCOPED_TRACE(testing::Message() << "weight at " << c.row << "," << c.column);
    Weights w(4, std::vector<int32_t>(4, 0));
    w[size_t(c.row)][size_t(c.column)] = 1;
    ModeScene shift("Convolve", 17, 6, busy, [&](Qz_Object* m) { SetMatrix(m, w); });
    const Plane p = convolvetest::PlaneOf(17, 6, busy, 2);
    const std::vector<uint8_t> blue = shift.Channel(2);
    for (int32_t y = 0; y < 6; ++y)
      for (int32_t x = 0; x < 17; ++x) ASSERT_EQ(blue[size_t(y * 17 + x)], p.at(x + c.dx, y + c.dy)) << x << "," << y;
  }
}

TEST(ConvolveRender, ALoadedDivisorRendersUntilTheNextEdit) {
  qztest::TempDir dir;
  const std::string path = dir.file("m");
  std::ofstream(path, std::ios::binary) << "MTRX\n\t3\t3\n\t16\t0\n\t2\t2\t2\n\t2\t2\t2\n\t2\t2\t2\n";
  ModeScene scene("Convolve", 5, 5, [](int32_t, int32_t) { return Rgb{100, 100, 100}; });
  ASSERT_NE(Qz_DoMethod(scene.mode(), kQzConvolveLoadMatrix, path.c_str()), 0u);
  EXPECT_EQ(scene.Channel(0)[12], 1800 / 16);
  Qz_DoMethod(scene.mode(), kQzConvolveMatrixEdited);
  EXPECT_EQ(scene.Channel(0)[12], 100);
  // A negative divisor from a file divides too.
  std::ofstream(path, std::ios::binary) << "MTRX\n\t1\t1\n\t-1\t0\n\t-1\n";
  ASSERT_NE(Qz_DoMethod(scene.mode(), kQzConvolveLoadMatrix, path.c_str()), 0u);
  EXPECT_EQ(scene.Channel(0)[12], 100);
}

// libvips convolves with a mask the same way (no flip, edges copied, integer
// sums); its mask file scales by the divisor and rounds, so a divisor of 1 matches.
TEST(ConvolveRender, AgreesWithLibvips) {
  if (!qztest::haveTool("vips")) GTEST_SKIP() << "vips is not installed";
  qztest::TempDir dir;
  const int32_t w = 31, h = 13;
  const Plane p = convolvetest::PlaneOf(w, h, convolvetest::Busy, 0);
  {
    std::ofstream pgm(dir.file("in.pgm"), std::ios::binary);
    pgm << "P5\n" << w << " " << h << "\n255\n";
    pgm.write(reinterpret_cast<const char*>(p.bytes.data()), long(p.bytes.size()));
    std::ofstream(dir.file("mask.mat")) << "3 3 1 0\n0 -1 0\n-1 5 -1\n0 -1 0\n";
  }
  const std::string command = "vips conv " + dir.file("in.pgm") + " " + dir.file("out.pgm") + " " +
                              dir.file("mask.mat") + " --precision integer > /dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string out = qztest::fileContents(dir.file("out.pgm"));
  ASSERT_GE(out.size(), size_t(w * h));
  const std::string pixels = out.substr(out.size() - size_t(w * h));
  ModeScene scene("Convolve", w, h, convolvetest::Busy,
                  [](Qz_Object* m) { SetMatrix(m, {{0, -1, 0}, {-1, 5, -1}, {0, -1, 0}}); });
  const std::vector<uint8_t> ours = scene.Channel(0);
  for (int32_t y = 1; y < h - 1; ++y)
    for (int32_t x = 1; x < w - 1; ++x)
      ASSERT_EQ(ours[size_t(y * w + x)], uint8_t(pixels[size_t(y * w + x)])) << x << "," << y;
}

TEST(SharpenRender, AmountsAndRadii) {
  const int32_t w = 19, h = 7;
  const auto busy = convolvetest::Busy;
  const Plane p = convolvetest::PlaneOf(w, h, busy, 1);
  const Weights ring = {{-1, -1, -1}, {-1, 9, -1}, {-1, -1, -1}};
  auto sharpen = [&](int32_t amount, int32_t radius) {
    ModeScene scene("Sharpen", w, h, busy, [&](Qz_Object* m) {
      Qz_DoMethod(m, kQzSharpenSetAmount, uint32_t(amount));
      Qz_DoMethod(m, kQzSharpenSetRadius, uint32_t(radius));
    });
    return scene.Channel(1);
  };
  EXPECT_EQ(sharpen(0, 1), p.bytes);
  EXPECT_EQ(sharpen(100, 1), Reference(p, ring, 1));
  // Between them, the fixed-point blend of the sharpened value with the source.
  const std::vector<uint8_t> sharp = Reference(p, ring, 1), quarter = sharpen(25, 1);
  const int32_t k = (100 - 25) * 255 / 100 * 257;
  for (size_t i = 0; i < sharp.size(); ++i)
    ASSERT_EQ(quarter[i], sharp[i] + (((int32_t(p.bytes[i]) - sharp[i]) * k + 257) >> 16)) << i;
  // Other radii fill the matrix: every weight -amount, the centre 150.
  for (int32_t radius : {0, 2, 3}) {
    SCOPED_TRACE(testing::Message() << "radius " << radius);
    const int32_t n = 2 * radius + 1;
    Weights wts(size_t(n), std::vector<int32_t>(size_t(n), -10));
    wts[size_t(radius)][size_t(radius)] = 150;
    EXPECT_EQ(sharpen(10, radius), Reference(p, wts, Divisor(wts)));
  }
}

TEST(SharpenRender, SettingsKeepToTheirRanges) {
  Qz_Object* sharpen = Qz_CreateObject("SharpenMode");
  ASSERT_NE(sharpen, nullptr);
  EXPECT_EQ(Qz_DoMethod(sharpen, kQzSharpenGetAmount), 25u);
  EXPECT_EQ(Qz_DoMethod(sharpen, kQzSharpenGetRadius), 1u);
  EXPECT_EQ(Qz_DoMethod(sharpen, kQzSharpenSetAmount, 150), 100u);
  EXPECT_EQ(Qz_DoMethod(sharpen, kQzSharpenSetAmount, uint32_t(-5)), 0u);
  EXPECT_EQ(Qz_DoMethod(sharpen, kQzSharpenSetRadius, 9), 3u);
  // The convolve methods reach the inherited matrix.
  EXPECT_EQ(Qz_DoMethod(sharpen, kQzConvolveGetMatrixSize), 3u);
  Qz_DisposeObject(sharpen);
}

// A sharpen has replaced the convolve mode's panel: loading a matrix (which
// writes the weights into the panel's fields) must not reach the old fields.
TEST(SharpenRender, ALoadAfterThePanelWasReplacedTouchesNoOldField) {
  qztest::TempDir dir;
  const std::string path = dir.file("m");
  std::ofstream(path, std::ios::binary) << "MTRX\n\t3\t3\n\t1\t0\n\t1\t1\t1\n\t1\t1\t1\n\t1\t1\t1\n";
  Qz_Object* sharpen = Qz_CreateObject("SharpenMode");
  ASSERT_NE(sharpen, nullptr);
  EXPECT_NE(Qz_DoMethod(sharpen, kQzConvolveLoadMatrix, path.c_str()), 0u);
  EXPECT_EQ(Qz_DoMethod(sharpen, kQzConvolveMatrixEdited), 0u);
  Qz_DisposeObject(sharpen);
}

void ExpectSameHoweverCut(const char* mode, const std::function<void(Qz_Object*)>& setUp) {
  SCOPED_TRACE(mode);
  qztest::Document doc(130, 23, convolvetest::Busy);
  Qz_Image* layer = doc.AddPaintLayer(mode, {40, 80, 120}, 0, 0, 130, 23, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  setUp(layer->mode);
  qztest::ExpectSameHoweverCut(doc);
  // Blocks at both edges, inside, and a single pixel; every read asked for.
  for (const auto& [x0, x1, y0, y1] : {std::array<int32_t, 4>{0, 2, 0, 0}, {3, 60, 5, 9}, {127, 129, 20, 22},
                                       {64, 64, 11, 11}, {0, 129, 0, 22}})
    qztest::StrictRender(doc, layer, x0, x1, y0, y1);
}

TEST(ConvolveRender, SameHoweverCutAndReadOnlyWhatItFetched) {
  ExpectSameHoweverCut("Convolve", [](Qz_Object*) {});
  ExpectSameHoweverCut("Convolve", [](Qz_Object* m) { SetMatrix(m, {{1, 0, 0, 2}, {0, -3, 0, 0}, {0, 0, 4, 0}, {5, 0, 0, 1}}); });
  ExpectSameHoweverCut("Convolve", [](Qz_Object* m) { SetMatrix(m, Weights(7, std::vector<int32_t>(7, 1))); });
  ExpectSameHoweverCut("Sharpen", [](Qz_Object*) {});
  ExpectSameHoweverCut("Sharpen", [](Qz_Object* m) { Qz_DoMethod(m, kQzSharpenSetRadius, 3); });
}

// Matrix and amount changes on another thread while passes render on eight
// workers: every pass sees whole matrices, and once the changes stop a pass
// gives what a fresh mode with the last settings gives.
TEST(ConvolveRender, SettingsChangedWhileAPassRenders) {
  qztest::TempDir dir;
  const std::string path = dir.file("m");
  std::ofstream(path, std::ios::binary) << "MTRX\n\t5\t5\n\t7\t0\n" << std::string(25, '1');
  for (const char* mode : {"Convolve", "Sharpen"}) {
    SCOPED_TRACE(mode);
    const bool sharpen = std::string(mode) == "Sharpen";
    auto last = [&](Qz_Object* m) {
      if (sharpen) {
        Qz_DoMethod(m, kQzSharpenSetRadius, 2);
        Qz_DoMethod(m, kQzSharpenSetAmount, 3);
      } else {
        SetMatrix(m, {{1, 2, 1}, {2, 4, 2}, {1, 2, 1}});
      }
    };
    ModeScene scene(mode, 150, 40, convolvetest::Busy);
    const int32_t before = Qz__SetCompositorWorkers(8);
    std::atomic<bool> stop{false};
    std::thread changer([&] {
      for (int32_t i = 0; !stop.load(); ++i) {
        Qz_Object* m = scene.mode();
        if (sharpen) {
          Qz_DoMethod(m, kQzSharpenSetAmount, uint32_t(i % 101));
          Qz_DoMethod(m, kQzSharpenSetRadius, uint32_t(i % 4));
        } else if (i % 3 == 0) {
          Qz_DoMethod(m, kQzConvolveLoadMatrix, path.c_str());
        } else {
          Qz_DoMethod(m, kQzConvolveSetMatrixSize, uint32_t(1 + i % 7));
          Qz_DoMethod(m, kQzConvolveSetMatrixAll, uint32_t(i % 5));
          Qz_DoMethod(m, kQzConvolveMatrixEdited);
        }
      }
    });
    for (int pass = 0; pass < 20; ++pass) scene.Channel(0);
    stop.store(true);
    changer.join();
    last(scene.mode());
    const std::vector<uint8_t> after = scene.Channel(0);
    Qz__SetCompositorWorkers(before);
    ModeScene fresh(mode, 150, 40, convolvetest::Busy, last);
    EXPECT_EQ(after, fresh.Channel(0));
  }
}

}  // namespace
