// One folder's files as the file requester lists them, and the thumbnail
// pass over them: cached thumbnails are loaded, missing or outdated ones
// made (load, fit, scale, save as JPEG), files that are not pictures marked,
// thumbnails of files that are gone deleted. Pictures are reached through
// an image service, so the pass runs without the image model in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gadgets/thumbnail_cache.h"
#include "gadgets/thumbnail_cache_codec.h"
#include "objects/qz_object.h"
#include "platform/qz_export.h"

namespace qz::thumbs {

// A picture the image service made; only the service looks inside.
using Picture = void*;

class ThumbnailImageService {
 public:
  struct Loaded {
    Picture picture = nullptr;
    uint32_t result = 0;  // the library's result code (8: not a picture it knows)
    int32_t width = 0, height = 0;
    // The file's own size when the format delivered a reduced picture, else 0.
    uint32_t fullWidth = 0, fullHeight = 0;
  };
  virtual ~ThumbnailImageService() = default;
  virtual Loaded loadThumbnail(const std::string& path) = 0;
  virtual Loaded loadSource(const std::string& path) = 0;
  virtual bool scale(Picture picture, int32_t width, int32_t height) = 0;
  virtual bool saveJpeg(Picture picture, const std::string& path) = 0;
  virtual void release(Picture picture) = 0;
  // The picture's pixels as 0x00RRGGBB words, row by row; empty when it has none.
  virtual std::vector<uint32_t> pixels(Picture picture, int32_t& width, int32_t& height) = 0;
};

// The service over the program's image loading, scaling and saving.
QZ_EXPORT ThumbnailImageService& imageThumbnailService();

// One listed file. The record part is what "_Entries" keeps of it.
struct FileItem {
  CacheEntry record;        // its name, and the picture's size and state for a time
  uint32_t fileTime = 0;    // the file's modification time now (seconds, low 32 bits)
  uint32_t mode = 0;
  uint64_t bytes = 0;
  std::string sizeText;
  std::string pixelSizeText;  // empty until the picture's size is known
  Picture thumbnail = nullptr;
  Qz_Object* listItem = nullptr;        // the row showing it
  Qz_Object* icon = nullptr;            // the row's picture
  Qz_Object* pixelSizeLabel = nullptr;  // the row's line showing pixelSizeText
};

// The plain files of a folder (no folders, "." or unreadable entries),
// sorted by lower-cased name. Stops early, with what it has, when
// interrupted answers true. ok is false when the folder cannot be read.
QZ_EXPORT std::vector<FileItem> listFolderFiles(const std::string& folder, const std::function<bool()>& interrupted,
                                                bool& ok);

struct ThumbnailPassSettings {
  bool makeNew = true;  // the thumbnail switch: off, only cached thumbnails are shown
  int32_t boxWidth = 64, boxHeight = 48;
};

struct ThumbnailPassHooks {
  // A new scan or the stop is pending: the pass ends at its next check.
  std::function<bool()> interrupted = [] { return false; };
  // The item's thumbnail (or its absence) is settled; called in list order.
  std::function<void(FileItem&)> settled = [](FileItem&) {};
};

// The pass over the items of one folder, in list order.
QZ_EXPORT void runThumbnailPass(ThumbnailCache& cache, ThumbnailImageService& images, const std::string& folder,
                                const std::vector<FileItem*>& items, const ThumbnailPassSettings& settings,
                                const ThumbnailPassHooks& hooks);

}  // namespace qz::thumbs
