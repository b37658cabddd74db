// Where Quillantrix's files live, and the one path normaliser every file
// call goes through.
//
// Data root: read-only files (Data/..., rgb.txt, help): $QZ_DATA_DIR, else
// the program's folder. State root: what the program writes for itself
// (Data/Prefs, ImageDatabase, downloads): $QZ_STATE_DIR, else the data root
// when it is writable, else $XDG_STATE_HOME/quillantrix.
//
// Normalising: "\" becomes "/"; the volume "Quillantrix:" is the data root
// and "Qz_Images:" its Data/Images; a relative path is a data path, resolved
// against the data root, except Data/Prefs/... and ImageDatabase/..., which
// resolve against the state root. Data paths whose exact spelling is missing
// fall back to a case-insensitive match, folder by folder. Absolute paths
// (the user's files) only get their separators fixed: never matched loosely.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/qz_export.h"

QZ_EXTERN_C_BEGIN
// Each writes a terminated result into out (cut to size) and returns the
// full length, so a too-small buffer is seen as result >= size.
QZ_EXPORT size_t Qz_GetDataRoot(char* out, size_t size);
QZ_EXPORT size_t Qz_GetStateRoot(char* out, size_t size);
QZ_EXPORT size_t Qz_NormalizePath(const char* path, char* out, size_t size);
// fopen of the normalised path.
QZ_EXPORT FILE* Qz_FOpen(const char* path, const char* mode);
QZ_EXTERN_C_END

namespace qz {

namespace detail {
template <typename Fn>
std::string callSized(Fn fn) {
  std::string out(256, '\0');
  size_t n = fn(out.data(), out.size());
  if (n >= out.size()) {
    out.assign(n + 1, '\0');
    n = fn(out.data(), out.size());
  }
  out.resize(n);
  return out;
}
}  // namespace detail

inline std::string dataRoot() {
  return detail::callSized([](char* o, size_t s) { return Qz_GetDataRoot(o, s); });
}
inline std::string stateRoot() {
  return detail::callSized([](char* o, size_t s) { return Qz_GetStateRoot(o, s); });
}
inline std::string normalizePath(std::string_view path) {
  std::string in(path);
  return detail::callSized([&](char* o, size_t s) { return Qz_NormalizePath(in.c_str(), o, s); });
}

}  // namespace qz
