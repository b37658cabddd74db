// Thread class (superclass Root): owns at most one running process at a
// time. Answers its four setters, start (0x100A0) and stop (0x100A2); stop
// keeps sending the break signal until the entry function has returned,
// so entry functions must watch for it.
#include <atomic>

#include "gadgets/qz_thread.h"
#include "objects/object_internal.h"
#include "objects/qz_class_record.h"
#include "platform/exec.h"

namespace {

const Qz_Method kThreadMethods[] = {
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

struct Qz_ThreadObject {
  Qz_Object header;
  uint32_t stackSize;
  int32_t priority;
  const char* name;
  Qz_ThreadFunction entry;
  Process* running;  // NULL when not running; read and cleared under Forbid
  Task* stopper;
  int32_t stopperBit;  // -1 when none
  QzWord reserved;
};

constexpr uint32_t kDefaultStackSize = 4096;
constexpr const char* kDefaultName = "Qz Thread Object";
constexpr int32_t kStopRetryTicks = 1;  // 20 ms

// Marks a thread being started: the process exists, or is about to, but its
// record is not known yet, so nothing is signalled.
Process* const kStarting = reinterpret_cast<Process*>(1);

Qz_Class gThreadClass;

Qz_ThreadObject* Qz__AsThread(Qz_Object* object) { return reinterpret_cast<Qz_ThreadObject*>(object); }

std::atomic_ref<Process*> Qz__Running(Qz_ThreadObject* t) { return std::atomic_ref<Process*>(t->running); }

void Qz__ThreadEntry() {
  auto* t = reinterpret_cast<Qz_ThreadObject*>(FindTask(nullptr)->tc_UserData);
  const QzWord argument = Qz_DoMethod(&t->header, kRootGetUserData);
  t->entry(argument);
  // Cleared under Forbid, so a stopper never signals a process that is gone.
  // Once the field is clear the object may be freed at any moment (a stopper
  // can see it clear without Forbid), so the stopper is read before.
  Forbid();
  Task* stopper = t->stopper;
  const int32_t stopperBit = t->stopperBit;
  Qz__Running(t).store(nullptr, std::memory_order_release);
  if (stopper && stopperBit >= 0) Signal(stopper, 1u << stopperBit);
  Permit();
  qz::objects::endBackgroundWork();
}

QzWord Qz__StartThread(Qz_ThreadObject* t) {
  if (!t->entry) return 0;
  Process* expected = nullptr;
  // A start while running is ignored: the first process would be lost.
  if (!Qz__Running(t).compare_exchange_strong(expected, kStarting)) return 0;
  qz::objects::beginBackgroundWork();
  Process* process = CreateNewProcTags(NP_Entry, &Qz__ThreadEntry, NP_StackSize, t->stackSize,
                                       NP_Priority, t->priority, NP_Name, t->name, NP_UserData,
                                       t, TAG_DONE);
  if (!process) {
    // Nothing runs: a later stop must not wait for a process that never came.
    Qz__Running(t).store(nullptr, std::memory_order_release);
    qz::objects::endBackgroundWork();
    return 0;
  }
  Forbid();
  expected = kStarting;
  // The entry may have finished already and cleared the field; then it stays clear.
  Qz__Running(t).compare_exchange_strong(expected, process);
  Permit();
  Delay(1);
  return 0;
}

QzWord Qz__StopThread(Qz_ThreadObject* t) {
  Process* running = Qz__Running(t).load(std::memory_order_acquire);
  if (!running) return 0;
  Task* self = FindTask(nullptr);
  if (running == self) return 0;  // the thread cannot wait for its own end
  const int32_t bit = AllocSignal(-1);
  if (bit < 0) return 0;
  const uint32_t mask = 1u << bit;
  Forbid();
  t->stopper = self;
  t->stopperBit = bit;
  Permit();
  for (;;) {
    Forbid();
    running = Qz__Running(t).load(std::memory_order_acquire);
    if (running && running != kStarting) Signal(running, SIGBREAKF_CTRL_C);
    Permit();
    if (!running) break;
    Delay(kStopRetryTicks);
    if (SetSignal(0, 0) & mask) break;
  }
  Forbid();
  t->stopper = nullptr;
  t->stopperBit = -1;
  Permit();
  SetSignal(0, mask);
  FreeSignal(bit);
  return 0;
}

QzWord Qz__ThreadDispatch(Qz_Object* object, uint32_t methodId, const QzWord* args) {
  Qz_ThreadObject* t = Qz__AsThread(object);
  switch (methodId) {
    case kThreadSetEntry: t->entry = reinterpret_cast<Qz_ThreadFunction>(args[0]); return 0;
    case kThreadSetStackSize: t->stackSize = static_cast<uint32_t>(args[0]); return 0;
    case kThreadSetName: t->name = reinterpret_cast<const char*>(args[0]); return 0;
    case kThreadSetPriority: t->priority = static_cast<int32_t>(args[0]); return 0;
    case kRootOpen: return Qz__StartThread(t);
    case kRootClose: return Qz__StopThread(t);
    default: return Qz_DoMethodA(object->super, methodId, args);
  }
}

Qz_Object* Qz__NewThread(Qz_Class* objectClass, const QzWord* args) {
  (void)args;
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (!object) return nullptr;
  object->super = Qz_CreateObject("Root");
  if (!object->super) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  Qz_ThreadObject* t = Qz__AsThread(object);
  t->stackSize = kDefaultStackSize;
  t->name = kDefaultName;
  t->stopperBit = -1;
  return object;
}

void Qz__DisposeThread(Qz_Object* object) {
  Qz__StopThread(Qz__AsThread(object));
  Qz_DisposeObject(object->super);
  Qz_FreeObjectMem(object);
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitThreadClass(Qz_GlobalData* globalData) {
  (void)globalData;
  static const Qz_ClassSpec spec = {
      "Thread", "A process as an object", kThreadClassId, "Root", Qz__NewThread,
      Qz__DisposeThread, Qz__ThreadDispatch, kThreadMethods, sizeof(Qz_ThreadObject), 0};
  return Qz_RegisterClassRecord(&gThreadClass, &spec);
}

QZ_EXPORT void Qz_CleanupThreadClass(Qz_GlobalData* globalData) {
  (void)globalData;
  Qz_UnregisterClassRecord(&gThreadClass);
}

QZ_EXTERN_C_END
