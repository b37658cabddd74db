// The X11 host on a virtual display: the screen and two windows open, what
// they draw shows on the X screen, and synthetic X input (xdotool) arrives as
// input messages on the right window.
#include <gtest/gtest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "host/host_backend.h"
#include "host/raster/pixel_buffer.h"
#include "host/x11/x11_keys.h"
#include "platform/clipboard.h"
#include "platform/windows.h"
#include "support/no_display_child.h"
#include "support/temp_dir.h"

namespace {

// Started again with no display: opening a window must fail at once, not hang.
struct NoDisplayChild {
  NoDisplayChild() {
    if (!std::getenv("QZTEST_NO_DISPLAY_CHILD")) return;
    Window* w = OpenWindowTags(nullptr, WA_Width, 10, WA_Height, 10, TAG_DONE);
    _exit(w == nullptr ? 0 : 5);
  }
} gNoDisplayChild;

TEST(X11Host, WithoutADisplayOpeningFailsWithAMessage) {
  const qztest::ChildResult child = qztest::runSelfWithoutDisplay();
  ASSERT_TRUE(child.exited);
  EXPECT_EQ(child.exitStatus, 0);
  EXPECT_NE(child.errorText.find("cannot open the X display"), std::string::npos) << child.errorText;
}

TEST(X11Keys, KeysymsBecomeVirtualKeysAndCharacters) {
  struct Case {
    const char* name;
    unsigned long keysym;
    uint16_t vk;
    char32_t ch;
  };
  const Case cases[] = {
      {"small letter", XK_q, 'Q', U'q'},     {"capital", XK_Q, 'Q', U'Q'},
      {"digit", XK_7, '7', U'7'},            {"keypad digit", XK_KP_7, 0x67, U'7'},
      {"return", XK_Return, 0x0D, 13},       {"tab", XK_Tab, 0x09, 9},
      {"backspace", XK_BackSpace, 0x08, 8},  {"escape", XK_Escape, 0x1B, 27},
      {"left", XK_Left, 0x25, 0},            {"up", XK_Up, 0x26, 0},
      {"right", XK_Right, 0x27, 0},          {"down", XK_Down, 0x28, 0},
      {"delete", XK_Delete, 0x2E, 0},        {"F1", XK_F1, 0x70, 0},
      {"F12", XK_F12, 0x7B, 0},              {"left shift", XK_Shift_L, 0x10, 0},
      {"right control", XK_Control_R, 0x11, 0}, {"alt", XK_Alt_L, 0x12, 0},
      {"comma", XK_comma, 0xBC, U','},       {"latin-1 letter", XK_adiaeresis, 0, U'ä'},
      {"unicode key symbol", 0x010020AC, 0, U'€'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qz::x11::virtualKeyForKeysym(c.keysym), c.vk);
    EXPECT_EQ(qz::x11::characterForKeysym(c.keysym), c.ch);
  }
}

struct Msg {
  uint32_t cls;
  uint16_t code;
  uint16_t qualifier;
};

// Collects a window's messages until one of the given class and code arrives.
std::vector<Msg> collectUntil(Window* w, uint32_t cls, uint16_t code) {
  std::vector<Msg> got;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    Message* m = GetMsg(w->UserPort);
    if (!m) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    auto* im = reinterpret_cast<InputMessage*>(m);
    got.push_back({im->Class, im->Code, im->Qualifier});
    FreeVec(im);
    if (got.back().cls == cls && got.back().code == code) break;
  }
  return got;
}

bool contains(const std::vector<Msg>& v, uint32_t cls, uint16_t code, uint16_t qualifier = 0xFFFF) {
  for (const Msg& m : v)
    if (m.cls == cls && m.code == code && (qualifier == 0xFFFF || m.qualifier == qualifier)) return true;
  return false;
}

// The X screen's pixel, once what was drawn has been shown (or 5 seconds passed).
uint32_t shownPixel(int x, int y, uint32_t expected) {
  std::vector<uint32_t> px;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  do {
    Qz_HostFlush();
    if (qz::host::backend().grabScreen(x, y, 1, 1, &px) && px[0] == expected) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < deadline);
  return px.empty() ? 0xFFFFFFFF : px[0];
}

int xdotool(const std::string& args) { return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); }

// Drawing from this thread while the display thread composes: under the compose lock.
void fill(Window* w, uint32_t colorRef) {
  Qz_LockHostCompose();
  SetAPen(w->RPort, kDirectColourFlag | colorRef);
  RectFill(w->RPort, w->BorderLeft, w->BorderTop, w->Width - w->BorderRight - 1, w->Height - w->BorderBottom - 1);
  Qz_UnlockHostCompose();
}

TEST(X11Host, WindowsShowWhatTheyDrawAndHearTheirInput) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is missing";
  qztest::ScopedStateRoot stateRoot;
  Screen* screen = OpenScreenTags(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->Width, 1024);
  EXPECT_EQ(screen->Height, 768);
  Window* a = OpenWindowTags(nullptr, WA_Left, 50, WA_Top, 60, WA_InnerWidth, 200, WA_InnerHeight, 150,
                             WA_Title, "Left", TAG_DONE);
  Window* b = OpenWindowTags(nullptr, WA_Left, 400, WA_Top, 60, WA_InnerWidth, 200, WA_InnerHeight, 150,
                             WA_Flags, WFLG_BORDERLESS, TAG_DONE);
  ASSERT_TRUE(a && b);
  fill(a, 0x0000FF);  // red
  fill(b, 0xFF0000);  // blue
  EXPECT_EQ(shownPixel(50 + 100, 60 + a->BorderTop + 70, 0xFF0000), 0xFF0000u);
  EXPECT_EQ(shownPixel(500, 130, 0x0000FF), 0x0000FFu);
  EXPECT_EQ(shownPixel(10, 700, qz::raster::rgbFromColorRef(screen->Pens[0])),
            qz::raster::rgbFromColorRef(screen->Pens[0]));

  ASSERT_EQ(xdotool("mousemove 150 150 click 1"), 0);
  const std::vector<Msg> clicks = collectUntil(a, IDCMP_MOUSEBUTTONS, SELECTUP);
  EXPECT_TRUE(contains(clicks, IDCMP_ACTIVEWINDOW, 0));
  EXPECT_TRUE(contains(clicks, IDCMP_MOUSEBUTTONS, SELECTDOWN, IEQUALIFIER_LEFTBUTTON));
  EXPECT_TRUE(contains(clicks, IDCMP_MOUSEBUTTONS, SELECTUP));
  EXPECT_EQ(a->MouseX, 150 - 50);
  EXPECT_EQ(a->MouseY, 150 - 60);
  EXPECT_EQ(Qz_GetActiveWindow(), a);

  ASSERT_EQ(xdotool("type h"), 0);
  const std::vector<Msg> keys = collectUntil(a, IDCMP_RAWKEYUP, 'H');
  EXPECT_TRUE(contains(keys, IDCMP_RAWKEY, 'H', 1));
  EXPECT_TRUE(contains(keys, IDCMP_CHAR, 'h', 1));
  EXPECT_TRUE(contains(keys, IDCMP_VANILLAKEY, 'h', 0));

  ASSERT_EQ(xdotool("key ctrl+c"), 0);
  const std::vector<Msg> copy = collectUntil(a, IDCMP_VANILLAKEY, 0x63);
  EXPECT_TRUE(contains(copy, IDCMP_CHAR, 3));
  EXPECT_TRUE(contains(copy, IDCMP_VANILLAKEY, 0x63, IEQUALIFIER_CONTROL));

  // The pointer moving over b: a hears it left, b hears the move.
  ASSERT_EQ(xdotool("mousemove 500 150"), 0);
  EXPECT_TRUE(contains(collectUntil(b, IDCMP_MOUSEMOVE, 0), IDCMP_MOUSEMOVE, 0));
  EXPECT_TRUE(contains(collectUntil(a, IDCMP_MOUSELEFT, 0), IDCMP_MOUSELEFT, 0));

  // Text put on the clipboard is offered through the CLIPBOARD selection and reads back.
  EXPECT_EQ(Qz_ClipboardSetText("from Quillantrix"), 1);
  char* text = nullptr;
  for (int i = 0; i < 100 && !text; ++i) {
    text = Qz_ClipboardGetText();
    if (!text) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "from Quillantrix");
  FreeVec(text);

  CloseWindow(b);
  EXPECT_EQ(shownPixel(500, 130, qz::raster::rgbFromColorRef(screen->Pens[0])),
            qz::raster::rgbFromColorRef(screen->Pens[0]));
  CloseWindow(a);
}

}  // namespace
