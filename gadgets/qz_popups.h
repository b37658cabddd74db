// Pop-ups, pop-up lists, tool palettes and menus: their method ids,
// notifications and the Init/Cleanup functions the built-in class table calls.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

// ---- PopUp ----
inline constexpr uint32_t kPopUpClassId = 0xC0000;
inline constexpr uint32_t kPopUpChildrenInPopUp = 0xC000A;  // byte
inline constexpr uint32_t kPopUpSetPlacement = 0xC0014;     // word
inline constexpr uint32_t kPopUpChosen = 0xC0064;           // method and notification: the chosen object
inline constexpr uint32_t kPopUpOpening = 0xC0082;          // notification: address of the chosen-object slot
inline constexpr uint32_t kPopUpClosed = 0xC006E;           // notification: the shown object
inline constexpr uint32_t kPopUpSetXOffset = 0x90190;
inline constexpr uint32_t kPopUpSetYOffset = 0x9019A;

// ---- PopUpList ----
inline constexpr uint32_t kPopUpListClassId = 0x290000;
inline constexpr uint32_t kPopUpListSetIndex = 0x2019A;       // also the notification
inline constexpr uint32_t kPopUpListGetIndex = 0x201A4;
inline constexpr uint32_t kPopUpListGetEntry = 0x290014;
inline constexpr uint32_t kPopUpListSetEntry = 0x29001E;      // also the notification: the entry
inline constexpr uint32_t kPopUpListSetFlags = 0x290028;
inline constexpr uint32_t kPopUpListOpensBelow = 0x2;

// ---- PopUpToolList ----
inline constexpr uint32_t kPopUpToolListClassId = 0x410000;
inline constexpr uint32_t kPopUpToolListChosen = 0x41001E;   // notification: the tool button

// ---- Menu, MenuBar, MenuItem ----
inline constexpr uint32_t kMenuClassId = 0x4F0000;
inline constexpr uint32_t kMenuSetTitle = 0x18001E;
inline constexpr uint32_t kMenuGetTitle = 0x180028;
inline constexpr uint32_t kMenuBarClassId = 0x4B0000;
inline constexpr uint32_t kMenuItemClassId = 0x180000;
inline constexpr uint32_t kMenuItemSetPicture = 0x18000A;
inline constexpr uint32_t kMenuItemSetText = 0x18001E;
inline constexpr uint32_t kMenuItemGetText = 0x180028;
inline constexpr uint32_t kMenuItemSetShortcut = 0x180032;  // character
inline constexpr uint32_t kMenuItemSetMenu = 0x18005A;
inline constexpr uint32_t kMenuItemSetCheck = 0x180078;
inline constexpr uint32_t kMenuItemGetCheck = 0x180082;
inline constexpr uint32_t kMenuItemCheckable = 0x1;
inline constexpr uint32_t kMenuItemChecked = 0x2;

// ---- ShortcutKey ----
inline constexpr uint32_t kShortcutKeyClassId = 0x4A0000;
inline constexpr uint32_t kShortcutKeySetKey = 0x4A000A;
inline constexpr uint32_t kShortcutKeyGetKey = 0x4A0014;
inline constexpr uint32_t kShortcutKeySetQualifier = 0x4A001E;
inline constexpr uint32_t kShortcutKeyGetQualifier = 0x4A0028;
inline constexpr uint32_t kShortcutKeySetTarget = 0x4A0032;
inline constexpr uint32_t kShortcutKeyGetTarget = 0x4A003C;
inline constexpr uint32_t kShortcutKeySetMethod = 0x4A005A;
inline constexpr uint32_t kShortcutKeyGetMethod = 0x4A0064;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPopUpClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPopUpClass(void);
QZ_EXPORT QzWord Qz_InitPopUpListClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPopUpListClass(void);
QZ_EXPORT QzWord Qz_InitPopUpToolListClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPopUpToolListClass(void);
QZ_EXPORT QzWord Qz_InitMenuClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupMenuClass(void);
QZ_EXPORT QzWord Qz_InitMenuBarClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupMenuBarClass(void);
QZ_EXPORT QzWord Qz_InitMenuItemClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupMenuItemClass(void);
QZ_EXPORT QzWord Qz_InitShortcutKeyClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupShortcutKeyClass(void);
QZ_EXTERN_C_END
