// The class body the line, rectangle and ellipse tools share: a RootTool
// subclass with one tool-bar button (two variants, outlined and filled, where
// the shape has an inside) whose input is a shape drag.
#pragma once

#include <cstdint>

#include "objects/qz_class_kit.h"
#include "tools/shape_drag.h"

namespace qz::tools {

struct ShapeToolTraits {
  Shape shape;
  uint32_t tip;  // catalogue number, 0 for none
  const char* const* pictures;
  uint32_t pictureCount;
  bool hasFilledVariant;
};

// A shape tool's class declaration; traits must outlive the class.
qz::kit::ClassDecl shapeToolClass(const char* name, uint32_t classId, const ShapeToolTraits& traits);

}  // namespace qz::tools
