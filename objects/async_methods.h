// Asynchronous method calls: a method queued to the port attached to an
// object (Root 0x101A4), run later by the thread that owns that port, in
// order of arrival. This is how other threads call methods on a window's
// objects. Also the disposal of an object on a thread of its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "objects/qz_object.h"
#include "platform/exec.h"

// The queued call. The argument words follow the record, then
// qz::kPackedTailWords zero words, so a method reading a little past its
// last argument reads zeros.
struct Qz_AsyncMessage {
  Message message;      // no reply port: the receiver frees the message
  uint16_t length;      // number of argument words
  uint16_t reserved;
  Qz_Object* receiver;  // the outermost object of the one the call was made on
  uint32_t methodId;
  uint32_t reserved2;
};

inline QzWord* Qz_AsyncMessageWords(Qz_AsyncMessage* message) {
  return reinterpret_cast<QzWord*>(reinterpret_cast<char*>(message) + sizeof(Qz_AsyncMessage));
}

QZ_EXTERN_C_BEGIN

// words = [method id, arguments...]: the arguments are counted by testing
// every second word from words[2] for zero, as callers end them with two
// zero words (id, a, 0, 0 gives the words a, 0). At most 32 are taken; a list
// with no zero in reach is refused. 1 when queued; 0 when the object has no
// port, the list is refused or memory runs out.
QZ_EXPORT QzWord Qz_DoAsyncMethodA(Qz_Object* object, const QzWord* words);

// Queues exactly count argument words (the variadic front end's form).
QZ_EXPORT QzWord Qz__DoAsyncMethodWords(Qz_Object* object, uint32_t methodId, const QzWord* args,
                                        uint32_t count);

// Runs a queued call on the calling thread (Qz_DoMethodA of the receiver
// with the words) and frees the message; the method's result.
QZ_EXPORT QzWord Qz_RunAsyncMessage(Message* message);
QZ_EXPORT void Qz_FreeAsyncMsg(Message* message);

// Disposes the object on a thread of its own once no dispatch into it is
// running (so an object may dispose itself from inside its own method).
// Qz_CleanUp waits for every such disposal. 1 when the thread started.
QZ_EXPORT QzWord Qz_AsyncDisposeObject(Qz_Object* object);

QZ_EXTERN_C_END

// Qz_DoAsyncMethod(object, id, arguments...): queues exactly the arguments given.
template <typename... Args>
inline QzWord Qz_DoAsyncMethod(Qz_Object* object, uint32_t methodId, Args... args) {
  const auto words = qz::packWords(args...);
  return Qz__DoAsyncMethodWords(object, methodId, words.data(), static_cast<uint32_t>(sizeof...(Args)));
}
