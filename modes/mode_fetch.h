// How a mode reads beyond its block: a fetch of the data below its layer (or
// of another image's own planes) over a rectangle, freed on every path; a
// view of the rows fetched that checks, in checking builds, that every read
// lies inside what was fetched; and the geometry of the layer's secondary
// picture. A mode's width, height and depth are its document's (the block
// lock's image), except where a mode reads the layer itself.
//
//   const qz::modes::ModeSize size = qz::modes::modeSize(block);
//   qz::modes::SpareFetch below(message, {block->x0 - rx, block->y0 - ry, block->x1 + rx, block->y1 + ry});
//   if (!below.ok()) return 0;
//   const qz::modes::SourceView& view = below.view();
//   const qz::modes::SourceRow row = view.row(0, y);  // red row y; row[x] reads column x
#pragma once

#include <algorithm>
#include <cstdint>

#include "image/qz_compositor.h"
#include "image/qz_image.h"
#include "modes/direction.h"
#include "platform/qz_export.h"

// Reads through SourceView are checked in debug builds, in the sanitizer
// builds and in the test programs (QZ_DEBUG_READS); a read outside what was
// fetched stops the program with the coordinates.
#if defined(QZ_DEBUG_READS) || !defined(NDEBUG)
#define QZ_CHECK_READS 1
#else
#define QZ_CHECK_READS 0
#endif

namespace qz::modes {

// Stops the program: a mode read (x, y) outside x0..x1, y0..y1.
[[noreturn]] QZ_EXPORT void readOutside(int32_t x, int32_t y, int32_t x0, int32_t y0, int32_t x1,
                                        int32_t y1);

inline void checkRead(int32_t x, int32_t y, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if constexpr (QZ_CHECK_READS) {
    if (x < x0 || x > x1 || y < y0 || y > y1) readOutside(x, y, x0, y0, x1, y1);
  }
}

// A mode's size and depth: its document's.
struct ModeSize {
  int32_t width = 0, height = 0, depth = 0;
};
inline ModeSize modeSize(const Qz_ImageLock* block) {
  if (!block || !block->image) return {};
  return {block->image->width, block->image->height, block->image->depth};
}

// An inclusive rectangle in the coordinates of the image it is fetched from.
struct FetchRect {
  int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool empty() const { return x0 > x1 || y0 > y1; }
  bool operator==(const FetchRect&) const = default;
};

// One fetched row, indexed by absolute column.
struct SourceRow {
  const uint8_t* data = nullptr;  // column 0 of the row (may lie before what was fetched)
  int32_t y = 0, x0 = 0, x1 = -1;

  uint8_t operator[](int32_t x) const {
    checkRead(x, y, x0, y, x1, y);
    return data[x];
  }
  // Columns x .. x + count - 1 as a plain pointer, for a kernel's inner loop.
  const uint8_t* from(int32_t x, int32_t count) const {
    if (count > 0) {
      checkRead(x, y, x0, y, x1, y);
      checkRead(x + count - 1, y, x0, y, x1, y);
    }
    return data + x;
  }
};

// The row tables of a fetch (absolute rows and columns) and the rectangle
// they hold. width and height are the size of the image they come from,
// for clampX and clampY (0: the rectangle's own edges).
struct SourceView {
  const uint8_t* const* r = nullptr;
  const uint8_t* const* g = nullptr;
  const uint8_t* const* b = nullptr;
  int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  int32_t width = 0, height = 0;
  const uint8_t* const* grey = nullptr;  // an 8-bit image's plane

  // Channel 0 red, 1 green, 2 blue, 3 grey.
  const uint8_t* const* table(int channel) const {
    return channel == 0 ? r : channel == 1 ? g : channel == 2 ? b : grey;
  }
  bool holds(int32_t x, int32_t y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }

  SourceRow row(int channel, int32_t y) const {
    checkRead(x0, y, x0, y0, x1, y1);
    return {table(channel)[y], y, x0, x1};
  }
  uint8_t at(int channel, int32_t x, int32_t y) const {
    checkRead(x, y, x0, y0, x1, y1);
    return table(channel)[y][x];
  }

  // A column or row limited to the image (to the rectangle when the size is
  // not known): edges settled once, outside the inner loop.
  int32_t clampX(int32_t x) const { return std::clamp(x, width > 0 ? 0 : x0, width > 0 ? width - 1 : x1); }
  int32_t clampY(int32_t y) const {
    return std::clamp(y, height > 0 ? 0 : y0, height > 0 ? height - 1 : y1);
  }
};

// The view of a filled lock (the block lock: the block's own pixels).
inline SourceView viewOf(const Qz_ImageLock* lock) {
  if (!lock) return {};
  const Qz_Image* image = lock->image;
  return {lock->r,  lock->g, lock->b, lock->x0, lock->y0, lock->x1, lock->y1,
          image ? image->width : 0, image ? image->height : 0, lock->grey};
}

// One channel of a view read with its coordinates limited to the image:
// the sampler of reliefSum.
struct PlaneSampler {
  const SourceView& view;
  int channel;
  uint8_t operator()(int32_t x, int32_t y) const { return view.at(channel, view.clampX(x), view.clampY(y)); }
};

class SecondaryPicture;

// A fetch of image pixels over a rectangle, released when it goes.
// Columns are limited to the image's; rows may lie above or below it (they
// are the nearest edge row). Not copyable: a view points into it.
class SpareFetch {
 public:
  // The data below the block's layer, through the message's spare lock.
  QZ_EXPORT SpareFetch(const Qz_ModeRenderMessage* message, FetchRect rect);
  // Another image's own planes (the secondary picture, or the layer's own
  // planes), through a lock of the fetch's own.
  QZ_EXPORT SpareFetch(Qz_Image* image, FetchRect rect);
  // The secondary picture over a rectangle of its own coordinates
  // (picture.fetchRect), through a lock of the fetch's own.
  QZ_EXPORT SpareFetch(const SecondaryPicture& picture, FetchRect rect);
  // Any lock: the data below `layer` in `image`, or the image's own planes
  // without a layer. The lock's image and layer are put back when it goes.
  QZ_EXPORT SpareFetch(Qz_ImageLock* lock, Qz_Image* image, Qz_Image* layer, FetchRect rect);
  QZ_EXPORT ~SpareFetch();
  SpareFetch(const SpareFetch&) = delete;
  SpareFetch& operator=(const SpareFetch&) = delete;

  // False when nothing could be fetched (no image, an empty rectangle, no memory).
  bool ok() const { return ok_; }
  const SourceView& view() const { return view_; }
  // What was fetched, in the image's coordinates.
  FetchRect rect() const { return {view_.x0, view_.y0, view_.x1, view_.y1}; }
  // Frees the fetch now (the destructor then does nothing).
  QZ_EXPORT void release();

 private:
  void fetch(Qz_Image* image, Qz_Image* layer, FetchRect rect);

  Qz_ImageLock own_{};
  Qz_ImageLock* lock_;
  Qz_Image* savedImage_ = nullptr;
  Qz_Image* savedLayer_ = nullptr;
  SourceView view_{};
  bool ok_ = false;
  bool held_ = false;
};

// A run's columns, inclusive; empty when first > last.
struct ColumnSpan {
  int32_t first = 0, last = -1;
  bool empty() const { return first > last; }
  int32_t count() const { return empty() ? 0 : last - first + 1; }
  bool operator==(const ColumnSpan&) const = default;
};

// Where the layer's secondary picture lies. Its pixel (px, py) shows at
// document (px + offsetX, py + offsetY), the offset being the layer's
// position plus the picture's offset in the layer. Without a secondary
// image, the DataBelow fallback makes the picture the data below the layer
// in the document itself (placed by the same offset).
class SecondaryPicture {
 public:
  enum class Fallback { None, DataBelow };

  QZ_EXPORT explicit SecondaryPicture(const Qz_ImageLock* block, Fallback fallback = Fallback::None);

  // The picture, or none.
  Qz_Image* image() const { return image_; }
  // True when the picture is the data below the layer (the fallback).
  bool isDataBelow() const { return dataBelow_; }
  // A picture to combine with: there, 24-bit, with its planes.
  bool usable() const { return usable_; }
  int32_t offsetX() const { return offsetX_; }
  int32_t offsetY() const { return offsetY_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

  // The document columns of x0..x1 that the picture covers on document row
  // y; empty when the row or the columns miss it (or it is not usable).
  QZ_EXPORT ColumnSpan overlap(int32_t y, int32_t x0, int32_t x1) const;
  // The picture's rectangle under document x0..x1, y0..y1 widened by
  // `reach`, in the picture's coordinates and limited to the picture.
  QZ_EXPORT FetchRect fetchRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Reach reach = {}) const;

  // The picture's coordinates of a document column and row.
  int32_t pictureX(int32_t x) const { return x - offsetX_; }
  int32_t pictureY(int32_t y) const { return y - offsetY_; }

  // The layer to fetch the picture with: the block's layer for the data
  // below, none for a secondary image's own planes.
  Qz_Image* fetchLayer() const { return dataBelow_ ? layer_ : nullptr; }

 private:
  Qz_Image* image_ = nullptr;
  Qz_Image* layer_ = nullptr;
  bool dataBelow_ = false;
  bool usable_ = false;
  int32_t offsetX_ = 0, offsetY_ = 0, width_ = 0, height_ = 0;
};

}  // namespace qz::modes
