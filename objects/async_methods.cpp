// Asynchronous calls and asynchronous disposal. A call is a message holding
// the receiver, the method id and a copy of the argument words; the thread
// owning the receiver's port runs it with Qz_RunAsyncMessage.
#include "objects/async_methods.h"

#include <atomic>
#include <cstring>

#include "objects/object_internal.h"

namespace {

// The zero-scan of the array form tests at most this many word pairs.
constexpr std::size_t kMaxScannedPairs = 16;

constexpr int32_t kDisposePollTicks = 10;  // 200 ms
constexpr QzWord kDisposeStackBytes = 16384;  // asked for; every task gets a large stack anyway

QzWord Qz__Post(Qz_Object* receiver, MsgPort* port, uint32_t methodId, const QzWord* args,
                std::size_t count) {
  if (!receiver || !port || count > 0xFFFF || (count > 0 && !args)) return 0;
  const std::size_t bytes =
      sizeof(Qz_AsyncMessage) + (count + qz::kPackedTailWords) * sizeof(QzWord);
  auto* message = static_cast<Qz_AsyncMessage*>(Qz_AllocMemClear(bytes));
  if (!message) return 0;
  message->message.mn_Length = static_cast<uint16_t>(bytes > 0xFFFF ? 0xFFFF : bytes);
  message->length = static_cast<uint16_t>(count);
  message->receiver = receiver;
  message->methodId = methodId;
  if (count > 0) std::memcpy(Qz_AsyncMessageWords(message), args, count * sizeof(QzWord));
  PutMsg(port, &message->message);
  return 1;
}

bool Qz__IsLive(Qz_Object* object) {
  return object && object->self == reinterpret_cast<QzWord>(object);
}

void Qz__AsyncDisposeEntry() {
  auto* block = reinterpret_cast<Qz_Object**>(FindTask(nullptr)->tc_UserData);
  Qz_Object* object = *block;
  Delay(kDisposePollTicks);
  // Freed object memory stays owned by the runtime, so these reads are safe
  // even when someone else disposed the object meanwhile.
  while (Qz__IsLive(object) &&
         std::atomic_ref<int32_t>(object->nesting).load(std::memory_order_acquire) != 0) {
    Delay(kDisposePollTicks);
  }
  Qz_DisposeObject(object);
  Qz_FreeMem(block);
  std::atomic_ref<int32_t>(Qz_GetGlobalData()->asyncDisposeCount)
      .fetch_sub(1, std::memory_order_acq_rel);
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz__QueueAsyncMethod(Qz_Object* receiver, MsgPort* port, const QzWord* words) {
  if (!words) return 0;
  std::size_t count = 0;
  if (words[0] != 0) {
    std::size_t pair = 1;
    while (pair <= kMaxScannedPairs && words[2 * pair] != 0) ++pair;
    if (pair > kMaxScannedPairs) return 0;
    count = 2 * pair;
  }
  return Qz__Post(receiver, port, static_cast<uint32_t>(words[0]), words + 1, count);
}

QZ_EXPORT QzWord Qz_DoAsyncMethodA(Qz_Object* object, const QzWord* words) {
  if (!object || !words) return 0;
  return Qz_DoMethodA(object, kRootAsyncCall, words);
}

QZ_EXPORT QzWord Qz__DoAsyncMethodWords(Qz_Object* object, uint32_t methodId, const QzWord* args,
                                        uint32_t count) {
  if (!Qz__IsLive(object)) return 0;
  Qz_RootObject* root = qz::objects::rootOf(object);
  if (!root) return 0;
  MsgPort* port = std::atomic_ref<MsgPort*>(root->asyncPort).load(std::memory_order_acquire);
  return Qz__Post(Qz_GetTopMostObject(object), port, methodId, args, count);
}

QZ_EXPORT QzWord Qz_RunAsyncMessage(Message* message) {
  if (!message) return 0;
  auto* call = reinterpret_cast<Qz_AsyncMessage*>(message);
  const QzWord result = Qz_DoMethodA(call->receiver, call->methodId, Qz_AsyncMessageWords(call));
  Qz_FreeAsyncMsg(message);
  return result;
}

QZ_EXPORT void Qz_FreeAsyncMsg(Message* message) {
  if (message) Qz_FreeMem(message);
}

QZ_EXPORT QzWord Qz_AsyncDisposeObject(Qz_Object* object) {
  if (!object) return 0;
  auto* block = static_cast<Qz_Object**>(Qz_AllocMem(sizeof(Qz_Object*)));
  if (!block) return 0;
  *block = object;
  int32_t& count = Qz_GetGlobalData()->asyncDisposeCount;
  std::atomic_ref<int32_t>(count).fetch_add(1, std::memory_order_acq_rel);
  Process* process = CreateNewProcTags(NP_Entry, &Qz__AsyncDisposeEntry, NP_Name,
                                       "Qz_AsyncDisposeObject Thread", NP_UserData, block,
                                       NP_StackSize, kDisposeStackBytes, TAG_DONE);
  if (!process) {
    Qz_FreeMem(block);
    std::atomic_ref<int32_t>(count).fetch_sub(1, std::memory_order_acq_rel);
    return 0;
  }
  return 1;
}

QZ_EXTERN_C_END
