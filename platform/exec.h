// Tasks, signals, message ports, the global exclusion and memory.
//
// Every thread that talks to the layer is a task with 32 signal bits: it
// sleeps in Wait until another thread sets one of its bits with Signal, and
// messages travel through ports (a queue plus a signal bit of the owner).
// Bits 0..15 belong to the system (0x1000 is the break signal that stops
// threads); AllocSignal hands out 16..31.
//
// A thread the layer did not start is adopted on its first call, so
// FindTask(NULL) never returns NULL. Signal and PutMsg aimed at a task or
// port that has already gone away do nothing, instead of touching freed
// memory. Any Signal ends a Wait, wanted bits or not: callers test the
// result and wait again when needed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/lists.h"
#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Process;
typedef struct Process Task;

struct MsgPort {
  Node mp_Node;
  uint8_t mp_SigBit;
  Task* mp_SigTask;
  List mp_MsgList;
};

struct Message {
  Node mn_Node;  // ln_Type: NT_MESSAGE, NT_FREEMSG or NT_REPLYMSG
  MsgPort* mn_ReplyPort;
  uint16_t mn_Length;
};

// Task states.
inline constexpr uint8_t TS_RUN = 2;
inline constexpr uint8_t TS_READY = 3;  // signalled
inline constexpr uint8_t TS_WAIT = 4;

inline constexpr uint32_t SIGBREAKF_CTRL_C = 0x1000;  // the break signal

// One per thread known to the layer. The signal masks are guarded by the
// task's own lock: read them through SetSignal(0, 0), not directly.
struct Process {
  Node tc_Node;  // ln_Name points at a 256-byte name buffer
  uint8_t tc_State;
  int8_t tc_Pri;  // recorded, never applied
  uint32_t tc_SigAlloc;
  uint32_t tc_SigWait;
  uint32_t tc_SigRecvd;
  MsgPort pr_MsgPort;   // copy of the process's port as made at start
  QzWord tc_UserData;   // CreateNewProcTags' NP_UserData
  uint64_t pr_ThreadId; // the kernel's thread id
  void (*pr_Entry)(void);
  MsgPort* pr_Port;     // the process's own port; NULL when no bit was free
  void* pr_GlobalData;
};

// A re-entrant mutual-exclusion lock. Zero-filled or cleaned-up semaphores
// are ignored by Obtain and Release.
struct SignalSemaphore {
  void* ss_Lock;
  int32_t ss_NestCount;  // informational
};

struct ExecData {
  List ed_ProcessList;
  List ed_Spare;  // kept empty
  uint8_t ed_ForbidNest;
  SignalSemaphore ed_ProcessListLock;
};

struct Library;  // opaque: OpenLibrary hands out tokens

// Tags of CreateNewProcTags.
inline constexpr QzWord NP_Entry = 0x800003EB;      // void (*)(void)
inline constexpr QzWord NP_StackSize = 0x800003F3;  // ignored: every task gets a large stack
inline constexpr QzWord NP_Name = 0x800003F4;       // const char*, at most 255 bytes kept
inline constexpr QzWord NP_Priority = 0x800003F5;   // recorded, ignored
inline constexpr QzWord NP_UserData = 0x80000401;   // lands in tc_UserData

// Memory flags.
inline constexpr uint32_t MEMF_ANY = 0;
inline constexpr uint32_t MEMF_PUBLIC = 1;
inline constexpr uint32_t MEMF_CLEAR = 0x10000;

// A growable byte buffer.
struct Qz_DynamicMemory {
  uint8_t* dm_Data;
  size_t dm_Used;
  size_t dm_Allocated;
  size_t dm_Offset;  // where the next write lands
};

QZ_EXTERN_C_BEGIN

// Starts the layer on first use and adopts the calling thread; counted.
QZ_EXPORT void init_exec(void);
QZ_EXPORT void cleanup_exec(void);
QZ_EXPORT ExecData* Qz_GetExecData(void);
// Adopts the calling thread (returns its existing record when it has one).
QZ_EXPORT Process* Qz__AddThisProcess(void);
// Forgets an adopted thread's record; records of started processes and
// NULL are ignored.
QZ_EXPORT void Qz__RemoveThisProcess(Process* proc);

// NULL: the caller's own record (never NULL). A name: the first task with
// exactly that name, or NULL.
QZ_EXPORT Task* FindTask(const char* name);
QZ_EXPORT uint32_t Wait(uint32_t mask);
QZ_EXPORT void Signal(Task* task, uint32_t bits);
QZ_EXPORT uint32_t SetSignal(uint32_t newBits, uint32_t mask);
// n = -1: the lowest free bit of 16..31. Returns the bit or -1.
QZ_EXPORT int32_t AllocSignal(int32_t n);
QZ_EXPORT void FreeSignal(int32_t n);

// The one global re-entrant exclusion. Never held across Wait or Delay.
QZ_EXPORT void Forbid(void);
QZ_EXPORT void Permit(void);
// 1 while the calling thread holds Forbid: for asserting it is not held
// across host calls and callbacks.
QZ_EXPORT int32_t Qz__ForbidHeld(void);

QZ_EXPORT void InitSemaphore(SignalSemaphore* sem);
QZ_EXPORT void CleanupSemaphore(SignalSemaphore* sem);
QZ_EXPORT void ObtainSemaphore(SignalSemaphore* sem);
QZ_EXPORT void ReleaseSemaphore(SignalSemaphore* sem);

// The port belongs to the calling task and uses one of its signal bits.
// Ports come only from here: a hand-made MsgPort (or the pr_MsgPort copy in
// a Process) receives nothing.
QZ_EXPORT MsgPort* CreateMsgPort(void);
// Queued messages without a reply port are freed (so such messages must
// come from this layer's heap: AllocVec, Qz_AllocMem...); those with one are
// replied, since their sender still owns them. A later PutMsg to the port
// disposes of its message the same way.
QZ_EXPORT void DeleteMsgPort(MsgPort* port);
QZ_EXPORT void PutMsg(MsgPort* port, Message* msg);
QZ_EXPORT Message* GetMsg(MsgPort* port);
QZ_EXPORT void ReplyMsg(Message* msg);
// The first queued message (left queued), or NULL when a Wait on the port's
// bit was ended by another signal.
QZ_EXPORT Message* WaitPort(MsgPort* port);

// Starts a task from a tag list (NP_...). The record, with its port, is
// valid until the entry function returns.
QZ_EXPORT Process* CreateNewProcTagList(const TagItem* tags);
// Sleeps ticks fiftieths of a second.
QZ_EXPORT void Delay(int32_t ticks);

// A formality: nothing is loaded. Returns a non-NULL token.
QZ_EXPORT Library* OpenLibrary(const char* name, uint32_t version);
QZ_EXPORT void CloseLibrary(Library* lib);
// The window layer hands in the base that "intuition.library" returns.
QZ_EXPORT void Qz__SetIntuitionBase(Library* base);

// One heap: any of the free calls releases any of these blocks.
QZ_EXPORT void* AllocVec(size_t size, uint32_t flags);
QZ_EXPORT void* AllocMem(size_t size, uint32_t flags);
QZ_EXPORT void FreeVec(void* mem);
QZ_EXPORT void FreeMem(void* mem, size_t size);
QZ_EXPORT void* Qz_AllocMem(size_t size);
QZ_EXPORT void* Qz_AllocMemQuick(size_t size);
QZ_EXPORT void* Qz_AllocMemClear(size_t size);
QZ_EXPORT void* Qz_Calloc(size_t count, size_t size);
QZ_EXPORT void Qz_FreeMem(void* mem);
QZ_EXPORT void Qz_FreeMemQuick(void* mem);

QZ_EXPORT Qz_DynamicMemory* Qz_InitDynamicMemoryA(QzWord unused, const TagItem* tags);
// Appends n bytes at the write offset. 1, or 0 (buffer unchanged) when out
// of memory.
QZ_EXPORT int32_t Qz_WriteDynamicMemory(Qz_DynamicMemory* dm, const void* bytes, size_t n);
QZ_EXPORT void Qz_CleanupDynamicMemory(Qz_DynamicMemory* dm);

QZ_EXTERN_C_END

#ifdef __cplusplus
// CreateNewProcTags(NP_Entry, fn, NP_Name, "name", NP_UserData, obj, TAG_DONE)
template <typename... Args>
inline Process* CreateNewProcTags(Args... args) {
  const auto words = qz::packWords(args...);
  return CreateNewProcTagList(reinterpret_cast<const TagItem*>(words.data()));
}
#endif
