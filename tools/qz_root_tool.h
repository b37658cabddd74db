// The tool family: RootTool's method ids (every tool answers them through
// its RootTool instance) and DrawTool's own, with the input-event codes a
// tool reads.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kRootToolClassId = 0x17710000;
inline constexpr uint32_t kDrawToolClassId = 0x17720000;

inline constexpr uint32_t kToolSetOptions = 0x17710028;
inline constexpr uint32_t kToolGetOptions = 0x17710029;
inline constexpr uint32_t kToolShowOptionsPanel = 0x17710032;
inline constexpr uint32_t kToolHideOptionsPanel = 0x1771003c;
inline constexpr uint32_t kToolSetBrushOutline = 0x17710014;
inline constexpr uint32_t kToolGetBrushOutline = 0x1771000a;
inline constexpr uint32_t kToolSetCursorKind = 0x17710046;
inline constexpr uint32_t kToolGetCursorKind = 0x17710050;
inline constexpr uint32_t kToolInputMethod = 0x1771001e;
inline constexpr uint32_t kToolActivate = 0x100e6;
inline constexpr uint32_t kToolDeactivate = 0x100f0;
inline constexpr uint32_t kToolDrawsHandles = 0x138900d2;

inline constexpr uint32_t kDrawToolSetActionTag = 0x1772000a;
inline constexpr uint32_t kDrawToolGetActionTag = 0x17720014;

// Result of the input method: the tool dealt with the event.
inline constexpr QzWord kToolInputDone = 2;
// Cursor kind of the painting tools.
inline constexpr uint32_t kToolCursorPaint = 3;

// Stroke flags of a DrawTool stroke (the RootAction's flags).
enum : uint32_t { kDrawFreehand = 2, kDrawFilled = 64 };

// The options panel a relayout is asked of (RootPlugin).
inline constexpr uint32_t kPanelRelayout = 0x3e8008c;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRootToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupRootToolClass(void);
QZ_EXPORT QzWord Qz_InitDrawToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupDrawToolClass(void);
QZ_EXPORT QzWord Qz_InitLineToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupLineToolClass(void);
QZ_EXPORT QzWord Qz_InitRectangleToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupRectangleToolClass(void);
QZ_EXPORT QzWord Qz_InitEllipseToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupEllipseToolClass(void);
QZ_EXPORT QzWord Qz_InitFillToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupFillToolClass(void);
QZ_EXPORT QzWord Qz_InitCurveToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupCurveToolClass(void);
QZ_EXPORT QzWord Qz_InitPolygonToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPolygonToolClass(void);
QZ_EXPORT QzWord Qz_InitSymmetryToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupSymmetryToolClass(void);
QZ_EXPORT QzWord Qz_InitColourPickerToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupColourPickerToolClass(void);
QZ_EXPORT QzWord Qz_InitPositionToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPositionToolClass(void);
QZ_EXPORT QzWord Qz_InitCloneToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupCloneToolClass(void);
QZ_EXTERN_C_END
