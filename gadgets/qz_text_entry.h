// Text fields and measurement fields: their method ids and the
// Init/Cleanup functions the built-in class table calls.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

// ---- StringEdit ----
inline constexpr uint32_t kStringEditClassId = 0x1E0000;
inline constexpr uint32_t kStringEditSetText = 0x1E000A;    // also the change notification
inline constexpr uint32_t kStringEditGetText = 0x1E0014;
inline constexpr uint32_t kStringEditSetNumeric = 0x1E001E;
inline constexpr uint32_t kStringEditSetMaxLength = 0x1E0028;
inline constexpr uint32_t kStringEditSetNumber = 0x1E0032;  // also the numeric change notification
inline constexpr uint32_t kStringEditGetNumber = 0x1E003C;
inline constexpr uint32_t kStringEditReadBack = 0x1E005A;   // the editor lost the focus
inline constexpr uint32_t kStringEditGetCursor = 0x1E0064;
inline constexpr uint32_t kStringEditTextBytes = 256;
inline constexpr uint32_t kStringEditDefaultMaxLength = 255;

// ---- MeasurementEdit ----
inline constexpr uint32_t kMeasurementEditClassId = 0x580000;
inline constexpr uint32_t kMeasurementSetUnit = 0x58000A;
inline constexpr uint32_t kMeasurementGetUnit = 0x580014;
inline constexpr uint32_t kMeasurementSetInternalUnit = 0x58001E;
inline constexpr uint32_t kMeasurementGetInternalUnit = 0x580028;
inline constexpr uint32_t kMeasurementSetValue = 0x580032;  // float pattern; also the notification
inline constexpr uint32_t kMeasurementGetValue = 0x58003C;
inline constexpr uint32_t kMeasurementSetResolution = 0x580046;
inline constexpr uint32_t kMeasurementGetResolution = 0x580050;
inline constexpr uint32_t kMeasurementSetWord = 0x58005A;
inline constexpr uint32_t kMeasurementGetWord = 0x580064;
inline constexpr uint32_t kMeasurementUnitChosen = 0x580082;  // every field takes the unit
inline constexpr uint32_t kMeasurementEdited = 0x580096;

// ---- MeasurementUnitsPrefs ----
inline constexpr uint32_t kMeasurementUnitsPrefsClassId = 0x590000;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitStringEditClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupStringEditClass(void);
QZ_EXPORT QzWord Qz_InitMeasurementEditClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupMeasurementEditClass(void);
QZ_EXPORT QzWord Qz_InitMeasurementUnitsPrefsClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupMeasurementUnitsPrefsClass(void);
// The object every measurement field listens to for the user's unit (made
// on first use, disposed when the class is removed).
QZ_EXPORT Qz_Object* Qz_MeasurementUnitsObject(void);
QZ_EXTERN_C_END

QZ_EXTERN_C_BEGIN
// The platform's editor-lost-focus hook for text fields: queues the field's
// read-back on its window's thread (the field is the editor's user data).
QZ_EXPORT void Qz_StringEditFocusLost(void* ownerWindowObject, void* field);
QZ_EXTERN_C_END
