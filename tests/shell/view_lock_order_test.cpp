// A document's window drawn on one thread while another thread re-renders
// the document synchronously: the window's draw lock and the image's
// compositing lock are taken in one order by both, so neither waits for the
// other for good. A hang fails the program after a while instead of
// holding up the whole run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "image/image_shell.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_object.h"
#include "view_fixture.h"

namespace {

using qztest::WritePicture;

constexpr auto kHangLimit = std::chrono::seconds(20);

// Runs the racing threads' bodies; if they are not all done in the limit the
// program ends at once with the message (they cannot be joined).
class Watchdog {
 public:
  explicit Watchdog(const char* what) : what_(what) {}
  void done() {
    std::lock_guard<std::mutex> hold(mutex_);
    ++finished_;
    changed_.notify_all();
  }
  void waitFor(int count) {
    std::unique_lock<std::mutex> hold(mutex_);
    if (!changed_.wait_for(hold, kHangLimit, [&] { return finished_ >= count; })) {
      std::fprintf(stderr, "DEADLOCK: %s did not finish in %lld s\n", what_,
                   static_cast<long long>(kHangLimit.count()));
      std::fflush(stderr);
      std::_Exit(EXIT_FAILURE);
    }
  }

 private:
  const char* what_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int finished_ = 0;
};

class ViewLockOrderTest : public qztest::ViewFixture {};

// One thread draws the view under its window's draw lock, as the window
// thread's refresh does; another sends re-renders directly, as a plug-in or
// script may, whose change notices make the view's redraw thread draw too.
TEST_F(ViewLockOrderTest, DrawingTheWindowWhileAnotherThreadRerendersNeverHangs) {
  constexpr int32_t kWidth = 64, kHeight = 48;
  constexpr int kRerenders = 100;
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, kWidth, kHeight);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  Qz_Object* view = Qz_CurrentViewOf(image_);
  ASSERT_NE(view, nullptr);

  Watchdog watchdog("drawing the window while re-rendering synchronously");
  std::atomic<bool> started{false}, stop{false};
  std::atomic<int> draws{0}, rerenders{0};
  std::thread drawer([&] {
    started.store(true);
    // A few rounds at least, so the two overlap on a busy machine too.
    for (int round = 0; round < 50 || !stop.load(); ++round) {
      if (Qz_LockDrawInfo(view)) {
        // The rest of a refresh (clearing, the other gadgets) under the
        // same lock: the view's redraw thread comes to wait for it meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        Qz_RedrawImageView(view, 0, 0, kWidth - 1, kHeight - 1);
        Qz_UnlockDrawInfo(view);
        draws.fetch_add(1);
      }
      // Refreshes come now and then: drawing back to back would starve the
      // re-render, which waits for the view's redraws to end.
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    watchdog.done();
  });
  std::thread sender([&] {
    while (!started.load()) std::this_thread::yield();
    for (int i = 0; i < kRerenders; ++i)
      if (Qz_DoMethod(&image_->object, kQzImageRerender) == 1) rerenders.fetch_add(1);
    stop.store(true);
    watchdog.done();
  });
  watchdog.waitFor(2);
  drawer.join();
  sender.join();
  EXPECT_GT(draws.load(), 0);
  EXPECT_EQ(rerenders.load(), kRerenders);

  // Both drew the picture itself, never a row half written.
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Mismatches(window, kWidth, kHeight), 0);
}

}  // namespace
