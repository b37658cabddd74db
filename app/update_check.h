// The update check: fetch the maker's description of the newest release,
// compare its number with ours and, when it is newer and the user agrees,
// download the release into the state root and say where it is. Nothing
// downloaded is ever started.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/qz_export.h"

QZ_EXTERN_C_BEGIN
// 1 when the check ran to one of its messages; 0 when the user declined at
// the start or the description could not be fetched or read.
QZ_EXPORT int32_t Qz__ShowAutoUpdateRequester(void);
QZ_EXTERN_C_END

namespace qz::update {

// The keyed values of a release description; a missing or unusable key
// leaves its value 0 or empty.
struct Description {
  int32_t release = 0;
  std::string server;      // host of the release file
  std::string object;      // path of the release file on that host
  int64_t objectBytes = 0;
  std::string readme;      // the rest of the text after its key
};

QZ_EXPORT Description parseDescription(std::string_view text);

// The host holding the description: $QZ_UPDATE_HOST, else the build's setting.
QZ_EXPORT std::string descriptionHost();

// The file name a release is saved under: the last part of its path when
// that is a plain name, else "Update.exe".
QZ_EXPORT std::string releaseFileName(std::string_view objectPath);

// The whole check against a given host, for a program of release ownRelease.
QZ_EXPORT int32_t runCheck(const std::string& host, int32_t ownRelease);

}  // namespace qz::update
