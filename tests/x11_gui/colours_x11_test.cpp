// The colour editor with a colour picked from its field, and the tip of
// the day, on the X11 host for people to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_tip_of_the_day.h"
#include "gadgets/qz_window.h"
#include "objects/catalogue.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"
#include "platform/paths.h"
#include "platform/windows.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "x11_gui/x11_gui_support.h"

namespace {

using namespace qztest::x11;

void noteColour(QzWord user, Qz_Object*, uint32_t, const QzWord* value) { *reinterpret_cast<QzWord*>(user) = value[0]; }

TEST(X11Gui, ColourEditorWithAPickedColour) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (!qztest::haveTool("xdotool")) GTEST_SKIP() << "no xdotool";
  qztest::ScopedStateRoot stateRoot;
  Qz_Init();
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);
  Qz_Object* edit = Qz_CreateObject("ColourEdit");
  ASSERT_NE(edit, nullptr);
  QzWord picked = 0xFFFFFFFF;
  Qz_AddCallBackNotify(edit, kQzColourEditColour, kNotifyAnyValue, noteColour, reinterpret_cast<QzWord>(&picked));
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Colour", kWindowSetKind, 1, kWindowSetX, 120,
                                   kWindowSetY, 80, kWindowSetW, 520);
  ASSERT_NE(win, nullptr);
  Qz_DoMethod(win, kGroupAddTail, edit);
  Qz_DoMethod(win, kRootOpen);
  Window* w = waitForPlatformWindow(win);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(settle(win));
  // A press in the colour field under the tab strips, a little right of its middle: a light tone.
  const Qz_LayoutBox b = qztest::UiHarness::box(edit);
  ASSERT_TRUE(clickAt(w->LeftEdge + b.left + b.width * 2 / 3, w->TopEdge + b.top + 90));
  for (int i = 0; i < 100 && picked == 0xFFFFFFFF; ++i) Delay(5);
  ASSERT_TRUE(settle(win));
  EXPECT_NE(picked, 0xFFFFFFFFu) << "a colour was picked";
  EXPECT_NE(picked, 0u);
  Delay(20);
  Screenshot shot;
  ASSERT_TRUE(shot.take(screenshotPath("colour_editor.png")));
  Qz_DisposeObject(win);
  Qz_CleanUp();
}

TEST(X11Gui, TipOfTheDay) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  qztest::ScopedStateRoot stateRoot;
  qztest::TempDir dir;
  Qz_Init();
  Qz__LoadCatalog("Data/Lingua/Quillantrix", "");
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);
  std::ofstream(dir.file("state")) << "2,1\n";
  const std::string tips = qz::normalizePath("Data/Lingua/TipOfTheDay.QzStr");
  Qz_Object* tip = Qz_CreateObject("TipOfTheDay", kTipOfTheDaySetTipsFile, tips.c_str(), kTipOfTheDaySetStateFile,
                                   dir.file("state").c_str());
  ASSERT_NE(tip, nullptr);
  Qz_DoMethod(tip, kRootOpen);
  Window* w = waitForPlatformWindow(tip->super);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(settle(tip->super));
  EXPECT_EQ(Qz_DoMethod(tip, kTipOfTheDayGetTip), 2u);
  ASSERT_TRUE(waitForInk(w->LeftEdge, w->TopEdge, w->Width, w->Height, 50));
  Delay(20);
  Screenshot shot;
  ASSERT_TRUE(shot.take(screenshotPath("tip_of_the_day.png")));
  Qz_DisposeObject(tip);
  Qz__FreeCatalog();
  Qz_CleanUp();
}

}  // namespace
