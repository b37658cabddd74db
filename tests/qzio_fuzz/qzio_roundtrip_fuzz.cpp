// Loads each input, saves what loaded in every format that takes it and
// loads each saved file again: the save paths, and what the loaders make of
// what we write (the native format's layers, settings and mode object text
// among it). Any crash, leak or sanitizer report is a finding; refusals are
// the expected outcome.
#include "fuzz_session.h"

namespace {

const char* const kSaveFormats[] = {"Quillantrix", "TIFF", "JPEG", "PNG", "BMP", "PPM",  "ILBM", "IFFDEEP",
                                    "RAS",         "SGI",  "TARGA", "XWD", "PSD", "PICT", "PS",   "EPS"};

void SaveAndReload(QZIO_ImageBuffer* picture) {
  for (const char* format : kSaveFormats) {
    QZIO_Header header{};
    header.buffer = picture;
    uint32_t flags = kQzioQuiet;
    if (QZIO_SaveBufferA(&header, qzfuzz::SavedPath().c_str(), format, nullptr, &flags) != kQzioSuccess) continue;
    uint32_t result = 0;
    QZIO_FreeBuffer(
        QZIO_AutoLoadBuffer(qzfuzz::SavedPath().c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = qzfuzz::Start();
  if (!ready || !qzfuzz::WriteInput(data, size)) return 0;
  uint32_t result = 0;
  QZIO_ImageBuffer* b =
      QZIO_AutoLoadBuffer(qzfuzz::InputPath().c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE);
  if (!b) return 0;
  if (uint64_t{b->width} * b->height <= qzfuzz::kMaxConvertedPixels) {
    // As loaded (grey, layers and all), and as the program holds pictures.
    SaveAndReload(b);
    if (b->format != kQzioFormatRGBPlanes) {
      QZIO_ImageBuffer* planes = QZIO_ConvertBufferFormat(b, kQzioFormatRGBPlanes);
      if (planes) SaveAndReload(planes);
      QZIO_FreeBuffer(planes);
    }
  }
  QZIO_FreeBuffer(b);
  return 0;
}
