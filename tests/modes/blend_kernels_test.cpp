// The vector blend kernels against each mode's own scalar formula: every
// mode renders every (channel, paint) byte pair both ways, and blocks of
// every width 1-40 (all tail lengths) match the whole-row scalar result.
#include <gtest/gtest.h>

#include "compositor/compositor_kit.h"
#include "modes/blend_kernels.h"

namespace {

using qztest::Document;
using qztest::Rgb;

// Channel values 0..255 along the row, in a different order per channel.
Rgb Ramp(int32_t x, int32_t) { return {uint8_t(x), uint8_t(255 - x), uint8_t(x ^ 0xA5)}; }

// The mode's output for columns x0..x1 of row 0, rendered straight through the mode.
std::vector<Rgb> Render(Document& doc, Qz_Image* layer, int32_t x0, int32_t x1) {
  const int32_t count = x1 - x0 + 1;
  std::vector<uint8_t> out[3];
  uint8_t* rows[4];
  for (int c = 0; c < 3; ++c) {
    out[c].assign(size_t(count), 0);
    rows[c] = out[c].data();
  }
  std::vector<uint8_t> grey(static_cast<size_t>(count));
  rows[3] = grey.data();
  Qz_ImageLock block{};
  block.image = doc.image;
  block.layer = layer;
  block.x0 = x0, block.x1 = x1, block.y0 = block.y1 = 0;
  block.r = doc.image->r, block.g = doc.image->g, block.b = doc.image->b;
  Qz_ImageLock spare{};
  spare.image = doc.image;
  spare.layer = layer;
  Qz_ModeRenderMessage message{&block, &spare, &rows[0], &rows[1], &rows[2], &rows[3]};
  Qz_RenderMode(layer->mode, &message);
  Qz_FreeImageLock(&spare);
  std::vector<Rgb> pixels;
  for (int32_t i = 0; i < count; ++i) pixels.push_back({out[0][size_t(i)], out[1][size_t(i)], out[2][size_t(i)]});
  return pixels;
}

class BlendKernels : public testing::Test {
 protected:
  void TearDown() override { Qz__UseBlendKernels(1); }
};

TEST_F(BlendKernels, EveryBytePairAndEveryTailAsTheScalarFormula) {
  if (!qz::modes::sse2BlendKernels()) GTEST_SKIP() << "no SSE2 here";
  const char* const modes[] = {"AddColour", "SubtractColour", "Darken",  "Lighten",
                               "DifferenceRGB", "Multiply",   "Screen",  "Burn",
                               "Dodge",     "Overlay",        "SoftLight", "HardLight"};
  for (const char* name : modes) {
    SCOPED_TRACE(name);
    Document doc(256, 1, Ramp);
    Qz_Image* layer = doc.AddPaintLayer(name, {0, 0, 0}, 0, 0, 256, 1,
                                        [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(layer, nullptr);
    for (int32_t k = 0; k < 256; ++k) {
      const uint8_t paint[3] = {uint8_t(k), uint8_t(k), uint8_t(255 - k)};
      std::memcpy(layer->committedColour, paint, 3);
      Qz__UseBlendKernels(0);
      const std::vector<Rgb> scalar = Render(doc, layer, 0, 255);
      Qz__UseBlendKernels(1);
      ASSERT_EQ(Render(doc, layer, 0, 255), scalar) << "paint " << k;
      if (k % 51 != 7) continue;  // a few colours for the tails
      for (int32_t width = 1; width <= 40; ++width) {
        const int32_t x0 = 200 - width;
        const std::vector<Rgb> part = Render(doc, layer, x0, x0 + width - 1);
        ASSERT_EQ(part, std::vector<Rgb>(scalar.begin() + x0, scalar.begin() + x0 + width))
            << "paint " << k << " width " << width;
      }
    }
  }
}

}  // namespace
