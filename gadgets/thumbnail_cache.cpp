// The thumbnail cache's folder records and files.
#include "gadgets/thumbnail_cache.h"

#include <algorithm>
#include <cstdio>

#include "platform/atomic_file_writer.h"
#include "platform/filesystem.h"
#include "platform/paths.h"

namespace qz::thumbs {

namespace {

// Files of the cache are small; a larger one is not ours and is not read.
constexpr long kLargestCacheFile = 64L << 20;

std::vector<uint8_t> readSmallFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = Qz_FOpen(path.c_str(), "rb");
  if (!f) return bytes;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long size = std::ftell(f);
    if (size > 0 && size <= kLargestCacheFile && std::fseek(f, 0, SEEK_SET) == 0) {
      bytes.resize(size_t(size));
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    }
  }
  std::fclose(f);
  return bytes;
}

bool writeWholeFile(const std::string& path, const void* data, size_t size) {
  AtomicFileWriter out(path);
  if (!out.ok()) return false;
  if (size != 0 && std::fwrite(data, 1, size, out.stream()) != size) return false;
  return out.commit();
}

}  // namespace

ThumbnailCache::ThumbnailCache(std::string folder) : folder_(std::move(folder)) {}

void ThumbnailCache::readIndex() {
  const std::vector<uint8_t> bytes = readSmallFile(folder_ + "/" + kIndexFileName);
  const IndexContents index = decodeIndex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!index.valid) return;
  std::lock_guard<std::mutex> hold(lock_);
  for (const IndexFolder& f : index.folders) {
    FolderRecord& r = findOrAdd(f.path);
    r.number = f.number;
    r.count = 1;
  }
  highest_ = std::max(highest_, index.highest);
}

ThumbnailCache::FolderRecord& ThumbnailCache::findOrAdd(const std::string& path) {
  auto it = std::find_if(records_.begin(), records_.end(), [&](const FolderRecord& r) { return r.path == path; });
  if (it != records_.end()) return *it;
  records_.push_back({path, 0, 0});
  return records_.back();
}

int32_t ThumbnailCache::enter(const std::string& path) {
  std::lock_guard<std::mutex> hold(lock_);
  FolderRecord& r = findOrAdd(path);
  if (r.number == 0) r.number = ++highest_;
  return r.number;
}

uint32_t ThumbnailCache::thumbnailCount(const std::string& path) {
  std::lock_guard<std::mutex> hold(lock_);
  return findOrAdd(path).count;
}

void ThumbnailCache::thumbnailMade(const std::string& path) {
  std::lock_guard<std::mutex> hold(lock_);
  if (++findOrAdd(path).count == 1) writeIndex();
}

int32_t ThumbnailCache::highest() {
  std::lock_guard<std::mutex> hold(lock_);
  return highest_;
}

void ThumbnailCache::clear() {
  std::lock_guard<std::mutex> hold(lock_);
  Qz_DeleteDir((folder_ + "/").c_str());
  // With a count left standing a folder would never make its numbered
  // folder or its index line again.
  for (FolderRecord& r : records_) r.count = 0;
}

bool ThumbnailCache::writeIndex() {
  std::vector<IndexFolder> listed;
  for (const FolderRecord& r : records_) {
    if (r.count != 0) listed.push_back({r.number, r.path});
  }
  Qz_CreateDir(folder_.c_str());
  const std::string text = encodeIndex(highest_, listed);
  return writeWholeFile(folder_ + "/" + kIndexFileName, text.data(), text.size());
}

std::string ThumbnailCache::numberedFolder(int32_t number) const { return folder_ + "/" + std::to_string(number); }

std::string ThumbnailCache::thumbnailPath(int32_t number, const std::string& name) const {
  return numberedFolder(number) + "/" + name;
}

bool ThumbnailCache::prepareFolder(int32_t number) const {
  Qz_CreateDir(folder_.c_str());
  Qz_CreateDir(numberedFolder(number).c_str());
  return Qz_DoesFileExist(numberedFolder(number).c_str()) != 0;
}

std::vector<CacheEntry> ThumbnailCache::readEntries(int32_t number) const {
  return decodeEntries(readSmallFile(thumbnailPath(number, kEntriesFileName)));
}

void ThumbnailCache::writeEntries(int32_t number, const std::vector<CacheEntry>& entries) const {
  if (!prepareFolder(number)) return;
  const std::vector<uint8_t> bytes = encodeEntries(entries);
  writeWholeFile(thumbnailPath(number, kEntriesFileName), bytes.data(), bytes.size());
}

}  // namespace qz::thumbs
