// The file list's rows: one per listed file, its picture beside its name,
// pixel size and file size. Built and changed on the window's thread only.
#include <atomic>

#include "gadgets/file_requester_object.h"
#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "gadgets/thumbnail_icon.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace qz::filereq {

namespace {

constexpr uint32_t kBusyPointer = 2;
constexpr int32_t kRowGap = 5;

// Choosing a selected row again is OK.
void Qz__Activated(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  FileRequesterObject* r = asRequester(reinterpret_cast<Qz_Object*>(user));
  if (!r->ok) return;
  Qz_DoMethod(r->ok, kRootSetUserData, 1);
  std::atomic_ref<uint32_t>(r->running).store(0);
}

Qz_Object* Qz__Line(const char* text) { return Qz_CreateObject("Text", kRootSetLabel, text, kRootSetWeight, 0); }

Qz_Object* Qz__MakeRow(FileRequesterObject* r, thumbs::FileItem& f, const thumbs::ThumbnailPassSettings& box) {
  Qz_Object* row = Qz_CreateObject("ListTreeItem", kRootSetUserData, &f, kGroupSetSpacing, 6);
  Qz_Object* icon = makeThumbnailIcon(box.boxWidth, box.boxHeight);
  Qz_Object* lines = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 0, kRootSetWeight, 100);
  Qz_Object* name = Qz__Line(f.record.name.c_str());
  Qz_Object* pixels = Qz__Line("");
  Qz_Object* size = Qz__Line(f.sizeText.c_str());
  if (!row || !icon || !lines || !name || !pixels || !size) {
    for (Qz_Object* o : {row, icon, lines, name, pixels, size}) Qz_DisposeObject(o);
    return nullptr;
  }
  for (Qz_Object* o : {name, pixels, size}) Qz_DoMethod(lines, kGroupAddTail, o);
  Qz_DoMethod(row, kGroupAddTail, icon);
  Qz_DoMethod(row, kGroupAddTail, lines);
  f.listItem = row;
  f.icon = icon;
  f.pixelSizeLabel = pixels;
  Qz_Object* self = &r->header;
  Qz_AddNotify(row, kRootSelect, kNotifyAnyValue, self, 2, kFileRequesterItemChosen, f.record.name.c_str());
  Qz_AddCallBackNotify(row, kListTreeActivated, kNotifyAnyValue, Qz__Activated, reinterpret_cast<QzWord>(self));
  return row;
}

thumbs::ThumbnailPassSettings Qz__Box() {
  thumbs::ThumbnailPassSettings s;
  const Qz_ImageBase* base = Qz_GetImageBase();
  if (base && base->useCount.load() > 0 && base->thumbnailWidth > 0 && base->thumbnailHeight > 0) {
    s.boxWidth = base->thumbnailWidth;
    s.boxHeight = base->thumbnailHeight;
  }
  return s;
}

std::unique_ptr<FileListing> Qz__TakePosted(FileRequesterObject* r, FileListing* listing) {
  std::lock_guard<std::mutex> hold(r->postedLock);
  for (auto it = r->posted.begin(); it != r->posted.end(); ++it) {
    if (it->get() != listing) continue;
    std::unique_ptr<FileListing> taken = std::move(*it);
    r->posted.erase(it);
    return taken;
  }
  return nullptr;
}

void Qz__EmptyList(FileRequesterObject* r) {
  Qz_DoMethod(r->fileList, kListTreeSetCurrentItem, 0);
  Qz_DoMethod(r->fileList, kListTreeClear);
  r->listing.reset();
}

}  // namespace

thumbs::ThumbnailPassSettings thumbnailBox() { return Qz__Box(); }

void showListing(FileRequesterObject* r, FileListing* listing) {
  std::unique_ptr<FileListing> taken = Qz__TakePosted(r, listing);
  if (!taken) return;
  if (r->window) Qz_DoMethod(r->window, kWindowSetCursor, kBusyPointer);
  Qz_DoMethod(r->fileList, kGroupDisableLayout);
  Qz__EmptyList(r);
  r->listing = std::move(taken);
  const thumbs::ThumbnailPassSettings box = Qz__Box();
  Qz_DoMethod(r->fileList, kVirtualGroupSetStepRow, uint32_t(box.boxHeight + kRowGap));
  for (thumbs::FileItem& f : r->listing->files) {
    if (Qz_Object* row = Qz__MakeRow(r, f, box)) Qz_DoMethod(r->fileList, kGroupAddTail, row);
  }
  Qz_DoMethod(r->fileList, kGroupSetScrollX, 0);
  Qz_DoMethod(r->fileList, kGroupSetScrollY, 0);
  Qz_DoMethod(r->fileList, kGroupEnableLayout, 0);
  Qz_RelayoutAndRedrawObject(r->fileList);
  if (r->window) Qz_DoMethod(r->window, kWindowSetCursor, 0);
}

void showThumbnails(FileRequesterObject* r, FileListing* listing) {
  // A message of a listing since replaced finds its address unused or
  // reused; either way only the shown listing's own results are taken.
  if (!r->listing || r->listing.get() != listing) return;
  for (SettledThumbnail& s : listing->takeSettled()) {
    if (s.index >= listing->files.size()) {
      if (s.picture) listing->images->release(s.picture);
      continue;
    }
    thumbs::FileItem& f = listing->files[s.index];
    if (f.thumbnail) listing->images->release(f.thumbnail);
    f.thumbnail = s.picture;
    f.pixelSizeText = std::move(s.pixelSizeText);
    if (!f.listItem) continue;
    Qz_DoMethod(f.pixelSizeLabel, kRootSetLabel, f.pixelSizeText.c_str());
    showThumbnailPicture(f, *listing->images);
    Qz_RelayoutAndRedrawObject(f.listItem);
  }
}

void clearListing(FileRequesterObject* r) {
  Qz_DoMethod(r->fileList, kListTreeDeselectAll);
  Qz__EmptyList(r);
  std::lock_guard<std::mutex> hold(r->postedLock);
  r->posted.clear();
}

}  // namespace qz::filereq
