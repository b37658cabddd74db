// The file requester's modal run and its thumbnail thread. The thread only
// reads folders and pictures; everything the window shows is handed to the
// window's own thread as queued methods, so the list is never changed while
// the window lays it out or draws it.
#include <atomic>
#include <chrono>
#include <utility>

#include "gadgets/file_requester_object.h"
#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_thread.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "objects/requester.h"

namespace qz::filereq {

namespace {

constexpr QzWord kReturnKey = 13;
constexpr QzWord kEscapeKey = 27;
// Waits for another thread to come up end after this; the run is then a cancel.
constexpr auto kStartLimit = std::chrono::seconds(5);

std::atomic<thumbs::ThumbnailImageService*> gImages{nullptr};

thumbs::ThumbnailImageService& Qz__Images() {
  thumbs::ThumbnailImageService* injected = gImages.load();
  return injected ? *injected : thumbs::imageThumbnailService();
}

std::atomic_ref<uint32_t> Qz__Running(FileRequesterObject* r) { return std::atomic_ref<uint32_t>(r->running); }

template <typename Ready>
bool Qz__WaitFor(Ready ready) {
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Delay(1);
  }
  return true;
}

bool Qz__Interrupted() { return (SetSignal(0, 0) & (kScanSignal | kStopSignal)) != 0; }

thumbs::ThumbnailPassSettings Qz__PassSettings() {
  thumbs::ThumbnailPassSettings s = thumbnailBox();
  s.makeNew = thumbnailsOn();
  return s;
}

// Lists the current folder, hands the listing to the window and fetches
// its thumbnails. A newer request or the stop ends it early.
void Qz__Scan(FileRequesterObject* r) {
  const std::string folder = currentFolder(r);
  if (folder.empty()) return;
  thumbs::ThumbnailImageService& images = Qz__Images();
  bool readable = false;
  // The pass works on its own copy: the window's rows point into the
  // listing's strings, which the pass would rewrite under them.
  std::vector<thumbs::FileItem> passed = thumbs::listFolderFiles(folder, Qz__Interrupted, readable);
  if (Qz__Interrupted()) return;
  auto listing = std::make_unique<FileListing>();
  listing->folder = folder;
  listing->images = &images;
  listing->files = passed;
  FileListing* shown = listing.get();
  {
    std::lock_guard<std::mutex> hold(r->postedLock);
    r->posted.push_back(std::move(listing));
  }
  Qz_Object* self = &r->header;
  if (!Qz_DoAsyncMethod(self, kShowListing, shown) || passed.empty() || !sharedCache()) return;
  std::vector<thumbs::FileItem*> items;
  for (thumbs::FileItem& f : passed) items.push_back(&f);
  thumbs::ThumbnailPassHooks hooks;
  hooks.interrupted = Qz__Interrupted;
  hooks.settled = [&](thumbs::FileItem& f) {
    shown->handOver({size_t(&f - passed.data()), f.pixelSizeText, std::exchange(f.thumbnail, nullptr)});
    Qz_DoAsyncMethod(self, kShowThumbnail, shown);
  };
  thumbs::runThumbnailPass(*sharedCache(), images, folder, items, Qz__PassSettings(), hooks);
  for (thumbs::FileItem& f : passed) {
    if (f.thumbnail) images.release(f.thumbnail);
  }
}

Qz_Object* Qz__Button(const char* label, QzWord key, Qz_Object** slot) {
  Qz_Object* text = Qz_CreateObject("Text", kRootSetLabel, label);
  Qz_Object* button = text ? Qz_CreateObject("Button", kButtonSetKey, key, kRootSetWeight, 100) : nullptr;
  if (!button) {
    Qz_DisposeObject(text);
    return nullptr;
  }
  Qz_DoMethod(button, kGroupAddTail, text);
  *slot = button;
  return button;
}

// The window around the requester with the OK and Cancel row.
bool Qz__MakeWindow(FileRequesterObject* r) {
  const QzWord spacing = QzWord(Qz_GetGlobalData()->requesterSpacing);
  r->window = Qz_CreateObject("Window", kWindowSetX, 70, kWindowSetY, 40, kWindowSetDefaultWidth, 450,
                              kWindowSetDefaultHeight, 440, kWindowSetTitle, r->title.c_str(), kWindowSetKind,
                              kWindowKindFreeStanding, kWindowSetPositionKey, kFileRequesterClassId);
  r->content = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 4, kGroupSetInnerSpacing, spacing,
                               kRootSetWeight, 100);
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 4, kRootSetWeight, 0);
  Qz_Object* gap = Qz_CreateObject("Space", kFixHeight, 1, kRootSetWeight, 100);
  Qz_Object* ok = Qz__Button("Ok", kReturnKey, &r->ok);
  Qz_Object* cancel = Qz__Button("Cancel", kEscapeKey, &r->cancel);
  if (!r->window || !r->content || !row || !gap || !ok || !cancel) {
    for (Qz_Object* o : {r->window, r->content, row, gap, ok, cancel}) Qz_DisposeObject(o);
    r->window = r->content = r->ok = r->cancel = nullptr;
    return false;
  }
  for (Qz_Object* o : {ok, gap, cancel}) Qz_DoMethod(row, kGroupAddTail, o);
  Qz_DoMethod(ok, kRootSetObjectName, "FileRequesterOk");
  Qz_DoMethod(cancel, kRootSetObjectName, "FileRequesterCancel");
  Qz_DoMethod(r->content, kGroupAddTail, row);
  Qz_DoMethod(r->content, kGroupAddHead, &r->header);
  Qz_DoMethod(r->window, kGroupAddTail, r->content);
  return true;
}

void Qz__Notifications(FileRequesterObject* r) {
  uint32_t* running = &r->running;
  Qz_AddNotify(r->window, kWindowToFront, kNotifyAnyValue, r->ok, 2, kRootSetUserData, 1);
  Qz_AddNotify(r->ok, kButtonPressed, kNotifyAnyValue, r->ok, 2, kRootSetUserData, 1);
  for (auto [source, method] : {std::pair{r->window, kWindowClose}, {r->window, kWindowToFront},
                                {r->ok, kButtonPressed}, {r->cancel, kButtonPressed}})
    Qz_AddNotify(source, method, kNotifyAnyValue, r->ok, 3, kRootPoke32, running, 0);
}

// The window comes down, the thread stops; the requester and its list stay.
void Qz__TakeDown(FileRequesterObject* r) {
  Qz_DisposeObject(r->thread);  // stops the thread: it ends at its next check
  r->thread = nullptr;
  Qz_DoMethod(r->window, kRootHide);
  Qz_DoMethod(&r->header, kRootSetAsyncPort, 0);
  Qz_DoMethod(r->content, kGroupRemove, &r->header);
  Qz_DisposeObject(r->window);
  r->window = r->content = r->ok = r->cancel = nullptr;
  std::lock_guard<std::mutex> hold(r->postedLock);
  r->posted.clear();  // listings the window never took
}

}  // namespace

void FileListing::handOver(SettledThumbnail result) {
  std::lock_guard<std::mutex> hold(settledLock);
  settled.push_back(std::move(result));
}

std::vector<SettledThumbnail> FileListing::takeSettled() {
  std::lock_guard<std::mutex> hold(settledLock);
  return std::exchange(settled, {});
}

FileListing::~FileListing() {
  for (thumbs::FileItem& f : files) {
    if (f.thumbnail) images->release(f.thumbnail);
  }
  for (SettledThumbnail& s : settled) {
    if (s.picture) images->release(s.picture);
  }
}

void setThumbnailImageService(thumbs::ThumbnailImageService* images) { gImages.store(images); }

void requestScan(FileRequesterObject* r) {
  if (Task* task = r->threadTask.load()) Signal(task, kScanSignal);
}

void thumbnailThread(QzWord requester) {
  FileRequesterObject* r = asRequester(reinterpret_cast<Qz_Object*>(requester));
  r->threadTask.store(FindTask(nullptr));
  for (;;) {
    const uint32_t got = Wait(kScanSignal | kStopSignal);
    if (got & kStopSignal) break;
    if (got & kScanSignal) Qz__Scan(r);
  }
  r->threadTask.store(nullptr);
}

QzWord runFileRequester(FileRequesterObject* r) {
  if (r->window) return 0;
  r->thread = Qz_CreateObject("Thread", kThreadSetEntry, reinterpret_cast<void*>(&thumbnailThread), kThreadSetStackSize, 16384,
                              kThreadSetName, "Qz File Requester Thread", kThreadSetPriority, uint32_t(-1),
                              kRootSetUserData, &r->header);
  if (!r->thread) return 0;
  if (!Qz__MakeWindow(r)) {
    Qz_DisposeObject(r->thread);
    r->thread = nullptr;
    return 0;
  }
  Qz__Notifications(r);
  Qz__Running(r).store(1);
  Qz_AlignRequestorPosition(r->window);
  Qz_DoMethod(r->window, kRootOpen);
  // Both threads must be up before the first scan is asked for; a thread
  // that never comes up is a cancel, never a hang.
  bool up = Qz__WaitFor([&] { return std::atomic_ref<MsgPort*>(Qz_RootInstance(r->window)->asyncPort).load() != nullptr; });
  if (up) {
    Qz_DoMethod(&r->header, kRootSetAsyncPort, Qz_RootInstance(r->window)->asyncPort);
    Qz_DoMethod(r->thread, kRootOpen);
    up = Qz__WaitFor([&] { return r->threadTask.load() != nullptr; });
  }
  if (up) {
    requestScan(r);
    while (Qz__Running(r).load() != 0 && !Qz__ModalWaitEnds(SIGBREAKF_CTRL_C)) Delay(5);
  }
  const QzWord result = up && Qz_DoMethod(r->ok, kRootGetUserData) == 1 ? 1 : 0;
  Qz__TakeDown(r);
  return result;
}

}  // namespace qz::filereq
