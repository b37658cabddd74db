// Planes, allocation, walkers, conversions, the resize protocol and copies.
#include <gtest/gtest.h>

#include <cstring>

#include "image_fixture.h"

namespace {

using qztest::FillPlane;
using qztest::ImageTest;
using qztest::PlaneBytes;

TEST(ImagePlanes, RowsAreAlignedAndPadded) {
  struct Case {
    int32_t width, depth;
    size_t stride;
  };
  const Case cases[] = {{1, 8, 64},   {63, 8, 64},   {64, 8, 64},  {65, 8, 128},
                        {128, 8, 128}, {129, 8, 192}, {22, 24, 128}, {64, 24, 192}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x depth " << c.depth);
    EXPECT_EQ(Qz_PlaneRowBytes(c.width, c.depth), c.stride);
    const int32_t rows = 5;
    Qz_Plane plane = Qz_AllocImageData(c.width, rows, c.depth);
    ASSERT_NE(plane, nullptr);
    for (int32_t y = 0; y < rows; ++y) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(plane[y]) % 64, 0u);
      if (y) {
        EXPECT_EQ(size_t(plane[y] - plane[y - 1]), c.stride);
      }
      for (size_t x = 0; x < c.stride; ++x) EXPECT_EQ(plane[y][x], 0) << "not zeroed";
      std::memset(plane[y], 0xAB, c.stride);  // the whole padded row is ours
    }
    Qz_FreeImageData(plane);
  }
  // A large plane comes from its own mapping: the same layout, zeroed, all ours.
  Qz_Plane large = Qz_AllocImageData(4100, 1200, 8);
  ASSERT_NE(large, nullptr);
  for (int32_t y : {0, 1, 600, 1199}) {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(large[y]) % 64, 0u);
    EXPECT_EQ(large[y][0] | large[y][4159], 0);
  }
  EXPECT_EQ(size_t(large[1199] - large[0]), size_t(1199) * 4160);
  std::memset(large[0], 0xCD, size_t(1200) * 4160);
  Qz_FreeImageData(large);
  Qz_FreeImageData(nullptr);
  Qz_Plane empty = Qz_AllocImageData(10, 0, 8);
  EXPECT_NE(empty, nullptr);
  Qz_FreeImageData(empty);
  EXPECT_EQ(Qz_AllocImageData(0, 4, 8), nullptr);
  EXPECT_EQ(Qz_AllocImageData(4, 4, 16), nullptr);
}

TEST_F(ImageTest, AllocationMakesThePlanesOfEachKind) {
  struct Case {
    const char* name;
    int32_t type, depth;
    uint32_t flags;
    bool undo, spans;
  };
  const Case cases[] = {
      {"document 24", kQzDocument, 24, kQzAllocNoThread, true, true},
      {"document 24 without undo", kQzDocument, 24, kQzAllocNoThread | kQzAllocNoUndo, false, true},
      {"document 8", kQzDocument, 8, kQzAllocNoThread, true, true},
      {"paint layer 8", kQzPaintLayer, 8, 0, false, true},
      {"paint layer 24", kQzPaintLayer, 24, 0, false, true},
      {"image layer 24", kQzImageLayer, 24, 0, true, true},
  };
  const int32_t w = 13, h = 7;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* image = Make(c.type, w, h, c.depth, c.flags);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, w);
    EXPECT_EQ(image->height, h);
    EXPECT_EQ(image->resolution, 72.0f);
    EXPECT_EQ(image->state.load(), kQzImageAllocated);
    EXPECT_EQ(image->opacity, 256);
    for (uint16_t word : image->blend) EXPECT_EQ(word, 256);
    EXPECT_EQ(image->edgeSize, 30);
    EXPECT_EQ(image->edgeSoftness, 50);
    if (c.depth == 24) {
      ASSERT_TRUE(image->r && image->g && image->b);
      EXPECT_EQ(image->grey, nullptr);
      EXPECT_EQ(image->scratchR, image->r[h]);
      EXPECT_EQ(image->scratchG, image->g[h]);
      EXPECT_EQ(image->scratchB, image->b[h]);
      EXPECT_EQ(image->secondScratch, image->r[h + 1]);
      ASSERT_NE(image->lineBuffer, nullptr);
      std::memset(image->lineBuffer, 1, size_t(w) * 3 + 16);
      std::memset(image->secondScratch, 1, size_t(w));
      EXPECT_EQ(image->undoR != nullptr, c.undo);
      EXPECT_EQ(image->undoB != nullptr, c.undo);
    } else {
      ASSERT_NE(image->grey, nullptr);
      EXPECT_EQ(image->scratchGrey, image->grey[h]);
      EXPECT_EQ(image->secondScratch, image->grey[h + 1]);
      std::memset(image->secondScratch, 1, size_t(w));
      EXPECT_EQ(image->undoGrey != nullptr, c.undo);
    }
    ASSERT_EQ(image->spanLeast != nullptr, c.spans);
    for (int32_t y = 0; c.spans && y < h; ++y) {
      EXPECT_EQ(image->spanLeast[y], w - 1);
      EXPECT_EQ(image->spanGreatest[y], kQzSpanUnchanged);
    }
  }
}

TEST_F(ImageTest, BadSizesAreRefused) {
  struct Case {
    const char* name;
    int32_t type, width, height, depth;
  };
  const Case cases[] = {
      {"zero width", kQzDocument, 0, 5, 24},
      {"negative height", kQzDocument, 5, -1, 24},
      {"depth 16", kQzDocument, 5, 5, 16},
      {"layer wider than its 16-bit size", kQzPaintLayer, 40000, 4, 8},
      {"rows past any memory", kQzDocument, 0x40000000, 0x40000000, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, c.type));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Qz_AllocImage(image, c.width, c.height, c.depth, kQzAllocNoThread, nullptr), nullptr);
    EXPECT_EQ(image->r, nullptr);
    EXPECT_EQ(image->grey, nullptr);
    Qz_DisposeObject(&image->object);
  }
}

TEST_F(ImageTest, LargeImageAllocatesOrFailsCleanly) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, 0));
  ASSERT_NE(image, nullptr);
  const int32_t side = 20000;
  if (Qz_AllocImage(image, side, side, 24, kQzAllocNoThread, nullptr)) {
    // Byte offsets beyond 2^31 are reached without wrapping.
    image->b[side - 1][side - 1] = 7;
    image->undoB[side - 1][side - 1] = 9;
    EXPECT_EQ(image->b[side - 1][side - 1], 7);
    EXPECT_EQ(size_t(image->r[side - 1] - image->r[0]), size_t(side - 1) * Qz_PlaneRowBytes(side, 8));
  } else {
    EXPECT_EQ(image->r, nullptr);
  }
  Qz_DisposeObject(&image->object);
}

TEST_F(ImageTest, WalkersFollowTheLayerList) {
  Qz_Image* document = Make(kQzDocument, 8, 8, 24);
  EXPECT_EQ(first_layer(document), nullptr);
  EXPECT_EQ(last_layer(document), nullptr);
  EXPECT_EQ(first_layer(nullptr), nullptr);
  EXPECT_EQ(next_layer(nullptr), nullptr);
  Qz_Image* layers[3];
  for (auto& layer : layers) {
    layer = Make(kQzPaintLayer, 8, 8, 8);
    Qz_DoMethod(&document->object, kQzImageAddLayer, layer);
  }
  EXPECT_EQ(first_layer(document), layers[0]);
  EXPECT_EQ(last_layer(document), layers[2]);
  EXPECT_EQ(next_layer(layers[0]), layers[1]);
  EXPECT_EQ(next_layer(layers[2]), nullptr);
  EXPECT_EQ(prev_layer(layers[0]), nullptr);
  EXPECT_EQ(prev_layer(layers[2]), layers[1]);
  EXPECT_EQ(document->activeLayer, layers[2]);
  EXPECT_EQ(layers[1]->parent, document);
  EXPECT_EQ(layers[1]->visible, 1);

  Qz_DoMethod(&document->object, kQzImageRemoveLayer, layers[1]);
  EXPECT_EQ(next_layer(layers[0]), layers[2]);
  EXPECT_EQ(next_layer(layers[1]), nullptr);
  EXPECT_EQ(prev_layer(layers[1]), nullptr);
  Qz_DoMethod(&document->object, kQzImageAddLayer, layers[1]);  // back, so disposal finds it
  EXPECT_EQ(first_image(nullptr), nullptr);
}

TEST(ImageSnap, GridTable) {
  struct Case {
    int32_t c, grid, offset, expected;
  };
  const Case cases[] = {{14, 10, 0, 10}, {15, 10, 0, 20}, {0, 10, 0, 0},    {11, 10, 3, 7},
                        {12, 10, 3, 17}, {-14, 10, 0, -10}, {-16, 10, 0, -20}, {-15, 10, 0, -10},
                        {33, 0, 0, 33},  {33, -4, 2, 33},  {7, 16, 0, 0},    {8, 16, 0, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.c << " grid " << c.grid << " offset " << c.offset);
    EXPECT_EQ(Qz_SnapToGrid(c.c, c.grid, c.offset), c.expected);
  }
}

struct FakeView {
  Qz_Image* image;
  int32_t width, height, offsetX, offsetY;
};

int FakeViewGeometry(Qz_Object* view, Qz_Image** image, int32_t* width, int32_t* height,
                     int32_t* offsetX, int32_t* offsetY) {
  auto* fake = reinterpret_cast<FakeView*>(view);
  *image = fake->image;
  *width = fake->width;
  *height = fake->height;
  *offsetX = fake->offsetX;
  *offsetY = fake->offsetY;
  return 1;
}

TEST_F(ImageTest, ConversionsThroughTheView) {
  Qz_Image* document = Make(kQzDocument, 100, 50, 24);
  Qz_Image* layer = Make(kQzPaintLayer, 10, 10, 8);
  layer->document = document;
  layer->placement.layerX = 3;
  layer->placement.layerY = 4;
  FakeView view{document, 200, 100, 5, 7};
  document->view = reinterpret_cast<Qz_Object*>(&view);
  auto* hooks = Qz_GetImageHooks();
  const auto saved = hooks->viewGeometry;
  hooks->viewGeometry = FakeViewGeometry;

  EXPECT_EQ(ImageToWindowX(document, 10), 25);
  EXPECT_EQ(ImageToWindowY(document, 10), 27);
  EXPECT_EQ(WindowToImageX(document, 25), 10);
  EXPECT_EQ(WindowToImageY(document, 27), 10);
  EXPECT_EQ(LayerToWindowX(layer, 0), 11);
  EXPECT_EQ(LayerToWindowY(layer, 0), 15);
  EXPECT_EQ(WindowToLayerX(layer, 11), 0);
  Qz_ImageBase* base = Qz_GetImageBase();
  base->gridOn = 1;
  base->gridWidth = 10;
  EXPECT_EQ(Qz_ToolWindowToImageX(document, 5 + 2 * 14), 10);
  EXPECT_EQ(Qz_ToolWindowToImageX(document, 5 + 2 * 15), 20);
  base->gridOn = 0;
  base->gridWidth = 16;
  view.width = 0;
  EXPECT_EQ(WindowToImageX(document, 25), 0);
  EXPECT_EQ(ImageToWindowX(layer, 3), 0);  // a layer without a view of its own

  hooks->viewGeometry = saved;
  document->view = nullptr;
}

TEST_F(ImageTest, ResizePaintLayerEndAndAbort) {
  Qz_Image* layer = Make(kQzPaintLayer, 6, 4, 8);
  FillPlane(layer->grey, 6, 4, [](int32_t x, int32_t y) { return uint8_t(x + 10 * y); });
  Qz_ModifiedLayer(layer, 2, 1, 3, 1);
  const auto before = PlaneBytes(layer->grey, 6, 4);

  ASSERT_EQ(Qz_BeginNewImageSize(layer, 9, 7), 1);
  EXPECT_EQ(PlaneBytes(layer->undoGrey, 6, 4), before) << "old pixels readable during the resize";
  ASSERT_EQ(Qz_AbortNewImageSize(layer), 1);
  EXPECT_EQ(layer->width, 6);
  EXPECT_EQ(PlaneBytes(layer->grey, 6, 4), before);
  EXPECT_EQ(layer->undoGrey, nullptr);

  ASSERT_EQ(Qz_BeginNewImageSize(layer, 9, 7), 1);
  layer->grey[6][8] = 99;
  ASSERT_EQ(Qz_EndNewImageSize(layer, 9, 7), 1);
  EXPECT_EQ(layer->width, 9);
  EXPECT_EQ(layer->height, 7);
  EXPECT_EQ(layer->placement.layerWidth, 9);
  EXPECT_EQ(layer->grey[6][8], 99);
  EXPECT_EQ(layer->undoGrey, nullptr);
  EXPECT_EQ(layer->scratchGrey, layer->grey[7]);
  // End marks the whole layer changed.
  for (int32_t y = 0; y < 7; ++y) {
    EXPECT_EQ(layer->spanLeast[y], 0);
    EXPECT_EQ(layer->spanGreatest[y], 8);
  }
  // The lock went back: another exclusive lock is granted.
  ASSERT_EQ(Qz_LockImageA(layer, kQzLockExclusive, nullptr), 1);
  Qz_UnlockImageA(layer, kQzLockExclusive, nullptr);
}

TEST_F(ImageTest, ResizeDocumentKeepsTheOldPixelsOnAbortAndFailure) {
  Qz_Image* document = Make(kQzDocument, 5, 3, 24);
  auto fill = [](int32_t x, int32_t y) { return uint8_t(3 * x + 40 * y + 1); };
  FillPlane(document->r, 5, 3, fill);
  FillPlane(document->undoR, 5, 3, fill);
  FillPlane(document->undoB, 5, 3, [](int32_t x, int32_t) { return uint8_t(200 - x); });
  const auto red = PlaneBytes(document->r, 5, 3);
  const auto blue = PlaneBytes(document->undoB, 5, 3);

  ASSERT_EQ(Qz_BeginNewImageSize(document, 8, 8), 1);
  ASSERT_EQ(Qz_AbortNewImageSize(document), 1);
  EXPECT_EQ(PlaneBytes(document->r, 5, 3), red);
  EXPECT_EQ(PlaneBytes(document->b, 5, 3), blue) << "abort copies the background back";

  // A size no memory holds: refused, lock released, old planes intact.
  EXPECT_EQ(Qz_BeginNewImageSize(document, 0x7FFFFFF0, 0x7FFFFFF0), 0);
  EXPECT_EQ(PlaneBytes(document->r, 5, 3), red);
  ASSERT_EQ(Qz_LockImageA(document, kQzLockExclusive, nullptr), 1);
  Qz_UnlockImageA(document, kQzLockExclusive, nullptr);

  qztest::NoticeRecorder recorder(document);
  ASSERT_EQ(Qz_BeginNewImageSize(document, 4, 2), 1);
  FillPlane(document->r, 4, 2, [](int32_t, int32_t) { return uint8_t(77); });
  ASSERT_EQ(Qz_EndNewImageSize(document, 4, 2), 1);
  EXPECT_EQ(document->width, 4);
  EXPECT_EQ(document->undoR[1][3], 77) << "the new pixels become the background";
  ASSERT_FALSE(recorder.notices.empty());
  const qztest::Notice& last = recorder.notices.back();
  EXPECT_EQ(last.kind, kQzChangeFormat);
  EXPECT_EQ(last.x1, 3);
  EXPECT_EQ(last.y1, 1);
}

TEST_F(ImageTest, ExactCopyTakesTheWholeBackground) {
  Qz_Image* document = Make(kQzDocument, 7, 3, 24);
  FillPlane(document->r, 7, 3, [](int32_t, int32_t) { return uint8_t(1); });
  FillPlane(document->g, 7, 3, [](int32_t, int32_t) { return uint8_t(2); });
  FillPlane(document->b, 7, 3, [](int32_t, int32_t) { return uint8_t(3); });
  FillPlane(document->undoR, 7, 3, [](int32_t x, int32_t) { return uint8_t(10 + x); });
  FillPlane(document->undoG, 7, 3, [](int32_t x, int32_t) { return uint8_t(20 + x); });
  FillPlane(document->undoB, 7, 3, [](int32_t x, int32_t) { return uint8_t(30 + x); });
  Qz_Image* copy = Qz__CopyImage(document, kQzCopyExact);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(PlaneBytes(copy->r, 7, 3), PlaneBytes(document->undoR, 7, 3));
  EXPECT_EQ(PlaneBytes(copy->g, 7, 3), PlaneBytes(document->undoG, 7, 3));
  EXPECT_EQ(PlaneBytes(copy->b, 7, 3), PlaneBytes(document->undoB, 7, 3));
  EXPECT_EQ(copy->undoR, nullptr);
  Qz_DisposeObject(&copy->object);
}

TEST_F(ImageTest, CopyTakesLayersWithTheirPlacementAndSpans) {
  Qz_Image* document = Make(kQzDocument, 6, 4, 24);
  FillPlane(document->undoG, 6, 4, [](int32_t x, int32_t y) { return uint8_t(x * y); });
  for (int i = 0; i < 2; ++i) {
    Qz_Image* layer = Make(kQzPaintLayer, 6, 4, 8);
    layer->placement.layerX = int16_t(i + 1);
    layer->placement.creationWidth = 6;
    layer->opacity = uint16_t(100 + i);
    layer->committedColour[0] = uint8_t(50 + i);
    FillPlane(layer->grey, 6, 4, [i](int32_t x, int32_t) { return uint8_t(x + i); });
    Qz_ModifiedLayer(layer, i, 2, 4, 3);
    Qz_DoMethod(&document->object, kQzImageAddLayer, layer);
  }
  Qz_Image* copy = Qz__CopyImage(document, 0);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(PlaneBytes(copy->undoG, 6, 4), PlaneBytes(document->undoG, 6, 4));
  Qz_Image* source = first_layer(document);
  Qz_Image* copied = first_layer(copy);
  for (int i = 0; i < 2; ++i, source = next_layer(source), copied = next_layer(copied)) {
    SCOPED_TRACE(i);
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, source);
    EXPECT_EQ(copied->parent, copy);
    EXPECT_EQ(std::memcmp(&copied->placement, &source->placement, sizeof source->placement), 0);
    EXPECT_EQ(copied->opacity, source->opacity);
    EXPECT_EQ(copied->committedColour[0], source->committedColour[0]);
    EXPECT_EQ(PlaneBytes(copied->grey, 6, 4), PlaneBytes(source->grey, 6, 4));
    for (int32_t y = 0; y < 4; ++y) {
      EXPECT_EQ(copied->spanLeast[y], source->spanLeast[y]);
      EXPECT_EQ(copied->spanGreatest[y], source->spanGreatest[y]);
    }
  }
  EXPECT_EQ(copied, nullptr);
  Qz_DisposeObject(&copy->object);
}

TEST_F(ImageTest, ImageBaseDefaults) {
  Qz_ImageBase* base = Qz_GetImageBase();
  EXPECT_GE(base->useCount.load(), 1);
  EXPECT_EQ(base->majorVersion, 5);
  EXPECT_EQ(base->release, 129);
  EXPECT_STREQ(base->defaultMode, "Paint");
  EXPECT_STREQ(base->currentMediaName, "AirBrush");
  EXPECT_STREQ(base->programName, "Quillantrix");
  EXPECT_STREQ(base->outputPlugin, "Vellumcraft");
  EXPECT_EQ(base->colour[0], 100);
  EXPECT_EQ(base->colour[1], 177);
  EXPECT_EQ(base->colour[2], 255);
  EXPECT_EQ(base->thumbnailWidth, 64);
  EXPECT_EQ(base->thumbnailHeight, 48);
  EXPECT_EQ(base->redrawStripHeight, 256);
  EXPECT_EQ(base->undoLevels.load(), 1u);
  EXPECT_EQ(base->gridWidth.load(), 16);
  EXPECT_EQ(base->gridHeight.load(), 16);
  EXPECT_EQ(base->viewPreference.load(), 1);
  ASSERT_NE(base->penBlock, nullptr);
  uint16_t word14;
  std::memcpy(&word14, base->penBlock + 28, 2);
  EXPECT_EQ(word14, 255);
  EXPECT_EQ(Qz_GetGlobalData()->imageBase, base);
  ASSERT_NE(base->applicationImage, nullptr);
  EXPECT_EQ(base->applicationImage->width, 8);
  EXPECT_EQ(base->applicationImage->height, 8);
  EXPECT_EQ(base->applicationImage->depth, 24);
  EXPECT_EQ(first_image(base), nullptr) << "the application image is no document of the list";
  EXPECT_NE(base->mediaList, nullptr);
  // A second start-up shares the record and needs its own cleanup.
  EXPECT_EQ(Qz_InitImageBase(), base);
  Qz_CleanupImageBase();
  EXPECT_EQ(base->majorVersion, 5);
}

TEST_F(ImageTest, NotificationTargetsNameTheActiveImageAndLayers) {
  auto resolve = Qz_GetGlobalData()->hooks.resolveTarget;
  ASSERT_NE(resolve, nullptr);
  Qz_ImageBase* base = Qz_GetImageBase();
  EXPECT_EQ(resolve(kNotifyTargetActiveImage), nullptr);
  Qz_Image* document = Make(kQzDocument, 4, 4, 24);
  Qz_Image* imageLayer = Make(kQzImageLayer, 4, 4, 24);
  Qz_Image* inside = Make(kQzPaintLayer, 4, 4, 8);
  base->activeImage = document;
  EXPECT_EQ(resolve(kNotifyTargetActiveImage), &document->object);
  EXPECT_EQ(resolve(kNotifyTargetActiveLayer), nullptr);
  Qz_DoMethod(&document->object, kQzImageAddLayer, imageLayer);
  EXPECT_EQ(resolve(kNotifyTargetActiveLayer), &imageLayer->object);
  EXPECT_EQ(resolve(kNotifyTargetActiveSubLayer), &imageLayer->object);
  Qz_DoMethod(&imageLayer->object, kQzImageAddLayer, inside);
  EXPECT_EQ(resolve(kNotifyTargetActiveSubLayer), &inside->object);
  base->activeImage = nullptr;
}

}  // namespace
