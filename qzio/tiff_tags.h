// The private TIFF tags of the native layered format, registered with
// libtiff through its tag extender, and opening TIFF files with them known
// and with libtiff's messages kept off the terminal.
#pragma once

#include <tiffio.h>

#include "platform/qz_export.h"

namespace qzio {

// Opens a file by name ("rm", "wm"...); null when libtiff cannot.
TIFF* TiffOpen(const char* path, const char* mode);
// Opens over a descriptor the handle then owns (pass a dup() to keep yours).
TIFF* TiffFdOpen(int fd, const char* name, const char* mode);
// Rows per strip for strips of about 64 KiB (whole MCU rows for JPEG), once
// the directory's size and sample fields are set: a few large writes instead
// of one small write and seek a row.
uint32_t TiffStripRows(TIFF* tif);

}  // namespace qzio

QZ_EXTERN_C_BEGIN
// Installs the tag extender (once per process, after any earlier one) and
// opens the file; null on failure.
QZ_EXPORT TIFF* QZIO_TiffTagsOpen(const char* path, const char* mode);
QZ_EXPORT void QZIO_TiffTagsClose(TIFF* tif);
QZ_EXTERN_C_END
