// The inspector's viewport class: a scrolled group of a small fixed size.
#pragma once

namespace qz::plugins {

bool addInspectionViewportClass();
void removeInspectionViewportClass();

}  // namespace qz::plugins
