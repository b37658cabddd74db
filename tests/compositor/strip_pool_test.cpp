// The compositor's worker pool: every strip of a pass runs once, on the
// workers and never on the waiting thread; a stop ends the pass early with
// no strip run twice; a pass asked for from a worker is refused.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "image/strip_pool.h"

namespace {

using qz::StripPool;

class StripPoolTest : public testing::Test {
 protected:
  void SetUp() override { before_ = Qz__SetCompositorWorkers(1); }
  void TearDown() override { Qz__SetCompositorWorkers(before_); }
  int32_t before_ = 0;
};

TEST_F(StripPoolTest, EveryStripRunsOnceOnAWorker) {
  const std::thread::id caller = std::this_thread::get_id();
  for (int32_t workers : {1, 2, 8}) {
    Qz__SetCompositorWorkers(workers);
    EXPECT_EQ(StripPool::shared().workers(), workers);
    for (int32_t count : {0, 1, 7, 64}) {
      SCOPED_TRACE(testing::Message() << workers << " workers, " << count << " strips");
      std::vector<std::atomic<int>> runs(size_t(count) + 1);
      std::atomic<bool> onCaller{false};
      const std::function<void(int32_t)> job = [&](int32_t strip) {
        runs[size_t(strip)].fetch_add(1);
        if (std::this_thread::get_id() == caller || !StripPool::onWorker()) onCaller = true;
      };
      ASSERT_TRUE(StripPool::shared().run(count, job, nullptr));
      for (int32_t s = 0; s < count; ++s) EXPECT_EQ(runs[size_t(s)].load(), 1) << "strip " << s;
      EXPECT_FALSE(onCaller.load());
    }
  }
}

TEST_F(StripPoolTest, AStopEndsThePassEarlyAndANestedPassIsRefused) {
  Qz__SetCompositorWorkers(2);
  std::vector<std::atomic<int>> runs(200);
  std::atomic<int> nestedRefused{0};
  std::atomic<bool> stopped{false};
  const std::function<void(int32_t)> job = [&](int32_t strip) {
    runs[size_t(strip)].fetch_add(1);
    if (!StripPool::shared().run(1, [](int32_t) {}, nullptr)) nestedRefused.fetch_add(1);
    // Only the first strip may end before the stop, and the others are slow:
    // the pass cannot outrun it.
    while (strip > 0 && !stopped.load()) std::this_thread::sleep_for(std::chrono::microseconds(100));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  ASSERT_TRUE(StripPool::shared().run(200, job, [&] { return stopped = true; }));
  int done = 0;
  for (auto& r : runs) {
    EXPECT_LE(r.load(), 1);
    done += r.load();
  }
  EXPECT_GE(done, 1);
  EXPECT_LT(done, 50);
  EXPECT_EQ(nestedRefused.load(), done);
}

}  // namespace
