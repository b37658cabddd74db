// Pen pressure: the scaling, and how queued samples become mouse messages.
#include "platform/tablet.h"
#include "tests/windows/window_fixture.h"

using namespace qztest;
namespace hl = qz::headless;

namespace {

TEST(TabletPressure, ScalesOntoTheAxis) {
  struct Case {
    const char* name;
    qz::tablet::Axis axis;
    uint32_t buttons, raw, expected;
  };
  const Case cases[] = {
      {"axis minimum", {0, 1023, 0, 0}, 1, 0, 0},
      {"axis maximum", {0, 1023, 0, 0}, 1, 1023, 255},
      {"half way rounds to nearest", {0, 1023, 0, 0}, 1, 512, 128},
      {"offset axis", {100, 1100, 100, 0}, 1, 600, 128},
      {"button up uses the axis minimum", {0, 1000, 200, 0}, 0, 500, 128},
      {"button down counts from the press mark", {0, 1000, 200, 0}, 1, 600, 128},
      {"below the press mark clamps to 0", {0, 1000, 200, 0}, 1, 100, 0},
      {"above the maximum clamps to 255", {0, 1000, 0, 0}, 1, 5000, 255},
      {"no range, pressed", {500, 500, 500, 0}, 1, 500, 255},
      {"no range, not pressed", {500, 500, 500, 0}, 0, 500, 0},
      {"pressure on another button", {0, 1000, 0, 1}, 1, 1000, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qz::tablet::scalePressure(c.axis, c.buttons, c.raw), c.expected);
  }
}

uint32_t pressureOf(const InputMessage* m) {
  if (!m->TabletData || !m->TabletData->Tags) return 0xFFFFFFFF;
  EXPECT_EQ(m->TabletData->Tags[0].ti_Tag, QZ_TABLET_PRESSURE);
  EXPECT_EQ(m->TabletData->Tags[1].ti_Tag, TAG_DONE);
  return static_cast<uint32_t>(m->TabletData->Tags[0].ti_Data >> 24);
}

class TabletTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    w_ = open(100, 100, 200, 200, WFLG_BORDERLESS);
    ASSERT_NE(w_, nullptr);
    hl::moveTo(150, 150);
    hl::press();
    drain(w_);
  }
  void TearDown() override {
    hl::release();
    qz::host::setTabletAxis(false, 0, 0);
    WindowTest::TearDown();
  }
  void sample(uint32_t buttons, int x, int y, uint32_t pressure) {
    qz::host::tabletSample({7, buttons, x, y, pressure});
  }
  // (pressure, class) of every queued message; plain messages give pressure 0xFFFFFFFF.
  std::vector<std::pair<uint32_t, uint32_t>> takeAll() {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    while (Message* m = GetMsg(w_->UserPort)) {
      auto* im = reinterpret_cast<InputMessage*>(m);
      out.emplace_back(pressureOf(im), im->Class);
      if (im->TabletData) {
        EXPECT_EQ(im->TabletData->Cursor, 7u);
      }
      FreeVec(im);
    }
    return out;
  }
  Window* w_ = nullptr;
};

TEST_F(TabletTest, WithoutATabletEveryCallAnswersZero) {
  EXPECT_EQ(Qz__OpenTabletContext(nullptr), 0u);
  EXPECT_EQ(Qz__TabletPressure(0, 1, 0, 0, 900), 0u);
  sample(1, 160, 160, 900);  // ignored: no tablet
  hl::moveTo(160, 160);
  EXPECT_EQ(takeAll(), (std::vector<std::pair<uint32_t, uint32_t>>{{0xFFFFFFFF, IDCMP_MOUSEMOVE}}));
}

TEST_F(TabletTest, PressedChangedSamplesBecomeMovesWithPressure) {
  qz::host::setTabletAxis(true, 0, 1023);
  EXPECT_NE(Qz__OpenTabletContext(nullptr), 0u);
  EXPECT_EQ(Qz__TabletPressure(0, 1, 0, 0, 1023), 255u);

  // Hovering samples make nothing, not even a plain move.
  sample(0, 151, 151, 0);
  sample(0, 152, 151, 0);
  hl::moveTo(152, 151);
  EXPECT_TRUE(takeAll().empty());

  // Identical samples make one message.
  for (int i = 0; i < 5; ++i) sample(1, 160, 160, 1023);
  hl::moveTo(160, 160);
  EXPECT_EQ(takeAll(), (std::vector<std::pair<uint32_t, uint32_t>>{{255, IDCMP_MOUSEMOVE}}));

  // A batch of moving samples, with moves still queued, leaves only the newest.
  Qz__PostInputMessage(w_, IDCMP_MOUSEMOVE, 0, 0, 1, 0, 0, 0, 0);
  Qz__PostInputMessage(w_, IDCMP_RAWKEY, 'A', 0, 1, 0, 0, 0, 0);
  sample(1, 161, 160, 0);
  sample(1, 162, 160, 512);
  sample(1, 163, 160, 1023);
  hl::moveTo(163, 160);
  EXPECT_EQ(takeAll(), (std::vector<std::pair<uint32_t, uint32_t>>{{0xFFFFFFFF, IDCMP_RAWKEY}, {255, IDCMP_MOUSEMOVE}}));

  // No samples since the last move: a plain move.
  hl::moveTo(164, 160);
  EXPECT_EQ(takeAll(), (std::vector<std::pair<uint32_t, uint32_t>>{{0xFFFFFFFF, IDCMP_MOUSEMOVE}}));
}

TEST_F(TabletTest, WithoutTheLeftButtonMovesStayPlain) {
  qz::host::setTabletAxis(true, 0, 1023);
  hl::release();
  drain(w_);
  sample(1, 170, 170, 800);
  hl::moveTo(170, 170);
  EXPECT_EQ(takeAll(), (std::vector<std::pair<uint32_t, uint32_t>>{{0xFFFFFFFF, IDCMP_MOUSEMOVE}}));
  hl::press();
}

}  // namespace
