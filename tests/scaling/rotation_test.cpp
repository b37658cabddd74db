// Rotation and shear through the resize protocol: sizes, where pixels land,
// supersampled edges, layers turning with the document, and a break.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "image/qz_image.h"
#include "image/qz_rotation.h"
#include "platform/exec.h"

namespace {

Qz_Image* Document(int32_t w, int32_t h, int32_t depth) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  if (!image || !Qz_AllocImage(image, w, h, depth, kQzAllocNoThread, nullptr)) return nullptr;
  return image;
}

// A distinct value for every pixel of a small image, in every plane.
uint8_t Mark(int32_t x, int32_t y) { return uint8_t(1 + x + 16 * y); }

Qz_Image* Marked(int32_t w, int32_t h, int32_t depth) {
  Qz_Image* image = Document(w, h, depth);
  if (!image) return nullptr;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      for (Qz_Plane p : {image->r, image->g, image->b, image->grey})
        if (p) p[y][x] = Mark(x, y);
  Qz_CopyImageToUndoData(image, 0, 0, w - 1, h - 1, 0, 0);
  return image;
}

std::vector<uint8_t> Pixels(Qz_Plane plane, int32_t w, int32_t h) {
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < h; ++y) out.insert(out.end(), plane[y], plane[y] + w);
  return out;
}

struct Disposer {
  Qz_Image* image;
  ~Disposer() {
    if (image) Qz_DisposeObject(&image->object);
  }
};

TEST(Rotation, QuarterAndHalfTurnsMoveWholePixels) {
  struct Case {
    const char* name;
    int32_t angle;
    uint32_t flags;
    int32_t width, height;
    // Where old (x, y) lands in the new w x h image (old size 4 x 3).
    int32_t (*newX)(int32_t x, int32_t y);
    int32_t (*newY)(int32_t x, int32_t y);
  } const cases[] = {
      {"0: a copy", 0, 0, 4, 3, [](int32_t x, int32_t) { return x; }, [](int32_t, int32_t y) { return y; }},
      {"0 supersampled: still a copy", 0, kQzRotateSupersample, 4, 3, [](int32_t x, int32_t) { return x; },
       [](int32_t, int32_t y) { return y; }},
      {"9000: top left to bottom left", 9000, 0, 3, 4, [](int32_t, int32_t y) { return y; },
       [](int32_t x, int32_t) { return 3 - x; }},
      {"9000 supersampled: no blend, no border", 9000, kQzRotateSupersample, 3, 4,
       [](int32_t, int32_t y) { return y; }, [](int32_t x, int32_t) { return 3 - x; }},
      {"18000: both axes flipped", 18000, 0, 4, 3, [](int32_t x, int32_t) { return 3 - x; },
       [](int32_t, int32_t y) { return 2 - y; }},
      {"-9000: the other way", -9000, 0, 3, 4, [](int32_t, int32_t y) { return 2 - y; },
       [](int32_t x, int32_t) { return x; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int32_t depth : {8, 24}) {
      SCOPED_TRACE(depth);
      Qz_Image* image = Marked(4, 3, depth);
      ASSERT_NE(image, nullptr);
      Disposer gone{image};
      ASSERT_EQ(Qz__RotateImage(image, c.angle, c.flags), 1);
      ASSERT_EQ(image->width, c.width);
      ASSERT_EQ(image->height, c.height);
      Qz_Plane plane = depth == 8 ? image->grey : image->b;
      for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(plane[c.newY(x, y)][c.newX(x, y)], Mark(x, y)) << x << "," << y;
    }
  }
}

TEST(Rotation, SupersampledEdgesBlendAndTheInsideKeepsItsValue) {
  Qz_Image* image = Document(20, 20, 8);
  ASSERT_NE(image, nullptr);
  Disposer gone{image};
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 20; ++x) image->grey[y][x] = 255;
  Qz_CopyImageToUndoData(image, 0, 0, 19, 19, 0, 0);
  ASSERT_EQ(Qz__RotateImage(image, 4500, kQzRotateSupersample), 1);
  const int32_t w = image->width, h = image->height;
  EXPECT_EQ(image->grey[h / 2][w / 2], 255);
  EXPECT_EQ(image->grey[0][0], 0);
  EXPECT_EQ(image->grey[h - 1][w - 1], 0);
  int between = 0;
  for (int32_t x = 0; x < w; ++x) {
    const uint8_t v = image->grey[h / 2][x];
    between += v > 0 && v < 255;
  }
  EXPECT_GT(between, 0) << "the edges are blended";
}

TEST(Rotation, LayersTurnAboutTheDocumentCentreAndStayOverTheirPicture) {
  Qz_Image* doc = Marked(20, 10, 24);
  ASSERT_NE(doc, nullptr);
  Disposer gone{doc};
  auto* layer = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  layer->parent = doc;
  ASSERT_NE(Qz_AllocImage(layer, 6, 2, 8, kQzAllocNoThread, nullptr), nullptr);
  Qz_DoMethod(&doc->object, kQzImageAddLayer, layer);
  layer->placement.layerX = 2;
  layer->placement.layerY = 3;
  layer->grey[0][0] = 200;  // over document pixel (2, 3)

  ASSERT_EQ(Qz__RotateImage(doc, 9000, kQzRotateLayers), 1);
  EXPECT_EQ(layer->width, 2);
  EXPECT_EQ(layer->height, 6);
  EXPECT_EQ(layer->placement.layerX, 3);
  EXPECT_EQ(layer->placement.layerY, 12);
  // The marked layer pixel and the document pixel it covered land together.
  EXPECT_EQ(layer->grey[5][0], 200);
  EXPECT_EQ(doc->b[layer->placement.layerY + 5][layer->placement.layerX + 0], Mark(2, 3));
}

TEST(Rotation, ABreakOrAFailedStartLeavesTheImageAsItWas) {
  Qz_Image* image = Marked(9, 7, 24);
  ASSERT_NE(image, nullptr);
  Disposer gone{image};
  const auto before = Pixels(image->g, 9, 7);
  SetSignal(SIGBREAKF_CTRL_C, SIGBREAKF_CTRL_C);
  EXPECT_EQ(Qz__RotateImage(image, 3000, kQzRotateSupersample), 0);
  EXPECT_EQ(SetSignal(0, 0) & SIGBREAKF_CTRL_C, 0u) << "the break is taken";
  EXPECT_EQ(image->width, 9);
  EXPECT_EQ(image->height, 7);
  EXPECT_EQ(Pixels(image->g, 9, 7), before);
  // A resize that cannot start (the image is going away, so no lock is had)
  // is a failure, not a success.
  const uint32_t state = image->state.exchange(kQzImageDying);
  EXPECT_EQ(Qz__RotateImage(image, 4500, 0), 0);
  image->state.store(state);
  EXPECT_EQ(image->width, 9);
}

TEST(Shear, RowsAndColumnsShiftByTheFormula) {
  struct Case {
    int32_t sx, sy, depth;
  } const cases[] = {{10, 0, 24}, {-10, 0, 24}, {0, 6, 24}, {3, -4, 24}, {10, 0, 8}, {-5, 3, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sx << "," << c.sy << " depth " << c.depth);
    const int32_t w = 7, h = 5;
    Qz_Image* image = Marked(w, h, c.depth);
    ASSERT_NE(image, nullptr);
    Disposer gone{image};
    ASSERT_EQ(Qz__ShearImage(image, c.sx, c.sy), 1u);
    const int32_t ax = std::abs(c.sx), ay = std::abs(c.sy), W = w + ax, H = h + ay;
    ASSERT_EQ(image->width, W);
    ASSERT_EQ(image->height, H);
    Qz_Plane plane = c.depth == 8 ? image->grey : image->r;
    for (int32_t r = 0; r < H; ++r)
      for (int32_t col = 0; col < W; ++col) {
        const int32_t shiftX = r * ax / H, shiftY = col * ay / W;
        const int32_t x = c.sx < 0 ? col - shiftX : col + shiftX - ax;
        const int32_t y = c.sy < 0 ? r - shiftY : r + shiftY - ay;
        const uint8_t expected = (x >= 0 && y >= 0 && x < w && y < h) ? Mark(x, y) : 0;
        ASSERT_EQ(plane[r][col], expected) << col << "," << r;
      }
  }
}

TEST(Shear, TopRowEndsFlushRightAndNothingShiftsForZero) {
  Qz_Image* image = Marked(7, 5, 24);
  ASSERT_NE(image, nullptr);
  Disposer gone{image};
  const auto before = Pixels(image->r, 7, 5);
  EXPECT_EQ(Qz__ShearImage(image, 0, 0), 1u);
  EXPECT_EQ(Pixels(image->r, 7, 5), before);
  ASSERT_EQ(Qz__ShearImage(image, 10, 0), 1u);
  EXPECT_EQ(image->r[0][16], Mark(6, 0));  // row 0 shifted by the whole 10
  EXPECT_EQ(image->r[4][8], Mark(6, 4));  // the last row by (5 - 1) * 10 / 5 = 8 less
  EXPECT_EQ(Qz__ShearImage(nullptr, 1, 1), 0u);
}

}  // namespace
