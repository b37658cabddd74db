// Image locks: refusals, shared and exclusive holds across threads, two
// upgraders at once, and disposal waiting for holders.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "image_fixture.h"

namespace {

using qztest::ImageTest;

// A deadlock would hang the suite; this bounds the wait and fails instead.
constexpr auto kDeadlockGuard = std::chrono::seconds(30);

TEST_F(ImageTest, RefusedLocksChangeNothing) {
  Qz_Image* image = Make(kQzDocument, 4, 4, 24);
  auto stranger = std::make_unique<Qz_Image>();  // never made by the Image class
  struct Case {
    const char* name;
    Qz_Image* image;
    uint32_t mode;
    bool dying;
  };
  const Case cases[] = {
      {"none", nullptr, kQzLockRead, false},
      {"not in the open list", stranger.get(), kQzLockRead, false},
      {"dying", image, kQzLockRead, true},
      {"dying, exclusive", image, kQzLockExclusive, true},
      {"mode 3", image, 3, false},
      {"mode 0", image, 0, false},
      {"mode 8", image, 8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t nesting = image->object.nesting;
    if (c.dying) image->state = kQzImageDying;
    EXPECT_EQ(Qz_LockImageA(c.image, c.mode, nullptr), 0);
    image->state = kQzImageAllocated;
    EXPECT_EQ(image->lockCount.load(), 0);
    EXPECT_EQ(image->object.nesting, nesting);
    // No hold was left behind: another thread gets the exclusive lock.
    std::thread other([image] {
      EXPECT_EQ(Qz_LockImageA(image, kQzLockExclusive, nullptr), 1);
      Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
    });
    other.join();
  }
  EXPECT_EQ(Qz_UnlockImageA(image, kQzLockRead, nullptr), 0) << "unlock without a lock";
  EXPECT_EQ(Qz_UnlockImageA(nullptr, kQzLockRead, nullptr), 0);
  EXPECT_EQ(image->lockCount.load(), 0);
}

TEST_F(ImageTest, LocksCountAndNest) {
  Qz_Image* image = Make(kQzDocument, 4, 4, 24);
  const int32_t nesting = image->object.nesting;
  ASSERT_EQ(Qz_LockImageA(image, kQzLockRead, nullptr), 1);
  ASSERT_EQ(Qz_LockImageA(image, kQzLockComposite, nullptr), 1);
  ASSERT_EQ(Qz_LockImageA(image, kQzLockExclusive, nullptr), 1) << "sole holder upgrades";
  EXPECT_EQ(image->lockCount.load(), 3);
  EXPECT_EQ(image->object.nesting, nesting + 3);
  EXPECT_EQ(Qz_UnlockImageA(image, kQzLockExclusive, nullptr), 1);
  EXPECT_EQ(Qz_UnlockImageA(image, kQzLockComposite, nullptr), 1);
  EXPECT_EQ(Qz_UnlockImageA(image, kQzLockRead, nullptr), 1);
  EXPECT_EQ(image->lockCount.load(), 0);
  EXPECT_EQ(image->object.nesting, nesting);

  Qz_GetImageBase()->activeImage = image;
  EXPECT_EQ(Qz_LockActiveImageA(kQzLockRead, nullptr), image);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  Qz_GetImageBase()->activeImage = nullptr;
  EXPECT_EQ(Qz_LockActiveImageA(kQzLockRead, nullptr), nullptr);
}

TEST_F(ImageTest, ExclusiveWaitsForReadersOfOtherThreads) {
  Qz_Image* image = Make(kQzDocument, 4, 4, 24);
  ASSERT_EQ(Qz_LockImageA(image, kQzLockComposite, nullptr), 1);
  std::atomic<bool> released{false}, writerHeld{false};
  auto writer = std::async(std::launch::async, [&] {
    const int32_t got = Qz_LockImageA(image, kQzLockExclusive, nullptr);
    // Whenever it is granted, the reader has already let go.
    EXPECT_TRUE(released.load());
    writerHeld = got == 1;
    if (got) Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
    return got;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(writerHeld.load());
  released = true;
  Qz_UnlockImageA(image, kQzLockComposite, nullptr);
  ASSERT_EQ(writer.wait_for(kDeadlockGuard), std::future_status::ready);
  EXPECT_EQ(writer.get(), 1);
}

TEST_F(ImageTest, TwoUpgradersNeverDeadlock) {
  Qz_Image* image = Make(kQzDocument, 4, 4, 24);
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    std::atomic<int> holding{0};
    std::atomic<int> exclusiveHolders{0}, maxExclusive{0};
    auto upgrader = [&] {
      EXPECT_EQ(Qz_LockImageA(image, kQzLockComposite, nullptr), 1);
      ++holding;
      while (holding.load() < 2) std::this_thread::yield();  // both hold shared
      const int32_t got = Qz_LockImageA(image, kQzLockExclusive, nullptr);
      if (got) {
        const int now = ++exclusiveHolders;
        maxExclusive = std::max(maxExclusive.load(), now);
        --exclusiveHolders;
        Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
      }
      Qz_UnlockImageA(image, kQzLockComposite, nullptr);
      return got;
    };
    auto a = std::async(std::launch::async, upgrader);
    auto b = std::async(std::launch::async, upgrader);
    ASSERT_EQ(a.wait_for(kDeadlockGuard), std::future_status::ready);
    ASSERT_EQ(b.wait_for(kDeadlockGuard), std::future_status::ready);
    const int32_t granted = a.get() + b.get();
    EXPECT_GE(granted, 1) << "the refused upgrader backs off and the other proceeds";
    EXPECT_LE(maxExclusive.load(), 1);
    EXPECT_EQ(image->lockCount.load(), 0);
  }
}

TEST_F(ImageTest, TwoThreadsAskingForExclusiveAtOnce) {
  Qz_Image* image = Make(kQzDocument, 4, 4, 24);
  std::atomic<int> inside{0};
  std::atomic<bool> overlap{false};
  std::atomic<int> ready{0};
  auto writer = [&] {
    ++ready;
    while (ready.load() < 2) std::this_thread::yield();
    int granted = 0;
    for (int i = 0; i < 50; ++i) {
      if (!Qz_LockImageA(image, kQzLockExclusive, nullptr)) continue;
      if (++inside != 1) overlap = true;
      --inside;
      ++granted;
      Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
    }
    return granted;
  };
  auto a = std::async(std::launch::async, writer);
  auto b = std::async(std::launch::async, writer);
  ASSERT_EQ(a.wait_for(kDeadlockGuard), std::future_status::ready);
  ASSERT_EQ(b.wait_for(kDeadlockGuard), std::future_status::ready);
  EXPECT_GT(a.get() + b.get(), 0);
  EXPECT_FALSE(overlap.load());
  EXPECT_EQ(image->lockCount.load(), 0);
}

TEST_F(ImageTest, ReadersAndWritersUnderContention) {
  Qz_Image* image = Make(kQzDocument, 4, 4, 24);
  std::atomic<int> readers{0}, writers{0};
  std::atomic<bool> overlap{false};
  auto worker = [&](int seed) {
    for (int i = 0; i < 20; ++i) {
      const bool write = (i + seed) % 4 == 0;
      const uint32_t mode = write ? kQzLockExclusive : ((i & 1) ? kQzLockRead : kQzLockComposite);
      if (!Qz_LockImageA(image, mode, nullptr)) continue;  // a refused upgrade backs off
      if (write) {
        if (++writers != 1 || readers.load() != 0) overlap = true;
        image->undoR[0][0]++;  // the image lock is what keeps this race-free
        --writers;
      } else {
        ++readers;
        if (writers.load() != 0) overlap = true;
        (void)image->undoR[0][0];
        --readers;
      }
      Qz_UnlockImageA(image, mode, nullptr);
    }
  };
  std::vector<std::future<void>> threads;
  for (int t = 0; t < 4; ++t) threads.push_back(std::async(std::launch::async, worker, t));
  for (auto& thread : threads) ASSERT_EQ(thread.wait_for(kDeadlockGuard), std::future_status::ready);
  EXPECT_FALSE(overlap.load());
  EXPECT_EQ(image->lockCount.load(), 0);
}

TEST_F(ImageTest, DisposalWaitsForHoldersAndRefusesNewLocks) {
  Qz_Image* image = Make(kQzDocument, 4, 4, 24);
  std::atomic<bool> holding{false}, released{false}, disposing{false};
  auto reader = std::async(std::launch::async, [&] {
    EXPECT_EQ(Qz_LockImageA(image, kQzLockRead, nullptr), 1);
    holding = true;
    while (!disposing.load()) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(image->state.load(), kQzImageDying);
    EXPECT_EQ(Qz_LockImageA(image, kQzLockRead, nullptr), 0) << "a dying image is refused";
    EXPECT_NE(image->r, nullptr) << "storage stays while a lock is out";
    released = true;
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
  });
  while (!holding.load()) std::this_thread::yield();
  disposing = true;
  Dispose(image);
  EXPECT_TRUE(released.load());
  ASSERT_EQ(reader.wait_for(kDeadlockGuard), std::future_status::ready);
  EXPECT_EQ(Qz_LockImageA(image, kQzLockRead, nullptr), 0) << "gone from the open list";
}

}  // namespace
