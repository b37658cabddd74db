// Targa codec core: true-colour files of the newer kind (those ending in the
// "TRUEVISION-XFILE" footer), 24 or 32 bits a pixel (alpha dropped),
// uncompressed or run-length encoded, in any row and column order; writes
// 24-bit files, top row first, optionally run-length encoded.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/byte_order.h"
#include "qzio/codec_rows.h"

namespace qz::codec {

inline constexpr size_t kTargaFooterBytes = 26;

// 1 with `info` (24-bit true colour) from the 18-byte header at the start
// of `head` and the last 26 bytes in `footer` of a file of fileSize bytes;
// 8 without the footer; 3 when the file is far too short.
QZ_EXPORT uint32_t targaIdentify(std::span<const uint8_t> head, std::span<const uint8_t> footer, uint64_t fileSize,
                                 ImageInfo& info);

// Decodes a whole file into RGB rows sized as identify said. 1; 7 for
// colour-mapped or grey files and depths other than 24 and 32; 3 for rows
// the file lacks; 2 no memory; 8 not Targa; 9 stopped.
QZ_EXPORT uint32_t targaDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends a 24-bit file of rows fetched as RGB to `out`, run-length encoded
// when asked. 1; 7 for a depth other than 24; 6 bad size; 9 stopped.
QZ_EXPORT uint32_t targaEncode(uint32_t width, uint32_t height, uint32_t depth, bool runLength, PixelRows& rows,
                               std::vector<uint8_t>& out);

// Whether saves are run-length encoded (process-wide, off at start).
QZ_EXPORT std::atomic<int32_t>& targaRunLengthOption();

// The state of a run-length decode, kept by the caller for one picture: a
// packet may run on from one request into the next.
struct TargaRunState {
  uint32_t pixelBytes = 3;  // 1 to 4
  uint32_t left = 0;        // pixels left in the current packet
  bool run = false;         // the packet repeats `pixel`
  uint8_t pixel[4] = {};
};

// Fills itemSize x count bytes at dest with pixels decoded from the packets
// at source; answers the bytes delivered (fewer when the data ends).
QZ_EXPORT size_t QZIO_RLEDecode(uint8_t* dest, size_t itemSize, size_t count, ByteReader& source,
                                TargaRunState& state);

}  // namespace qz::codec
