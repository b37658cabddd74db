// Library-private helpers shared by the modules of the image-file library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "qzio/qzio.h"

namespace qzio {

// Bytes per row a format uses when none is given; 0 for a format without a
// layout (or a format 4 buffer, which must be given one).
uint32_t DefaultBytesPerRow(uint32_t format, uint32_t width);

// QZIO_AllocBufferMem without the error box: the drivers show the code once.
bool AllocBufferMemQuiet(QZIO_ImageBuffer* buffer);
// A zeroed buffer with an empty layer list and no pixels; null without memory.
QZIO_ImageBuffer* NewBuffer();
QZIO_ImageBuffer* AllocBufferQuiet(uint32_t width, uint32_t height, uint32_t depth, uint32_t bytesPerRow,
                                   uint32_t format);

// One 8-bit plane as the program's image-data allocator lays it out: a row
// table followed by rows padded to 64 bytes; null without memory.
uint8_t** AllocPlane(uint32_t width, uint32_t rows);
void FreePlane(uint8_t** plane);

// The mask byte layouts 15 and 16 read at buffer position (x, y), or -1 when
// the buffer's source image has no mask (the byte is then 255).
int MaskByteAt(const QZIO_ImageBuffer* buffer, uint32_t x, uint32_t y);

void DisposeObject(Qz_Object* object);  // null allowed

// The program's thumbnail limits; the arguments are left alone without them.
void ThumbnailLimits(uint32_t* width, uint32_t* height);
// An object tree made from object text, or null.
Qz_Object* CreateObjectFromText(const std::string& text);
// The object text of an object, or empty when it cannot be stored.
std::string StoreObjectAsText(Qz_Object* object);

// The catalogue text n, or fallback when there is no catalogue.
const char* CatalogText(uint32_t number, const char* fallback);

// Progress display and message box through the installed hooks.
void* BeginProgress(const char* title, const char* text);
bool SetProgress(void* display, uint32_t done, uint32_t total);  // false: stop requested
void EndProgress(void* display);

// Checked size arithmetic: false when the product does not fit in 64 bits.
inline bool MulSize(uint64_t a, uint64_t b, uint64_t* out) {
  return !__builtin_mul_overflow(a, b, out);
}

}  // namespace qzio
