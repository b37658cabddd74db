// The blocking HTTP/1.0 GET behind the download call: libcurl does the
// protocol; this module decides what counts as a download and keeps a
// failed one from leaving anything behind.
#include "platform/http_client.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/atomic_file_writer.h"

namespace qz::http {
namespace {

constexpr const char* kAgent = "Quillantrix";
constexpr long kConnectTimeoutSeconds = 30;
// A transfer slower than a byte a second for a minute is taken as hung.
constexpr long kStallSeconds = 60;
constexpr long kMaxRedirects = 5;

void initCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Host and path go into a URL: refuse anything that would change its meaning.
bool isUrlSafe(std::string_view text, std::string_view forbidden) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f || forbidden.find(c) != std::string_view::npos)
      return false;
  }
  return true;
}

bool isSuccess(long status) { return status >= 200 && status <= 299; }

// Which of the classic steps a libcurl failure belongs to, for the error line.
const char* operationOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return "InternetConnect";
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
      return "InternetReadFile";
    default:
      return "HttpSendRequest";
  }
}

// What one transfer writes and learns; the curl callbacks see it through their user pointer.
struct Transfer {
  CURL* curl = nullptr;
  FILE* out = nullptr;  // the file's stream, or stdout
  const Progress* progress = nullptr;
  std::string headers;  // the last answer's raw header block
  bool headersShown = false;
  uint64_t received = 0;
  bool stopped = false;      // the progress callback asked to stop
  bool refused = false;      // the answer was not 2xx
  int writeErrno = 0;        // writing the body failed
};

void showHeaders(Transfer& t) {
  if (t.headersShown || t.headers.empty()) return;
  t.headersShown = true;
  std::fwrite(t.headers.data(), 1, t.headers.size(), stdout);
  std::fputc('\n', stdout);
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const std::string_view line(data, size * count);
  // A redirect brings a second header block; keep only the last answer's.
  if (line.starts_with("HTTP/")) t.headers.clear();
  t.headers.append(line);
  return line.size();
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  long status = 0;
  curl_easy_getinfo(t.curl, CURLINFO_RESPONSE_CODE, &status);
  if (!isSuccess(status)) {
    t.refused = true;
    return 0;  // an error page is not the file asked for
  }
  showHeaders(t);
  if (std::fwrite(data, 1, bytes, t.out) != bytes) {
    t.writeErrno = errno != 0 ? errno : EIO;
    return 0;
  }
  t.received += bytes;
  if (*t.progress && !(*t.progress)(t.received)) {
    t.stopped = true;
    return 0;
  }
  return bytes;
}

struct CurlHandle {
  CURL* curl = curl_easy_init();
  curl_slist* headers = nullptr;
  ~CurlHandle() {
    curl_slist_free_all(headers);
    if (curl != nullptr) curl_easy_cleanup(curl);
  }
};

void configure(CurlHandle& handle, const DownloadRequest& request, const std::string& url, Transfer& t,
               char* errorText) {
  CURL* c = handle.curl;
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
  curl_easy_setopt(c, CURLOPT_USERAGENT, kAgent);
  // An empty proxy also keeps libcurl from taking one from the environment.
  curl_easy_setopt(c, CURLOPT_PROXY, request.proxy.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  // Always the server's copy, never a cache's.
  handle.headers = curl_slist_append(handle.headers, "Pragma: no-cache");
  handle.headers = curl_slist_append(handle.headers, "Cache-Control: no-cache");
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, handle.headers);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, onHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
}

void reportWriteFailure(const std::string& fileName, int error) {
  std::fprintf(stderr, "WriteFile to %s failed: %d\n", fileName.c_str(), error);
}

}  // namespace

void reportError(const char* operation, long code, const std::string& message) {
  std::fprintf(stderr, "%s error code: %ld\nMessage: %s\n", operation, code, message.c_str());
}

Outcome download(const DownloadRequest& request, const Progress& progress) {
  if (request.host.empty() || !isUrlSafe(request.host, "/?#@\\") || !request.path.starts_with('/') ||
      !isUrlSafe(request.path, "#\\")) {
    reportError("InternetConnect", CURLE_URL_MALFORMAT, "Not a valid host and path: " + request.host + request.path);
    return Outcome::Failed;
  }
  std::optional<AtomicFileWriter> file;
  if (!request.fileName.empty()) {
    file.emplace(request.fileName);
    if (!file->ok()) {
      std::fprintf(stderr, "Can't open file: %s Error: %d\n", request.fileName.c_str(), errno);
      return Outcome::Failed;
    }
  }
  initCurlOnce();
  CurlHandle handle;
  if (handle.curl == nullptr) {
    reportError("InternetOpen", CURLE_FAILED_INIT, curl_easy_strerror(CURLE_FAILED_INIT));
    return Outcome::Failed;
  }
  Transfer t;
  t.curl = handle.curl;
  t.out = file ? file->stream() : stdout;
  t.progress = &progress;
  char errorText[CURL_ERROR_SIZE] = {};
  const std::string url = "http://" + request.host + request.path;
  configure(handle, request, url, t, errorText);

  const CURLcode result = curl_easy_perform(handle.curl);
  long status = 0;
  curl_easy_getinfo(handle.curl, CURLINFO_RESPONSE_CODE, &status);
  showHeaders(t);
  if (t.stopped) return Outcome::Stopped;
  if (t.writeErrno != 0) {
    reportWriteFailure(request.fileName, t.writeErrno);
    return Outcome::Failed;
  }
  if (t.refused || (result == CURLE_OK && !isSuccess(status))) {
    reportError("HttpQueryInfo", status, "The server answered with status " + std::to_string(status) + ".");
    return Outcome::Failed;
  }
  if (result != CURLE_OK) {
    std::string message = curl_easy_strerror(result);
    if (errorText[0] != '\0') message += std::string(": ") + errorText;
    reportError(operationOf(result), long(result), message);
    return Outcome::Failed;
  }
  if (!file) {
    std::fputc('\n', stdout);
    return std::fflush(stdout) == 0 ? Outcome::Done : Outcome::Failed;
  }
  if (!file->commit()) {
    reportWriteFailure(request.fileName, errno);
    return Outcome::Failed;
  }
  return Outcome::Done;
}

}  // namespace qz::http

extern "C" QZ_EXPORT int32_t Qz__ReportInternetError(int32_t code, const char* operation) {
  qz::http::reportError(operation != nullptr ? operation : "", code, curl_easy_strerror(static_cast<CURLcode>(code)));
  return 1;
}
