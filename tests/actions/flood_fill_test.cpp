// Flood fill: the mask-value ramp, a fixture whose left region is filled
// exactly with its ramp column, seeds that must do nothing, the other button,
// a layer placed inside the document, and a tall region on a small stack.
#include <gtest/gtest.h>
#include <pthread.h>

#include <vector>

#include "action_fixture.h"
#include "actions/action_internal.h"
#include "actions/flood_fill.h"
#include "image/qz_image.h"

namespace qztest {
namespace {

TEST(FloodMaskValue, RampFromHardLimitToTolerance) {
  // Tolerance 20, softness 50: hard limit 10, ramp 10.
  const struct {
    int32_t d;
    uint8_t expected;
  } cases[] = {{0, 255}, {1, 255}, {10, 255}, {11, 230}, {12, 204}, {19, 26}, {20, 0}};
  for (const auto& c : cases) EXPECT_EQ(qz::actions::floodMaskValue(c.d, 10, 10), c.expected) << c.d;
  // Softness 100: everything but distances 0 and 1 ramps.
  EXPECT_EQ(qz::actions::floodMaskValue(1, 0, 20), 255);
  EXPECT_EQ(qz::actions::floodMaskValue(2, 0, 20), 230);
}

class FloodFillTest : public ActionTest {
 protected:
  // 6 x 4: columns 0-2 grey 10, column 3 at distance 11 + y from it, columns 4-5 grey 200.
  Qz_Image* Fixture() {
    Qz_Image* doc = MakeDocument(6, 4, 1);
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 6; ++x) {
        const uint8_t v = x < 3 ? 10 : x == 3 ? uint8_t(21 + y) : 200;
        doc->undoR[y][x] = doc->undoG[y][x] = doc->undoB[y][x] = v;
      }
    return doc;
  }
  static void Apply(Qz_Image* doc, Qz_Image* layer, int32_t x, int32_t y, uint32_t button = 1,
                    int32_t tolerance = 20, int32_t softness = 50) {
    Qz_Object* a = Qz_CreateObject("FloodFillAction", kActionSetQualifier, button, kFloodFillSetSoftness,
                                   uint32_t(softness), kFloodFillSetTolerance, uint32_t(tolerance), kActionSetLayer,
                                   layer, kActionSetImage, doc, 0u);
    ASSERT_NE(a, nullptr);
    Qz_DoMethod(a, kActionStartPoints, kActionSetX, uint32_t(x), kActionSetY, uint32_t(y), 0u);
    EXPECT_EQ(Qz_DoMethod(a, kActionApply), 1u);
    Qz_DisposeObject(a);
  }
  static void Flat(Qz_Image* layer, uint8_t v) {
    for (int32_t y = 0; y < layer->height; ++y)
      for (int32_t x = 0; x < layer->width; ++x) layer->grey[y][x] = v;
  }
};

// The left region at 255, the ramp column by distance 11..14, the right region untouched.
const std::vector<uint8_t> kFixtureMask = {
    255, 255, 255, 230, 0, 0,  //
    255, 255, 255, 204, 0, 0,  //
    255, 255, 255, 179, 0, 0,  //
    255, 255, 255, 153, 0, 0};

TEST_F(FloodFillTest, FillsTheSeedsRegionWithItsRamp) {
  for (const auto& [x, y] : std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {0, 0}, {2, 3}}) {
    Qz_Image* doc = Fixture();
    Qz_Image* layer = Layer(doc, 0);
    Apply(doc, layer, x, y);
    EXPECT_EQ(Plane(layer->grey, 6, 4), kFixtureMask) << x << "," << y;
  }
}

TEST_F(FloodFillTest, NothingHappens) {
  const struct {
    const char* name;
    int32_t x, y, tolerance, softness;
  } cases[] = {{"left of the image", -1, 0, 20, 50}, {"right of it", 6, 0, 20, 50},
               {"far below", 0, 100000, 20, 50},    {"softness 0", 1, 1, 20, 0},
               {"tolerance 0", 1, 1, 0, 50}};
  for (const auto& c : cases) {
    Qz_Image* doc = Fixture();
    Qz_Image* layer = Layer(doc, 0);
    Apply(doc, layer, c.x, c.y, 1, c.tolerance, c.softness);
    EXPECT_EQ(Plane(layer->grey, 6, 4), std::vector<uint8_t>(24, 0)) << c.name;
  }
}

TEST_F(FloodFillTest, TheOtherButtonSubtracts) {
  Qz_Image* doc = Fixture();
  Qz_Image* layer = Layer(doc, 0);
  Flat(layer, 255);
  Apply(doc, layer, 1, 1, 2);
  std::vector<uint8_t> expected;
  for (uint8_t v : kFixtureMask) expected.push_back(uint8_t(255 - v));
  EXPECT_EQ(Plane(layer->grey, 6, 4), expected);
}

TEST_F(FloodFillTest, HugeToleranceStaysInsideAPlacedLayer) {
  Qz_Image* doc = Fixture();
  Qz_Image* layer = Layer(doc, 0);
  // A 6 x 4 layer placed at (2, 1): only its part over the document is filled.
  layer->placement.layerX = 2;
  layer->placement.layerY = 1;
  Apply(doc, layer, 4, 2, 1, 100000, 50);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(layer->grey[y][x], x < 4 && y < 3 ? 255 : 0) << x << "," << y;
}

void* FillTall(void* arg) {
  auto* doc = static_cast<Qz_Image*>(arg);
  Qz_Plane mask = Qz_AllocImageData(doc->width, doc->height, 8);
  if (!mask) return nullptr;
  qz::actions::floodFillMask(doc, {0, 0, doc->width, doc->height}, {20, 50}, 1000, 1000, mask, 0, 0);
  int64_t* filled = new int64_t(0);
  for (int32_t y = 0; y < doc->height; ++y)
    for (int32_t x = 0; x < doc->width; ++x) *filled += mask[y][x] == 255;
  Qz_FreeImageData(mask);
  return filled;
}

TEST_F(FloodFillTest, ATallRegionFillsOnASmallStack) {
  Qz_Image* doc = MakeDocument(2000, 2000, 0);
  // A serpentine wall makes the fill cross every row many times.
  for (int32_t y = 0; y < 2000; ++y)
    for (int32_t x = 0; x < 2000; ++x) {
      const bool wall = (x % 4 == 3) && (x % 8 == 3 ? y != 1999 : y != 0);
      doc->undoR[y][x] = doc->undoG[y][x] = doc->undoB[y][x] = wall ? 255 : 0;
    }
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 128 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, FillTall, doc), 0);
  void* result = nullptr;
  pthread_join(thread, &result);
  pthread_attr_destroy(&attr);
  ASSERT_NE(result, nullptr);
  auto* filled = static_cast<int64_t*>(result);
  EXPECT_EQ(*filled, int64_t(2000) * 2000 - int64_t(500) * 1999);  // every pixel but the walls
  delete filled;
}

}  // namespace
}  // namespace qztest
