// Tiled rub and TileMode: which picture column and row each document column
// and row shows (repeat and mirror, origins before the document's), the
// reset from the picture (never an empty tile), maps that cover a large
// document under an offset layer, single-row fetches, the whole-layer notice
// of a picture change, settings, and the same bytes however cut, also while
// the tile settings change during passes.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "modes/qz_rub_modes.h"
#include "objects/qz_notify.h"
#include "rub_test_kit.h"

namespace {

using qztest::Document;
using qztest::Rgb;
using rubtest::Opaque;

// A picture whose pixel tells where it came from: red 2x, green 5y.
Rgb Coded(int32_t x, int32_t y) { return {uint8_t(2 * x), uint8_t(5 * y), 77}; }

TEST(RubTiled, ColumnsAndRowsOfTheTiles) {
  struct Case {
    const char* name;
    int32_t style, tileWidth, tileHeight;
    int32_t layerX, layerY, offsetX, offsetY;
    std::vector<int32_t> columns, rows;  // the picture's, for document columns and rows 0, 1, ...
  };
  const Case cases[] = {
      {"tile 10 from the origin", kQzRubTileRepeat, 10, 10, 0, 0, 0, 0,
       {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 10}, {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 0}},
      // The tile goes on above its origin without a seam.
      {"repeat from row 3", kQzRubTileRepeat, 10, 10, 0, 2, 0, 1, {0, 10}, {35, 40, 45, 0, 5}},
      {"mirror width 4", kQzRubTileMirror, 4, 5, 0, 0, 0, 0,
       {0, 25, 50, 75, 75, 50, 25, 0, 0, 25}, {0, 10, 20, 30, 40, 40, 30, 20, 10, 0, 0}},
      {"mirror from column 3", kQzRubTileMirror, 4, 5, 5, 0, -2, 0, {50, 25, 0, 0, 25, 50}, {0, 10}},
  };
  Document picture(100, 50, Coded);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t w = int32_t(c.columns.size()), h = int32_t(c.rows.size());
    Document doc(w, h, rubtest::Below);
    Qz_Image* layer = doc.AddPaintLayer("RubTiled", {0, 0, 0}, c.layerX, c.layerY, w, h, Opaque);
    ASSERT_NE(layer, nullptr);
    doc.AttachSecondary(layer, picture.image, c.offsetX, c.offsetY);
    Qz_Object* mode = layer->mode;
    EXPECT_EQ(Qz_DoMethod(mode, kQzRubTiledSetStyle, uint32_t(c.style)), uint32_t(c.style));
    EXPECT_EQ(Qz_DoMethod(mode, kQzRubTiledSetWidth, uint32_t(c.tileWidth)), uint32_t(c.tileWidth));
    EXPECT_EQ(Qz_DoMethod(mode, kQzRubTiledSetHeight, uint32_t(c.tileHeight)), uint32_t(c.tileHeight));
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 0, w - 1, 0, h - 1);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        ASSERT_EQ(out[size_t(y * w + x)], Coded(c.columns[size_t(x)], c.rows[size_t(y)])) << x << ", " << y;
  }
}

// The reset makes tiles of an eighth of the picture the render tiles, at
// least one pixel; it runs when the mode gets its layer.
TEST(RubTiled, ResetFromThePicture) {
  Document doc(64, 48, rubtest::Below);
  Document picture(80, 40, Coded), tiny(5, 5, Coded);
  struct Case {
    const char* mode;
    Document* second;
    int32_t width, height;
  };
  const Case cases[] = {{"RubTiled", &picture, 10, 5},
                        {"RubTiled", &tiny, 1, 1},
                        {"RubTiled", nullptr, 8, 6},   // the document
                        {"Tile", &picture, 8, 6}};     // always the document
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.width << " x " << c.height);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, 0, 0, 64, 48, Opaque);
    ASSERT_NE(layer, nullptr);
    if (c.second) doc.AttachSecondary(layer, c.second->image, 0, 0);
    EXPECT_EQ(Qz_DoMethod(layer->mode, kQzRubTiledReset), 0u);
    EXPECT_EQ(Qz_DoMethod(layer->mode, kQzRubTiledGetWidth), uint32_t(c.width));
    EXPECT_EQ(Qz_DoMethod(layer->mode, kQzRubTiledGetHeight), uint32_t(c.height));
    qztest::StrictRender(doc, layer, 0, 63, 0, 5);
  }
}

TEST(RubTiled, TileModeTilesTheDataBelowEvenWithAPicture) {
  Document picture(30, 30, Coded);
  rubtest::Stack stack(40, 12);
  Qz_Image* layer = stack.Add("Tile", 3, 1, 36, 10, Opaque);
  ASSERT_NE(layer, nullptr);
  stack.doc.AttachSecondary(layer, picture.image, 2, 2);
  Qz_DoMethod(layer->mode, kQzRubTiledSetWidth, 10u);
  Qz_DoMethod(layer->mode, kQzRubTiledSetHeight, 4u);
  const std::vector<Rgb> below = rubtest::DataBelow(stack.doc, layer);
  const std::vector<Rgb> out = qztest::StrictRender(stack.doc, layer, 0, 39, 0, 11);
  // Tiles start at (5, 3); each is the whole 40 x 12 data below, scaled.
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      const int32_t tx = ((x - 5) % 10 + 10) % 10, ty = ((y - 3) % 4 + 4) % 4;
      ASSERT_EQ(out[size_t(y * 40 + x)], below[size_t(ty * 12 / 4 * 40 + tx * 40 / 10)]) << x << ", " << y;
    }
}

std::mutex gFetchMutex;
std::vector<Qz_ImageLock> gFetches;
void RecordFetch(const Qz_ImageLock* lock, void*) {
  std::lock_guard<std::mutex> guard(gFetchMutex);
  gFetches.push_back(*lock);
}

// A small picture under an offset layer on a large document: every column
// and row maps into the picture, and each row fetches only the picture's
// row it shows, over the columns it maps to.
TEST(RubTiled, MapsCoverTheDocumentAndRowsFetchOnlyWhatTheyShow) {
  Document doc(400, 300, rubtest::Below);
  Document picture(20, 10, Coded);
  Qz_Image* layer = doc.AddPaintLayer("RubTiled", {0, 0, 0}, 150, 120, 50, 40, Opaque);
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, picture.image, 30, -20);
  Qz_DoMethod(layer->mode, kQzRubTiledSetWidth, 7u);
  Qz_DoMethod(layer->mode, kQzRubTiledSetHeight, 3u);
  const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 0, 399, 290, 299);
  for (int32_t y = 290; y < 300; ++y)
    for (int32_t x = 0; x < 400; ++x) {
      const int32_t tx = ((x - 180) % 7 + 7) % 7, ty = ((y - 100) % 3 + 3) % 3;
      ASSERT_EQ(out[size_t((y - 290) * 400 + x)], Coded(tx * 20 / 7, ty * 10 / 3)) << x << ", " << y;
    }
  for (bool withPicture : {true, false}) {
    SCOPED_TRACE(withPicture ? "a picture" : "the data below");
    // Tiles start at the layer's left edge, 100 wide: its 50 columns map to half the picture.
    doc.AttachSecondary(layer, withPicture ? picture.image : nullptr, 0, -20);
    Qz_DoMethod(layer->mode, kQzRubTiledSetWidth, 100u);
    gFetches.clear();
    Qz__SetImageDataObserver(RecordFetch, nullptr);
    doc.Composite();
    Qz__SetImageDataObserver(nullptr, nullptr);
    Qz_Image* from = withPicture ? picture.image : doc.image;
    size_t rows = 0;
    for (const Qz_ImageLock& l : gFetches) {
      if (l.image != from || l.layer != (withPicture ? nullptr : layer)) continue;
      ++rows;
      EXPECT_EQ(l.y0, l.y1);
      EXPECT_LE(l.x1 - l.x0 + 1, withPicture ? 10 : 200);
    }
    EXPECT_GE(rows, 40u);
  }
}

void RecordNotice(QzWord notices, Qz_Object*, uint32_t, const QzWord* words) {
  reinterpret_cast<std::vector<std::array<int32_t, 5>>*>(notices)->push_back(
      {int32_t(words[0]), int32_t(words[2]), int32_t(words[3]), int32_t(words[4]), int32_t(words[5])});
}

TEST(RubTiled, APictureChangeReRendersTheWholeLayer) {
  Document doc(40, 30, rubtest::Below);
  Document picture(8, 8, Coded);
  Qz_Image* layer = doc.AddPaintLayer("RubTiled", {0, 0, 0}, 5, 4, 30, 20, Opaque);
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, picture.image, 0, 0);
  std::vector<std::array<int32_t, 5>> notices;
  const QzWord watch = Qz_AddCallBackNotify(&layer->object, kQzImageChanged, kNotifyAnyValue, RecordNotice,
                                            reinterpret_cast<QzWord>(&notices));
  // A region of the picture changed, as its own notice tells it.
  Qz_DoNotify(&picture.image->object, kQzImageChanged, kQzChangeRect, picture.image, 2, 2, 3, 3, 0, 0);
  Qz_RemoveNotify(&layer->object, watch);
  ASSERT_FALSE(notices.empty());
  EXPECT_EQ(notices.back(), (std::array<int32_t, 5>{kQzChangeAll, 0, 0, 29, 19}));
}

TEST(RubTiled, SettingsStayInRangeAndReRender) {
  Document doc(16, 16, rubtest::Below);
  Qz_Image* layer = doc.AddPaintLayer("RubTiled", {0, 0, 0}, 0, 0, 16, 16, Opaque);
  ASSERT_NE(layer, nullptr);
  Qz_Object* mode = layer->mode;
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetFlags), uint32_t(kQzModeCombinesSource));
  struct Case {
    uint32_t setter, getter;
    int32_t set, stored;
  };
  const Case cases[] = {{kQzRubTiledSetWidth, kQzRubTiledGetWidth, 0, 1},
                        {kQzRubTiledSetWidth, kQzRubTiledGetWidth, 300, 300},
                        {kQzRubTiledSetHeight, kQzRubTiledGetHeight, -5, 1},
                        {kQzRubTiledSetStyle, kQzRubTiledGetStyle, 1, 1},
                        {kQzRubTiledSetStyle, kQzRubTiledGetStyle, 7, 1}};
  qztest::RerenderCounter rerenders;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.setter << " = " << c.set);
    const int32_t was = int32_t(Qz_DoMethod(mode, c.getter));
    rerenders.Reset();
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.setter, uint32_t(c.set))), c.stored);
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.stored);
    EXPECT_EQ(rerenders.Count(doc.image), was == c.stored ? 0u : 1u);
  }
  rerenders.Reset();
  EXPECT_EQ(Qz_DoMethod(mode, kQzRubTiledSetUseImage, 1u), 0u);
  EXPECT_EQ(rerenders.Count(doc.image), 1u);
}

class RubTiledSameHoweverCut : public ::testing::TestWithParam<std::tuple<const char*, int32_t, bool>> {};

TEST_P(RubTiledSameHoweverCut, OnAnUpperLayerWithAnOffsetPicture) {
  const auto [mode, style, withPicture] = GetParam();
  Document picture(150, 30, rubtest::Picture);
  rubtest::Stack stack(210, 30);
  Qz_Image* layer = stack.Add(mode, 4, 2, 200, 27, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  stack.doc.AttachSecondary(layer, withPicture ? picture.image : nullptr, 7, -3);
  Qz_DoMethod(layer->mode, kQzRubTiledSetStyle, uint32_t(style));
  Qz_DoMethod(layer->mode, kQzRubTiledSetWidth, 23u);
  Qz_DoMethod(layer->mode, kQzRubTiledSetHeight, 6u);
  qztest::ExpectSameHoweverCut(stack.doc);
  qztest::StrictRender(stack.doc, layer, 0, 209, 0, 3);
}

INSTANTIATE_TEST_SUITE_P(RubModes, RubTiledSameHoweverCut,
                         ::testing::Values(std::tuple{"RubTiled", kQzRubTileRepeat, true},
                                           std::tuple{"RubTiled", kQzRubTileMirror, true},
                                           std::tuple{"RubTiled", kQzRubTileRepeat, false},
                                           std::tuple{"Tile", kQzRubTileMirror, true}));

// Tile settings changed on another thread while passes render: each render
// keeps the maps it took, and the last settings give what a fresh pass gives.
TEST(RubTiled, SettingsChangeWhilePassesRender) {
  Document picture(150, 30, rubtest::Picture);
  rubtest::Stack stack(210, 30);
  Qz_Image* layer = stack.Add("RubTiled", 4, 2, 200, 27, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  stack.doc.AttachSecondary(layer, picture.image, 7, -3);
  const int32_t before = Qz__SetCompositorWorkers(8);
  qztest::RerenderCounter quiet;
  std::atomic<bool> stop{false};
  std::thread setter([&] {
    for (uint32_t i = 0; !stop.load(); ++i) {
      Qz_DoMethod(layer->mode, kQzRubTiledSetWidth, 1 + i % 90);
      Qz_DoMethod(layer->mode, kQzRubTiledSetHeight, 1 + i % 13);
      Qz_DoMethod(layer->mode, kQzRubTiledSetStyle, i & 1);
    }
  });
  for (int pass = 0; pass < 12; ++pass) stack.doc.Composite();
  stop.store(true);
  setter.join();
  Qz_DoMethod(layer->mode, kQzRubTiledSetWidth, 17u);
  stack.doc.Composite();
  const std::vector<uint8_t> racing = stack.doc.Planes();
  Qz__SetCompositorWorkers(1);
  stack.doc.ClearResult();
  stack.doc.Composite();
  EXPECT_EQ(stack.doc.Planes(), racing);
  Qz__SetCompositorWorkers(before);
}

}  // namespace

namespace {

// A grey secondary image offers no colour rows: the combiners show the data
// below, and tiled rub tiles the data below as Tile does.
TEST(RubTiled, AGreySecondaryImageIsPassedOver) {
  auto* grey = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(grey, nullptr);
  ASSERT_NE(Qz_AllocImage(grey, 20, 10, 8, kQzAllocNoThread, nullptr), nullptr);
  std::vector<std::vector<Rgb>> outputs;
  for (const char* mode : {"RubTiled", "Tile", "RubAdd"}) {
    SCOPED_TRACE(mode);
    Document doc(40, 12, rubtest::Below);
    Qz_Image* layer = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, 40, 12, Opaque);
    ASSERT_NE(layer, nullptr);
    doc.AttachSecondary(layer, grey, 0, 0);
    Qz_DoMethod(layer->mode, kQzRubTiledSetWidth, 9u);
    Qz_DoMethod(layer->mode, kQzRubTiledSetHeight, 5u);
    outputs.push_back(qztest::StrictRender(doc, layer, 0, 39, 0, 11));
    doc.AttachSecondary(layer, nullptr, 0, 0);
  }
  EXPECT_EQ(outputs[0], outputs[1]);
  for (int32_t i = 0; i < 40 * 12; ++i) ASSERT_EQ(outputs[2][size_t(i)], rubtest::Below(i % 40, i / 40)) << i;
  Qz_DisposeObject(&grey->object);
}

}  // namespace
