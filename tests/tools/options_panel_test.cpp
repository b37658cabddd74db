// A tool's options coming into a panel window that is open on its own
// thread: the panel is laid out and drawn by that thread, never by the
// thread that activated the tool.
#include <gtest/gtest.h>

#include <thread>

#include "gadgets/qz_group.h"
#include "image/qz_image.h"
#include "objects/qz_root.h"
#include "support/ui_harness.h"
#include "tools/qz_root_tool.h"

namespace {

TEST(OptionsPanelTest, OptionsComingAndGoingAreLaidOutOnThePanelWindowsThread) {
  qztest::UiHarness ui;
  Qz_Object* options = ui.group(1, {qztest::TestGadget::make({})});
  Qz_Object* window = ui.window("Options", 10, 10, 120, 60);
  ASSERT_NE(window, nullptr);
  Qz_DoMethod(window, kGroupAddTail, options);
  ASSERT_TRUE(ui.open(window));
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* saved = base->panelGroups[0];
  base->panelGroups[0] = options;

  Qz_Object* gadget = qztest::TestGadget::make({.minWidth = 40, .minHeight = 20});
  Qz_Object* tool = Qz_CreateObject("RootTool");
  ASSERT_NE(tool, nullptr);
  Qz_DoMethod(tool, kToolSetOptions, gadget);
  Qz_DoMethod(tool, kToolActivate, 1u);
  ASSERT_TRUE(ui.settle(window));
  qztest::GadgetLog& log = qztest::TestGadget::log(gadget);
  EXPECT_GT(log.drawCount(), 0);
  {
    std::lock_guard<std::mutex> g(log.lock);
    EXPECT_NE(log.drawThread, std::this_thread::get_id());
  }
  EXPECT_GE(qztest::UiHarness::box(gadget).width, 40);

  Qz_DoMethod(tool, kToolDeactivate, 1u);
  ASSERT_TRUE(ui.settle(window));
  base->panelGroups[0] = saved;
  Qz_DisposeObject(tool);  // disposes its options
}

}  // namespace
