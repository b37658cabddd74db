// IFF chunk walking for the ILBM and DEEP codecs: 4-byte id, big-endian
// length, data padded to an even length. Bounds-checked: a chunk that claims
// more than the file holds gives what there is and marks itself cut.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace qz::codec {

struct IffChunk {
  char id[4] = {};
  std::span<const uint8_t> data;
  bool cut = false;  // the file ends inside the chunk
  bool is(const char* name) const { return std::memcmp(id, name, 4) == 0; }
};

// The form type at 8 when the bytes start with "FORM", else false.
inline bool iffFormIs(std::span<const uint8_t> file, const char* type) {
  return file.size() >= 12 && std::memcmp(file.data(), "FORM", 4) == 0 && std::memcmp(file.data() + 8, type, 4) == 0;
}

// Walks the chunks of a form from a given offset (12: the first chunk).
class IffWalker {
 public:
  // Bytes after the form's own length are not part of it; a length that
  // overstates the file is common enough to read up to the file's end.
  explicit IffWalker(std::span<const uint8_t> file, size_t start = 12) : file_(file), position_(start) {
    if (file.size() >= 8) {
      const uint64_t formEnd = 8 + (uint64_t{file[4]} << 24 | uint64_t{file[5]} << 16 | uint64_t{file[6]} << 8 | file[7]);
      if (formEnd >= 12 && formEnd < file.size()) file_ = file.first(static_cast<size_t>(formEnd));
    }
  }

  // The next chunk, or false at the end of the bytes.
  bool next(IffChunk& chunk) {
    if (position_ > file_.size() || file_.size() - position_ < 8) return false;
    const uint8_t* head = file_.data() + position_;
    std::memcpy(chunk.id, head, 4);
    const uint64_t length = uint64_t{head[4]} << 24 | uint64_t{head[5]} << 16 | uint64_t{head[6]} << 8 | head[7];
    const size_t start = position_ + 8;
    const size_t available = file_.size() - start;
    chunk.cut = length > available;
    chunk.data = file_.subspan(start, chunk.cut ? available : static_cast<size_t>(length));
    // Odd lengths are followed by a pad byte.
    position_ = chunk.cut ? file_.size() : start + static_cast<size_t>(length) + (length & 1);
    return true;
  }

 private:
  std::span<const uint8_t> file_;
  size_t position_;
};

}  // namespace qz::codec
