// Fresh memory costs a page fault and the kernel's clearing at its first
// touch. While a picture is decoded into large planes, a helper thread takes
// their pages ahead of the writer, band by band down all the planes at once,
// so the writer mostly finds its rows already there. Nothing is written: the
// bytes stay as allocated. The helper ends, and is waited for, with the
// object; small planes are left to the writer.
//   const qzio::PagesAhead ahead(buffer);  // then decode into buffer
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/qz_export.h"
#include "qzio/qzio.h"

namespace qzio {

class QZ_EXPORT PagesAhead {
 public:
  // `count` planes of `rows` rows of `rowBytes`, each plane's rows in one run
  // from its first row on.
  PagesAhead(uint8_t* const* firstRows, int count, size_t rowBytes, uint32_t rows);
  // A buffer's planes (formats of separate planes only).
  explicit PagesAhead(const QZIO_ImageBuffer* buffer);
  ~PagesAhead();
  PagesAhead(const PagesAhead&) = delete;
  PagesAhead& operator=(const PagesAhead&) = delete;

 private:
  void start(uint8_t* const* firstRows, int count, size_t rowBytes, uint32_t rows);
  struct State;
  State* state_ = nullptr;
};

}  // namespace qzio
