// The main window's menu bar: bars and drop-down menus built from items,
// separators and sub-menus, each item with a 16-bit id, a label (a tab
// separates the shortcut text, shown right-aligned), an enabled and a check
// state. The bar set with Qz_SetMainMenu is drawn in a strip above the
// desktop; its drop-downs lie over every window. A pick posts class
// 0x10000101 with the item's id to the main object's window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/qz_export.h"

struct QzMenu;

QZ_EXTERN_C_BEGIN

// An empty bar or drop-down; NULL when out of memory.
QZ_EXPORT QzMenu* Qz_CreateMenu(void);
// Lets go of the handle; a menu still used as another's sub-menu lives on there.
QZ_EXPORT void Qz_DestroyMenu(QzMenu* menu);
// Appends to the menu; 1, or 0 for a NULL menu.
QZ_EXPORT int32_t Qz_AppendMenuItem(QzMenu* menu, uint16_t id, const char* label);
QZ_EXPORT int32_t Qz_AppendMenuSeparator(QzMenu* menu);
// The sub-menu may hang in several menus (one Edit menu for two bars).
QZ_EXPORT int32_t Qz_AppendSubMenu(QzMenu* menu, QzMenu* subMenu, const char* title);
// The item with that id, looked for through the sub-menus; each answers 1
// when it found one, else 0.
QZ_EXPORT int32_t Qz_EnableMenuItem(QzMenu* menu, uint16_t id, int32_t enabled);
QZ_EXPORT int32_t Qz_CheckMenuItem(QzMenu* menu, uint16_t id, int32_t checked);
QZ_EXPORT int32_t Qz_SetMenuItemLabel(QzMenu* menu, uint16_t id, const char* label);
// Bit 1 enabled, bit 2 checked; -1 when there is no such item.
QZ_EXPORT int32_t Qz_GetMenuItemState(QzMenu* menu, uint16_t id);
// The item is enabled, each time one of the menu's drop-downs opens, exactly
// when the clipboard holds a picture.
QZ_EXPORT void Qz_SetPasteMenuItem(QzMenu* menu, uint16_t id);
// The bar shown in the strip (NULL: an empty strip); open drop-downs close.
QZ_EXPORT void Qz_SetMainMenu(QzMenu* bar);
QZ_EXPORT QzMenu* Qz_GetMainMenu(void);
// Shows the bar's changed labels and states.
QZ_EXPORT void Qz_DrawMenuBar(void);

QZ_EXTERN_C_END

namespace qz::menus {

// The menu as text, one line per entry, sub-menus indented by two spaces:
// "<id> <label>" with " [grey]" and " [check]" as they apply, "-" for a
// separator, "> <title>" for a sub-menu.
QZ_EXPORT std::string dump(QzMenu* menu);
// Waits until the clipboard look-ups asked for by opening drop-downs are done.
QZ_EXPORT void settlePasteCheck();
// True while a drop-down is open.
QZ_EXPORT bool dropDownOpen();

}  // namespace qz::menus
