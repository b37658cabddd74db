// The compositor's worker threads: made once, as many as cores (at least
// one), they share out the strips of one pass at a time while the thread
// that asked for the pass waits and keeps checking whether to stop.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/qz_export.h"

namespace qz {

class QZ_EXPORT StripPool {
 public:
  // The process's pool; its threads start on first use and are never ended.
  static StripPool& shared();

  // Runs job(strip) for strips 0..count-1 on the workers and waits for them.
  // Each time a strip ends, stop() is asked on this thread; once it answers
  // true no further strip starts. False, without running anything, when
  // another pass holds the pool (the caller then does the strips itself).
  bool run(int32_t count, const std::function<void(int32_t)>& job, const std::function<bool()>& stop);

  int32_t workers();
  // Replaces the workers by `count` threads (0: as many as cores) once the
  // running pass ends; answers the count before.
  int32_t setWorkers(int32_t count);

  // True on one of the pool's threads.
  static bool onWorker();

 private:
  StripPool() = default;
  struct State;
  State* state_ = nullptr;
};

}  // namespace qz

QZ_EXTERN_C_BEGIN
// The compositor's worker count (0: as many as cores); answers the count before.
QZ_EXPORT int32_t Qz__SetCompositorWorkers(int32_t count);
// The least pixels a strip of a compositing pass gets (0: the default); a
// pass too small for two strips runs on the calling thread. 1 cuts every
// pass into strips as small as the worker count allows. Answers the value before.
QZ_EXPORT int32_t Qz__SetCompositorStripPixels(int32_t pixels);
QZ_EXTERN_C_END
