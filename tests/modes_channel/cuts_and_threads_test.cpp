// Every mode of the family gives the same bytes however the document is cut
// into blocks and strips and however many workers render it (so the noise
// is seeded by row and layer, not by where buffers lie), reads nothing it
// did not fetch, and takes settings changed while a pass renders.
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
      {"AddNoise", {}},
      {"AddNoise", {{kQzModeSetColourMode, 0}, {0x848, 0}, {kQzModeSetAmount, 300}}},
      {"Randomize", {}},
      {"Randomize", {{2080, 9}, {2100, 4}, {2120, -400}, {2140, 250}}},
      {"ChannelRandomize", {}},
      {"ChannelFlip", {}},
      {"ChannelFlip", {{2078, 0}, {2098, 1}, {2118, 1}, {2178, 0}}},
      {"ChannelThreshold", {}},
      {"FlipX", {}},
      {"FlipY", {}},
      {"DoubleVision", {}},
      {"TripleVision", {{2066, 100}, {2086, 33}, {2106, 2}}},
      {"QuadVision", {{2106, 0}, {2086, 200}}},
      {"PentaVision", {}},
      {"PentaVision", {{2106, 2}, {2066, 70}}},
      {"OctaVision", {{2086, 17}, {2066, 90}}},
      {"NonaVision", {{2106, 2}, {2086, -120}}},
  };
  return cases;
}


class SameBytesHoweverCut : public testing::TestWithParam<size_t> {};

TEST_P(SameBytesHoweverCut, WholeInBlocksAndOnAnyWorkers) {
  const ModeCase& c = Cases()[GetParam()];
  SCOPED_TRACE(qztest::CaseName(c));
  qztest::ExpectCaseSameHoweverCut(c);
}

INSTANTIATE_TEST_SUITE_P(ChannelModes, SameBytesHoweverCut, testing::Range(size_t{0}, Cases().size()),
                         [](const testing::TestParamInfo<size_t>& info) {
                           return std::string(Cases()[info.param].mode) + std::to_string(info.param);
                         });

TEST(ChannelModesCutsAndThreads, ReadsOnlyWhatItFetchedOnAnUpperLayer) {
  for (const ModeCase& c : Cases()) {
    SCOPED_TRACE(qztest::CaseName(c));
    qztest::ExpectCaseReadsOnlyWhatItFetched(c);
  }
}

// The same noise after the layer's mode is made afresh (an undo and redo of
// the mode choice): it hangs on the row and the layer, nothing else.
TEST(ChannelModesCutsAndThreads, NoiseIsTheSameForAModeMadeAfresh) {
  for (const char* mode : {"AddNoise", "Randomize", "ChannelRandomize"}) {
    SCOPED_TRACE(mode);
    Document doc(90, 30, NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, 90, 30, [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(layer, nullptr);
    doc.Composite();
    const std::vector<uint8_t> first = doc.Planes();
    Qz_DisposeObject(layer->mode);
    layer->mode = qztest::MakeMode(mode, layer);
    doc.ClearResult();
    doc.Composite();
    EXPECT_EQ(doc.Planes(), first);
  }
}

TEST(ChannelModesCutsAndThreads, SettingsChangedWhileAPassRenders) {
  const int32_t before = Qz__SetCompositorWorkers(8);
  for (const char* mode : {"AddNoise", "Randomize", "ChannelRandomize", "ChannelFlip", "ChannelThreshold", "TripleVision",
                           "PentaVision"}) {
    SCOPED_TRACE(mode);
    Document doc(120, 64, NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, 120, 64, [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(layer, nullptr);
    std::vector<std::vector<Setting>> steps;
    for (const ModeCase& c : Cases())
      if (std::string(c.mode) == mode) steps.push_back(c.settings);
    steps.push_back({{2080, 30}, {2059, 40}, {2078, 0}});
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

// The modes that reach far (the vision modes' distance, the randomizers'
// ranges) read on an upper layer from one fetch of the image below for the
// whole pass, kept for the next while nothing below changes: a rectangle
// per block reaching that far would composite many rows again for every row.
std::atomic<int> gFetchesBelow{0};
Qz_Image* gCounted = nullptr;

void CountFetch(const Qz_ImageLock* lock, void*) {
  if (lock->layer == gCounted) ++gFetchesBelow;
}

TEST(ChannelModesCutsAndThreads, FarReachingModesFetchWhatLiesBelowOncePerChange) {
  const int32_t workers = Qz__SetCompositorWorkers(8);
  Qz__SetImageDataObserver(CountFetch, nullptr);
  const std::vector<ModeCase> cases = {{"DoubleVision", {}},      {"TripleVision", {}}, {"PentaVision", {}},
                                       {"NonaVision", {}},        {"Randomize", {{2100, 200}}},
                                       {"ChannelRandomize", {}}};  // blue reaches 140 rows
  for (const ModeCase& c : cases) {
    const char* mode = c.mode;
    SCOPED_TRACE(qztest::CaseName(c));
    Document doc(90, 70, NoisePixel);
    Qz_Image* below = doc.AddPaintLayer("Multiply", {90, 200, 30}, 0, 0, 90, 70,
                                        [](int32_t x, int32_t y) { return qztest::Noise(x, y, 5); });
    Qz_Image* layer = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, 90, 70, [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(below, nullptr);
    ASSERT_NE(layer, nullptr);
    qztest::ApplySettings(layer->mode, c.settings);
    gCounted = layer;
    gFetchesBelow = 0;
    doc.Composite();
    EXPECT_EQ(gFetchesBelow.load(), 1) << "once for every strip of the pass";
    Qz_ModifiedImageData(layer, 10, 10, 20, 20);
    EXPECT_EQ(gFetchesBelow.load(), 1) << "painting the layer itself fetches nothing again";
    below->grey[3][3] ^= 0x40;
    Qz_ModifiedImageData(below, 3, 3, 3, 3);
    doc.Composite();
    EXPECT_EQ(gFetchesBelow.load(), 2) << "a change below is fetched again";
    gCounted = nullptr;
  }
  Qz__SetImageDataObserver(nullptr, nullptr);
  Qz__SetCompositorWorkers(workers);
}

}  // namespace
