// The new-image requester's arithmetic: reading a preset text into a size
// in pixels, and the memory a new document will take.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/qz_export.h"

namespace qz::requesters {

struct PresetSize {
  int32_t width, height;
  int32_t unit;  // the unit to show the fields in; 0 keeps the user's
};

// "640 x 480" (pixels), "4 x 6 Inches" or "100 x 150 mm" (at the resolution
// in dots per inch). None for a text without an "x" or without two numbers
// around it. Read in the C locale.
QZ_EXPORT std::optional<PresetSize> parsePreset(const std::string& text, float resolution);

// Kilobytes a document of that size takes with its first layer of the kind
// (1 paint layer, else image layer).
QZ_EXPORT int64_t newImageMemoryKB(int64_t width, int64_t height, int32_t layerKind);

// "Memory: 2100KB": the label and that size.
QZ_EXPORT std::string memoryText(const char* label, int64_t width, int64_t height, int32_t layerKind);

// The largest side a new image may have.
inline constexpr int32_t kMaxNewImageSide = 65536;

}  // namespace qz::requesters
