// The curve editor (LUTEdit) and the lookup-table record it shares with the
// histogram panel: ranges, entry width and the tables of 8-, 16- or 32-bit
// entries, each with its length so no entry is read or written outside it.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

struct RastPort;

inline constexpr uint32_t kLutEditClassId = 0x500000;
inline constexpr uint32_t kLutEditSetMinX = 0x50000A;
inline constexpr uint32_t kLutEditGetMinX = 0x500014;
inline constexpr uint32_t kLutEditSetMaxX = 0x50001E;
inline constexpr uint32_t kLutEditGetMaxX = 0x500028;
inline constexpr uint32_t kLutEditSetMinY = 0x500032;
inline constexpr uint32_t kLutEditGetMinY = 0x50003C;
inline constexpr uint32_t kLutEditSetMaxY = 0x500046;
inline constexpr uint32_t kLutEditGetMaxY = 0x500050;
inline constexpr uint32_t kLutEditGetTable = 0x50005A;
inline constexpr uint32_t kLutEditSetEntry = 0x500064;  // index, value
inline constexpr uint32_t kLutEditGetEntry = 0x50006E;  // index
// Not in the interface's list: lets the owner hand over its tables.
inline constexpr uint32_t kLutEditGetRecord = 0x500078;

struct QzLutTable {
  int32_t minX = 0, minY = 0, maxX = 255, maxY = 255;
  int32_t width = 1;  // entry width in bytes: 1, 2 or 4
  uint8_t* table8 = nullptr;
  uint16_t* table16 = nullptr;
  uint32_t* table32 = nullptr;
  uint32_t length = 0;  // entries in each table present (set by the owner)
};

QZ_EXTERN_C_BEGIN
// Stores value (truncated to the width) at index: 1; -1 when the table of
// the width is missing; 0 for another width or an index outside the table.
QZ_EXPORT int32_t Qz__SetLUTEntry(QzLutTable* lut, int32_t index, uint32_t value);
// The entry, or -1 when the table is missing, the width is not 1, 2 or 4 or
// the index lies outside the table.
QZ_EXPORT int64_t Qz__GetLUTEntry(const QzLutTable* lut, int32_t index);
// Clears the box to pen 0.
QZ_EXPORT void Qz__ClearHistogramArea(struct RastPort* rp, int32_t left, int32_t top, int32_t width, int32_t height);
QZ_EXPORT QzWord Qz_InitLUTEditClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupLUTEditClass(void);
QZ_EXTERN_C_END

namespace qz::lut {

struct Point {
  int32_t x, y;
};
struct Area {
  int32_t left, top, width, height;
};
// Where a handle (x, y) is drawn in the area: x grows right, y up.
QZ_EXPORT Point screenPoint(const QzLutTable& lut, Area area, Point handle);
// The control handle for a pointer dragged to (px, py), clamped into the ranges.
QZ_EXPORT Point dragControl(const QzLutTable& lut, Area area, int32_t px, int32_t py);

}  // namespace qz::lut
