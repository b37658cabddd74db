// The settings block each directory of a native layered file carries in its
// private TIFF tag: which part of the document the directory is, and that
// part's settings. Little-endian whatever the file's byte order:
//   0  "Quillantrix" and a zero byte (12 bytes)
//   12 5, 16 1 (32-bit each)
//   20 records: type (32-bit), length counting these 8 bytes, payload.
// Record 1 kind and layer index; 2 paint colour; 4 placement (eighteen 16-bit
// values); 5 opacity and nine blend words (16-bit), edge-mask shape, size,
// softness and invert (32-bit); 3 the mode's object text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/qz_export.h"
#include "qzio/qzio.h"

namespace qzio::native {

inline constexpr uint32_t kBlockTag = 50256;
inline constexpr size_t kMaxBlockBytes = 65535;  // readers of the format count it in 16 bits
inline constexpr size_t kShortBlockBytes = 40;

// Directory kinds.
inline constexpr uint32_t kKindDocument = 1;
inline constexpr uint32_t kKindPaintLayer = 2;
inline constexpr uint32_t kKindImageLayer = 3;
inline constexpr uint32_t kKindLayerMask = 4;
inline constexpr uint32_t kKindLayerPaint = 5;  // the paint layer an image layer holds
inline constexpr uint32_t kKindFirstSource = 6;
inline constexpr uint32_t kKindSecondSource = 7;
inline constexpr uint32_t kKindThumbnail = 8;

// Record types.
inline constexpr uint32_t kRecordKind = 1;
inline constexpr uint32_t kRecordColour = 2;
inline constexpr uint32_t kRecordModeText = 3;
inline constexpr uint32_t kRecordPlacement = 4;
inline constexpr uint32_t kRecordBlend = 5;

// The 40-byte block of the document, the thumbnail and documents used as
// source images.
QZ_EXPORT std::vector<uint8_t> EncodeShortBlock(uint32_t kind, uint32_t layerIndex);
// The block of a layer: records 1, 2, 4, 5 from the settings (their type
// fields are not consulted) and record 3 with modeText when it is not empty
// and the block stays within kMaxBlockBytes (else record 3 is left out).
QZ_EXPORT std::vector<uint8_t> EncodeFullBlock(uint32_t kind, uint32_t layerIndex,
                                               const QZIO_LayerSettings& settings, const std::string& modeText);
// Decodes a block into a zeroed settings record; false when the name field is
// not the format's. Record 3's text lands in *modeText (empty when absent).
QZ_EXPORT bool DecodeBlock(const uint8_t* bytes, size_t size, QZIO_LayerSettings* settings,
                           std::string* modeText);

// The thumbnail's size for a w x h picture within limits W x H.
QZ_EXPORT void ThumbnailSize(uint32_t w, uint32_t h, uint32_t limitW, uint32_t limitH, uint32_t* tw,
                             uint32_t* th);

}  // namespace qzio::native
