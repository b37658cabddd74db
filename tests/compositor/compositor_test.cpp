// The compositing pass: blend formulas against a reference written from the
// formulas, the rules that skip a layer or a row, the data below a layer,
// the colour stages, image layers, interruption and the mode commit.
#include <gtest/gtest.h>

#include <cmath>
#include <atomic>
#include <memory>
#include <thread>

#include "compositor_kit.h"
#include "image/compositor_internal.h"
#include "image/hsv.h"

namespace {

using qztest::Document;
using qztest::Rgb;

const Rgb kBackground{10, 20, 30};
const Rgb kColour{200, 100, 50};
const uint8_t kAlphas[8] = {0, 1, 128, 254, 255, 255, 255, 255};

qztest::PixelFn Flat(Rgb colour) {
  return [colour](int32_t, int32_t) { return colour; };
}

// dst moved toward out by weight / 65536, rounding as the pass does (+ 257, floor).
int Toward(int dst, int out, int64_t weight) {
  return dst + int(std::floor(double((out - dst) * weight + 257) / 65536.0));
}

// A source image for the layer's mask, 8 x 2, of depth 8 (grey 200) or 24 (200, 100, 50).
Qz_Image* MakeMask(int32_t depth) {
  auto* mask = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  if (!mask || !Qz_AllocImage(mask, 8, 2, depth, kQzAllocNoThread | kQzAllocNoUndo, nullptr))
    return nullptr;
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      if (depth == 8) {
        mask->grey[y][x] = 200;
      } else {
        mask->r[y][x] = 200, mask->g[y][x] = 100, mask->b[y][x] = 50;
      }
    }
  return mask;
}

TEST(Compositor, BlendFormulas) {
  struct Case {
    const char* name;
    const char* modeName;  // "Paint" takes the fast path; other names call PaintMode
    uint16_t opacity;
    int32_t maskDepth;  // 0: no source
    // Expected channel from background channel, colour channel, a and channel index.
    std::function<int(int, int, int, int)> expected;
  };
  const int strength = 256 * 256 / 255, half = 256 * 128 / 255;
  const int maskChannel[3] = {200, 100, 50};
  const Case cases[] = {
      {"fast path", "Paint", 256, 0, [](int d, int k, int a, int) { return Toward(d, k, a * 257); }},
      {"plain through the mode", "Forced", 256, 0,
       [](int d, int k, int a, int) { return Toward(d, k, a * 257); }},
      {"opacity 128", "Paint", 128, 0,
       [&](int d, int k, int a, int) { return Toward(d, k, int64_t(half) * a); }},
      {"8-bit mask", "Paint", 256, 8,
       [&](int d, int k, int a, int) { return Toward(d, k, int64_t(strength) * ((200 * a) >> 8)); }},
      {"24-bit mask", "Paint", 256, 24,
       [&](int d, int k, int a, int c) {
         return Toward(d, k, (((strength * a) >> 8) * maskChannel[c]) & 0xFFFF);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc(8, 2, Flat(kBackground));
    Qz_Image* layer = doc.AddPaintLayer("Paint", kColour, 0, 0, 8, 2,
                                        [](int32_t x, int32_t) { return kAlphas[x]; });
    ASSERT_NE(layer, nullptr);
    std::snprintf(layer->modeName, sizeof layer->modeName, "%s", c.modeName);
    layer->opacity = c.opacity;
    Qz_Image* mask = c.maskDepth ? MakeMask(c.maskDepth) : nullptr;
    layer->firstSource = mask;
    doc.Composite();
    for (int32_t x = 0; x < 8; ++x)
      for (int ch = 0; ch < 3; ++ch)
        EXPECT_EQ(doc.Pixel(x, 1)[ch], c.expected(kBackground[ch], kColour[ch], kAlphas[x], ch))
            << "column " << x << " channel " << ch;
    layer->firstSource = nullptr;
    if (mask) Qz_DisposeObject(&mask->object);
  }
}

TEST(Compositor, TransparencyExtremesGiveBackgroundOrModeOutput) {
  Document doc(9, 1, Flat(kBackground));
  Qz_Image* layer = doc.AddPaintLayer("Multiply", kColour, 0, 0, 9, 1,
                                      [](int32_t x, int32_t) { return uint8_t(x < 4 ? 0 : 255); });
  ASSERT_NE(layer, nullptr);
  doc.Composite();
  EXPECT_EQ(doc.Pixel(0, 0), kBackground);
  EXPECT_EQ(doc.Pixel(3, 0), kBackground);
  const Rgb multiplied{7, 7, 5};  // ((c * k + 1) * 257) >> 16
  EXPECT_EQ(doc.Pixel(4, 0), multiplied);
  EXPECT_EQ(doc.Pixel(8, 0), multiplied);
}

TEST(Compositor, SkipRules) {
  struct Case {
    const char* name;
    std::function<void(Document&, Qz_Image*)> prepare;
    Rgb expected00, expected01;  // pixels (0, 0) and (0, 1)
  };
  const Case cases[] = {
      {"visible", [](Document&, Qz_Image*) {}, kColour, kColour},
      {"invisible layer", [](Document&, Qz_Image* l) { l->visible = 0; }, kBackground, kBackground},
      {"row never changed",
       [](Document&, Qz_Image* l) { l->spanGreatest[1] = kQzSpanUnchanged; }, kColour, kBackground},
      {"a change at column 0 only",
       [](Document&, Qz_Image* l) {
         for (int32_t y = 0; y < 2; ++y) l->spanLeast[y] = 3, l->spanGreatest[y] = kQzSpanUnchanged;
         Qz_ModifiedLayer(l, 0, 1, 0, 1);
       },
       kBackground, kColour},
      {"layer moved down a row", [](Document&, Qz_Image* l) { l->placement.layerY = 1; },
       kBackground, kColour},
      {"compositing off",
       [](Document& d, Qz_Image*) { d.image->compositingCount = 0; }, Rgb{0, 0, 0}, Rgb{0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc(4, 2, Flat(kBackground));
    Qz_Image* layer = doc.AddPaintLayer("Paint", kColour, 0, 0, 4, 2,
                                        [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(layer, nullptr);
    c.prepare(doc, layer);
    doc.ClearResult();
    doc.Composite();
    EXPECT_EQ(doc.Pixel(0, 0), c.expected00);
    EXPECT_EQ(doc.Pixel(0, 1), c.expected01);
  }
}

TEST(Compositor, ClosedSourceIsDroppedAndTheLayerCompositedWithout) {
  Document doc(8, 2, Flat(kBackground));
  Qz_Image* layer = doc.AddPaintLayer("Paint", kColour, 0, 0, 8, 2,
                                      [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(layer, nullptr);
  Qz_Image* mask = MakeMask(8);
  ASSERT_NE(mask, nullptr);
  layer->firstSource = mask;
  mask->state = kQzImageDying;  // being closed: its lock is refused
  doc.Composite();
  EXPECT_EQ(layer->firstSource, nullptr);
  EXPECT_EQ(doc.Pixel(5, 1), kColour);
  mask->state = kQzImageAllocated;
  Qz_DisposeObject(&mask->object);
}

// Three layers: red over everything, green over row 0 only, blue over row 1 only.
class LayerStack : public ::testing::Test {
 protected:
  void SetUp() override {
    auto full = [](int32_t, int32_t) { return uint8_t(255); };
    red = doc.AddPaintLayer("Paint", {255, 0, 0}, 0, 0, 8, 4, full);
    green = doc.AddPaintLayer("Paint", {0, 255, 0}, 0, 0, 8, 1, full);
    blue = doc.AddPaintLayer("Paint", {0, 0, 255}, 0, 1, 8, 1, full);
    ASSERT_TRUE(red && green && blue);
  }
  // The pixel the lock hands out at (x, y).
  static Rgb At(const Qz_ImageLock& lock, int32_t x, int32_t y) {
    return {lock.r[y][x], lock.g[y][x], lock.b[y][x]};
  }
  Document doc{8, 4, Flat(kBackground)};
  Qz_Image *red = nullptr, *green = nullptr, *blue = nullptr;
};

TEST_F(LayerStack, DataBelowStopsAtTheLayerAndRepeatsEdgeRows) {
  struct Case {
    const char* name;
    Qz_Image* layer;
    std::vector<Rgb> rows;  // rows -2 .. 5 at column 3
  };
  const Rgb r{255, 0, 0}, g{0, 255, 0};
  const Case cases[] = {
      {"bottom layer: the background", red, std::vector<Rgb>(8, kBackground)},
      {"below green: red, also where green does not reach", green, std::vector<Rgb>(8, r)},
      {"below blue: green on row 0, red elsewhere", blue, {g, g, g, r, r, r, r, r}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_ImageLock lock{};
    lock.image = doc.image;
    lock.layer = c.layer;
    lock.x0 = 1, lock.x1 = 6, lock.y0 = -2, lock.y1 = 5;
    ASSERT_EQ(Qz_GetImageDataBelowLayer(&lock), &lock);
    for (int32_t y = -2; y <= 5; ++y) EXPECT_EQ(At(lock, 3, y), c.rows[size_t(y + 2)]) << "row " << y;
    Qz_FreeImageLock(&lock);
    EXPECT_EQ(lock.owned[0], nullptr);
  }
  doc.Composite();
  EXPECT_EQ(doc.Pixel(3, 0), g);
  EXPECT_EQ(doc.Pixel(3, 1), (Rgb{0, 0, 255}));
  EXPECT_EQ(doc.Pixel(3, 3), r);

  // Without a layer: the composite itself; columns are kept inside the image.
  Qz_ImageLock whole{};
  whole.image = doc.image;
  whole.x0 = -5, whole.x1 = 50, whole.y0 = 3, whole.y1 = 3;
  ASSERT_EQ(Qz_GetImageDataBelowLayer(&whole), &whole);
  EXPECT_EQ(whole.x0, 0);
  EXPECT_EQ(whole.x1, 7);
  EXPECT_EQ(At(whole, 7, 3), r);
  Qz_FreeImageLock(&whole);
  Qz_FreeImageLock(nullptr);
  EXPECT_EQ(Qz_GetImageDataBelowLayer(nullptr), nullptr);
}

TEST(Compositor, GreyDocumentWithLayersBelowHasNoDataBelow) {
  auto* grey = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(Qz_AllocImage(grey, 4, 4, 8, kQzAllocNoThread, nullptr), nullptr);
  Qz_Image* layers[2];
  for (Qz_Image*& layer : layers) {
    layer = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
    ASSERT_NE(Qz_AllocImage(layer, 4, 4, 8, 0, nullptr), nullptr);
    Qz_DoMethod(&grey->object, kQzImageAddLayer, layer);
  }
  Qz_ImageLock lock{};
  lock.image = grey;
  lock.layer = layers[1];
  lock.x1 = 3, lock.y1 = 3;
  EXPECT_EQ(Qz_GetImageDataBelowLayer(&lock), nullptr);
  lock.layer = layers[0];
  lock.y0 = -1;
  ASSERT_EQ(Qz_GetImageDataBelowLayer(&lock), &lock);
  EXPECT_EQ(lock.grey[-1], grey->undoGrey[0]);
  Qz_FreeImageLock(&lock);
  Qz_DisposeObject(&grey->object);
}

TEST(ColourStages, ToneTableAndEdgeMask) {
  uint8_t table[qz::kToneTableSize];
  qz::buildToneTable(0, 0, 0, table);
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[382], 0);
  EXPECT_EQ(table[765], 1);
  qz::buildToneTable(255, 256, 255, table);
  for (uint8_t v : table) ASSERT_EQ(v, 255);

  struct Case {
    const char* name;
    int32_t shape;
    bool invert;
    int32_t x, y, expected;
  };
  const Case cases[] = {
      {"circle centre hidden", 2, false, 50, 50, 0},
      {"circle corner shown", 2, false, 0, 0, 65535},
      {"inverted circle centre shown", 2, true, 50, 50, 65535},
      {"ellipse centre hidden", 3, false, 50, 50, 0},
      {"frame centre hidden", 1, false, 50, 50, 0},
      {"frame corner shown", 1, false, 0, 0, 65535},
      {"no shape", 0, false, 50, 50, 65535},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qz::edgeMaskWeight(c.shape, 100, 100, 30, 50, c.invert, c.x, c.y), c.expected);
  }
  // Large images stay in range (the squares need 64 bits).
  EXPECT_EQ(qz::edgeMaskWeight(2, 30000, 30000, 0, 50, false, 15000, 15000), 0);
}

TEST(ColourStages, StrengthAndHsvStages) {
  Document doc(1, 1, Flat(kBackground));
  Qz_Image* layer = doc.AddPaintLayer("Paint", kColour, 0, 0, 1, 1,
                                      [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(layer, nullptr);
  struct Case {
    const char* name;
    int index;
    uint16_t word;
    Rgb below, out, expected;
  };
  const Case cases[] = {
      {"red at 128 moves halfway", 0, 128, {10, 20, 30}, {200, 100, 50}, {105, 100, 50}},
      {"hsv round trip keeps a grey", 3, 0, {0, 0, 0}, {100, 100, 100}, {100, 100, 100}},
      {"hsv round trip keeps a primary", 3, 0, {0, 0, 0}, {255, 0, 0}, {255, 0, 0}},
      {"value from below", 5, 0, {100, 100, 100}, {200, 0, 0}, {100, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (auto& word : layer->blend) word = 256;
    layer->blend[c.index] = c.word;
    Rgb out = c.out;
    qz::adjustLayerColours(layer, &out[0], &out[1], &out[2], &c.below[0], &c.below[1],
                           &c.below[2], 1, 0, 0);
    EXPECT_EQ(out, c.expected);
  }
  for (int32_t v = 0; v < 256; v += 5)
    for (const Rgb rgb : {Rgb{uint8_t(v), uint8_t(v), uint8_t(v)}, Rgb{uint8_t(v), 0, 0},
                          Rgb{0, uint8_t(v), uint8_t(v)}}) {
      uint8_t back[3];
      qz::hsvToRgb(qz::rgbToHsv(rgb[0], rgb[1], rgb[2]), back);
      EXPECT_EQ((Rgb{back[0], back[1], back[2]}), rgb);
    }
}

TEST(Compositor, ImageLayerOverPremultipliedColour) {
  for (uint16_t opacity : {uint16_t(256), uint16_t(128)}) {
    SCOPED_TRACE(opacity);
    Document doc(4, 1, Flat(kBackground));
    auto* layer = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzImageLayer));
    ASSERT_NE(Qz_AllocImage(layer, 4, 1, 24, 0, nullptr), nullptr);
    auto* inner = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
    ASSERT_NE(Qz_AllocImage(inner, 4, 1, 8, 0, nullptr), nullptr);
    const Rgb p{0, 100, 255};
    for (int32_t x = 0; x < 4; ++x) {
      layer->r[0][x] = p[0], layer->g[0][x] = p[1], layer->b[0][x] = p[2];
      inner->grey[0][x] = 255;
    }
    layer->inner = inner;
    layer->opacity = opacity;
    Qz_DoMethod(&doc.image->object, kQzImageAddLayer, layer);
    doc.Composite();
    for (int ch = 0; ch < 3; ++ch) {
      const int alpha = std::min(255, (255 * ((opacity * 257) >> 8) / 257) * 255 / 255);
      const int v = ((kBackground[ch] * (255 - alpha) + 1 + p[ch] * opacity) * 257) >> 16;
      EXPECT_EQ(doc.Pixel(2, 0)[ch], std::clamp(v, 0, 255)) << ch;
      if (opacity == 256) {
        EXPECT_EQ(doc.Pixel(2, 0)[ch], p[ch]);
      }
    }
  }
}

TEST(Compositor, WaitingMessageInterruptsAfterTheFirstRow) {
  Document doc(4, 3, Flat(kBackground));
  ASSERT_NE(doc.AddPaintLayer("Paint", kColour, 0, 0, 4, 3,
                              [](int32_t, int32_t) { return uint8_t(255); }),
            nullptr);
  doc.image->port = CreateMsgPort();
  ASSERT_NE(doc.image->port, nullptr);
  Message message{};
  PutMsg(doc.image->port, &message);
  doc.image->interruptible = 1;
  EXPECT_EQ(Qz_CheckImageMsgPort(doc.image, 0), 1);
  doc.ClearResult();
  doc.Composite();
  EXPECT_EQ(doc.Pixel(1, 0), kColour);
  EXPECT_EQ(doc.Pixel(1, 1), (Rgb{0, 0, 0}));
  doc.image->interruptible = 0;
  doc.Composite();
  EXPECT_EQ(doc.Pixel(1, 2), kColour);
  GetMsg(doc.image->port);
  EXPECT_EQ(Qz_CheckImageMsgPort(doc.image, 0), 0);
}

TEST(Compositor, CommitSwapsTheModeAndColour) {
  Document doc(4, 1, Flat(kBackground));
  Qz_Image* layer = doc.AddPaintLayer("Multiply", kColour, 0, 0, 4, 1,
                                      [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(layer, nullptr);
  Qz_Class* multiply = Qz_FindClassFromName("MultiplyMode");
  const int32_t liveBefore = multiply->liveCount;
  layer->chosenMode = qztest::MakeMode("Screen", layer);
  std::snprintf(layer->chosenModeName, sizeof layer->chosenModeName, "Screen");
  const uint8_t chosen[3] = {0, 0, 255};
  std::memcpy(layer->chosenColour, chosen, 3);
  layer->needsFixing = 2;
  Qz_DoLayerDoesntNeedsFixing(layer);
  EXPECT_EQ(layer->chosenMode, nullptr);
  EXPECT_STREQ(layer->modeName, "Screen");
  EXPECT_STREQ(layer->mode->objectClass->name, "ScreenMode");
  EXPECT_EQ(multiply->liveCount, liveBefore - 1);
  EXPECT_EQ(layer->committedColour[2], 255);
  EXPECT_EQ(layer->needsFixing.load(), 0);
  doc.Composite();
  EXPECT_EQ(doc.Pixel(0, 0), (Rgb{10, 20, 255}));
}

TEST(Compositor, ProcessLayerCompositesOnlyTheLayersRectangle) {
  Document doc(12, 4, Flat(kBackground));
  Qz_Image* layer = doc.AddPaintLayer("Paint", kColour, 6, 1, 4, 2,
                                      [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(layer, nullptr);
  doc.ClearResult();
  layer->needsFixing = 3;
  Qz_ProcessLayer(layer, 1, 1, 1, 1);  // document pixel (7, 2)
  EXPECT_EQ(doc.Pixel(7, 2), kColour);
  EXPECT_EQ(doc.Pixel(7, 1), (Rgb{0, 0, 0}));
  EXPECT_EQ(doc.Pixel(9, 2), (Rgb{0, 0, 0}));
  EXPECT_EQ(layer->needsFixing.load(), 3);
  Qz_FullProcessLayer(layer);
  EXPECT_EQ(doc.Pixel(9, 1), kColour);
  EXPECT_EQ(doc.Pixel(3, 1), (Rgb{0, 0, 0}));  // left of the group of four the layer starts in
  EXPECT_EQ(layer->needsFixing.load(), 0);
}

// The swap waits for the passes: while someone holds the document in mode 2
// the old mode stays in force.
TEST(Compositor, CommitWaitsForTheCompositingHold) {
  Document doc(4, 1, Flat(kBackground));
  Qz_Image* layer = doc.AddPaintLayer("Multiply", kColour, 0, 0, 4, 1,
                                      [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(layer, nullptr);
  Qz_Object* old = layer->mode;
  layer->chosenMode = qztest::MakeMode("Darken", layer);
  std::snprintf(layer->chosenModeName, sizeof layer->chosenModeName, "Darken");
  ASSERT_EQ(Qz_LockImageA(doc.image, kQzLockComposite, nullptr), 1);
  std::atomic<bool> done{false};
  std::thread committer([&] {
    Qz_DoLayerDoesntNeedsFixing(layer);
    done = true;
  });
  for (int i = 0; i < 50 && !done; ++i) std::this_thread::yield();
  EXPECT_FALSE(done.load());
  EXPECT_EQ(layer->mode, old);
  Qz_UnlockImageA(doc.image, kQzLockComposite, nullptr);
  committer.join();
  EXPECT_STREQ(layer->modeName, "Darken");
  EXPECT_EQ(layer->chosenMode, nullptr);
}

TEST(Compositor, CopyImageDataRGBClips) {
  Document doc(8, 2, [](int32_t x, int32_t) { return Rgb{uint8_t(x), uint8_t(x + 10), 0}; });
  uint8_t r[5] = {99, 99, 99, 99, 99}, g[5] = {}, b[5] = {};
  EXPECT_EQ(Qz_CopyImageDataRGB(doc.image, -2, 1, 5, 0, r, g, b), 1);
  EXPECT_EQ(r[0], 99);
  EXPECT_EQ(r[2], 0);
  EXPECT_EQ(r[4], 2);
  EXPECT_EQ(g[4], 12);
  EXPECT_EQ(Qz_CopyImageDataRGB(doc.image, 6, 0, 5, 0, r, g, b), 1);
  EXPECT_EQ(r[1], 7);
  EXPECT_EQ(Qz_CopyImageDataRGB(doc.image, 0, 2, 5, 0, r, g, b), 0);
  EXPECT_EQ(Qz_CopyImageDataRGB(doc.image, 0, -1, 5, 0, r, g, b), 0);
}

}  // namespace

namespace {

// Spans of transparency 0 are passed over: a row with a long gap composites
// to what column-wide blocks give, and the gap keeps the background.
TEST(Compositor, SpansOfTransparencyZeroAreLeftAsTheyAre) {
  auto alpha = [](int32_t x, int32_t y) {
    return uint8_t(x >= 20 && x < 150 && y != 1 ? 0 : 40 + (x * 7 + y) % 200);
  };
  auto ramp = [](int32_t x, int32_t y) { return Rgb{uint8_t(x), uint8_t(x + y * 50), uint8_t(255 - x)}; };
  Document doc(203, 3, ramp);
  ASSERT_NE(doc.AddPaintLayer("Overlay", kColour, 0, 0, 203, 3, alpha), nullptr);
  ASSERT_NE(doc.AddPaintLayer("Multiply", {90, 200, 30}, 10, 0, 180, 3, alpha), nullptr);
  doc.Composite();
  const std::vector<uint8_t> whole = doc.Planes();
  for (int32_t x = 30; x < 140; ++x) EXPECT_EQ(doc.Pixel(x, 0), ramp(x, 0)) << x;
  EXPECT_NE(doc.Pixel(60, 1), ramp(60, 1));
  doc.CompositeInBlocks(1, 3);
  EXPECT_EQ(doc.Planes(), whole);
}

}  // namespace

namespace {

// Rows rendered on one of the pool's workers and on the calling thread.
std::atomic<int> gRowsOnWorkers{0}, gRowsOnCaller{0};

// Multiply's output, counting where each row was rendered.
QzWord CountingDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id != kQzModeRender) return Qz_DoMethodA(object->super, id, args);
  (qz::StripPool::onWorker() ? gRowsOnWorkers : gRowsOnCaller).fetch_add(1);
  const Qz_ModeRenderMessage* message = qz::modes::renderMessage(args);
  const Qz_ImageLock* block = message->block;
  const uint8_t* colour = block->layer->committedColour;
  uint8_t* const* out[3] = {message->r, message->g, message->b};
  uint8_t** below[3] = {block->r, block->g, block->b};
  for (int c = 0; c < 3; ++c)
    for (int32_t x = block->x0; x <= block->x1; ++x)
      out[c][0][x - block->x0] = uint8_t(below[c][block->y0][x] * colour[c] / 255);
  return 1;
}

const qz::kit::ClassDecl kCountingMode = {
    .name = "CountingMode", .superName = "RootMode", .classId = 0x8FE, .handler = CountingDispatch};

// A user's dab-sized pass is composited on the calling thread, a big pass
// on the workers, and both give the bytes of one-row strips.
TEST(Compositor, SmallPassesStayOnTheCallingThreadAndBigOnesGoToTheWorkers) {
  ASSERT_EQ(qz::kit::addClass(kCountingMode), 1u);
  const int32_t workersBefore = Qz__SetCompositorWorkers(8);
  const int32_t pixelsBefore = Qz__SetCompositorStripPixels(1);
  Document doc(300, 200, qztest::NoisePixel);
  ASSERT_NE(doc.AddPaintLayer("Counting", kColour, 0, 0, 300, 200,
                              [](int32_t x, int32_t y) { return uint8_t(1 + (x * 3 + y * 5) % 254); }),
            nullptr);
  doc.Composite();
  const std::vector<uint8_t> rowStrips = doc.Planes();
  Qz__SetCompositorStripPixels(0);
  struct Case {
    const char* name;
    int32_t x0, y0, x1, y1;
    bool onWorkers;
  };
  const Case cases[] = {{"a dab", 100, 60, 136, 84, false},
                        {"one row", 0, 10, 299, 10, false},
                        {"the whole picture", 0, 0, 299, 199, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    doc.ClearResult();
    gRowsOnWorkers = gRowsOnCaller = 0;
    Qz_ProcessImage(doc.image, c.x0, c.y0, c.x1, c.y1);
    const int rows = c.y1 - c.y0 + 1;
    EXPECT_EQ(gRowsOnWorkers.load() + gRowsOnCaller.load(), rows);
    if (c.onWorkers)
      EXPECT_EQ(gRowsOnWorkers.load(), rows);
    else
      EXPECT_EQ(gRowsOnCaller.load(), rows);
    for (int32_t y = c.y0; y <= c.y1; ++y)
      for (int32_t x = c.x0; x <= c.x1; x += 7) {
        const size_t at = size_t(y) * 300 + size_t(x), plane = size_t(300) * 200;
        ASSERT_EQ(doc.Pixel(x, y), (Rgb{rowStrips[at], rowStrips[at + plane], rowStrips[at + 2 * plane]}))
            << x << ", " << y;
      }
  }
  Qz__SetCompositorStripPixels(pixelsBefore);
  Qz__SetCompositorWorkers(workersBefore);
  qz::kit::removeClass(kCountingMode);
}

}  // namespace
