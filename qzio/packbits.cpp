// ByteRun1 / PackBits decoding, bounded by both the input and the row.
#include "qzio/packbits.h"

#include <algorithm>
#include <cstring>

namespace qz::packbits {

RowResult unpackRow(std::span<const uint8_t> input, size_t& position, std::span<uint8_t> row, size_t unitBytes) {
  size_t filled = 0;
  bool overrun = false;
  while (filled < row.size()) {
    if (position >= input.size()) return RowResult::ShortInput;
    const uint8_t control = input[position++];
    if (control == 128) continue;
    const size_t room = row.size() - filled;
    if (control < 128) {
      const size_t count = (size_t{control} + 1) * unitBytes;
      const size_t available = input.size() - position;
      const size_t copied = std::min({count, room, available});
      std::memcpy(row.data() + filled, input.data() + position, copied);
      filled += copied;
      if (count > available) {
        position = input.size();
        return RowResult::ShortInput;
      }
      position += count;
      overrun = overrun || count > room;
    } else {
      const size_t repeats = 257 - size_t{control};
      if (input.size() - position < unitBytes) {
        position = input.size();
        return RowResult::ShortInput;
      }
      const uint8_t* unit = input.data() + position;
      position += unitBytes;
      for (size_t i = 0; i < repeats * unitBytes && filled < row.size(); ++i) row[filled++] = unit[i % unitBytes];
      overrun = overrun || repeats * unitBytes > room;
    }
  }
  return overrun ? RowResult::Overrun : RowResult::Complete;
}

}  // namespace qz::packbits
