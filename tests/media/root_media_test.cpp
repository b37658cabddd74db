// RootMedia and AirBrushMedia as objects: the brush they build, the dabs a
// stroke message lays into a layer, spray that replays the same, setters
// that keep the arithmetic sound, pictures the media was only lent, and a
// stroke that undo and redo take back and bring again byte for byte.
#include <cstring>

#include "media_fixture.h"
#include "objects/object_text.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"

namespace qztest {
namespace {

using MediaObjectTest = MediaTest;

int32_t BrushWidth(Qz_Object* m) { return int32_t(Qz_DoMethod(m, kMediaGetBrushWidth)); }
int32_t BrushHeight(Qz_Object* m) { return int32_t(Qz_DoMethod(m, kMediaGetBrushHeight)); }

int NonZero(const std::vector<uint8_t>& bytes) {
  int n = 0;
  for (uint8_t b : bytes) n += b != 0;
  return n;
}

TEST_F(MediaObjectTest, AFreshAirBrushPaintsWithA70PixelBrushAtPressure20) {
  Qz_Object* media = Qz_CreateObject("AirBrushMedia");
  Qz_Image* doc = MakeDocument(200, 200, 1, media);
  Qz_Image* layer = Layer(doc);
  EXPECT_EQ(Qz_DoMethod(media, kMediaGetPressureValue), 20u);
  Send(media, kStrokeDab, doc, layer, 1, 0, {100, 100});
  EXPECT_EQ(BrushWidth(media), 70);
  EXPECT_EQ(BrushHeight(media), 70);
  const auto rows = BrushRows(media);
  ASSERT_EQ(rows.size(), 70u);
  EXPECT_EQ(rows[35][35], 255);
  // Strength 20 scatters the dab by up to 7 / 2 pixels; its centre holds 255 * 20 >> 8.
  const std::vector<uint8_t> plane = Plane(layer->grey, 200, 200);
  EXPECT_EQ(*std::max_element(plane.begin(), plane.end()), 19);
  EXPECT_GT(NonZero(plane), 3000);
}

TEST_F(MediaObjectTest, SizeAndPressureSettersKeepTheArithmeticSound) {
  Qz_Object* media = Qz_CreateObject("RootMedia");
  struct Case {
    int32_t size, width;
  } sizes[] = {{9, 9}, {0, 1}, {-5, 1}, {100000, 4096}};
  for (const Case& c : sizes) {
    Qz_DoMethod(media, kMediaSize, uint32_t(c.size));
    EXPECT_EQ(BrushWidth(media), c.width) << c.size;
    EXPECT_EQ(BrushHeight(media), c.width) << c.size;
    EXPECT_NE(Qz_DoMethod(media, kMediaGetBrushImage), 0u);
  }
  Qz_DoMethod(media, kMediaPressure, 0x1FFu);
  EXPECT_EQ(Qz_DoMethod(media, kMediaGetPressureValue), 255u);
  Qz_DoMethod(media, kMediaSetModeName, "");
  EXPECT_EQ(Qz_DoMethod(media, kMediaGetModeName), 0u);
  Qz_DisposeObject(media);
}

TEST_F(MediaObjectTest, LinesLayOneDabPerPixelOrOnlyAtTheEndWithoutFreehand) {
  for (int32_t freehand : {1, 0}) {
    SCOPED_TRACE(freehand);
    Qz_Object* media = Qz_CreateObject("RootMedia");  // no spray: dabs sit exactly
    Qz_DoMethod(media, kMediaSize, 1u);
    Qz_DoMethod(media, kMediaPressure, 255u);
    Qz_DoMethod(media, kMediaSetFreehand, uint32_t(freehand));
    Qz_Image* doc = MakeDocument(20, 5, 1, media);
    Qz_Image* layer = Layer(doc);
    Send(media, kStrokeLine, doc, layer, 1, 0, {2, 2, 12, 2});
    End(media, doc, layer);
    const std::vector<uint8_t> row(layer->grey[2], layer->grey[2] + 20);
    for (int32_t x = 0; x < 20; ++x) {
      const bool dab = freehand ? (x >= 2 && x < 12) : x == 12;
      EXPECT_EQ(row[size_t(x)], dab ? 254 : 0) << x;
    }
  }
}

TEST_F(MediaObjectTest, EraseTakesAlphaOutAndAOnePixelLayerIsPainted) {
  Qz_Object* media = Qz_CreateObject("RootMedia");
  Qz_DoMethod(media, kMediaSize, 5u);
  Qz_DoMethod(media, kMediaPressure, 255u);
  Qz_Image* doc = MakeDocument(1, 1, 1, media);
  Qz_Image* layer = Layer(doc);
  Send(media, kStrokeDab, doc, layer, 1, 0, {0, 0});
  EXPECT_EQ(layer->grey[0][0], 254);
  Send(media, kStrokeDab, doc, layer, 2, 0, {0, 0});
  EXPECT_EQ(layer->grey[0][0], 0);
  Send(media, kStrokeDab, doc, layer, 1, 0, {-40, 30});  // wholly outside: nothing
  EXPECT_EQ(layer->grey[0][0], 0);
}

TEST_F(MediaObjectTest, TabletPressureScalesTheDab) {
  Qz_Object* media = Qz_CreateObject("RootMedia");
  Qz_DoMethod(media, kMediaSize, 1u);
  Qz_DoMethod(media, kMediaPressure, 255u);
  Qz_Image* doc = MakeDocument(4, 1, 1, media);
  Qz_Image* layer = Layer(doc);
  const uint32_t none[1] = {0}, half[1] = {128};
  Send(media, kStrokeDab, doc, layer, 1, 0, {0, 0}, none);
  Send(media, kStrokeDab, doc, layer, 1, 0, {1, 0}, half);
  EXPECT_EQ(layer->grey[0][0], 0);
  EXPECT_EQ(layer->grey[0][1], 127);  // 255 * (128 * 255 / 255) >> 8
}

TEST_F(MediaObjectTest, ASprayedStrokeReplaysToTheSameBytes) {
  auto paint = [&](Qz_Object* media) {
    Qz_DoMethod(media, kMediaSize, 12u);
    Qz_DoMethod(media, kMediaPressure, 6u);
    Qz_DoMethod(media, kMediaSetFreehand, 1u);
    Qz_DoMethod(media, kMediaSetJitter, 30u);
    Qz_Image* doc = MakeDocument(64, 48, 1, media);
    Qz_Image* layer = Layer(doc);
    Send(media, kStrokeLine, doc, layer, 1, 0, {5, 5, 50, 40});
    Send(media, kStrokeCurve, doc, layer, 1, 0, {50, 40, 30, 10, 8, 44});
    End(media, doc, layer);
    return Plane(layer->grey, 64, 48);
  };
  const std::vector<uint8_t> first = paint(Qz_CreateObject("AirBrushMedia"));
  EXPECT_EQ(paint(Qz_CreateObject("AirBrushMedia")), first);
  EXPECT_NE(paint(Qz_CreateObject("RootMedia")), first);  // a RootMedia of its own does not spray
}

TEST_F(MediaObjectTest, AStrokeIsOneUndoStepRestoredAndRedoneByteForByte) {
  Qz_Object* media = Qz_CreateObject("AirBrushMedia");
  Qz_DoMethod(media, kMediaSize, 9u);
  Qz_DoMethod(media, kMediaPressure, 90u);
  Qz_DoMethod(media, kMediaSetFreehand, 1u);
  Qz_Image* doc = MakeDocument(40, 30, 1, media);
  Qz_Image* layer = Layer(doc);
  const std::vector<uint8_t> before = Plane(layer->grey, 40, 30);
  Qz_Object* action = Qz_CreateObject("RootAction", kActionSetQualifier, 1u, kActionSetFlags, kActionFreehand);
  ASSERT_EQ(Qz_AddLayerAction(layer, action, 0), 1u);
  for (auto [x, y] : {std::pair{3, 4}, {3, 4}, {20, 9}, {33, 25}, {10, 27}})
    Qz_DoMethod(action, kActionAddPoint, kActionSetX, uint32_t(x), kActionSetY, uint32_t(y));
  End(media, doc, layer);
  const std::vector<uint8_t> after = Plane(layer->grey, 40, 30);
  ASSERT_NE(after, before);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Plane(layer->grey, 40, 30), before);
  ASSERT_EQ(Qz_RedoImageAction(doc), 1u);
  EXPECT_EQ(Plane(layer->grey, 40, 30), after);
}

TEST_F(MediaObjectTest, AShapeSetsTheAspectAndALentPictureOutlivesTheMedia) {
  TempDir dir;
  const std::string path = dir.file("shape.ppm");
  WritePattern(path, 200, 100);
  Qz_Object* media = Qz_CreateObject("RootMedia");
  ASSERT_NE(Qz_DoMethod(media, kMediaSetShapeName, path.c_str()), 0u);
  Qz_DoMethod(media, kMediaSize, 50u);
  EXPECT_EQ(BrushWidth(media), 50);
  EXPECT_EQ(BrushHeight(media), 25);
  Qz_DoMethod(media, kMediaSize, 1u);  // a wide shape at a small size still has a row
  EXPECT_EQ(BrushHeight(media), 1);
  EXPECT_EQ(Qz_DoMethod(media, kMediaSetShapeName, "/no/such/picture.ppm"), 0u);

  auto* lent = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  ASSERT_NE(Qz_AllocImage(lent, 8, 8, 24, kQzAllocNoThread, nullptr), nullptr);
  Qz_DoMethod(media, kMediaSetShapeImage, lent);
  ASSERT_NE(Qz_DoMethod(media, kMediaSetShapeName, path.c_str()), 0u);  // replaces, never disposes, the lent one
  Qz_DoMethod(media, kMediaSetShapeImage, lent);
  Qz_DisposeObject(media);
  EXPECT_EQ(lent->object.self, qz::toWord(lent));  // still alive
  Qz_DisposeObject(&lent->object);
}

}  // namespace
}  // namespace qztest

namespace qztest {
namespace {

TEST_F(MediaObjectTest, SmearPullsColourAlongAndTheOtherButtonRestoresTheBackground) {
  Qz_Object* media = Qz_CreateObject("RootMedia");
  Qz_DoMethod(media, kMediaSetSmear, 1u);
  Qz_DoMethod(media, kMediaSetFreehand, 1u);
  Qz_DoMethod(media, kMediaPressure, 255u);
  Qz_DoMethod(media, kMediaSize, 7u);
  Qz_Image* doc = MakeDocument(30, 20, 1, media);
  Qz_Image* layer = Layer(doc);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 30; ++x) doc->r[y][x] = x < 15 ? 200 : 0, doc->undoR[y][x] = 100;
  Send(media, kStrokeLine, doc, layer, 1, 0, {8, 10, 22, 10});
  End(media, doc, layer);
  EXPECT_GT(doc->r[10][18], 0);  // red dragged into the black half
  EXPECT_EQ(doc->r[0][29], 0);   // far from the stroke: untouched
  // Dabs over every edge stay inside the picture.
  Send(media, kStrokeLine, doc, layer, 1, 0, {0, 0, 29, 19});
  Send(media, kStrokeLine, doc, layer, 1, 0, {29, 0, -6, 25});
  End(media, doc, layer);
  doc->r[5][5] = 0;
  Send(media, kStrokeDab, doc, layer, 2, 0, {5, 5});
  EXPECT_GT(doc->r[5][5], 90);  // back towards the background's 100
  EXPECT_LE(doc->r[5][5], 100);
}

}  // namespace
}  // namespace qztest
