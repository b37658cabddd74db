// What the drawing primitives read from objects: the box of the object
// currently drawing, its colours, and the parent chain.
#pragma once

#include <cstdint>

struct Qz_LayoutBox;
struct Qz_Object;

namespace qz::draw {

struct ObjectColours {
  uint32_t base = 0xFFFFFFFFu;  // not set
  uint32_t light = 0;
  uint32_t dark = 0;
};

// The colours Root keeps beside a layout box; a null box has none set.
ObjectColours coloursOfBox(const Qz_LayoutBox* box);
// The object's layout box (Root 0x1008C), or null.
Qz_LayoutBox* boxOf(Qz_Object* object);
// The container recorded in the object's box, or null.
Qz_Object* parentOf(Qz_Object* object);

}  // namespace qz::draw
