// Running a gadget's method on its window's thread, where gadgets lay out
// and draw, from any other thread.
#pragma once

#include "objects/async_methods.h"
#include "objects/qz_object.h"
#include "objects/qz_root.h"

// Queues method on target (a gadget of window's tree) for the window's
// thread; while the window has no thread the method runs here at once.
// Pointer arguments must stay valid until the window's thread has run it.
template <typename... Args>
inline QzWord Qz_PostToWindow(Qz_Object* window, Qz_Object* target, uint32_t method, Args... args) {
  if (target == nullptr) return 0;
  Qz_RootObject* root = window != nullptr ? Qz_RootInstance(window) : nullptr;
  MsgPort* port = root != nullptr ? root->asyncPort : nullptr;
  if (port == nullptr) return Qz_DoMethod(target, method, args...);
  // The window has its port already; setting it again would write what its
  // own thread reads.
  if (target != window) Qz_DoMethod(target, kRootSetAsyncPort, port);
  return Qz_DoAsyncMethod(target, method, args...);
}

QZ_EXTERN_C_BEGIN
// Queues a barrier to the window's thread and waits at most ticks (20 ms
// each) until that thread has run it and so everything queued before. 1 when
// it ran (at once when the window has no thread), 0 when the wait gave up.
QZ_EXPORT QzWord Qz_WaitForWindowThread(Qz_Object* window, uint32_t ticks);
QZ_EXTERN_C_END
