// Notifications: "when this object performs method M, send method T with
// these arguments to that object", and callbacks into plain functions.
// The records live in the source's Root instance; a partner record in the
// target's Root instance lets a disposed target unhook itself.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/qz_object.h"

// Placeholder words in a template, replaced at every firing.
inline constexpr QzWord kNotifySameWord = 0x100C0;     // the trigger's word at the same position
inline constexpr QzWord kNotifyTriggerValue = 0x100C1;
inline constexpr QzWord kNotifyAnyValue = 0x100C2;     // trigger value meaning "any" (never compared)
inline constexpr QzWord kNotifySecondArgument = 0x100C3;

// Symbolic targets, resolved at every firing.
inline constexpr QzWord kNotifyTargetValue = 0x11500;         // the trigger's value is the target object
inline constexpr QzWord kNotifyTargetActiveImage = 0x130460;
inline constexpr QzWord kNotifyTargetActiveLayer = 0x1013CC;
inline constexpr QzWord kNotifyTargetActiveSubLayer = 0x101404;

// Marker in a callback record's word count.
inline constexpr QzWord kNotifyCallBackMarker = 0x100AB;

// Receives (user data, source object, trigger method, the trigger's value
// word followed by its further words); the result is ignored.
typedef void (*Qz_NotifyCallBack)(QzWord userData, Qz_Object* source, uint32_t method,
                                  const QzWord* valueWords);

QZ_EXTERN_C_BEGIN
// The array form of Qz_DoNotify is an empty stub kept for callers; 0.
QZ_EXPORT QzWord Qz_DoNotifyA(Qz_Object* source, const QzWord* words);
QZ_EXTERN_C_END

// Adds "when source performs triggerMethod, send words[0] with words[1..]
// to target" (target: an object or a symbolic target). Returns the record
// (the handle for Qz_RemoveNotify), or 0 when the target is NULL or memory
// runs out.
template <typename Value, typename Target, typename... Words>
inline QzWord Qz_AddNotify(Qz_Object* source, uint32_t triggerMethod, Value triggerValue,
                           Target target, uint32_t count, Words... words) {
  const auto packed = qz::packWords(words...);
  if (count <= packed.size()) {
    return Qz_DoMethod(source, kRootAddNotify, source, triggerMethod, triggerValue, target, count,
                       packed.data());
  }
  // A count beyond the words given reads zeros, never past the arguments.
  std::vector<QzWord> padded(packed.begin(), packed.end());
  padded.resize(count, 0);
  return Qz_DoMethod(source, kRootAddNotify, source, triggerMethod, triggerValue, target, count,
                     padded.data());
}

inline QzWord Qz_AddCallBackNotify(Qz_Object* source, uint32_t triggerMethod, QzWord triggerValue,
                                   Qz_NotifyCallBack function, QzWord userData) {
  return Qz_DoMethod(source, kRootAddCallBackNotify, triggerMethod, triggerValue,
                     reinterpret_cast<void*>(function), userData);
}

// 1 when the source has notifications and the lock was had (also when the
// record was not among them), else 0.
inline QzWord Qz_RemoveNotify(Qz_Object* source, QzWord record) {
  if (source == nullptr || record == 0) return 0;
  return Qz_DoMethod(source, kRootRemoveNotify, record);
}

// Fires the source's notifications for method with its value and further words.
template <typename... Words>
inline QzWord Qz_DoNotify(Qz_Object* source, uint32_t method, Words... valueAndFurther) {
  const auto packed = qz::packWords(method, valueAndFurther...);
  return Qz_DoMethod(source, kRootDoNotify, source, packed.data());
}
