// ImageMedia: the brush is the layer's source picture (or the painted image)
// sized as a percentage of its width, kept when the picture changes, and
// each dab merges the picture into the image's colour planes.
#include "image/merge_kernels.h"
#include "media_fixture.h"

namespace qztest {
namespace {

class ImageMediaTest : public MediaTest {
 protected:
  Qz_Image* Picture(int32_t width, int32_t height, uint8_t red) {
    auto* p = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
    EXPECT_NE(Qz_AllocImage(p, width, height, 24, kQzAllocNoThread, nullptr), nullptr);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) p->r[y][x] = red, p->g[y][x] = uint8_t(x), p->b[y][x] = uint8_t(y);
    pictures_.push_back(p);
    return p;
  }
  void TearDown() override {
    MediaTest::TearDown();
    for (Qz_Image* p : pictures_) Qz_DisposeObject(&p->object);
  }
  std::vector<Qz_Image*> pictures_;
};

int32_t BrushWidth(Qz_Object* m) { return int32_t(Qz_DoMethod(m, kMediaGetBrushWidth)); }

TEST_F(ImageMediaTest, TheSizeIsAPercentageOfThePictureAndIsKeptWhenThePictureChanges) {
  Qz_Object* media = Qz_CreateObject("ImageMedia");
  ASSERT_NE(media, nullptr);
  EXPECT_EQ(Qz_DoMethod(media, kMediaGetImageMode), 1u);
  Qz_Image* doc = MakeDocument(300, 200, 1, media);
  Qz_Image* layer = Layer(doc);
  layer->firstSource = Picture(200, 100, 50);
  Send(media, kStrokeDab, doc, layer, 1, 0, {10, 10});
  EXPECT_EQ(BrushWidth(media), 200);
  Qz_DoMethod(media, kMediaSize, 50u);
  EXPECT_EQ(BrushWidth(media), 100);
  EXPECT_EQ(Qz_DoMethod(media, kMediaGetSizeValue), 50u);  // what a preset stores
  layer->firstSource = Picture(60, 30, 90);
  Send(media, kStrokeDab, doc, layer, 1, 0, {10, 10});
  EXPECT_EQ(BrushWidth(media), 30);  // 50 % again, not 50 % of 100 pixels
  layer->firstSource = nullptr;      // no source: the image itself
  Send(media, kStrokeDab, doc, layer, 1, 0, {10, 10});
  EXPECT_EQ(BrushWidth(media), 150);
}

TEST_F(ImageMediaTest, AWeakPenStillPaintsAndEveryCornerStaysInBounds) {
  Qz_Object* media = Qz_CreateObject("ImageMedia");
  Qz_DoMethod(media, kMediaPressure, 255u);
  Qz_Image* doc = MakeDocument(40, 30, 1, media);
  Qz_Image* layer = Layer(doc);
  Qz_Image* picture = Picture(8, 8, 200);
  layer->firstSource = picture;
  const uint32_t noPressure[1] = {0};
  Send(media, kStrokeDab, doc, layer, 1, 0, {20, 15}, noPressure);
  // Tablet 0 is strength 88 of 255; the brush is the picture at full size.
  uint8_t expected = 0;
  const uint8_t red = 200;
  qz::scalarMergeKernels().mergeBytes(&expected, &red, 1, 88);
  EXPECT_EQ(doc->r[15][20], expected);
  EXPECT_NE(expected, 0);
  for (auto [x, y] : {std::pair{0, 0}, {39, 0}, {0, 29}, {39, 29}, {-3, 40}})
    Send(media, kStrokeDab, doc, layer, 1, 0, {x, y});
  EXPECT_EQ(doc->r[0][0], 200);
  EXPECT_EQ(doc->r[29][39], 200);
}

}  // namespace
}  // namespace qztest
