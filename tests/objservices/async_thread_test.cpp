#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "gadgets/qz_thread.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/qz_semaphore.h"
#include "objects/qz_object.h"
#include "platform/exec.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

// A probe that records the calls it receives and on which thread they ran.
constexpr uint32_t kRecord = 0x7E9000A;
constexpr uint32_t kDisposeMeLater = 0x7E90014;
constexpr uint32_t kWindowBeginDrag = 0x901C2;

struct Call {
  uint32_t id;
  std::vector<QzWord> words;  // the first four argument words
  std::thread::id thread;
};

struct RecorderObject {
  Qz_Object header;
  std::vector<Call>* calls;
  std::atomic<bool>* aliveAtReturn;
};

std::mutex gCallsMutex;

std::size_t callCount(const std::vector<Call>& calls) {
  std::lock_guard<std::mutex> lock(gCallsMutex);
  return calls.size();
}

const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
Qz_Class gRecorder;

QzWord recorderDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* r = reinterpret_cast<RecorderObject*>(object);
  switch (id) {
    case kRecord:
    case kWindowBeginDrag: {
      std::lock_guard<std::mutex> lock(gCallsMutex);
      r->calls->push_back({id, {args[0], args[1], args[2], args[3]}, std::this_thread::get_id()});
      return 1;
    }
    case kDisposeMeLater:
      EXPECT_EQ(Qz_AsyncDisposeObject(object), 1u);
      // Well past the disposal thread's first wait: it must keep waiting for us.
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      r->aliveAtReturn->store(object->self == reinterpret_cast<QzWord>(object));
      return 1;
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* recorderNew(Qz_Class* c, const QzWord*) {
  Qz_Object* object = Qz_AllocObjectMem(c);
  if (!object) return nullptr;
  object->super = Qz_CreateObject("Root");
  return object;
}

void recorderDispose(Qz_Object* object) {
  Qz_DisposeObject(object->super);
  Qz_FreeObjectMem(object);
}

class ObjectServices : public ::testing::Test {
 protected:
  void SetUp() override {
    Qz_Init();
    gRecorder = Qz_Class{};
    gRecorder.name = "Recorder";
    gRecorder.classId = 0x7E90000;
    gRecorder.version = 2;
    gRecorder.superClass = Qz_FindClassFromName("Root");
    gRecorder.newObject = recorderNew;
    gRecorder.dispose = recorderDispose;
    gRecorder.dispatch = recorderDispatch;
    gRecorder.methods = kNoMethods;
    gRecorder.objectSize = sizeof(RecorderObject);
    Qz_AddClass(&gRecorder);
    if (!Qz_FindClassFromName("Thread")) {
      Qz_InitThreadClass(Qz_GetGlobalData());
      ownThreadClass_ = true;
    }
  }
  void TearDown() override {
    if (ownThreadClass_) Qz_CleanupThreadClass();
    Qz_RemoveClass(&gRecorder);
    Qz_CleanUp();
    EXPECT_EQ(gRecorder.liveCount, 0);
  }

  Qz_Object* recorder(std::vector<Call>* calls, std::atomic<bool>* alive = nullptr) {
    Qz_Object* object = Qz_CreateObject("Recorder");
    reinterpret_cast<RecorderObject*>(object)->calls = calls;
    reinterpret_cast<RecorderObject*>(object)->aliveAtReturn = alive;
    return object;
  }

  bool ownThreadClass_ = false;
};

// A port owner on its own thread that runs every queued call until told to stop.
class PortThread {
 public:
  PortThread() {
    thread_ = std::thread([this] {
      port_.store(CreateMsgPort());
      id_.store(std::this_thread::get_id());
      while (!stop_.load()) {
        Wait(1u << port_.load()->mp_SigBit);
        while (Message* m = GetMsg(port_.load())) Qz_RunAsyncMessage(m);
      }
      DeleteMsgPort(port_.load());
      Qz__RemoveThisProcess(FindTask(nullptr));
    });
    while (!port_.load()) std::this_thread::yield();
    while (id_.load() == std::thread::id()) std::this_thread::yield();
  }
  ~PortThread() {
    stop_.store(true);
    Signal(task(), 1u << port_.load()->mp_SigBit);
    thread_.join();
  }
  MsgPort* port() const { return port_.load(); }
  Task* task() const { return port_.load()->mp_SigTask; }
  std::thread::id id() const { return id_.load(); }

 private:
  std::atomic<MsgPort*> port_{nullptr};
  std::atomic<bool> stop_{false};
  std::atomic<std::thread::id> id_{};
  std::thread thread_;
};

template <typename Predicate>
bool eventually(Predicate done) {
  for (int i = 0; i < 500 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

TEST_F(ObjectServices, AsyncCallsRunOnThePortOwnersThreadInOrder) {
  std::vector<Call> calls;
  Qz_Object* object = recorder(&calls);
  {
    PortThread owner;
    Qz_DoMethod(object, kRootSetAsyncPort, owner.port());
    // The variadic form copies exactly its words; the array form counts
    // them by the zero pairs.
    EXPECT_EQ(Qz_DoAsyncMethod(object, kRecord, 5, 0, 7), 1u);
    const QzWord words[] = {kRecord, 6, 0, 0, 99, 0, 0, 0};
    EXPECT_EQ(Qz_DoAsyncMethodA(object, words), 1u);
    for (uint32_t i = 0; i < 20; ++i) Qz_DoAsyncMethod(object, kRecord, 100 + i);
    ASSERT_TRUE(eventually([&] { return callCount(calls) == 22; }));
    EXPECT_EQ(calls[0].words, (std::vector<QzWord>{5, 0, 7, 0}));
    EXPECT_EQ(calls[1].words, (std::vector<QzWord>{6, 0, 0, 0}));  // 99 is beyond the count
    for (uint32_t i = 0; i < 20; ++i) EXPECT_EQ(calls[2 + i].words[0], 100 + i);
    for (const Call& c : calls) EXPECT_EQ(c.thread, owner.id());
    Qz_DoMethod(object, kRootSetAsyncPort, nullptr);
  }
  Qz_DisposeObject(object);
}

TEST_F(ObjectServices, AsyncCallsThatCannotBeQueuedAnswerZero) {
  std::vector<Call> calls;
  Qz_Object* object = recorder(&calls);
  EXPECT_EQ(Qz_DoAsyncMethod(object, kRecord, 1), 0u);  // no port
  const QzWord words[] = {kRecord, 1, 0, 0};
  EXPECT_EQ(Qz_DoAsyncMethodA(object, words), 0u);
  EXPECT_EQ(Qz_DoAsyncMethod(nullptr, kRecord, 1), 0u);
  {
    PortThread owner;
    Qz_DoMethod(object, kRootSetAsyncPort, owner.port());
    // No zero pair within reach: a caller forgot its terminators.
    std::vector<QzWord> endless(64, 1);
    endless[0] = kRecord;
    EXPECT_EQ(Qz_DoAsyncMethodA(object, endless.data()), 0u);
    Qz_DoMethod(object, kRootSetAsyncPort, nullptr);
  }
  EXPECT_TRUE(calls.empty());
  Qz_DisposeObject(object);
}

TEST_F(ObjectServices, DragAndDropTellsTheWindowWhereThePointerIs) {
  std::vector<Call> calls;
  Qz_Object* windowObject = recorder(&calls);
  Qz_Object* object = Qz_CreateObject("Root");
  EXPECT_EQ(Qz_BeginDragAndDrop(object), 0u);  // not shown in a window
  RastPort rastPort{};
  InitRastPort(&rastPort);
  Window window{};
  window.MouseX = 12;
  window.MouseY = 34;
  Qz_DrawInfo info{};
  info.drawSemaphore = Qz_AllocSemaphore();
  info.rastPort = &rastPort;
  info.window = &window;
  info.windowObject = windowObject;
  Qz_DoMethod(object, kRootSetDrawInfo, &info);
  EXPECT_EQ(Qz_BeginDragAndDrop(object), 1u);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].id, kWindowBeginDrag);
  EXPECT_EQ(calls[0].words, (std::vector<QzWord>{reinterpret_cast<QzWord>(object), 12, 34, 0}));
  Qz_DisposeObject(object);
  Qz_DisposeObject(windowObject);
  Qz_FreeSemaphore(info.drawSemaphore);
}

TEST_F(ObjectServices, AsyncDisposeWaitsForTheObjectsOwnMethod) {
  std::vector<Call> calls;
  std::atomic<bool> aliveAtReturn{false};
  Qz_Object* object = recorder(&calls, &aliveAtReturn);
  Qz_DoMethod(object, kDisposeMeLater);
  EXPECT_TRUE(aliveAtReturn.load());
  EXPECT_EQ(Qz_AsyncDisposeObject(nullptr), 0u);
  // TearDown's Qz_CleanUp waits for the disposal; the live count then is 0.
}

// Thread entries for the tests: each notes its argument and how it ended.
struct EntryLog {
  std::atomic<QzWord> argument{0};
  std::atomic<int> runs{0};
  std::atomic<bool> returned{false};
  std::atomic<int> ignoreBreaksFor{0};  // milliseconds
};
EntryLog* gLog = nullptr;

void waitForBreak(QzWord argument) {
  gLog->argument.store(argument);
  gLog->runs.fetch_add(1);
  const auto ignoreUntil =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(gLog->ignoreBreaksFor.load());
  while (std::chrono::steady_clock::now() < ignoreUntil) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Wait consumes the bit it reports, so test its answer, not the signals after it.
  if (!(SetSignal(0, SIGBREAKF_CTRL_C) & SIGBREAKF_CTRL_C)) {
    while (!(Wait(SIGBREAKF_CTRL_C) & SIGBREAKF_CTRL_C)) {
    }
  }
  gLog->returned.store(true);
}

void returnAtOnce(QzWord argument) {
  gLog->argument.store(argument);
  gLog->runs.fetch_add(1);
  gLog->returned.store(true);
}

TEST_F(ObjectServices, ThreadRunsItsEntryAndStopsOnTheBreakSignal) {
  struct Case {
    const char* name;
    Qz_ThreadFunction entry;
    int ignoreBreaksFor;
    bool startTwice;  // only while the entry is sure to be running
  };
  const Case cases[] = {
      {"entry that waits for the break", waitForBreak, 0, true},
      {"entry that ignores the break for a while", waitForBreak, 150, true},
      {"entry that returns by itself", returnAtOnce, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EntryLog log;
    log.ignoreBreaksFor = c.ignoreBreaksFor;
    gLog = &log;
    Qz_Object* thread = Qz_CreateObject("Thread", kThreadSetEntry, c.entry, kRootSetUserData, 0xC0FFEE,
                                        kThreadSetName, "probe thread");
    ASSERT_NE(thread, nullptr);
    Qz_DoMethod(thread, kRootOpen);
    if (c.startTwice) Qz_DoMethod(thread, kRootOpen);  // ignored: it is running
    ASSERT_TRUE(eventually([&] { return log.runs.load() > 0; }));
    Qz_DisposeObject(thread);  // stops first: returns only after the entry did
    EXPECT_TRUE(log.returned.load());
    EXPECT_EQ(log.runs.load(), 1);
    EXPECT_EQ(log.argument.load(), 0xC0FFEEu);
  }
  gLog = nullptr;
}

TEST_F(ObjectServices, StoppingAThreadThatNeverStartedReturnsAtOnce) {
  Qz_Object* thread = Qz_CreateObject("Thread", kThreadSetEntry, waitForBreak);
  EXPECT_EQ(Qz_DoMethod(thread, kRootClose), 0u);
  Qz_DisposeObject(thread);
}

}  // namespace

namespace {

std::atomic<bool> gLateEntryDone{false};

// Has its own Thread object disposed on a thread of its own, as a window
// freed from its own gadget does, and goes on a little after that.
void disposeOwnThreadLate(QzWord argument) {
  Delay(3);
  Qz_AsyncDisposeObject(reinterpret_cast<Qz_Object*>(argument));
  Delay(2);
  gLateEntryDone = true;
}

// The object runtime may go away only once every thread using it is done:
// the sanitizer builds catch a disposal that outlives it.
TEST(ObjectRuntimeClose, WaitsForRunningThreadsAndAsynchronousDisposals) {
  ASSERT_NE(Qz_Init(), nullptr);
  gLateEntryDone = false;
  Qz_Object* thread = Qz_CreateObject("Thread", kThreadSetEntry, disposeOwnThreadLate);
  ASSERT_NE(thread, nullptr);
  Qz_DoMethod(thread, kRootSetUserData, thread);
  Qz_DoMethod(thread, kRootOpen);
  Qz_CleanUp();
  EXPECT_TRUE(gLateEntryDone.load());
}

}  // namespace
