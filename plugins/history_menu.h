// The history pop-ups of the undo panel: how many steps a menu lists and the
// texts of its memory items.
#pragma once

#include <cstdint>
#include <string>

#include "objects/qz_draw_info.h"
#include "platform/qz_export.h"

namespace qz::plugins {

// Steps a history menu lists: half the screen in lines of text, or 10
// without a drawing info to measure by.
QZ_EXPORT uint32_t historyLines(const Qz_DrawInfo* info);

// "<label> (<bytes / 1024> <unit>)", the unit as the menu spells it.
QZ_EXPORT std::string memoryText(const char* label, uint64_t bytes, const char* unit);

}  // namespace qz::plugins
