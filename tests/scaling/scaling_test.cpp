// Scaling: nearest and smooth resampling by table, the in-place scaling with
// its size rules, and the undoable scaling through the undo list.
#include <gtest/gtest.h>

#include <vector>

#include "actions/qz_actions.h"
#include "app/class_registration.h"
#include "image/qz_scaling.h"

namespace {

class ScalingEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), Qz_GetGlobalData()), 0u);
  }
  void TearDown() override {
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Actions));
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ScalingEnvironment);

Qz_Image* Grey(int32_t w, int32_t h, const std::vector<uint8_t>& pixels) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  if (!image || !Qz_AllocImage(image, w, h, 8, kQzAllocNoThread, nullptr)) return nullptr;
  for (int32_t y = 0; y < h && !pixels.empty(); ++y)
    for (int32_t x = 0; x < w; ++x) image->grey[y][x] = pixels[size_t(y * w + x)];
  return image;
}

std::vector<uint8_t> Pixels(Qz_Plane plane, int32_t w, int32_t h) {
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < h; ++y) out.insert(out.end(), plane[y], plane[y] + w);
  return out;
}

TEST(Scaling, ResamplesByTable) {
  struct Case {
    const char* name;
    int32_t sw, sh;
    std::vector<uint8_t> src;
    int32_t dw, dh;
    uint32_t flags;
    std::vector<uint8_t> expected;
  };
  const Case cases[] = {
      {"identity, nearest", 2, 2, {1, 2, 3, 4}, 2, 2, 0, {1, 2, 3, 4}},
      {"2x up, nearest repeats blocks", 2, 2, {1, 2, 3, 4}, 4, 4, 0,
       {1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}},
      {"2x down, nearest", 4, 2, {1, 2, 3, 4, 5, 6, 7, 8}, 2, 1, 0, {1, 3}},
      // Source i adds to (i * 2 + 15 * 4 / 16) / 4: 0 alone, then 1, 2 and 3 (clamped).
      {"2x down, smooth averages", 4, 1, {0, 100, 200, 40}, 2, 1, kQzScaleSmooth, {0, 113}},
      {"1 pixel to 3 x 2, nearest", 1, 1, {7}, 3, 2, 0, std::vector<uint8_t>(6, 7)},
      {"3 x 2 to 1 pixel", 3, 2, {10, 20, 30, 40, 50, 60}, 1, 1, kQzScaleSmooth, {35}},
      {"grow x, shrink y", 1, 2, {10, 30}, 2, 1, kQzScaleSmooth, {20, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* src = Grey(c.sw, c.sh, c.src);
    Qz_Image* dst = Grey(c.dw, c.dh, {});
    ASSERT_TRUE(src && dst);
    EXPECT_EQ(Qz__ScaleImageToImage(dst, src, c.flags), 1);
    EXPECT_EQ(Pixels(dst->grey, c.dw, c.dh), c.expected);
    Qz_DisposeObject(&src->object);
    Qz_DisposeObject(&dst->object);
  }
}

// Each weighted term is truncated, so a constant may come out up to 3 lower.
TEST(Scaling, SmoothEnlargingKeepsAConstantWithinTheTruncation) {
  Qz_Image* src = Grey(2, 2, {90, 90, 90, 90});
  Qz_Image* dst = Grey(5, 3, {});
  ASSERT_EQ(Qz__ScaleImageToImage(dst, src, kQzScaleSmooth), 1);
  for (uint8_t v : Pixels(dst->grey, 5, 3)) {
    EXPECT_LE(v, 90);
    EXPECT_GE(v, 87);
  }
  Qz_DisposeObject(&src->object);
  Qz_DisposeObject(&dst->object);
}

TEST(Scaling, ShrinkingByMoreThanASixteenthStaysInsideTheDestination) {
  for (auto [s, d] : {std::pair{100, 50}, std::pair{7, 3}, std::pair{33, 2}}) {
    SCOPED_TRACE(s);
    std::vector<uint8_t> ramp(static_cast<size_t>(s));
    for (int i = 0; i < s; ++i) ramp[size_t(i)] = uint8_t(i * 255 / (s - 1));
    Qz_Image* src = Grey(s, 1, ramp);
    Qz_Image* dst = Grey(d, 1, {});
    ASSERT_EQ(Qz__ScaleImageToImage(dst, src, kQzScaleSmooth), 1);
    EXPECT_GT(dst->grey[0][d - 1], dst->grey[0][0]);
    Qz_DisposeObject(&src->object);
    Qz_DisposeObject(&dst->object);
  }
}

TEST(Scaling, ScalesInPlaceAndUndoRestoresTheOldSize) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(Qz_AllocImage(image, 4, 4, 24, kQzAllocNoThread, nullptr), nullptr);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x) image->g[y][x] = uint8_t(16 * (y * 4 + x));
  Qz_CopyImageToUndoData(image, 0, 0, 3, 3, 0, 0);
  const auto before = Pixels(image->g, 4, 4);
  ASSERT_EQ(Qz__ScaleImage(image, 0, 8, kQzScaleNoProgress), 1);
  EXPECT_EQ(image->width, 1);
  EXPECT_EQ(image->height, 8);
  EXPECT_EQ(image->g[7][0], before[12]);
  ASSERT_EQ(Qz__ScaleImage(image, 4, 4, kQzScaleNoProgress), 1);
  Qz_CopyImageToUndoData(image, 0, 0, 3, 3, 0, 0);
  const auto flat = Pixels(image->g, 4, 4);
  ASSERT_EQ(Qz__ScaleImage(image, 2, 2, kQzScaleNoProgress | kQzScaleUndoable), 1);
  EXPECT_EQ(image->width, 2);
  ASSERT_EQ(Qz_UndoImageAction(image), 1u);
  EXPECT_EQ(image->width, 4);
  EXPECT_EQ(Pixels(image->g, 4, 4), flat);
  Qz_DisposeObject(&image->object);
}

TEST(Scaling, LayersScaleWithTheDocumentAndABreakLeavesEverythingAsItWas) {
  auto* doc = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(Qz_AllocImage(doc, 8, 6, 24, kQzAllocNoThread, nullptr), nullptr);
  auto* layer = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  layer->parent = doc;
  ASSERT_NE(Qz_AllocImage(layer, 4, 6, 8, kQzAllocNoThread, nullptr), nullptr);
  Qz_DoMethod(&doc->object, kQzImageAddLayer, layer);
  layer->placement.layerX = 2;
  layer->grey[5][3] = 200;
  const auto grey = Pixels(layer->grey, 4, 6);

  SetSignal(SIGBREAKF_CTRL_C, SIGBREAKF_CTRL_C);
  EXPECT_EQ(Qz__ScaleImage(doc, 16, 12, kQzScaleLayers), 0);
  EXPECT_EQ(doc->width, 8);
  EXPECT_EQ(layer->width, 4);
  EXPECT_EQ(Pixels(layer->grey, 4, 6), grey);

  ASSERT_EQ(Qz__ScaleImage(doc, 16, 12, kQzScaleLayers), 1);
  EXPECT_EQ(doc->width, 16);
  EXPECT_EQ(doc->height, 12);
  EXPECT_EQ(layer->width, 8);
  EXPECT_EQ(layer->height, 12);
  EXPECT_EQ(layer->placement.layerX, 4);
  EXPECT_EQ(layer->grey[11][7], 200);
  Qz_DisposeObject(&doc->object);
}

}  // namespace
