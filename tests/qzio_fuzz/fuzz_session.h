// What the fuzz targets share: the object system with every image-file
// format registered, no boxes, and a scratch file the input is written to.
#pragma once

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

namespace qzfuzz {

inline int32_t NoBox(const char*, const char*) { return 1; }

// Scratch files, removed at exit.
inline std::string& InputPath() {
  static std::string path;
  return path;
}
inline std::string& SavedPath() {
  static std::string path;
  return path;
}

inline std::string MakeScratch() {
  char name[] = "/tmp/qzio-fuzz-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) return {};
  close(fd);
  return name;
}

// Starts everything once; false when it cannot.
inline bool Start() {
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
  Qz_InitPCXQZIOClass(global);
  Qz_InitPSDQZIOClass(global);
  Qz_InitPICTQZIOClass(global);
  Qz_InitPCDQZIOClass(global);
  Qz_InitPSQZIOClass(global);
  Qz_InitEPSQZIOClass(global);
  QZIO_Init(global);
  InputPath() = MakeScratch();
  SavedPath() = MakeScratch();
  if (InputPath().empty() || SavedPath().empty()) return false;
  // The runtime keeps freed object memory until it closes: close it at exit
  // so the leak check sees only real leaks.
  atexit([] {
    unlink(InputPath().c_str());
    unlink(SavedPath().c_str());
    QZIO_Cleanup();
    Qz_CleanupRootQZIOClass();
    Qz_CleanUp();
  });
  return true;
}

// Writes the input to the scratch input file; false when it cannot.
inline bool WriteInput(const uint8_t* data, size_t size) {
  const int fd = open(InputPath().c_str(), O_WRONLY | O_TRUNC);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  return done == size;
}

// A few hundred bytes can describe a picture of a billion pixels that loads
// lazily (the rows the file lacks stay untouched); converting or saving it
// would fill gigabytes. Those steps are exercised on pictures up to this size.
inline constexpr uint64_t kMaxConvertedPixels = uint64_t{1} << 24;

}  // namespace qzfuzz
