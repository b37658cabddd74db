// Reading a format's stream whole or in part for the byte-based codecs.
#include "qzio/whole_file_format.h"

namespace qz::codec {

uint32_t readWholeStream(FILE* file, std::vector<uint8_t>& bytes) {
  if (std::fseek(file, 0, SEEK_END) != 0) return kReadError;
  const long size = std::ftell(file);
  if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) return kReadError;
  try {
    bytes.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  return std::ferror(file) ? kReadError : kOk;
}

std::vector<uint8_t> readStreamHead(QZIO_Header* header, size_t limit) {
  ReadStream stream(header);
  std::vector<uint8_t> bytes(limit);
  if (!stream.file()) return {};
  bytes.resize(std::fread(bytes.data(), 1, limit, stream.file()));
  return bytes;
}

std::vector<uint8_t> readStreamTail(QZIO_Header* header, size_t n) {
  ReadStream stream(header);
  std::vector<uint8_t> bytes(n);
  if (!stream.file() || header->fileSize < n ||
      std::fseek(stream.file(), -static_cast<long>(n), SEEK_END) != 0 ||
      std::fread(bytes.data(), 1, n, stream.file()) != n)
    return {};
  return bytes;
}

}  // namespace qz::codec
