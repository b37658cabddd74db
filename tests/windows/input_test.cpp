// Scripted pointer and key input gives the message sequences the window
// procedures promise, on the right window, with the right qualifiers.
#include <atomic>
#include <thread>

#include "tests/windows/window_fixture.h"

using namespace qztest;
using qz::host::Button;
namespace hl = qz::headless;
namespace host = qz::host;

namespace {

constexpr uint16_t L = IEQUALIFIER_LEFTBUTTON;
constexpr uint16_t R = IEQUALIFIER_RBUTTON;

class InputTest : public WindowTest {
 protected:
  // Two side-by-side framed windows: a at 100,100 and b at 400,100, client 200 x 150.
  void SetUp() override {
    WindowTest::SetUp();
    a_ = open(100, 100, 200, 150);
    b_ = open(400, 100, 200, 150);
    ASSERT_TRUE(a_ && b_);
    drain(a_);
    drain(b_);
  }
  // A desktop point inside a window's client area, dx/dy from its client origin.
  static int cx(Window* w, int dx = 10) { return w->LeftEdge + w->BorderLeft + dx; }
  static int cy(Window* w, int dy = 10) { return w->TopEdge + w->BorderTop + dy; }

  Window* a_ = nullptr;
  Window* b_ = nullptr;
};

TEST_F(InputTest, ClickOnInactiveWindowActivatesThenReportsTheButtons) {
  hl::moveTo(cx(a_), cy(a_));
  hl::press();
  hl::moveTo(cx(a_, 20), cy(a_, 20));
  hl::release();
  // The later move replaces the earlier one, whatever stands between them.
  const std::vector<Msg> expected = {{IDCMP_ACTIVEWINDOW, 0, L},
                                     {IDCMP_MOUSEBUTTONS, SELECTDOWN, L},
                                     {IDCMP_MOUSEMOVE, 0, L},
                                     {IDCMP_MOUSEBUTTONS, SELECTUP, 0}};
  EXPECT_EQ(drain(a_), expected);
  EXPECT_EQ(Qz_GetActiveWindow(), a_);
  // Mouse fields are outer-frame coordinates.
  EXPECT_EQ(a_->MouseX, a_->BorderLeft + 20);
  EXPECT_EQ(a_->MouseY, a_->BorderTop + 20);
  EXPECT_TRUE(drain(b_).empty());

  // Clicking b now: a hears it lost activation before b hears it gained it.
  hl::click(cx(b_), cy(b_));
  EXPECT_EQ(drain(a_), (std::vector<Msg>{{IDCMP_MOUSELEFT, 0, 0}, {IDCMP_INACTIVEWINDOW, 0, L}}));
  EXPECT_EQ(drain(b_), (std::vector<Msg>{{IDCMP_MOUSEMOVE, 0, 0},
                                         {IDCMP_ACTIVEWINDOW, 0, L},
                                         {IDCMP_MOUSEBUTTONS, SELECTDOWN, L},
                                         {IDCMP_MOUSEBUTTONS, SELECTUP, 0}}));
}

TEST_F(InputTest, RightButtonOnlyReportsToTheActiveWindow) {
  hl::click(cx(a_), cy(a_), Button::Right);
  EXPECT_EQ(drain(a_), (std::vector<Msg>{{IDCMP_MOUSEMOVE, 0, 0},
                                         {IDCMP_ACTIVEWINDOW, 0, R},
                                         {IDCMP_MOUSEBUTTONS, MENUDOWN, R},
                                         {IDCMP_MOUSEBUTTONS, MENUUP, 0}}));
}

TEST_F(InputTest, WheelAndMiddleButtonMakeNoMessages) {
  hl::moveTo(cx(a_), cy(a_));
  drain(a_);
  for (Button b : {Button::WheelUp, Button::WheelDown, Button::Middle}) {
    hl::press(b);
    hl::release(b);
  }
  EXPECT_TRUE(drain(a_).empty());
  EXPECT_EQ(Qz_GetQualifier() & (L | R), 0);
}

TEST_F(InputTest, CaptureSendsPointerInputToThePressedWindow) {
  hl::moveTo(cx(a_), cy(a_));
  hl::press();
  drain(a_);
  hl::moveTo(cx(b_, 30), cy(b_, 40));
  hl::release();
  EXPECT_TRUE(drain(b_).empty());
  EXPECT_EQ(drain(a_), (std::vector<Msg>{{IDCMP_MOUSEMOVE, 0, L}, {IDCMP_MOUSEBUTTONS, SELECTUP, 0}}));
  // The position is a's frame coordinate of a point over b.
  EXPECT_EQ(a_->MouseX, cx(b_, 30) - a_->LeftEdge);
  // After the release the pointer belongs to the window under it again.
  hl::moveTo(cx(b_, 31), cy(b_, 40));
  EXPECT_EQ(drain(a_), (std::vector<Msg>{{IDCMP_MOUSELEFT, 0, 0}}));
  EXPECT_EQ(drain(b_), (std::vector<Msg>{{IDCMP_MOUSEMOVE, 0, 0}}));
}

TEST_F(InputTest, AGrabHoldsThePointerForItsWindowUntilThatWindowLetsGo) {
  EXPECT_FALSE(hl::pointerGrabbed());
  Qz_GrabMousePointer(a_);
  EXPECT_TRUE(hl::pointerGrabbed());
  drain(a_);
  hl::moveTo(cx(b_, 30), cy(b_, 40));
  EXPECT_TRUE(drain(b_).empty());  // a move over b goes to a
  EXPECT_FALSE(drain(a_).empty());
  Qz_UngrabMousePointer(b_);  // not b's to release
  EXPECT_TRUE(hl::pointerGrabbed());
  Qz_UngrabMousePointer(a_);
  EXPECT_FALSE(hl::pointerGrabbed());
  hl::moveTo(cx(b_, 31), cy(b_, 40));
  EXPECT_FALSE(drain(b_).empty());
}

TEST_F(InputTest, LeavingWindowsAndTheDesktop) {
  hl::moveTo(cx(a_), cy(a_));
  hl::moveTo(cx(b_), cy(b_));
  EXPECT_EQ(drain(a_), (std::vector<Msg>{{IDCMP_MOUSEMOVE, 0, 0}, {IDCMP_MOUSELEFT, 0, 0}}));
  EXPECT_EQ(Qz_GetMouseWindow(), b_);
  // Over the desktop the window that had the pointer hears it once.
  hl::moveTo(10, 10);
  hl::moveTo(11, 10);
  EXPECT_EQ(drain(b_), (std::vector<Msg>{{IDCMP_MOUSEMOVE, 0, 0}, {IDCMP_MOUSELEFT, 0, 0}}));
  EXPECT_EQ(Qz_GetMouseWindow(), nullptr);
}

TEST_F(InputTest, MovesOverAnotherWindowUpdateTheActiveWindowsMouseFields) {
  hl::click(cx(a_), cy(a_));
  hl::moveTo(cx(b_, 5), cy(b_, 6));
  EXPECT_EQ(a_->MouseX, cx(b_, 5) - a_->LeftEdge);
  EXPECT_EQ(a_->MouseY, cy(b_, 6) - a_->TopEdge);
}

TEST_F(InputTest, TicksGoOnlyToTheWindowUnderThePointer) {
  hl::tick();
  EXPECT_TRUE(drain(a_).empty());
  hl::moveTo(cx(b_), cy(b_));
  drain(b_);
  hl::tick();
  hl::tick();
  EXPECT_TRUE(drain(a_).empty());
  EXPECT_EQ(drain(b_), (std::vector<Msg>{{IDCMP_INTUITICKS, 0, 0}, {IDCMP_INTUITICKS, 0, 0}}));
}

struct KeyCase {
  const char* name;
  std::vector<uint16_t> held;  // modifier keys pressed first (their own messages are dropped)
  uint16_t vk;
  char32_t ch;
  std::vector<Msg> expected;
};

TEST_F(InputTest, KeysReachTheActiveWindow) {
  constexpr uint16_t C = IEQUALIFIER_CONTROL, S = IEQUALIFIER_SHIFT;
  const KeyCase cases[] = {
      {"plain letter", {}, 'X', U'x', {{IDCMP_RAWKEY, 'X', 1}, {IDCMP_CHAR, 'x', 1}, {IDCMP_VANILLAKEY, 'x', 0},
                                      {IDCMP_RAWKEYUP, 'X', 1}}},
      {"ctrl+c", {host::kVkControl}, 'C', U'c',
       {{IDCMP_RAWKEY, 'C', 1}, {IDCMP_CHAR, 3, 1}, {IDCMP_VANILLAKEY, 0x63, C}, {IDCMP_RAWKEYUP, 'C', 1}}},
      {"ctrl+shift+a gives the capital", {host::kVkControl, host::kVkShift}, 'A', U'A',
       {{IDCMP_RAWKEY, 'A', 1}, {IDCMP_CHAR, 1, 1}, {IDCMP_VANILLAKEY, 'A', C | S}, {IDCMP_RAWKEYUP, 'A', 1}}},
      {"left arrow", {}, host::kVkLeft, 0,
       {{IDCMP_ARROWKEY, CURSORLEFT, 0}, {IDCMP_RAWKEY, host::kVkLeft, 1}, {IDCMP_RAWKEYUP, host::kVkLeft, 1}}},
      {"right arrow with shift", {host::kVkShift}, host::kVkRight, 0,
       {{IDCMP_ARROWKEY, CURSORRIGHT, S}, {IDCMP_RAWKEY, host::kVkRight, 1}, {IDCMP_RAWKEYUP, host::kVkRight, 1}}},
      {"up arrow", {}, host::kVkUp, 0,
       {{IDCMP_ARROWKEY, CURSORUP, 0}, {IDCMP_RAWKEY, host::kVkUp, 1}, {IDCMP_RAWKEYUP, host::kVkUp, 1}}},
      {"down arrow", {}, host::kVkDown, 0,
       {{IDCMP_ARROWKEY, CURSORDOWN, 0}, {IDCMP_RAWKEY, host::kVkDown, 1}, {IDCMP_RAWKEYUP, host::kVkDown, 1}}},
      {"delete", {}, host::kVkDelete, 0,
       {{IDCMP_VANILLAKEY, 127, 0}, {IDCMP_RAWKEY, host::kVkDelete, 1}, {IDCMP_RAWKEYUP, host::kVkDelete, 1}}},
      {"return", {}, host::kVkReturn, U'\r',
       {{IDCMP_RAWKEY, host::kVkReturn, 1}, {IDCMP_CHAR, 13, 1}, {IDCMP_VANILLAKEY, 13, 0},
        {IDCMP_RAWKEYUP, host::kVkReturn, 1}}},
      {"ctrl with a digit types nothing", {host::kVkControl}, '2', U'2',
       {{IDCMP_RAWKEY, '2', 1}, {IDCMP_RAWKEYUP, '2', 1}}},
      {"alt keys belong to the menu bar", {host::kVkMenu}, 'F', U'f', {}},
  };
  hl::click(cx(a_), cy(a_));  // active, keys from the desktop
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (uint16_t m : c.held) hl::keyDown(m);
    drain(a_);
    hl::typeKey(c.vk, c.ch);
    EXPECT_EQ(drain(a_), c.expected);
    for (uint16_t m : c.held) hl::keyUp(m);
    drain(a_);
    EXPECT_TRUE(drain(b_).empty());
  }
}

TEST_F(InputTest, KeysWithNoActiveWindow) {
  Window* mainWindow = b_;
  static Window* gMain;
  gMain = mainWindow;
  QzWindowHooks hooks{};
  hooks.mainWindow = [] { return gMain; };
  Qz_SetWindowHooks(&hooks);
  // From the desktop, a plain key goes nowhere; with Ctrl, the main object's window takes it.
  hl::typeKey('X', U'x');
  EXPECT_TRUE(drain(a_).empty());
  EXPECT_TRUE(drain(b_).empty());
  hl::keyDown(host::kVkControl);
  hl::typeKey('S', U's');
  hl::keyUp(host::kVkControl);
  EXPECT_EQ(drain(b_), (std::vector<Msg>{{IDCMP_CHAR, 19, 1}, {IDCMP_VANILLAKEY, 's', IEQUALIFIER_CONTROL}}));
}

TEST_F(InputTest, AWindowOpenedActiveTakesTheKeysFromTheOneLastClicked) {
  // A tool-bar press gives its window the focus, then a requester opens active.
  hl::click(cx(a_), cy(a_));
  hl::click(cx(a_), cy(a_));
  Window* c = open(100, 400, 100, 50, WFLG_ACTIVATE);
  drain(a_);
  drain(c);
  hl::typeKey(0x1B, U'\x1b');
  EXPECT_TRUE(drain(a_).empty());
  EXPECT_FALSE(drain(c).empty());
  close(c);
}

TEST_F(InputTest, AWindowHoldingTheFocusPostsItsCharactersEvenWithNoneActive) {
  // A second press on the active window gives it the focus; activating c
  // moves activation but not the focus, and closing c leaves none active.
  hl::click(cx(a_), cy(a_));
  hl::click(cx(a_), cy(a_));
  Window* c = open(100, 400, 100, 50, WFLG_ACTIVATE);
  close(c);
  ASSERT_EQ(Qz_GetActiveWindow(), nullptr);
  drain(a_);
  hl::keyDown('Q', U'q');
  EXPECT_EQ(drain(a_), (std::vector<Msg>{{IDCMP_CHAR, 'q', 1}, {IDCMP_VANILLAKEY, 'q', 0}}));
  hl::keyUp('Q');
  EXPECT_EQ(drain(a_), (std::vector<Msg>{{IDCMP_RAWKEYUP, 'Q', 1}}));
}

TEST_F(InputTest, OpeningWithActivateDeactivatesThePreviousWindow) {
  hl::click(cx(a_), cy(a_));
  drain(a_);
  Window* c = open(100, 400, 100, 50, WFLG_ACTIVATE);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(drain(a_), (std::vector<Msg>{{IDCMP_INACTIVEWINDOW, 0, 0}}));
  const std::vector<Msg> got = drain(c);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].cls, IDCMP_REFRESHWINDOW);
  EXPECT_EQ(got[1].cls, IDCMP_ACTIVEWINDOW);
  EXPECT_EQ(Qz_GetActiveWindow(), c);
}

TEST_F(InputTest, ClosingAWindowWithQueuedMessagesClearsItsSlots) {
  hl::click(cx(a_), cy(a_));
  hl::moveTo(cx(a_, 30), cy(a_));
  hl::typeText("queued");
  ASSERT_EQ(Qz_GetActiveWindow(), a_);
  ASSERT_EQ(Qz_GetMouseWindow(), a_);
  close(a_);
  EXPECT_EQ(Qz_GetActiveWindow(), nullptr);
  EXPECT_EQ(Qz_GetMouseWindow(), nullptr);
  // Input goes on to the remaining window.
  hl::moveTo(cx(b_), cy(b_));
  EXPECT_EQ(drain(b_), (std::vector<Msg>{{IDCMP_MOUSEMOVE, 0, 0}}));
}

TEST_F(InputTest, SettleWaitsForConsumersToDrainThePorts) {
  hl::moveTo(cx(a_), cy(a_));
  hl::tick();
  // Nobody reads a's port yet.
  EXPECT_FALSE(hl::settle(20));
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    while (!stop) {
      Forbid();
      Message* m = GetMsg(a_->UserPort);
      Permit();
      if (m) FreeVec(m);
      else std::this_thread::yield();
    }
  });
  EXPECT_TRUE(hl::settle(2000));
  stop = true;
  reader.join();
}

}  // namespace
