#include "app/download_file.h"

#include <algorithm>
#include <cstdio>

#include "image/progress_display.h"
#include "image/qz_image.h"
#include "platform/http_client.h"

namespace qz {

std::string downloadProgressText(int64_t expectedBytes, const std::string& host) {
  const int64_t kilobytes = std::max<int64_t>(expectedBytes / 1024, 1);
  return "Downloading " + std::to_string(kilobytes) + "KB file from " + host;
}

}  // namespace qz

extern "C" QZ_EXPORT int32_t Qz__DownloadFile(const char* host, const char* path, const char* fileName,
                                              const char* proxy, int32_t expectedBytes) {
  const qz::http::DownloadRequest request{host != nullptr ? host : "", path != nullptr ? path : "",
                                          fileName != nullptr ? fileName : "", proxy != nullptr ? proxy : ""};
  // The display shows this text without copying it: it lives until the display is gone.
  const std::string text = qz::downloadProgressText(expectedBytes, request.host);
  Qz_ProgressDisplay* display = nullptr;
  if (expectedBytes != 0) {
    Qz_ImageBase* base = Qz_GetImageBase();
    Qz_Object* owner = base != nullptr && base->useCount.load() > 0 ? base->screen : nullptr;
    display = Qz_BeginProgressDisplay(owner, "Downloading", text.c_str());
  }
  const uint32_t total = static_cast<uint32_t>(expectedBytes);
  const qz::http::Outcome outcome = qz::http::download(request, [&](uint64_t received) {
    return display == nullptr || Qz_SetProgressDisplay(display, static_cast<uint32_t>(std::min<uint64_t>(received, total)),
                                                       total, nullptr) != 0;
  });
  Qz_EndProgressDisplay(display);
  return outcome == qz::http::Outcome::Done ? 1 : 0;
}
