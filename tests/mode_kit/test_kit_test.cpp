// The test kit catches what it is for: a mode that reads its secondary
// picture or its layer's own planes beyond what it may, and a mode whose
// output depends on how rows are cut; it attaches secondary pictures and
// counts re-render requests.
#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include "compositor/compositor_kit.h"
#include "modes/mode_fetch.h"

namespace {

using qz::modes::SecondaryPicture;
using qz::modes::SpareFetch;
using qztest::Document;
using qztest::Rgb;

Rgb Background(int32_t x, int32_t y) { return {uint8_t(x * 7 + y), uint8_t(y * 3), uint8_t(x)}; }
Rgb PicturePixel(int32_t x, int32_t y) { return {uint8_t(x * 5 + 1), uint8_t(y + 40), uint8_t(x ^ y)}; }
uint8_t Opaque(int32_t, int32_t) { return 255; }

// Reads the picture's own planes one column right of what it fetched.
QzWord PictureOverRead(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message->block;
  const SecondaryPicture picture(block);
  SpareFetch fetch(picture, picture.fetchRect(block->x0, block->y0, block->x1, block->y1));
  if (!fetch.ok()) return 1;
  const int32_t py = picture.pictureY(block->y0);
  for (int32_t x = block->x0; x <= block->x1; ++x)
    message->r[0][x - block->x0] = picture.image()->r[py][picture.pictureX(x) + 1];
  return 1;
}

// Reads the layer's transparency one column left of the block.
QzWord LayerOverRead(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message->block;
  const Qz_Image* layer = block->layer;
  const int32_t ly = block->y0 - layer->placement.layerY;
  for (int32_t x = block->x0; x <= block->x1; ++x)
    message->r[0][x - block->x0] = layer->grey[ly][x - layer->placement.layerX - 1];
  return 1;
}

// Writes the run's first column: its output depends on the cut.
QzWord RunStart(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message->block;
  for (int32_t x = block->x0; x <= block->x1; ++x) message->r[0][x - block->x0] = uint8_t(block->x0);
  return 1;
}

const qz::kit::ClassDecl kModes[] = {
    {.name = "PictureOverReadMode", .superName = "RootMode", .classId = 0x8F50000,
     .handler = qz::modes::renderHandler<PictureOverRead>},
    {.name = "LayerOverReadMode", .superName = "RootMode", .classId = 0x8F50000,
     .handler = qz::modes::renderHandler<LayerOverRead>},
    {.name = "RunStartMode", .superName = "RootMode", .classId = 0x8F50000,
     .handler = qz::modes::renderHandler<RunStart>},
};

// The kit's failures are caught by statements that see no locals.
Document* gDoc = nullptr;
Qz_Image* gLayer = nullptr;

class TestKit : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const auto& decl : kModes) ASSERT_EQ(qz::kit::addClass(decl), 1u);
  }
  static void TearDownTestSuite() {
    for (const auto& decl : kModes) qz::kit::removeClass(decl);
  }
  void TearDown() override { gDoc = nullptr, gLayer = nullptr; }
};

TEST_F(TestKit, AttachesASecondaryPictureAtAnOffset) {
  Document doc(40, 20, Background);
  Document picture(12, 6, PicturePixel);
  Qz_Image* layer = doc.AddPaintLayer("Multiply", {1, 2, 3}, 5, 4, 30, 15, Opaque);
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, picture.image, -3, 2);
  EXPECT_EQ(layer->secondSource, picture.image);
  EXPECT_EQ(layer->placement.secondX, -3);
  EXPECT_EQ(layer->placement.secondY, 2);
  EXPECT_EQ(layer->placement.secondWidth, 12);
  doc.Composite();  // a pass holds the picture locked for reading and lets it go
  doc.AttachSecondary(layer, nullptr, 0, 0);
  EXPECT_EQ(layer->secondSource, nullptr);
}

TEST_F(TestKit, StrictRenderCatchesAReadOfThePictureBeyondItsFetch) {
  Document doc(40, 20, Background);
  Document picture(30, 10, PicturePixel);
  gDoc = &doc;
  gLayer = doc.AddPaintLayer("PictureOverRead", {0, 0, 0}, 2, 1, 30, 15, Opaque);
  ASSERT_NE(gLayer, nullptr);
  doc.AttachSecondary(gLayer, picture.image, 1, 0);
  EXPECT_NONFATAL_FAILURE(qztest::StrictRender(*gDoc, gLayer, 5, 12, 3, 3), "did not ask for");
  // The picture's pixels are back as they were.
  EXPECT_EQ(picture.image->r[2][15], PicturePixel(15, 2)[0]);
}

TEST_F(TestKit, StrictRenderCatchesAReadOfTheLayerOffTheBlock) {
  Document doc(40, 20, Background);
  gDoc = &doc;
  gLayer = doc.AddPaintLayer("LayerOverRead", {0, 0, 0}, 2, 1, 30, 15,
                             [](int32_t x, int32_t y) { return uint8_t(x * 11 + y); });
  ASSERT_NE(gLayer, nullptr);
  EXPECT_NONFATAL_FAILURE(qztest::StrictRender(*gDoc, gLayer, 5, 12, 3, 3), "did not ask for");
  EXPECT_EQ(gLayer->grey[2][6], 6 * 11 + 2);
}

TEST_F(TestKit, TheCutCheckCatchesOutputThatDependsOnTheRuns) {
  Document doc(230, 12, Background);
  gDoc = &doc;
  ASSERT_NE(doc.AddPaintLayer("RunStart", {0, 0, 0}, 0, 0, 230, 12, qztest::GappedAlpha), nullptr);
  EXPECT_NONFATAL_FAILURE(qztest::ExpectSameHoweverCut(*gDoc), "workers");
}

TEST_F(TestKit, TheCutCheckWantsRowsThatSplitIntoRuns) {
  Document doc(50, 6, Background);
  gDoc = &doc;
  ASSERT_NE(doc.AddPaintLayer("Multiply", {9, 9, 9}, 0, 0, 50, 6, Opaque), nullptr);
  EXPECT_NONFATAL_FAILURE(qztest::ExpectSameHoweverCut(*gDoc), "split into runs");
}

TEST_F(TestKit, CountsRerenderRequestsPerDocument) {
  Document one(8, 4, Background), two(8, 4, Background);
  Qz_Image* a = one.AddPaintLayer("Multiply", {1, 1, 1}, 0, 0, 8, 4, Opaque);
  Qz_Image* b = two.AddPaintLayer("Multiply", {1, 1, 1}, 0, 0, 8, 4, Opaque);
  ASSERT_TRUE(a && b);
  qztest::RerenderCounter counter;
  Qz_DoMethod(a->mode, kQzModeSetAmount, 5);
  Qz_DoMethod(b->mode, kQzModeSetAmount, 5);
  Qz_DoMethod(b->mode, kQzModeChanged);
  EXPECT_EQ(counter.Count(), 3u);
  EXPECT_EQ(counter.Count(one.image), 1u);
  EXPECT_EQ(counter.Count(two.image), 2u);
  counter.Reset();
  EXPECT_EQ(counter.Count(), 0u);
}

}  // namespace
