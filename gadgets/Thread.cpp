// Thread class (superclass Root): owns at most one running process at a
// time. Answers its four setters, start (0x100A0) and stop (0x100A2); stop
// keeps sending the break signal until the entry function has returned,
// so entry functions must watch for it.
#include <atomic>
#include <chrono>
#include <thread>

#include "gadgets/qz_thread.h"
#include "objects/object_internal.h"
#include "objects/qz_class_kit.h"
#include "platform/exec.h"

namespace {

constexpr uint32_t kDefaultStackSize = 4096;
constexpr const char* kDefaultName = "Qz Thread Object";

struct Qz_ThreadObject {
  Qz_Object header;
  uint32_t stackSize = kDefaultStackSize;
  int32_t priority = 0;
  const char* name = kDefaultName;
  Qz_ThreadFunction entry = nullptr;
  Process* running = nullptr;  // NULL when not running; read and cleared under Forbid
  Task* stopper = nullptr;
  int32_t stopperBit = -1;  // -1 when none
  QzWord reserved;
  std::atomic<bool> entered{false};  // the current process has reached its entry function
};

constexpr int32_t kStopRetryTicks = 1;  // 20 ms

// Marks a thread being started: the process exists, or is about to, but its
// record is not known yet, so nothing is signalled.
Process* const kStarting = reinterpret_cast<Process*>(1);

Qz_ThreadObject* Qz__AsThread(Qz_Object* object) { return reinterpret_cast<Qz_ThreadObject*>(object); }

std::atomic_ref<Process*> Qz__Running(Qz_ThreadObject* t) { return std::atomic_ref<Process*>(t->running); }

void Qz__ThreadEntry() {
  auto* t = reinterpret_cast<Qz_ThreadObject*>(FindTask(nullptr)->tc_UserData);
  const QzWord argument = Qz_DoMethod(&t->header, kRootGetUserData);
  t->entered.store(true, std::memory_order_release);
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
  t->entered.store(false, std::memory_order_relaxed);
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
  // The new process gets going before the start returns, as a tick's delay
  // once gave it; waiting only until it has, a document opens 20 ms sooner.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
  while (!t->entered.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::microseconds(50));
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
    case kRootOpen: return Qz__StartThread(t);
    case kRootClose: return Qz__StopThread(t);
    default: return qz::kit::inherited(object, methodId, args);
  }
}

// A running process is stopped before the object goes.
void Qz__TearDownThread(Qz_Object* object) { Qz__StopThread(Qz__AsThread(object)); }

// Plain settings: read by the process when it starts.
const qz::kit::Attribute kThreadAttributes[] = {
    {.setter = kThreadSetEntry, .field = qz::kit::field(&Qz_ThreadObject::entry), .answersZero = true},
    {.setter = kThreadSetStackSize, .field = qz::kit::field(&Qz_ThreadObject::stackSize), .answersZero = true},
    {.setter = kThreadSetName, .field = qz::kit::field(&Qz_ThreadObject::name), .answersZero = true},
    {.setter = kThreadSetPriority, .field = qz::kit::field(&Qz_ThreadObject::priority), .answersZero = true},
};

const qz::kit::ClassDecl kThreadClass = {
    .name = "Thread", .superName = "Root", .classId = kThreadClassId,
    .instance = qz::kit::instanceOf<Qz_ThreadObject>(), .handler = Qz__ThreadDispatch,
    .attributes = kThreadAttributes, .tearDown = Qz__TearDownThread, .notice = "A process as an object"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitThreadClass(Qz_GlobalData*) { return qz::kit::addClass(kThreadClass); }
QZ_EXPORT void Qz_CleanupThreadClass(void) { qz::kit::removeClass(kThreadClass); }
QZ_EXTERN_C_END
