// The update check on the X11 host against a loopback server, answered by
// clicks: it asks, offers the newer release with its notes, downloads it
// and says where it is, each box on the X screen.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include "app/update_check.h"
#include "gadgets/qz_window.h"
#include "platform/windows.h"
#include "support/loopback_http_server.h"
#include "support/temp_dir.h"
#include "support/web_print_classes.h"
#include "x11_gui/x11_gui_support.h"

namespace {

using namespace qztest::x11;

// Waits (up to 5 seconds) until the server has answered `count` requests.
bool answered(const qztest::LoopbackHttpServer& server, size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (server.requests().size() < count && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return server.requests().size() >= count;
}

// The box now in front, shown whole and screenshot, answered with OK.
void answerOk(const char* screenshot) {
  Qz_Object* box = waitForActiveWindow("Update Quillantrix");
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(settle(box));
  Window* w = Qz__PlatformWindowOf(box);
  const std::vector<LabelledButton> buttons = buttonsOf(box);
  ASSERT_TRUE(waitForButtonLabels(w, buttons));
  if (screenshot != nullptr) {
    Screenshot shot;
    ASSERT_TRUE(shot.take(screenshotPath(screenshot)));
  }
  ASSERT_FALSE(buttons.empty());
  ASSERT_EQ(buttons.front().label, "OK");
  ASSERT_TRUE(clickObject(w, buttons.front().button));
}

TEST(X11UpdateCheck, OffersDownloadsAndTellsWhereTheReleaseIs) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (!qztest::haveTool("xdotool") || !qztest::haveTool("import")) GTEST_SKIP() << "xdotool or ImageMagick is missing";
  qztest::ScopedStateRoot stateRoot;
  ASSERT_TRUE(qztest::OpenWebPrintClasses());
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);
  const std::string release = "a newer Quillantrix";
  qztest::LoopbackHttpServer server;
  server.setRoute("/r/Quillantrix-5.1.tar.gz", {200, release, 0});
  server.setRoute("/AutoUpdate/Win32/AutoUpdate.txt",
                  {200, "AU_Release: 130\nAU_Server: " + server.host() +
                            "\nAU_Object: /r/Quillantrix-5.1.tar.gz\nAU_ObjectSize: " + std::to_string(release.size()) +
                            "\nAU_Readme: Faster brushes and a new blur.\n",
                   0});
  std::future<int32_t> result =
      std::async(std::launch::async, [&] { return qz::update::runCheck(server.host(), 129); });
  answerOk(nullptr);
  ASSERT_TRUE(answered(server, 1));
  answerOk("update_offer_screenshot.png");
  ASSERT_TRUE(answered(server, 2));
  answerOk("update_done_screenshot.png");
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(result.get(), 1);
  EXPECT_EQ(std::filesystem::file_size(stateRoot.path() + "/Downloads/Quillantrix-5.1.tar.gz"), release.size());
  qztest::CloseWebPrintClasses();
}

}  // namespace
