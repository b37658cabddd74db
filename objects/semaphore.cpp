// Qz_Semaphore: shared/exclusive lock with deadlock refusal.
//
// All semaphores share one bookkeeping mutex, so the refusal tests see a
// consistent picture of every owner, holder and waiter at once; each
// semaphore has its own condition variable that releases wake.
#include "objects/qz_semaphore.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace {

// Identity of the calling thread; stable for the thread's life.
using TaskId = const void*;
TaskId currentTask() {
  thread_local char token;
  return &token;
}

}  // namespace

struct Qz_Semaphore {
  std::vector<TaskId> sharedHolders;      // one entry per shared hold
  std::vector<TaskId> exclusiveWaiters;   // tasks sleeping for exclusive access
  int32_t sharedCount = 0;
  int32_t requestCount = 0;               // exclusive requests, held or pending
  int32_t nesting = 0;                    // 0 held once, 2 after the first re-entry, then +1
  TaskId owner = nullptr;
  std::condition_variable changed;
};

namespace {

std::mutex& bookLock() {
  static std::mutex lock;
  return lock;
}

std::vector<Qz_Semaphore*>& registry() {
  static std::vector<Qz_Semaphore*> all;
  return all;
}

struct PendingRequest {
  Qz_Semaphore* semaphore;
  bool exclusive;
};

// What each sleeping task waits for; read by the cycle test.
std::unordered_map<TaskId, PendingRequest>& pending() {
  static std::unordered_map<TaskId, PendingRequest> map;
  return map;
}

int32_t sharedHoldsOf(const Qz_Semaphore* s, TaskId task) {
  return static_cast<int32_t>(std::count(s->sharedHolders.begin(), s->sharedHolders.end(), task));
}

// Tasks a request must wait for before it can be granted.
void blockersOf(const Qz_Semaphore* s, TaskId requester, bool exclusive, std::vector<TaskId>& out) {
  if (s->owner != nullptr && s->owner != requester) out.push_back(s->owner);
  if (!exclusive) return;
  for (TaskId holder : s->sharedHolders) {
    if (holder != requester) out.push_back(holder);
  }
}

// True when waiting for the request would close a cycle of waiting tasks:
// some task the requester would wait for is itself (through others) waiting
// for the requester.
bool wouldDeadlock(const Qz_Semaphore* s, TaskId requester, bool exclusive) {
  std::vector<TaskId> work;
  blockersOf(s, requester, exclusive, work);
  std::vector<TaskId> seen;
  while (!work.empty()) {
    const TaskId task = work.back();
    work.pop_back();
    if (task == requester) return true;
    if (std::find(seen.begin(), seen.end(), task) != seen.end()) continue;
    seen.push_back(task);
    const auto it = pending().find(task);
    if (it == pending().end()) continue;
    blockersOf(it->second.semaphore, task, it->second.exclusive, work);
  }
  return false;
}

// Refused: the requester owns a semaphore whose exclusive waiters include
// this one's owner, or, more generally, waiting would close a cycle (which
// also covers two shared holders that both ask to upgrade). An owner that
// merely holds some other semaphore shared is no reason to refuse: should it
// go on to wait for the requester, its own request is the one refused.
bool mustRefuse(const Qz_Semaphore* s, TaskId requester, bool exclusive) {
  if (s->owner != nullptr) {
    for (const Qz_Semaphore* other : registry()) {
      if (other->owner == requester &&
          std::find(other->exclusiveWaiters.begin(), other->exclusiveWaiters.end(), s->owner) !=
              other->exclusiveWaiters.end()) {
        return true;
      }
    }
  }
  return wouldDeadlock(s, requester, exclusive);
}

}  // namespace

Qz_Semaphore* Qz_AllocSemaphore(void) {
  Qz_Semaphore* s = new (std::nothrow) Qz_Semaphore;
  if (s == nullptr) return nullptr;
  try {
    std::lock_guard<std::mutex> guard(bookLock());
    registry().push_back(s);
  } catch (const std::bad_alloc&) {
    delete s;
    return nullptr;
  }
  return s;
}

void Qz_FreeSemaphore(Qz_Semaphore* s) {
  if (s == nullptr) return;
  {
    std::lock_guard<std::mutex> guard(bookLock());
    auto& all = registry();
    all.erase(std::remove(all.begin(), all.end(), s), all.end());
  }
  delete s;
}

QzWord Qz_ObtainSemaphore(Qz_Semaphore* s) {
  if (s == nullptr) return 0;
  const TaskId self = currentTask();
  std::unique_lock<std::mutex> guard(bookLock());
  ++s->requestCount;
  if (s->owner == self) {
    s->nesting = (s->nesting == 0) ? 2 : s->nesting + 1;
    return 1;
  }
  const int32_t own = sharedHoldsOf(s, self);
  if (s->requestCount < 2 && s->owner == nullptr && s->sharedCount == own) {
    s->owner = self;  // free, or an upgrade of the caller's own shared holds
    return 1;
  }
  try {
    if (mustRefuse(s, self, true)) {
      --s->requestCount;
      return 0;
    }
    s->exclusiveWaiters.push_back(self);
    pending()[self] = PendingRequest{s, true};
  } catch (const std::bad_alloc&) {
    auto& waiters = s->exclusiveWaiters;
    waiters.erase(std::remove(waiters.begin(), waiters.end(), self), waiters.end());
    --s->requestCount;
    return 0;
  }
  s->changed.wait(guard, [&] { return s->owner == nullptr && s->sharedCount == sharedHoldsOf(s, self); });
  pending().erase(self);
  auto& waiters = s->exclusiveWaiters;
  waiters.erase(std::find(waiters.begin(), waiters.end(), self));
  s->owner = self;
  s->nesting = 0;
  return 1;
}

void Qz_ReleaseSemaphore(Qz_Semaphore* s) {
  if (s == nullptr) return;
  const TaskId self = currentTask();
  std::lock_guard<std::mutex> guard(bookLock());
  if (s->owner != self) return;
  --s->requestCount;
  if (s->nesting != 0) --s->nesting;
  if (s->nesting == 0) s->owner = nullptr;
  s->changed.notify_all();
}

QzWord Qz_ObtainSemaphoreShared(Qz_Semaphore* s) {
  if (s == nullptr) return 0;
  const TaskId self = currentTask();
  std::unique_lock<std::mutex> guard(bookLock());
  try {
    s->sharedHolders.push_back(self);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  ++s->sharedCount;
  if (s->requestCount == 0 || s->owner == self || s->owner == nullptr) return 1;
  bool refuse = true;
  try {
    refuse = mustRefuse(s, self, false);
    if (!refuse) pending()[self] = PendingRequest{s, false};
  } catch (const std::bad_alloc&) {
    refuse = true;
  }
  if (refuse) {
    auto& holders = s->sharedHolders;
    holders.erase(std::find(holders.begin(), holders.end(), self));
    --s->sharedCount;
    return 0;
  }
  // A pending exclusive request without an owner does not hold sharers back.
  s->changed.wait(guard, [&] { return s->owner == nullptr || s->owner == self; });
  pending().erase(self);
  return 1;
}

void Qz_ReleaseSemaphoreShared(Qz_Semaphore* s) {
  if (s == nullptr) return;
  const TaskId self = currentTask();
  std::lock_guard<std::mutex> guard(bookLock());
  auto& holders = s->sharedHolders;
  const auto it = std::find(holders.begin(), holders.end(), self);
  if (it == holders.end()) return;  // holds nothing shared: the count stays
  holders.erase(it);
  --s->sharedCount;
  s->changed.notify_all();
}
