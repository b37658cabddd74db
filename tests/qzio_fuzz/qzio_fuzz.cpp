// Feeds each input as a file to automatic detection, once through the
// normal load and once through the direct (thumbnail) path, with every
// format class of the library registered. Any crash, leak or sanitizer
// report is a finding; result codes are the expected outcome.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "objects/qz_object.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/qzio_ui.h"
#include "qzio/root_qzio.h"

namespace {

int32_t NoBox(const char*, const char*) { return 1; }

std::string gPath;

// A few hundred bytes can describe a picture of a billion pixels that loads
// lazily (the rows the file lacks stay untouched); converting it would fill
// gigabytes. Conversion is exercised on pictures up to this size only.
constexpr uint64_t kMaxConvertedPixels = uint64_t{1} << 24;

bool Start() {
  if (!std::getenv("QZ_DATA_DIR")) setenv("QZ_DATA_DIR", QZ_BINARY_DIR, 1);
  qzio::UiHooks hooks;
  hooks.messageBox = NoBox;
  qzio::SetUiHooks(&hooks);
  Qz_GlobalData* global = Qz_Init();
  Qz_InitRootQZIOClass(global);
  Qz_InitQuillantrixQZIOClass(global);
  Qz_InitTIFFQZIOClass(global);
  Qz_InitJPEGQZIOClass(global);
  Qz_InitPNGQZIOClass(global);
  Qz_InitBMPQZIOClass(global);
  Qz_InitPPMQZIOClass(global);
  Qz_InitILBMQZIOClass(global);
  Qz_InitIFFDEEPQZIOClass(global);
  Qz_InitRASQZIOClass(global);
  Qz_InitTARGAQZIOClass(global);
  Qz_InitSGIQZIOClass(global);
  Qz_InitXWDQZIOClass(global);
  QZIO_Init(global);
  char name[] = "/tmp/qzio-fuzz-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) return false;
  close(fd);
  gPath = name;
  // The runtime keeps freed object memory until it closes: close it at exit
  // so the leak check sees only real leaks.
  atexit([] {
    unlink(gPath.c_str());
    QZIO_Cleanup();
    Qz_CleanupRootQZIOClass();
    Qz_CleanUp();
  });
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = Start();
  if (!ready) return 0;
  const int fd = open(gPath.c_str(), O_WRONLY | O_TRUNC);
  if (fd < 0) return 0;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  for (uint32_t flags : {kQzioQuiet, kQzioQuiet | kQzioDirectLoad}) {
    uint32_t result = 0;
    QZIO_ImageBuffer* b = QZIO_AutoLoadBuffer(gPath.c_str(), flags, kQzioTagResult, &result, TAG_DONE);
    if (b) {
      if (uint64_t{b->width} * b->height <= kMaxConvertedPixels)
        QZIO_FreeBuffer(QZIO_ConvertBufferFormat(b, kQzioFormatRGBPlanes));
      QZIO_FreeBuffer(b);
    }
  }
  return 0;
}
