// Settings-keyed tables: built once per key change and kept alive for the
// renders that hold them; a stand-in mode whose setter moves the key while
// eight workers render sees one whole table in every render call.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include "compositor/compositor_kit.h"
#include "modes/mode_settings.h"
#include "modes/shared_table.h"

namespace {

using qztest::Document;
using qztest::Rgb;

struct Shifted {
  int32_t level = 0;
  std::array<uint8_t, 256> map{};
};

Shifted BuildShifted(int32_t level) {
  Shifted t;
  t.level = level;
  for (int32_t i = 0; i < 256; ++i) t.map[size_t(i)] = uint8_t(i + level);
  return t;
}

TEST(SharedTable, BuildsOncePerKeyAndKeepsWhatARenderHolds) {
  qz::modes::SharedTable<int32_t, Shifted> tables;
  int builds = 0;
  auto build = [&](int32_t level) {
    return [&builds, level] {
      ++builds;
      return BuildShifted(level);
    };
  };
  const auto first = tables.get(1, build(1));
  EXPECT_EQ(tables.get(1, build(1)), first);
  EXPECT_EQ(builds, 1);
  const auto second = tables.get(2, build(2));
  EXPECT_EQ(builds, 2);
  EXPECT_NE(second, first);
  // The first render's table is whole while it holds it.
  EXPECT_EQ(first->level, 1);
  EXPECT_EQ(first->map[10], 11);
  EXPECT_EQ(tables.get(2, build(2)), second);
  // A recent key is kept: a strip that read the settings before the change shares it.
  EXPECT_EQ(tables.get(1, build(1)), first);
  EXPECT_EQ(builds, 2);
  for (int32_t level = 3; level <= 6; ++level) tables.get(level, build(level));
  EXPECT_EQ(builds, 6);
  tables.get(1, build(1));  // pushed out by four newer keys: built again
  EXPECT_EQ(builds, 7);
}

TEST(SharedTable, AFailedBuildAnswersNoneAndTheNextCallTriesAgain) {
  qz::modes::SharedTable<int32_t, Shifted> tables;
  EXPECT_EQ(tables.get(5, []() -> Shifted { throw std::bad_alloc(); }), nullptr);
  const auto table = tables.get(5, [] { return BuildShifted(5); });
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->level, 5);
}

// ---- a mode that maps what lies below through a table of its level ---------------

constexpr uint32_t kSetLevel = 0x8F20001, kGetLevel = 0x8F20002;
std::atomic<int64_t> gBuilds{0}, gTorn{0}, gRenders{0};

struct Qz_ShiftModeObject {
  Qz_Object header;
  int32_t level = 0;
  qz::modes::SharedTable<int32_t, Shifted> tables;
};

QzWord ShiftRender(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  auto* self = qz::kit::self<Qz_ShiftModeObject>(object);
  const int32_t level = qz::modes::loadSetting(self->level);
  const auto table = self->tables.get(level, [&] {
    gBuilds.fetch_add(1, std::memory_order_relaxed);
    return BuildShifted(level);
  });
  if (!table) return 1;
  gRenders.fetch_add(1, std::memory_order_relaxed);
  return qz::modes::renderRows(message, 0, [&](const uint8_t* const src[3], uint8_t* const dst[3],
                                               int32_t count) {
    // The whole row through the one table this call took.
    for (int32_t i = 0; i < count; ++i)
      for (int c = 0; c < 3; ++c) {
        if (table->level != level || table->map[src[c][i]] != uint8_t(src[c][i] + level))
          gTorn.fetch_add(1, std::memory_order_relaxed);
        dst[c][i] = table->map[src[c][i]];
      }
  });
}

QzWord ShiftDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return ShiftRender(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::Attribute kShiftAttributes[] = {
    {.setter = kSetLevel, .getter = kGetLevel, .minimum = 0, .maximum = 255,
     .field = qz::kit::field(&Qz_ShiftModeObject::level), .changed = qz::modes::ownSettingChanged}};

const qz::kit::ClassDecl kShiftMode = {
    .name = "ShiftMode", .superName = "RootMode", .classId = 0x8F20000,
    .instance = qz::kit::instanceOf<Qz_ShiftModeObject>(), .handler = ShiftDispatch,
    .attributes = kShiftAttributes};

class ShiftTables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(qz::kit::addClass(kShiftMode), 1u); }
  static void TearDownTestSuite() { qz::kit::removeClass(kShiftMode); }
  void SetUp() override { gBuilds = gTorn = gRenders = 0; }

  qztest::RerenderCounter rerenders;
  Document doc{240, 120, [](int32_t x, int32_t y) {
                 return Rgb{uint8_t(x), uint8_t(y), uint8_t(x ^ y)};
               }};
  Qz_Image* layer = doc.AddPaintLayer("Shift", {0, 0, 0}, 0, 0, 240, 120, qztest::GappedAlpha);
};

TEST_F(ShiftTables, ABuildPerChangeNotPerRow) {
  ASSERT_NE(layer, nullptr);
  const int32_t before = Qz__SetCompositorWorkers(8);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kSetLevel, 7), 7u);
  EXPECT_EQ(rerenders.Count(doc.image), 1u);  // the setter asks for a re-render
  for (int pass = 0; pass < 3; ++pass) doc.Composite();
  EXPECT_EQ(gBuilds.load(), 1);
  EXPECT_GT(gRenders.load(), 3 * 120);  // several runs a row
  Qz_DoMethod(layer->mode, kSetLevel, 9);
  doc.Composite();
  EXPECT_EQ(gBuilds.load(), 2);
  EXPECT_EQ(gTorn.load(), 0);
  EXPECT_EQ(qztest::StrictRender(doc, layer, 95, 105, 3, 3)[5], (Rgb{109, 12, (100 ^ 3) + 9}));
  Qz__SetCompositorWorkers(before);
}

TEST_F(ShiftTables, ASetterMovingTheKeyWhileWorkersRenderNeverTearsATable) {
  ASSERT_NE(layer, nullptr);
  const int32_t before = Qz__SetCompositorWorkers(8);
  std::atomic<bool> done{false};
  std::atomic<int64_t> sets{0};
  // Three keys in turn: each is built once, however the renders straddle a change.
  Qz_DoMethod(layer->mode, kSetLevel, 10);
  std::thread setter([&] {
    for (int32_t i = 0; !done.load(); ++i) {
      Qz_DoMethod(layer->mode, kSetLevel, uint32_t(10 * (1 + i % 3)));
      sets.fetch_add(1);
      std::this_thread::yield();
    }
  });
  // Under load the setter may not run at all during the first passes: go on
  // until it has moved the key a few times.
  for (int pass = 0; pass < 40 || sets.load() < 4; ++pass) doc.Composite();
  done = true;
  setter.join();
  Qz__SetCompositorWorkers(before);
  EXPECT_EQ(gTorn.load(), 0);
  EXPECT_GT(gRenders.load(), 0);
  EXPECT_GT(sets.load(), 3);
  EXPECT_LE(gBuilds.load(), 3);
}

}  // namespace
