// Settings changed on another thread while passes render on eight workers
// (each mode with its panel, which shows every change): no render sees a
// torn state, and once the changes stop a pass gives the bytes a fresh
// document gives with the final settings.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "blur_test_kit.h"
#include "image/strip_pool.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QZ_EXTERN_C_END

namespace {

using namespace blurtest;

struct Setting {
  uint32_t setter;
  int32_t low, high, final;
};

struct Case {
  const char* mode;
  std::vector<Setting> settings;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"Blur", {{kQzModeSetXRadius, -3, 40, 5}, {kQzModeSetYRadius, 0, 300, 2}}},
      {"Glow", {{kQzModeSetXRadius, 0, 9, 1}, {kQzModeSetYRadius, 0, 9, 4}}},
      {"UnsharpMask", {{kQzModeSetRadius, 0, 30, 2}, {kQzModeSetAmount, 0, 100, 50}, {kQzModeSetThreshold, 0, 9, 3}}},
      {"GaussianBlur", {{kQzModeSetRadius, -2, 40, 4}}},
      {"BloomBlur", {{2458, -1, 30, 2}, {2478, 0, 30, 5}, {2498, 0, 120, 70}}},
      {"MotionBlur", {{2086, -2, 40, 9}, {2106, -400, 400, 33}}},
      {"PanBlur", {{2086, -2, 40, 6}, {2106, -400, 400, 100}}},
      {"CrossBlur", {{2086, 0, 40, 12}, {2106, -400, 400, 20}, {2126, 0, 120, 45}}},
      {"PlusBlur", {{2066, 0, 40, 8}, {2086, 0, 120, 70}}},
      {"StarBlur", {{2086, 0, 40, 11}, {2106, -400, 400, 75}, {2126, 0, 120, 80}}},
  };
  return cases;
}

void Apply(Qz_Object* mode, const Setting& s, int32_t value) { Qz_DoMethod(mode, s.setter, uint32_t(value)); }

TEST(SettingsWhileRendering, PassesStayWholeAndEndOnTheFinalSettings) {
  qztest::RerenderCounter quiet;  // nothing is queued for the documents' absent threads
  ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u);
  const int32_t before = Qz__SetCompositorWorkers(8);
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.mode);
    Document doc(160, 48, qztest::NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {200, 120, 40}, 0, 0, 160, 48, qztest::GappedAlpha);
    ASSERT_NE(layer, nullptr);
    ASSERT_NE(Qz_DoMethod(layer->mode, kQzModeGetPanel), 0u);
    std::atomic<bool> stop{false};
    std::thread hammer([&] {
      uint32_t step = 0;
      while (!stop.load()) {
        for (const Setting& s : c.settings) Apply(layer->mode, s, s.low + int32_t(step % uint32_t(s.high - s.low + 1)));
        ++step;
      }
    });
    for (int pass = 0; pass < 6; ++pass) doc.Composite();
    stop = true;
    hammer.join();
    for (const Setting& s : c.settings) Apply(layer->mode, s, s.final);
    doc.ClearResult();
    doc.Composite();

    Document fresh(160, 48, qztest::NoisePixel);
    Qz_Image* freshLayer = fresh.AddPaintLayer(c.mode, {200, 120, 40}, 0, 0, 160, 48, qztest::GappedAlpha);
    ASSERT_NE(freshLayer, nullptr);
    for (const Setting& s : c.settings) Apply(freshLayer->mode, s, s.final);
    fresh.Composite();
    EXPECT_EQ(doc.Planes(), fresh.Planes());
  }
  Qz__SetCompositorWorkers(before);
  Qz_CleanupRootPluginClass();
}

}  // namespace
