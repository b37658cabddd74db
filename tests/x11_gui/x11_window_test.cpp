// A Window object with a nested group on the X11 host: it opens on its
// thread, what its gadgets draw shows on the X screen, and it closes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "host/raster/pixel_buffer.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "x11_gui/x11_gui_support.h"

namespace {

namespace TestGadget = qztest::TestGadget;
using qztest::x11::shownPixel;
using qztest::x11::waitForPlatformWindow;

Qz_Object* gadget(int16_t w, int16_t h, uint32_t colour) {
  qztest::GadgetSpec s;
  s.minWidth = w;
  s.minHeight = h;
  s.colour = colour;
  return TestGadget::make(s);
}

Qz_Object* group(uint32_t mode, std::initializer_list<Qz_Object*> members) {
  Qz_Object* g = Qz_CreateObject("Group", kGroupSetMode, mode, kGroupSetSpacing, 4);
  for (Qz_Object* m : members) Qz_DoMethod(g, kGroupAddTail, m);
  return g;
}

TEST(X11Gui, WindowWithANestedGroupOpensDrawsAndCloses) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  qztest::ScopedStateRoot stateRoot;
  Qz_Init();
  TestGadget::registerClass();
  Screen* screen = OpenScreenTags(nullptr);
  ASSERT_NE(screen, nullptr);
  Qz_Object* red = gadget(60, 40, 0x0000FF);
  Qz_Object* green = gadget(40, 18, 0x00FF00);
  Qz_Object* blue = gadget(40, 18, 0xFF0000);
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Nested", kWindowSetKind, 1, kWindowSetX, 120,
                                   kWindowSetY, 90);
  ASSERT_NE(win, nullptr);
  Qz_DoMethod(win, kGroupAddTail, group(2, {red, group(1, {green, blue})}));
  Qz_DoMethod(win, kRootOpen);
  Window* w = waitForPlatformWindow(win);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Width - w->BorderLeft - w->BorderRight, 104);
  EXPECT_EQ(w->Height - w->BorderTop - w->BorderBottom, 40);
  struct Case {
    Qz_Object* gadget;
    uint32_t rgb;
  };
  for (const Case& c : {Case{red, 0xFF0000}, Case{green, 0x00FF00}, Case{blue, 0x0000FF}}) {
    SCOPED_TRACE(c.rgb);
    const Qz_LayoutBox b = qztest::UiHarness::box(c.gadget);
    const int x = w->LeftEdge + b.left + b.width / 2, y = w->TopEdge + b.top + b.height / 2;
    EXPECT_EQ(shownPixel(x, y, c.rgb), c.rgb);
  }
  const int redX = w->LeftEdge + qztest::UiHarness::box(red).left + 5;
  const int redY = w->TopEdge + qztest::UiHarness::box(red).top + 5;
  Qz_DisposeObject(win);  // stops the thread, which closes the window
  const uint32_t desktop = qz::raster::rgbFromColorRef(screen->Pens[0]);
  EXPECT_EQ(shownPixel(redX, redY, desktop), desktop);
  TestGadget::unregisterClass();
  Qz_CleanUp();
}

}  // namespace
