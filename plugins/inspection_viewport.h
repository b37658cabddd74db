// The inspector's viewport class: a scrolled group of a small fixed size
// round the magnified view, marking the inspected pixel on it.
#pragma once

#include <cstdint>

namespace qz::plugins {

// Viewport method, on its window's thread: mark the image pixel (x, y) of
// the view inside, taking the previous mark away.
inline constexpr uint32_t kViewportMark = 0x5E1000A;

bool addInspectionViewportClass();
void removeInspectionViewportClass();

}  // namespace qz::plugins
