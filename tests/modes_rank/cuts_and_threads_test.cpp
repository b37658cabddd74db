// Every mode of the family gives the same bytes however the document is cut
// into blocks and strips and however many workers render it, reads nothing
// it did not fetch, and takes settings changed while a pass renders without
// a race.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "compositor/compositor_kit.h"
#include "image/strip_pool.h"

namespace {

using qztest::Document;
using qztest::NoisePixel;

using Setting = qztest::ModeSetting;
using qztest::ModeCase;

// Defaults, and settings that widen the reach or take another path.
const std::vector<ModeCase>& Cases() {
  static const std::vector<ModeCase> cases = {
      {"Median", {}},
      {"Median", {{kQzModeSetRadius, 4}}},
      {"RemoveNoise", {}},
      {"Despeckle", {}},
      {"Despeckle", {{0x814, 3}, {0x832, 1}, {0x83C, 30}}},
      {"Despeckle", {{0x814, 2}, {0x850, 1}, {0x83C, 60}}},
      {"Max", {}},
      {"Max", {{0x9FE, 7}, {0xA12, 0}}},
      {"Min", {{0x9FE, 0}, {0xA12, 5}}},
      {"CrackedPaint", {}},
      {"Honeycomb", {}},
      {"Honeycomb", {{kQzModeSetRadius, 1}}},
      {"Honeycomb", {{kQzModeSetRadius, 9}}},
      {"TVScanlines", {}},
      {"TVScanlines", {{0x820, 7}, {0x834, 5}, {0x848, 200}}},
      {"Deinterlace", {}},
      {"Deinterlace", {{0x820, 1}}},
      {"Deinterlace", {{0x820, 2}}},
      {"MakeSeamless", {}},
      {"MakeSeamless", {{0x820, 100}}},
      {"GlowEdges", {}},
      {"GlowEdges", {{0x86E, 7}, {0x878, 40}}},
      {"Stellate", {}},
      {"Stellate", {{0x826, 30}, {0x83A, 195}, {0x84E, 7}}},
      {"Stellate", {{0x826, 40}, {0x83A, 33}, {0x84E, 100}}},
      {"Fire", {}},
  };
  return cases;
}


// One test per case, so each stays short under the thread sanitizer.
class SameBytesHoweverCut : public testing::TestWithParam<size_t> {};

TEST_P(SameBytesHoweverCut, WholeInBlocksAndOnAnyWorkers) {
  const ModeCase& c = Cases()[GetParam()];
  SCOPED_TRACE(qztest::CaseName(c));
  qztest::ExpectCaseSameHoweverCut(c);
}

INSTANTIATE_TEST_SUITE_P(ModesCutsAndThreads, SameBytesHoweverCut, testing::Range(size_t{0}, Cases().size()),
                         [](const testing::TestParamInfo<size_t>& info) {
                           return std::string(Cases()[info.param].mode) + std::to_string(info.param);
                         });

TEST(ModesCutsAndThreads, ReadsOnlyWhatItFetchedOnAnUpperLayer) {
  for (const ModeCase& c : Cases()) {
    SCOPED_TRACE(qztest::CaseName(c));
    qztest::ExpectCaseReadsOnlyWhatItFetched(c);
  }
}

// A panel thread changes the settings while the workers render: the
// renders take a snapshot each, and once the changes stop the picture is
// the one the last settings make.
TEST(ModesCutsAndThreads, SettingsChangedWhileAPassRenders) {
  const int32_t before = Qz__SetCompositorWorkers(8);
  for (const char* mode : {"Median", "RemoveNoise", "Despeckle", "Max", "Min", "Honeycomb", "TVScanlines",
                           "Deinterlace", "MakeSeamless", "GlowEdges", "Stellate"}) {
    SCOPED_TRACE(mode);
    Document doc(120, 64, NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, 120, 64,
                                        [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(layer, nullptr);
    std::vector<std::vector<Setting>> steps;
    for (const ModeCase& c : Cases())
      if (std::string(c.mode) == mode) steps.push_back(c.settings);
    steps.push_back({{kQzModeSetRadius, 2}, {kQzModeSetThreshold, 40}});
    std::atomic<bool> stop{false};
    std::thread panel([&] {
      for (size_t i = 0; !stop.load(); ++i) qztest::ApplySettings(layer->mode, steps[i % steps.size()]);
    });
    for (int pass = 0; pass < 6; ++pass) doc.Composite();
    stop.store(true);
    panel.join();
    qztest::ApplySettings(layer->mode, steps.front());
    doc.Composite();
    const std::vector<uint8_t> settled = doc.Planes();
    Qz__SetCompositorWorkers(1);
    doc.Composite();
    EXPECT_EQ(doc.Planes(), settled);
    Qz__SetCompositorWorkers(8);
  }
  Qz__SetCompositorWorkers(before);
}

}  // namespace
