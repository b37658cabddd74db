// A stack of layers through several modes comes out the same however the
// document is cut into blocks for compositing, and every mode passes the
// strict render on an offset layer over a busy background.
#include <gtest/gtest.h>

#include "compositor/compositor_kit.h"
#include "image/strip_pool.h"

namespace {

using qztest::Document;
using qztest::Noise;
using qztest::NoisePixel;
using qztest::Rgb;

TEST(CompositingBlocks, SameOutputHoweverTheStripsAreCut) {
  Document doc(37, 23, NoisePixel);
  Qz_Image* paint = doc.AddPaintLayer("Paint", {250, 10, 90}, 3, 2, 30, 15,
                                      [](int32_t x, int32_t y) { return Noise(x, y, 4); });
  Qz_Image* multiply = doc.AddPaintLayer("Multiply", {90, 200, 30}, -4, 5, 25, 20,
                                         [](int32_t x, int32_t y) { return Noise(x, y, 5); });
  Qz_Image* overlay = doc.AddPaintLayer("Overlay", {30, 60, 240}, 10, -3, 27, 30,
                                        [](int32_t x, int32_t y) { return Noise(x, y, 6) | 0x0F; });
  Qz_Image* colour = doc.AddPaintLayer("Screen", {120, 120, 0}, 1, 1, 20, 20,
                                       [](int32_t x, int32_t y) { return Noise(x, y, 7); }, 24);
  // Colourise and the tone stage make tables as they render.
  Qz_Image* colourise = doc.AddPaintLayer("Colourise", {200, 40, 40}, 0, 8, 37, 9,
                                          [](int32_t x, int32_t y) { return Noise(x, y, 9); });
  ASSERT_TRUE(paint && multiply && overlay && colour && colourise);
  overlay->opacity = 180;
  multiply->blend[1] = 100;
  colourise->blend[7] = 300;
  // Some rows of the paint layer were never touched.
  for (int32_t y = 4; y < 7; ++y) paint->spanLeast[y] = 29, paint->spanGreatest[y] = kQzSpanUnchanged;
  doc.Composite();
  const std::vector<uint8_t> whole = doc.Planes();
  EXPECT_NE(whole, Document(37, 23, NoisePixel).Planes());  // the layers did something

  struct Block {
    int32_t width, height;
  };
  const Block blocks[] = {{1, 1}, {3, 2}, {4, 4}, {5, 23}, {37, 1}, {16, 7}, {100, 100}};
  const int32_t before = Qz__SetCompositorWorkers(1);
  for (int32_t workers : {1, 2, 8}) {
    Qz__SetCompositorWorkers(workers);
    for (const Block& b : blocks) {
      SCOPED_TRACE(testing::Message() << workers << " workers, " << b.width << " x " << b.height);
      doc.CompositeInBlocks(b.width, b.height);
      EXPECT_EQ(doc.Planes(), whole);
    }
  }
  Qz__SetCompositorWorkers(before);
}

TEST(CompositingBlocks, EveryModeReadsOnlyItsBlock) {
  for (const std::string& name : qztest::ColourModeNames()) {
    SCOPED_TRACE(name);
    Document doc(21, 9, NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer(name, {77, 155, 233}, 2, 1, 17, 7,
                                        [](int32_t x, int32_t y) { return Noise(x, y, 8); });
    ASSERT_NE(layer, nullptr);
    for (int32_t y : {1, 4, 7}) qztest::StrictRender(doc, layer, 3, 17, y, y);
    qztest::StrictRender(doc, layer, 5, 9, 2, 5);  // several rows at once
  }
}

}  // namespace
