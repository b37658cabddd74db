// Screen: the object at the top of the window tree. Its members are the
// application's Window objects; it obtains the platform screen when opened,
// keeps the screen title and public name, and turns menu commands into the
// notification 0x4601CC.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kScreenClassId = 0x460000;
inline constexpr uint32_t kScreenClose = 0x46000A;
inline constexpr uint32_t kScreenOpen = 0x460014;        // 1 when a platform screen was obtained
inline constexpr uint32_t kScreenSetTitle = 0x460028;
inline constexpr uint32_t kScreenGetTitle = 0x460032;
inline constexpr uint32_t kScreenSetPubName = 0x46003C;
inline constexpr uint32_t kScreenGetPubName = 0x460046;
inline constexpr uint32_t kScreenSetType = 0x4600F0;     // 0/1 public screen, 2 own screen
inline constexpr uint32_t kScreenGetType = 0x4600FA;
inline constexpr uint32_t kScreenSetValue1 = 0x460104;
inline constexpr uint32_t kScreenGetValue1 = 0x46010E;
inline constexpr uint32_t kScreenSetValue2 = 0x460140;
inline constexpr uint32_t kScreenGetValue2 = 0x46014A;
inline constexpr uint32_t kScreenSetValue3 = 0x460154;
inline constexpr uint32_t kScreenGetValue3 = 0x46015E;
inline constexpr uint32_t kScreenSetWidth = 0x460168;
inline constexpr uint32_t kScreenGetWidth = 0x460172;
inline constexpr uint32_t kScreenSetHeight = 0x46017C;
inline constexpr uint32_t kScreenGetHeight = 0x460186;
inline constexpr uint32_t kScreenSetDepth = 0x460190;
inline constexpr uint32_t kScreenGetDepth = 0x46019A;
inline constexpr uint32_t kScreenSetDisplay = 0x4601A4;
inline constexpr uint32_t kScreenGetDisplay = 0x4601AE;
inline constexpr uint32_t kScreenGetPlatformScreen = 0x4601B8;
inline constexpr uint32_t kScreenSetMenu = 0x4601C2;
inline constexpr uint32_t kScreenMenuCommand = 0x4601CC;  // menu id

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitScreenClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupScreenClass(void);
QZ_EXTERN_C_END
