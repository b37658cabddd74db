// The mode lists of the mode selector: menus of MenuItems, each naming a
// paint mode by its key (the mode class's name without "Mode"), read from
// object-text files.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"
#include "platform/qz_export.h"

namespace qz::plugins {

// Keys of the items that switch between the two lists; never modes.
inline constexpr const char* kShowCompleteList = "(Uncategorised)";
inline constexpr const char* kShowCategorisedList = "(Categorised)";

// A menu item's key: its object name, else its text. Null for anything
// that is not a MenuItem.
QZ_EXPORT const char* modeKeyOf(Qz_Object* item);

// The first item of the list with this key (byte-exact), or null.
QZ_EXPORT Qz_Object* findModeItem(Qz_Object* list, const char* key);

// The text of the key's item in the list, or the key itself when none has it.
QZ_EXPORT const char* shownModeName(Qz_Object* list, const char* key);

// Whether this program has the mode class of the key.
QZ_EXPORT bool modeAvailable(const char* key);

// The mode after (or before) the key's item, wrapping at the ends and
// passing over what is not a mode item (nor, with `available`, a mode it
// refuses); null when the key is not listed or no other mode qualifies.
QZ_EXPORT Qz_Object* stepModeItem(Qz_Object* list, const char* key, bool forward,
                                  bool (*available)(const char* key) = nullptr);

// Disables the items, in the families' columns too, of modes this program
// lacks, so they cannot be chosen.
QZ_EXPORT void disableMissingModes(Qz_Object* list);

// Lays a list out as a menu: a column of items, or the families' columns
// side by side, each a column of its title and items.
QZ_EXPORT void arrangeModeList(Qz_Object* list);

// Whether a menu of `entries` lines fits a screen `screenHeight` high with
// lines `lineHeight` high (padding included).
QZ_EXPORT bool menuFitsScreen(uint32_t entries, int32_t screenHeight, uint32_t lineHeight);

}  // namespace qz::plugins
