// Reading object colours for the drawing primitives. Root keeps the base,
// light and dark colours directly behind the layout box, so the box of the
// object currently drawing (all a drawing info records) leads to them.
#include "objects/draw/draw_colours.h"

#include <cstddef>

#include "objects/object_internal.h"
#include "objects/qz_object.h"

namespace qz::draw {
namespace {

static_assert(offsetof(Qz_RootObject, lightColour) == offsetof(Qz_RootObject, baseColour) + 4 &&
                  offsetof(Qz_RootObject, darkColour) == offsetof(Qz_RootObject, baseColour) + 8,
              "the colours follow one another in Root");

const Qz_RootObject* rootOfBox(const Qz_LayoutBox* box) {
  return reinterpret_cast<const Qz_RootObject*>(reinterpret_cast<const char*>(box) - offsetof(Qz_RootObject, box));
}

}  // namespace

ObjectColours coloursOfBox(const Qz_LayoutBox* box) {
  ObjectColours c;
  if (box == nullptr) return c;
  const Qz_RootObject* root = rootOfBox(box);
  c.base = root->baseColour;
  c.light = root->lightColour;
  c.dark = root->darkColour;
  return c;
}

Qz_LayoutBox* boxOf(Qz_Object* object) {
  if (object == nullptr) return nullptr;
  return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethodA(object, kRootGetLayoutBox, nullptr));
}

Qz_Object* parentOf(Qz_Object* object) {
  Qz_LayoutBox* box = boxOf(object);
  return box != nullptr ? box->parent : nullptr;
}

}  // namespace qz::draw
