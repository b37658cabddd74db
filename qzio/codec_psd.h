// Photoshop document codec core: the flattened picture of bitmap, grey,
// indexed and RGB documents of 8 bits a channel (1 for bitmap), raw or
// PackBits-packed, layers and resources skipped; writes raw RGB documents.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// 1 with `info` from the header of a file of fileSize bytes: bitmap gives a
// one-plane bitplane picture, grey grey, indexed colour-mapped, RGB true
// colour and CMYK depth 32 (true colour here; the class gives it its
// four-plane buffer). 8 when it is not a Photoshop document or its mode is
// another; 3 when the file is far too short.
QZ_EXPORT uint32_t psdIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);
// True when the header is a CMYK document's.
QZ_EXPORT bool psdIsCmyk(std::span<const uint8_t> head);

// Decodes a whole file into rows sized as identify said. 1; 3 when the
// sections or the picture's rows lie outside the file; 8 not Photoshop or a
// CMYK document; 11 for other sample sizes and compressions; 2 no memory;
// 9 stopped.
QZ_EXPORT uint32_t psdDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends a raw 3-channel RGB document of rows fetched as RGB to `out`.
// 1; 7 for a depth other than 24; 6 for a side of 0 or above 30000; 9 stopped.
QZ_EXPORT uint32_t psdEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                             std::vector<uint8_t>& out);

}  // namespace qz::codec
