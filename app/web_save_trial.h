// One trial compression of save for the web: the image written to the trial
// file in the chosen format with the chosen options, and the texts that
// report its size and download times.
#pragma once

#include <cstdint>
#include <string>

#include "platform/qz_export.h"

struct Qz_Image;
struct Qz_Object;

namespace qz::web {

enum class WebFormat : int32_t { Jpeg = 0, Png = 1, Gif = 2 };

struct WebOptions {
  WebFormat format = WebFormat::Jpeg;
  int32_t quality = 0;      // JPEG quality, PNG compression level or GIF colours
  int32_t dithering = 0;    // GIF only, percent
  int32_t encoding = 0;     // 0 line by line, 1 progressive (interlaced)
};

// The three format objects that carry the options (PNG and GIF may be missing).
struct WebFormats {
  Qz_Object* jpeg = nullptr;
  Qz_Object* png = nullptr;
  Qz_Object* gif = nullptr;
};

// The modem and broadband rates the download times are given for, bytes a second.
inline constexpr int64_t kWebRates[3] = {2600, 5300, 30000};

// Writes the image to path in the chosen format; the file's size in bytes,
// or -1 when the format is missing or the save failed.
QZ_EXPORT int64_t writeTrialFile(Qz_Image* image, const std::string& path, const WebFormats& formats,
                                 const WebOptions& options);

// Kilobytes, at least 1, grouped by thousands: "1KB", "999KB", "3,077KB".
QZ_EXPORT std::string sizeText(int64_t bytes);
// Whole seconds at the rate, rounded up, at least 1: "2s".
QZ_EXPORT std::string timeText(int64_t bytes, int64_t bytesPerSecond);

}  // namespace qz::web
