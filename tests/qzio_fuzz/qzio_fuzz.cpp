// Feeds each input as a file to automatic detection, once through the
// normal load and once through the direct (thumbnail) path, with every
// format class of the library registered. Any crash, leak or sanitizer
// report is a finding; result codes are the expected outcome.
#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = qzfuzz::Start();
  if (!ready || !qzfuzz::WriteInput(data, size)) return 0;
  for (uint32_t flags : {kQzioQuiet, kQzioQuiet | kQzioDirectLoad}) {
    uint32_t result = 0;
    QZIO_ImageBuffer* b =
        QZIO_AutoLoadBuffer(qzfuzz::InputPath().c_str(), flags, kQzioTagResult, &result, TAG_DONE);
    if (b) {
      if (uint64_t{b->width} * b->height <= qzfuzz::kMaxConvertedPixels)
        QZIO_FreeBuffer(QZIO_ConvertBufferFormat(b, kQzioFormatRGBPlanes));
      QZIO_FreeBuffer(b);
    }
  }
  return 0;
}
