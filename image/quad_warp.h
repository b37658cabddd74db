// Moving a rectangle of pixels onto a quadrilateral: the projective map that
// takes the rectangle's corners to the four given points (so a move, a
// stretch, a mirror, a turn and a perspective are one operation). The
// rectangle is lifted out, leaving zero behind, and each covered pixel is
// the average of 4 x 4 samples read nearest from the lifted pixels, so
// whole-pixel moves and whole-number stretches copy bytes exactly.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "image/qz_image.h"
#include "platform/qz_export.h"

namespace qz {

struct WarpRect {
  int32_t x, y, width, height;  // the far edges x + width, y + height are outside
};

struct WarpPoint {
  int32_t x, y;
};

class QZ_EXPORT QuadWarp {
 public:
  // The corners go clockwise from the rectangle's top left: (x, y),
  // (x + w, y), (x + w, y + h), (x, y + h). None for an empty rectangle or
  // a quadrilateral that is not convex (crossed, folded or flat).
  static std::optional<QuadWarp> make(const WarpRect& from, const std::array<WarpPoint, 4>& to);

  // The corners are the rectangle's own: nothing would move.
  bool identity() const { return identity_; }

  // Warps planes of width x height whose pixel (0, 0) is at (originX,
  // originY) in the coordinates of the rectangle and corners; planes that
  // are null are skipped. False when the memory for the lifted pixels
  // cannot be had (the planes unchanged).
  bool apply(std::span<const Qz_Plane> planes, int32_t width, int32_t height, int32_t originX,
             int32_t originY) const;

 private:
  QuadWarp(const WarpRect& from, const std::array<WarpPoint, 4>& to);

  WarpRect from_;
  std::array<WarpPoint, 4> to_;
  double inverse_[9];  // picture point to unit-square point, homogeneous
  bool identity_;
};

}  // namespace qz
