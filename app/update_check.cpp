#include "app/update_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/download_file.h"
#include "image/qz_image.h"
#include "objects/qz_object.h"
#include "platform/paths.h"

#ifndef QZ_UPDATE_HOST
#define QZ_UPDATE_HOST "quillantrix.org"
#endif

namespace qz::update {
namespace {

constexpr const char* kTitle = "Update Quillantrix";
constexpr const char* kDescriptionPath = "/AutoUpdate/Win32/AutoUpdate.txt";
constexpr int32_t kDescriptionExpectedBytes = 4096;
// A description is a few lines; anything far larger is not one.
constexpr std::uintmax_t kMaxDescriptionBytes = 1 << 20;
// Host names are at most 253 bytes; paths beyond this are not ours.
constexpr size_t kMaxServerBytes = 253;
constexpr size_t kMaxObjectBytes = 2048;
constexpr uint32_t kBoxOk = 1;
constexpr uint32_t kBoxOkCancel = 2;

constexpr const char* kAskText =
    "\n\nDo you wish to check if an updated version of Quillantrix is available for download?\nIf you need to dial "
    "up to access the internet, please do so before pressing OK.\n\n";
constexpr const char* kNoUpdateText = "There are no updates to this version of Quillantrix at this time.";
constexpr const char* kNewerText =
    "There is a more recent version of Quillantrix available for download!\n\nReview the information about the new "
    "version below, and select OK to\ninstall it, or Cancel to abort.\n\nIMPORTANT:  Quillantrix will need to quit "
    "in order to perform the upgrade process.\nIf you have unsaved work, press Cancel and save your work first "
    "before performing the Auto Update.";
constexpr const char* kDownloadFailedText = "An error occurred  while downloading the update.";

// Where the value of key starts, or nothing when the key is absent.
std::optional<size_t> valueStart(std::string_view text, std::string_view key) {
  const size_t at = text.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  return at + key.size();
}

size_t skipSpace(std::string_view text, size_t at) {
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  return at;
}

// A decimal number after the key, saturated to 32 bits; 0 when there is none.
int64_t readNumber(std::string_view text, std::string_view key, int64_t limit) {
  const auto start = valueStart(text, key);
  if (!start) return 0;
  size_t at = skipSpace(text, *start);
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  int64_t value = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
    value = std::min<int64_t>(value * 10 + (text[at] - '0'), limit);
  return negative ? -value : value;
}

// One word after the key; empty when absent or longer than maxBytes, since
// a cut host or path would name something else.
std::string readWord(std::string_view text, std::string_view key, size_t maxBytes) {
  const auto start = valueStart(text, key);
  if (!start) return {};
  const size_t from = skipSpace(text, *start);
  size_t to = from;
  while (to < text.size() && !std::isspace(static_cast<unsigned char>(text[to]))) ++to;
  if (to - from > maxBytes) return {};
  return std::string(text.substr(from, to - from));
}

QzWord box(const std::string& text, uint32_t kind) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* over = base != nullptr && base->useCount.load() > 0 ? base->screen : nullptr;
  return Qz_MessageBoxA(kTitle, text.c_str(), kind, over);
}

std::optional<std::string> readDescription(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxDescriptionBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  std::string text(size, '\0');
  if (!in.read(text.data(), std::streamsize(size))) return std::nullopt;
  return text;
}

bool hasSize(const std::string& path, int64_t bytes) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && int64_t(info.st_size) == bytes;
}

// Fetches the release into the state root; true when it arrived whole and
// exactly as large as announced (anything else is removed).
bool fetchRelease(const Description& d, const std::string& target) {
  if (d.server.empty() || d.object.empty() || d.objectBytes <= 0 || d.objectBytes > INT32_MAX) return false;
  if (Qz__DownloadFile(d.server.c_str(), d.object.c_str(), target.c_str(), "", int32_t(d.objectBytes)) != 1)
    return false;
  if (hasSize(target, d.objectBytes)) return true;
  std::filesystem::remove(target);
  return false;
}

std::string unreachableText(const std::string& host) {
  return "The newest release could not be looked up: " + host +
         " did not answer with its description.\nCheck the network connection, or try again later.";
}

std::string completeText(const std::string& target, const std::string& readme) {
  return "Download Complete!\nThe new version of Quillantrix has been saved as:\n" + target +
         "\n\nIt is not installed: install it from there when you are ready.\n\n" + readme;
}

}  // namespace

Description parseDescription(std::string_view text) {
  Description d;
  d.release = int32_t(readNumber(text, "AU_Release:", INT32_MAX));
  d.server = readWord(text, "AU_Server:", kMaxServerBytes);
  d.object = readWord(text, "AU_Object:", kMaxObjectBytes);
  d.objectBytes = readNumber(text, "AU_ObjectSize:", INT32_MAX);
  if (const auto start = valueStart(text, "AU_Readme:")) d.readme = std::string(text.substr(*start));
  return d;
}

std::string descriptionHost() {
  const char* configured = std::getenv("QZ_UPDATE_HOST");
  return configured != nullptr && configured[0] != '\0' ? configured : QZ_UPDATE_HOST;
}

std::string releaseFileName(std::string_view objectPath) {
  const size_t slash = objectPath.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? objectPath : objectPath.substr(slash + 1);
  const bool plain = !name.empty() && name.front() != '.' && name.size() <= 255 &&
                     std::all_of(name.begin(), name.end(), [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
                     });
  return plain ? std::string(name) : "Update.exe";
}

int32_t runCheck(const std::string& host, int32_t ownRelease) {
  if (box(kAskText, kBoxOkCancel) != 1) return 0;
  const std::string root = qz::stateRoot();
  std::error_code error;
  std::filesystem::create_directories(root + "/Data", error);
  const std::string descriptionFile = root + "/Data/AutoUpdate.txt";
  if (Qz__DownloadFile(host.c_str(), kDescriptionPath, descriptionFile.c_str(), "", kDescriptionExpectedBytes) != 1) {
    box(unreachableText(host), kBoxOk);
    return 0;
  }
  const auto text = readDescription(descriptionFile);
  if (!text) {
    box(unreachableText(host), kBoxOk);
    return 0;
  }
  const Description d = parseDescription(*text);
  if (d.release <= 0 || d.release <= ownRelease) {
    box(kNoUpdateText, kBoxOk);
    return 1;
  }
  if (box(std::string(kNewerText) + "\n\n" + d.readme, kBoxOkCancel) != 1) return 1;
  // A folder of its own, so no release name can land on the program's own files.
  std::filesystem::create_directories(root + "/Downloads", error);
  const std::string target = root + "/Downloads/" + releaseFileName(d.object);
  if (!fetchRelease(d, target)) {
    box(kDownloadFailedText, kBoxOk);
    return 1;
  }
  box(completeText(target, d.readme), kBoxOk);
  return 1;
}

}  // namespace qz::update

extern "C" QZ_EXPORT int32_t Qz__ShowAutoUpdateRequester(void) {
  return qz::update::runCheck(qz::update::descriptionHost(), Qz_GetImageBase()->release);
}
