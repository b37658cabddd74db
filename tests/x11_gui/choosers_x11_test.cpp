// One window of choosers on the X11 host, for people to look at: a menu bar
// with a menu dropped down, a pop-up list opened, a slider, a knob and a
// text field being typed into.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/async_methods.h"
#include "objects/qz_draw_info.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "x11_gui/x11_gui_support.h"

namespace {

using namespace qztest::x11;

Qz_Object* item(const char* label) { return Qz_CreateObject("MenuItem", kMenuItemSetText, label); }
Qz_Object* text(const char* label) { return Qz_CreateObject("Text", kRootSetLabel, label); }

// Runs a method on the window's thread, as other threads must.
void post(Qz_Object* win, Qz_Object* target, uint32_t method) {
  Qz_DoMethod(target, kRootSetAsyncPort, Qz_RootInstance(win)->asyncPort);
  Qz_DoAsyncMethod(target, method);
}

bool shownInAWindow(Qz_Object* o) {
  auto* info = reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(o, kRootGetDrawInfo));
  return info && info->window;
}

TEST(X11Gui, ChoosersOpenAndTakeTypedText) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (!qztest::haveTool("xdotool")) GTEST_SKIP() << "no xdotool";
  qztest::ScopedStateRoot stateRoot;
  Qz_Init();
  QzWindowHooks hooks{};
  hooks.editLostFocus = Qz_StringEditFocusLost;
  Qz_SetWindowHooks(&hooks);
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);

  Qz_Object* open = item("Open...");
  Qz_Object* save = item("Save");
  Qz_Object* grid = item("Show Grid");
  Qz_DoMethod(save, kMenuItemSetShortcut, 's');
  Qz_DoMethod(grid, kMenuItemSetCheck, kMenuItemChecked);
  Qz_Object* file = Qz_CreateObject("Menu", kMenuSetTitle, "File", kGroupAddTail, open, kGroupAddTail, save,
                                    kGroupAddTail, grid);
  Qz_Object* edit = Qz_CreateObject("Menu", kMenuSetTitle, "Edit", kGroupAddTail, item("Copy"));
  Qz_Object* bar = Qz_CreateObject("MenuBar", kGroupAddTail, file, kGroupAddTail, edit);
  Qz_Object* list = Qz_CreateObject("PopUpList", kPopUpListSetFlags, 1 | kPopUpListOpensBelow);
  for (const char* l : {"Centimetres", "Millimetres", "Inches", "Pixels"}) Qz_DoMethod(list, kGroupAddTail, text(l));
  Qz_Object* slider = Qz_CreateObject("Slider", kValueSetMinimum, 0, kValueSetMaximum, 200, kValueSet, 120);
  Qz_Object* knob = Qz_CreateObject("Knob", kValueSetMinimum, 0, kValueSetMaximum, 359, kValueSet, 135);
  Qz_Object* field = Qz_CreateObject("StringEdit", kStringEditSetMaxLength, 24);
  // The menu drops down over the room below the bar, the list below the window.
  Qz_Object* left = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 6);
  Qz_DoMethod(left, kGroupAddTail, bar);
  Qz_DoMethod(left, kGroupAddTail, Qz_CreateObject("Space", kFixHeight, 70));
  Qz_DoMethod(left, kGroupAddTail, list);
  Qz_Object* right = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 6);
  Qz_DoMethod(right, kGroupAddTail, slider);
  Qz_DoMethod(right, kGroupAddTail, field);
  Qz_DoMethod(right, kGroupAddTail, knob);
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 60);
  Qz_DoMethod(row, kGroupAddTail, left);
  Qz_DoMethod(row, kGroupAddTail, right);
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Choosers", kWindowSetKind, 1, kWindowSetX, 120,
                                   kWindowSetY, 80);
  ASSERT_NE(win, nullptr);
  Qz_DoMethod(win, kGroupAddTail, row);
  Qz_DoMethod(win, kRootOpen);
  Window* w = waitForPlatformWindow(win);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(settle(win));

  // Typed into the field through the platform's line editor.
  ASSERT_TRUE(clickObject(w, field));
  ASSERT_TRUE(settle(win));
  ASSERT_EQ(xdotool("type --delay 40 'Hello, 42'"), 0);
  char typed[64] = {};
  for (int i = 0; i < 100 && std::string(typed) != "Hello, 42"; ++i) {
    Delay(5);
    Qz_GetEditControlText(Qz_GetFocusedEditControl(), typed, sizeof typed);
  }
  EXPECT_STREQ(typed, "Hello, 42");

  post(win, file, kRootSelect);
  post(win, list, kRootSelect);
  ASSERT_TRUE(settle(win));
  EXPECT_TRUE(shownInAWindow(open)) << "the menu is down";
  ASSERT_TRUE(waitForInk(w->LeftEdge, w->TopEdge, w->Width, w->Height, 50));
  Delay(20);
  Screenshot shot;
  ASSERT_TRUE(shot.take(screenshotPath("choosers.png")));
  EXPECT_GT(shot.countInk(w->LeftEdge, w->TopEdge, w->Width, w->Height), 100);

  Qz_DisposeObject(win);
  Qz_SetWindowHooks(nullptr);
  Qz_CleanUp();
}

}  // namespace
