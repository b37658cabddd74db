// Per-row random numbers for the noise modes: the platform's generator
// (state = state * 214013 + 2531011 mod 2^32, each draw (state >> 16) &
// 0x7FFF, as Qz_Rand), held in the render call instead of the thread, seeded
// per row from the row and the layer's serial, and skipped ahead in O(log n)
// so a run that starts at column x0 draws exactly what a whole-row render
// draws there, however the compositor cuts rows and whichever worker renders.
//
//   qz::modes::RowRandom random = qz::modes::RowRandom::forRun(block, y, 2);  // 2 draws a pixel
//   for (int32_t x = block->x0; x <= block->x1; ++x) { const int32_t a = random.next(), b = random.next(); ... }
#pragma once

#include <cstdint>

#include "image/qz_image.h"
#include "platform/qz_export.h"

namespace qz::modes {

class RowRandom {
 public:
  static constexpr uint32_t kMultiplier = 214013u;
  static constexpr uint32_t kIncrement = 2531011u;

  // State 1, as a new thread's Qz_Rand.
  RowRandom() = default;
  // Seeded with rowSeed(row, layerSerial).
  RowRandom(int32_t row, uint32_t layerSerial) : state_(rowSeed(row, layerSerial)) {}

  // The seed of a row: the layer serial and the row mixed by
  //   h = serial * 0x9E3779B1 + row * 0x85EBCA77 (mod 2^32), then
  //   h ^= h >> 16; h *= 0x7FEB352D; h ^= h >> 15; h *= 0x846CA68B; h ^= h >> 16,
  // so neighbouring rows and layers start far apart in the sequence. Stored
  // noise does not depend on it: only what one process shows.
  QZ_EXPORT static uint32_t rowSeed(int32_t row, uint32_t layerSerial);

  // The generator for row y of the block's layer, skipped past the draws of
  // the columns left of the block (drawsPerPixel for each column 0..x0-1).
  // Without a layer the serial is 0.
  QZ_EXPORT static RowRandom forRun(const Qz_ImageLock* block, int32_t y, uint64_t drawsPerPixel);

  // Sets the state, as Qz_SRand does (a mode that seeds from a setting).
  void seed(uint32_t state) { state_ = state; }
  uint32_t state() const { return state_; }

  // One draw, 0..0x7FFF.
  int32_t next() {
    state_ = state_ * kMultiplier + kIncrement;
    return int32_t((state_ >> 16) & 0x7FFF);
  }

  // The state after n draws, by squaring the affine step: O(log n).
  QZ_EXPORT void skip(uint64_t n);

 private:
  uint32_t state_ = 1;
};

}  // namespace qz::modes
