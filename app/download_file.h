// The download call the update check uses: one file fetched over HTTP with
// a progress display the user can stop.
#pragma once

#include <cstdint>
#include <string>

#include "platform/qz_export.h"

QZ_EXTERN_C_BEGIN
// Fetches http://host/path into fileName (standard output when empty or
// NULL), through proxy when non-empty. expectedBytes other than 0 shows a
// progress display. 1 when the whole body of a 2xx answer arrived; 0 on any
// failure or when the user stopped it, and then no partial file is left.
QZ_EXPORT int32_t Qz__DownloadFile(const char* host, const char* path, const char* fileName, const char* proxy,
                                   int32_t expectedBytes);
QZ_EXTERN_C_END

namespace qz {
// "Downloading <n>KB file from <host>", n at least 1.
QZ_EXPORT std::string downloadProgressText(int64_t expectedBytes, const std::string& host);
}  // namespace qz
