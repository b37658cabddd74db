// InspectionViewport: the inspector's scrolled window onto its magnified
// view. A scrolled group would ask for the whole magnified picture as its
// size; the viewport asks for a small square and grows only in width, so the readout below it stays
// in sight, and scrolls the picture inside.
#include "plugins/inspection_viewport.h"

#include <algorithm>

#include "gadgets/qz_group.h"
#include "objects/qz_class_kit.h"

namespace {

constexpr uint32_t kViewportClassId = 0x5E10000;  // not a panel: outside the panels' range
constexpr int16_t kSide = 120;

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  const QzWord answer = qz::kit::inherited(object, id, args);
  if (id != kRootMeasure) return answer;
  if (auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox))) {
    box->width = std::min(box->width, kSide);
    box->height = std::min(box->height, kSide);
    box->minWidth = std::min(box->minWidth, kSide);
    box->minHeight = std::min(box->minHeight, kSide);
    box->maxHeight = std::min(box->maxHeight, kSide);
  }
  return answer;
}

const qz::kit::ClassDecl kViewport = {.name = "InspectionViewport", .superName = "Group",
                                      .classId = kViewportClassId, .handler = Qz__Dispatch};

}  // namespace

namespace qz::plugins {

bool addInspectionViewportClass() { return qz::kit::addClass(kViewport) != 0; }
void removeInspectionViewportClass() { qz::kit::removeClass(kViewport); }

}  // namespace qz::plugins
