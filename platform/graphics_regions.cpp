// Regions (only their bounds clip), the rast port's one clip rectangle and
// scrolling inside a rast port's buffer.
#include <cstdlib>

#include "host/raster/rasteriser.h"
#include "platform/graphics.h"
#include "platform/graphics_internal.h"

namespace {

constexpr Rectangle kWholeRegion{0, 0, 32767, 32767};

void freeChain(Region* region) {
  struct RegionRectangle* r = region->RegionRectangle;
  while (r != nullptr) {
    struct RegionRectangle* next = r->Next;
    std::free(r);
    r = next;
  }
  region->RegionRectangle = nullptr;
}

}  // namespace

namespace qz::graphics {

// Narrows a rast port's clip to an inclusive rectangle, or replaces it.
void clipToRectangle(RastPort* rp, const Rectangle& r, bool replace) {
  raster::IntRect next = rectFromEdges(r.MinX, r.MinY, int64_t{r.MaxX} + 1, int64_t{r.MaxY} + 1);
  if (!replace && rp->ClipOn) next = next.intersect(rectFromEdges(rp->ClipX0, rp->ClipY0, rp->ClipX1, rp->ClipY1));
  if (next.empty()) next = {};
  rp->ClipOn = 1;
  rp->ClipX0 = next.x0;
  rp->ClipY0 = next.y0;
  rp->ClipX1 = next.x1;
  rp->ClipY1 = next.y1;
}

}  // namespace qz::graphics

QZ_EXTERN_C_BEGIN

struct Region* NewRegion(void) {
  auto* region = static_cast<Region*>(std::calloc(1, sizeof(Region)));
  // Starts as wide as a cleared region, so the first OrRectRegion leaves
  // exactly its rectangle instead of shrinking everything to the origin.
  if (region != nullptr) region->bounds = kWholeRegion;
  return region;
}

void ClearRegion(struct Region* region) {
  if (region == nullptr) return;
  freeChain(region);
  region->bounds = kWholeRegion;
}

void DisposeRegion(struct Region* region) {
  if (region == nullptr) return;
  freeChain(region);
  std::free(region);
}

int32_t OrRectRegion(struct Region* region, const struct Rectangle* rect) {
  if (region == nullptr || rect == nullptr) return 0;
  Rectangle& b = region->bounds;
  b.MinX = std::max(b.MinX, rect->MinX);
  b.MinY = std::max(b.MinY, rect->MinY);
  b.MaxX = std::min(b.MaxX, rect->MaxX);
  b.MaxY = std::min(b.MaxY, rect->MaxY);
  return 1;
}

void Qz_SetClipRect(struct RastPort* rp, int32_t minX, int32_t minY, int32_t maxX, int32_t maxY) {
  if (rp == nullptr) return;
  qz::raster::IntRect r = qz::graphics::rectFromEdges(minX, minY, int64_t{maxX} + 1, int64_t{maxY} + 1);
  if (r.empty()) r = {};
  rp->ClipOn = 1;
  rp->ClipX0 = r.x0;
  rp->ClipY0 = r.y0;
  rp->ClipX1 = r.x1;
  rp->ClipY1 = r.y1;
}

void Qz_ClearClip(struct RastPort* rp) {
  if (rp == nullptr) return;
  rp->ClipOn = 0;
  rp->ClipX0 = rp->ClipY0 = rp->ClipX1 = rp->ClipY1 = 0;
}

void Qz_ScrollRastPort(struct RastPort* rp, int32_t dx, int32_t dy, int32_t xMin, int32_t yMin, int32_t xMax,
                       int32_t yMax) {
  if (rp == nullptr || rp->Target == nullptr) return;
  if (xMax < xMin || yMax < yMin) return;
  qz::raster::scrollArea(*rp->Target, qz::graphics::drawableArea(rp),
                         qz::graphics::rectFromEdges(xMin, yMin, int64_t{xMax} + 1, int64_t{yMax} + 1),
                         qz::graphics::clampCoord(dx), qz::graphics::clampCoord(dy));
}

QZ_EXTERN_C_END
