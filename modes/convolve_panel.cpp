// The convolve mode's panel of weight fields.
#include "modes/convolve_panel.h"

#include "gadgets/qz_text_entry.h"

namespace qz::modes {

Qz_Object* ConvolvePanel::build(Qz_Object*) { return nullptr; }

void ConvolvePanel::show(const ConvolveMatrix& m) {
  updates_.fetch_add(1);
  for (int32_t row = 0; row < kGrid && row < m.size; ++row)
    for (int32_t column = 0; column < kGrid && column < m.size; ++column)
      if (Qz_Object* field = fields_[size_t(row * kGrid + column)])
        Qz_DoMethod(field, kStringEditSetNumber, QzWord(intptr_t(m.at(row, column))));
  updates_.fetch_sub(1);
}

void ConvolvePanel::readInto(ConvolveMatrix* m) const {
  for (int32_t row = 0; row < kGrid && row < m->size; ++row)
    for (int32_t column = 0; column < kGrid && column < m->size; ++column)
      if (Qz_Object* field = fields_[size_t(row * kGrid + column)])
        m->at(row, column) = int16_t(uint16_t(Qz_DoMethod(field, kStringEditGetNumber)));
}

}  // namespace qz::modes
