// Stored formats of the thumbnail cache, written and read field by field.
#include "gadgets/thumbnail_cache_codec.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdio>

#include "platform/byte_order.h"

namespace qz::thumbs {

namespace {

constexpr uint8_t kEntryMagic[4] = {'M', 'E', 'T', 'I'};
// The five u32 fields after the length word; the name follows them.
constexpr uint32_t kEntryFieldBytes = 20;
constexpr size_t kEntryHeadBytes = 8;  // magic and length word

uint32_t entryLength(const std::string& name) {
  return uint32_t((kEntryFieldBytes + name.size() + 1 + 3) & ~size_t(3));
}

// A folder number: decimal digits, 1 .. 2^31-1 (the numbered folder's name).
bool parseNumber(std::string_view text, size_t& used, int32_t& number) {
  const char* end = text.data() + text.size();
  int64_t value = 0;
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || value <= 0 || value > INT32_MAX) return false;
  used = size_t(stop - text.data());
  number = int32_t(value);
  return true;
}

}  // namespace

bool isPlainCacheName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name == kEntriesFileName) return false;
  return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::vector<uint8_t> encodeEntries(const std::vector<CacheEntry>& entries) {
  std::vector<uint8_t> out;
  ByteWriter w(out);
  for (const CacheEntry& e : entries) {
    const uint32_t length = entryLength(e.name);
    for (uint8_t b : kEntryMagic) w.putU8(b);
    w.putU32le(length);
    w.putU32le(e.width);
    w.putU32le(e.height);
    w.putU32le(e.reserved);
    w.putU32le(e.state);
    w.putU32le(e.time);
    for (char c : e.name) w.putU8(uint8_t(c));
    for (size_t pad = e.name.size(); pad < length - kEntryFieldBytes; ++pad) w.putU8(0);
  }
  return out;
}

std::vector<CacheEntry> decodeEntries(std::span<const uint8_t> bytes) {
  std::vector<CacheEntry> out;
  ByteReader r(bytes);
  while (r.remaining() >= kEntryHeadBytes) {
    const auto magic = r.bytes(4);
    if (!std::equal(magic.begin(), magic.end(), kEntryMagic)) break;
    const uint32_t length = r.u32le();
    if (length <= kEntryFieldBytes || length > r.remaining()) break;
    CacheEntry e;
    e.width = r.u32le();
    e.height = r.u32le();
    e.reserved = r.u32le();
    e.state = r.u32le();
    e.time = r.u32le();
    const auto name = r.bytes(length - kEntryFieldBytes);
    const auto nul = std::find(name.begin(), name.end(), uint8_t(0));
    if (r.failed() || nul == name.end()) break;
    e.name.assign(name.begin(), nul);
    if (isPlainCacheName(e.name)) out.push_back(std::move(e));
  }
  return out;
}

std::string encodeIndex(int32_t highest, const std::vector<IndexFolder>& folders) {
  // CR LF written out: the stored index keeps the line ends of its first writers.
  std::string text = "Highest: " + std::to_string(highest) + "\r\n";
  for (const IndexFolder& f : folders) {
    if (f.path.find_first_of("\r\n") != std::string::npos) continue;
    text += std::to_string(f.number) + "," + f.path + "\r\n";
  }
  return text;
}

IndexContents decodeIndex(std::string_view text) {
  IndexContents out;
  auto nextLine = [&text](std::string_view& line) {
    if (text.empty()) return false;
    const size_t feed = text.find('\n');
    line = text.substr(0, feed);
    text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  };
  std::string_view line;
  constexpr std::string_view kHighest = "Highest: ";
  if (!nextLine(line) || !line.starts_with(kHighest)) return out;
  line.remove_prefix(kHighest.size());
  int64_t first = 0;
  const auto [stop, error] = std::from_chars(line.data(), line.data() + line.size(), first);
  if (error != std::errc() || stop != line.data() + line.size() || first < 0 || first > INT32_MAX) return out;
  out.valid = true;
  out.highest = int32_t(first);
  while (nextLine(line)) {
    size_t used = 0;
    int32_t number = 0;
    if (!parseNumber(line, used, number) || used >= line.size()) break;
    out.folders.push_back({number, std::string(line.substr(used + 1))});
    out.highest = std::max(out.highest, number);
  }
  return out;
}

std::string fileSizeText(uint64_t bytes) {
  const uint64_t units = std::max<uint64_t>(bytes / 1024, 1);
  std::string digits = std::to_string(units);
  // Above a megabyte one comma parts off the last three digits, and only
  // those: a million units read "1000,000".
  if (bytes > 1048576) {
    char last[4];
    std::snprintf(last, sizeof last, "%03u", unsigned(units % 1000));
    digits = std::to_string(units / 1000) + "," + last;
  }
  return "File Size: " + digits + "KB";
}

ThumbnailSize fitThumbnail(int64_t width, int64_t height, int32_t boxWidth, int32_t boxHeight) {
  if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
  auto atLeastOne = [](int64_t v, int32_t limit) { return int32_t(std::max<int64_t>(std::min<int64_t>(v, limit), 1)); };
  ThumbnailSize s;
  if (width <= height) {
    s.width = atLeastOne(width * boxHeight / height, boxWidth);
    s.height = atLeastOne(height * s.width / width, boxHeight);
  } else {
    s.height = atLeastOne(height * boxWidth / width, boxHeight);
    s.width = atLeastOne(width * s.height / height, boxWidth);
  }
  return s;
}

}  // namespace qz::thumbs
