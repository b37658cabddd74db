// The tool-bar button every tool holds: its pictures and tool tip, wired so
// that choosing it activates the tool, and lit whenever the tool is active,
// whoever made it so.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "objects/qz_object.h"
#include "platform/qz_export.h"

namespace qz::tools {

// Adds the button to the tool's RootTool group; with states, the button's
// state changes are sent to the tool too. None when it could not be made.
QZ_EXPORT Qz_Object* addToolButton(Qz_Object* tool, uint32_t tip, std::span<const char* const> pictures,
                                   bool withStates = false);
inline Qz_Object* addToolButton(Qz_Object* tool, uint32_t tip, std::initializer_list<const char*> pictures) {
  return addToolButton(tool, tip, std::span<const char* const>(pictures.begin(), pictures.size()));
}
// Passes activation or deactivation (id) to the tool's RootTool and lights or darkens the button.
QZ_EXPORT QzWord activateWithButton(Qz_Object* tool, Qz_Object* button, uint32_t id, const QzWord* args);

}  // namespace qz::tools
