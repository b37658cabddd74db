// Listing a folder's files and the thumbnail pass over them.
#include "gadgets/thumbnail_pass.h"

#include <sys/stat.h>

#include <algorithm>

#include "gadgets/qz_list_tree.h"
#include "platform/filesystem.h"

namespace qz::thumbs {

namespace {

// What a folder's "_Entries" said is taken by the first item of that name;
// thumbnails of names no item took belong to files that are gone.
void takeStoredEntries(ThumbnailCache& cache, int32_t number, const std::vector<FileItem*>& items) {
  for (const CacheEntry& stored : cache.readEntries(number)) {
    auto it = std::find_if(items.begin(), items.end(), [&](FileItem* f) { return f->record.name == stored.name; });
    if (it != items.end()) {
      (*it)->record = stored;
    } else {
      Qz_DeleteFile(cache.thumbnailPath(number, stored.name).c_str());
    }
  }
}

// A cached thumbnail still valid for the file's time; false ends the pass.
bool loadCached(ThumbnailCache& cache, ThumbnailImageService& images, int32_t number, FileItem& item,
                const ThumbnailPassHooks& hooks) {
  CacheEntry& r = item.record;
  // A touched file is looked at afresh, also one that was not a picture.
  if (r.state != kThumbnailNone && r.time != item.fileTime) {
    r.state = kThumbnailNone;
    return true;
  }
  if (r.state != kThumbnailCached) return true;
  const ThumbnailImageService::Loaded cached = images.loadThumbnail(cache.thumbnailPath(number, r.name));
  if (cached.picture) {
    item.thumbnail = cached.picture;
    return true;
  }
  if (hooks.interrupted()) return false;
  r.state = kThumbnailNone;
  return true;
}

void makeThumbnail(ThumbnailCache& cache, ThumbnailImageService& images, const std::string& folder, int32_t number,
                   FileItem& item, const ThumbnailPassSettings& settings) {
  CacheEntry& r = item.record;
  // A file named like the entries file, or a name the file layer would
  // split, gets no thumbnail file.
  if (!isPlainCacheName(r.name)) return;
  ThumbnailImageService::Loaded source = images.loadSource(folder + "/" + r.name);
  r.time = item.fileTime;
  if (!source.picture) {
    if (source.result == 8) r.state = kThumbnailUnreadable;
    return;
  }
  r.width = uint32_t(source.width);
  r.height = uint32_t(source.height);
  if (source.fullWidth) r.width = source.fullWidth;
  if (source.fullHeight) r.height = source.fullHeight;
  const ThumbnailSize fitted = fitThumbnail(source.width, source.height, settings.boxWidth, settings.boxHeight);
  if (fitted.width == 0 || !images.scale(source.picture, fitted.width, fitted.height)) {
    images.release(source.picture);
    return;
  }
  item.thumbnail = source.picture;
  cache.thumbnailMade(folder);
  // Marked cached only once the file is there, so a failed save is retried.
  if (cache.prepareFolder(number) && images.saveJpeg(source.picture, cache.thumbnailPath(number, r.name)))
    r.state = kThumbnailCached;
}

void writeEntries(ThumbnailCache& cache, const std::string& folder, int32_t number,
                  const std::vector<FileItem*>& items) {
  if (cache.thumbnailCount(folder) == 0) return;
  std::vector<CacheEntry> entries;
  entries.reserve(items.size());
  for (const FileItem* f : items) entries.push_back(f->record);
  cache.writeEntries(number, entries);
}

}  // namespace

std::vector<FileItem> listFolderFiles(const std::string& folder, const std::function<bool()>& interrupted,
                                      bool& ok) {
  std::vector<FileItem> files;
  Qz_DirectoryEntry* listing = Qz_OpenDirectory(folder.c_str());
  ok = listing != nullptr;
  if (!listing) return files;
  while (Qz_ScanDirectory(listing) && !interrupted()) {
    const std::string name = listing->de_Name;
    // Hidden files stay hidden, as the folder tree hides hidden folders.
    if (name.empty() || name[0] == '.') continue;
    struct stat st;
    if (stat((folder + "/" + name).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
    FileItem f;
    f.record.name = name;
    f.mode = uint32_t(st.st_mode);
    f.fileTime = uint32_t(st.st_mtime);
    f.bytes = uint64_t(st.st_size);
    f.sizeText = fileSizeText(f.bytes);
    files.push_back(std::move(f));
  }
  Qz_CloseDirectory(listing);
  std::sort(files.begin(), files.end(), [](const FileItem& a, const FileItem& b) {
    return qz::gadgets::sortsBeforeByLowerCase(a.record.name, b.record.name);
  });
  return files;
}

void runThumbnailPass(ThumbnailCache& cache, ThumbnailImageService& images, const std::string& folder,
                      const std::vector<FileItem*>& items, const ThumbnailPassSettings& settings,
                      const ThumbnailPassHooks& hooks) {
  const int32_t number = cache.enter(folder);
  if (cache.thumbnailCount(folder) != 0) takeStoredEntries(cache, number, items);
  for (FileItem* item : items) {
    if (hooks.interrupted()) break;
    if (!loadCached(cache, images, number, *item, hooks)) break;
    if (item->record.state == kThumbnailNone && settings.makeNew) makeThumbnail(cache, images, folder, number, *item, settings);
    if (item->thumbnail) {
      item->pixelSizeText = std::to_string(item->record.width) + "x" + std::to_string(item->record.height);
    }
    hooks.settled(*item);
  }
  writeEntries(cache, folder, number, items);
}

}  // namespace qz::thumbs
