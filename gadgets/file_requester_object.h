// The file requester's instance record and what its modules share: the
// class (gadgets and methods), the thumbnail thread and the list rows.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gadgets/thumbnail_pass.h"
#include "objects/qz_object.h"
#include "platform/exec.h"

namespace qz::filereq {

// Posted by the thumbnail thread to the requester, run on the window's thread.
inline constexpr uint32_t kShowListing = 0x4E00F0;    // FileListing*, taken over
inline constexpr uint32_t kShowThumbnail = 0x4E00FA;  // FileListing*: shows what its pass settled

// Signals of the thumbnail thread.
inline constexpr uint32_t kScanSignal = 0x8000;
inline constexpr uint32_t kStopSignal = SIGBREAKF_CTRL_C;

// One item's thumbnail as the pass settled it, on its way to the window.
struct SettledThumbnail {
  size_t index = 0;  // into the listing's files
  std::string pixelSizeText;
  thumbs::Picture picture = nullptr;  // owned here until the window takes it
};

// One folder's files as listed by one scan; its pictures go with it. Once
// posted, the files are the window thread's alone: the rows' texts point
// into their strings. The thumbnail thread runs its pass over its own copy
// and hands each result over through the settled queue.
struct FileListing {
  std::string folder;
  std::vector<thumbs::FileItem> files;
  thumbs::ThumbnailImageService* images = nullptr;  // which releases the pictures
  std::mutex settledLock;
  std::vector<SettledThumbnail> settled;  // not yet taken by the window
  void handOver(SettledThumbnail result);
  std::vector<SettledThumbnail> takeSettled();
  ~FileListing();
};

struct FileRequesterObject {
  Qz_Object header;
  Qz_Object* window = nullptr;  // while it runs
  Qz_Object* content = nullptr;  // the window's group: the requester and the button row
  Qz_Object* ok = nullptr;
  Qz_Object* cancel = nullptr;
  Qz_Object* folderTree = nullptr;
  Qz_Object* fileList = nullptr;
  Qz_Object* nameRow = nullptr;
  Qz_Object* nameField = nullptr;
  Qz_Object* pathField = nullptr;
  Qz_Object* thumbnailItem = nullptr;
  Qz_Object* clearItem = nullptr;
  Qz_Object* extraArea = nullptr;
  Qz_Object* extra = nullptr;  // the caller's, never disposed here
  Qz_Object* thread = nullptr;
  std::atomic<Task*> threadTask{nullptr};
  uint32_t running = 0;  // written through kRootPoke32 by the buttons and the window
  uint32_t folderOnly = 0;
  bool settingPathField = false;
  std::string title;
  std::mutex folderLock;  // the current folder is read by the thumbnail thread
  std::string folder;
  std::unique_ptr<FileListing> listing;  // what the list shows (window thread)
  // Listings handed to the window and not yet taken; freed when the run ends.
  std::mutex postedLock;
  std::vector<std::unique_ptr<FileListing>> posted;
};

FileRequesterObject* asRequester(Qz_Object* object);

// The thumbnail thread's entry; its argument is the requester.
void thumbnailThread(QzWord requester);
// Asks the thread for a new scan of the current folder, when it runs.
void requestScan(FileRequesterObject* r);
// The current folder, copied under its lock.
std::string currentFolder(FileRequesterObject* r);

// The list's rows for a listing, replacing what it showed (window thread).
void showListing(FileRequesterObject* r, FileListing* listing);
// The thumbnails or blank pictures the pass settled since the last call.
void showThumbnails(FileRequesterObject* r, FileListing* listing);
// The thumbnail box: the image base's thumbnail size, else 64 x 48.
thumbs::ThumbnailPassSettings thumbnailBox();
// Empties the list and frees its listing.
void clearListing(FileRequesterObject* r);

// The thumbnail cache every requester shares (made at class registration).
thumbs::ThumbnailCache* sharedCache();
// The menu's thumbnail switch.
bool thumbnailsOn();
void setThumbnailsOn(bool on);

}  // namespace qz::filereq
