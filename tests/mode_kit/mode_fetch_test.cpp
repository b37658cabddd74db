// Reading beyond the block: the spare fetch (columns limited, rows as asked,
// released on every path, the lock put back), the checked view, and the
// secondary picture's geometry, also through a stand-in rub mode rendered
// strictly over several rows of which only some meet the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "compositor/compositor_kit.h"
#include "modes/mode_fetch.h"
#include "modes/shared_below.h"

namespace {

using qz::modes::ColumnSpan;
using qz::modes::FetchRect;
using qz::modes::SecondaryPicture;
using qz::modes::SourceView;
using qz::modes::SpareFetch;
using qztest::Document;
using qztest::Rgb;

Rgb Background(int32_t x, int32_t y) { return {uint8_t(x * 3 + y), uint8_t(y * 5), uint8_t(x ^ y)}; }
Rgb PicturePixel(int32_t x, int32_t y) { return {uint8_t(x + 100), uint8_t(y * 9), uint8_t(x * y)}; }
uint8_t Opaque(int32_t, int32_t) { return 255; }

std::vector<Qz_ImageLock>* gFetched = nullptr;
void RecordFetch(const Qz_ImageLock* lock, void*) {
  if (gFetched) gFetched->push_back(*lock);
}

class Fetches : public ::testing::Test {
 protected:
  void SetUp() override {
    gFetched = &fetched;
    Qz__SetImageDataObserver(RecordFetch, nullptr);
  }
  void TearDown() override {
    Qz__SetImageDataObserver(nullptr, nullptr);
    gFetched = nullptr;
  }
  // A render message for a block of the layer, as the compositor makes it.
  Qz_ModeRenderMessage Message(Qz_Image* layer) {
    block = {};
    block.image = doc.image, block.layer = layer;
    block.x0 = 2, block.x1 = 5, block.y0 = block.y1 = 1;
    spare = {};
    spare.image = doc.image, spare.layer = layer;
    return {&block, &spare, nullptr, nullptr, nullptr, nullptr};
  }

  std::vector<Qz_ImageLock> fetched;
  Document doc{16, 8, Background};
  Qz_ImageLock block{}, spare{};
};

TEST_F(Fetches, LimitsColumnsKeepsRowsAndReleasesOnEveryPath) {
  Qz_Image* layer = doc.AddPaintLayer("Multiply", {1, 2, 3}, 0, 0, 16, 8, Opaque);
  ASSERT_NE(layer, nullptr);
  const Qz_ModeRenderMessage message = Message(layer);
  {
    SpareFetch below(&message, {-5, -2, 40, 3});
    ASSERT_TRUE(below.ok());
    EXPECT_EQ(below.rect(), (FetchRect{0, -2, 15, 3}));
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched[0].x0, 0);  // asked for already limited
    EXPECT_EQ(fetched[0].x1, 15);
    const SourceView& view = below.view();
    EXPECT_EQ(view.width, 16);
    EXPECT_EQ(view.height, 8);
    // Rows above the image are its top row.
    for (int32_t y : {-2, -1, 0}) EXPECT_EQ(view.at(1, 7, y), Background(7, 0)[1]) << y;
    EXPECT_EQ(view.row(2, 3)[15], Background(15, 3)[2]);
    EXPECT_EQ(view.row(0, 3).from(4, 3)[2], Background(6, 3)[0]);
  }
  EXPECT_EQ(spare.owned[0], nullptr);
  EXPECT_EQ(spare.r, nullptr);
  EXPECT_EQ(spare.image, doc.image);
  EXPECT_EQ(spare.layer, layer);

  struct Empty {
    const char* name;
    FetchRect rect;
  };
  const Empty empties[] = {{"right of the image", {16, 0, 30, 2}},
                           {"left of it", {-9, 0, -1, 2}},
                           {"no rows", {0, 4, 5, 3}}};
  for (const Empty& e : empties) {
    SCOPED_TRACE(e.name);
    fetched.clear();
    SpareFetch none(&message, e.rect);
    EXPECT_FALSE(none.ok());
    EXPECT_TRUE(fetched.empty());
  }
  // Released early, then gone: freed once.
  SpareFetch early(&message, {0, 0, 3, 3});
  ASSERT_TRUE(early.ok());
  early.release();
  EXPECT_FALSE(early.ok());
  EXPECT_EQ(spare.owned[0], nullptr);
}

TEST_F(Fetches, AnotherImageThroughTheSpareIsPutBack) {
  Qz_Image* layer = doc.AddPaintLayer("Multiply", {1, 2, 3}, 0, 0, 16, 8, Opaque);
  Document picture(5, 4, PicturePixel);
  ASSERT_NE(layer, nullptr);
  Qz_ModeRenderMessage message = Message(layer);
  {
    SpareFetch own(message.spare, picture.image, nullptr, {1, -1, 9, 5});
    ASSERT_TRUE(own.ok());
    EXPECT_EQ(own.rect(), (FetchRect{1, -1, 4, 5}));
    EXPECT_EQ(spare.image, picture.image);
    EXPECT_EQ(own.view().at(0, 4, 5), PicturePixel(4, 3)[0]);  // below: the last row
    EXPECT_EQ(own.view().width, 5);
  }
  EXPECT_EQ(spare.image, doc.image);
  EXPECT_EQ(spare.layer, layer);
  EXPECT_EQ(spare.owned[0], nullptr);
  SpareFetch planes(picture.image, {0, 0, 4, 3});
  ASSERT_TRUE(planes.ok());
  EXPECT_EQ(planes.view().at(2, 3, 2), PicturePixel(3, 2)[2]);
  EXPECT_FALSE(SpareFetch(static_cast<Qz_Image*>(nullptr), {0, 0, 1, 1}).ok());
}

TEST(SourceViewTest, ClampsToTheImageAndStopsAReadOutsideTheFetch) {
  std::vector<uint8_t> pixels(40, 7);
  std::vector<uint8_t*> rows(8);
  for (int32_t y = 0; y < 8; ++y) rows[size_t(y)] = pixels.data() + size_t(y) * 5;
  // Rows 2..5 of a picture 5 x 8, columns 1..3; the table is indexed by absolute row.
  uint8_t** table = rows.data();
  const SourceView view{table, table, table, 1, 2, 3, 5, 5, 8};
  EXPECT_EQ(view.clampX(-4), 0);
  EXPECT_EQ(view.clampX(9), 4);
  EXPECT_EQ(view.clampY(-1), 0);
  EXPECT_EQ(view.clampY(12), 7);
  const SourceView unsized{table, table, table, 1, 2, 3, 5};
  EXPECT_EQ(unsized.clampX(-4), 1);
  EXPECT_EQ(unsized.clampY(12), 5);
  EXPECT_TRUE(view.holds(3, 5));
  EXPECT_FALSE(view.holds(4, 5));
  EXPECT_EQ(view.at(0, 3, 5), 7);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(view.at(0, 4, 3), "outside what it fetched");
  EXPECT_DEATH(view.at(1, 2, 6), "outside what it fetched");
  EXPECT_DEATH(view.row(2, 1), "outside what it fetched");
  EXPECT_DEATH(view.row(0, 3)[0], "outside what it fetched");
  EXPECT_DEATH(view.row(0, 3).from(2, 3), "outside what it fetched");
}

TEST_F(Fetches, TheWholeImageBelowReadsThroughAView) {
  ASSERT_NE(doc.AddPaintLayer("Multiply", {0, 0, 0}, 0, 0, 16, 8, Opaque), nullptr);  // black below
  Qz_Image* upper = doc.AddPaintLayer("Multiply", {1, 2, 3}, 0, 0, 16, 8, Opaque);
  ASSERT_NE(upper, nullptr);
  const Qz_ModeRenderMessage message = Message(upper);
  const qz::modes::SharedBelow below(&message);
  ASSERT_TRUE(below.ok());
  const SourceView& view = below.view();
  EXPECT_EQ(view.width, 16);
  EXPECT_EQ(view.height, 8);
  EXPECT_EQ(view.at(0, 15, 7), 0);
  EXPECT_EQ(view.at(1, view.clampX(20), view.clampY(-3)), 0);
  EXPECT_EQ(view.row(2, 4).from(0, 16)[9], 0);
}

// ---- the secondary picture --------------------------------------------------------

TEST(SecondaryPictureTest, CoversTheColumnsAndRowsItLiesOver) {
  Document doc(200, 40, Background);
  Document picture(100, 20, PicturePixel);
  Qz_Image* layer = doc.AddPaintLayer("Multiply", {1, 2, 3}, 10, 5, 150, 30, Opaque);
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, picture.image, 20, 0);
  Qz_ImageLock block{};
  block.image = doc.image, block.layer = layer;
  const SecondaryPicture p(&block);
  ASSERT_TRUE(p.usable());
  EXPECT_EQ(p.image(), picture.image);
  EXPECT_FALSE(p.isDataBelow());
  EXPECT_EQ(p.fetchLayer(), nullptr);
  EXPECT_EQ(p.offsetX(), 30);
  EXPECT_EQ(p.offsetY(), 5);
  struct Case {
    const char* name;
    int32_t y, x0, x1;
    ColumnSpan covered;
  };
  const Case cases[] = {
      {"the whole picture", 5, 0, 199, {30, 129}},
      {"column 29 and 130 stay out", 10, 29, 130, {30, 129}},
      {"a run inside", 24, 40, 50, {40, 50}},
      {"the row above", 4, 0, 199, {}},
      {"the row below", 25, 0, 199, {}},
      {"left of it", 10, 0, 29, {}},
      {"right of it", 10, 130, 199, {}},
      {"its last column", 10, 129, 199, {129, 129}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(p.overlap(c.y, c.x0, c.x1), c.covered);
  }
  EXPECT_EQ(p.fetchRect(40, 6, 50, 6), (FetchRect{10, 1, 20, 1}));
  EXPECT_EQ(p.fetchRect(40, 6, 50, 6, {3, 2}), (FetchRect{7, 0, 23, 3}));  // limited at row 0
  EXPECT_EQ(p.fetchRect(0, 0, 199, 39, {1, 1}), (FetchRect{0, 0, 99, 19}));
  EXPECT_TRUE(p.fetchRect(0, 0, 29, 39).empty());
  EXPECT_TRUE(p.fetchRect(40, 26, 50, 39).empty());

  // Without a secondary image: none, or the data below placed by the same offsets.
  doc.AttachSecondary(layer, nullptr, 3, -2);
  const SecondaryPicture none(&block);
  EXPECT_EQ(none.image(), nullptr);
  EXPECT_FALSE(none.usable());
  EXPECT_TRUE(none.overlap(10, 0, 199).empty());
  const SecondaryPicture below(&block, SecondaryPicture::Fallback::DataBelow);
  ASSERT_TRUE(below.usable());
  EXPECT_EQ(below.image(), doc.image);
  EXPECT_EQ(below.fetchLayer(), layer);
  EXPECT_EQ(below.offsetX(), 13);
  EXPECT_EQ(below.offsetY(), 3);
  EXPECT_EQ(below.overlap(2, 0, 199), ColumnSpan{});
  EXPECT_EQ(below.overlap(3, 0, 199), (ColumnSpan{13, 199}));
}

// A stand-in rub mode: the data below plus the picture (or the data below
// itself, moved by the offsets) where the picture lies, every row tested.
QzWord RubAddRender(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message->block;
  const SecondaryPicture picture(block, SecondaryPicture::Fallback::DataBelow);
  const qz::modes::SourceView source = qz::modes::viewOf(block);
  SpareFetch fetch(picture, picture.fetchRect(block->x0, block->y0, block->x1, block->y1));
  uint8_t** dst[3] = {message->r, message->g, message->b};
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const ColumnSpan span = fetch.ok() ? picture.overlap(y, block->x0, block->x1) : ColumnSpan{};
    for (int c = 0; c < 3; ++c) {
      const qz::modes::SourceRow s = source.row(c, y);
      for (int32_t x = block->x0; x <= block->x1; ++x) {
        int32_t v = s[x];
        if (x >= span.first && x <= span.last)
          v = std::min(255, v + fetch.view().at(c, picture.pictureX(x), picture.pictureY(y)));
        dst[c][y - block->y0][x - block->x0] = uint8_t(v);
      }
    }
  }
  return 1;
}

const qz::kit::ClassDecl kRubAddStandIn = {.name = "RubAddStandInMode", .superName = "RootMode",
                                           .classId = 0x8F30000,
                                           .handler = qz::modes::renderHandler<RubAddRender>};

class RubStandIn : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(qz::kit::addClass(kRubAddStandIn), 1u); }
  static void TearDownTestSuite() { qz::kit::removeClass(kRubAddStandIn); }
};

TEST_F(RubStandIn, EveryRowOfABlockMeetsThePictureOrNot) {
  Document doc(160, 30, Background);
  Document picture(100, 10, PicturePixel);
  Qz_Image* layer = doc.AddPaintLayer("RubAddStandIn", {0, 0, 0}, 10, 5, 140, 25, Opaque);
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, picture.image, 20, 0);
  // Rows 3..16: the picture lies over rows 5..14 and columns 30..129.
  const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 25, 135, 3, 16);
  for (int32_t y = 3; y <= 16; ++y)
    for (int32_t x = 25; x <= 135; ++x) {
      Rgb expected = Background(x, y);
      if (y >= 5 && y < 15 && x >= 30 && x < 130)
        for (int c = 0; c < 3; ++c)
          expected[c] = uint8_t(std::min(255, expected[c] + PicturePixel(x - 30, y - 5)[c]));
      ASSERT_EQ(out[size_t((y - 3) * 111 + (x - 25))], expected) << x << ", " << y;
    }
}

TEST_F(RubStandIn, WithoutAPictureTheDataBelowIsMovedByTheOffsets) {
  Document doc(60, 20, Background);
  Qz_Image* layer = doc.AddPaintLayer("RubAddStandIn", {0, 0, 0}, 4, 2, 50, 15, Opaque);
  ASSERT_NE(layer, nullptr);
  layer->placement.secondX = 3;
  layer->placement.secondY = -5;
  // The data below at (x - 7, y + 3) is added where it exists.
  const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 0, 59, 14, 18);
  for (int32_t y = 14; y <= 18; ++y)
    for (int32_t x = 0; x < 60; ++x) {
      Rgb expected = Background(x, y);
      if (x >= 7 && y + 3 < 20)
        for (int c = 0; c < 3; ++c)
          expected[c] = uint8_t(std::min(255, expected[c] + Background(x - 7, y + 3)[c]));
      ASSERT_EQ(out[size_t((y - 14) * 60 + x)], expected) << x << ", " << y;
    }
}

}  // namespace
