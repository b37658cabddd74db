// The tools that edit actions already on the undo list (the handle editor,
// the button and crop tools) and the magnify tool: their class ids and the
// methods other modules send them.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kPositionActionToolClassId = 0x17790000;
inline constexpr uint32_t kButtonToolClassId = 0x17820000;
inline constexpr uint32_t kCropToolClassId = 0x177d0000;
inline constexpr uint32_t kMagnifyToolClassId = 0x17750000;
inline constexpr uint32_t kTextToolClassId = 0x17780000;
// Its own id: the one first given to it belongs to the ellipse tool.
inline constexpr uint32_t kTransformToolClassId = 0x17830000;

// The handle editor's mode word: bit 1 replays the layer after each change,
// bit 2 lets a press outside the current action choose another one.
inline constexpr uint32_t kHandleEditorSetMode = 0x1779000a;
inline constexpr uint32_t kHandleEditorGetMode = 0x17790014;
// With a class id set, only actions of that class are chosen by a press.
inline constexpr uint32_t kHandleEditorSetClassFilter = 0x1779001e;
enum : uint32_t { kHandleEditorReplays = 2, kHandleEditorChooses = 4 };

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPositionActionToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPositionActionToolClass(void);
QZ_EXPORT QzWord Qz_InitCropToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupCropToolClass(void);
QZ_EXPORT QzWord Qz_InitMagnifyToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupMagnifyToolClass(void);
QZ_EXPORT QzWord Qz_InitButtonToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupButtonToolClass(void);
QZ_EXPORT QzWord Qz_InitTextToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupTextToolClass(void);
QZ_EXPORT QzWord Qz_InitTransformToolClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupTransformToolClass(void);
QZ_EXTERN_C_END
