// Bounded copies into the image model's fixed text fields.
#pragma once

#include <cstddef>

namespace qz {

// Copies text into a field of `size` bytes, always terminated, never
// cutting a UTF-8 sequence in two.
inline void copyName(char* field, size_t size, const char* text) {
  if (!field || size == 0) return;
  size_t n = 0;
  if (text)
    while (text[n] && n + 1 < size) ++n;
  if (text && text[n])  // cut: step back to the start of a sequence
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  for (size_t i = 0; i < n; ++i) field[i] = text[i];
  field[n] = 0;
}

}  // namespace qz
