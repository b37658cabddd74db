// The thumbnail cache's stored formats: entry records byte for byte, the
// index text, the size texts and the fit rule.
#include "gadgets/thumbnail_cache_codec.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using qz::thumbs::CacheEntry;
using qz::thumbs::IndexFolder;

std::vector<uint8_t> bytesOf(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(uint8_t(v));
  return out;
}

TEST(EntriesCodec, OneRecordIsExactly36Bytes) {
  const CacheEntry e{640, 480, 0, qz::thumbs::kThumbnailCached, 0x01020304, "a.jpg"};
  const std::vector<uint8_t> expected = bytesOf({
      'M', 'E', 'T', 'I',
      28, 0, 0, 0,               // 20 + "a.jpg" + NUL, rounded up to 4
      0x80, 0x02, 0, 0,          // width 640
      0xE0, 0x01, 0, 0,          // height 480
      0, 0, 0, 0,                // reserved
      1, 0, 0, 0,                // state: cached
      0x04, 0x03, 0x02, 0x01,    // modification time
      'a', '.', 'j', 'p', 'g', 0, 0, 0});
  EXPECT_EQ(qz::thumbs::encodeEntries({e}), expected);
}

TEST(EntriesCodec, RoundTripKeepsEveryFieldAndOrder) {
  // Names of every length modulo 4, so each padding case is written and read.
  const std::vector<CacheEntry> entries = {
      {1, 2, 0, 0, 3, "abc"}, {4000000000u, 5, 7, 2, 0xFFFFFFFFu, "abcd"},
      {6, 7, 0, 1, 8, "abcde"}, {9, 10, 0, 1, 11, "Ähnlich bild.png"}};
  const auto bytes = qz::thumbs::encodeEntries(entries);
  EXPECT_EQ(bytes.size() % 4, 0u);
  EXPECT_EQ(qz::thumbs::decodeEntries(bytes), entries);
}

TEST(EntriesCodec, ReaderStopsAtDamageAndRefusesNamesOutsideTheFolder) {
  const CacheEntry good{10, 20, 0, 1, 30, "good.png"};
  const auto goodBytes = qz::thumbs::encodeEntries({good});
  auto withSecond = [&](std::vector<uint8_t> second) {
    std::vector<uint8_t> all = goodBytes;
    all.insert(all.end(), second.begin(), second.end());
    return all;
  };
  auto record = [](const std::string& name) { return qz::thumbs::encodeEntries({{1, 1, 0, 1, 1, name}}); };
  auto lengthSetTo = [&](uint32_t length) {
    auto r = record("x.png");
    std::memcpy(r.data() + 4, &length, 4);  // the test machine is little-endian, like the file
    return r;
  };
  auto withoutNul = record("abc");  // 20 + 4 bytes: "abc" and its one NUL
  withoutNul.back() = 'd';
  struct Case {
    const char* name;
    std::vector<uint8_t> second;
    size_t kept;
  } cases[] = {
      {"a second good record", record("b.png"), 2},
      {"bad magic", [&] { auto r = record("b.png"); r[0] = 'X'; return r; }(), 1},
      {"length too short for a name", lengthSetTo(20), 1},
      {"length past the end", lengthSetTo(4096), 1},
      {"truncated record", [&] { auto r = record("b.png"); r.resize(r.size() - 3); return r; }(), 1},
      {"name without NUL", withoutNul, 1},
      {"stray bytes after the last record", bytesOf({'M', 'E', 'T'}), 1},
      {"parent folder", record(".."), 1},
      {"path upwards", record("../../home/user/file"), 1},
      {"backslash path", record("..\\..\\etc"), 1},
      {"absolute path", record("/etc/passwd"), 1},
      {"the entries file itself", record("_Entries"), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto decoded = qz::thumbs::decodeEntries(withSecond(c.second));
    ASSERT_EQ(decoded.size(), c.kept);
    EXPECT_EQ(decoded[0], good);
  }
  // A refused name skips its record only: the one after it is still read.
  auto three = withSecond(record("../x"));
  const auto last = record("c.png");
  three.insert(three.end(), last.begin(), last.end());
  EXPECT_EQ(qz::thumbs::decodeEntries(three).size(), 2u);
}

TEST(IndexCodec, ExactTextAndReadBack) {
  const std::vector<IndexFolder> folders = {{3, "/a"}, {7, "/home/user/Pictures"}, {5, "/x/with space,comma"}};
  const std::string text = qz::thumbs::encodeIndex(7, folders);
  EXPECT_EQ(text, "Highest: 7\r\n3,/a\r\n7,/home/user/Pictures\r\n5,/x/with space,comma\r\n");
  const auto read = qz::thumbs::decodeIndex(text);
  EXPECT_TRUE(read.valid);
  EXPECT_EQ(read.highest, 7);
  EXPECT_EQ(read.folders, folders) << "every path keeps its last character";
}

TEST(IndexCodec, ReadingRules) {
  struct Case {
    const char* name;
    const char* text;
    bool valid;
    int32_t highest;
    std::vector<IndexFolder> folders;
  } cases[] = {
      {"line feeds only", "Highest: 2\n1,/p\n2,/q\n", true, 2, {{1, "/p"}, {2, "/q"}}},
      {"no line end at the end", "Highest: 1\r\n1,/p", true, 1, {{1, "/p"}}},
      {"a larger number than the first line", "Highest: 2\r\n9,/p\r\n", true, 9, {{9, "/p"}}},
      {"garbage first line", "Lowest: 2\r\n1,/p\r\n", false, 0, {}},
      {"empty file", "", false, 0, {}},
      {"zero ends the reading", "Highest: 4\r\n0,/p\r\n4,/q\r\n", true, 4, {}},
      {"a line without a number ends it", "Highest: 4\r\n1,/p\r\n\r\n4,/q\r\n", true, 4, {{1, "/p"}}},
      {"a number alone ends it", "Highest: 4\r\n3\r\n", true, 4, {}},
      {"out of range number ends it", "Highest: 4\r\n99999999999,/p\r\n", true, 4, {}},
      {"path that ends in r", "Highest: 1\r\n1,/home/bar\n", true, 1, {{1, "/home/bar"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto read = qz::thumbs::decodeIndex(c.text);
    EXPECT_EQ(read.valid, c.valid);
    EXPECT_EQ(read.highest, c.highest);
    EXPECT_EQ(read.folders, c.folders);
  }
}

TEST(IndexCodec, PathsWithLineBreaksAreNotStored) {
  EXPECT_EQ(qz::thumbs::encodeIndex(2, {{1, "/a\nb"}, {2, "/c"}}), "Highest: 2\r\n2,/c\r\n");
}

TEST(FileSizeText, Table) {
  struct Case {
    uint64_t bytes;
    const char* text;
  } cases[] = {
      {0, "File Size: 1KB"},           {100, "File Size: 1KB"},
      {2047, "File Size: 1KB"},        {2048, "File Size: 2KB"},
      {1048576, "File Size: 1024KB"},  {1048577, "File Size: 1,024KB"},
      {1572864, "File Size: 1,536KB"}, {1023999999, "File Size: 999,999KB"},
      {1024000000, "File Size: 1000,000KB"}, {5ull << 30, "File Size: 5242,880KB"},
      {1049600, "File Size: 1,025KB"},  {1024 * 1000001ull, "File Size: 1000,001KB"},
  };
  for (const Case& c : cases) EXPECT_EQ(qz::thumbs::fileSizeText(c.bytes), c.text) << c.bytes;
}

TEST(FitThumbnail, Table) {
  struct Case {
    int64_t width, height;
    qz::thumbs::ThumbnailSize fitted;
  } cases[] = {
      {640, 480, {64, 48}}, {480, 640, {36, 48}}, {1000, 1, {64, 1}}, {1, 1000, {1, 48}},
      {1, 1, {48, 48}},     {64, 48, {64, 48}},   {100, 100, {48, 48}}, {200, 50, {64, 16}},
      {3000000000, 2000000000, {63, 42}}, {0, 10, {0, 0}}, {10, -1, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    EXPECT_EQ(qz::thumbs::fitThumbnail(c.width, c.height, 64, 48), c.fitted);
  }
}

TEST(CacheNames, OnlyPlainNamesMayBeJoinedToTheCache) {
  for (const char* ok : {"a.jpg", "..hidden", "name with spaces", "x..y"}) EXPECT_TRUE(qz::thumbs::isPlainCacheName(ok)) << ok;
  for (const char* bad : {"", ".", "..", "a/b", "a\\b", "_Entries"}) EXPECT_FALSE(qz::thumbs::isPlainCacheName(bad)) << bad;
}

}  // namespace
