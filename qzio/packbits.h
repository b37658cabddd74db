// ByteRun1 / PackBits: the run-length scheme of IFF pictures, Photoshop and
// Macintosh pictures. A control byte n below 128 copies the next n + 1 bytes,
// above 128 repeats the next byte 257 - n times, and 128 does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/qz_export.h"

namespace qz::packbits {

enum class RowResult : uint8_t {
  Complete,    // the row was filled exactly
  Overrun,     // a run went past the row's end: the row is full, the excess dropped
  ShortInput,  // the input ended first: the rest of the row is left as it was
};

// Fills `row` from `input` starting at `position`, which moves past every
// byte used (the whole of an overrunning run included). Counts are in units
// of unitBytes bytes (2 for the 16-bit pixels of Macintosh pictures). Never
// reads or writes outside the two spans.
QZ_EXPORT RowResult unpackRow(std::span<const uint8_t> input, size_t& position, std::span<uint8_t> row,
                              size_t unitBytes = 1);

}  // namespace qz::packbits
