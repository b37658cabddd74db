// The thumbnail cache on disk: a cache folder holding the "Index" of the
// folders seen so far, and per folder a numbered folder with one JPEG
// thumbnail per file and its "_Entries" records. One cache serves every file
// requester of the program; its folder records are guarded by its own lock.
// Every failure here only costs thumbnails, so none is reported.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "gadgets/thumbnail_cache_codec.h"
#include "platform/qz_export.h"

namespace qz::thumbs {

class QZ_EXPORT ThumbnailCache {
 public:
  // The cache folder's path, as the file layer resolves it.
  explicit ThumbnailCache(std::string folder);

  // Takes the folders and the highest number from the index file.
  void readIndex();
  // The folder's number, a new one (highest + 1) for a folder not seen yet.
  int32_t enter(const std::string& path);
  // Non-zero once the folder has thumbnails made since it was numbered (or
  // since the cache was cleared).
  uint32_t thumbnailCount(const std::string& path);
  // Counts a thumbnail made for the folder; the first one puts the folder
  // in the index.
  void thumbnailMade(const std::string& path);
  // Deletes everything in the cache folder. The folders keep their numbers
  // and are cached again from their next visit.
  void clear();
  int32_t highest();

  std::string numberedFolder(int32_t number) const;
  std::string thumbnailPath(int32_t number, const std::string& name) const;
  // Makes the cache folder and the numbered folder where missing; true when
  // the numbered folder is there.
  bool prepareFolder(int32_t number) const;
  std::vector<CacheEntry> readEntries(int32_t number) const;
  void writeEntries(int32_t number, const std::vector<CacheEntry>& entries) const;

 private:
  struct FolderRecord {
    std::string path;  // compared exactly
    int32_t number = 0;
    uint32_t count = 0;
  };
  FolderRecord& findOrAdd(const std::string& path);  // with lock_ held
  bool writeIndex();                                 // with lock_ held

  std::mutex lock_;
  std::string folder_;
  std::vector<FolderRecord> records_;
  int32_t highest_ = 0;
};

}  // namespace qz::thumbs
