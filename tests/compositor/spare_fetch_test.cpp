// A mode that reads outside its block through the spare lock: it gets the
// composite below its layer (a nested pass that leaves the outer pass's
// rows alone), rows above the image repeat the top row, and the strict
// render accepts exactly what it fetched. Also the pass serial.
#include <gtest/gtest.h>

#include <atomic>

#include "compositor_kit.h"

namespace {

using qztest::Document;
using qztest::Rgb;

// The pass serial the last render saw.
std::atomic<uint32_t> gSeenSerial{0};

// Writes, for each pixel, the pixel one row up in the data below its layer.
QzWord ShiftDownDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id != kQzModeRender) return Qz_DoMethodA(object->super, id, args);
  gSeenSerial = Qz_CompositingPassSerial();
  Qz_ModeRenderMessage* message = qz::modes::renderMessage(args);
  const Qz_ImageLock* block = message->block;
  Qz_ImageLock* spare = message->spare;
  EXPECT_EQ(spare->image, block->image);
  EXPECT_EQ(spare->layer, block->layer);
  spare->x0 = block->x0, spare->x1 = block->x1;
  spare->y0 = block->y0 - 1, spare->y1 = block->y1 - 1;
  if (!Qz_GetImageDataBelowLayer(spare)) return 1;
  for (int32_t y = block->y0; y <= block->y1; ++y)
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      message->r[y - block->y0][x - block->x0] = spare->r[y - 1][x];
      message->g[y - block->y0][x - block->x0] = spare->g[y - 1][x];
      message->b[y - block->y0][x - block->x0] = spare->b[y - 1][x];
    }
  Qz_FreeImageLock(spare);
  return 1;
}

const qz::kit::ClassDecl kShiftDownMode = {
    .name = "ShiftDownMode", .superName = "RootMode", .classId = 0x8FF,
    .handler = ShiftDownDispatch};

class SpareFetch : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(qz::kit::addClass(kShiftDownMode), 1u);
  }
  static void TearDownTestSuite() { qz::kit::removeClass(kShiftDownMode); }
};

Rgb RowColour(int32_t y) { return {uint8_t(10 + y * 40), uint8_t(200 - y * 30), 7}; }

TEST_F(SpareFetch, ModeReadsTheCompositeBelowItsLayer) {
  Document doc(6, 4, [](int32_t, int32_t y) { return RowColour(y); });
  const Rgb red{255, 0, 0};
  ASSERT_NE(doc.AddPaintLayer("Paint", red, 0, 2, 6, 1,
                              [](int32_t, int32_t) { return uint8_t(255); }),
            nullptr);
  Qz_Image* shift = doc.AddPaintLayer("ShiftDown", {0, 0, 0}, 0, 0, 6, 4,
                                      [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(shift, nullptr);
  doc.Composite();
  const Rgb expected[4] = {RowColour(0), RowColour(0), RowColour(1), red};
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(doc.Pixel(x, y), expected[y]) << x << ", " << y;
  EXPECT_EQ(qztest::StrictRender(doc, shift, 1, 4, 3, 3)[0], red);
}

TEST_F(SpareFetch, EachPassHasItsOwnSerialAndNoneOutsideOne) {
  Document doc(4, 2, [](int32_t, int32_t) { return Rgb{1, 2, 3}; });
  ASSERT_NE(doc.AddPaintLayer("ShiftDown", {0, 0, 0}, 0, 0, 4, 2,
                              [](int32_t, int32_t) { return uint8_t(255); }),
            nullptr);
  EXPECT_EQ(Qz_CompositingPassSerial(), 0u);
  doc.Composite();
  const uint32_t first = gSeenSerial;
  EXPECT_NE(first, 0u);
  EXPECT_EQ(Qz_CompositingPassSerial(), 0u);
  doc.Composite();
  EXPECT_NE(gSeenSerial.load(), first);
  EXPECT_NE(gSeenSerial.load(), 0u);
}

}  // namespace
