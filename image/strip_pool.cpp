// The strip pool: worker threads that wait for a pass, take its strips in
// turn from one counter, and report each finished strip to the waiting
// thread, which alone decides to stop a pass short.
#include "image/strip_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace qz {
namespace {

thread_local bool tOnWorker = false;

// A positive QZ_WORKERS overrides the core count, so a test run can have
// as many workers as a bigger machine would (CI runs the threaded tests with 8).
int32_t Qz__Cores() {
  if (const char* forced = std::getenv("QZ_WORKERS")) {
    const long count = std::strtol(forced, nullptr, 10);
    if (count > 0 && count <= 256) return int32_t(count);
  }
  return int32_t(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

struct StripPool::State {
  std::mutex passOwner;  // one pass on the workers at a time; held across run()
  std::mutex m;
  std::condition_variable wake;      // workers: a pass was posted, or quit
  std::condition_variable progress;  // the waiting thread: a strip ended
  std::vector<std::thread> threads;
  std::atomic<int32_t> workerCount{0};
  uint64_t generation = 0;
  bool quit = false;
  // The posted pass.
  const std::function<void(int32_t)>* job = nullptr;
  int32_t count = 0;
  std::atomic<int32_t> next{0};
  std::atomic<bool> cancelled{false};
  int32_t inPass = 0;  // workers not yet done with the posted pass
  int32_t finished = 0;

  // seen: the generation when the thread was made (no pass runs then), so
  // a pass posted before the thread gets going is still its own.
  void work(uint64_t seen) {
    tOnWorker = true;
    std::unique_lock lock(m);
    for (;;) {
      wake.wait(lock, [&] { return quit || generation != seen; });
      if (quit) return;
      seen = generation;
      const std::function<void(int32_t)>& fn = *job;
      const int32_t total = count;
      lock.unlock();
      for (int32_t strip; !cancelled.load(std::memory_order_relaxed) &&
                          (strip = next.fetch_add(1, std::memory_order_relaxed)) < total;) {
        fn(strip);
        std::lock_guard report(m);
        ++finished;
        progress.notify_one();
      }
      lock.lock();
      if (--inPass == 0) progress.notify_one();
    }
  }

  void start(int32_t n) {
    for (int32_t i = 0; i < n; ++i) threads.emplace_back([this, g = generation] { work(g); });
    workerCount.store(n);
  }

  void stopAll() {
    {
      std::lock_guard lock(m);
      quit = true;
    }
    wake.notify_all();
    for (std::thread& t : threads) t.join();
    threads.clear();
    quit = false;
  }
};

StripPool& StripPool::shared() {
  // Never destroyed: its threads wait until the process ends.
  static StripPool* pool = [] {
    auto* p = new StripPool;
    p->state_ = new State;
    p->state_->start(Qz__Cores());
    return p;
  }();
  return *pool;
}

bool StripPool::onWorker() { return tOnWorker; }

bool StripPool::run(int32_t count, const std::function<void(int32_t)>& job,
                    const std::function<bool()>& stop) {
  State& s = *state_;
  std::unique_lock owner(s.passOwner, std::try_to_lock);
  if (!owner.owns_lock() || tOnWorker) return false;
  if (count <= 0) return true;
  std::unique_lock lock(s.m);
  s.job = &job;
  s.count = count;
  s.next.store(0);
  s.cancelled.store(false);
  s.finished = 0;
  s.inPass = int32_t(s.threads.size());
  ++s.generation;
  s.wake.notify_all();
  int32_t checked = 0;
  while (s.inPass > 0) {
    s.progress.wait(lock, [&] { return s.inPass == 0 || s.finished != checked; });
    const bool ended = s.finished == checked;
    checked = s.finished;
    if (ended || s.cancelled.load() || checked >= count) continue;
    // The stop check takes other locks, so not under the pool's own.
    lock.unlock();
    const bool stopNow = stop && stop();
    lock.lock();
    if (stopNow) s.cancelled.store(true);
  }
  s.job = nullptr;
  return true;
}

int32_t StripPool::workers() { return state_->workerCount.load(); }

int32_t StripPool::setWorkers(int32_t count) {
  State& s = *state_;
  std::lock_guard owner(s.passOwner);
  const auto before = int32_t(s.threads.size());
  const int32_t wanted = count > 0 ? count : Qz__Cores();
  if (wanted != before) {
    s.stopAll();
    s.start(wanted);
  }
  return before;
}

}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz__SetCompositorWorkers(int32_t count) {
  return qz::StripPool::shared().setWorkers(std::max(0, count));
}

QZ_EXTERN_C_END
