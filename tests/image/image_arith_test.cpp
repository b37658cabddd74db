// Rectangle operations: depth pairs, clipping at every edge (checked against
// a slow per-pixel reference on random rectangles), blits, the constant
// rectangle, inversion and the undo copies.
#include <gtest/gtest.h>

#include <random>

#include "image/merge_kernels.h"
#include "image_fixture.h"

namespace {

using qztest::FillPlane;
using qztest::ImageTest;
using qztest::PlaneBytes;

uint8_t Pattern(int32_t x, int32_t y, int seed) { return uint8_t((x * 37 + y * 11 + seed * 53) & 0xFF); }

void FillAll(Qz_Image* image, int seed) {
  Qz_Plane planes[] = {image->r, image->g, image->b, image->grey,
                       image->undoR, image->undoG, image->undoB, image->undoGrey};
  int n = 0;
  for (Qz_Plane plane : planes) {
    ++n;
    if (plane)
      FillPlane(plane, image->width, image->height,
                [=](int32_t x, int32_t y) { return Pattern(x, y, seed + n); });
  }
}

TEST_F(ImageTest, DepthPairs) {
  struct Case {
    const char* name;
    int32_t srcDepth, dstDepth;
    int op;  // 0 add, 1 subtract, 2 multiply
    int32_t expectedResult;
  };
  const Case cases[] = {
      {"8 into 8, add", 8, 8, 0, 1},       {"8 into 24, add", 8, 24, 0, 1},
      {"24 into 24, add", 24, 24, 0, 1},   {"24 into 8 refused", 24, 8, 0, 0},
      {"24 into 24, subtract", 24, 24, 1, 1}, {"8 into 24, multiply", 8, 24, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* src = Make(kQzDocument, 5, 3, c.srcDepth);
    Qz_Image* dst = Make(kQzDocument, 5, 3, c.dstDepth);
    FillAll(src, 1);
    FillAll(dst, 2);
    std::vector<uint8_t> before[3], srcBytes[3];
    Qz_Plane dstPlanes[3] = {dst->r, dst->g, dst->b};
    Qz_Plane srcPlanes[3] = {src->r, src->g, src->b};
    if (c.dstDepth == 8) dstPlanes[0] = dst->grey, dstPlanes[1] = dstPlanes[2] = nullptr;
    if (c.srcDepth == 8) srcPlanes[0] = srcPlanes[1] = srcPlanes[2] = src->grey;
    for (int i = 0; i < 3; ++i) {
      if (dstPlanes[i]) before[i] = PlaneBytes(dstPlanes[i], 5, 3);
      if (srcPlanes[i]) srcBytes[i] = PlaneBytes(srcPlanes[i], 5, 3);
    }
    int32_t result = 0;
    if (c.op == 0) result = Qz_AddImageToImage(dst, 0, 0, src, 0, 0, 5, 3);
    if (c.op == 1) result = Qz_SubtractImageFromImage(dst, 0, 0, src, 0, 0, 5, 3);
    if (c.op == 2) result = Qz_MultiplyImageByImage(dst, 0, 0, src, 0, 0, 5, 3);
    EXPECT_EQ(result, c.expectedResult);
    for (int i = 0; i < 3; ++i) {
      if (!dstPlanes[i]) continue;
      const auto after = PlaneBytes(dstPlanes[i], 5, 3);
      for (size_t k = 0; k < after.size(); ++k) {
        int expected = before[i][k];
        if (c.expectedResult) {
          const int s = srcBytes[i][k];
          expected = c.op == 0 ? std::min(255, expected + s)
                   : c.op == 1 ? std::max(0, expected - s)
                               : expected * s / 255;
        }
        ASSERT_EQ(after[k], expected) << "plane " << i << " byte " << k;
      }
    }
  }
}

// Per-pixel reference of a rectangle operation from src (sx, sy) to dst (dx, dy).
struct Rect {
  int32_t dx, dy, sx, sy, w, h;
};

template <typename PixelOp>
int32_t Reference(Qz_Plane dst, int32_t dw, int32_t dh, Qz_Plane src, int32_t sw, int32_t sh,
                  const Rect& r, PixelOp op) {
  int32_t touched = 0;
  for (int32_t y = 0; y < dh; ++y)
    for (int32_t x = 0; x < dw; ++x) {
      const int64_t u = int64_t(x) - r.dx, v = int64_t(y) - r.dy;
      if (u < 0 || v < 0 || u >= r.w || v >= r.h) continue;
      const int64_t srcX = r.sx + u, srcY = r.sy + v;
      if (srcX < 0 || srcY < 0 || srcX >= sw || srcY >= sh) continue;
      dst[y][x] = op(dst[y][x], src[srcY][srcX], x, y);
      touched = 1;
    }
  return touched;
}

Rect RandomRect(std::mt19937& random) {
  auto coordinate = [&] { return int32_t(random() % 40) - 12; };
  auto size = [&] { return int32_t(random() % 30) - 2; };
  return {coordinate(), coordinate(), coordinate(), coordinate(), size(), size()};
}

TEST_F(ImageTest, RandomRectanglesMatchTheReference) {
  std::mt19937 random(99);
  for (int round = 0; round < 120; ++round) {
    const int32_t dw = 1 + int32_t(random() % 20), dh = 1 + int32_t(random() % 20);
    const int32_t sw = 1 + int32_t(random() % 20), sh = 1 + int32_t(random() % 20);
    const Rect r = RandomRect(random);
    const int op = round % 5;
    SCOPED_TRACE(testing::Message() << "round " << round << " op " << op << " dst " << dw << "x"
                                    << dh << " src " << sw << "x" << sh << " rect d(" << r.dx
                                    << "," << r.dy << ") s(" << r.sx << "," << r.sy << ") "
                                    << r.w << "x" << r.h);
    Qz_Image* dst = Make(kQzDocument, dw, dh, 24);
    Qz_Image* src = Make(kQzDocument, sw, sh, 24);
    Qz_Image* alpha = Make(kQzPaintLayer, sw, sh, 8);
    FillAll(dst, round);
    FillAll(src, round + 7);
    FillAll(alpha, round + 3);
    // The expected planes: a copy of each destination plane, changed by the reference.
    Qz_Plane target[3] = {dst->r, dst->g, dst->b};
    Qz_Plane source[3] = {src->r, src->g, src->b};
    if (op == 4) target[0] = dst->undoR, target[1] = dst->undoG, target[2] = dst->undoB;
    std::vector<Qz_Plane> expected;
    int32_t expectedResult = 0;
    for (int i = 0; i < 3; ++i) {
      Qz_Plane copy = Qz_AllocImageData(dw, dh, 8);
      Qz__CopyPlaneRect(copy, dw, dh, target[i], dw, dh, 0, 0, dw - 1, dh - 1, 0, 0);
      auto add = [](uint8_t d, uint8_t s, int32_t, int32_t) { return uint8_t(std::min(255, d + s)); };
      auto mul = [](uint8_t d, uint8_t s, int32_t, int32_t) { return uint8_t(d * s / 255); };
      auto copyOp = [](uint8_t, uint8_t s, int32_t, int32_t) { return s; };
      auto half = [](uint8_t d, uint8_t s, int32_t, int32_t) {
        uint8_t out = d;
        qz::scalarMergeKernels().mergeBytes(&out, &s, 1, 128);
        return out;
      };
      switch (op) {
        case 0: expectedResult = Reference(copy, dw, dh, source[i], sw, sh, r, add); break;
        case 1: expectedResult = Reference(copy, dw, dh, source[i], sw, sh, r, mul); break;
        case 2: expectedResult = Reference(copy, dw, dh, source[i], sw, sh, r, copyOp); break;
        case 3: expectedResult = Reference(copy, dw, dh, source[i], sw, sh, r, half); break;
        case 4: {
          // Alpha is read where the source is.
          Rect clipped = r;
          expectedResult = Reference(copy, dw, dh, source[i], sw, sh, clipped,
                                     [&](uint8_t d, uint8_t s, int32_t x, int32_t y) {
                                       uint8_t out = d;
                                       const uint8_t a = alpha->grey[y - r.dy + r.sy][x - r.dx + r.sx];
                                       qz::scalarMergeKernels().mergeViaAlpha(&out, &s, &a, 200, 1);
                                       return out;
                                     });
          break;
        }
      }
      expected.push_back(copy);
    }
    int32_t result = 0;
    switch (op) {
      case 0: result = Qz_AddImageToImage(dst, r.dx, r.dy, src, r.sx, r.sy, r.w, r.h); break;
      case 1: result = Qz_MultiplyImageByImage(dst, r.dx, r.dy, src, r.sx, r.sy, r.w, r.h); break;
      case 2: result = Qz_BlitImageToImage(dst, r.dx, r.dy, src, r.sx, r.sy, r.w, r.h, 255, 0); break;
      case 3: result = Qz_BlitImageToImage(dst, r.dx, r.dy, src, r.sx, r.sy, r.w, r.h, 128, 0); break;
      case 4:
        result = Qz__MergeImagesViaAlphaAndTrans(dst, r.dx, r.dy, src, r.sx, r.sy, r.w, r.h, alpha, 200);
        break;
    }
    EXPECT_EQ(result, expectedResult);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(PlaneBytes(target[i], dw, dh), PlaneBytes(expected[i], dw, dh)) << "plane " << i;
      Qz_FreeImageData(expected[i]);
    }
    Dispose(alpha);
    Dispose(src);
    Dispose(dst);
  }
}

TEST_F(ImageTest, OnePixelRectanglesAtEveryEdge) {
  Qz_Image* dst = Make(kQzPaintLayer, 6, 4, 8);
  Qz_Image* src = Make(kQzPaintLayer, 6, 4, 8);
  FillPlane(src->grey, 6, 4, [](int32_t, int32_t) { return uint8_t(9); });
  struct Case {
    int32_t x, y;
  };
  const Case corners[] = {{0, 0}, {5, 0}, {0, 3}, {5, 3}, {2, 1}};
  for (const Case& c : corners) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    FillPlane(dst->grey, 6, 4, [](int32_t, int32_t) { return uint8_t(0); });
    EXPECT_EQ(Qz_AddImageToImage(dst, c.x, c.y, src, c.x, c.y, 1, 1), 1);
    EXPECT_EQ(Qz_BlitImageToImage(dst, c.x, c.y, src, c.x, c.y, 1, 1, 255, 0), 1);
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 6; ++x)
        EXPECT_EQ(dst->grey[y][x], (x == c.x && y == c.y) ? 9 : 0) << x << "," << y;
  }
  // Wholly outside: nothing, and 0.
  EXPECT_EQ(Qz_AddImageToImage(dst, 6, 0, src, 0, 0, 3, 3), 0);
  EXPECT_EQ(Qz_AddImageToImage(dst, -3, 0, src, 0, 0, 3, 3), 0);
  EXPECT_EQ(Qz_AddImageToImage(dst, 0, 0, src, 0, 0, 0, 3), 0);
}

TEST_F(ImageTest, BlitStrengthAndUndoPlanes) {
  Qz_Image* dst = Make(kQzDocument, 3, 2, 24);
  Qz_Image* src = Make(kQzDocument, 3, 2, 24);
  for (Qz_Plane p : {src->r, src->g, src->b, src->undoR, src->undoG, src->undoB})
    FillPlane(p, 3, 2, [](int32_t, int32_t) { return uint8_t(255); });
  struct Case {
    const char* name;
    uint32_t strength;
    uint8_t expected, expectedUndo;
  };
  const Case cases[] = {{"halfway", 128, 128, 0},
                        {"full strength copies planes and undo planes", 255, 255, 255},
                        {"above full strength copies too", 256, 255, 255},
                        {"zero keeps", 0, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (Qz_Plane p : {dst->r, dst->g, dst->b, dst->undoR, dst->undoG, dst->undoB})
      FillPlane(p, 3, 2, [](int32_t, int32_t) { return uint8_t(0); });
    EXPECT_EQ(Qz_BlitImageToImage(dst, 0, 0, src, 0, 0, 3, 2, c.strength, 0), 1);
    EXPECT_EQ(dst->g[1][2], c.expected);
    EXPECT_EQ(dst->undoB[1][2], c.expectedUndo);
  }
  Qz_Image* grey = Make(kQzPaintLayer, 3, 2, 8);
  EXPECT_EQ(Qz_BlitImageToImage(grey, 0, 0, src, 0, 0, 3, 2, 255, 0), 0) << "24 into 8";
}

TEST_F(ImageTest, BlitOntoItselfReadsBeforeWriting) {
  Qz_Image* layer = Make(kQzPaintLayer, 4, 6, 8);
  for (int32_t shift : {2, -2}) {
    SCOPED_TRACE(shift);
    FillPlane(layer->grey, 4, 6, [](int32_t x, int32_t y) { return uint8_t(10 * y + x); });
    EXPECT_EQ(Qz_BlitImageToImage(layer, 0, shift, layer, 0, 0, 4, 6, 255, 0), 1);
    for (int32_t y = 0; y < 6; ++y) {
      const int32_t from = y - shift;
      const int expected = (from >= 0 && from < 6) ? 10 * from + 1 : 10 * y + 1;
      EXPECT_EQ(layer->grey[y][1], expected) << y;
    }
  }
}

TEST_F(ImageTest, RenderRectangle) {
  Qz_Image* grey = Make(kQzPaintLayer, 6, 5, 8);
  FillPlane(grey->grey, 6, 5, [](int32_t x, int32_t) { return uint8_t(x * 2); });
  qztest::NoticeRecorder recorder(grey);
  EXPECT_EQ(Qz_RenderRectangle(grey, -2, 1, 3, 9, -5, 0), 1);
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 6; ++x) {
      const int base = x * 2;
      const bool inside = x <= 3 && y >= 1;
      EXPECT_EQ(grey->grey[y][x], inside ? std::max(0, base - 5) : base) << x << "," << y;
    }
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].kind, kQzChangeRect);
  EXPECT_EQ(recorder.notices[0].x0, 0);
  EXPECT_EQ(recorder.notices[0].y0, 1);
  EXPECT_EQ(recorder.notices[0].x1, 3);
  EXPECT_EQ(recorder.notices[0].y1, 4);
  EXPECT_EQ(Qz_RenderRectangle(grey, 7, 0, 9, 2, 5, 0), 0) << "wholly right of the image";
  EXPECT_EQ(Qz_RenderRectangle(grey, 0, 0, -1, 2, 5, 0), 0);

  Qz_Image* colour = Make(kQzDocument, 2, 2, 24);
  FillPlane(colour->b, 2, 2, [](int32_t, int32_t) { return uint8_t(254); });
  EXPECT_EQ(Qz_RenderRectangle(colour, 0, 0, 0, 0, 1, 0x030201), 1);
  EXPECT_EQ(colour->r[0][0], 1);
  EXPECT_EQ(colour->g[0][0], 2);
  EXPECT_EQ(colour->b[0][0], 255);
  EXPECT_EQ(colour->b[1][1], 254);
}

std::vector<Qz_Image*> gComposited;
void RecordComposite(Qz_Image* image) { gComposited.push_back(image); }

TEST_F(ImageTest, InvertEveryColumn) {
  Qz_Image* document = Make(kQzDocument, 5, 2, 24);
  Qz_Image* layer = Make(kQzPaintLayer, 5, 2, 8);
  Qz_DoMethod(&document->object, kQzImageAddLayer, layer);
  FillPlane(layer->grey, 5, 2, [](int32_t x, int32_t) { return uint8_t(x); });
  auto* hooks = Qz_GetImageHooks();
  const auto saved = hooks->fullProcessImage;
  hooks->fullProcessImage = RecordComposite;
  gComposited.clear();
  EXPECT_EQ(Qz_InvertImageFunc(layer), 1);
  hooks->fullProcessImage = saved;
  for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(layer->grey[1][x], 255 - x);
  ASSERT_EQ(gComposited.size(), 1u);
  EXPECT_EQ(gComposited[0], document) << "the layer's document is composited again";

  FillPlane(document->undoG, 5, 2, [](int32_t x, int32_t) { return uint8_t(10 * x); });
  EXPECT_EQ(Qz_InvertImageFunc(document), 1);
  for (int32_t x = 0; x < 5; ++x) {
    EXPECT_EQ(document->undoG[0][x], 255 - 10 * x);
    EXPECT_EQ(document->g[0][x], 255 - 10 * x) << "the background is copied back";
  }
}

TEST_F(ImageTest, UndoCopiesClipAtTheEdges) {
  Qz_Image* document = Make(kQzDocument, 6, 4, 8);
  FillPlane(document->undoGrey, 6, 4, [](int32_t x, int32_t y) { return uint8_t(1 + x + 10 * y); });
  struct Case {
    const char* name;
    int32_t x0, y0, x1, y1, dx, dy;
    int32_t expectedResult;
  };
  const Case cases[] = {
      {"whole", 0, 0, 5, 3, 0, 0, 1},
      {"moved right past the edge", 0, 0, 5, 3, 4, 0, 1},
      {"moved down past the edge", 1, 1, 5, 3, 1, 3, 1},
      {"from above the image", 0, -2, 2, 1, 0, 0, 1},
      {"one pixel", 5, 3, 5, 3, 5, 3, 1},
      {"empty", 3, 0, 2, 3, 0, 0, 0},
      {"outside", 0, 0, 2, 2, 6, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FillPlane(document->grey, 6, 4, [](int32_t, int32_t) { return uint8_t(0); });
    Qz_Plane expected = Qz_AllocImageData(6, 4, 8);
    const Rect r{c.dx, c.dy, c.x0, c.y0, c.x1 - c.x0 + 1, c.y1 - c.y0 + 1};
    Reference(expected, 6, 4, document->undoGrey, 6, 4, r,
              [](uint8_t, uint8_t s, int32_t, int32_t) { return s; });
    EXPECT_EQ(Qz_CopyUndoToImageData(document, c.x0, c.y0, c.x1, c.y1, c.dx, c.dy),
              c.expectedResult);
    EXPECT_EQ(PlaneBytes(document->grey, 6, 4), PlaneBytes(expected, 6, 4));
    Qz_FreeImageData(expected);
  }
  // Different sizes (a resize in progress): clipped against the smaller.
  Qz_Plane small = Qz_AllocImageData(3, 2, 8);
  EXPECT_EQ(Qz__CopyPlaneRect(small, 3, 2, document->undoGrey, 6, 4, 0, 0, 5, 3, 0, 0), 1);
  EXPECT_EQ(small[1][2], document->undoGrey[1][2]);
  Qz_FreeImageData(small);
}

// An image whose storage was released stays an object (and lockable) until
// it is disposed; every operation on it must end cleanly.
TEST_F(ImageTest, ReleasedStorageIsToleratedEverywhere) {
  Qz_Image* document = Make(kQzDocument, 6, 4, 24);
  Qz_Image* layer = Make(kQzPaintLayer, 6, 4, 8);
  Qz_Image* released = Make(kQzDocument, 6, 4, 24);
  Qz_Image* releasedLayer = Make(kQzPaintLayer, 6, 4, 8);
  Qz_DeallocImage(released);
  Qz_DeallocImage(releasedLayer);
  EXPECT_EQ(released->state.load(), kQzImageReleased);
  EXPECT_EQ(released->r, nullptr);
  EXPECT_EQ(releasedLayer->spanLeast, nullptr);

  Qz_AddImageToImage(document, 0, 0, released, 0, 0, 6, 4);
  Qz_AddImageToImage(released, 0, 0, document, 0, 0, 6, 4);
  Qz_BlitImageToImage(released, 0, 0, document, 0, 0, 6, 4, 128, 0);
  Qz_BlitImageToImage(layer, 0, 0, releasedLayer, 0, 0, 6, 4, 255, 0);
  Qz__MergeImagesViaAlphaAndTrans(released, 0, 0, document, 0, 0, 6, 4, releasedLayer, 9);
  Qz_RenderRectangle(released, 0, 0, 5, 3, 4, 0x010203);
  Qz_InvertImageFunc(released);
  Qz_InvertImageFunc(releasedLayer);
  Qz_CopyUndoToImageData(released, 0, 0, 5, 3, 0, 0);
  Qz_CopyImageToUndoData(releasedLayer, 0, 0, 5, 3, 0, 0);
  Qz_ModifiedLayer(releasedLayer, 0, 0, 5, 3);
  Qz_ModifiedImageData(releasedLayer, 0, 0, 5, 3);
  Qz_Image* copy = Qz__CopyImage(releasedLayer, 0);
  ASSERT_NE(copy, nullptr);
  Qz_DisposeObject(&copy->object);
  ASSERT_EQ(Qz_LockImageA(released, kQzLockRead, nullptr), 1);
  Qz_UnlockImageA(released, kQzLockRead, nullptr);
  ASSERT_EQ(Qz_BeginNewImageSize(released, 3, 3), 1);
  ASSERT_EQ(Qz_EndNewImageSize(released, 3, 3), 1);
  EXPECT_EQ(released->width, 3);
}

}  // namespace
