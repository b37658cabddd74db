// A modal requester around a caller's gadget tree: the tree, a separator
// and "Ok" / "Cancel" buttons in a window of their own, run until the user
// chooses (or the calling task gets the break signal, or the program stops).
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

// Flags of Qz_ShowRequesterA.
inline constexpr uint32_t kRequesterDisposeContent = 16;          // always, once closed
inline constexpr uint32_t kRequesterDisposeContentUnlessOk = 32;  // when the answer is not 1

// Tags passed on to the requester's window.
inline constexpr uint32_t kRequesterTagDefaultWidth = 0x901A4;   // 230 when not given
inline constexpr uint32_t kRequesterTagDefaultHeight = 0x901AE;  // 230 when not given
inline constexpr uint32_t kRequesterTagPositionKey = 0x9021C;    // 0 when not given

QZ_EXTERN_C_BEGIN
// Whether a modal requester waiting on the calling task ends now, as
// cancelled: the task got one of `breakSignals`, or the program is being
// stopped (message boxes are dismissed) and nobody is there to answer.
QZ_EXPORT bool Qz__ModalWaitEnds(uint32_t breakSignals);

// 1 when "Ok" (or Return) was chosen, else 0. The text word is not used.
// A parent container, when given, holds the window while it is shown.
QZ_EXPORT QzWord Qz_ShowRequesterA(const char* title, Qz_Object* content, QzWord text, Qz_Object* parent,
                                   uint32_t flags, const TagItem* tags);
QZ_EXTERN_C_END

template <typename... Tags>
inline QzWord Qz_ShowRequester(const char* title, Qz_Object* content, QzWord text, Qz_Object* parent,
                               uint32_t flags, Tags... tags) {
  const auto words = qz::packWords(tags...);
  return Qz_ShowRequesterA(title, content, text, parent, flags, reinterpret_cast<const TagItem*>(words.data()));
}
