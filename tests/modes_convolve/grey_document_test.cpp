// An 8-bit document renders on its grey rows: each mode of the family gives
// there what it gives on the green channel of a colour document holding the
// same values (the contour map, which needs colour, writes nothing).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "convolve_fixture.h"
#include "modes/qz_convolve_mode.h"
#include "modes/qz_relief_modes.h"

namespace {

using convolvetest::ModeScene;
using convolvetest::Rgb;

TEST(GreyDocuments, RenderTheirGreyRowsAsAColourChannel) {
  constexpr int32_t kW = 13, kH = 7;
  auto value = [](int32_t x, int32_t y) { return qztest::Noise(x, y, 5); };
  auto* grey = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(grey, nullptr);
  ASSERT_NE(Qz_AllocImage(grey, kW, kH, 8, kQzAllocNoThread, nullptr), nullptr);
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) grey->grey[y][x] = value(x, y);
  struct Case {
    const char* mode;
    std::function<void(Qz_Object*)> setUp;
  };
  const Case cases[] = {
      {"Convolve", [](Qz_Object*) {}},
      {"Convolve",
       [](Qz_Object* m) {
         Qz_DoMethod(m, kQzConvolveSetMatrixSize, 4);
         Qz_DoMethod(m, kQzConvolveSetMatrixEntry, 3, 0, 3);
         Qz_DoMethod(m, kQzConvolveSetMatrixEntry, 1, 2, uint32_t(uint16_t(-1)));
       }},
      {"Sharpen", [](Qz_Object* m) { Qz_DoMethod(m, kQzSharpenSetAmount, 70); }},
      {"Sharpen", [](Qz_Object* m) { Qz_DoMethod(m, kQzSharpenSetRadius, 2); }},
      {"EdgeDetect", [](Qz_Object* m) { Qz_DoMethod(m, kQzEdgeSetInvert, 1); }},
      {"Emboss", [](Qz_Object* m) { Qz_DoMethod(m, kQzModeSetColourMode, 1); }},
      {"BasRelief", [](Qz_Object* m) { Qz_DoMethod(m, kQzModeSetRadius, 4); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ModeScene colour(c.mode, kW, kH, [&](int32_t x, int32_t y) { return Rgb{value(x, y), value(x, y), value(x, y)}; },
                     c.setUp);
    ASSERT_NE(colour.mode(), nullptr);
    const std::vector<uint8_t> green = colour.Channel(1);
    std::vector<uint8_t> out(size_t(kW) * kH, 7);
    std::vector<uint8_t*> rows;
    for (int32_t y = 0; y < kH; ++y) rows.push_back(out.data() + size_t(y) * kW);
    Qz_ImageLock block{};
    block.image = grey;
    block.x0 = 0, block.x1 = kW - 1, block.y0 = 0, block.y1 = kH - 1;
    block.grey = grey->grey;
    block.layer = colour.layer;  // for the paint colour
    Qz_ImageLock spare{};
    spare.image = grey;
    Qz_ModeRenderMessage message{&block, &spare, nullptr, nullptr, nullptr, rows.data()};
    EXPECT_EQ(Qz_RenderMode(colour.mode(), &message), 1u);
    Qz_FreeImageLock(&spare);
    EXPECT_EQ(out, green);
  }
  // The contour map moves colour pixels only.
  ModeScene contours("ContourMap", kW, kH, convolvetest::Busy);
  std::vector<uint8_t> out(size_t(kW) * kH, 7);
  std::vector<uint8_t*> rows;
  for (int32_t y = 0; y < kH; ++y) rows.push_back(out.data() + size_t(y) * kW);
  Qz_ImageLock block{};
  block.image = grey;
  block.x0 = 0, block.x1 = kW - 1, block.y0 = 0, block.y1 = kH - 1;
  block.grey = grey->grey;
  Qz_ImageLock spare{};
  spare.image = grey;
  Qz_ModeRenderMessage message{&block, &spare, nullptr, nullptr, nullptr, rows.data()};
  EXPECT_EQ(Qz_RenderMode(contours.mode(), &message), 1u);
  EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 7));
  Qz_DisposeObject(&grey->object);
}

}  // namespace
