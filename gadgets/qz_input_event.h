// The record a window's event thread hands to HandleIDCMP (Root 0x10050):
// one input message, with the pointer in the window's outer-frame
// coordinates (the coordinates every gadget box is placed in).
#pragma once

#include <cstdint>

struct Window;
struct QzTabletData;

struct Qz_InputEvent {
  struct Window* window;
  uint32_t cls;
  uint32_t code;
  uint16_t qualifier;
  uint32_t seconds;
  int16_t refreshLeft, refreshTop;
  int16_t mouseX, mouseY;
  uint32_t pressure;      // tablet messages only
  uint32_t tabletCursor;  // tablet messages only
  QzTabletData* tablet;   // NULL unless a tablet message
};
