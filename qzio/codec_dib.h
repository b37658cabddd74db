// The clipboard's bitmap block: a BMP file around a device-independent
// bitmap (40-byte or longer info header, colour table, padded rows), as
// desktops carry it under "image/bmp". The block comes from another program,
// so its size is checked against header, colour table and rows before any
// pixel is read; decoding and encoding are the BMP codec's.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

struct StreamCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using MemoryStream = std::unique_ptr<FILE, StreamCloser>;
// The bytes as a read-only stream for the stdio codecs; null when empty or
// out of memory. The bytes must outlive the stream.
QZ_EXPORT MemoryStream openMemoryStream(std::span<const uint8_t> bytes);

// 1 with `info` for an uncompressed block of 1, 4, 8, 24 or 32 bits whose
// bytes hold its headers, colour table and every row; 8 otherwise.
QZ_EXPORT uint32_t dibIdentify(std::span<const uint8_t> block, ImageInfo& info);

// Decodes a block dibIdentify took into rows: 1; 8 when it is not one; 2 no
// memory; 9 stopped.
QZ_EXPORT uint32_t dibDecode(std::span<const uint8_t> block, PixelRows& rows);

// A 24-bit block, bottom row first, rows padded to 4 bytes, from rows fetched
// as layout 12. 1; 6 bad size; 2 no memory; 9 stopped.
QZ_EXPORT uint32_t dibEncode(uint32_t width, uint32_t height, PixelRows& rows, std::vector<uint8_t>& out);

}  // namespace qz::codec
