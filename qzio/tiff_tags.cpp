#include "qzio/tiff_tags.h"

#include <algorithm>
#include <mutex>

namespace qzio {
namespace {

// 50256 carries the settings block (counted bytes); 61235 and 61236 are
// known so files that carry them read cleanly, though nothing writes them.
// 513 is libtiff's own (the old JPEG interchange offset) and stays so.
const TIFFFieldInfo kPrivateFields[] = {
    {50256, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_UNDEFINED, FIELD_CUSTOM, 1, 1, const_cast<char*>("Quillantrix")},
    {61235, 1, 1, TIFF_LONG, FIELD_CUSTOM, 1, 0, const_cast<char*>("MySingleLongTag")},
    {61236, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("MyAsciiTag")},
};

TIFFExtendProc gPreviousExtender = nullptr;
std::once_flag gExtenderOnce;

void Extend(TIFF* tif) {
  TIFFMergeFieldInfo(tif, kPrivateFields, sizeof kPrivateFields / sizeof kPrivateFields[0]);
  if (gPreviousExtender) gPreviousExtender(tif);
}

void InstallExtender() {
  std::call_once(gExtenderOnce, [] { gPreviousExtender = TIFFSetTagExtender(Extend); });
}

// libtiff's complaints about damaged files become result codes, not output.
int Silent(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFFOpenOptions* QuietOptions() {
  TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
  if (opts) {
    TIFFOpenOptionsSetErrorHandlerExtR(opts, Silent, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, Silent, nullptr);
  }
  return opts;
}

}  // namespace

TIFF* TiffOpen(const char* path, const char* mode) {
  InstallExtender();
  TIFFOpenOptions* opts = QuietOptions();
  TIFF* tif = TIFFOpenExt(path, mode, opts);
  TIFFOpenOptionsFree(opts);
  return tif;
}

TIFF* TiffFdOpen(int fd, const char* name, const char* mode) {
  InstallExtender();
  TIFFOpenOptions* opts = QuietOptions();
  TIFF* tif = TIFFFdOpenExt(fd, name, mode, opts);
  TIFFOpenOptionsFree(opts);
  return tif;
}

uint32_t TiffStripRows(TIFF* tif) {
  constexpr tmsize_t kStripBytes = 64 * 1024;
  const tmsize_t row = TIFFScanlineSize(tif);
  const tmsize_t rows = row > 0 ? std::max<tmsize_t>(1, kStripBytes / row) : 1;
  return TIFFDefaultStripSize(tif, uint32_t(std::min<tmsize_t>(rows, UINT32_MAX)));
}

}  // namespace qzio

QZ_EXTERN_C_BEGIN
TIFF* QZIO_TiffTagsOpen(const char* path, const char* mode) { return path ? qzio::TiffOpen(path, mode) : nullptr; }
void QZIO_TiffTagsClose(TIFF* tif) {
  if (tif) TIFFClose(tif);
}
QZ_EXTERN_C_END
