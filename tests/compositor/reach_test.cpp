// A change to a layer below layers whose modes read around each pixel
// (blurs) is recomposited as far as they read, added up: what the document
// shows after the change equals a whole recomposite, and beyond that reach
// (and the group of four columns it starts in) nothing is composited again.
#include <gtest/gtest.h>

#include <vector>

#include "compositor_kit.h"

namespace {

using qztest::Document;
using qztest::Rgb;

TEST(Reach, AChangeBelowBlursIsRecompositedAsFarAsTheyRead) {
  struct Case {
    const char* name;
    std::vector<uint32_t> radii;  // of the blur layers above the painted one
  };
  const Case cases[] = {{"no blur", {}}, {"one blur", {3}}, {"two blurs", {2, 3}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc(120, 90, qztest::NoisePixel);
    Qz_Image* painted = doc.AddPaintLayer("Paint", {250, 20, 20}, 0, 0, 120, 90,
                                          [](int32_t, int32_t) { return uint8_t(0); });
    ASSERT_NE(painted, nullptr);
    int32_t reach = 0;
    for (uint32_t radius : c.radii) {
      Qz_Image* blur = doc.AddPaintLayer("GaussianBlur", {0, 0, 0}, 0, 0, 120, 90,
                                         [](int32_t x, int32_t) { return uint8_t(128 + x); });
      ASSERT_NE(blur, nullptr);
      Qz_DoMethod(blur->mode, kQzModeSetRadius, radius);
      reach += int32_t(radius);
    }
    doc.Composite();
    // Just beyond the reach, marks that a pass over them would overwrite.
    const int32_t x0 = 60, y0 = 40, x1 = 69, y1 = 49;
    const int32_t outside[][2] = {{((x0 - reach) & ~3) - 1, 45}, {x1 + reach + 1, 45}, {64, y0 - reach - 1},
                                  {64, y1 + reach + 1}};
    for (const auto& p : outside) doc.image->r[p[1]][p[0]] ^= 0x55;
    std::vector<uint8_t> marked = doc.Planes();
    // A dab: the painted layer's pixels change in a small square, and the
    // layer says so as the brush does.
    for (int32_t y = y0; y <= y1; ++y)
      for (int32_t x = x0; x <= x1; ++x) painted->grey[y][x] = 255;
    Qz_ModifiedImageData(painted, x0, y0, x1, y1);
    const std::vector<uint8_t> afterDab = doc.Planes();
    for (const auto& p : outside) {
      const size_t at = size_t(p[1]) * 120 + size_t(p[0]);
      EXPECT_EQ(afterDab[at], marked[at]) << "composited again at " << p[0] << ", " << p[1];
    }
    for (const auto& p : outside) doc.image->r[p[1]][p[0]] ^= 0x55;
    const std::vector<uint8_t> unmarked = doc.Planes();
    doc.Composite();
    EXPECT_EQ(unmarked, doc.Planes()) << "differs from a whole recomposite";
  }
}

}  // namespace
