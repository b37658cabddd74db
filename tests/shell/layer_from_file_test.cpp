// A layer added from a file: the picture becomes an image layer of the
// document, shown whole and composited; a missing name or file adds nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "image/image_shell.h"
#include "support/temp_dir.h"

namespace {

constexpr uint32_t kAddLayerFromFile = 0x10008c;

uint8_t Red(int32_t x, int32_t y) { return uint8_t(x * 40 + y); }
uint8_t Green(int32_t x, int32_t y) { return uint8_t(200 - x - y * 9); }
uint8_t Blue(int32_t x, int32_t) { return uint8_t(x * 3 + 7); }

int32_t LayerCount(Qz_Image* image) {
  int32_t n = 0;
  for (Qz_Image* l = first_layer(image); l; l = next_layer(l)) ++n;
  return n;
}

TEST(LayerFromFile, BecomesAnImageLayerThatShowsThePicture) {
  qztest::TempDir dir;
  const std::string path = dir.file("picture.ppm");
  {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n5 3\n255\n";
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t x = 0; x < 5; ++x)
        out << char(Red(x, y)) << char(Green(x, y)) << char(Blue(x, y));
  }
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
      ASSERT_EQ(layer->r[y][x], Red(x, y));
      ASSERT_EQ(layer->undoB[y][x], Blue(x, y));
      ASSERT_EQ(doc->r[y][x], Red(x, y)) << "composited into the document";
      ASSERT_EQ(doc->g[y][x], Green(x, y));
      ASSERT_EQ(doc->b[y][x], Blue(x, y));
    }
  EXPECT_EQ(doc->r[3][5], 0) << "outside the layer: the background";
  Qz_DisposeObject(&doc->object);
}

}  // namespace
