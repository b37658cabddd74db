// The thumbnail cache's stored formats and display texts, apart from any
// window: the binary "_Entries" records of one cached folder, the "Index"
// text that numbers the cached folders, the file-size and fit rules of the
// file list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qz_export.h"

namespace qz::thumbs {

// What a record says of its file's thumbnail.
enum ThumbnailState : uint32_t {
  kThumbnailNone = 0,
  kThumbnailCached = 1,      // the thumbnail file is valid for the stored time
  kThumbnailUnreadable = 2,  // not a picture we know: not tried again until touched
};

// One "_Entries" record: offset 0 "METI"; 4 u32le length L; 8 width;
// 12 height; 16 reserved; 20 state; 24 modification time; 28 the name,
// NUL-ended and zero-padded to L - 20 bytes. The next record is at 8 + L.
struct CacheEntry {
  uint32_t width = 0, height = 0, reserved = 0, state = kThumbnailNone, time = 0;
  std::string name;
  bool operator==(const CacheEntry&) const = default;
};

inline constexpr char kEntriesFileName[] = "_Entries";
inline constexpr char kIndexFileName[] = "Index";

// A name that may be joined to a cache folder and written or deleted there:
// not empty, not "." or "..", no "/" or "\" (the file layer treats both as
// separators), no NUL, and not the entries file itself.
QZ_EXPORT bool isPlainCacheName(std::string_view name);

// The records in order, one per entry.
QZ_EXPORT std::vector<uint8_t> encodeEntries(const std::vector<CacheEntry>& entries);
// The records up to the end, a record without the magic, one shorter than a
// name needs or running past the end, or one whose name has no NUL. Records
// whose names are not plain are left out.
QZ_EXPORT std::vector<CacheEntry> decodeEntries(std::span<const uint8_t> bytes);

struct IndexFolder {
  int32_t number = 0;
  std::string path;
  bool operator==(const IndexFolder&) const = default;
};

struct IndexContents {
  bool valid = false;  // the first line was "Highest: n"
  int32_t highest = 0;  // the largest of the first line and every number read
  std::vector<IndexFolder> folders;
};

// "Highest: n" and one "number,path" line per folder, each ended by CR LF.
// A path holding a line break cannot be stored and is left out.
QZ_EXPORT std::string encodeIndex(int32_t highest, const std::vector<IndexFolder>& folders);
// Lines end in LF, with or without a CR before it. Reading ends at the first
// line that does not start with a folder number above 0.
QZ_EXPORT IndexContents decodeIndex(std::string_view text);

// "File Size: nKB" in units of 1024 bytes (at least 1); above 1 MiB the
// count is grouped by thousands: "File Size: 1,536KB".
QZ_EXPORT std::string fileSizeText(uint64_t bytes);

struct ThumbnailSize {
  int32_t width = 0, height = 0;
  bool operator==(const ThumbnailSize&) const = default;
};

// A width x height picture fitted into the box, keeping its proportions;
// small pictures grow to the box, and no side is below 1. A picture without
// pixels gives 0 x 0.
QZ_EXPORT ThumbnailSize fitThumbnail(int64_t width, int64_t height, int32_t boxWidth, int32_t boxHeight);

}  // namespace qz::thumbs
