// The machine word that carries method arguments, results, tag data and
// notification values, and the packing used by every variadic front end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "platform/qz_export.h"

typedef uintptr_t QzWord;

#ifdef __cplusplus
namespace qz {

// Zero words appended after packed arguments, so callees that scan for a
// terminating 0 or read a few words past the last one stay in bounds.
inline constexpr std::size_t kPackedTailWords = 8;

// One argument as a word: pointers travel full width; integers of at most
// 32 bits travel zero-extended through uint32_t (so -1 arrives as
// 0x00000000FFFFFFFF). Floats and 64-bit integers are refused at compile
// time; convert floats with Qz_FloatToULONG first.
template <typename T>
constexpr QzWord toWord(T value) {
  using U = std::remove_cv_t<std::remove_reference_t<T>>;
  if constexpr (std::is_pointer_v<U> || std::is_null_pointer_v<U>) {
    return reinterpret_cast<QzWord>(value);
  } else if constexpr (std::is_enum_v<U>) {
    static_assert(sizeof(U) <= 4, "enumerations wider than 32 bits cannot travel as words");
    return static_cast<QzWord>(static_cast<uint32_t>(value));
  } else {
    static_assert(!std::is_floating_point_v<U>,
                  "pass floats through Qz_FloatToULONG, never as words");
    static_assert(std::is_integral_v<U>, "only pointers and integers travel as words");
    static_assert(sizeof(U) <= 4 || std::is_same_v<U, QzWord>,
                  "64-bit integers do not travel as words; use uint32_t or a pointer");
    if constexpr (std::is_same_v<U, QzWord>) {
      return value;
    } else {
      return static_cast<QzWord>(static_cast<uint32_t>(value));
    }
  }
}

// Packs arguments into an array followed by kPackedTailWords zero words.
template <typename... Args>
constexpr std::array<QzWord, sizeof...(Args) + kPackedTailWords> packWords(Args... args) {
  return {toWord(args)...};
}

}  // namespace qz
#endif
