// The rank filters' shared pieces (median, noise removal, despeckle, maximum
// and minimum): the planes a render writes, rows of a fetch padded with
// repeated edge columns, and the order-statistic kernels over them. Every
// window repeats the image's edge samples: rows come from the fetch as the
// nearest edge row, columns are repeated here.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "image/qz_compositor.h"
#include "modes/mode_fetch.h"
#include "modes/mode_panel.h"
#include "objects/qz_object.h"

namespace qz::modes::rank {

// One plane a render writes: the channel it reads (0..2 red, green, blue;
// 3 grey) and the destination row table of that plane.
struct Plane {
  int channel = 0;
  uint8_t* const* dst = nullptr;
};

// The planes of the block's document: red, green and blue for 24 bits, grey
// for 8 bits; 0 for any other depth or an empty block.
int blockPlanes(const Qz_ModeRenderMessage* message, Plane planes[3]);

// The fetch rectangle of a block widened by rx columns and ry rows.
FetchRect widened(const Qz_ImageLock* block, int32_t rx, int32_t ry);

// Rows y - ry .. y + ry of one channel over columns x0 - rx .. x1 + rx, each
// column outside the image read as the nearest edge column. row(j) is
// source row y - ry + j; its entry i is column x0 - rx + i.
class PaddedRows {
 public:
  PaddedRows(int32_t x0, int32_t x1, int32_t rx, int32_t ry);
  // Fills the rows of channel `channel` around source row y.
  void load(const SourceView& view, int channel, int32_t y);
  const uint8_t* row(int32_t j) const { return data_.data() + size_t(j) * size_t(stride_); }
  int32_t rows() const { return rows_; }
  int32_t stride() const { return stride_; }

 private:
  int32_t x0_, rx_, ry_, stride_, rows_;
  std::vector<uint8_t> data_;
};

// The median of nine samples (a fixed compare-exchange network).
uint8_t median9(uint8_t a0, uint8_t a1, uint8_t a2, uint8_t a3, uint8_t a4, uint8_t a5,
                uint8_t a6, uint8_t a7, uint8_t a8);

// For each of `count` pixels of the padded rows (rx = ry = 1), the median of
// its 3 by 3 window into out.
void median3x3Row(const PaddedRows& rows, int32_t count, uint8_t* out);

// For each of `count` pixels, the median of its (2r + 1) by (2r + 1) window
// (the element of rank ((2r + 1)^2 - 1) / 2 in ascending order) into out.
// The window slides along the row through a histogram of its samples.
void windowMedianRow(const PaddedRows& rows, int32_t r, int32_t count, uint8_t* out);

// The separable approximation: the median of the medians of the window's
// columns.
void separableMedianRow(const PaddedRows& rows, int32_t r, int32_t count, uint8_t* out);

// For each of `count` pixels, the largest (Max) or smallest sample of its
// (2rx + 1) by (2ry + 1) window into out.
template <bool Max>
void extremeRow(const PaddedRows& rows, int32_t rx, int32_t count, uint8_t* out);

// A pixel's own sample c beside the filtered value m: m when |m - c| > t.
inline uint8_t replaceAbove(uint8_t c, uint8_t m, int32_t t) {
  const int32_t d = int32_t(m) > int32_t(c) ? m - c : c - m;
  return d > t ? m : c;
}


// Method rows that make one of RootMode's attributes a stored attribute of
// the mode's object text (the setter and its stored getter).
constexpr std::array<Qz_Method, 3> storedRootAttribute(uint32_t setter, const char* setterName,
                                                       uint32_t getter, const char* getterName) {
  return {{{setter, setterName, kQzMethodSetter, getter, "%ld", 0, nullptr, 0, 0},
           {getter, getterName, kQzMethodStoredGetter, setter, nullptr, 0, "%ld", 0, 0},
           {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}}};
}

// Fetches the block widened by rx columns and ry rows and hands each row
// of each plane to kernel(rows, count, out): the padded window rows around
// it and the destination row. 0 when the fetch fails (nothing written);
// 1 otherwise, also for a depth it does not handle (nothing written).
template <class Kernel>
QzWord renderWindowed(const Qz_ModeRenderMessage* message, int32_t rx, int32_t ry, Kernel kernel) {
  Plane planes[3];
  const int planeCount = blockPlanes(message, planes);
  if (planeCount == 0) return 1;
  const Qz_ImageLock* block = message->block;
  SpareFetch below(message, widened(block, rx, ry));
  if (!below.ok()) return 0;
  PaddedRows rows(block->x0, block->x1, rx, ry);
  const int32_t count = block->x1 - block->x0 + 1;
  for (int p = 0; p < planeCount; ++p)
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      rows.load(below.view(), planes[p].channel, y);
      kernel(rows, count, planes[p].dst[y - block->y0]);
    }
  return 1;
}

// ---- MaxMode and MinMode --------------------------------------------------

inline constexpr uint32_t kExtremeModeClassId = 0x9F4;
inline constexpr uint32_t kSetFilterXRadius = 0x9FE, kGetFilterXRadius = 0xA08;
inline constexpr uint32_t kSetFilterYRadius = 0xA12, kGetFilterYRadius = 0xA1C;

// The twins' instance: the window's half-width and half-height, set
// together under the lock so a render takes a pair that belongs together.
struct ExtremeModeObject {
  Qz_Object header;
  std::mutex lock;
  int32_t xRadius = 2, yRadius = 2;
};

// The twins' panel ("Min" for both): the half-width and half-height.
inline constexpr qz::modes::PanelRow kExtremePanelRows[] = {
    qz::modes::slider(95, kSetFilterXRadius, 0, 100, 2, "%ld.5"),
    qz::modes::slider(96, kSetFilterYRadius, 0, 100, 2, "%ld.5")};
inline constexpr qz::modes::PanelSpec kExtremePanel{"Min", kExtremePanelRows};

// The twins' handler: the largest (Max) or smallest sample of the window.
template <bool Max>
QzWord extremeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args);

}  // namespace qz::modes::rank
