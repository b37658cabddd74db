// QZIOOptions: the "File Format" group of the save requesters and the batch
// window: a pop-up of the formats offered for saving with the chosen
// format's option gadgets below it, and a file-name field whose extension
// follows the format.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kQzioOptionsClassId = 0x3E80016;
inline constexpr uint32_t kQzioOptionsReset = 0x3E80020;          // format name: fill and choose
inline constexpr uint32_t kQzioOptionsFormatName = 0x3E8002A;     // the chosen format's name
inline constexpr uint32_t kQzioOptionsSetNameField = 0x3E80034;   // a StringEdit or null
inline constexpr uint32_t kQzioOptionsNameFieldSlot = 0x4E00BE;   // address of the field slot
inline constexpr uint32_t kQzioOptionsFormatObject = 0x3E8003E;   // the chosen format object
inline constexpr uint32_t kQzioOptionsSetResizeWindow = 0x3E80048;
// The word handed to every format object made (as its save buffer,
// QZIO_ImageBuffer*): the buffer a save requester is about to write, or 0.
inline constexpr uint32_t kQzioOptionsSetSaveBuffer = 7221;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitQZIOOptionsClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupQZIOOptionsClass(void);
// Shows a format's options group in a modal requester over the screen; 1
// when the user accepts (the image-file library's options hook).
QZ_EXPORT int32_t Qz_ShowFormatOptions(const char* title, Qz_Object* format, Qz_Object* options);
QZ_EXTERN_C_END
