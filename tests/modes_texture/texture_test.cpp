// Paint texture, thick paint and the bump map against plain per-pixel
// models with the light's vectors written out: the relief of the secondary
// picture, of the layer's own transparency (also on an offset layer) or of
// the data below; flat fields, amount 0 and the clamped edge rows; the
// settings and their re-renders; the full-width notice of the picture's pass;
// the same bytes however cut, also while the settings change during passes.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>
#include <thread>

#include "compositor/compositor_kit.h"
#include "modes/qz_bump_map_mode.h"
#include "modes/qz_texture_modes.h"
#include "objects/qz_notify.h"

namespace {

using qztest::Document;
using qztest::Rgb;

Rgb Below(int32_t x, int32_t y) { return qztest::NoisePixel(x, y); }
Rgb Picture(int32_t x, int32_t y) { return {qztest::Noise(x, y, 7), qztest::Noise(x, y, 8), qztest::Noise(x, y, 9)}; }
uint8_t Opaque(int32_t, int32_t) { return 255; }
uint8_t Half(int32_t, int32_t) { return 128; }
uint8_t Ramp(int32_t x, int32_t y) { return uint8_t(std::min(255, x * 7 + y * 3)); }
uint8_t Bumpy(int32_t x, int32_t y) { return qztest::Noise(x, y, 3); }

struct Light {
  int32_t angle;
  int32_t dx, dy;  // 1025 (cos, sin) of angle + 90 degrees, rounded up, 513..1023 made 1024
};
const Light kLights[] = {{0, 1, 1025}, {45, -724, 1024}, {90, -1025, 1}, {135, -724, -724},
                         {180, 0, -1025}, {270, 1025, 0}, {315, 1024, 1024}};

struct Settings {
  int32_t amount, length;
  Light light;
};
const Settings kSettings[] = {{100, 1, kLights[3]},  {-100, 1, kLights[0]}, {1, 2, kLights[1]},
                              {200, 3, kLights[2]},  {37, 5, kLights[4]},   {-200, 9, kLights[5]},
                              {150, 4, kLights[6]},  {100, 40, kLights[3]}, {0, 3, kLights[3]}};

bool IsBump(const std::string& mode) { return mode == "BumpMap"; }

void Apply(Qz_Object* mode, const std::string& name, const Settings& s) {
  const bool bump = IsBump(name);
  EXPECT_EQ(Qz_DoMethod(mode, bump ? kQzBumpMapSetAmount : kQzTextureSetAmount, uint32_t(s.amount)), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, bump ? kQzBumpMapSetRadius : kQzTextureSetLength, uint32_t(s.length)), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, bump ? kQzBumpMapSetAngle : kQzTextureSetAngle, uint32_t(s.light.angle)), 0u);
}

using Plane = std::function<int32_t(int32_t, int32_t)>;  // coordinates limited by the caller

// base + ((relief * k) >> 8) limited to 0..255, the relief of `plane` at (x, y).
uint8_t Shade(const Settings& s, int32_t base, const Plane& plane, int32_t x, int32_t y) {
  int64_t sum = 0;
  for (int32_t i = s.length; i >= 1; --i) {
    const int32_t ox = (i * s.light.dx) >> 10, oy = (i * s.light.dy) >> 10;
    sum += plane(x - ox, y - oy) - plane(x + ox, y + oy);
  }
  const int64_t v = base + ((sum * (s.amount * 256 / 100)) >> 8);
  return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// A document whose bottom layer, half painted with Multiply, changes what
// lies below the layer under test.
struct Stack {
  Stack(int32_t width, int32_t height) : doc(width, height, Below) {
    doc.AddPaintLayer("Multiply", {200, 150, 90}, 0, 0, width, height, Half);
  }
  Document doc;
};

std::vector<Rgb> DataBelow(Document& doc, Qz_Image* layer) {
  Qz_ImageLock lock{};
  lock.image = doc.image, lock.layer = layer;
  lock.x0 = 0, lock.y0 = 0, lock.x1 = doc.width() - 1, lock.y1 = doc.height() - 1;
  std::vector<Rgb> pixels;
  if (!Qz_GetImageDataBelowLayer(&lock)) {
    ADD_FAILURE() << "no data below";
    return pixels;
  }
  for (int32_t y = 0; y < doc.height(); ++y)
    for (int32_t x = 0; x < doc.width(); ++x) pixels.push_back({lock.r[y][x], lock.g[y][x], lock.b[y][x]});
  Qz_FreeImageLock(&lock);
  return pixels;
}

struct Block {
  int32_t x0, x1, y0, y1;
};
// Blocks at the document's left edge, across the picture's and layer's edges, and a single row.
const Block kBlocks[] = {{0, 20, 0, 6}, {10, 47, 12, 17}, {0, 47, 9, 9}};

using Expect = std::function<Rgb(int32_t x, int32_t y)>;
void ExpectBlocks(Document& doc, Qz_Image* layer, const Expect& expected) {
  for (const Block& b : kBlocks) {
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, b.x0, b.x1, b.y0, b.y1);
    for (int32_t y = b.y0; y <= b.y1; ++y)
      for (int32_t x = b.x0; x <= b.x1; ++x)
        ASSERT_EQ(out[size_t((y - b.y0) * (b.x1 - b.x0 + 1) + x - b.x0)], expected(x, y)) << x << ", " << y;
  }
}

// The picture (40 x 14) lies at (3, 3) of a 48 x 18 document: placed at (1, 2) in a layer at (2, 1).
constexpr int32_t kPx = 3, kPy = 3, kPw = 40, kPh = 14;
Plane PictureChannel(int c) {
  return [c](int32_t x, int32_t y) { return int32_t(Picture(std::clamp(x, 0, kPw - 1), std::clamp(y, 0, kPh - 1))[c]); };
}
bool OnPicture(int32_t x, int32_t y) { return x >= kPx && x < kPx + kPw && y >= kPy && y < kPy + kPh; }

TEST(PaintTexture, MatchesThePerPixelModel) {
  Document picture(kPw, kPh, Picture);
  const Rgb colour = {60, 120, 240};
  for (const Settings& s : kSettings) {
    SCOPED_TRACE(testing::Message() << "amount " << s.amount << ", length " << s.length << ", angle " << s.light.angle);
    Stack stack(48, 18);
    Qz_Image* layer = stack.doc.AddPaintLayer("PaintTexture", colour, 2, 1, 44, 16, Opaque);
    ASSERT_NE(layer, nullptr);
    stack.doc.AttachSecondary(layer, picture.image, 1, 2);
    Apply(layer->mode, "PaintTexture", s);
    // On the picture's rows: the colour, shaded over the picture's columns; the data below elsewhere.
    ExpectBlocks(stack.doc, layer, [&](int32_t x, int32_t y) {
      if (y < kPy || y >= kPy + kPh) return Below(x, y);
      if (!OnPicture(x, y)) return colour;
      Rgb out;
      for (int c = 0; c < 3; ++c) out[c] = Shade(s, colour[c], PictureChannel(c), x - kPx, y - kPy);
      return out;
    });
  }
}

TEST(PaintTexture, AFlatTextureGivesThePaintColour) {
  Document picture(8, 5, [](int32_t, int32_t) { return Rgb{90, 20, 250}; });
  Document doc(8, 5, Below);
  Qz_Image* layer = doc.AddPaintLayer("PaintTexture", {10, 200, 30}, 0, 0, 8, 5, Opaque);
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, picture.image, 0, 0);
  Qz_DoMethod(layer->mode, kQzTextureSetLength, 6u);
  for (const Rgb& p : qztest::StrictRender(doc, layer, 0, 7, 0, 4)) ASSERT_EQ(p, Rgb({10, 200, 30}));
}

// Thick paint: the relief of the layer's transparency, read in the layer's
// own coordinates and limited to its rows and columns.
struct ThickCase {
  const char* name;
  qztest::AlphaFn alpha;
  int32_t lx, ly;  // the layer's place
  bool textured;
};

TEST(ThickPaint, MatchesThePerPixelModel) {
  Document picture(kPw, kPh, Picture);
  const Rgb colour = {60, 120, 240};
  const ThickCase cases[] = {{"ramp", Ramp, 2, 1, false},   {"bumps", Bumpy, 2, 1, false},
                             {"offset ramp", Ramp, 5, 4, false}, {"bumps with a picture", Bumpy, 2, 1, true},
                             {"offset with a picture", Ramp, 5, 4, true}};
  for (const ThickCase& tc : cases)
    for (const Settings& s : kSettings) {
      SCOPED_TRACE(testing::Message() << tc.name << ": amount " << s.amount << ", length " << s.length << ", angle "
                                      << s.light.angle);
      Stack stack(48, 18);
      const int32_t lw = 40, lh = 12;
      Qz_Image* layer = stack.doc.AddPaintLayer("ThickPaint", colour, tc.lx, tc.ly, lw, lh, tc.alpha);
      ASSERT_NE(layer, nullptr);
      // The picture at (3, 3) of the document whatever the layer's place.
      if (tc.textured) stack.doc.AttachSecondary(layer, picture.image, kPx - tc.lx, kPy - tc.ly);
      Apply(layer->mode, "ThickPaint", s);
      const Plane alpha = [&](int32_t x, int32_t y) {
        return int32_t(tc.alpha(std::clamp(x, 0, lw - 1), std::clamp(y, 0, lh - 1)));
      };
      ExpectBlocks(stack.doc, layer, [&](int32_t x, int32_t y) {
        const Rgb s0 = Below(x, y);  // the block's own source
        if (x < tc.lx || x >= tc.lx + lw) return s0;
        if (tc.textured && (y < kPy || y >= kPy + kPh)) return s0;
        Rgb base = colour;
        if (tc.textured) base = OnPicture(x, y) ? Picture(x - kPx, y - kPy) : s0;
        Rgb out;
        for (int c = 0; c < 3; ++c) out[c] = Shade(s, base[c], alpha, x - tc.lx, y - tc.ly);
        return out;
      });
    }
}

// The plain cases by hand: even paint or amount 0 gives the flat colour; a
// step in the transparency across the light gives (difference * k) >> 8.
TEST(ThickPaint, EvenPaintIsFlatAndAStepLightsByItsHeight) {
  struct Case {
    const char* name;
    qztest::AlphaFn alpha;
    int32_t amount;
    int32_t x, y;
    Rgb expected;
  };
  // Light at angle 270: one step reads x - 1 minus x + 1. The step from 40
  // to 200 at column 4 gives -160 at columns 3 and 4.
  const auto step = [](int32_t x, int32_t) -> uint8_t { return x < 4 ? 40 : 200; };
  const Case cases[] = {{"even", Half, 100, 3, 2, {60, 120, 240}},
                        {"amount 0", Bumpy, 0, 3, 2, {60, 120, 240}},
                        {"step, 100 %", step, 100, 4, 2, {0, 0, 80}},
                        {"step, -50 %", step, -50, 3, 2, {140, 200, 255}},
                        {"beside the step", step, 100, 6, 2, {60, 120, 240}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc(10, 5, Below);
    Qz_Image* layer = doc.AddPaintLayer("ThickPaint", {60, 120, 240}, 0, 0, 10, 5, c.alpha);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, kQzTextureSetAngle, 270u);
    Qz_DoMethod(layer->mode, kQzTextureSetAmount, uint32_t(c.amount));
    EXPECT_EQ(qztest::StrictRender(doc, layer, c.x, c.x, c.y, c.y)[0], c.expected);
  }
}

TEST(BumpMap, MatchesThePerPixelModelWithAndWithoutAPicture) {
  Document picture(kPw, kPh, Picture);
  const Rgb colour = {60, 120, 240};
  for (bool withPicture : {true, false})
    for (bool addColour : {false, true})
      for (const Settings& s : kSettings) {
        SCOPED_TRACE(testing::Message() << (withPicture ? "picture" : "no picture") << (addColour ? ", colour" : "")
                                        << ": amount " << s.amount << ", length " << s.length << ", angle "
                                        << s.light.angle);
        Stack stack(48, 18);
        // Without a picture the data below is the bump source, placed by the layer's offset: (0, 0) here.
        Qz_Image* layer = stack.doc.AddPaintLayer("BumpMap", colour, withPicture ? 2 : 0, withPicture ? 1 : 0,
                                                  44, 16, Opaque);
        ASSERT_NE(layer, nullptr);
        if (withPicture) stack.doc.AttachSecondary(layer, picture.image, 1, 2);
        Apply(layer->mode, "BumpMap", s);
        EXPECT_EQ(Qz_DoMethod(layer->mode, kQzBumpMapSetColour, addColour ? 1u : 0u), 0u);
        const std::vector<Rgb> below = DataBelow(stack.doc, layer);
        ExpectBlocks(stack.doc, layer, [&](int32_t x, int32_t y) {
          const Rgb s0 = Below(x, y);  // the block's own source
          if (withPicture && !OnPicture(x, y)) return s0;
          Rgb out;
          for (int c = 0; c < 3; ++c) {
            const Plane source = withPicture ? PictureChannel(c) : Plane([&, c](int32_t px, int32_t py) {
              return int32_t(below[size_t(std::clamp(py, 0, 17) * 48 + std::clamp(px, 0, 47))][c]);
            });
            out[c] = Shade(s, s0[c] + (addColour ? colour[c] : 0), source, withPicture ? x - kPx : x,
                           withPicture ? y - kPy : y);
          }
          return out;
        });
      }
}

const char* const kModes[] = {"PaintTexture", "ThickPaint", "BumpMap"};

TEST(TextureModes, SettingsAnswerZeroStayInRangeAndReRenderOnce) {
  struct Case {
    uint32_t setter, getter;
    int32_t initial, set, stored;
  };
  const Case texture[] = {{kQzTextureSetAmount, kQzTextureGetAmount, 100, -300, -200},
                          {kQzTextureSetAmount, kQzTextureGetAmount, -200, 250, 200},
                          {kQzTextureSetLength, kQzTextureGetLength, 1, 0, 1},
                          {kQzTextureSetLength, kQzTextureGetLength, 1, 500, 128},
                          {kQzTextureSetAngle, kQzTextureGetAngle, 135, -45, -45}};
  // The bump map has setters only: the render tells what they stored.
  const Case bump[] = {{kQzBumpMapSetAmount, 0, 100, -300, -200}, {kQzBumpMapSetAmount, 0, -200, 250, 200},
                       {kQzBumpMapSetRadius, 0, 1, 0, 1},         {kQzBumpMapSetRadius, 0, 1, 500, 128},
                       {kQzBumpMapSetAngle, 0, 135, -45, -45},    {kQzBumpMapSetColour, 0, 0, 1, 1}};
  for (const char* name : kModes) {
    SCOPED_TRACE(name);
    Document doc(4, 4, Below);
    Qz_Image* layer = doc.AddPaintLayer(name, {0, 0, 0}, 0, 0, 4, 4, Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_Object* mode = layer->mode;
    EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetFlags), uint32_t(kQzModeCombinesSource | kQzModeFullWidthNotices));
    qztest::RerenderCounter rerenders;
    for (const Case& c : IsBump(name) ? std::span<const Case>(bump) : std::span<const Case>(texture)) {
      SCOPED_TRACE(testing::Message() << c.setter << " = " << c.set);
      if (c.getter) {
        EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.initial);
      }
      rerenders.Reset();
      EXPECT_EQ(Qz_DoMethod(mode, c.setter, uint32_t(c.set)), 0u);
      if (c.getter) {
        EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.stored);
      }
      EXPECT_EQ(rerenders.Count(doc.image), c.stored == c.initial ? 0u : 1u);
      rerenders.Reset();
      Qz_DoMethod(mode, c.setter, uint32_t(c.set));  // the same again: nothing
      EXPECT_EQ(rerenders.Count(), 0u);
    }
  }
}

void RecordRect(QzWord rects, Qz_Object*, uint32_t, const QzWord* words) {
  reinterpret_cast<std::vector<std::array<int32_t, 4>>*>(rects)->push_back(
      {int32_t(words[2]), int32_t(words[3]), int32_t(words[4]), int32_t(words[5])});
}

// The picture's strip pass brings one notice over the layer's full width when it ends.
TEST(TextureModes, ThePicturesPassEndsInOneFullWidthNotice) {
  for (const char* name : kModes) {
    SCOPED_TRACE(name);
    Document doc(12, 9, Below);
    Qz_Image* layer = doc.AddPaintLayer(name, {0, 0, 0}, 0, 0, 12, 9, Opaque);
    ASSERT_NE(layer, nullptr);
    Document picture(5, 4, Picture);
    ASSERT_NE(picture.AddPaintLayer("Paint", {1, 2, 3}, 0, 0, 5, 4, Opaque), nullptr);
    doc.AttachSecondary(layer, picture.image, 0, 2);
    std::vector<std::array<int32_t, 4>> rects;
    const QzWord watch = Qz_AddCallBackNotify(&layer->object, kQzImageChanged, kNotifyAnyValue, RecordRect,
                                              reinterpret_cast<QzWord>(&rects));
    Qz_DoMethod(&picture.image->object, kQzImageRerender);
    Qz_RemoveNotify(&layer->object, watch);
    EXPECT_EQ(rects, (std::vector<std::array<int32_t, 4>>{{0, 2, 11, 5}}));
  }
}

TEST(TextureModes, SameHoweverCutOnAnOffsetUpperLayer) {
  Document picture(150, 30, Picture);
  for (const char* name : kModes)
    for (bool withPicture : {true, false}) {
      SCOPED_TRACE(testing::Message() << name << (withPicture ? ", a picture" : ", no picture"));
      Stack stack(210, 30);
      Qz_Image* layer = stack.doc.AddPaintLayer(name, {60, 120, 240}, 4, 2, 200, 27, qztest::GappedAlpha);
      ASSERT_NE(layer, nullptr);
      stack.doc.AttachSecondary(layer, withPicture ? picture.image : nullptr, 7, -3);
      Apply(layer->mode, name, {120, 4, {30, 0, 0}});
      qztest::ExpectSameHoweverCut(stack.doc);
      // Blocks across the picture's and the document's edges read only what they fetched.
      qztest::StrictRender(stack.doc, layer, 0, 209, 0, 3);
      qztest::StrictRender(stack.doc, layer, 100, 209, 24, 29);
    }
}

// Settings changed on another thread while passes render: each render reads
// them once, and the last settings give what a fresh pass gives.
TEST(TextureModes, SettingsChangeWhilePassesRender) {
  Document picture(150, 30, Picture);
  for (const char* name : kModes) {
    SCOPED_TRACE(name);
    Stack stack(210, 30);
    Qz_Image* layer = stack.doc.AddPaintLayer(name, {60, 120, 240}, 4, 2, 200, 27, qztest::GappedAlpha);
    ASSERT_NE(layer, nullptr);
    stack.doc.AttachSecondary(layer, picture.image, 7, -3);
    const int32_t before = Qz__SetCompositorWorkers(8);
    qztest::RerenderCounter quiet;  // the setters' requests go nowhere
    std::atomic<bool> stop{false};
    std::thread setter([&] {
      for (int32_t i = 0; !stop.load(); ++i) Apply(layer->mode, name, {i % 400 - 200, 1 + i % 20, {i % 360, 0, 0}});
    });
    for (int pass = 0; pass < 8; ++pass) stack.doc.Composite();
    stop.store(true);
    setter.join();
    Apply(layer->mode, name, {80, 3, {200, 0, 0}});
    stack.doc.Composite();
    const std::vector<uint8_t> racing = stack.doc.Planes();
    Qz__SetCompositorWorkers(1);
    stack.doc.ClearResult();
    stack.doc.Composite();
    EXPECT_EQ(stack.doc.Planes(), racing);
    Qz__SetCompositorWorkers(before);
  }
}

}  // namespace
