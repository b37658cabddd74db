// Rectangle operations between images and between an image's planes and its
// undo planes. Every rectangle is clipped against the source and the
// destination: a one-pixel rectangle is a real rectangle, and nothing is
// read or written outside either image.
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "image/image_internal.h"
#include "image/merge_kernels.h"

namespace qz {
namespace {

using LineKernel = void (*)(uint8_t*, const uint8_t*, size_t);

// The plane pairs of an image-to-image operation: (dst plane, src plane).
struct PlanePair {
  Qz_Plane dst;
  Qz_Plane src;
};

// One image's grey and colour planes: its visible ones or its undo copies.
struct PlaneSet {
  Qz_Plane grey, r, g, b;
};

PlaneSet Qz__VisiblePlanes(Qz_Image* image) { return {image->grey, image->r, image->g, image->b}; }
PlaneSet Qz__UndoPlanes(Qz_Image* image) {
  return {image->undoGrey, image->undoR, image->undoG, image->undoB};
}

// Depth pairs: 8 into 8 (grey), 8 into 24 (grey into each of R, G, B),
// 24 into 24 (channel by channel). Returns the count, 0 when they do not fit.
int Qz__PlanePairs(Qz_Image* dst, const PlaneSet& d, Qz_Image* src, const PlaneSet& s,
                   PlanePair pairs[3]) {
  if (src->depth == 8 && dst->depth == 8) {
    pairs[0] = {d.grey, s.grey};
    return 1;
  }
  if (src->depth == 8 && dst->depth == 24) {
    pairs[0] = {d.r, s.grey};
    pairs[1] = {d.g, s.grey};
    pairs[2] = {d.b, s.grey};
    return 3;
  }
  if (src->depth == 24 && dst->depth == 24) {
    pairs[0] = {d.r, s.r};
    pairs[1] = {d.g, s.g};
    pairs[2] = {d.b, s.b};
    return 3;
  }
  return 0;
}

int Qz__MainPairs(Qz_Image* dst, Qz_Image* src, PlanePair pairs[3]) {
  return Qz__PlanePairs(dst, Qz__VisiblePlanes(dst), src, Qz__VisiblePlanes(src), pairs);
}

int Qz__UndoPairs(Qz_Image* dst, Qz_Image* src, PlanePair pairs[3]) {
  return Qz__PlanePairs(dst, Qz__UndoPlanes(dst), src, Qz__UndoPlanes(src), pairs);
}

bool Qz__PairsPresent(const PlanePair* pairs, int count) {
  for (int i = 0; i < count; ++i)
    if (!pairs[i].dst || !pairs[i].src) return false;
  return count > 0;
}

void Qz__RunRows(const PlanePair* pairs, int count, const ClippedRect& c, LineKernel kernel) {
  for (int i = 0; i < count; ++i) {
    // Within one plane moved down, go bottom-up so no source row is
    // overwritten before it is read.
    const bool upwards = pairs[i].dst == pairs[i].src && c.dy > c.sy;
    for (int32_t k = 0; k < c.h; ++k) {
      const int32_t row = upwards ? c.h - 1 - k : k;
      kernel(pairs[i].dst[c.dy + row] + c.dx, pairs[i].src[c.sy + row] + c.sx, size_t(c.w));
    }
  }
}

void Qz__CopyLine(uint8_t* dst, const uint8_t* src, size_t count) { std::memmove(dst, src, count); }

int32_t Qz__CombineImages(Qz_Image* dst, int32_t dx, int32_t dy, Qz_Image* src, int32_t sx,
                          int32_t sy, int32_t w, int32_t h, LineKernel kernel) {
  if (!dst || !src) return 0;
  ClippedRect c;
  if (!clipRect(sx, sy, dx, dy, w, h, src->width, src->height, dst->width, dst->height, c))
    return 0;
  PlanePair pairs[3];
  const int count = Qz__MainPairs(dst, src, pairs);
  if (count == 0) return 0;
  if (!Qz__PairsPresent(pairs, count)) return 1;  // released storage: nothing to do
  Qz__RunRows(pairs, count, c, kernel);
  Qz_NoteImageChange(dst);
  return 1;
}

void Qz__AddLine(uint8_t* d, const uint8_t* s, size_t n) { mergeKernels().addBytes(d, s, n); }
void Qz__SubLine(uint8_t* d, const uint8_t* s, size_t n) { mergeKernels().subBytes(d, s, n); }
void Qz__MulLine(uint8_t* d, const uint8_t* s, size_t n) { mergeKernels().multiplyBytes(d, s, n); }

// Main plane (index 0..2 = R, G, B or 0 = grey) and its undo plane.
int Qz__ImageUndoPairs(Qz_Image* image, PlanePair pairs[3], bool toUndo) {
  Qz_Plane main[3], undo[3];
  int count;
  if (image->depth == 8) {
    main[0] = image->grey;
    undo[0] = image->undoGrey;
    count = 1;
  } else {
    main[0] = image->r, main[1] = image->g, main[2] = image->b;
    undo[0] = image->undoR, undo[1] = image->undoG, undo[2] = image->undoB;
    count = 3;
  }
  for (int i = 0; i < count; ++i) pairs[i] = toUndo ? PlanePair{undo[i], main[i]} : PlanePair{main[i], undo[i]};
  return Qz__PairsPresent(pairs, count) ? count : 0;
}

int32_t Qz__CopyWithinImage(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                            int32_t dx, int32_t dy, bool toUndo) {
  if (!image || x1 < x0 || y1 < y0) return 0;
  PlanePair pairs[3];
  const int count = Qz__ImageUndoPairs(image, pairs, toUndo);
  int32_t copied = 0;
  for (int i = 0; i < count; ++i)
    copied |= Qz__CopyPlaneRect(pairs[i].dst, image->width, image->height, pairs[i].src,
                                image->width, image->height, x0, y0, x1, y1, dx, dy);
  if (!copied) return 0;
  // A document's planes are only its composite; its background is the undo planes.
  if (image->type == kQzDocument && !toUndo)
    noteShownChange(image);
  else
    Qz_NoteImageChange(image);
  return copied;
}

}  // namespace
}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz_AddImageToImage(Qz_Image* dst, int32_t dx, int32_t dy, Qz_Image* src,
                                     int32_t sx, int32_t sy, int32_t w, int32_t h) {
  return qz::Qz__CombineImages(dst, dx, dy, src, sx, sy, w, h, qz::Qz__AddLine);
}

QZ_EXPORT int32_t Qz_SubtractImageFromImage(Qz_Image* dst, int32_t dx, int32_t dy, Qz_Image* src,
                                            int32_t sx, int32_t sy, int32_t w, int32_t h) {
  return qz::Qz__CombineImages(dst, dx, dy, src, sx, sy, w, h, qz::Qz__SubLine);
}

QZ_EXPORT int32_t Qz_MultiplyImageByImage(Qz_Image* dst, int32_t dx, int32_t dy, Qz_Image* src,
                                          int32_t sx, int32_t sy, int32_t w, int32_t h) {
  return qz::Qz__CombineImages(dst, dx, dy, src, sx, sy, w, h, qz::Qz__MulLine);
}

QZ_EXPORT int32_t Qz_BlitImageToImage(Qz_Image* dst, int32_t dx, int32_t dy, Qz_Image* src,
                                      int32_t sx, int32_t sy, int32_t w, int32_t h,
                                      uint32_t strength, uint32_t /*flags*/) {
  using namespace qz;
  if (!dst || !src) return 0;
  ClippedRect c;
  if (!clipRect(sx, sy, dx, dy, w, h, src->width, src->height, dst->width, dst->height, c))
    return 0;
  PlanePair pairs[3];
  const int count = Qz__MainPairs(dst, src, pairs);
  if (count == 0) return 0;
  strength &= 0xFFFF;
  // The merge weight wraps at 256 (256 * 257 mod 65536 is almost nothing),
  // so every strength from 255 up is a plain copy.
  const bool merge = src->depth == 24 && strength < 255;
  if (merge) {
    if (!Qz__PairsPresent(pairs, count)) return 1;
    for (int i = 0; i < count; ++i)
      for (int32_t row = 0; row < c.h; ++row)
        mergeKernels().mergeBytes(pairs[i].dst[c.dy + row] + c.dx, pairs[i].src[c.sy + row] + c.sx,
                                  size_t(c.w), strength);
    Qz_NoteImageChange(dst);
    return 1;
  }
  if (Qz__PairsPresent(pairs, count)) Qz__RunRows(pairs, count, c, Qz__CopyLine);
  PlanePair undo[3];
  const int undoCount = Qz__UndoPairs(dst, src, undo);
  if (Qz__PairsPresent(undo, undoCount)) Qz__RunRows(undo, undoCount, c, Qz__CopyLine);
  Qz_NoteImageChange(dst);
  return 1;
}

QZ_EXPORT int32_t Qz__MergeImagesViaAlphaAndTrans(Qz_Image* dst, int32_t dx, int32_t dy,
                                                  Qz_Image* src, int32_t sx, int32_t sy, int32_t w,
                                                  int32_t h, Qz_Image* alpha, uint32_t trans) {
  using namespace qz;
  if (!dst || !src || !alpha) return 0;
  if (src->depth == 8 && dst->depth == 8) return 1;
  if (src->depth != 24 || dst->depth != 24 || alpha->depth != 8) return 0;
  // The alpha image is read at the source's coordinates: clip against the
  // smaller of the two.
  const int32_t readWidth = std::min(src->width, alpha->width);
  const int32_t readHeight = std::min(src->height, alpha->height);
  ClippedRect c;
  if (!clipRect(sx, sy, dx, dy, w, h, readWidth, readHeight, dst->width, dst->height, c)) return 0;
  const PlanePair pairs[3] = {{dst->undoR, src->r}, {dst->undoG, src->g}, {dst->undoB, src->b}};
  if (!Qz__PairsPresent(pairs, 3) || !alpha->grey) return 0;
  for (int i = 0; i < 3; ++i)
    for (int32_t row = 0; row < c.h; ++row)
      mergeKernels().mergeViaAlpha(pairs[i].dst[c.dy + row] + c.dx, pairs[i].src[c.sy + row] + c.sx,
                                   alpha->grey[c.sy + row] + c.sx, trans & 0xFFFF, size_t(c.w));
  Qz_NoteImageChange(dst);
  return 1;
}

QZ_EXPORT int32_t Qz_RenderRectangle(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                     int32_t y1, int32_t sign, uint32_t colour) {
  using namespace qz;
  if (!image || x1 < 0 || y1 < 0) return 0;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image->width - 1);
  y1 = std::min(y1, image->height - 1);
  if (x0 > x1 || y0 > y1) return 0;
  const size_t count = size_t(x1 - x0 + 1);
  const int16_t signWord = int16_t(sign);
  const bool add = signWord > 0;
  Qz_Plane planes[3];
  uint8_t values[3];
  int planeCount;
  if (image->depth == 8) {
    planes[0] = image->grey;
    values[0] = uint8_t(std::abs(int32_t(signWord)) & 0xFF);
    planeCount = 1;
  } else {
    planes[0] = image->r, planes[1] = image->g, planes[2] = image->b;
    values[0] = uint8_t(colour), values[1] = uint8_t(colour >> 8), values[2] = uint8_t(colour >> 16);
    planeCount = 3;
  }
  std::vector<uint8_t> line;
  try {
    line.resize(count);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const LineKernel kernel = add ? Qz__AddLine : Qz__SubLine;
  for (int i = 0; i < planeCount; ++i) {
    if (!planes[i]) continue;
    std::memset(line.data(), values[i], count);
    for (int32_t y = y0; y <= y1; ++y) kernel(planes[i][y] + x0, line.data(), count);
  }
  Qz_ModifiedImageData(image, x0, y0, x1, y1);
  return 1;
}

QZ_EXPORT int32_t Qz_InvertImageFunc(Qz_Image* image) {
  using namespace qz;
  if (!image || image->width <= 0 || image->height <= 0) return 0;
  // A paint layer has no undo planes: its transparency itself is inverted,
  // and there is nothing to copy back.
  const bool hasUndo = image->depth == 8 ? image->undoGrey != nullptr : image->undoR != nullptr;
  Qz_Plane planes[3];
  int count;
  if (image->depth == 8) {
    planes[0] = hasUndo ? image->undoGrey : image->grey;
    count = 1;
  } else {
    planes[0] = hasUndo ? image->undoR : image->r;
    planes[1] = hasUndo ? image->undoG : image->g;
    planes[2] = hasUndo ? image->undoB : image->b;
    count = 3;
  }
  for (int i = 0; i < count; ++i) {
    if (!planes[i]) continue;
    for (int32_t y = 0; y < image->height; ++y) {
      uint8_t* row = planes[i][y];
      for (int32_t x = 0; x < image->width; ++x) row[x] = uint8_t(~row[x]);
    }
  }
  if (hasUndo) Qz_CopyUndoToImageData(image, 0, 0, image->width - 1, image->height - 1, 0, 0);
  fullProcessImage(topDocument(image));
  Qz_ModifiedAllImageData(image);
  return 1;
}

QZ_EXPORT int32_t Qz_CopyUndoToImageData(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                         int32_t y1, int32_t dx, int32_t dy) {
  return qz::Qz__CopyWithinImage(image, x0, y0, x1, y1, dx, dy, false);
}

QZ_EXPORT int32_t Qz_CopyImageToUndoData(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                         int32_t y1, int32_t dx, int32_t dy) {
  return qz::Qz__CopyWithinImage(image, x0, y0, x1, y1, dx, dy, true);
}

QZ_EXPORT int32_t Qz__CopyPlaneRect(Qz_Plane dst, int32_t dstWidth, int32_t dstHeight,
                                    Qz_Plane src, int32_t srcWidth, int32_t srcHeight, int32_t x0,
                                    int32_t y0, int32_t x1, int32_t y1, int32_t dx, int32_t dy) {
  if (!dst || !src || x1 < x0 || y1 < y0) return 0;
  qz::ClippedRect c;
  if (!qz::clipRect(x0, y0, dx, dy, int64_t(x1) - x0 + 1, int64_t(y1) - y0 + 1, srcWidth,
                    srcHeight, dstWidth, dstHeight, c))
    return 0;
  const bool upwards = dst == src && c.dy > c.sy;
  for (int32_t k = 0; k < c.h; ++k) {
    const int32_t row = upwards ? c.h - 1 - k : k;
    std::memmove(dst[c.dy + row] + c.dx, src[c.sy + row] + c.sx, size_t(c.w));
  }
  return 1;
}

QZ_EXTERN_C_END
