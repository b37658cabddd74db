// Clone and roll: which pixel below each painted pixel shows (clamped and
// wrapped, offsets beyond the image), roll's settings at creation, setters
// that re-render only when they change something and never while quiet,
// fetches of the shifted row alone, and the same bytes however cut, also
// while the offsets change during passes.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "modes/qz_clone_mode.h"
#include "modes_rub/rub_test_kit.h"

namespace {

using qztest::Document;
using qztest::Rgb;
using rubtest::Opaque;

struct Case {
  const char* mode;
  int32_t x, y, wrap;
  int32_t (*column)(int32_t x);  // the column below shown at document column x, width 100
  int32_t (*row)(int32_t y);     // the row below shown at document row y, height 12
};

TEST(Clone, ShowsTheShiftedDataBelow) {
  const Case cases[] = {
      {"Clone", 5, 0, 0, [](int32_t x) { return std::max(0, x - 5); }, [](int32_t y) { return y; }},
      {"Clone", 5, 0, 1, [](int32_t x) { return (x + 95) % 100; }, [](int32_t y) { return y; }},
      {"Clone", -205, 0, 1, [](int32_t x) { return (x + 5) % 100; }, [](int32_t y) { return y; }},
      {"Clone", -205, 0, 0, [](int32_t x) { return std::min(99, x + 205); }, [](int32_t y) { return y; }},
      {"Clone", 0, -3, 0, [](int32_t x) { return x; }, [](int32_t y) { return std::min(11, y + 3); }},
      {"Clone", 7, 25, 1, [](int32_t x) { return (x + 93) % 100; }, [](int32_t y) { return (y + 11) % 12; }},
      {"Clone", 0, 0, 0, [](int32_t x) { return x; }, [](int32_t y) { return y; }},
      {"Roll", 20, 20, 1, [](int32_t x) { return (x + 80) % 100; }, [](int32_t y) { return (y + 4) % 12; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " (" << c.x << ", " << c.y << ") wrap " << c.wrap);
    rubtest::Stack stack(100, 12);
    Qz_Image* layer = stack.Add(c.mode, 0, 0, 100, 12, Opaque);
    ASSERT_NE(layer, nullptr);
    if (std::string(c.mode) == "Clone") {
      Qz_DoMethod(layer->mode, kQzCloneSetX, uint32_t(c.x));
      Qz_DoMethod(layer->mode, kQzCloneSetY, uint32_t(c.y));
      Qz_DoMethod(layer->mode, kQzCloneSetWrap, uint32_t(c.wrap));
    }
    const std::vector<Rgb> below = rubtest::DataBelow(stack.doc, layer);
    const std::vector<Rgb> out = qztest::StrictRender(stack.doc, layer, 0, 99, 0, 11);
    for (int32_t y = 0; y < 12; ++y)
      for (int32_t x = 0; x < 100; ++x)
        ASSERT_EQ(out[size_t(y * 100 + x)], below[size_t(c.row(y) * 100 + c.column(x))]) << x << ", " << y;
  }
}

TEST(Clone, SettingsAndWhenTheyReRender) {
  Document doc(40, 20, rubtest::Below);
  Qz_Image* roll = doc.AddPaintLayer("Roll", {0, 0, 0}, 0, 0, 40, 20, Opaque);
  Qz_Image* clone = doc.AddPaintLayer("Clone", {0, 0, 0}, 0, 0, 40, 20, Opaque);
  ASSERT_NE(roll, nullptr);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(roll->mode->objectClass->classId, kQzRollModeClassId);
  EXPECT_EQ(clone->mode->objectClass->classId, kQzCloneModeClassId);
  const uint32_t getters[] = {kQzCloneGetX, kQzCloneGetY, kQzCloneGetWrap, kQzCloneGetQuiet};
  const uint32_t rollAtCreation[] = {20, 20, 1, 0}, cloneAtCreation[] = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Qz_DoMethod(roll->mode, getters[i]), rollAtCreation[i]) << i;
    EXPECT_EQ(Qz_DoMethod(clone->mode, getters[i]), cloneAtCreation[i]) << i;
  }
  struct Step {
    uint32_t setter, getter;
    int32_t value;
    size_t rerenders;
  };
  const Step steps[] = {
      {kQzCloneSetX, kQzCloneGetX, -7, 1},   {kQzCloneSetX, kQzCloneGetX, -7, 0},  // the same value: nothing
      {kQzCloneSetY, kQzCloneGetY, 300, 1},  {kQzCloneSetWrap, kQzCloneGetWrap, 1, 0},
      {kQzCloneSetQuiet, kQzCloneGetQuiet, 1, 0}, {kQzCloneSetX, kQzCloneGetX, 12, 0},  // quiet
      {kQzCloneSetY, kQzCloneGetY, -4, 0},   {kQzCloneSetQuiet, kQzCloneGetQuiet, 0, 0},
      {kQzCloneSetX, kQzCloneGetX, 13, 1},
  };
  qztest::RerenderCounter rerenders;
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << std::hex << s.setter << std::dec << " = " << s.value);
    rerenders.Reset();
    EXPECT_EQ(int32_t(Qz_DoMethod(clone->mode, s.setter, uint32_t(s.value))), s.value);
    EXPECT_EQ(int32_t(Qz_DoMethod(clone->mode, s.getter)), s.value);
    EXPECT_EQ(rerenders.Count(doc.image), s.rerenders);
  }
  // A quiet or wrap change still shows at the next render: nothing below is served stale.
  const std::vector<Rgb> before = qztest::StrictRender(doc, clone, 0, 39, 0, 19);
  Qz_DoMethod(clone->mode, kQzCloneSetWrap, 0u);
  EXPECT_NE(qztest::StrictRender(doc, clone, 0, 39, 0, 19), before);
}

std::mutex gFetchMutex;
std::vector<Qz_ImageLock> gFetches;
void RecordFetch(const Qz_ImageLock* lock, void*) {
  std::lock_guard<std::mutex> guard(gFetchMutex);
  gFetches.push_back(*lock);
}

// Each fetch is one row, and a row's fetches together are no wider than the block.
TEST(Clone, RowsFetchOnlyTheShiftedRow) {
  for (int32_t wrap : {0, 1}) {
    SCOPED_TRACE(wrap ? "wrapped" : "clamped");
    rubtest::Stack stack(300, 40);
    Qz_Image* layer = stack.Add("Clone", 20, 5, 250, 30, Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, kQzCloneSetX, 130u);
    Qz_DoMethod(layer->mode, kQzCloneSetY, uint32_t(-17));
    Qz_DoMethod(layer->mode, kQzCloneSetWrap, uint32_t(wrap));
    gFetches.clear();
    Qz__SetImageDataObserver(RecordFetch, nullptr);
    stack.doc.Composite();
    Qz__SetImageDataObserver(nullptr, nullptr);
    size_t rows = 0;
    for (const Qz_ImageLock& l : gFetches) {
      if (l.layer != layer) continue;
      ++rows;
      EXPECT_EQ(l.y0, l.y1);
      EXPECT_LE(l.x1 - l.x0 + 1, 250);
    }
    EXPECT_GE(rows, 30u);
    EXPECT_LE(rows, 2u * 30u * 8u);  // at most two runs per row of each strip
  }
}

class CloneSameHoweverCut : public ::testing::TestWithParam<std::tuple<const char*, int32_t, int32_t, int32_t>> {};

TEST_P(CloneSameHoweverCut, OnAnOffsetUpperLayer) {
  const auto [mode, x, y, wrap] = GetParam();
  rubtest::Stack stack(210, 30);
  Qz_Image* layer = stack.Add(mode, 4, 2, 200, 27, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  if (std::string(mode) == "Clone") {
    Qz_DoMethod(layer->mode, kQzCloneSetX, uint32_t(x));
    Qz_DoMethod(layer->mode, kQzCloneSetY, uint32_t(y));
    Qz_DoMethod(layer->mode, kQzCloneSetWrap, uint32_t(wrap));
  }
  qztest::ExpectSameHoweverCut(stack.doc);
  qztest::StrictRender(stack.doc, layer, 0, 209, 0, 29);
}

INSTANTIATE_TEST_SUITE_P(CloneModes, CloneSameHoweverCut,
                         ::testing::Values(std::tuple{"Clone", 37, -5, 0}, std::tuple{"Clone", -450, 61, 1},
                                           std::tuple{"Clone", 209, 3, 1}, std::tuple{"Roll", 0, 0, 0}));

// Offsets changed on another thread while passes render: each render reads
// the pair once, and the last offsets give what a fresh pass gives.
TEST(Clone, OffsetsChangeWhilePassesRender) {
  rubtest::Stack stack(210, 30);
  Qz_Image* layer = stack.Add("Clone", 4, 2, 200, 27, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  const int32_t before = Qz__SetCompositorWorkers(8);
  qztest::RerenderCounter quiet;
  std::atomic<bool> stop{false};
  std::thread setter([&] {
    for (uint32_t i = 0; !stop.load(); ++i) {
      Qz_DoMethod(layer->mode, kQzCloneSetQuiet, i & 1);
      Qz_DoMethod(layer->mode, kQzCloneSetX, i % 400 - 200);
      Qz_DoMethod(layer->mode, kQzCloneSetY, i % 70 - 35);
      Qz_DoMethod(layer->mode, kQzCloneSetWrap, (i >> 1) & 1);
    }
  });
  for (int pass = 0; pass < 12; ++pass) stack.doc.Composite();
  stop.store(true);
  setter.join();
  Qz_DoMethod(layer->mode, kQzCloneSetX, 1234u);
  stack.doc.Composite();
  const std::vector<uint8_t> racing = stack.doc.Planes();
  Qz__SetCompositorWorkers(1);
  stack.doc.ClearResult();
  stack.doc.Composite();
  EXPECT_EQ(stack.doc.Planes(), racing);
  Qz__SetCompositorWorkers(before);
}

}  // namespace
