// The tip of the day's state file: "tip,show" (the tip to show next, 1 to
// show the window at start, 0 not to), and the stepping through the tips.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::tips {

struct TipState {
  int32_t tip = 0;
  bool show = true;
};

// A missing or unreadable file gives tip 0, shown at start.
QZ_EXPORT TipState readTipState(const char* path);
QZ_EXPORT bool writeTipState(const char* path, int32_t tip, bool show);
// A stored number from an older tips file may lie outside this one's tips.
QZ_EXPORT int32_t clampTip(int32_t tip, int32_t count);
// The tip after this one, the first after the last.
QZ_EXPORT int32_t nextTip(int32_t tip, int32_t count);

}  // namespace qz::tips
