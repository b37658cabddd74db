// Per-row random numbers: the row seed and the jump ahead.
#include "modes/row_random.h"

#include <algorithm>

namespace qz::modes {

uint32_t RowRandom::rowSeed(int32_t row, uint32_t layerSerial) {
  uint32_t h = layerSerial * 0x9E3779B1u + uint32_t(row) * 0x85EBCA77u;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

RowRandom RowRandom::forRun(const Qz_ImageLock* block, int32_t y, uint64_t drawsPerPixel) {
  const uint32_t serial = block && block->layer ? block->layer->serial : 0;
  RowRandom random(y, serial);
  const int32_t x0 = block ? std::max(block->x0, 0) : 0;
  random.skip(uint64_t(x0) * drawsPerPixel);
  return random;
}

void RowRandom::skip(uint64_t n) {
  // One step is s -> a*s + c; 2^k steps are s -> A*s + C with A = a^(2^k) and
  // C = c * (1 + a + ... + a^(2^k - 1)), composed for each set bit of n.
  uint32_t stepMul = kMultiplier, stepAdd = kIncrement;
  uint32_t mul = 1, add = 0;
  for (; n; n >>= 1) {
    if (n & 1) {
      mul *= stepMul;
      add = add * stepMul + stepAdd;
    }
    stepAdd = (stepMul + 1) * stepAdd;
    stepMul *= stepMul;
  }
  state_ = mul * state_ + add;
}

}  // namespace qz::modes
