// The rank filters against brute-force references that repeat the image's
// edge samples, their thresholds at the boundary, the radii that object
// text and scripts can bring, and the despeckle boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "compositor/compositor_kit.h"
#include "objects/object_text.h"
#include "objects/qz_notify.h"
#include "support/external_tools.h"
#include "support/stored_text.h"
#include "support/temp_dir.h"

namespace {

using qztest::Document;
using qztest::NoisePixel;
using qztest::Rgb;

constexpr int32_t kW = 23, kH = 17;

// Method ids of the modes under test.
constexpr uint32_t kDespeckleSetRadius = 0x814, kDespeckleGetRadius = 0x81E;
constexpr uint32_t kDespeckleHigh = 0x828, kDespeckleLow = 0x832, kDespeckleSetThreshold = 0x83C;
constexpr uint32_t kDespeckleAbove = 0x846, kDespeckleBelow = 0x850;
constexpr uint32_t kSetXRadius = 0x9FE, kGetXRadius = 0xA08, kSetYRadius = 0xA12, kGetYRadius = 0xA1C;

uint8_t Sample(int32_t x, int32_t y, int c) {
  return NoisePixel(std::clamp(x, 0, kW - 1), std::clamp(y, 0, kH - 1))[size_t(c)];
}

std::vector<uint8_t> Window(int32_t x, int32_t y, int c, int32_t rx, int32_t ry) {
  std::vector<uint8_t> v;
  for (int32_t dy = -ry; dy <= ry; ++dy)
    for (int32_t dx = -rx; dx <= rx; ++dx) v.push_back(Sample(x + dx, y + dy, c));
  return v;
}

uint8_t Median(std::vector<uint8_t> v) {
  std::sort(v.begin(), v.end());
  return v[(v.size() - 1) / 2];
}

using Reference = std::function<uint8_t(int32_t x, int32_t y, int c)>;

// Renders three blocks (the top rows, an inner block, the bottom-right
// corner) strictly and compares every pixel with the reference.
void ExpectMatches(Document& doc, Qz_Image* layer, const Reference& reference) {
  struct Block {
    int32_t x0, x1, y0, y1;
  };
  for (const Block& b : {Block{0, kW - 1, 0, 1}, Block{4, 13, 5, 8}, Block{kW - 6, kW - 1, kH - 3, kH - 1}}) {
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, b.x0, b.x1, b.y0, b.y1);
    size_t i = 0;
    int wrong = 0;
    for (int32_t y = b.y0; y <= b.y1; ++y)
      for (int32_t x = b.x0; x <= b.x1; ++x, ++i)
        for (int c = 0; c < 3; ++c)
          if (out[i][size_t(c)] != reference(x, y, c) && ++wrong <= 3)
            ADD_FAILURE() << "pixel " << x << "," << y << " channel " << c << ": "
                          << int(out[i][size_t(c)]) << ", expected " << int(reference(x, y, c));
  }
}

Qz_Image* OpaqueLayer(Document& doc, const std::string& mode) {
  return doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, doc.width(), doc.height(),
                           [](int32_t, int32_t) { return uint8_t(255); });
}

TEST(RankFilters, MedianOfEveryRadiusMatchesTheBruteForceMedian) {
  Document doc(kW, kH, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc, "Median");
  ASSERT_NE(layer, nullptr);
  for (int32_t r : {2, 3, 5, 8, 16}) {
    SCOPED_TRACE(r);
    EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeSetRadius, r), QzWord(r));
    ExpectMatches(doc, layer, [r](int32_t x, int32_t y, int c) { return Median(Window(x, y, c, r, r)); });
  }
}

TEST(RankFilters, DespeckleHighAndLowQualityMatchTheirReferences) {
  Document doc(kW, kH, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc, "Despeckle");
  ASSERT_NE(layer, nullptr);
  auto separable = [](int32_t x, int32_t y, int c, int32_t r) {
    std::vector<uint8_t> columns;
    for (int32_t dx = -r; dx <= r; ++dx) columns.push_back(Median(Window(x + dx, y, c, 0, r)));
    return Median(columns);
  };
  struct Case {
    int32_t radius, threshold;
    bool high, above;
  };
  const Case cases[] = {{1, 0, true, true},   {3, 0, true, true},    {10, 0, true, true},
                        {1, 0, false, true},  {2, 0, false, true},   {6, 0, false, true},
                        {2, 40, true, true},  {2, 40, true, false},  {2, 255, false, false},
                        {4, 90, false, true}, {4, 90, false, false}, {1, 255, true, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "radius " << k.radius << " threshold " << k.threshold
                                    << (k.high ? " high" : " low") << (k.above ? " above" : " below"));
    Qz_DoMethod(layer->mode, kDespeckleSetRadius, k.radius);
    Qz_DoMethod(layer->mode, kDespeckleSetThreshold, k.threshold);
    Qz_DoMethod(layer->mode, k.high ? kDespeckleHigh : kDespeckleLow, 0);
    Qz_DoMethod(layer->mode, k.above ? kDespeckleAbove : kDespeckleBelow, 1);
    ExpectMatches(doc, layer, [&](int32_t x, int32_t y, int c) {
      const uint8_t own = Sample(x, y, c);
      const uint8_t m = k.high ? Median(Window(x, y, c, k.radius, k.radius)) : separable(x, y, c, k.radius);
      const bool near = std::abs(int(m) - int(own)) < k.threshold;
      return near == k.above ? own : m;
    });
  }
}

TEST(RankFilters, MaxAndMinOverARadiusGridMatchTheirReferences) {
  for (const char* mode : {"Max", "Min"}) {
    const bool max = std::string(mode) == "Max";
    Document doc(kW, kH, NoisePixel);
    Qz_Image* layer = OpaqueLayer(doc, mode);
    ASSERT_NE(layer, nullptr);
    for (int32_t rx : {0, 1, 2, 5, 30})
      for (int32_t ry : {0, 1, 3, 20}) {
        SCOPED_TRACE(testing::Message() << mode << " rx " << rx << " ry " << ry);
        EXPECT_EQ(Qz_DoMethod(layer->mode, kSetXRadius, rx), 0u);
        EXPECT_EQ(Qz_DoMethod(layer->mode, kSetYRadius, ry), 0u);
        ExpectMatches(doc, layer, [&](int32_t x, int32_t y, int c) {
          const std::vector<uint8_t> w = Window(x, y, c, rx, ry);
          return max ? *std::max_element(w.begin(), w.end()) : *std::min_element(w.begin(), w.end());
        });
      }
  }
}

// A flat field of 100 with one pixel off by d in each channel: red 40 away,
// green 41 above, blue 41 below (or the noise threshold's 25 and 26).
struct ThresholdCase {
  const char* mode;
  uint32_t setter;
  int32_t value;
  Rgb centre, expected;
};

TEST(RankFilters, ThresholdsReplaceOnlyBeyondTheirBoundary) {
  const ThresholdCase cases[] = {
      {"Median", kQzModeSetRadius, 1, {140, 141, 59}, {140, 100, 100}},
      {"Median", kQzModeSetRadius, 2, {140, 141, 59}, {100, 100, 100}},
      {"RemoveNoise", kQzModeSetThreshold, 10, {125, 126, 74}, {125, 100, 100}},
      {"RemoveNoise", kQzModeSetThreshold, 100, {255, 0, 254}, {255, 0, 254}},
      {"RemoveNoise", kQzModeSetThreshold, 1, {102, 103, 97}, {102, 100, 100}},  // t = 2
  };
  for (const ThresholdCase& k : cases) {
    SCOPED_TRACE(testing::Message() << k.mode << " " << k.value);
    Document doc(9, 7, [&](int32_t x, int32_t y) { return x == 4 && y == 3 ? k.centre : Rgb{100, 100, 100}; });
    Qz_Image* layer = OpaqueLayer(doc, k.mode);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, k.setter, k.value);
    EXPECT_EQ(qztest::StrictRender(doc, layer, 2, 6, 3, 3)[2], k.expected);
    doc.Composite();
    EXPECT_EQ(doc.Pixel(4, 3), k.expected);
    EXPECT_EQ(doc.Pixel(3, 3), (Rgb{100, 100, 100}));
  }
}

TEST(RankFilters, DefaultsAndOutOfRangeSettingsAreLimited) {
  Document doc(kW, kH, NoisePixel);
  Qz_Image* max = OpaqueLayer(doc, "Max");
  // The others as modes without a layer (a layer would lie below Max's).
  Qz_Object* median = qztest::MakeMode("Median", nullptr);
  Qz_Object* noise = qztest::MakeMode("RemoveNoise", nullptr);
  Qz_Object* despeckle = qztest::MakeMode("Despeckle", nullptr);
  ASSERT_TRUE(median && noise && despeckle && max);
  EXPECT_EQ(Qz_DoMethod(median, kQzModeGetRadius), 1u);
  EXPECT_EQ(Qz_DoMethod(noise, kQzModeGetThreshold), 10u);
  EXPECT_EQ(Qz_DoMethod(despeckle, kDespeckleGetRadius), 1u);
  EXPECT_EQ(Qz_DoMethod(max->mode, kGetXRadius), 2u);
  EXPECT_EQ(Qz_DoMethod(max->mode, kGetYRadius), 2u);
  EXPECT_EQ(Qz_DoMethod(median, kQzModeSetRadius, 40), 16u);
  EXPECT_EQ(Qz_DoMethod(median, kQzModeSetRadius, QzWord(-3)), 1u);
  EXPECT_EQ(Qz_DoMethod(noise, kQzModeSetThreshold, 0), 1u);
  Qz_DoMethod(despeckle, kDespeckleSetRadius, 50);
  EXPECT_EQ(Qz_DoMethod(despeckle, kDespeckleGetRadius), 10u);
  Qz_DoMethod(max->mode, kSetXRadius, QzWord(-7));
  Qz_DoMethod(max->mode, kSetYRadius, 1000);
  EXPECT_EQ(Qz_DoMethod(max->mode, kGetXRadius), 0u);
  EXPECT_EQ(Qz_DoMethod(max->mode, kGetYRadius), 100u);
  // Max with both radii 0 leaves the picture as it is.
  Qz_DoMethod(max->mode, kSetYRadius, 0);
  ExpectMatches(doc, max, [](int32_t x, int32_t y, int c) { return Sample(x, y, c); });
  for (Qz_Object* mode : {median, noise, despeckle}) Qz_DisposeObject(mode);
}

TEST(RankFilters, StoredAttributesRoundTripAndAStoredMedianRadiusIsLimited) {
  struct Case {
    const char* mode;
    uint32_t setter, getter;
    int32_t value;
  };
  for (const Case& k : {Case{"MedianMode", kQzModeSetRadius, kQzModeGetRadius, 7},
                        Case{"RemoveNoiseMode", kQzModeSetThreshold, kQzModeGetThreshold, 64},
                        Case{"HoneycombMode", kQzModeSetRadius, kQzModeGetRadius, 9}}) {
    SCOPED_TRACE(k.mode);
    Qz_Object* mode = Qz_CreateObject(k.mode);
    ASSERT_NE(mode, nullptr);
    Qz_DoMethod(mode, k.setter, k.value);
    std::string text = qztest::storedText(mode);
    Qz_DisposeObject(mode);
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    Qz_Object* back = Qz_CreateObjectsFromString(buffer.data());
    ASSERT_NE(back, nullptr) << text;
    EXPECT_EQ(Qz_DoMethod(back, k.getter), QzWord(k.value)) << text;
    Qz_DisposeObject(back);
  }
  // A text that names a radius past the largest window renders at 16.
  Document doc(kW, kH, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc, "Median");
  ASSERT_NE(layer, nullptr);
  std::string text = qztest::storedText(layer->mode);
  const size_t at = text.find("Qz_SetModeRadius");
  ASSERT_NE(at, std::string::npos) << text;
  const size_t comma = text.find(',', at);
  text.replace(comma + 1, text.find(',', comma + 1) - comma - 1, "40");
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  Qz_Object* restored = Qz_CreateObjectsFromString(buffer.data());
  ASSERT_NE(restored, nullptr) << text;
  EXPECT_EQ(Qz_DoMethod(restored, kQzModeGetRadius), 16u) << text;
  Qz_DisposeObject(layer->mode);
  layer->mode = restored;
  Qz_DoMethod(restored, kQzModeSetImage, layer);
  ExpectMatches(doc, layer, [](int32_t x, int32_t y, int c) { return Median(Window(x, y, c, 16, 16)); });
}

TEST(RankFilters, DespeckleBoxesSelectTheirOwnSettingWhateverTheirState) {
  Document doc(kW, kH, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc, "Despeckle");
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kDespeckleSetRadius, 2);
  const std::vector<Rgb> high = qztest::StrictRender(doc, layer, 0, kW - 1, 4, 4);
  qztest::RerenderCounter rerenders;
  // Unticking Low still selects low quality; ticking High again brings it back.
  Qz_DoMethod(layer->mode, kDespeckleLow, 0);
  EXPECT_EQ(rerenders.Count(), 1u);
  const std::vector<Rgb> low = qztest::StrictRender(doc, layer, 0, kW - 1, 4, 4);
  EXPECT_NE(low, high);
  Qz_DoMethod(layer->mode, kDespeckleLow, 1);
  EXPECT_EQ(rerenders.Count(), 1u);  // already low: nothing to redo
  Qz_DoMethod(layer->mode, kDespeckleHigh, 0);
  EXPECT_EQ(qztest::StrictRender(doc, layer, 0, kW - 1, 4, 4), high);
  EXPECT_EQ(rerenders.Count(), 2u);
}

// The panel shows what the hand-written setters keep: each tells of a
// change with the value it kept (a radius limited, the box chosen), and
// of nothing when nothing changed.
TEST(RankFilters, HandWrittenSettersTellThePanelWhatTheyKept) {
  struct Heard {
    std::vector<std::pair<uint32_t, QzWord>> notes;
  } heard;
  auto note = [](QzWord user, Qz_Object*, uint32_t method, const QzWord* value) {
    reinterpret_cast<Heard*>(user)->notes.push_back({method, value[0]});
  };
  Qz_Object* max = qztest::MakeMode("Max", nullptr);
  Qz_Object* despeckle = qztest::MakeMode("Despeckle", nullptr);
  ASSERT_TRUE(max && despeckle);
  for (uint32_t id : {kSetXRadius, kSetYRadius})
    Qz_AddCallBackNotify(max, id, kNotifyAnyValue, note, reinterpret_cast<QzWord>(&heard));
  for (uint32_t id : {kDespeckleHigh, kDespeckleLow, kDespeckleAbove, kDespeckleBelow})
    Qz_AddCallBackNotify(despeckle, id, kNotifyAnyValue, note, reinterpret_cast<QzWord>(&heard));
  Qz_DoMethod(max, kSetXRadius, 500);
  Qz_DoMethod(max, kSetXRadius, 100);  // kept already
  Qz_DoMethod(max, kSetYRadius, QzWord(-1));
  Qz_DoMethod(despeckle, kDespeckleHigh, 0);  // high already
  Qz_DoMethod(despeckle, kDespeckleLow, 0);   // a cleared Low box still chooses low
  Qz_DoMethod(despeckle, kDespeckleBelow, 1);
  const std::vector<std::pair<uint32_t, QzWord>> expected = {
      {kSetXRadius, 100}, {kSetYRadius, 0}, {kDespeckleLow, 1}, {kDespeckleBelow, 1}};
  EXPECT_EQ(heard.notes, expected);
  Qz_DisposeObject(max);
  Qz_DisposeObject(despeckle);
}

// ImageMagick's -statistic repeats the edge pixels as we do: the same bytes.
TEST(RankFilters, MedianMaxAndMinMatchImageMagick) {
  if (!qztest::haveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
  qztest::TempDir dir;
  Document input(kW, kH, NoisePixel);
  const std::vector<uint8_t> planes = input.Planes();
  const size_t plane = size_t(kW) * kH;
  std::string ppm = "P6\n" + std::to_string(kW) + " " + std::to_string(kH) + "\n255\n";
  for (size_t i = 0; i < plane; ++i)
    for (int c = 0; c < 3; ++c) ppm += char(planes[size_t(c) * plane + i]);
  {
    std::FILE* f = std::fopen(dir.file("in.ppm").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(ppm.data(), 1, ppm.size(), f);
    std::fclose(f);
  }
  struct Case {
    const char* mode;
    uint32_t setX, setY;
    int32_t rx, ry;
    const char* statistic;
  };
  const Case cases[] = {{"Median", kQzModeSetRadius, 0, 1, 1, "Median"},
                        {"Median", kQzModeSetRadius, 0, 4, 4, "Median"},
                        {"Median", kQzModeSetRadius, 0, 16, 16, "Median"},
                        {"Max", kSetXRadius, kSetYRadius, 3, 1, "Maximum"},
                        {"Min", kSetXRadius, kSetYRadius, 0, 6, "Minimum"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.mode << " " << k.rx << " x " << k.ry);
    const std::string size = std::to_string(2 * k.rx + 1) + "x" + std::to_string(2 * k.ry + 1);
    const std::string out = dir.file("out.ppm");
    const std::string command = "convert " + dir.file("in.ppm") + " -statistic " + k.statistic + " " +
                                size + " " + out;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string theirs = qztest::fileContents(out);
    ASSERT_GE(theirs.size(), plane * 3);
    const std::string pixels = theirs.substr(theirs.size() - plane * 3);
    // At radius 1 the median replaces only samples more than 40 away from it.
    Document doc(kW, kH, NoisePixel);
    Qz_Image* layer = OpaqueLayer(doc, k.mode);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, k.setX, k.rx);
    if (k.setY) Qz_DoMethod(layer->mode, k.setY, k.ry);
    doc.Composite();
    int wrong = 0;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x)
        for (int c = 0; c < 3; ++c) {
          const uint8_t ours = doc.Pixel(x, y)[size_t(c)], own = Sample(x, y, c);
          const uint8_t magick = uint8_t(pixels[(size_t(y) * kW + size_t(x)) * 3 + size_t(c)]);
          const bool thresholded = std::string(k.mode) == "Median" && k.rx == 1;
          const uint8_t expected = thresholded && std::abs(int(magick) - int(own)) <= 40 ? own : magick;
          if (ours != expected && ++wrong <= 3)
            ADD_FAILURE() << x << "," << y << " channel " << c << ": " << int(ours) << ", ImageMagick "
                          << int(magick);
        }
  }
}

}  // namespace
