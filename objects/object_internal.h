// Shared between the modules of the object runtime; not for classes.
#pragma once

#include <atomic>
#include <cstdint>

#include "objects/qz_object.h"
#include "objects/qz_root.h"

namespace qz::objects {

Qz_GlobalData& globalData();

// Shows a warning of the runtime over the main window (debug mode only
// calls this); routed through the hooks when a test installed one.
void warn(const char* title, const char* text, uint32_t kind);

// The Root instance at the end of an object's superclass chain.
Qz_RootObject* rootOf(Qz_Object* object);

inline int32_t atomicLoad(const int32_t& field) {
  return std::atomic_ref<int32_t>(const_cast<int32_t&>(field)).load(std::memory_order_relaxed);
}
inline void atomicAdd(int32_t& field, int32_t delta) {
  std::atomic_ref<int32_t>(field).fetch_add(delta, std::memory_order_relaxed);
}

// Notification methods of Root (args as Root received them).
QzWord notifyAdd(Qz_RootObject* root, const QzWord* args);
QzWord notifyAddCallBack(Qz_RootObject* root, const QzWord* args);
QzWord notifyRemove(Qz_RootObject* root, QzWord record);
QzWord notifyFire(Qz_RootObject* root, const QzWord* args);
// Makes the header when missing; NULL when out of memory.
Qz_NotifyHeader* notifyHeader(Qz_RootObject* root);
void notifySetRestoreText(Qz_NotifyHeader* header, char* text);
// Unhooks both directions and frees (or, while firing, retires) the header.
void notifyDisposeRoot(Qz_RootObject* root);

// Registration of the built-in classes, in their fixed orders.
QzWord registerBuiltInClasses(Qz_GlobalData* globalData);
void removeBuiltInClasses(Qz_GlobalData* globalData);

// Frees every block kept by Qz_FreeObjectMem.
void releaseKeptObjectMemory();

// Work on a thread of its own that may still use objects and classes (a
// Thread object's process): Qz_CleanUp, and the process's exit, wait until
// all of it and every asynchronous disposal has finished. Begun before the
// thread is made, ended as the thread's last use of the runtime.
void beginBackgroundWork();
void endBackgroundWork();

}  // namespace qz::objects
