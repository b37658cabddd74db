#include "platform/exec.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cassert>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_set>

namespace {

// A re-entrant lock that knows its holder, so a release by a thread that
// does not hold it is refused instead of corrupting the lock.
class RecursiveLock {
 public:
  void lock() {
    const auto me = std::this_thread::get_id();
    std::unique_lock<std::mutex> l(m_);
    if (depth_ > 0 && owner_ == me) {
      ++depth_;
      return;
    }
    cv_.wait(l, [&] { return depth_ == 0; });
    owner_ = me;
    depth_ = 1;
  }
  bool unlock() {
    std::unique_lock<std::mutex> l(m_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return false;
    if (--depth_ == 0) {
      owner_ = std::thread::id();
      l.unlock();
      cv_.notify_one();
    }
    return true;
  }
  bool heldByMe() {
    std::lock_guard<std::mutex> l(m_);
    return depth_ > 0 && owner_ == std::this_thread::get_id();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::thread::id owner_;
  unsigned depth_ = 0;
};

struct ProcessImpl : Process {
  ProcessImpl() : Process{} { tc_Node.ln_Name = name; }
  std::mutex sigLock;  // guards tc_State and the three signal masks
  std::condition_variable sigCv;
  char name[256] = {};
  bool adopted = false;
};

ProcessImpl* impl(Task* t) { return static_cast<ProcessImpl*>(t); }

// Singletons that are never destroyed: threads may still use the layer
// while static destructors run at exit.
struct Globals {
  ExecData exec{};
  RecursiveLock forbid;
  std::mutex liveLock;  // taken after Forbid, before any task's sigLock
  std::unordered_set<const void*> liveTasks;
  std::unordered_set<const void*> livePorts;
  Library* intuitionBase = nullptr;
  int openCount = 0;
  Globals() {
    NewList(&exec.ed_ProcessList);
    NewList(&exec.ed_Spare);
    InitSemaphore(&exec.ed_ProcessListLock);
  }
};

Globals& g() {
  static Globals* globals = new Globals();
  return *globals;
}

thread_local int tlForbidDepth = 0;

void assertNoForbid() {
  // Sleeping with the global exclusion held would stall every other task.
  assert(tlForbidDepth == 0 && "Forbid held across a wait");
}

uint64_t kernelThreadId() { return static_cast<uint64_t>(syscall(SYS_gettid)); }

void linkProcess(ProcessImpl* p) {
  Globals& gl = g();
  {
    std::lock_guard<std::mutex> l(gl.liveLock);
    gl.liveTasks.insert(p);
  }
  ObtainSemaphore(&gl.exec.ed_ProcessListLock);
  AddHead(&gl.exec.ed_ProcessList, &p->tc_Node);
  ReleaseSemaphore(&gl.exec.ed_ProcessListLock);
}

// After this no Signal can reach the record, so it may be freed.
void unlinkProcess(ProcessImpl* p) {
  Globals& gl = g();
  ObtainSemaphore(&gl.exec.ed_ProcessListLock);
  Remove(&p->tc_Node);
  ReleaseSemaphore(&gl.exec.ed_ProcessListLock);
  std::lock_guard<std::mutex> l(gl.liveLock);
  gl.liveTasks.erase(p);
}

// The calling thread's record; an adopted one is forgotten when its thread
// ends.
struct Self {
  ProcessImpl* rec = nullptr;
  ~Self() {
    if (rec && rec->adopted) {
      unlinkProcess(rec);
      delete rec;
    }
    rec = nullptr;
  }
};
thread_local Self tlSelf;

ProcessImpl* adoptCurrent() {
  if (tlSelf.rec) return tlSelf.rec;
  auto* p = new (std::nothrow) ProcessImpl();
  if (!p) return nullptr;
  std::snprintf(p->name, sizeof p->name, "%s", "init_exec() thread");
  p->adopted = true;
  p->tc_State = TS_RUN;
  p->pr_ThreadId = kernelThreadId();
  tlSelf.rec = p;
  linkProcess(p);
  return p;
}

ProcessImpl* current() {
  ProcessImpl* p = tlSelf.rec ? tlSelf.rec : adoptCurrent();
  if (!p) {
    std::fputs("Quillantrix: out of memory adopting a thread\n", stderr);
    std::abort();
  }
  return p;
}

int32_t allocSignalIn(ProcessImpl* p, int32_t n) {
  std::lock_guard<std::mutex> l(p->sigLock);
  if (n != -1) {
    if (n < 0 || n > 31) return -1;
    const uint32_t bit = 1u << n;
    if (p->tc_SigAlloc & bit) return -1;
    p->tc_SigAlloc |= bit;
    return n;
  }
  for (int32_t b = 16; b < 32; ++b) {
    const uint32_t bit = 1u << b;
    if (!(p->tc_SigAlloc & bit)) {
      p->tc_SigAlloc |= bit;
      p->tc_SigRecvd &= ~bit;
      return b;
    }
  }
  std::fputs("\n\n***** No signals left!\n", stdout);
  std::fflush(stdout);
  return -1;
}

void freeSignalIn(Task* t, int32_t n) {
  if (!t || n < 0 || n > 31) return;
  Globals& gl = g();
  std::lock_guard<std::mutex> live(gl.liveLock);
  if (!gl.liveTasks.count(t)) return;
  ProcessImpl* p = impl(t);
  std::lock_guard<std::mutex> l(p->sigLock);
  p->tc_SigAlloc &= ~(1u << n);
}

MsgPort* createPortFor(ProcessImpl* owner) {
  const int32_t bit = allocSignalIn(owner, -1);
  if (bit < 0) return nullptr;
  auto* port = static_cast<MsgPort*>(std::calloc(1, sizeof(MsgPort)));
  if (!port) {
    freeSignalIn(owner, bit);
    return nullptr;
  }
  port->mp_SigBit = static_cast<uint8_t>(bit);
  port->mp_SigTask = owner;
  NewList(&port->mp_MsgList);
  std::lock_guard<std::mutex> l(g().liveLock);
  g().livePorts.insert(port);
  return port;
}

// A message that cannot be delivered: one with a reply port goes back to
// its sender, who still owns it; one without was handed over for good and
// is freed, as its receiver would have done.
void discardMessage(Message* msg, MsgPort* deadPort) {
  if (!msg->mn_ReplyPort) {
    std::free(msg);
  } else if (msg->mn_ReplyPort != deadPort) {
    ReplyMsg(msg);
  }
}

void* allocate(size_t size, bool clear) {
  if (size == 0) size = 1;  // a NULL result always means out of memory
  return clear ? std::calloc(1, size) : std::malloc(size);
}

void* processStart(void* arg) {
  auto* p = static_cast<ProcessImpl*>(arg);
  tlSelf.rec = p;
  {
    std::lock_guard<std::mutex> l(p->sigLock);
    p->pr_ThreadId = kernelThreadId();
  }
  if (p->pr_Entry) p->pr_Entry();
  DeleteMsgPort(p->pr_Port);
  unlinkProcess(p);
  tlSelf.rec = nullptr;
  delete p;
  return nullptr;
}

constexpr size_t kTaskStackBytes = 8u << 20;

}  // namespace

QZ_EXTERN_C_BEGIN

void init_exec(void) {
  Globals& gl = g();
  Forbid();
  ++gl.openCount;
  Permit();
  Qz__AddThisProcess();
}

void cleanup_exec(void) {
  // The layer's records live for the whole process; only the count drops.
  Globals& gl = g();
  Forbid();
  if (gl.openCount > 0) --gl.openCount;
  Permit();
}

ExecData* Qz_GetExecData(void) { return &g().exec; }

Process* Qz__AddThisProcess(void) { return adoptCurrent(); }

void Qz__RemoveThisProcess(Process* proc) {
  if (!proc) return;
  ProcessImpl* p = impl(proc);
  if (p != tlSelf.rec || !p->adopted) return;
  tlSelf.rec = nullptr;
  unlinkProcess(p);
  delete p;
}

Task* FindTask(const char* name) {
  if (!name) return current();
  Globals& gl = g();
  Task* found = nullptr;
  ObtainSemaphore(&gl.exec.ed_ProcessListLock);
  for (Node* n = gl.exec.ed_ProcessList.lh_Head; n->ln_Succ; n = n->ln_Succ) {
    if (n->ln_Name && std::strcmp(n->ln_Name, name) == 0) {
      found = reinterpret_cast<Task*>(n);
      break;
    }
  }
  ReleaseSemaphore(&gl.exec.ed_ProcessListLock);
  return found;
}

uint32_t Wait(uint32_t mask) {
  ProcessImpl* me = current();
  assertNoForbid();
  std::unique_lock<std::mutex> l(me->sigLock);
  me->tc_SigWait = mask;
  if ((me->tc_SigRecvd & mask) == 0) {
    me->tc_State = TS_WAIT;
    me->sigCv.wait(l, [me] { return me->tc_State != TS_WAIT; });
  }
  me->tc_State = TS_RUN;
  const uint32_t received = me->tc_SigRecvd;
  me->tc_SigWait = 0;
  me->tc_SigRecvd &= ~mask;
  return received;
}

void Signal(Task* task, uint32_t bits) {
  if (!task) return;
  Globals& gl = g();
  std::lock_guard<std::mutex> live(gl.liveLock);
  if (!gl.liveTasks.count(task)) return;  // the task has ended
  ProcessImpl* p = impl(task);
  {
    std::lock_guard<std::mutex> l(p->sigLock);
    p->tc_SigRecvd |= bits;
    p->tc_State = TS_READY;
  }
  p->sigCv.notify_all();
}

uint32_t SetSignal(uint32_t newBits, uint32_t mask) {
  ProcessImpl* me = current();
  std::lock_guard<std::mutex> l(me->sigLock);
  const uint32_t old = me->tc_SigRecvd;
  if (mask) me->tc_SigRecvd = (me->tc_SigRecvd & ~mask) | newBits;
  return old;
}

int32_t AllocSignal(int32_t n) { return allocSignalIn(current(), n); }

void FreeSignal(int32_t n) {
  if (n < 0 || n > 31) return;
  ProcessImpl* me = current();
  std::lock_guard<std::mutex> l(me->sigLock);
  me->tc_SigAlloc &= ~(1u << n);
}

void Forbid(void) {
  Globals& gl = g();
  gl.forbid.lock();
  ++tlForbidDepth;
  ++gl.exec.ed_ForbidNest;
}

void Permit(void) {
  if (tlForbidDepth == 0) return;  // unbalanced: there is nothing to leave
  Globals& gl = g();
  --tlForbidDepth;
  --gl.exec.ed_ForbidNest;
  gl.forbid.unlock();
}

int32_t Qz__ForbidHeld(void) { return tlForbidDepth > 0 ? 1 : 0; }

void InitSemaphore(SignalSemaphore* sem) {
  if (!sem) return;
  sem->ss_Lock = new (std::nothrow) RecursiveLock();
  sem->ss_NestCount = 0;
}

void CleanupSemaphore(SignalSemaphore* sem) {
  if (!sem || !sem->ss_Lock) return;
  delete static_cast<RecursiveLock*>(sem->ss_Lock);
  sem->ss_Lock = nullptr;
  sem->ss_NestCount = 0;
}

void ObtainSemaphore(SignalSemaphore* sem) {
  if (!sem || !sem->ss_Lock) return;
  static_cast<RecursiveLock*>(sem->ss_Lock)->lock();
  ++sem->ss_NestCount;
}

void ReleaseSemaphore(SignalSemaphore* sem) {
  if (!sem || !sem->ss_Lock) return;
  auto* lock = static_cast<RecursiveLock*>(sem->ss_Lock);
  if (!lock->heldByMe()) return;
  --sem->ss_NestCount;
  lock->unlock();
}

MsgPort* CreateMsgPort(void) { return createPortFor(current()); }

void DeleteMsgPort(MsgPort* port) {
  if (!port) return;
  Globals& gl = g();
  Forbid();
  {
    std::lock_guard<std::mutex> l(gl.liveLock);
    gl.livePorts.erase(port);
  }
  Permit();
  // No PutMsg reaches the port now; what is queued is handed back or freed.
  while (Message* msg = GetMsg(port)) discardMessage(msg, port);
  freeSignalIn(port->mp_SigTask, port->mp_SigBit);
  std::free(port);
}

void PutMsg(MsgPort* port, Message* msg) {
  if (!port || !msg) return;
  Globals& gl = g();
  msg->mn_Node.ln_Type = NT_MESSAGE;
  Forbid();
  bool alive;
  {
    std::lock_guard<std::mutex> l(gl.liveLock);
    alive = gl.livePorts.count(port) != 0;
  }
  Task* owner = nullptr;
  uint32_t bit = 0;
  if (alive) {
    AddTail(&port->mp_MsgList, &msg->mn_Node);
    owner = port->mp_SigTask;
    bit = 1u << port->mp_SigBit;
  }
  Permit();
  if (alive) {
    Signal(owner, bit);
  } else {
    discardMessage(msg, port);
  }
}

Message* GetMsg(MsgPort* port) {
  if (!port) return nullptr;
  Forbid();
  Node* n = RemHead(&port->mp_MsgList);
  Permit();
  return reinterpret_cast<Message*>(n);
}

void ReplyMsg(Message* msg) {
  if (!msg) return;
  if (!msg->mn_ReplyPort) {
    msg->mn_Node.ln_Type = NT_FREEMSG;
    return;
  }
  PutMsg(msg->mn_ReplyPort, msg);
}

Message* WaitPort(MsgPort* port) {
  if (!port) return nullptr;
  auto first = [port]() -> Message* {
    Forbid();
    Node* head = port->mp_MsgList.lh_Head;
    Message* msg = head->ln_Succ ? reinterpret_cast<Message*>(head) : nullptr;
    Permit();
    return msg;
  };
  if (Message* msg = first()) return msg;
  Wait(1u << port->mp_SigBit);
  return first();
}

Process* CreateNewProcTagList(const TagItem* tags) {
  auto entry = reinterpret_cast<void (*)(void)>(GetTagData(NP_Entry, 0, tags));
  if (!entry) return nullptr;  // a task with nothing to run would crash at once
  const char* name = reinterpret_cast<const char*>(GetTagData(NP_Name, 0, tags));
  auto* p = new (std::nothrow) ProcessImpl();
  if (!p) return nullptr;
  std::snprintf(p->name, sizeof p->name, "%s", name ? name : "");
  p->pr_Entry = entry;
  p->tc_UserData = GetTagData(NP_UserData, 0, tags);
  p->tc_Pri = static_cast<int8_t>(static_cast<int32_t>(GetTagData(NP_Priority, 0, tags)));
  p->tc_State = TS_RUN;
  // The port and the list entry exist before the thread runs, so the caller
  // can find the task and send to it at once.
  p->pr_Port = createPortFor(p);
  if (p->pr_Port) p->pr_MsgPort = *p->pr_Port;
  linkProcess(p);

  pthread_attr_t attr;
  pthread_attr_init(&attr);
  size_t stack = 0;
  pthread_attr_getstacksize(&attr, &stack);
  if (stack < kTaskStackBytes) pthread_attr_setstacksize(&attr, kTaskStackBytes);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  pthread_t thread;
  const int rc = pthread_create(&thread, &attr, processStart, p);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    MsgPort* port = p->pr_Port;
    if (port) {
      std::lock_guard<std::mutex> l(g().liveLock);
      g().livePorts.erase(port);
    }
    std::free(port);
    unlinkProcess(p);
    delete p;
    return nullptr;
  }
  return p;
}

void Delay(int32_t ticks) {
  assertNoForbid();
  if (ticks > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20) * ticks);
}

Library* OpenLibrary(const char* name, uint32_t /*version*/) {
  if (name && std::strcmp(name, "intuition.library") == 0) {
    Forbid();
    Library* base = g().intuitionBase;
    Permit();
    if (base) return base;
  }
  return reinterpret_cast<Library*>(static_cast<uintptr_t>(1));
}

void CloseLibrary(Library* /*lib*/) {}

void Qz__SetIntuitionBase(Library* base) {
  Forbid();
  g().intuitionBase = base;
  Permit();
}

void* AllocVec(size_t size, uint32_t flags) { return allocate(size, flags & MEMF_CLEAR); }
void* AllocMem(size_t size, uint32_t flags) { return allocate(size, flags & MEMF_CLEAR); }
void FreeVec(void* mem) { std::free(mem); }
void FreeMem(void* mem, size_t /*size*/) { std::free(mem); }
void* Qz_AllocMem(size_t size) { return allocate(size, false); }
void* Qz_AllocMemQuick(size_t size) { return allocate(size, false); }
void* Qz_AllocMemClear(size_t size) { return allocate(size, true); }
void* Qz_Calloc(size_t count, size_t size) {
  if (count == 0 || size == 0) return allocate(1, true);
  if (count > SIZE_MAX / size) return nullptr;  // the product would overflow
  return std::calloc(count, size);
}
void Qz_FreeMem(void* mem) { std::free(mem); }
void Qz_FreeMemQuick(void* mem) { std::free(mem); }

Qz_DynamicMemory* Qz_InitDynamicMemoryA(QzWord /*unused*/, const TagItem* /*tags*/) {
  return static_cast<Qz_DynamicMemory*>(std::calloc(1, sizeof(Qz_DynamicMemory)));
}

int32_t Qz_WriteDynamicMemory(Qz_DynamicMemory* dm, const void* bytes, size_t n) {
  if (!dm) return 0;
  if (n == 0) return 1;
  if (!bytes) return 0;
  // Room for the write wherever the offset stands, growing geometrically so
  // a long run of small writes stays linear.
  const size_t start = dm->dm_Offset;
  const size_t end = start + n;
  if (end < start) return 0;
  const size_t needed = end > dm->dm_Used + n ? end : dm->dm_Used + n;
  if (needed > dm->dm_Allocated) {
    size_t capacity = dm->dm_Allocated ? dm->dm_Allocated : 64;
    while (capacity < needed) {
      if (capacity > SIZE_MAX / 2) {
        capacity = needed;
        break;
      }
      capacity *= 2;
    }
    auto* grown = static_cast<uint8_t*>(std::realloc(dm->dm_Data, capacity));
    if (!grown) return 0;
    dm->dm_Data = grown;
    dm->dm_Allocated = capacity;
  }
  std::memcpy(dm->dm_Data + start, bytes, n);
  dm->dm_Offset = end;
  dm->dm_Used += n;
  return 1;
}

void Qz_CleanupDynamicMemory(Qz_DynamicMemory* dm) {
  if (!dm) return;
  std::free(dm->dm_Data);
  std::free(dm);
}

QZ_EXTERN_C_END
