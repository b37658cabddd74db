#include "app/web_save_dialog.h"

#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_thread.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "gadgets/window_post.h"
#include "image/image_shell.h"
#include "objects/catalogue.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/requester.h"
#include "platform/filesystem.h"

namespace qz::web {
namespace {

constexpr uint32_t kEstimateSignal = 0x8000;
constexpr uint32_t kWindowWidth = 500, kWindowHeight = 460;
constexpr QzWord kReturnKey = 13, kEscapeKey = 27;
// Group modes.
constexpr uint32_t kGroupVertical = 1, kGroupHorizontal = 2, kPagesMode = 4;
constexpr uint32_t kQuiet = 4;
constexpr int kWorkerStartTicks = 500;
// The longest wait for the window's thread to catch up (it may be closing).
constexpr int kSettleTicks = 500;

// Catalogue texts.
constexpr uint32_t kTitleText = 364, kCompressionText = 252, kLowText = 155, kNoneText = 78;
constexpr uint32_t kSaveText = 19, kCancelText = 20, kSaveTitleText = 26, kReplaceText = 339, kWriteFailedText = 30;

// Format-object option getters and setters kept across the dialog, which
// changes options that every save of the process shares.
struct OptionSlot {
  int format;  // 0 JPEG, 1 PNG, 2 GIF
  uint32_t get, set;
};
constexpr OptionSlot kOptionSlots[] = {{0, 7023, 7013}, {0, 7043, 7033}, {1, 7030, 7020}, {1, 7050, 7040},
                                       {2, 7023, 7013}, {2, 7043, 7033}, {2, 7063, 7053}};

// Broken into lines to fit the window's width.
constexpr const char* kJpegDescription =
    "JPEG is the most widespread lossy format for\nphotographic images on the web.";
constexpr const char* kPngDescription = "PNG keeps every pixel exactly: best for\ndrawings, text and sharp edges.";
constexpr const char* kGifDescription = "GIF keeps at most 256 colours: best for\nsimple graphics and logos.";
constexpr const char* kEncodings[2] = {
    "Standard - Image displays line by line.",
    "Progressive - A blurry version of the entire image is\ndisplayed, which gradually comes into focus."};
constexpr const char* kTimeLabels[3] = {"28kbps Modem:  ", "56kbps Modem:  ", "300kbps Broadband:  "};

std::mutex gRequestMutex;
SaveNameRequest gSaveNameRequest;

Qz_Object* add(Qz_Object* parent, Qz_Object* child) {
  if (parent != nullptr && child != nullptr) Qz_DoMethod(parent, kGroupAddTail, child);
  return child;
}
// Equal weights share a group's spare room out exactly; the defaults hand out more than there is.
constexpr QzWord kWeight = 100;
constexpr QzWord kRowSpacing = 6;

Qz_Object* group(uint32_t mode) { return Qz_CreateObject("Group", kGroupSetMode, mode, kRootSetWeight, kWeight); }
Qz_Object* text(const char* label) { return Qz_CreateObject("Text", kRootSetLabel, label, kRootSetWeight, 0); }
Qz_Object* slider(int32_t minimum, int32_t maximum, QzWord value, const char* format) {
  return Qz_CreateObject("Slider", kValueSetMinimum, uint32_t(minimum), kValueSetMaximum, uint32_t(maximum),
                         kValueSetFormat, format, kValueSet, value, kRootSetWeight, kWeight);
}
Qz_Object* button(const char* label, QzWord key) {
  Qz_Object* b = Qz_CreateObject("Button", kButtonSetKey, key, kRootSetUserData, 0, kRootSetWeight, kWeight);
  add(b, Qz_CreateObject("Text", kRootSetLabel, label));
  return b;
}
Qz_Object* choice(const char* const* labels, int count) {
  Qz_Object* c = Qz_CreateObject("MutualExclude", kRootSetWeight, kWeight);
  for (int i = 0; i < count; ++i) add(c, Qz_CreateObject("Text", kRootSetLabel, labels[i]));
  Qz_DoMethod(c, kMutualExcludeMark, 0);
  return c;
}
// A labelled row: the label, a small caption and the slider.
Qz_Object* sliderRow(const char* label, const char* caption, Qz_Object* s) {
  Qz_Object* row = group(kGroupHorizontal);
  Qz_DoMethod(row, kGroupSetSpacing, kRowSpacing);
  add(row, text(label));
  if (caption != nullptr) add(row, text(caption));
  add(row, s);
  return row;
}


bool isRunning(const uint32_t& flag) {
  return std::atomic_ref<uint32_t>(const_cast<uint32_t&>(flag)).load(std::memory_order_acquire) != 0;
}

// The program's save file requester, starting in the folder with the name.
bool askWithFileRequester(std::string& folder, std::string& name) {
  char path[kFileRequestBufferBytes] = {}, file[kFileRequestBufferBytes] = {};
  folder.copy(path, sizeof path - 1);
  name.copy(file, sizeof file - 1);
  if (Qz_FileRequestA(Qz_CatalogString(kSaveTitleText), path, file, nullptr, kFileRequestSave, nullptr) != 1)
    return false;
  folder = path;
  name = file;
  return !name.empty();
}

bool askSaveName(std::string& folder, std::string& name) {
  SaveNameRequest request;
  {
    std::lock_guard lock(gRequestMutex);
    request = gSaveNameRequest;
  }
  return request ? request(folder, name) : askWithFileRequester(folder, name);
}

}  // namespace

void setSaveNameRequest(SaveNameRequest request) {
  std::lock_guard lock(gRequestMutex);
  gSaveNameRequest = std::move(request);
}

std::unique_ptr<WebSaveDialog> WebSaveDialog::open(Qz_Image* image) {
  std::unique_ptr<WebSaveDialog> d(new WebSaveDialog);
  char name[QZ_TEMP_NAME_SIZE] = {};
  if (image == nullptr || Qz_GetTempFileName(name) != 1) return nullptr;
  d->trialFile_ = name;
  if (!Qz_LockImageA(image, kQzLockComposite, nullptr)) return nullptr;
  d->image_ = image;
  d->locked_ = true;
  InitSemaphore(&d->semaphore_);
  d->formats_ = {Qz_CreateObject("JPEGQZIO"), Qz_CreateObject("PNGQZIO"), Qz_CreateObject("GIFQZIO")};
  if (d->formats_.jpeg == nullptr) return nullptr;
  Qz_Object* objects[3] = {d->formats_.jpeg, d->formats_.png, d->formats_.gif};
  for (size_t i = 0; i < std::size(kOptionSlots); ++i)
    if (objects[kOptionSlots[i].format] != nullptr)
      d->savedOptions_[i] = Qz_DoMethod(objects[kOptionSlots[i].format], kOptionSlots[i].get);
  // The first trial, with the formats' current options, gives the preview its image.
  d->options_.quality = int32_t(d->savedOptions_[0]);
  d->options_.encoding = d->savedOptions_[1] != 0 ? 1 : 0;
  if (writeTrialFile(image, d->trialFile_, d->formats_, d->options_) < 0 || (d->preview_ = d->loadTrial()) == nullptr)
    return nullptr;
  if (!d->build()) return nullptr;
  if (!d->startWorker()) return nullptr;
  Qz_AlignRequestorPosition(d->window_);
  Qz_DoMethod(d->window_, kRootOpen);
  Signal(d->workerTask_.load(), kEstimateSignal);
  return d;
}

bool WebSaveDialog::build() {
  window_ = Qz_CreateObject("Window", kWindowSetX, kWindowCentred, kWindowSetY, kWindowCentred, kWindowSetW,
                            kWindowWidth, kWindowSetH, kWindowHeight, kWindowSetTitle, Qz_CatalogString(kTitleText),
                            kWindowSetKind, kWindowKindFreeStanding);
  if (window_ == nullptr) return false;
  Qz_Object* column = add(window_, group(kGroupVertical));

  Qz_Object* viewsRow = add(column, group(kGroupHorizontal));
  const char* viewTitles[2] = {"Image", "Preview"};
  for (int i = 0; i < 2; ++i) {
    Qz_Object* box = add(viewsRow, group(kGroupVertical));
    add(box, text(viewTitles[i]));
    viewGroups_[i] = add(box, Qz_CreateObject("VirtualGroup", kGroupSetFrame, 18, kRootSetWeight, kWeight));
    // Thumbnails: drawn in this window, and not among the document's own views.
    views_[i] = add(viewGroups_[i], Qz_CreateObject("ImageView", kQzViewSetThumbnail, 1, kQzViewSetImage,
                                                    i == 0 ? image_ : preview_));
  }

  Qz_Object* sizesRow = add(column, group(kGroupHorizontal));
  const int64_t rawBytes = int64_t(image_->width) * image_->height * 3;
  add(sizesRow, text(labels_.emplace_back("Uncompressed Size: " + sizeText(rawBytes)).c_str()));
  sizeStatus_ = add(sizesRow, group(kPagesMode));
  compressedSize_ = add(sizeStatus_, text("Compressed Size: ????"));
  Qz_DoMethod(compressedSize_, kRootSetWeight, kWeight);
  add(sizeStatus_, text("\nWorking...\n"));

  Qz_Object* formatBox = add(column, group(kGroupVertical));
  add(formatBox, text("File Format"));
  const char* entries[3];
  int count = 0;
  entries[count] = kJpegDescription;
  pageFormats_[count++] = WebFormat::Jpeg;
  if (formats_.png != nullptr) {
    entries[count] = kPngDescription;
    pageFormats_[count++] = WebFormat::Png;
  }
  if (formats_.gif != nullptr) {
    entries[count] = kGifDescription;
    pageFormats_[count++] = WebFormat::Gif;
  }
  formatChoice_ = add(formatBox, choice(entries, count));
  Qz_DoMethod(formatChoice_, kRootSetUserData, 7);

  optionPages_ = add(column, group(kPagesMode));
  const char* compression = Qz_CatalogString(kCompressionText);
  for (int i = 0; i < count; ++i) {
    Qz_Object* page = add(optionPages_, group(kGroupVertical));
    switch (pageFormats_[i]) {
      case WebFormat::Jpeg:
        sliders_[0] = slider(1, 100, savedOptions_[0], "%ld");
        add(page, sliderRow(compression, Qz_CatalogString(kLowText), sliders_[0]));
        break;
      case WebFormat::Png:
        sliders_[1] = slider(0, 9, savedOptions_[2], "%ld");
        add(page, sliderRow(compression, Qz_CatalogString(kNoneText), sliders_[1]));
        break;
      case WebFormat::Gif:
        sliders_[2] = slider(2, 256, savedOptions_[4], "%ld");
        sliders_[3] = slider(0, 100, savedOptions_[5], " %ld%%  ");
        add(page, sliderRow("Number of Colours", nullptr, sliders_[2]));
        add(page, sliderRow("Dithering", nullptr, sliders_[3]));
        break;
    }
    add(page, text("Encoding"));
    const QzWord progressive = savedOptions_[pageFormats_[i] == WebFormat::Jpeg ? 1 : pageFormats_[i] == WebFormat::Png ? 3 : 6];
    encodings_[int(pageFormats_[i])] = add(page, choice(kEncodings, 2));
    Qz_DoMethod(encodings_[int(pageFormats_[i])], kMutualExcludeMark, progressive != 0 ? 1 : 0);
  }
  Qz_DoMethod(optionPages_, kGroupShowPage, 0);

  Qz_Object* timesBox = add(column, group(kGroupVertical));
  add(timesBox, text("Approximate Download Times"));
  for (int i = 0; i < 3; ++i) {
    Qz_Object* row = add(timesBox, group(kGroupHorizontal));
    // Two equal columns: the time has room to grow beyond "????".
    Qz_DoMethod(add(row, text(kTimeLabels[i])), kRootSetWeight, kWeight);
    times_[i] = add(row, text("????"));
    Qz_DoMethod(times_[i], kRootSetWeight, kWeight);
  }

  Qz_Object* buttons = add(column, group(kGroupHorizontal));
  saveButton_ = add(buttons, button(Qz_CatalogString(kSaveText), kReturnKey));
  cancelButton_ = add(buttons, button(Qz_CatalogString(kCancelText), kEscapeKey));
  if (views_[0] == nullptr || views_[1] == nullptr || formatChoice_ == nullptr || sliders_[0] == nullptr ||
      saveButton_ == nullptr || cancelButton_ == nullptr || times_[2] == nullptr || compressedSize_ == nullptr)
    return false;

  Qz_AddNotify(saveButton_, kButtonPressed, kNotifyAnyValue, saveButton_, 2, kRootSetUserData, 1);
  for (Qz_Object* b : {saveButton_, cancelButton_})
    Qz_AddNotify(b, kButtonPressed, kNotifyAnyValue, b, 3, kRootPoke32, &running_, 0);
  Qz_AddNotify(window_, kWindowClose, kNotifyAnyValue, cancelButton_, 3, kRootPoke32, &running_, 0);
  const QzWord self = reinterpret_cast<QzWord>(this);
  Qz_AddCallBackNotify(formatChoice_, kMutualExcludeMark, kNotifyAnyValue, onOptionChanged, self);
  for (Qz_Object* s : sliders_)
    if (s != nullptr) Qz_AddCallBackNotify(s, kValueSet, kNotifyAnyValue, onOptionChanged, self);
  for (Qz_Object* e : encodings_)
    if (e != nullptr) Qz_AddCallBackNotify(e, kMutualExcludeMark, kNotifyAnyValue, onOptionChanged, self);
  for (Qz_Object* v : viewGroups_) {
    Qz_AddCallBackNotify(v, kGroupSetScrollX, kNotifyAnyValue, onScrolled, self);
    Qz_AddCallBackNotify(v, kGroupSetScrollY, kNotifyAnyValue, onScrolled, self);
  }
  return true;
}

bool WebSaveDialog::startWorker() {
  worker_ = Qz_CreateObject("Thread", kThreadSetEntry, reinterpret_cast<void*>(&WebSaveDialog::workerEntry),
                            kThreadSetStackSize, 16384, kThreadSetName, "Qz Web Save Thread", kThreadSetPriority,
                            uint32_t(-1), kRootSetUserData, reinterpret_cast<QzWord>(this));
  if (worker_ == nullptr) return false;
  Qz_DoMethod(worker_, kRootOpen);
  // The worker stores its task first thing; one that never starts gives up the dialog.
  for (int tick = 0; tick < kWorkerStartTicks && workerTask_.load() == nullptr; ++tick) Delay(1);
  return workerTask_.load() != nullptr;
}

void WebSaveDialog::workerEntry(QzWord argument) {
  auto* d = reinterpret_cast<WebSaveDialog*>(argument);
  d->workerTask_.store(FindTask(nullptr));
  for (;;) {
    const uint32_t got = Wait(kEstimateSignal | SIGBREAKF_CTRL_C);
    if (got & SIGBREAKF_CTRL_C) break;
    if (got & kEstimateSignal) {
      ObtainSemaphore(&d->semaphore_);
      const WebOptions options = d->options_;
      ReleaseSemaphore(&d->semaphore_);
      d->estimate(options);
    }
  }
}

// Runs on the window's thread: a changed option asks the worker for a new trial.
void WebSaveDialog::onOptionChanged(QzWord self, Qz_Object* source, uint32_t, const QzWord* value) {
  auto* d = reinterpret_cast<WebSaveDialog*>(self);
  if (source == d->formatChoice_) Qz_DoMethod(d->optionPages_, kGroupShowPage, uint32_t(value[0]));
  // The gadgets are read here, on their own thread; the worker takes the copy.
  const WebOptions options = d->chosenOptions();
  ObtainSemaphore(&d->semaphore_);
  d->options_ = options;
  ReleaseSemaphore(&d->semaphore_);
  Signal(d->workerTask_.load(), kEstimateSignal);
}

// Runs on the window's thread: the two views scroll together.
void WebSaveDialog::onScrolled(QzWord self, Qz_Object* source, uint32_t method, const QzWord* value) {
  auto* d = reinterpret_cast<WebSaveDialog*>(self);
  if (d->scrolling_) return;
  d->scrolling_ = true;
  Qz_DoMethod(source == d->viewGroups_[0] ? d->viewGroups_[1] : d->viewGroups_[0], method, value[0]);
  d->scrolling_ = false;
}

WebOptions WebSaveDialog::chosenOptions() const {
  WebOptions o;
  const QzWord index = Qz_DoMethod(formatChoice_, kMutualExcludeGetMarked);
  o.format = index < 3 ? pageFormats_[index] : WebFormat::Jpeg;
  switch (o.format) {
    case WebFormat::Jpeg: o.quality = int32_t(Qz_DoMethod(sliders_[0], kValueGet)); break;
    case WebFormat::Png: o.quality = int32_t(Qz_DoMethod(sliders_[1], kValueGet)); break;
    case WebFormat::Gif:
      o.quality = int32_t(Qz_DoMethod(sliders_[2], kValueGet));
      o.dithering = int32_t(Qz_DoMethod(sliders_[3], kValueGet));
      break;
  }
  o.encoding = int32_t(Qz_DoMethod(encodings_[int(o.format)], kMutualExcludeGetMarked));
  return o;
}

// The worker's trial: write, read back into the preview, measure.
void WebSaveDialog::estimate(const WebOptions& options) {
  showPage(sizeStatus_, 1);
  const int64_t bytes = writeTrialFile(image_, trialFile_, formats_, options);
  showPreview();
  showSizes(bytes);
  showPage(sizeStatus_, 0);
  settleWindow();
  estimates_.fetch_add(1, std::memory_order_release);
}

Qz_Image* WebSaveDialog::loadTrial() const {
  return Qz__LoadImageA(trialFile_.c_str(), nullptr, nullptr, kQzLoadPlain | kQuiet, nullptr);
}

// The preview view keeps one image for the dialog's life (its redraw thread
// reads it); each trial's pixels are copied in under the image's lock.
void WebSaveDialog::showPreview() {
  Qz_Image* fresh = loadTrial();
  if (fresh == nullptr) return;
  if (fresh->width == preview_->width && fresh->height == preview_->height && fresh->depth == preview_->depth &&
      Qz_LockImageA(preview_, kQzLockExclusive, nullptr)) {
    const size_t rowBytes = size_t(preview_->width);
    for (auto [to, from] : {std::pair{preview_->r, fresh->r}, std::pair{preview_->g, fresh->g},
                            std::pair{preview_->b, fresh->b}, std::pair{preview_->undoR, fresh->undoR},
                            std::pair{preview_->undoG, fresh->undoG}, std::pair{preview_->undoB, fresh->undoB}}) {
      if (to == nullptr || from == nullptr) continue;
      for (int32_t y = 0; y < preview_->height; ++y) std::memcpy(to[y], from[y], rowBytes);
    }
    Qz_UnlockImageA(preview_, kQzLockExclusive, nullptr);
  }
  Qz_DisposeObject(&fresh->object);
  Qz_PostToWindow(window_, views_[1], kRootDraw);
}

// A label is not copied by its gadget: each text stays alive, unchanged,
// until the window is gone, so the window's thread never reads one being written.
void WebSaveDialog::setLabel(Qz_Object* text, std::string label) {
  Qz_PostToWindow(window_, text, kRootSetLabel, labels_.emplace_back(std::move(label)).c_str());
  Qz_PostToWindow(window_, text, kRootDraw);
}

// Returns once the window's thread has run everything posted to it so far.
void WebSaveDialog::settleWindow() { Qz_WaitForWindowThread(window_, kSettleTicks); }

void WebSaveDialog::showPage(Qz_Object* pages, uint32_t page) {
  Qz_PostToWindow(window_, pages, kGroupShowPage, page);
  Qz_PostToWindow(window_, pages, kRootDraw);
}

void WebSaveDialog::showSizes(int64_t bytes) {
  if (bytes < 0) return;
  setLabel(compressedSize_, "Compressed Size: " + sizeText(bytes));
  for (int i = 0; i < 3; ++i) setLabel(times_[i], timeText(bytes, kWebRates[i]));
}

bool WebSaveDialog::run() {
  while (isRunning(running_)) {
    if (Qz__ModalWaitEnds(SIGBREAKF_CTRL_C)) break;
    Delay(5);
  }
  return Qz_DoMethod(saveButton_, kRootGetUserData) == 1;
}

bool WebSaveDialog::saveTrialFile() {
  Qz_ImageBase* base = Qz_GetImageBase();
  std::string folder = base->saveFolder, name = base->lastSaved;
  if (!askSaveName(folder, name)) return false;
  base->lastSaved = name;
  base->saveFolder = folder;
  if (base->foldersFollow.load() != 0) base->loadFolder = folder;
  const std::string path = folder.empty() ? name : folder + "/" + name;
  if (Qz_DoesFileExist(path.c_str()) && Qz_MessageBoxA("Quillantrix", Qz_CatalogString(kReplaceText), 2, nullptr) != 1)
    return false;
  if (Qz_CopyFile(trialFile_.c_str(), path.c_str()) != 1) {
    Qz_MessageBoxA("Quillantrix", Qz_CatalogString(kWriteFailedText), 1, nullptr);
    return false;
  }
  return true;
}

Qz_Object* WebSaveDialog::gadget(Gadget which) const {
  switch (which) {
    case Gadget::Window: return window_;
    case Gadget::ImageView: return views_[0];
    case Gadget::PreviewView: return views_[1];
    case Gadget::FormatChoice: return formatChoice_;
    case Gadget::JpegQuality: return sliders_[0];
    case Gadget::PngLevel: return sliders_[1];
    case Gadget::GifColours: return sliders_[2];
    case Gadget::Save: return saveButton_;
    case Gadget::Cancel: return cancelButton_;
    case Gadget::CompressedSize: return compressedSize_;
  }
  return nullptr;
}

WebSaveDialog::~WebSaveDialog() {
  if (window_ != nullptr) Qz_DoMethod(window_, kRootHide);
  if (worker_ != nullptr) {
    Qz_DoMethod(worker_, kRootClose);
    Qz_DisposeObject(worker_);
  }
  Qz_DisposeObject(window_);  // the preview view goes before its image
  if (preview_ != nullptr) Qz_DisposeObject(&preview_->object);
  if (!trialFile_.empty()) Qz_DeleteFile(trialFile_.c_str());
  Qz_Object* objects[3] = {formats_.jpeg, formats_.png, formats_.gif};
  for (size_t i = 0; i < std::size(kOptionSlots); ++i)
    if (objects[kOptionSlots[i].format] != nullptr)
      Qz_DoMethod(objects[kOptionSlots[i].format], kOptionSlots[i].set, savedOptions_[i]);
  for (Qz_Object* o : objects) Qz_DisposeObject(o);
  CleanupSemaphore(&semaphore_);
  if (locked_) Qz_UnlockImageA(image_, kQzLockComposite, nullptr);
}

}  // namespace qz::web

extern "C" QZ_EXPORT void Qz__SaveImageForTheWeb(Qz_Image* image) {
  auto dialog = qz::web::WebSaveDialog::open(image);
  if (dialog == nullptr) return;
  if (dialog->run()) dialog->saveTrialFile();
}
