#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/exec.h"

namespace {

// Runs fn on a thread the layer did not start, so it is adopted fresh.
template <typename Fn>
void onForeignThread(Fn fn) {
  std::thread t(fn);
  t.join();
}

TEST(Tasks, FindTaskAdoptsForeignThreads) {
  Task* mine = FindTask(nullptr);
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(FindTask(nullptr), mine);
  Task* other = nullptr;
  onForeignThread([&] { other = FindTask(nullptr); });
  EXPECT_NE(other, nullptr);
  EXPECT_NE(other, mine);
  EXPECT_EQ(FindTask("no such task name"), nullptr);
}

TEST(Tasks, AdoptionCanBeUndoneAndRedone) {
  onForeignThread([] {
    init_exec();
    Process* first = Qz__AddThisProcess();
    EXPECT_EQ(Qz__AddThisProcess(), first);  // one record per thread
    EXPECT_EQ(FindTask(nullptr), first);
    EXPECT_STREQ(first->tc_Node.ln_Name, "init_exec() thread");
    ExecData* exec = Qz_GetExecData();
    ObtainSemaphore(&exec->ed_ProcessListLock);
    EXPECT_NE(IndexFromNode(&exec->ed_ProcessList, &first->tc_Node), QZ_NOT_IN_LIST);
    ReleaseSemaphore(&exec->ed_ProcessListLock);
    Qz__RemoveThisProcess(first);
    Signal(first, 1);  // a forgotten record is never touched
    Process* again = FindTask(nullptr);
    ASSERT_NE(again, nullptr);
    cleanup_exec();
  });
}

TEST(Signals, SignalBeforeWaitReturnsAtOnceAndClears) {
  onForeignThread([] {
    Task* me = FindTask(nullptr);
    Signal(me, 0x20000);
    EXPECT_EQ(Wait(0x20000) & 0x20000, 0x20000u);
    EXPECT_EQ(SetSignal(0, 0) & 0x20000, 0u);
  });
}

// A signal that arrives before Wait but misses its mask does not end it, so
// the waker repeats the other bit until the waiter is out.
TEST(Signals, WaitEndedByAnotherBitKeepsItAndLeavesBreakUnset) {
  std::atomic<Task*> waiter{nullptr};
  std::atomic<bool> done{false};
  uint32_t got = 0, after = 0;
  std::thread t([&] {
    waiter = FindTask(nullptr);
    got = Wait(SIGBREAKF_CTRL_C);
    after = SetSignal(0, 0);
    done = true;
  });
  while (!waiter) std::this_thread::yield();
  while (!done) {
    Signal(waiter, 0x40000);
    std::this_thread::yield();
  }
  t.join();
  EXPECT_EQ(got, 0x40000u);
  EXPECT_EQ(after & SIGBREAKF_CTRL_C, 0u);
  EXPECT_EQ(after & 0x40000, 0x40000u);  // an unwanted bit is not consumed
}

TEST(Signals, SetSignalReplacesMaskedBitsOnly) {
  onForeignThread([] {
    SetSignal(0x30000, 0x30000);
    EXPECT_EQ(SetSignal(0x10000, 0x30000), 0x30000u);  // old bits back
    EXPECT_EQ(SetSignal(0, 0), 0x10000u);
    EXPECT_EQ(SetSignal(0, 0xFFFFFFFF), 0x10000u);
    EXPECT_EQ(SetSignal(0, 0), 0u);
  });
}

TEST(Signals, AllocationExhaustsAfterSixteen) {
  onForeignThread([] {
    std::vector<int32_t> bits;
    for (int i = 0; i < 16; ++i) bits.push_back(AllocSignal(-1));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(bits[i], 16 + i);
    testing::internal::CaptureStdout();
    EXPECT_EQ(AllocSignal(-1), -1);
    EXPECT_EQ(CreateMsgPort(), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n\n***** No signals left!\n\n\n***** No signals left!\n");
    FreeSignal(20);
    EXPECT_EQ(AllocSignal(-1), 20);
    EXPECT_EQ(AllocSignal(5), 5);
    EXPECT_EQ(AllocSignal(5), -1);
    EXPECT_EQ(AllocSignal(32), -1);
  });
}

TEST(Forbid, ReentrantAndExclusive) {
  std::atomic<int> phase{0};
  int seenByOther = -1;
  EXPECT_EQ(Qz__ForbidHeld(), 0);
  Forbid();
  Forbid();  // the holder may enter again
  EXPECT_EQ(Qz__ForbidHeld(), 1);
  std::thread other([&] {
    phase = 1;
    Forbid();
    seenByOther = phase.load();
    Permit();
  });
  while (phase.load() != 1) std::this_thread::yield();
  Permit();
  std::this_thread::yield();
  phase = 2;  // still held once: the other thread cannot be inside yet
  Permit();
  other.join();
  EXPECT_EQ(seenByOther, 2);
  EXPECT_EQ(Qz__ForbidHeld(), 0);
  Permit();  // unbalanced: ignored, not a crash
}

TEST(Semaphores, ReentrantAndRefuseForeignRelease) {
  SignalSemaphore sem{};
  ObtainSemaphore(&sem);  // never initialised: ignored
  ReleaseSemaphore(&sem);
  InitSemaphore(&sem);
  ObtainSemaphore(&sem);
  ObtainSemaphore(&sem);
  EXPECT_EQ(sem.ss_NestCount, 2);
  onForeignThread([&] { ReleaseSemaphore(&sem); });  // not the holder
  EXPECT_EQ(sem.ss_NestCount, 2);
  ReleaseSemaphore(&sem);
  ReleaseSemaphore(&sem);
  std::atomic<bool> got{false};
  onForeignThread([&] {
    ObtainSemaphore(&sem);
    got = true;
    ReleaseSemaphore(&sem);
  });
  EXPECT_TRUE(got);
  CleanupSemaphore(&sem);
  CleanupSemaphore(&sem);
  ObtainSemaphore(nullptr);
}

// --- ports ---------------------------------------------------------------

struct Ping {
  Message msg;
  int seq;
};

TEST(Ports, CrossThreadPingPongKeepsOrder) {
  constexpr int kCount = 1000;
  std::atomic<MsgPort*> serverPort{nullptr};
  std::vector<int> received;
  std::thread server([&] {
    MsgPort* port = CreateMsgPort();
    serverPort = port;
    for (int got = 0; got < kCount;) {
      WaitPort(port);
      while (Message* m = GetMsg(port)) {
        EXPECT_EQ(m->mn_Node.ln_Type, NT_MESSAGE);
        received.push_back(reinterpret_cast<Ping*>(m)->seq);
        reinterpret_cast<Ping*>(m)->seq += 1000000;
        ReplyMsg(m);
        ++got;
      }
    }
    DeleteMsgPort(port);
  });
  while (!serverPort) std::this_thread::yield();
  MsgPort* reply = CreateMsgPort();
  ASSERT_NE(reply, nullptr);
  std::vector<Ping> pings(kCount);
  // Send in bursts of ten, collecting replies between bursts.
  int replies = 0;
  for (int i = 0; i < kCount; i += 10) {
    for (int j = i; j < i + 10; ++j) {
      pings[j] = Ping{};
      pings[j].msg.mn_ReplyPort = reply;
      pings[j].msg.mn_Length = sizeof(Ping);
      pings[j].seq = j;
      PutMsg(serverPort, &pings[j].msg);
    }
    while (replies < i + 10) {
      WaitPort(reply);
      while (Message* m = GetMsg(reply)) {
        EXPECT_EQ(reinterpret_cast<Ping*>(m)->seq, replies + 1000000);
        ++replies;
      }
    }
  }
  server.join();
  DeleteMsgPort(reply);
  ASSERT_EQ(received.size(), size_t(kCount));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(received[i], i);
}

TEST(Ports, ReplyWithoutReplyPortOnlyMarks) {
  Message m{};
  m.mn_Node.ln_Type = NT_MESSAGE;
  ReplyMsg(&m);
  EXPECT_EQ(m.mn_Node.ln_Type, NT_FREEMSG);
}

TEST(Ports, WaitPortWokenByOtherSignalGivesNull) {
  std::atomic<Task*> waiter{nullptr};
  std::atomic<bool> done{false};
  std::thread t([&] {
    MsgPort* port = CreateMsgPort();
    ASSERT_NE(port, nullptr);
    waiter = FindTask(nullptr);
    EXPECT_EQ(WaitPort(port), nullptr);
    done = true;
    Message m{};
    PutMsg(port, &m);
    EXPECT_EQ(WaitPort(port), &m);  // left queued
    EXPECT_EQ(GetMsg(port), &m);
    EXPECT_EQ(GetMsg(port), nullptr);
    DeleteMsgPort(port);
  });
  while (!waiter) std::this_thread::yield();
  while (!done) {
    Signal(waiter, SIGBREAKF_CTRL_C);
    std::this_thread::yield();
  }
  t.join();
}

// A deleted port frees what was handed over for good and sends back what
// its senders still own; later sends to it go the same way.
TEST(Ports, DeletedPortDisposesQueuedAndLateMessages) {
  MsgPort* home = CreateMsgPort();
  MsgPort* port = CreateMsgPort();
  ASSERT_NE(home, nullptr);
  ASSERT_NE(port, nullptr);
  auto* handedOver = static_cast<Message*>(AllocVec(sizeof(Message), MEMF_CLEAR));
  Message owned{};
  owned.mn_ReplyPort = home;
  PutMsg(port, handedOver);
  PutMsg(port, &owned);
  DeleteMsgPort(port);  // ASan reports a leak if handedOver is not freed
  EXPECT_EQ(GetMsg(home), &owned);
  Message late{};
  late.mn_ReplyPort = home;
  PutMsg(port, &late);
  EXPECT_EQ(GetMsg(home), &late);
  DeleteMsgPort(home);
  // The port's signal bit went back to its owner.
  int32_t bit = AllocSignal(-1);
  EXPECT_GE(bit, 16);
  FreeSignal(bit);
}

// --- processes -----------------------------------------------------------

struct ProcCheck {
  std::atomic<bool> ran{false};
  std::string name;
  bool hadPort = false;
  bool foundByName = false;
  std::atomic<bool> release{false};
};

void procEntry() {
  Task* me = FindTask(nullptr);
  auto* check = reinterpret_cast<ProcCheck*>(me->tc_UserData);
  check->name = me->tc_Node.ln_Name;
  check->hadPort = me->pr_Port != nullptr && me->pr_Port->mp_SigTask == me;
  check->foundByName = FindTask("qz test process") == me;
  // Stay alive until told to stop with the break signal.
  while (!(Wait(SIGBREAKF_CTRL_C) & SIGBREAKF_CTRL_C)) {
  }
  check->ran = true;
}

TEST(Processes, CreateNewProcTagsRunsEntryWithNameAndUserValue) {
  ProcCheck check;
  Process* p = CreateNewProcTags(NP_Entry, &procEntry, NP_StackSize, 16384, NP_Name,
                                 "qz test process", NP_Priority, -1, NP_UserData, &check,
                                 TAG_DONE);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(FindTask("qz test process"), p);  // listed before it even runs
  EXPECT_EQ(p->tc_Pri, -1);
  Signal(p, SIGBREAKF_CTRL_C);
  while (!check.ran) std::this_thread::yield();
  while (FindTask("qz test process")) std::this_thread::yield();
  EXPECT_EQ(check.name, "qz test process");
  EXPECT_TRUE(check.hadPort);
  EXPECT_TRUE(check.foundByName);
  Signal(p, SIGBREAKF_CTRL_C);  // the task has ended: nothing happens
}

TEST(Processes, NoEntryIsRefused) {
  EXPECT_EQ(CreateNewProcTags(NP_Name, "nothing to run", TAG_DONE), nullptr);
}

// --- libraries and memory -------------------------------------------------

TEST(Libraries, OpenIsAFormality) {
  EXPECT_EQ(reinterpret_cast<uintptr_t>(OpenLibrary("dos.library", 0)), 1u);
  CloseLibrary(OpenLibrary("graphics.library", 39));
}

TEST(Memory, ClearFlagAndOneHeap) {
  auto* p = static_cast<unsigned char*>(AllocVec(64, MEMF_PUBLIC | MEMF_CLEAR));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(p[i], 0);
  Qz_FreeMem(p);  // any free call releases any block
  FreeMem(Qz_AllocMem(10), 10);
  FreeVec(Qz_AllocMemQuick(0));
  auto* c = static_cast<unsigned char*>(Qz_Calloc(3, 5));
  for (int i = 0; i < 15; ++i) ASSERT_EQ(c[i], 0);
  Qz_FreeMemQuick(c);
  EXPECT_EQ(Qz_Calloc(SIZE_MAX / 2, 4), nullptr);  // the product would overflow
}

TEST(Memory, DynamicMemoryConcatenates) {
  Qz_DynamicMemory* dm = Qz_InitDynamicMemoryA(0, nullptr);
  ASSERT_NE(dm, nullptr);
  EXPECT_EQ(Qz_WriteDynamicMemory(dm, "", 0), 1);
  EXPECT_EQ(dm->dm_Used, 0u);
  std::string expect;
  for (int i = 0; i < 500; ++i) {
    std::string piece = std::to_string(i) + ",";
    ASSERT_EQ(Qz_WriteDynamicMemory(dm, piece.data(), piece.size()), 1);
    expect += piece;
  }
  ASSERT_EQ(dm->dm_Used, expect.size());
  EXPECT_EQ(dm->dm_Offset, expect.size());
  EXPECT_GE(dm->dm_Allocated, dm->dm_Used);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dm->dm_Data), dm->dm_Used), expect);
  Qz_CleanupDynamicMemory(dm);
  Qz_CleanupDynamicMemory(nullptr);
}

}  // namespace
