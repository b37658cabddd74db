// One blocking HTTP/1.0 GET into a file or standard output, over libcurl.
//
// Only a 2xx answer counts as a download: any other status, a transport
// error or a stop asked by the progress callback removes what was written
// (a file of the same name that was there before is left as it was) and
// fails. Certificate checks are never relaxed. Errors go to standard error
// as one "<operation> error code: <n>\nMessage: <text>\n" line each.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/qz_export.h"

namespace qz::http {

struct DownloadRequest {
  std::string host;      // may carry ":port"
  std::string path;      // starts with "/"
  std::string fileName;  // empty: the body goes to standard output
  std::string proxy;     // empty: connect directly (environment proxies are ignored too)
};

// Called after each piece of the body with the bytes so far; false stops the download.
using Progress = std::function<bool(uint64_t receivedBytes)>;

enum class Outcome { Done, Failed, Stopped };

QZ_EXPORT Outcome download(const DownloadRequest& request, const Progress& progress);

// Writes "<operation> error code: <code>\nMessage: <message>\n" to standard error.
QZ_EXPORT void reportError(const char* operation, long code, const std::string& message);

}  // namespace qz::http

QZ_EXTERN_C_BEGIN
// Writes the error line for a libcurl code under the operation's name; 1.
QZ_EXPORT int32_t Qz__ReportInternetError(int32_t code, const char* operation);
QZ_EXTERN_C_END
