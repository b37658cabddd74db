// The convolve mode's panel: a 3 by 3 grid of weight fields (screen row i
// is matrix row i) and the load and save buttons. It writes the matrix into
// the fields and reads the fields back, and knows when it is writing, so
// the fields' own change notices are then ignored.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "modes/convolve_matrix.h"
#include "objects/qz_object.h"

namespace qz::modes {

class ConvolvePanel {
 public:
  static constexpr int32_t kGrid = 3;

  // Builds the panel for the mode (NULL without the toolkit's gadgets).
  Qz_Object* build(Qz_Object* mode);
  // The panel has gone: its fields are no longer there.
  void forget() { fields_.fill(nullptr); }
  // Writes the weights into the fields there are.
  void show(const ConvolveMatrix& m);
  // Takes each field's value into its weight; weights without a field stay.
  void readInto(ConvolveMatrix* m) const;
  bool updating() const { return updates_.load() != 0; }

 private:
  std::array<Qz_Object*, kGrid * kGrid> fields_{};  // row-major
  std::atomic<int32_t> updates_{0};
};

}  // namespace qz::modes
