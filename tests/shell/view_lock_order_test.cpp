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
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "image/image_shell.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_class_record.h"
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

// Stand-in modes with nothing of their own: a mode that writes nothing
// leaves the picture as it is, so the two can be swapped back and forth.
Qz_Object* NewStandIn(Qz_Class* c, const QzWord*) { return Qz_AllocObjectOver(c, "Root", nullptr); }
void DisposeStandIn(Qz_Object* o) {
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}
QzWord PassOn(Qz_Object* self, uint32_t id, const QzWord* args) { return Qz_DoMethodA(self->super, id, args); }
const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
Qz_Class gModeA, gModeB;

class ViewLockOrderTest : public qztest::ViewFixture {
 protected:
  static constexpr int32_t kWidth = 64, kHeight = 48;
  static constexpr int kSends = 100;

  // One thread draws the view under its window's draw lock, as the window
  // thread's refresh does; another sends the change directly, as a plug-in
  // or script may, whose change notices make the view's redraw thread draw.
  void Race(const char* what, const std::function<bool(int)>& send) {
    const std::string path = dir_.file("pic.ppm");
    WritePicture(path, kWidth, kHeight);
    Qz_Object* window = LoadShown(path);
    ASSERT_NE(window, nullptr);
    Qz_Object* view = Qz_CurrentViewOf(image_);
    ASSERT_NE(view, nullptr);

    Watchdog watchdog(what);
    std::atomic<bool> started{false}, stop{false};
    std::atomic<int> draws{0}, sent{0};
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
      for (int i = 0; i < kSends; ++i)
        if (send(i)) sent.fetch_add(1);
      stop.store(true);
      watchdog.done();
    });
    watchdog.waitFor(2);
    drawer.join();
    sender.join();
    EXPECT_GT(draws.load(), 0);
    EXPECT_EQ(sent.load(), kSends);

    // Both drew the picture itself, never a row half written.
    ASSERT_TRUE(Settle(window));
    EXPECT_EQ(Mismatches(window, kWidth, kHeight), 0);
  }
};

TEST_F(ViewLockOrderTest, DrawingTheWindowWhileAnotherThreadRerendersNeverHangs) {
  Race("drawing the window while re-rendering synchronously",
       [&](int) { return Qz_DoMethod(&image_->object, kQzImageRerender) == 1; });
}

TEST_F(ViewLockOrderTest, DrawingTheWindowWhileAnotherThreadChangesTheLayersModeNeverHangs) {
  const Qz_ClassSpec a = {"LockOrderAMode", "", 0x7E300000, "Root", NewStandIn, DisposeStandIn,
                          PassOn, kNoMethods, sizeof(Qz_Object), 0};
  const Qz_ClassSpec b = {"LockOrderBMode", "", 0x7E310000, "Root", NewStandIn, DisposeStandIn,
                          PassOn, kNoMethods, sizeof(Qz_Object), 0};
  ASSERT_EQ(Qz_RegisterClassRecord(&gModeA, &a), 1u);
  ASSERT_EQ(Qz_RegisterClassRecord(&gModeB, &b), 1u);
  // Each change is fixed at once: the layer is re-rendered before it returns.
  std::atomic<int32_t>& autoRedo = Qz_GetImageBase()->autoRedo;
  const int32_t wasAutoRedo = autoRedo.exchange(1);
  Race("drawing the window while changing the layer's mode synchronously", [&](int i) {
    return Qz_DoMethod(&image_->paintLayer->object, kQzImageSetLayerMode,
                       i % 2 ? "LockOrderB" : "LockOrderA") != 0;
  });
  autoRedo.store(wasAutoRedo);
  // The layer's mode objects go with the document, before their classes.
  Qz_DisposeObject(&image_->object);
  image_ = nullptr;
  Qz_UnregisterClassRecord(&gModeB);
  Qz_UnregisterClassRecord(&gModeA);
}

}  // namespace
