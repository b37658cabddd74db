// Where the handles of a point action lie, which one the pointer is over,
// and how dragging one moves the action's points. Plain data in and out, so
// the handle editor and its tests share one definition.
//
// A four-corner action keeps its points in the order top left, top right,
// bottom right, bottom left. Its corner handles lie just outside the
// corners; dragging one moves that corner and the coordinate it shares with
// each neighbour (the corner above or below shares x, the one beside it
// shares y), so the four points stay a rectangle. Its mid-edge handles lie
// just outside the middle of each edge; dragging one moves that edge's two
// corners across it. Any other action has a handle centred on each point,
// which moves that point alone.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/qz_export.h"

namespace qz::tools {

struct HandlePoint {
  int32_t x, y;
  bool operator==(const HandlePoint&) const = default;
};

enum class HandleKind { None, Inside, Point, Corner, Edge };
enum : int32_t { kEdgeTop = 0, kEdgeRight = 1, kEdgeBottom = 2, kEdgeLeft = 3 };

struct HandleHit {
  HandleKind kind = HandleKind::None;
  int32_t index = 0;  // the point, corner or edge
  bool operator==(const HandleHit&) const = default;
};

// Cursor kinds the view turns into pointer shapes.
enum : uint32_t {
  kCursorNone = 0,
  kCursorMove = 1,    // inside the action: the whole action moves
  kCursorPoint = 2,   // on a point's handle
  kCursorEdgeTop = 5, kCursorEdgeRight = 6, kCursorEdgeBottom = 7, kCursorEdgeLeft = 8,
  kCursorTopLeft = 9, kCursorTopRight = 10, kCursorBottomLeft = 11, kCursorBottomRight = 12,
};

// Half the handle size in window pixels; a handle is twice that plus one.
inline constexpr int32_t kHandleHalfSize = 7;

// The handle under (px, py), in the points' coordinates; s is the handle
// size in the same units. Handles come before the inside of the action.
QZ_EXPORT HandleHit hitHandle(std::span<const HandlePoint> points, bool fourCorner, int32_t s, int32_t px, int32_t py);

QZ_EXPORT uint32_t cursorKindOf(const HandleHit& hit);

// The points after dragging the hit handle by (dx, dy) from `original`.
QZ_EXPORT std::vector<HandlePoint> dragHandle(std::span<const HandlePoint> original, bool fourCorner, const HandleHit& hit,
                                    int32_t dx, int32_t dy);

}  // namespace qz::tools
