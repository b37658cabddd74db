// The media family: method ids of RootMedia (which AirBrushMedia and
// ImageMedia answer through it), the stroke message the tools' actions send,
// and the two stroke functions that lay a line or a curve as dabs.
#pragma once

#include <cstdint>

#include "image/qz_image.h"
#include "objects/qz_object.h"

inline constexpr uint32_t kRootMediaClassId = 0x801;
inline constexpr uint32_t kAirBrushMediaClassId = 0x802;
inline constexpr uint32_t kImageMediaClassId = 0x803;

// Attributes stored as object text, in table order.
inline constexpr uint32_t kMediaSetShapeName = 0x11012c;
inline constexpr uint32_t kMediaGetShapeName = 0x11012d;
inline constexpr uint32_t kMediaSetAlphaName = 0x1101a4;
inline constexpr uint32_t kMediaGetAlphaName = 0x1101ae;
inline constexpr uint32_t kMediaSize = 0x110014;
inline constexpr uint32_t kMediaGetSizeValue = 0x11001e;
inline constexpr uint32_t kMediaPressure = 0x110028;
inline constexpr uint32_t kMediaGetPressureValue = 0x110032;
inline constexpr uint32_t kMediaSetFreehand = 0x110168;
inline constexpr uint32_t kMediaGetFreehand = 0x110172;
inline constexpr uint32_t kMediaSetSmear = 0x11017c;
inline constexpr uint32_t kMediaGetSmear = 0x110186;
inline constexpr uint32_t kMediaSetImageMode = 0x110190;
inline constexpr uint32_t kMediaGetImageMode = 0x11019a;
inline constexpr uint32_t kMediaSetJitter = 0x1101b8;
inline constexpr uint32_t kMediaGetJitter = 0x1101c2;
inline constexpr uint32_t kMediaSetFlags = 0x1101f4;
inline constexpr uint32_t kMediaGetFlags = 0x1101fe;
inline constexpr uint32_t kMediaSetModeName = 0x110208;
inline constexpr uint32_t kMediaGetModeName = 0x110212;

// Methods without script names.
inline constexpr uint32_t kMediaStrokeMessage = 0x110050;
inline constexpr uint32_t kMediaSetBrushImage = 0x110136;
inline constexpr uint32_t kMediaGetBrushImage = 0x110140;
inline constexpr uint32_t kMediaAllocBrush = 0x11014a;
inline constexpr uint32_t kMediaFreeBrush = 0x110154;
inline constexpr uint32_t kMediaRenderBrush = 0x11015e;
inline constexpr uint32_t kMediaGetBrushWidth = 0x1101d6;
inline constexpr uint32_t kMediaGetBrushHeight = 0x1101ea;
inline constexpr uint32_t kMediaSetShapeImage = 0x11021c;
inline constexpr uint32_t kMediaSetAlphaImage = 0x110226;

// The stroke message is the method's argument words themselves: kind, image,
// layer, button, flags, then the points and the tablet sample.
// Stroke message kinds (word 0); 0 ends a stroke.
inline constexpr uint32_t kStrokeEnd = 0;
inline constexpr uint32_t kStrokeLine = 0x110064;
inline constexpr uint32_t kStrokeCurve = 0x11006e;
inline constexpr uint32_t kStrokeDab = 0x1100aa;

// Stroke flags (word 4).
enum : uint32_t { kStrokeFlagQuiet = 1, kStrokeFlagCurvePart = 2 };

// Button word (3): 0 ends a stroke, 1 paints, anything else erases.
inline constexpr uint32_t kStrokeButtonPaint = 1;

// Limits of a brush side: a size outside is taken as the nearest.
inline constexpr int32_t kMediaMinSide = 1;
inline constexpr int32_t kMediaMaxSide = 4096;

QZ_EXTERN_C_BEGIN

// Lays the dabs of one segment (layer pixels) through the document's media
// and marks the touched rectangle. `tablet` points at a sample whose first
// word is the pressure 0..255, or is null.
QZ_EXPORT void Qz__DrawMediaLine(Qz_Image* image, Qz_Image* layer, uint32_t button, uint32_t flags,
                                 int32_t x0, int32_t y0, int32_t x1, int32_t y1, const void* tablet);
// Lays the quadratic curve from (x0, y0) through (x1, y1) to (x2, y2) as 20 lines.
QZ_EXPORT void Qz__DrawMediaCurve(Qz_Image* image, Qz_Image* layer, uint32_t button, uint32_t flags,
                                  int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                                  int32_t y2, const void* tablet);

QZ_EXPORT QzWord Qz_InitRootMediaClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupRootMediaClass(void);
QZ_EXPORT QzWord Qz_InitAirBrushMediaClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupAirBrushMediaClass(void);
QZ_EXPORT QzWord Qz_InitImageMediaClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupImageMediaClass(void);

QZ_EXTERN_C_END
