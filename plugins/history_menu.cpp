// Sizes and texts of the undo panel's history menus.
#include "plugins/history_menu.h"

#include <algorithm>
#include <cstdio>

#include "platform/windows.h"

namespace qz::plugins {

namespace {
constexpr uint32_t kLinesWithoutDrawInfo = 10;
}

uint32_t historyLines(const Qz_DrawInfo* info) {
  if (!info || !info->screen || info->fontHeight == 0) return kLinesWithoutDrawInfo;
  int32_t height = 0;
  Qz_GetScreenSize(info->screen, nullptr, &height);
  height = std::max(height, 0);
  return uint32_t(height) / 2 / info->fontHeight;
}

std::string memoryText(const char* label, uint64_t bytes, const char* unit) {
  char text[256];
  std::snprintf(text, sizeof text, "%s (%llu %s)", label ? label : "", static_cast<unsigned long long>(bytes >> 10),
                unit);
  return text;
}

}  // namespace qz::plugins
