// A document's own thread: it owns the document's message port and runs,
// in order, the methods other threads post to the document. A posted
// re-render first gets a quick preview of single rows.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "gadgets/qz_thread.h"
#include "image/image_internal.h"
#include "image/image_shell.h"
#include "objects/async_methods.h"
#include "objects/object_internal.h"
#include "objects/qz_root.h"

namespace qz {
namespace {

// Posted by Qz__SettleImage; answered only here.
constexpr uint32_t kSettleMarker = 0x7FFF0001;

struct SettleRecord {
  std::mutex mutex;
  std::condition_variable done;
  bool reached = false;
};

// Lives in the allocator's frame until status is set; the thread does not
// touch it after that.
struct StartRecord {
  Qz_Image* image;
  std::atomic<int> status{0};  // 1 running, -1 failed
};

void storePort(Qz_Image* image, MsgPort* port) {
  std::atomic_ref<MsgPort*>(image->port).store(port, std::memory_order_release);
}

void preview(Qz_Image* image) {
  Qz_ImageBase* base = image->base ? image->base : Qz_GetImageBase();
  Qz_Object* previewObject = base->previewObject;
  if (!previewObject || imagePortHasMessage(image)) return;
  const uint32_t rows = previewRows(uint32_t(image->width), uint32_t(image->height),
                                    uint32_t(base->thumbnailWidth), uint32_t(base->thumbnailHeight));
  // Rows are composited before the preview's drawing info is touched, so the
  // image lock is never taken while a drawing info is held.
  const int32_t saved = image->displayCount.exchange(99999);
  for (uint32_t i = 0; i < rows; ++i) {
    const int32_t y = int32_t(uint64_t(image->height) * i / rows);
    Qz_ProcessImage(image, 0, y, image->width - 1, y);
  }
  Qz_DoMethod(previewObject, kRootDraw, 0);
  image->displayCount.store(saved);
}

void runMessage(Qz_Image* image, Message* message) {
  auto* call = reinterpret_cast<Qz_AsyncMessage*>(message);
  const QzWord* words = Qz_AsyncMessageWords(call);
  switch (call->methodId) {
    case kSettleMarker: {
      auto* settle = reinterpret_cast<SettleRecord*>(words[0]);
      Qz_FreeAsyncMsg(message);
      std::lock_guard<std::mutex> hold(settle->mutex);
      settle->reached = true;
      settle->done.notify_all();
      return;
    }
    case kRootDispose: {
      auto* object = reinterpret_cast<Qz_Object*>(words[0]);
      Qz_FreeAsyncMsg(message);
      // The document's own disposal stops this thread and waits for it, so it
      // must run elsewhere.
      if (object == imageObject(image))
        Qz_AsyncDisposeObject(object);
      else if (object)
        Qz_DisposeObject(object);
      return;
    }
    case kRootDraw: {
      auto* object = reinterpret_cast<Qz_Object*>(words[0]);
      if (object) Qz_DoMethod(object, kRootDraw, 0);
      Qz_FreeAsyncMsg(message);
      return;
    }
    case kRootAsyncCall: {
      auto* object = reinterpret_cast<Qz_Object*>(words[0]);
      if (object) Qz_DoMethodA(object, uint32_t(words[1]), words + 2);
      Qz_FreeAsyncMsg(message);
      return;
    }
    default:
      if (call->methodId == kQzImageRerender && image->activeLayer) preview(image);
      Qz_RunAsyncMessage(message);
      return;
  }
}

void imageThreadEntry(QzWord argument) {
  auto* start = reinterpret_cast<StartRecord*>(argument);
  Qz_Image* image = start->image;
  MsgPort* port = CreateMsgPort();
  if (!port) {
    storePort(image, nullptr);
    start->status.store(-1, std::memory_order_release);
    return;
  }
  Qz_DoMethod(imageObject(image), kRootSetAsyncPort, port);
  storePort(image, port);
  start->status.store(1, std::memory_order_release);
  const uint32_t portMask = 1u << port->mp_SigBit;
  for (;;) {
    // Waiting for a message is no work under way: a process that ends
    // without Qz_CleanUp does not wait for an idle document thread.
    qz::objects::endBackgroundWork();
    const uint32_t got = Wait(portMask | SIGBREAKF_CTRL_C);
    qz::objects::beginBackgroundWork();
    if (got & SIGBREAKF_CTRL_C) break;
    while (Message* message = GetMsg(port)) {
      runMessage(image, message);
      if (SetSignal(0, 0) & SIGBREAKF_CTRL_C) break;
    }
  }
  // Nothing more runs, but every queued call is released, and settle
  // markers are answered so no waiter hangs.
  Qz_DoMethod(imageObject(image), kRootSetAsyncPort, 0);
  storePort(image, nullptr);
  while (Message* message = GetMsg(port)) {
    auto* call = reinterpret_cast<Qz_AsyncMessage*>(message);
    if (call->methodId == kSettleMarker) {
      runMessage(image, message);
      continue;
    }
    Qz_FreeAsyncMsg(message);
  }
  DeleteMsgPort(port);
}

}  // namespace

uint32_t previewRows(uint32_t width, uint32_t height, uint32_t thumbWidth, uint32_t thumbHeight) {
  uint32_t rows = thumbHeight;
  if (width > height && width > 0) rows = uint32_t(uint64_t(height) * thumbWidth / width);
  rows = std::max<uint32_t>(rows, 1);
  rows = std::min<uint32_t>(rows, std::max<uint32_t>(thumbHeight, 1));
  return std::min<uint32_t>(rows, std::max<uint32_t>(height, 1));
}

bool imagePortHasMessage(Qz_Image* image) {
  if (!image) return false;
  MsgPort* port = std::atomic_ref<MsgPort*>(image->port).load(std::memory_order_acquire);
  if (!port) return false;
  Forbid();
  const Node* head = port->mp_MsgList.lh_Head;
  const bool waiting = head && head->ln_Succ;
  Permit();
  return waiting;
}

int startImageThread(Qz_Image* image) {
  Qz_Object* thread = Qz_CreateObject("Thread");
  if (!thread) return 0;
  StartRecord start;
  start.image = image;
  Qz_DoMethod(thread, kThreadSetEntry, reinterpret_cast<Qz_ThreadFunction>(&imageThreadEntry));
  Qz_DoMethod(thread, kThreadSetName, "Image Thread");
  Qz_DoMethod(thread, kRootSetUserData, &start);
  Qz_DoMethod(thread, kRootOpen);
  // The thread reports back either way, so a thread that cannot make its
  // port fails the allocation instead of leaving the allocator waiting.
  // Polled in short naps, not Delay's 20 ms ticks: every opened document waits here.
  while (start.status.load(std::memory_order_acquire) == 0)
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  if (start.status.load() < 0) {
    Qz_DisposeObject(thread);
    return 0;
  }
  Qz_DisposeObject(image->thread);
  image->thread = thread;
  return 1;
}

}  // namespace qz

QZ_EXTERN_C_BEGIN

// Returns once the document's thread has run everything posted before the call.
QZ_EXPORT void Qz__SettleImage(Qz_Image* image) {
  qz::SettleRecord settle;
  if (!Qz_DoAsyncMethod(qz::imageObject(image), qz::kSettleMarker, &settle)) return;
  std::unique_lock<std::mutex> hold(settle.mutex);
  settle.done.wait(hold, [&] { return settle.reached; });
}

QZ_EXTERN_C_END
