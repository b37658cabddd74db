// Saving the program's own document in the native format: the document's
// background, its layers with their settings, an image layer's mask, paint
// layer and source images, and the thumbnail within the program's limits.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <vector>

#include "image/qz_image.h"
#include "objects/qz_object.h"
#include "qzio/native_block.h"
#include "qzio/qzio.h"
#include "qzio/tiff_tags.h"
#include "qzio_test_env.h"

namespace {

void Fill(Qz_Plane plane, int32_t w, int32_t h, int seed) {
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) plane[y][x] = uint8_t(seed + x * 11 + y * 29);
}

std::vector<uint8_t> Bytes(Qz_Plane plane, int32_t w, int32_t h) {
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < h; ++y) out.insert(out.end(), plane[y], plane[y] + w);
  return out;
}

std::vector<uint8_t> Bytes(const uint8_t* plane, uint32_t stride, uint32_t w, uint32_t h) {
  std::vector<uint8_t> out;
  for (uint32_t y = 0; y < h; ++y) out.insert(out.end(), plane + y * stride, plane + y * stride + w);
  return out;
}

QZIO_ImageBuffer* LayerAt(QZIO_ImageBuffer* b, int n) {
  Node* node = b->layers.lh_Head;
  for (int i = 0; i < n && node->ln_Succ; ++i) node = node->ln_Succ;
  return node->ln_Succ ? reinterpret_cast<QZIO_ImageBuffer*>(node) : nullptr;
}

class NativeImageTest : public ::testing::Test {
 protected:
  NativeImageTest() : library_({"Quillantrix"}) {}
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
  }
  void TearDown() override {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) Qz_DisposeObject(&(*it)->object);
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
  Qz_Image* Make(int32_t type, int32_t w, int32_t h, int32_t depth, bool owned = true) {
    auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, type));
    if (!image) return nullptr;
    if (!Qz_AllocImage(image, w, h, depth, kQzAllocNoThread, nullptr)) {
      Qz_DisposeObject(&image->object);
      return nullptr;
    }
    if (owned) made_.push_back(image);
    return image;
  }
  qztest::QzioLibrary library_;
  std::vector<Qz_Image*> made_;
};

TEST_F(NativeImageTest, DocumentWithLayersRoundTrips) {
  Qz_ImageBase* base = Qz_GetImageBase();
  base->thumbnailWidth = 80;
  base->thumbnailHeight = 80;

  Qz_Image* doc = Make(kQzDocument, 64, 48, 24);
  ASSERT_NE(doc, nullptr);
  ASSERT_NE(doc->undoR, nullptr);
  Fill(doc->undoR, 64, 48, 1), Fill(doc->undoG, 64, 48, 2), Fill(doc->undoB, 64, 48, 3);
  Fill(doc->r, 64, 48, 50), Fill(doc->g, 64, 48, 60), Fill(doc->b, 64, 48, 70);

  Qz_Image* paint = Make(kQzPaintLayer, 7, 5, 8, false);
  ASSERT_NE(paint, nullptr);
  Fill(paint->grey, 7, 5, 9);
  paint->placement.layerX = -3;
  paint->placement.layerY = 12;
  paint->placement.firstSourceHeight = 77;
  paint->opacity = 128;
  paint->blend[4] = 99;
  paint->edgeShape = 3, paint->edgeSize = 31, paint->edgeSoftness = 49, paint->edgeInvert = 1;
  paint->committedColour[0] = 10, paint->committedColour[1] = 20, paint->committedColour[2] = 30;
  Qz_DoMethod(&doc->object, kQzImageAddLayer, paint);

  Qz_Image* image = Make(kQzImageLayer, 10, 6, 24, false);
  ASSERT_NE(image, nullptr);
  Fill(image->undoR, 10, 6, 100), Fill(image->undoG, 10, 6, 110), Fill(image->undoB, 10, 6, 120);
  if (!image->inner) {
    image->inner = Make(kQzPaintLayer, 10, 6, 8, false);
    image->inner->parent = image;
  }
  Fill(image->inner->grey, 10, 6, 130);
  Qz_Image* sub = Make(kQzPaintLayer, 10, 6, 8, false);
  Fill(sub->grey, 10, 6, 140);
  Qz_DoMethod(&image->object, kQzImageAddLayer, sub);
  ASSERT_EQ(image->paintLayer, sub);
  Qz_Image* source = Make(kQzDocument, 4, 3, 24);
  Fill(source->r, 4, 3, 150), Fill(source->g, 4, 3, 160), Fill(source->b, 4, 3, 170);
  Qz_Image* second = Make(kQzPaintLayer, 5, 2, 8);
  Fill(second->grey, 5, 2, 180);
  image->firstSource = source;
  image->secondSource = second;
  Qz_DoMethod(&doc->object, kQzImageAddLayer, image);

  // The program's saver hands a buffer made over the document.
  QZIO_ImageBuffer* buffer = QZIO_AllocBuffer(64, 48, 24, 0, kQzioFormatRGBPlanes);
  buffer->sourceImage = doc;
  QZIO_Header h{};
  h.buffer = buffer;
  uint32_t flags = kQzioQuiet;
  const std::string path = library_.dir().file("doc.qls");
  ASSERT_EQ(QZIO_SaveBufferA(&h, path.c_str(), "Quillantrix", nullptr, &flags), 1u);
  image->firstSource = image->secondSource = nullptr;
  QZIO_FreeBuffer(buffer);

  // The directories, and the thumbnail within the program's limits.
  TIFF* tif = QZIO_TiffTagsOpen(path.c_str(), "rm");
  ASSERT_NE(tif, nullptr);
  std::vector<std::pair<uint32_t, uint32_t>> dirs;
  uint32_t thumbW = 0, thumbH = 0;
  do {
    uint32_t count = 0;
    void* data = nullptr;
    QZIO_LayerSettings s;
    std::string text;
    ASSERT_EQ(TIFFGetField(tif, qzio::native::kBlockTag, &count, &data), 1);
    ASSERT_TRUE(qzio::native::DecodeBlock(static_cast<uint8_t*>(data), count, &s, &text));
    dirs.emplace_back(s.kind, s.layerIndex);
    if (s.kind == 8) {
      TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &thumbW);
      TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &thumbH);
    }
  } while (TIFFReadDirectory(tif) == 1);
  QZIO_TiffTagsClose(tif);
  const std::vector<std::pair<uint32_t, uint32_t>> expect = {{1, 0}, {8, 0}, {2, 0}, {3, 0},
                                                             {4, 1}, {5, 1}, {6, 1}, {7, 1}};
  EXPECT_EQ(dirs, expect);
  EXPECT_EQ(thumbW, 80u);
  EXPECT_EQ(thumbH, 60u);

  uint32_t result = 0;
  QZIO_ImageBuffer* back = QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE);
  ASSERT_EQ(result, 1u);
  // The document's background is what the file keeps of the document.
  EXPECT_EQ(Bytes(back->red, back->bytesPerRow, 64, 48), Bytes(doc->undoR, 64, 48));
  EXPECT_EQ(Bytes(back->blue, back->bytesPerRow, 64, 48), Bytes(doc->undoB, 64, 48));

  QZIO_ImageBuffer* p = LayerAt(back, 0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Bytes(p->grey, p->bytesPerRow, 7, 5), Bytes(paint->grey, 7, 5));
  EXPECT_EQ(int16_t(p->settings.placement[0]), -3);
  EXPECT_EQ(p->settings.placement[1], 12);
  EXPECT_EQ(p->settings.placement[17], 77);
  EXPECT_EQ(p->settings.opacity, 128);
  EXPECT_EQ(p->settings.blend[4], 99);
  EXPECT_EQ(p->settings.blend[0], 256);
  EXPECT_EQ(p->settings.edgeMaskShape, 3u);
  EXPECT_EQ(p->settings.edgeMaskSize, 31u);
  EXPECT_EQ(p->settings.edgeMaskSoftness, 49u);
  EXPECT_EQ(p->settings.edgeMaskInvert, 1u);
  EXPECT_EQ(p->settings.green, 20);

  QZIO_ImageBuffer* i = LayerAt(back, 1);
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(Bytes(i->green, i->bytesPerRow, 10, 6), Bytes(image->undoG, 10, 6));
  ASSERT_NE(i->mask, nullptr);
  EXPECT_EQ(Bytes(i->mask->grey, i->mask->bytesPerRow, 10, 6), Bytes(image->inner->grey, 10, 6));
  QZIO_ImageBuffer* s = LayerAt(i, 0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(Bytes(s->grey, s->bytesPerRow, 10, 6), Bytes(sub->grey, 10, 6));
  ASSERT_NE(s->firstAttached, nullptr);
  EXPECT_EQ(Bytes(s->firstAttached->blue, s->firstAttached->bytesPerRow, 4, 3), Bytes(source->b, 4, 3));
  ASSERT_NE(s->secondAttached, nullptr);
  EXPECT_EQ(Bytes(s->secondAttached->red, s->secondAttached->bytesPerRow, 5, 2), Bytes(second->grey, 5, 2));
  QZIO_FreeBuffer(back);
}

TEST_F(NativeImageTest, MaskLayoutsReadTheActiveLayersFirstSource) {
  Qz_Image* doc = Make(kQzDocument, 6, 4, 24);
  Qz_Image* layer = Make(kQzPaintLayer, 6, 4, 8, false);
  Qz_DoMethod(&doc->object, kQzImageAddLayer, layer);
  ASSERT_EQ(doc->activeLayer, layer);
  Qz_Image* mask = Make(kQzDocument, 3, 2, 24);
  Fill(mask->g, 3, 2, 40);
  // The mask sits at the layer's offset plus the first source rectangle's corner.
  layer->placement.layerX = 1, layer->placement.firstX = 1;
  layer->placement.layerY = 2, layer->placement.firstY = -1;
  QZIO_ImageBuffer* b = QZIO_AllocBuffer(6, 4, 24, 0, kQzioFormatRGBPlanes);
  b->sourceImage = doc;
  struct Case {
    const char* name;
    uint32_t layout;
    bool maskIsGrey;
  };
  const Case cases[] = {{"mask", kQzioLayoutRGBMask, false},
                        {"inverse mask", kQzioLayoutRGBInverseMask, false},
                        {"an 8-bit mask gives 0", kQzioLayoutRGBMask, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    layer->firstSource = c.maskIsGrey ? Make(kQzPaintLayer, 3, 2, 8) : mask;
    std::vector<uint8_t> px(6 * 4 * 4);
    ASSERT_EQ(QZIO_GetBufferData(b, 0, 0, 6, 4, 24, c.layout, px.data()), 1);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 6; ++x) {
        const bool inside = !c.maskIsGrey && x >= 2 && x < 5 && y >= 1 && y < 3;
        const uint8_t m = inside ? mask->g[y - 1][x - 2] : 0;
        EXPECT_EQ(px[(y * 6 + x) * 4 + 3], c.layout == kQzioLayoutRGBMask ? m : uint8_t(255 - m)) << x << "," << y;
      }
    }
  }
  layer->firstSource = nullptr;
  QZIO_FreeBuffer(b);
}

}  // namespace
