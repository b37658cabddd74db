// Pointer shapes of gadgets: several shape numbers share one pointer, and a
// window is told only when its pointer actually changes.
#include <cstdint>

#include "objects/draw/qz_draw.h"
#include "platform/windows.h"

namespace {

// The pointer a shape number shows; 0 is the arrow.
int32_t pointerOf(int32_t shape) {
  switch (shape) {
    case 1: case 2: case 3: case 4: return shape;  // move, busy, cross, text beam
    case 5: case 6: return 5;                      // west-east sizing
    case 7: case 8: return 7;                      // north-south sizing
    case 9: case 12: return 9;                     // north-west/south-east sizing
    case 10: case 11: return 10;                   // north-east/south-west sizing
    default: return 0;
  }
}

}  // namespace

QZ_EXTERN_C_BEGIN

int32_t Qz_SetCursor(struct Window* window, int32_t shape) {
  if (window == nullptr) return 0;
  const int32_t pointer = pointerOf(shape);
  if (static_cast<int32_t>(reinterpret_cast<intptr_t>(window->Cursor)) != pointer)
    Qz_SetHostCursor(window, pointer);
  return 1;
}

QZ_EXTERN_C_END
