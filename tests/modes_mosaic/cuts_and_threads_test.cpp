// Every mosaic mode gives the same bytes however the document is cut into
// blocks and strips and however many workers render it, reads nothing it did
// not fetch, and takes settings changed while a pass renders without a race.
#include <gtest/gtest.h>

#include <atomic>
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

const std::vector<ModeCase>& Cases() {
  static const std::vector<ModeCase> cases = {
      {"Pixelize", {}},
      {"Pixelize", {{0x820, 13}, {0x834, 5}}},
      {"Pixelize", {{0x820, 256}, {0x834, 1}}},
      {"PolarMosaic", {}},
      {"PolarMosaic", {{2066, 1}, {2136, 7}, {2086, 40}, {2106, 3}}},
      {"PolarMosaic", {{2066, 255}, {2136, 1}, {2086, -900}, {2106, 30}}},
      {"BizarrePixelize", {}},
      {"BizarrePixelize", {{2086, 9}, {2126, 100}, {2196, 40}, {2216, 97}, {2146, 200}, {2166, -5}}},
      {"BizarrePixelize", {{2086, -6}, {2146, 20}, {2166, 12}}},
  };
  return cases;
}


class SameBytesHoweverCut : public testing::TestWithParam<size_t> {};

TEST_P(SameBytesHoweverCut, WholeInBlocksAndOnAnyWorkers) {
  const ModeCase& c = Cases()[GetParam()];
  SCOPED_TRACE(qztest::CaseName(c));
  qztest::ExpectCaseSameHoweverCut(c);
}

INSTANTIATE_TEST_SUITE_P(MosaicCutsAndThreads, SameBytesHoweverCut, testing::Range(size_t{0}, Cases().size()),
                         [](const testing::TestParamInfo<size_t>& info) {
                           return std::string(Cases()[info.param].mode) + std::to_string(info.param);
                         });

TEST(MosaicCutsAndThreads, ReadsOnlyWhatItFetchedOnAnUpperLayer) {
  for (const ModeCase& c : Cases()) {
    SCOPED_TRACE(qztest::CaseName(c));
    qztest::ExpectCaseReadsOnlyWhatItFetched(c);
  }
}

// A panel thread changes the settings while the workers render; once the
// changes stop, the picture is the one the last settings make.
TEST(MosaicCutsAndThreads, SettingsChangedWhileAPassRenders) {
  const int32_t before = Qz__SetCompositorWorkers(8);
  for (const char* mode : {"Pixelize", "PolarMosaic", "BizarrePixelize"}) {
    SCOPED_TRACE(mode);
    Document doc(120, 64, NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, 120, 64,
                                        [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(layer, nullptr);
    std::vector<std::vector<Setting>> steps;
    for (const ModeCase& c : Cases())
      if (std::string(c.mode) == mode) steps.push_back(c.settings);
    std::atomic<bool> stop{false};
    std::thread panel([&] {
      for (size_t i = 0; !stop.load(); ++i) qztest::ApplySettings(layer->mode, steps[i % steps.size()]);
    });
    for (int pass = 0; pass < 6; ++pass) doc.Composite();
    stop.store(true);
    panel.join();
    qztest::ApplySettings(layer->mode, steps.back());
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
