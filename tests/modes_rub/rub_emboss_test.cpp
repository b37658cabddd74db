// Rub emboss: the picture plus the relief of the data below along the light,
// checked against a plain per-pixel model with the light's vectors written
// out; a flat field, the strong edge that must not wrap, the settings and
// their re-renders, the full-width notice of the picture's pass, and the
// same bytes however cut, also while the settings change during passes.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "modes/qz_rub_modes.h"
#include "objects/qz_notify.h"
#include "rub_test_kit.h"

namespace {

using qztest::Document;
using qztest::Rgb;
using rubtest::Opaque;

struct Light {
  int32_t angle;
  int32_t dx, dy;  // 1025 (cos, sin) of angle + 90 degrees, rounded up, 513..1023 made 1024
};
const Light kLights[] = {{0, 1, 1025},       {45, -724, 1024}, {90, -1025, 1},   {135, -724, -724},
                         {180, 0, -1025},    {270, 1025, 0},   {315, 1024, 1024}};

struct Settings {
  int32_t amount, length;
  Light light;
  bool colour;
};

void Apply(Qz_Object* mode, const Settings& s) {
  Qz_DoMethod(mode, kQzRubEmbossSetAmount, uint32_t(s.amount));
  Qz_DoMethod(mode, kQzRubEmbossSetLength, uint32_t(s.length));
  Qz_DoMethod(mode, kQzRubEmbossSetAngle, uint32_t(s.light.angle));
  Qz_DoMethod(mode, kQzRubEmbossSetColour, s.colour ? 1u : 0u);
}

// The mode's output at (x, y), one pixel at a time: t the picture's pixel,
// below(x, y) the data below with x and y limited to the document.
Rgb Model(const Settings& s, Rgb t, Rgb colour, const std::function<Rgb(int32_t, int32_t)>& below,
          int32_t x, int32_t y) {
  const int32_t k = s.amount * 256 / 100;
  Rgb out;
  for (int c = 0; c < 3; ++c) {
    int64_t sum = 0;
    for (int32_t i = s.length; i >= 1; --i) {
      const int32_t ox = (i * s.light.dx) >> 10, oy = (i * s.light.dy) >> 10;
      sum += int64_t(below(x - ox, y - oy)[c]) - below(x + ox, y + oy)[c];
    }
    const int64_t v = t[c] + (s.colour ? colour[c] : 0) + ((sum * k) >> 8);
    out[c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
  }
  return out;
}

TEST(RubEmboss, MatchesThePerPixelModel) {
  const Settings settings[] = {
      {100, 1, kLights[3], false}, {-100, 1, kLights[0], false}, {1, 2, kLights[1], true},
      {200, 3, kLights[2], false}, {37, 5, kLights[4], true},    {-200, 9, kLights[5], false},
      {150, 4, kLights[6], false}, {100, 128, kLights[3], false}};
  Document picture(40, 14, rubtest::Picture);
  for (const Settings& s : settings) {
    SCOPED_TRACE(testing::Message() << "amount " << s.amount << ", length " << s.length << ", angle "
                                    << s.light.angle << (s.colour ? ", colour" : ""));
    rubtest::Stack stack(48, 18);
    const Rgb colour = {60, 120, 240};
    Qz_Image* layer = stack.Add("RubEmboss", 2, 1, 44, 16, Opaque, colour);
    ASSERT_NE(layer, nullptr);
    stack.doc.AttachSecondary(layer, picture.image, 1, 2);  // at (3, 3) in the document
    Apply(layer->mode, s);
    const std::vector<Rgb> whole = rubtest::DataBelow(stack.doc, layer);
    auto below = [&](int32_t x, int32_t y) {
      return whole[size_t(std::clamp(y, 0, 17) * 48 + std::clamp(x, 0, 47))];
    };
    // Blocks at the document's left edge, across the picture's top and
    // bottom edges, and a single row.
    struct Block {
      int32_t x0, x1, y0, y1;
    };
    for (const Block& b : {Block{0, 20, 0, 6}, Block{10, 47, 12, 17}, Block{0, 47, 9, 9}}) {
      const std::vector<Rgb> out = qztest::StrictRender(stack.doc, layer, b.x0, b.x1, b.y0, b.y1);
      for (int32_t y = b.y0; y <= b.y1; ++y)
        for (int32_t x = b.x0; x <= b.x1; ++x) {
          const bool over = x >= 3 && x < 43 && y >= 3 && y < 17;
          const Rgb expected =
              over ? Model(s, rubtest::Picture(x - 3, y - 3), colour, below, x, y) : rubtest::Below(x, y);
          ASSERT_EQ(out[size_t((y - b.y0) * (b.x1 - b.x0 + 1) + x - b.x0)], expected) << x << ", " << y;
        }
    }
  }
}

TEST(RubEmboss, AFlatFieldShowsThePictureOrTheDataBelow) {
  Document picture(8, 5, rubtest::Picture);
  for (bool withPicture : {true, false}) {
    SCOPED_TRACE(withPicture ? "a picture" : "no picture");
    Document doc(8, 5, [](int32_t, int32_t) { return Rgb{90, 20, 250}; });
    Qz_Image* layer = doc.AddPaintLayer("RubEmboss", {0, 0, 0}, 0, 0, 8, 5, Opaque);
    ASSERT_NE(layer, nullptr);
    if (withPicture) doc.AttachSecondary(layer, picture.image, 0, 0);
    Qz_DoMethod(layer->mode, kQzRubEmbossSetLength, 6u);
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 0, 7, 0, 4);
    for (int32_t y = 0; y < 5; ++y)
      for (int32_t x = 0; x < 8; ++x)
        ASSERT_EQ(out[size_t(y * 8 + x)], withPicture ? rubtest::Picture(x, y) : Rgb({90, 20, 250})) << x << ", " << y;
  }
}

// 128 steps at 200 % across a black-to-white edge: the relief is 65280
// above a black picture; it shows white (and black when inverted), never wrapped.
TEST(RubEmboss, AStrongEdgeIsLimitedNotWrapped) {
  Document picture(300, 300, [](int32_t, int32_t) { return Rgb{0, 0, 0}; });
  Document doc(300, 300, [](int32_t x, int32_t y) { return x + y > 300 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; });
  Qz_Image* layer = doc.AddPaintLayer("RubEmboss", {0, 0, 0}, 0, 0, 300, 300, Opaque);
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, picture.image, 0, 0);
  Qz_DoMethod(layer->mode, kQzRubEmbossSetLength, 128u);
  for (int32_t amount : {200, -200}) {
    SCOPED_TRACE(amount);
    Qz_DoMethod(layer->mode, kQzRubEmbossSetAmount, uint32_t(amount));
    // At the default 135 degrees the light comes from the lower right.
    const Rgb p = qztest::StrictRender(doc, layer, 150, 150, 150, 150)[0];
    EXPECT_EQ(p, amount > 0 ? Rgb({255, 255, 255}) : Rgb({0, 0, 0}));
  }
}

TEST(RubEmboss, SettingsAnswerZeroStayInRangeAndReRender) {
  Document doc(4, 4, rubtest::Below);
  Qz_Image* layer = doc.AddPaintLayer("RubEmboss", {0, 0, 0}, 0, 0, 4, 4, Opaque);
  ASSERT_NE(layer, nullptr);
  Qz_Object* mode = layer->mode;
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetFlags), uint32_t(kQzModeCombinesSource | kQzModeFullWidthNotices));
  struct Case {
    uint32_t setter, getter;
    int32_t initial, set, stored;
  };
  const Case cases[] = {{kQzRubEmbossSetAmount, kQzRubEmbossGetAmount, 100, -300, -200},
                        {kQzRubEmbossSetAmount, kQzRubEmbossGetAmount, -200, 250, 200},
                        {kQzRubEmbossSetLength, kQzRubEmbossGetLength, 1, 0, 1},
                        {kQzRubEmbossSetLength, kQzRubEmbossGetLength, 1, 500, 128},
                        {kQzRubEmbossSetAngle, kQzRubEmbossGetAngle, 135, -45, -45},
                        {kQzRubEmbossSetColour, kQzRubEmbossGetColour, 0, 1, 1}};
  qztest::RerenderCounter rerenders;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.setter << " = " << c.set);
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.initial);
    rerenders.Reset();
    EXPECT_EQ(Qz_DoMethod(mode, c.setter, uint32_t(c.set)), 0u);
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.stored);
    EXPECT_EQ(rerenders.Count(doc.image), c.stored == c.initial ? 0u : 1u);
    rerenders.Reset();
    Qz_DoMethod(mode, c.setter, uint32_t(c.set));  // the same again: nothing
    EXPECT_EQ(rerenders.Count(), 0u);
  }
}

void RecordRect(QzWord rects, Qz_Object*, uint32_t, const QzWord* words) {
  reinterpret_cast<std::vector<std::array<int32_t, 4>>*>(rects)->push_back(
      {int32_t(words[2]), int32_t(words[3]), int32_t(words[4]), int32_t(words[5])});
}

// The picture's strip pass brings one notice over the layer's full width
// when it ends, not one per strip.
TEST(RubEmboss, ThePicturesPassEndsInOneFullWidthNotice) {
  Document doc(12, 9, rubtest::Below);
  Qz_Image* layer = doc.AddPaintLayer("RubEmboss", {0, 0, 0}, 0, 0, 12, 9, Opaque);
  ASSERT_NE(layer, nullptr);
  Document picture(5, 4, rubtest::Picture);
  ASSERT_NE(picture.AddPaintLayer("Paint", {1, 2, 3}, 0, 0, 5, 4, Opaque), nullptr);
  doc.AttachSecondary(layer, picture.image, 0, 2);
  std::vector<std::array<int32_t, 4>> rects;
  const QzWord watch = Qz_AddCallBackNotify(&layer->object, kQzImageChanged, kNotifyAnyValue, RecordRect,
                                            reinterpret_cast<QzWord>(&rects));
  Qz_DoMethod(&picture.image->object, kQzImageRerender);
  Qz_RemoveNotify(&layer->object, watch);
  EXPECT_EQ(rects, (std::vector<std::array<int32_t, 4>>{{0, 2, 11, 5}}));
}

TEST(RubEmboss, SameHoweverCut) {
  Document picture(150, 30, rubtest::Picture);
  for (bool withPicture : {true, false}) {
    SCOPED_TRACE(withPicture ? "a picture" : "no picture");
    rubtest::Stack stack(210, 30);
    Qz_Image* layer = stack.Add("RubEmboss", 4, 2, 200, 27, qztest::GappedAlpha);
    ASSERT_NE(layer, nullptr);
    stack.doc.AttachSecondary(layer, withPicture ? picture.image : nullptr, 7, -3);
    Apply(layer->mode, {120, 4, {30, 0, 0}, true});
    qztest::ExpectSameHoweverCut(stack.doc);
    // Blocks across the picture's and the document's edges read only what they fetched.
    qztest::StrictRender(stack.doc, layer, 0, 209, 0, 3);
    qztest::StrictRender(stack.doc, layer, 100, 209, 24, 29);
  }
}

// Settings changed on another thread while passes render: each pass reads
// them once, and the last settings give what a fresh pass gives.
TEST(RubEmboss, SettingsChangeWhilePassesRender) {
  Document picture(150, 30, rubtest::Picture);
  rubtest::Stack stack(210, 30);
  Qz_Image* layer = stack.Add("RubEmboss", 4, 2, 200, 27, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  stack.doc.AttachSecondary(layer, picture.image, 7, -3);
  const int32_t before = Qz__SetCompositorWorkers(8);
  qztest::RerenderCounter quiet;  // the setters' requests go nowhere
  std::atomic<bool> stop{false};
  std::thread setter([&] {
    for (int32_t i = 0; !stop.load(); ++i) Apply(layer->mode, {i % 400 - 200, 1 + i % 20, {i % 360, 0, 0}, (i & 1) != 0});
  });
  for (int pass = 0; pass < 12; ++pass) stack.doc.Composite();
  stop.store(true);
  setter.join();
  Apply(layer->mode, {80, 3, {200, 0, 0}, false});
  stack.doc.Composite();
  const std::vector<uint8_t> racing = stack.doc.Planes();
  Qz__SetCompositorWorkers(1);
  stack.doc.ClearResult();
  stack.doc.Composite();
  EXPECT_EQ(stack.doc.Planes(), racing);
  Qz__SetCompositorWorkers(before);
}

}  // namespace
