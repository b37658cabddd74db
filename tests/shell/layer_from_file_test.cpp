// A layer added from a file: the picture becomes an image layer of the
// document, shown whole and composited; a missing name or file adds nothing.
#include <gtest/gtest.h>

#include <string>

#include "image/image_shell.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"

namespace {

constexpr uint32_t kAddLayerFromFile = 0x10008c;

using qztest::PatternBlue;
using qztest::PatternGreen;
using qztest::PatternRed;

int32_t LayerCount(Qz_Image* image) {
  int32_t n = 0;
  for (Qz_Image* l = first_layer(image); l; l = next_layer(l)) ++n;
  return n;
}

TEST(LayerFromFile, BecomesAnImageLayerThatShowsThePicture) {
  qztest::TempDir dir;
  const std::string path = dir.file("picture.ppm");
  qztest::WritePattern(path, 5, 3);
  auto* doc = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  ASSERT_NE(doc, nullptr);
  ASSERT_NE(Qz_AllocImage(doc, 6, 4, 24, kQzAllocNoThread, nullptr), nullptr);

  EXPECT_EQ(Qz_DoMethod(&doc->object, kAddLayerFromFile, nullptr), 0u);
  EXPECT_EQ(Qz_DoMethod(&doc->object, kAddLayerFromFile, dir.file("missing.ppm").c_str()), 0u);
  EXPECT_EQ(LayerCount(doc), 0);

  auto* layer =
      reinterpret_cast<Qz_Image*>(Qz_DoMethod(&doc->object, kAddLayerFromFile, path.c_str()));
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(LayerCount(doc), 1);
  EXPECT_EQ(layer->type, kQzImageLayer);
  EXPECT_EQ(doc->activeLayer, layer);
  EXPECT_EQ(layer->placement.layerWidth, 5);
  EXPECT_EQ(layer->placement.layerHeight, 3);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      ASSERT_EQ(layer->r[y][x], PatternRed(x, y));
      ASSERT_EQ(layer->undoB[y][x], PatternBlue(x, y));
      ASSERT_EQ(doc->r[y][x], PatternRed(x, y)) << "composited into the document";
      ASSERT_EQ(doc->g[y][x], PatternGreen(x, y));
      ASSERT_EQ(doc->b[y][x], PatternBlue(x, y));
    }
  EXPECT_EQ(doc->r[3][5], 0) << "outside the layer: the background";
  Qz_DisposeObject(&doc->object);
}

}  // namespace
