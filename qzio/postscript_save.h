// The save both PostScript classes share: the writer core with the page
// settings in force, written to the header's stream.
#pragma once

#include <cstdint>

#include "qzio/qzio.h"

namespace qz::codec {

// 1; 7 for a buffer that is not 24-bit; 6 as the page settings refuse;
// 4 on a failed write; 2 no memory; 9 stopped.
uint32_t savePostScript(QZIO_Header* header, bool encapsulated);

}  // namespace qz::codec
