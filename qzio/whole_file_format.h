// Class glue for formats whose codec core works on bytes in memory: identify
// from the probe, load by reading the stream whole and decoding it into the
// header's buffer, save by encoding into memory and writing it out.
#pragma once

#include <cstdint>
#include <cstdio>
#include <new>
#include <span>
#include <vector>

#include "qzio/codec_buffer_rows.h"
#include "qzio/codec_rows.h"
#include "qzio/qzio.h"
#include "qzio/root_qzio.h"

namespace qz::codec {

// The file from its start: 1; 2 no memory; 3 when it cannot be read.
uint32_t readWholeStream(FILE* file, std::vector<uint8_t>& bytes);
// Up to `limit` bytes from the start (fewer for a shorter file); the
// stream's position is left where it was. Empty when it cannot be read.
std::vector<uint8_t> readStreamHead(QZIO_Header* header, size_t limit);
// The last n bytes of the file (empty when shorter or unreadable); the
// stream's position is left where it was.
std::vector<uint8_t> readStreamTail(QZIO_Header* header, size_t n);

// identify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo&)
template <typename Identify>
uint32_t identifyFromProbe(QZIO_Header* header, Identify identify) {
  if (!header->probe) return kNotThisFormat;
  ImageInfo info;
  const uint32_t result = identify(std::span<const uint8_t>(header->probe, header->probeSize), header->fileSize, info);
  if (result == kOk) fillIdentifiedBuffer(header, info);
  return result;
}

// For formats whose header lies past the probe: identify from the first
// `limit` bytes of the stream.
template <typename Identify>
uint32_t identifyFromHead(QZIO_Header* header, size_t limit, Identify identify) {
  const std::vector<uint8_t> head = readStreamHead(header, limit);
  ImageInfo info;
  const uint32_t result = identify(std::span<const uint8_t>(head), header->fileSize, info);
  if (result == kOk) fillIdentifiedBuffer(header, info);
  return result;
}

// The file is identified again from its bytes, so the load needs nothing
// kept from identify; a buffer of another size is refused rather than
// filled from rows of the wrong length.
template <typename Identify, typename Decode>
uint32_t loadWholeFile(QZIO_Header* header, Identify identify, Decode decode) {
  QZIO_ImageBuffer* buffer = header->buffer;
  if (!header->stream || !buffer) return kBadArguments;
  try {
    std::vector<uint8_t> bytes;
    const uint32_t read = readWholeStream(header->stream, bytes);
    if (read != kOk) return read;
    ImageInfo info;
    if (identify(std::span<const uint8_t>(bytes), uint64_t{bytes.size()}, info) != kOk) return kNotThisFormat;
    if (info.width != buffer->width || info.height != buffer->height || info.depth != buffer->depth)
      return kBadArguments;
    BufferRows rows(header);
    return decode(std::span<const uint8_t>(bytes), rows);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}

// encode(width, height, depth, PixelRows&, std::vector<uint8_t>& out)
template <typename Encode>
uint32_t saveWholeFile(QZIO_Header* header, Encode encode) {
  QZIO_ImageBuffer* buffer = header->buffer;
  if (!buffer) return kBadArguments;
  if (!header->stream) return kCannotOpen;
  try {
    std::vector<uint8_t> bytes;
    BufferRows rows(header);
    const uint32_t result = encode(buffer->width, buffer->height, buffer->depth, rows, bytes);
    if (result != kOk) return result;
    if (std::fwrite(bytes.data(), 1, bytes.size(), header->stream) != bytes.size()) return kWriteFailed;
    return std::fflush(header->stream) == 0 ? kOk : kWriteFailed;
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}

// The methods of a class whose codec is identify(head, fileSize, info),
// decode(file, rows) and encode(width, height, depth, rows, out).
template <auto Identify, auto Decode, auto Encode>
struct WholeFileMethods {
  static uint32_t identify(const qzio::FormatCall&, QZIO_Header* header) { return identifyFromProbe(header, Identify); }
  static uint32_t load(const qzio::FormatCall&, QZIO_Header* header) { return loadWholeFile(header, Identify, Decode); }
  static uint32_t save(const qzio::FormatCall&, QZIO_Header* header) { return saveWholeFile(header, Encode); }
};

}  // namespace qz::codec
