// Printing: the image on one page, where the page set-up puts it, written
// as PostScript and handed to a CUPS printer or written to a file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Qz_Image;

QZ_EXTERN_C_BEGIN
// Shows the page set-up for the image (made on first use); its answer, or 0
// when there is none.
QZ_EXPORT QzWord Qz_ShowPageSetupReq(Qz_Image* image);
// 1 when the page was handed to the printer or written to the file, else 0.
QZ_EXPORT int32_t Qz_PrintImage(Qz_Image* image);
QZ_EXTERN_C_END

namespace qz::print {

// What the print requester asks: a printer, or a file when printer is empty.
struct PrintChoice {
  std::string printer;
  std::string file;
  int32_t copies = 1;
};

// Fills the choice (it arrives with its defaults); false when cancelled.
using PrintRequest = std::function<bool(PrintChoice& choice)>;
// Replaces the print requester (empty: the built-in one).
QZ_EXPORT void setPrintRequest(PrintRequest request);

}  // namespace qz::print
