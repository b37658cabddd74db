#include "app/web_save_trial.h"

#include <sys/stat.h>

#include "image/image_shell.h"

namespace qz::web {
namespace {

// Format-object options: the setters of quality, dithering and encoding.
constexpr uint32_t kJpegSetQuality = 7013;
constexpr uint32_t kJpegSetProgressive = 7033;
constexpr uint32_t kPngSetLevel = 7020;
constexpr uint32_t kPngSetInterlace = 7040;
constexpr uint32_t kGifSetColours = 7013;
constexpr uint32_t kGifSetDithering = 7033;
constexpr uint32_t kGifSetInterlace = 7053;
// Quiet, the image keeps its name, no backup: a trial is not a save of the document.
constexpr uint32_t kTrialSaveFlags = 0x04 | kQzSaveKeepName | kQzSaveNoBackup;

uint32_t progressiveFlag(int32_t encoding) { return encoding != 0 ? 1 : 0; }

Qz_Object* configure(const WebFormats& formats, const WebOptions& o) {
  switch (o.format) {
    case WebFormat::Jpeg:
      if (formats.jpeg == nullptr) return nullptr;
      Qz_DoMethod(formats.jpeg, kJpegSetQuality, uint32_t(o.quality));
      Qz_DoMethod(formats.jpeg, kJpegSetProgressive, progressiveFlag(o.encoding));
      return formats.jpeg;
    case WebFormat::Png:
      if (formats.png == nullptr) return nullptr;
      Qz_DoMethod(formats.png, kPngSetLevel, uint32_t(o.quality));
      Qz_DoMethod(formats.png, kPngSetInterlace, progressiveFlag(o.encoding));
      return formats.png;
    case WebFormat::Gif:
      if (formats.gif == nullptr) return nullptr;
      Qz_DoMethod(formats.gif, kGifSetColours, uint32_t(o.quality));
      Qz_DoMethod(formats.gif, kGifSetDithering, uint32_t(o.dithering));
      Qz_DoMethod(formats.gif, kGifSetInterlace, progressiveFlag(o.encoding));
      return formats.gif;
  }
  return nullptr;
}

}  // namespace

int64_t writeTrialFile(Qz_Image* image, const std::string& path, const WebFormats& formats, const WebOptions& options) {
  Qz_Object* format = configure(formats, options);
  if (format == nullptr || Qz__SaveImageA(image, path.c_str(), nullptr, format, kTrialSaveFlags, nullptr) != 1)
    return -1;
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? int64_t(info.st_size) : -1;
}

std::string sizeText(int64_t bytes) {
  const int64_t kilobytes = bytes < 1024 ? 1 : bytes / 1024;
  const std::string digits = std::to_string(kilobytes);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped + "KB";
}

std::string timeText(int64_t bytes, int64_t bytesPerSecond) {
  const int64_t seconds = bytesPerSecond > 0 ? (bytes + bytesPerSecond - 1) / bytesPerSecond : 0;
  return std::to_string(seconds < 1 ? 1 : seconds) + "s";
}

}  // namespace qz::web
