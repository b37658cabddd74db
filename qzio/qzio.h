// The image-file library: image buffers, stream headers, result codes and the
// calls that load, save, convert and copy pixels. Every format is a class of
// the object system named "<format>QZIO" (see qzio/root_qzio.h); the drivers
// below find formats by that name and talk to them through method ids.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/lists.h"
#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Qz_Object;      // an object of the object system
struct Qz_GlobalData;  // the program's global data record
struct Qz_Image;       // the program's image (document or layer)
struct QZIO_Header;

// ---------------------------------------------------------------------------
// Result codes: every identify, load and save step answers one.
inline constexpr uint32_t kQzioSuccess = 1;
inline constexpr uint32_t kQzioNoMemory = 2;
inline constexpr uint32_t kQzioReadError = 3;      // read failed, file too short or corrupt
inline constexpr uint32_t kQzioWriteError = 4;
inline constexpr uint32_t kQzioUnusedCode5 = 5;    // has a message, nothing sends it
inline constexpr uint32_t kQzioBadArguments = 6;   // also: a kind of image the format cannot take
inline constexpr uint32_t kQzioNotHandled = 7;     // RootQZIO's answer to identify and load
inline constexpr uint32_t kQzioNotRecognised = 8;  // not this format; no class of that name
inline constexpr uint32_t kQzioCancelled = 9;      // never shown
inline constexpr uint32_t kQzioCannotOpen = 10;
inline constexpr uint32_t kQzioUnexpectedKind = 11;
inline constexpr uint32_t kQzioCannotSave = 12;    // RootQZIO's answer to save
inline constexpr uint32_t kQzioLastResult = 12;

// ---------------------------------------------------------------------------
// Buffer formats (memory layouts of a buffer's pixels). 2, 5, 6, 7, 10 and 12
// have no layout: allocating them fails.
inline constexpr uint32_t kQzioFormatRGBPlanes = 1;   // three 8-bit planes R, G, B
inline constexpr uint32_t kQzioFormatInterleaved = 3; // R, G, B bytes
inline constexpr uint32_t kQzioFormatPacked = 4;      // pixels of the caller's choosing; bytes per row given
inline constexpr uint32_t kQzioFormatBitplanes = 8;   // depth planes of 1 bit a pixel, MSB first
inline constexpr uint32_t kQzioFormatGrey = 9;        // one grey byte a pixel
inline constexpr uint32_t kQzioFormatIndexed = 11;    // one colourmap index a pixel
inline constexpr uint32_t kQzioFormatFourPlanes = 13; // four 8-bit planes

// Pixel layouts of QZIO_SetBufferData / QZIO_GetBufferData.
inline constexpr uint32_t kQzioLayoutRGB = 3;          // R, G, B
inline constexpr uint32_t kQzioLayoutRGBX = 4;         // R, G, B, fourth byte ignored / left as it was
inline constexpr uint32_t kQzioLayoutRGB565 = 7;       // 16-bit LE: R 11-15, G 5-10, B 0-4 (store only)
inline constexpr uint32_t kQzioLayoutGrey = 9;         // grey: R = G = B
inline constexpr uint32_t kQzioLayoutIndex = 11;       // colourmap index (reading: the green byte)
inline constexpr uint32_t kQzioLayoutBGR = 12;         // B, G, R
inline constexpr uint32_t kQzioLayoutBGRX = 14;        // B, G, R, fourth byte ignored (store only)
inline constexpr uint32_t kQzioLayoutRGBInverseMask = 15;  // R, G, B, 255 - mask (read only)
inline constexpr uint32_t kQzioLayoutRGBMask = 16;     // R, G, B, mask (read only)
inline constexpr uint32_t kQzioLayoutXBGR = 17;        // ignored byte, B, G, R (store only)
inline constexpr uint32_t kQzioLayoutNibbles = 18;     // two indices a byte, high nibble first (store only)

// Flags of the load drivers and of QZIO_SaveBufferA's flags word.
inline constexpr uint32_t kQzioQuiet = 4;         // no requester, no progress display, no error box
inline constexpr uint32_t kQzioIdentifyOnly = 8;  // the buffer comes back without pixel memory
inline constexpr uint32_t kQzioDirectLoad = 0x80; // through the class's own size answer (thumbnails)

// Tags read by the load drivers.
inline constexpr QzWord kQzioTagResult = 7181;  // uint32_t* receiving the result code
inline constexpr QzWord kQzioTagWidth = 7201;   // uint32_t* receiving the width (direct load only)
inline constexpr QzWord kQzioTagHeight = 7211;  // uint32_t* receiving the height (direct load only)

// Limits of automatic detection.
inline constexpr uint32_t kQzioMaxSide = 65536;
inline constexpr uint32_t kQzioMaxDepth = 32;
inline constexpr uint32_t kQzioProbeSize = 512;

// Layer kinds of QZIO_AddLayer.
inline constexpr uint32_t kQzioPlainLayer = 1;
inline constexpr uint32_t kQzioMaskedLayer = 2;  // with an 8-bit grey mask buffer of its size

// ---------------------------------------------------------------------------
// The settings of one layer loaded from the native layered format, as its
// block decodes; a field whose record was absent stays 0, so test each
// record's type field before using it.
typedef struct QZIO_LayerSettings {
  uint32_t kindType, kindLength;
  uint32_t kind;        // which part of the document the picture was
  uint32_t layerIndex;
  uint32_t colourType, colourLength;
  uint8_t red, green, blue, colourPad;  // committed paint colour
  uint32_t placementType, placementLength;
  // Offset x, y (signed); layer width, height; creation width, height; second
  // source rectangle x, y, width, height; second source size w, h; first
  // source rectangle x, y, width, height; first source size w, h.
  uint16_t placement[18];
  uint32_t blendType, blendLength;
  uint16_t opacity;
  uint16_t blend[9];
  uint32_t edgeMaskShape, edgeMaskSize, edgeMaskSoftness, edgeMaskInvert;
  uint32_t modeType, modeLength;
  // The mode in force made from the stored object text, or null. Whoever
  // takes it clears the slot; QZIO_FreeBuffer disposes one left behind.
  Qz_Object* mode;
  // The stored object text itself (NUL-terminated, owned by the buffer), so
  // the settings survive even when no object can be made from it.
  char* modeText;
  uint32_t modeTextLength;
} QZIO_LayerSettings;

// One picture in memory. Allocated zeroed; owned parts are freed with it.
typedef struct QZIO_ImageBuffer {
  Node node;              // links the buffer into another buffer's layer list
  QZIO_Header* header;    // owned
  uint32_t width, height;
  uint32_t depth;         // bits per pixel: 1-8 planes or indices, 8 grey, 24 RGB, up to 32
  uint32_t bytesPerRow;   // 0 before allocation: the allocator computes it
  uint32_t format;        // kQzioFormat...
  uint8_t* pixelMemory;   // the one block of formats 3, 4, 8, 9 and 11 (owned)
  uint8_t* bitplanes[32]; // format 8: plane n's first row
  uint8_t* interleaved;   // format 3
  uint8_t* packed;        // format 4
  uint8_t* red;           // format 1: first row of each plane
  uint8_t* green;
  uint8_t* blue;
  uint8_t* grey;          // format 9
  uint8_t* index;         // format 11
  uint8_t* fourPlanes[4]; // format 13
  struct QZIO_ImageBuffer* firstAttached;   // freed with this buffer
  struct QZIO_ImageBuffer* secondAttached;  // freed with this buffer
  struct QZIO_ImageBuffer* mask;            // a masked layer's grey mask, freed with it
  uint32_t colourmap[256];  // red bits 0-7, green 8-15, blue 16-23
  List layers;              // layer buffers, first = lowest
  // Row tables of the program's image-data allocator: R, G, B of format 1,
  // then the four planes of format 13. Owned; a taker that keeps a table
  // clears its slot.
  uint8_t** planeTables[7];
  Qz_Image* sourceImage;    // the program's image this buffer was built from (saving)
  QZIO_LayerSettings settings;
} QZIO_ImageBuffer;

// The stream record every format reads and writes through. Allocated zeroed.
typedef struct QZIO_Header {
  const char* fileName;    // the final path (also for saves through a temporary file)
  FILE* stream;            // the stream the format reads or writes
  uint8_t* probe;          // the first bytes of the file, zero-padded
  uint32_t probeSize;      // kQzioProbeSize
  uint64_t fileSize;
  char acceptedFormat[256];  // name of the format that accepted the file
  QZIO_ImageBuffer* buffer;
  void* progress;          // progress display, or null for none
  uint32_t progressStep;   // rows between progress updates
  uint32_t wantedTrueColour;  // buffer format wanted for true-colour files (1)
  uint32_t wantedGrey;        // for grey and 1-bit files (9)
  uint32_t wantedColourMapped;  // for colour-mapped files (1)
  uint32_t byteOrder;      // 1: the 2- and 4-byte stream calls use big-endian order
  // Saving only: the descriptor of the temporary file that becomes fileName
  // when the save answers 1; -1 when there is none. A class that opens its
  // file itself (flag 2) writes here, never to fileName; a library that
  // closes what it is given (TIFFFdOpen) gets a dup() of it.
  int saveDescriptor;
  // Loading only: what the user is to be told once the picture is shown (a
  // damaged file opened as far as it could be read); empty for nothing.
  // An automatic load that is not quiet fills it; QZIO_NoticeRequest tells it.
  char notice[512];
} QZIO_Header;

// One per process, returned by QZIO_Init.
typedef struct QZIO_GlobalData {
  uint32_t referenceCount;
  Qz_Object* formatList;      // LinkedList of format names, the order of detection
  Qz_Object* loadersList;     // kept and freed, never read
  Qz_Object* saveFormatList;  // LinkedList holding "JPEG"
  QzWord spare;
  Qz_Object* slot;            // disposed at the last cleanup
} QZIO_GlobalData;

QZ_EXTERN_C_BEGIN

// Starts the library (counted): the first call reads "Data/QZIOList.QzStr".
QZ_EXPORT QZIO_GlobalData* QZIO_Init(Qz_GlobalData* global);
QZ_EXPORT void QZIO_Cleanup(void);

// Detects the format of the file at path and loads it; null on failure (the
// result code goes to the kQzioTagResult tag when given).
QZ_EXPORT QZIO_ImageBuffer* QZIO_AutoLoadBufferA(const char* path, uint32_t flags, const TagItem* tags);
// Loads from a format object that needs no file (clipboard, screen grab).
QZ_EXPORT QZIO_ImageBuffer* QZIO_LoadBufferFromQZIOA(Qz_Object* format, uint32_t flags,
                                                     const TagItem* tags);
// Saves header->buffer to path in the named format (or through the given
// object). Goes through a temporary file: on any answer but 1 the old file
// at path is left untouched. flags may be null; *flags & kQzioQuiet = quiet.
QZ_EXPORT uint32_t QZIO_SaveBufferA(QZIO_Header* header, const char* path, const char* formatName,
                                    Qz_Object* format, uint32_t* flags);

QZ_EXPORT QZIO_ImageBuffer* QZIO_AllocBuffer(uint32_t width, uint32_t height, uint32_t depth,
                                             uint32_t bytesPerRow, uint32_t format);
// 1, or 0 (nothing left allocated) for an unknown format or no memory.
QZ_EXPORT int32_t QZIO_AllocBufferMem(QZIO_ImageBuffer* buffer);
QZ_EXPORT void QZIO_FreeBufferMem(QZIO_ImageBuffer* buffer);
// Frees the buffer, its header, pixels, attached, mask and layer buffers.
QZ_EXPORT void QZIO_FreeBuffer(QZIO_ImageBuffer* buffer);
// A new buffer in the target format (only 1 is produced), or null; the
// source is left alone.
QZ_EXPORT QZIO_ImageBuffer* QZIO_ConvertBufferFormat(QZIO_ImageBuffer* buffer, uint32_t target);
// Store / read a rectangle in a pixel layout. 1, or 0 (nothing moved) for a
// pair of format and layout that is not offered or a rectangle outside the
// buffer.
QZ_EXPORT int32_t QZIO_SetBufferData(QZIO_ImageBuffer* buffer, uint32_t x, uint32_t y, uint32_t width,
                                     uint32_t height, uint32_t bytesPerSourceRow, uint32_t layout,
                                     const void* source);
QZ_EXPORT int32_t QZIO_GetBufferData(QZIO_ImageBuffer* buffer, uint32_t x, uint32_t y, uint32_t width,
                                     uint32_t height, uint32_t bytesPerTargetRow, uint32_t layout,
                                     void* target);
// Writes a grey ramp into the first n colourmap entries; 1.
QZ_EXPORT int32_t QZIO_ComputeBestColourmapA(QZIO_ImageBuffer* buffer, uint32_t colours, QzWord spare,
                                             const TagItem* tags);

// Shows the message of a result code (nothing for 9); the box's answer.
QZ_EXPORT int32_t QZIO_ErrorNumberRequest(uint32_t code);
// Shows a load's notice (QZIO_Header::notice) in the same box; nothing for
// an empty or null text.
QZ_EXPORT void QZIO_NoticeRequest(const char* notice);
// The message text of a result code (a generic text for unknown codes).
QZ_EXPORT const char* QZIO_ErrorText(uint32_t code);
// 0 when the user cancels, else non-zero.
QZ_EXPORT int32_t QZIO_ShowOptionsRequester(Qz_Object* format, Qz_Object* options);
// Appends a new layer buffer to buffer's layer list (kinds 1 and 2); null
// for any other kind or no memory.
QZ_EXPORT QZIO_ImageBuffer* QZIO_AddLayer(QZIO_ImageBuffer* buffer, uint32_t width, uint32_t height,
                                          uint32_t depth, uint32_t format, uint32_t kind, QzWord spare);

// Stream calls on header->stream (stdio semantics). The 2- and 4-byte calls
// use little-endian order, or big-endian when header->byteOrder is 1.
QZ_EXPORT size_t QZIO_ReadData(void* dest, size_t itemSize, size_t count, QZIO_Header* header);
QZ_EXPORT size_t QZIO_WriteData(const void* source, size_t itemSize, size_t count, QZIO_Header* header);
QZ_EXPORT int32_t QZIO_ReadULONG(uint32_t* dest, QZIO_Header* header);  // 1, or 0 (dest untouched)
QZ_EXPORT int32_t QZIO_ReadUWORD(uint16_t* dest, QZIO_Header* header);
QZ_EXPORT int32_t QZIO_ReadUBYTE(uint8_t* dest, QZIO_Header* header);
QZ_EXPORT int32_t QZIO_WriteULONG(uint32_t value, QZIO_Header* header);  // items written
QZ_EXPORT int32_t QZIO_WriteUWORD(uint16_t value, QZIO_Header* header);
QZ_EXPORT int32_t QZIO_WriteUBYTE(uint8_t value, QZIO_Header* header);
// origin 0 start, 1 current, 2 end; 0 on success.
QZ_EXPORT int32_t QZIO_Seek(QZIO_Header* header, int64_t offset, int32_t origin);

// Kept for callers of the older interface: does nothing, returns 0.
QZ_EXPORT int32_t ChunkyTo8Planes(const void* source, uint32_t sourceSize, void* dest, uint32_t destSize);

QZ_EXTERN_C_END

#ifdef __cplusplus
// QZIO_AutoLoadBuffer(path, flags, kQzioTagResult, &result, TAG_DONE)
template <typename... Args>
inline QZIO_ImageBuffer* QZIO_AutoLoadBuffer(const char* path, uint32_t flags, Args... tags) {
  const auto words = qz::packWords(tags...);
  return QZIO_AutoLoadBufferA(path, flags, reinterpret_cast<const TagItem*>(words.data()));
}
template <typename... Args>
inline QZIO_ImageBuffer* QZIO_LoadBufferFromQZIO(Qz_Object* format, uint32_t flags, Args... tags) {
  const auto words = qz::packWords(tags...);
  return QZIO_LoadBufferFromQZIOA(format, flags, reinterpret_cast<const TagItem*>(words.data()));
}
#endif
