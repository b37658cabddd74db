// The QuickDraw opcodes 0x0000 to 0x00A1 of Macintosh pictures: each one's
// name and how much data follows it.
#pragma once

#include <array>
#include <cstdint>

namespace qz::codec {

inline constexpr int16_t kPictWordLength = -1;  // a 16-bit length, then that many bytes
inline constexpr int16_t kPictByRule = -2;      // the interpreter reads the data itself

struct PictOpcode {
  const char* name;
  int16_t length;  // fixed data bytes, or one of the two above
};

inline constexpr uint16_t kPictLastTableOpcode = 0x00A1;

extern const std::array<PictOpcode, kPictLastTableOpcode + 1> kPictOpcodes;

}  // namespace qz::codec
