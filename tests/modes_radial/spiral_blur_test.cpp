// The spiral blur, a class the program does not register: not in the
// central list; amount 0 the identity; a straight trail and a curled one
// worked out by hand; its settings; the same bytes however the picture is
// cut. The tests make the class known themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/class_registration.h"
#include "compositor/compositor_kit.h"
#include "modes/qz_warp_modes.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitSpiralBlurModeClass(Qz_GlobalData*);
void Qz_CleanupSpiralBlurModeClass(void);
QZ_EXTERN_C_END

namespace {

using qztest::Document;
using qztest::Rgb;

Rgb Coded(int32_t x, int32_t y) { return {uint8_t(x), uint8_t(y), uint8_t(x ^ y)}; }
uint8_t Opaque(int32_t, int32_t) { return 255; }

class SpiralBlur : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Qz_InitSpiralBlurModeClass(nullptr), 1u); }
  static void TearDownTestSuite() { Qz_CleanupSpiralBlurModeClass(); }
};

TEST(SpiralBlurRegistration, TheProgramNeitherListsNorMakesIt) {
  const auto names = qz::app::centralClassNames();
  EXPECT_EQ(std::find_if(names.begin(), names.end(), [](const char* n) { return std::string(n) == "SpiralBlurMode"; }),
            names.end());
  EXPECT_EQ(Qz_FindClassFromName("SpiralBlurMode"), nullptr);
}

// A 64 x 64 picture about (32, 32) over a white multiply layer.
struct Spiral {
  explicit Spiral(Rgb (*picture)(int32_t, int32_t) = Coded) : doc(64, 64, picture) {
    doc.AddPaintLayer("Multiply", {255, 255, 255}, 0, 0, 64, 64, Opaque);
    layer = doc.AddPaintLayer("SpiralBlur", {0, 0, 0}, 0, 0, 64, 64, Opaque);
    mode = layer->mode;
  }
  std::vector<Rgb> Render(int32_t amount, int32_t quality) {
    Qz_DoMethod(mode, kQzSwirlSetStrength, uint32_t(amount));
    Qz_DoMethod(mode, kQzSwirlSetQuality, uint32_t(quality));
    return qztest::StrictRender(doc, layer, 0, 63, 0, 63);
  }
  Document doc;
  Qz_Image* layer = nullptr;
  Qz_Object* mode = nullptr;
};

TEST_F(SpiralBlur, AmountZeroLeavesThePictureAsItIs) {
  Spiral s;
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSwirlGetStrength), 80u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSwirlGetQuality), 7u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSwirlGetCentreX), 32u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSwirlGetCentreY), 32u);
  const std::vector<Rgb> out = s.Render(0, 7);
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) ASSERT_EQ(out[size_t(y * 64 + x)], Coded(x, y)) << x << ", " << y;
}

// Below 1 the trail is straight: amount -128 at (10, 32), 22 left of the
// centre, takes 129 samples x - (22 k >> 10): 47 on column 10, 47 on 9 and
// 35 on 8, their mean 1173 / 129 on a ramp of 1 per column.
// From 1 up the trail curls: at amount 80, quality 7, six taps every 14;
// from (40, 20) the rows above the centre move it left by 192 * 14 / 4 and
// its column right of the centre up by 8 * 14 / 4 per tap in 1/256 pixel:
// columns 40, 37, 34, 32, 29, 26 and rows 20, then 19 five times, each sum
// scaled by 5461 >> 15. On the centre itself the trail starts a column on.
TEST_F(SpiralBlur, StraightAndCurledTrailsWorkedByHand) {
  Spiral s;
  struct Case {
    int32_t amount, quality, x, y;
    Rgb value;
  };
  const Case cases[] = {{-128, 7, 10, 32, {1173 / 129, 32, ((10 ^ 32) * 47 + (9 ^ 32) * 47 + (8 ^ 32) * 35) / 129}},
                        {-128, 7, 32, 32, Coded(32, 32)},
                        {1, 100, 40, 20, {39, 19, 56}},
                        {80, 7, 40, 20, {32, 19, 39}},
                        {80, 7, 32, 32, {32, 31, 0}},
                        {80, 7, 20, 32, {19, 31, 51}},
                        {80, 7, 32, 50, {42, 49, 17}}};
  for (const Case& c : cases) {
    const std::vector<Rgb> out = s.Render(c.amount, c.quality);
    EXPECT_EQ(out[size_t(c.y * 64 + c.x)], c.value) << c.amount << ": " << c.x << ", " << c.y;
  }
}

TEST_F(SpiralBlur, SettingsKeepTheirRanges) {
  Qz_Object* mode = Qz_CreateObject("SpiralBlurMode");
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetStrength, 300u), 255u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetStrength, uint32_t(-300)), uint32_t(-255));
  EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetQuality, 0u), 1u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetCentreX, uint32_t(-7)), uint32_t(-7));
  EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlGetCentreX), uint32_t(-7));
  Qz_DisposeObject(mode);
}

struct CutCase {
  int32_t amount, quality, cx, cy;
};

class SpiralBlurCuts : public SpiralBlur, public testing::WithParamInterface<CutCase> {};

TEST_P(SpiralBlurCuts, SameBytesHoweverCutAndReadsOnlyWhatItFetched) {
  const CutCase& c = GetParam();
  Document doc(150, 40, qztest::NoisePixel);
  doc.AddPaintLayer("Multiply", {200, 150, 90}, 0, 0, 150, 40, qztest::GappedAlpha);
  Qz_Image* layer = doc.AddPaintLayer("SpiralBlur", {0, 0, 0}, -2, -3, 154, 44, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kQzSwirlSetStrength, uint32_t(c.amount));
  Qz_DoMethod(layer->mode, kQzSwirlSetQuality, uint32_t(c.quality));
  Qz_DoMethod(layer->mode, kQzSwirlSetCentreX, uint32_t(c.cx));
  Qz_DoMethod(layer->mode, kQzSwirlSetCentreY, uint32_t(c.cy));
  qztest::ExpectSameHoweverCut(doc);
  qztest::StrictRender(doc, layer, 0, 149, 0, 1);
  qztest::StrictRender(doc, layer, 5, 17, 19, 21);
}

INSTANTIATE_TEST_SUITE_P(SpiralBlur, SpiralBlurCuts,
                         testing::Values(CutCase{80, 7, 70, 25}, CutCase{-200, 50, 3, 30},
                                         CutCase{255, 1, 30000, -30000}, CutCase{-255, 100, -32768, 32767}));

}  // namespace
