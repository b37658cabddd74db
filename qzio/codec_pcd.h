// Kodak Photo CD codec core: image packs read at one of five resolutions,
// optionally turned a quarter turn. The three smallest are stored as luma
// and half-size chroma planes; the two largest are the 768 x 512 planes
// doubled and corrected by Huffman-coded residuals. Read only.
#pragma once

#include <cstdint>
#include <span>

#include "qzio/codec_rows.h"

namespace qz::codec {

struct PcdChoice {
  uint32_t resolution = 2;  // 0 192 x 128, 1 384 x 256, 2 768 x 512, 3 1536 x 1024, 4 3072 x 2048
  uint32_t turn = 0;        // 0 none; 1 and 2 the two quarter turns
};

inline constexpr uint32_t kPcdResolutions = 5;
// Bytes from the pack's start that identify needs.
inline constexpr size_t kPcdHeadBytes = 4096;

// 1 with `info` (true colour at the chosen resolution, its sides exchanged
// for a turn); 8 when "PCD_IPI" is not at byte 2048; 3 when the file is far
// too short for the stored planes.
QZ_EXPORT uint32_t pcdIdentify(std::span<const uint8_t> head, uint64_t fileSize, const PcdChoice& choice,
                               ImageInfo& info);

// Decodes the whole pack at the chosen resolution. 1; 8 for a pack that is
// not Photo CD or a bad Huffman table or residual stream; 3 planes outside
// the file; 2 no memory; 9 stopped.
QZ_EXPORT uint32_t pcdDecode(std::span<const uint8_t> file, const PcdChoice& choice, PixelRows& rows);

}  // namespace qz::codec
