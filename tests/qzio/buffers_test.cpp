// Image buffers: allocation sizes, the pixel layouts in and out, conversion
// to three planes, layers and release of a whole tree.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "qzio/qzio.h"
#include "qzio_test_env.h"

namespace {

using qztest::Ui;

struct BufferDeleter {
  void operator()(QZIO_ImageBuffer* b) const { QZIO_FreeBuffer(b); }
};
using BufferPtr = std::unique_ptr<QZIO_ImageBuffer, BufferDeleter>;

class BufferTest : public ::testing::Test {
 protected:
  void SetUp() override { qztest::InstallRecordingHooks(); }
  void TearDown() override { qzio::SetUiHooks(nullptr); }
};

TEST_F(BufferTest, BytesPerRowAndRefusedFormats) {
  struct Case {
    const char* name;
    uint32_t width, depth, format;
    uint32_t bytesPerRow;  // 0: allocation fails
  };
  const Case cases[] = {
      {"bitplanes w1", 1, 1, kQzioFormatBitplanes, 2},
      {"bitplanes w17", 17, 3, kQzioFormatBitplanes, 4},
      {"bitplanes w16", 16, 8, kQzioFormatBitplanes, 2},
      {"planes w65", 65, 24, kQzioFormatRGBPlanes, 128},
      {"planes w64", 64, 24, kQzioFormatRGBPlanes, 64},
      {"interleaved w1", 1, 24, kQzioFormatInterleaved, 64},
      {"interleaved w22", 22, 24, kQzioFormatInterleaved, 128},
      {"grey w3", 3, 8, kQzioFormatGrey, 64},
      {"indexed w100", 100, 8, kQzioFormatIndexed, 128},
      {"four planes w1", 1, 32, kQzioFormatFourPlanes, 64},
      {"format 0", 4, 8, 0, 0},
      {"format 2", 4, 8, 2, 0},
      {"format 5", 4, 8, 5, 0},
      {"format 6", 4, 8, 6, 0},
      {"format 7", 4, 8, 7, 0},
      {"format 10", 4, 8, 10, 0},
      {"format 12", 4, 8, 12, 0},
      {"format 14", 4, 8, 14, 0},
      {"packed without row size", 4, 32, kQzioFormatPacked, 0},
      {"bitplanes depth 33", 4, 33, kQzioFormatBitplanes, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ui().boxes.clear();
    BufferPtr b(QZIO_AllocBuffer(c.width, 3, c.depth, 0, c.format));
    if (c.bytesPerRow == 0) {
      EXPECT_EQ(b, nullptr);
      ASSERT_EQ(Ui().boxes.size(), 1u);  // the out-of-memory box, once
      EXPECT_EQ(Ui().boxes[0], QZIO_ErrorText(kQzioNoMemory));
    } else {
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(b->bytesPerRow, c.bytesPerRow);
      EXPECT_TRUE(Ui().boxes.empty());
    }
  }
}

TEST_F(BufferTest, EveryFormatHoldsItsPixelsAndRowsDoNotOverlap) {
  // Fill the last byte of every row in every plane and check that no write
  // lands in another row or plane, then convert where a conversion exists.
  struct Case {
    uint32_t format, depth;
    bool converts;
  };
  const Case cases[] = {{kQzioFormatRGBPlanes, 24, false}, {kQzioFormatInterleaved, 24, false},
                        {kQzioFormatBitplanes, 3, true},   {kQzioFormatBitplanes, 24, true},
                        {kQzioFormatGrey, 8, true},        {kQzioFormatIndexed, 8, true},
                        {kQzioFormatFourPlanes, 32, true}};
  const uint32_t w = 9, h = 5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format * 100 + c.depth);
    BufferPtr b(QZIO_AllocBuffer(w, h, c.depth, 0, c.format));
    ASSERT_NE(b, nullptr);
    for (uint32_t i = 0; i < 256; ++i) b->colourmap[i] = (i * 3) | ((i * 5 & 255) << 8) | ((255 - i) << 16);
    // Expected RGB per pixel, filled as each layout stores it.
    std::vector<uint8_t> expect(w * h * 3);
    for (uint32_t y = 0; y < h; ++y) {
      for (uint32_t x = 0; x < w; ++x) {
        const uint8_t v = uint8_t(x * 13 + y * 7 + 1);
        uint8_t* e = &expect[(y * w + x) * 3];
        const size_t o = size_t(y) * b->bytesPerRow;
        switch (c.format) {
          case kQzioFormatRGBPlanes:
            b->red[o + x] = v, b->green[o + x] = v ^ 1, b->blue[o + x] = v ^ 2;
            break;
          case kQzioFormatInterleaved:
            b->interleaved[o + x * 3] = v;
            break;
          case kQzioFormatGrey:
            b->grey[o + x] = v, e[0] = e[1] = e[2] = v;
            break;
          case kQzioFormatIndexed: {
            b->index[o + x] = v;
            const uint32_t m = b->colourmap[v];
            e[0] = uint8_t(m), e[1] = uint8_t(m >> 8), e[2] = uint8_t(m >> 16);
            break;
          }
          case kQzioFormatFourPlanes:
            b->fourPlanes[0][o + x] = v, b->fourPlanes[3][o + x] = 0xEE;
            e[0] = e[1] = e[2] = v;
            break;
          case kQzioFormatBitplanes: {
            const uint32_t bits = v & ((c.depth >= 24) ? 0xFFFFFFu : ((1u << c.depth) - 1));
            uint32_t value = 0;
            for (uint32_t p = 0; p < c.depth; ++p) {
              if (x % 2 == 0 || p % 3 == 0) {
                if ((bits >> (p % 8)) & 1) {
                  b->bitplanes[p][o + x / 8] |= uint8_t(0x80 >> (x & 7));
                  value |= 1u << p;
                }
              }
            }
            if (c.depth <= 8) {
              const uint32_t m = b->colourmap[value];
              e[0] = uint8_t(m), e[1] = uint8_t(m >> 8), e[2] = uint8_t(m >> 16);
            } else {
              e[0] = uint8_t(value), e[1] = uint8_t(value >> 8), e[2] = uint8_t(value >> 16);
            }
            break;
          }
        }
      }
    }
    BufferPtr planes(QZIO_ConvertBufferFormat(b.get(), kQzioFormatRGBPlanes));
    if (!c.converts) {
      EXPECT_EQ(planes, nullptr);
      continue;
    }
    ASSERT_NE(planes, nullptr);
    EXPECT_EQ(planes->format, kQzioFormatRGBPlanes);
    EXPECT_EQ(planes->depth, c.format == kQzioFormatGrey ? 8u : 24u);
    EXPECT_EQ(qztest::RgbBytes(planes.get()), expect);
    // Only three planes are ever produced.
    EXPECT_EQ(QZIO_ConvertBufferFormat(b.get(), kQzioFormatGrey), nullptr);
  }
}

TEST_F(BufferTest, StoreLayoutsIntoPlanes) {
  struct Case {
    const char* name;
    uint32_t layout;
    std::vector<uint8_t> source;  // one row
    uint32_t width;
    std::vector<uint8_t> rgb;     // expected R, G, B per pixel
  };
  const Case cases[] = {
      {"rgb", kQzioLayoutRGB, {1, 2, 3, 4, 5, 6}, 2, {1, 2, 3, 4, 5, 6}},
      {"rgbx", kQzioLayoutRGBX, {1, 2, 3, 99, 4, 5, 6, 99}, 2, {1, 2, 3, 4, 5, 6}},
      {"565 white", kQzioLayoutRGB565, {0xFF, 0xFF}, 1, {255, 255, 255}},
      {"565 0x0841", kQzioLayoutRGB565, {0x41, 0x08}, 1, {8, 8, 8}},
      {"565 0x0020", kQzioLayoutRGB565, {0x20, 0x00}, 1, {0, 4, 0}},
      {"grey", kQzioLayoutGrey, {7, 200}, 2, {7, 7, 7, 200, 200, 200}},
      {"index", kQzioLayoutIndex, {5}, 1, {0x11, 0x22, 0x33}},
      {"bgr", kQzioLayoutBGR, {3, 2, 1}, 1, {1, 2, 3}},
      {"bgrx", kQzioLayoutBGRX, {3, 2, 1, 0}, 1, {1, 2, 3}},
      {"xbgr", kQzioLayoutXBGR, {0, 3, 2, 1}, 1, {1, 2, 3}},
      {"nibbles odd width", kQzioLayoutNibbles, {0x56, 0x5F}, 3, {0x11, 0x22, 0x33, 0, 0, 6, 0x11, 0x22, 0x33}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BufferPtr b(QZIO_AllocBuffer(c.width, 1, 24, 0, kQzioFormatRGBPlanes));
    ASSERT_NE(b, nullptr);
    b->colourmap[5] = 0x11 | 0x22 << 8 | 0x33 << 16;
    b->colourmap[6] = 6 << 16;
    ASSERT_EQ(QZIO_SetBufferData(b.get(), 0, 0, c.width, 1, 0, c.layout, c.source.data()), 1);
    EXPECT_EQ(qztest::RgbBytes(b.get()), c.rgb);
  }
}

TEST_F(BufferTest, ReadLayoutsAndRefusals) {
  BufferPtr b(qztest::MakePattern(5, 4));
  ASSERT_NE(b, nullptr);
  const size_t o = 2 * b->bytesPerRow + 3;  // pixel (3, 2)
  uint8_t px[4] = {9, 9, 9, 9};
  ASSERT_EQ(QZIO_GetBufferData(b.get(), 3, 2, 1, 1, 4, kQzioLayoutRGBX, px), 1);
  EXPECT_EQ(px[0], b->red[o]);
  EXPECT_EQ(px[3], 9);  // left as it was
  ASSERT_EQ(QZIO_GetBufferData(b.get(), 3, 2, 1, 1, 3, kQzioLayoutBGR, px), 1);
  EXPECT_EQ(px[0], b->blue[o]);
  EXPECT_EQ(px[2], b->red[o]);
  ASSERT_EQ(QZIO_GetBufferData(b.get(), 3, 2, 1, 1, 1, kQzioLayoutIndex, px), 1);
  EXPECT_EQ(px[0], b->green[o]);
  // Without a source image the mask is full: 255 in layout 16, 0 in 15.
  ASSERT_EQ(QZIO_GetBufferData(b.get(), 3, 2, 1, 1, 4, kQzioLayoutRGBMask, px), 1);
  EXPECT_EQ(px[3], 255);
  ASSERT_EQ(QZIO_GetBufferData(b.get(), 3, 2, 1, 1, 4, kQzioLayoutRGBInverseMask, px), 1);
  EXPECT_EQ(px[3], 0);

  struct Refusal {
    const char* name;
    uint32_t x, y, w, h, layout;
    bool store;
  };
  const Refusal refusals[] = {
      {"store layout 15", 0, 0, 1, 1, kQzioLayoutRGBInverseMask, true},
      {"read layout 7", 0, 0, 1, 1, kQzioLayoutRGB565, false},
      {"read layout 9", 0, 0, 1, 1, kQzioLayoutGrey, false},
      {"store past the right edge", 4, 0, 2, 1, kQzioLayoutRGB, true},
      {"read past the bottom", 0, 3, 1, 2, kQzioLayoutRGB, false},
      {"store at a huge x", 0xFFFFFFF0u, 0, 0x20, 1, kQzioLayoutRGB, true},
  };
  std::vector<uint8_t> big(64, 0);
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.name);
    const std::vector<uint8_t> before = qztest::RgbBytes(b.get());
    const int32_t answer = r.store ? QZIO_SetBufferData(b.get(), r.x, r.y, r.w, r.h, 8, r.layout, big.data())
                                   : QZIO_GetBufferData(b.get(), r.x, r.y, r.w, r.h, 8, r.layout, big.data());
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(qztest::RgbBytes(b.get()), before);
  }
  // An empty rectangle is done at once.
  EXPECT_EQ(QZIO_SetBufferData(b.get(), 0, 0, 0, 0, 0, kQzioLayoutRGB, nullptr), 1);
}

TEST_F(BufferTest, GreyAndIndexBuffersTakeTheirOwnLayout) {
  BufferPtr grey(QZIO_AllocBuffer(3, 2, 8, 0, kQzioFormatGrey));
  ASSERT_NE(grey, nullptr);
  const uint8_t rows[] = {1, 2, 3, 0, 4, 5, 6, 0};
  EXPECT_EQ(QZIO_SetBufferData(grey.get(), 0, 0, 3, 2, 4, kQzioLayoutRGB, rows), 0);
  ASSERT_EQ(QZIO_SetBufferData(grey.get(), 0, 0, 3, 2, 4, kQzioLayoutGrey, rows), 1);
  EXPECT_EQ(grey->grey[grey->bytesPerRow + 2], 6);
  // Grey documents reach savers as grey buffers: they read as R = G = B.
  EXPECT_EQ(qztest::RgbBytes(grey.get()), (std::vector<uint8_t>{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6}));

  BufferPtr index(QZIO_AllocBuffer(2, 1, 8, 0, kQzioFormatIndexed));
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(QZIO_SetBufferData(index.get(), 0, 0, 2, 1, 2, kQzioLayoutGrey, rows), 0);
  ASSERT_EQ(QZIO_SetBufferData(index.get(), 0, 0, 2, 1, 2, kQzioLayoutIndex, rows), 1);
  EXPECT_EQ(index->index[1], 2);
  uint8_t out[8];
  EXPECT_EQ(QZIO_GetBufferData(index.get(), 0, 0, 1, 1, 3, kQzioLayoutRGB, out), 0);
}

TEST_F(BufferTest, LayersMasksAndAttachedBuffersGoWithTheirOwner) {
  BufferPtr doc(QZIO_AllocBuffer(8, 8, 24, 0, kQzioFormatRGBPlanes));
  ASSERT_NE(doc, nullptr);
  QZIO_ImageBuffer* plain = QZIO_AddLayer(doc.get(), 4, 3, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
  QZIO_ImageBuffer* masked = QZIO_AddLayer(doc.get(), 5, 6, 24, kQzioFormatRGBPlanes, kQzioMaskedLayer, 0);
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(masked, nullptr);
  EXPECT_EQ(plain->mask, nullptr);
  ASSERT_NE(masked->mask, nullptr);
  EXPECT_EQ(masked->mask->format, kQzioFormatGrey);
  EXPECT_EQ(masked->mask->width, 5u);
  EXPECT_EQ(masked->mask->height, 6u);
  EXPECT_EQ(QZIO_AddLayer(doc.get(), 4, 4, 8, kQzioFormatGrey, 3, 0), nullptr);
  EXPECT_EQ(QZIO_AddLayer(nullptr, 4, 4, 8, kQzioFormatGrey, 1, 0), nullptr);
  // Lowest first, and kind 3 left the list alone.
  EXPECT_EQ(reinterpret_cast<QZIO_ImageBuffer*>(doc->layers.lh_Head), plain);
  EXPECT_EQ(reinterpret_cast<QZIO_ImageBuffer*>(plain->node.ln_Succ), masked);
  EXPECT_EQ(masked->node.ln_Succ->ln_Succ, nullptr);
  // A sub-layer with attached buffers and settings text: all freed with the
  // document (the sanitizer build checks nothing leaks or is freed twice).
  QZIO_ImageBuffer* sub = QZIO_AddLayer(masked, 2, 2, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
  ASSERT_NE(sub, nullptr);
  sub->firstAttached = QZIO_AllocBuffer(2, 2, 24, 0, kQzioFormatRGBPlanes);
  sub->secondAttached = QZIO_AllocBuffer(2, 2, 24, 0, kQzioFormatRGBPlanes);
  sub->settings.modeText = static_cast<char*>(calloc(1, 8));
  // Freeing a layer on its own unlinks it from its owner.
  QZIO_FreeBuffer(plain);
  EXPECT_EQ(reinterpret_cast<QZIO_ImageBuffer*>(doc->layers.lh_Head), masked);
  QZIO_FreeBuffer(nullptr);
}

TEST_F(BufferTest, GreyRampColourmap) {
  BufferPtr b(QZIO_AllocBuffer(1, 1, 8, 0, kQzioFormatIndexed));
  ASSERT_NE(b, nullptr);
  b->colourmap[200] = 0x123456;
  EXPECT_EQ(QZIO_ComputeBestColourmapA(b.get(), 16, 0, nullptr), 1);
  EXPECT_EQ(b->colourmap[0], 0u);
  EXPECT_EQ(b->colourmap[15], 0x0F0F0Fu);
  EXPECT_EQ(b->colourmap[200], 0x123456u);  // beyond n: untouched
}

}  // namespace
