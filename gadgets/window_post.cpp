// Waiting for a window's thread to run what was queued to it.
#include "gadgets/window_post.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/exec.h"

namespace {

// Words of barriers whose waiters gave up: the window's thread still writes
// them when it gets there, so they are kept for the life of the process.
std::mutex gAbandonedLock;
std::vector<std::unique_ptr<uint32_t>> gAbandoned;

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_WaitForWindowThread(Qz_Object* window, uint32_t ticks) {
  if (window == nullptr) return 0;
  // Never a word on the caller's stack: the barrier may run after we return.
  auto done = std::make_unique<uint32_t>(0);
  if (!Qz_PostToWindow(window, window, kRootPoke32, done.get(), 1)) return 0;
  for (uint32_t tick = 0;; ++tick) {
    if (std::atomic_ref<uint32_t>(*done).load(std::memory_order_acquire) != 0) return 1;
    if (tick >= ticks) break;
    Delay(1);
  }
  std::lock_guard<std::mutex> hold(gAbandonedLock);
  gAbandoned.push_back(std::move(done));
  return 0;
}

QZ_EXTERN_C_END
