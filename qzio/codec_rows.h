// The row interface between the library codecs (JPEG, PNG, TIFF, BMP) and
// whatever holds the pixels: a format class's image buffer, or a test's
// plain image. Codecs speak in rows and the buffer's pixel layout numbers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/qz_export.h"

namespace qz::codec {

// Answers of the format methods; the same numbers the library's drivers show.
inline constexpr uint32_t kOk = 1;
inline constexpr uint32_t kNoMemory = 2;
inline constexpr uint32_t kReadError = 3;
inline constexpr uint32_t kWriteFailed = 4;
inline constexpr uint32_t kBadArguments = 6;
inline constexpr uint32_t kNotHandled = 7;
inline constexpr uint32_t kNotThisFormat = 8;
inline constexpr uint32_t kCancelled = 9;
inline constexpr uint32_t kCannotOpen = 10;
inline constexpr uint32_t kUnexpectedKind = 11;  // a picture of a kind the loader cannot take

// Pixel layouts of one row, numbered as the image buffer's layouts.
inline constexpr uint32_t kLayoutRGB = 3;       // R, G, B
inline constexpr uint32_t kLayoutRGBX = 4;      // R, G, B, fourth byte ignored on store
inline constexpr uint32_t kLayoutGrey = 9;      // one grey byte
inline constexpr uint32_t kLayoutIndex = 11;    // one colourmap index byte
inline constexpr uint32_t kLayoutBGR = 12;      // B, G, R
inline constexpr uint32_t kLayoutRGBMask = 16;  // R, G, B, the source image's mask byte
// Not a buffer layout: a 1-bit row, most significant bit first, copied
// straight into the first bitplane of a bitplane buffer.
inline constexpr uint32_t kLayoutBits = 0x100;
// The same for bitplane n (0 to 31); plane 0 is kLayoutBits.
inline constexpr uint32_t kLayoutPlane(uint32_t n) { return kLayoutBits + n; }
inline constexpr bool isPlaneLayout(uint32_t layout) { return layout >= kLayoutBits && layout < kLayoutBits + 32; }

// Largest side any codec accepts; the library refuses bigger pictures anyway.
inline constexpr uint32_t kMaxSide = 65536;

// True when a file of fileBytes can hold a picture whose data takes
// pictureBytes, at best mostBytesPerByte of it in each byte of the file. A
// loader checks this before the picture's buffer is made, so a few damaged
// bytes claiming a huge picture are refused instead of costing gigabytes.
inline bool fileCanHold(uint64_t pictureBytes, uint64_t mostBytesPerByte, uint64_t fileBytes) {
  return pictureBytes / mostBytesPerByte <= fileBytes;
}

// What a decoder found in a file's header.
enum class PixelKind : uint8_t { TrueColour, Grey, ColourMapped, Bitplane };

struct ImageInfo {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t depth = 0;  // bits per pixel as the buffer records it
  PixelKind kind = PixelKind::TrueColour;
  uint32_t bitplaneBytesPerRow = 0;  // Bitplane only
  uint32_t colourCount = 0;          // entries of colourmap in use
  // Entry i = red | green << 8 | blue << 16, as the buffer's colourmap.
  std::array<uint32_t, 256> colourmap{};
};

// The header of a picture decoded to 24-bit true colour.
inline ImageInfo trueColourInfo(uint32_t width, uint32_t height) {
  ImageInfo info;
  info.width = width;
  info.height = height;
  info.depth = 24;
  return info;
}

// Receives decoded rows (top row is 0) and hands back stored rows for
// decoders that merge passes. Every call may come many times per picture.
class PixelRows {
 public:
  virtual ~PixelRows() = default;
  // Stores row y, `width` pixels in `layout`; false when it cannot be stored.
  virtual bool store(uint32_t y, uint32_t layout, const uint8_t* row) = 0;
  // Reads row y back in `layout` (RGB, RGBX, BGR or RGB + mask); false when
  // the buffer cannot give that layout.
  virtual bool fetch(uint32_t y, uint32_t layout, uint8_t* row) = 0;
  // Called once per row with the rows done so far; false asks to stop.
  virtual bool progress(uint32_t done, uint32_t total) = 0;
  // Colour-mapped decoders give their colourmap before the first row
  // (entries as ImageInfo::colourmap).
  virtual void setColourmap(const uint32_t* entries, uint32_t count) {
    (void)entries;
    (void)count;
  }
};

}  // namespace qz::codec
