// The library's start and end, the load and save drivers, result messages,
// the options requester and the layer call. The drivers find a format by its
// class name and drive it through the method ids of qzio/root_qzio.h; every
// failure is one result code, shown once unless the call is quiet.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <mutex>
#include <string>
#include <vector>

#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "objects/object_text.h"
#include "objects/qz_linked_list.h"
#include "platform/atomic_file_writer.h"
#include "objects/qz_object.h"
#include "qzio/codec_rows.h"
#include "qzio/format_objects.h"
#include "qzio/load_problem.h"
#include "qzio/pages_ahead.h"
#include "qzio/qzio.h"
#include "qzio/qzio_internal.h"
#include "qzio/qzio_ui.h"
#include "qzio/root_qzio.h"

namespace qzio {
namespace {

// Catalogue numbers of the texts the library shows.
constexpr uint32_t kCatErrorTitle = 38;
constexpr uint32_t kCatLoadingTitle = 39;
constexpr uint32_t kCatSavingTitle = 40;
constexpr uint32_t kCatOptionsTitle = 73;
constexpr uint32_t kCatImageWord = 0;

// Result code n shows catalogue text 26 + n; the cannot-save code has its own.
uint32_t CatalogNumberForResult(uint32_t code) { return code == kQzioCannotSave ? 343 : 26 + code; }

const char* const kDefaultResultTexts[kQzioLastResult + 1] = {
    "Internal error in the image library.",
    "Done.",
    "There is not enough memory.",
    "The file could not be read: it is damaged or too short.",
    "The file could not be written.",
    "Internal error in the image library.",
    "This format cannot take this kind of image.",
    "This format cannot do that.",
    "The file is not in a format Quillantrix knows.",
    "Cancelled.",
    "The file cannot be opened.",
    "The picture is of an unexpected kind.",
    "This format cannot save images.",
};

// Without hooks the object layer's message box shows the text, over the
// program's main window when there is one.
int32_t DefaultMessageBox(const char* title, const char* text) {
  const Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* parent = base && base->useCount.load() > 0 ? base->mainWindow : nullptr;
  return static_cast<int32_t>(Qz_MessageBoxA(title, text, 1, parent));
}

struct LibraryState {
  std::mutex lock;
  QZIO_GlobalData global{};
  std::vector<std::string> formatNames;
  UiHooks hooks;
};

LibraryState& State() {
  static auto* state = new LibraryState;
  return *state;
}

UiHooks Hooks() {
  LibraryState& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  return s.hooks;
}

uint32_t ProgressStep(uint32_t height) { return std::max<uint32_t>(height / 20, 32); }

bool WithinLimits(const QZIO_ImageBuffer* b) {
  return b->width > 0 && b->height > 0 && b->width <= kQzioMaxSide && b->height <= kQzioMaxSide &&
         b->depth <= kQzioMaxDepth;
}

// What a refused identify may have left in the buffer goes before the next try.
void ResetPictureFields(QZIO_ImageBuffer* b) {
  b->width = b->height = b->depth = b->bytesPerRow = b->format = 0;
  std::memset(b->colourmap, 0, sizeof b->colourmap);
}

void PutTag(const TagItem* tags, QzWord tag, uint32_t value) {
  if (!tags) return;
  if (auto* p = reinterpret_cast<uint32_t*>(GetTagData(tag, 0, tags))) *p = value;
}

std::string ProgressText(uint32_t titleNumber, const char* formatName) {
  const char* title = CatalogText(titleNumber, titleNumber == kCatLoadingTitle ? "Loading" : "Saving");
  const char* word = CatalogText(kCatImageWord, "Image");
  std::string text = title;
  if (!formatName || !*formatName) return text;
  text += ' ';
  text += formatName ? formatName : "";
  text += ' ';
  text += word;
  return text;
}

// The header and buffer of a load, before any format has looked at them.
QZIO_ImageBuffer* NewLoadBuffer() {
  QZIO_ImageBuffer* b = NewBuffer();
  if (!b) return nullptr;
  auto* h = static_cast<QZIO_Header*>(std::calloc(1, sizeof(QZIO_Header)));
  if (!h) {
    QZIO_FreeBuffer(b);
    return nullptr;
  }
  b->header = h;
  h->buffer = b;
  h->wantedTrueColour = kQzioFormatRGBPlanes;
  h->wantedGrey = kQzioFormatGrey;
  h->wantedColourMapped = kQzioFormatRGBPlanes;
  h->saveDescriptor = -1;
  return b;
}

// A returned buffer keeps its header for the accepted format's name, but
// nothing in it may point at what the driver has closed or freed.
void DetachHeader(QZIO_Header* h) {
  std::free(h->probe);
  h->probe = nullptr;
  h->probeSize = 0;
  h->stream = nullptr;
  h->fileName = nullptr;
  h->progress = nullptr;
}

// What a load found beyond its result code, for the user's message.
struct LoadReport {
  std::string detail;    // why, in a sentence; empty when the result says it all
  bool partial = false;  // loaded, but only as far as the file could be read
};

int32_t ShowBox(const char* title, const char* text) {
  const UiHooks hooks = Hooks();
  return hooks.messageBox ? hooks.messageBox(title, text) : DefaultMessageBox(title, text);
}

// The failed load's box: which file, and why.
void ShowLoadFailure(const char* path, uint32_t code, const LoadReport& report) {
  if (code == kQzioCancelled) return;
  std::string text = std::string("Cannot load \"") + path + "\".\n" + QZIO_ErrorText(code);
  if (!report.detail.empty()) text += "\n" + report.detail;
  ShowBox(CatalogText(kCatErrorTitle, "Image File Error"), text.c_str());
}

// Kept with the picture, for its loader to tell once the picture is shown.
void KeepPartialNotice(QZIO_Header* header, const char* path, const LoadReport& report) {
  std::string text = std::string("\"") + path + "\" is damaged: it is shown as far as it could be read.";
  if (!report.detail.empty()) text += "\n" + report.detail;
  std::snprintf(header->notice, sizeof header->notice, "%s", text.c_str());
}

struct OpenFile {
  FILE* f = nullptr;
  std::unique_ptr<char[]> buffer;  // the stream's, closed with it
  ~OpenFile() {
    if (f) std::fclose(f);
  }
};

// Loads with the accepted format: options, pixels, progress and the load.
// With showOptions the load options come first and the format identifies
// again after them, since options may change the picture's size.
uint32_t LoadAccepted(FormatHandle& format, QZIO_Header* h, const char* formatName, uint32_t flags,
                      uint32_t classFlags, bool showOptions) {
  QZIO_ImageBuffer* b = h->buffer;
  const bool quiet = (flags & kQzioQuiet) != 0;
  if (!quiet && showOptions) {
    auto* options = reinterpret_cast<Qz_Object*>(format.send(kQzioGetLoadOptions, 0));
    if (options) {
      if (!QZIO_ShowOptionsRequester(format.object(), options)) return kQzioCancelled;
      if (h->stream) std::fseek(h->stream, 0, SEEK_SET);
      const uint32_t again = static_cast<uint32_t>(format.send(kQzioIdentify, reinterpret_cast<QzWord>(h)));
      if (again != kQzioSuccess) return again;
      if (!WithinLimits(b)) return kQzioNotRecognised;
      h->progressStep = ProgressStep(b->height);
    }
  }
  if (!AllocBufferMemQuiet(b)) return kQzioNoMemory;
  void* display = nullptr;
  if (!quiet && !(classFlags & kQzioFlagNoProgress)) {
    display = BeginProgress(CatalogText(kCatLoadingTitle, "Loading"),
                            ProgressText(kCatLoadingTitle, formatName).c_str());
    h->progress = display;
  }
  if (h->stream) std::fseek(h->stream, 0, SEEK_SET);
  uint32_t result;
  {
    const PagesAhead ahead(b);
    result = static_cast<uint32_t>(format.send(kQzioLoad, reinterpret_cast<QzWord>(h)));
  }
  if (display) {
    if (!SetProgress(display, 100, 100)) result = kQzioCancelled;
    EndProgress(display);
    h->progress = nullptr;
  }
  return result;
}

// Why a file cannot be opened, in the user's terms.
std::string OpenProblem(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return "There is no such file.";
    case EACCES: return "You do not have permission to read it.";
    default: return std::string("It cannot be read: ") + std::strerror(error) + ".";
  }
}

// Whatever the format, a picture whose buffer would take far more than any
// coding packs into the file's bytes is a damaged claim, refused before the
// buffer is made. The formats check their own, tighter bounds; this floor
// holds for all of them. Small pictures always pass (a blank fax page packs
// tighter than any photograph).
constexpr uint64_t kMostPictureBytesPerFileByte = uint64_t{1} << 15;
constexpr uint64_t kAlwaysAllowedPictureBytes = uint64_t{64} << 20;

bool FileCanHoldPicture(const QZIO_ImageBuffer& b, uint64_t fileSize) {
  const uint64_t pictureBytes = uint64_t{b.width} * b.height * 3;
  return pictureBytes <= kAlwaysAllowedPictureBytes ||
         qz::codec::fileCanHold(pictureBytes, kMostPictureBytesPerFileByte, fileSize);
}

// A decoder's account of what it found wrong; a format that recognised the
// file but found it damaged, or of a kind it cannot load, ends detection.
bool RecognisedButRefused(uint32_t answer) {
  return answer == kQzioReadError || answer == kQzioNoMemory || answer == kQzioUnexpectedKind;
}

uint32_t AutoLoad(const char* path, uint32_t flags, const TagItem* tags, QZIO_ImageBuffer** out,
                  LoadReport& report) {
  struct stat st;
  if (::stat(path, &st) != 0) {
    report.detail = OpenProblem(errno);
    return kQzioCannotOpen;
  }
  if (S_ISDIR(st.st_mode) || !S_ISREG(st.st_mode)) {
    report.detail = S_ISDIR(st.st_mode) ? "It is a folder, not a picture file." : "It is not a picture file.";
    return kQzioCannotOpen;
  }
  OpenFile file;
  file.f = std::fopen(path, "rb");
  if (!file.f) {
    report.detail = OpenProblem(errno);
    return kQzioCannotOpen;
  }
  // Decoders ask for a few KiB at a time; read in larger pieces, or a
  // 50 MB picture costs ten thousand system calls.
  constexpr size_t kReadBufferBytes = size_t(64) << 10;
  file.buffer.reset(new (std::nothrow) char[kReadBufferBytes]);
  if (file.buffer) std::setvbuf(file.f, file.buffer.get(), _IOFBF, kReadBufferBytes);

  QZIO_ImageBuffer* b = NewLoadBuffer();
  if (!b) return kQzioBadArguments;
  std::unique_ptr<QZIO_ImageBuffer, void (*)(QZIO_ImageBuffer*)> owned(b, QZIO_FreeBuffer);
  QZIO_Header* h = b->header;
  h->probe = static_cast<uint8_t*>(std::calloc(1, kQzioProbeSize));
  if (!h->probe) return kQzioBadArguments;
  if (std::fread(h->probe, 1, kQzioProbeSize, file.f) == 0) {
    report.detail = "The file is empty.";
    return kQzioReadError;
  }
  std::fseek(file.f, 0, SEEK_SET);
  h->fileName = path;
  h->stream = file.f;
  h->probeSize = kQzioProbeSize;
  h->fileSize = static_cast<uint64_t>(st.st_size);

  std::unique_ptr<FormatHandle> format;
  std::string accepted;
  uint32_t classFlags = 0;
  for (const std::string& name : DetectionOrder()) {
    std::unique_ptr<FormatHandle> candidate = FormatHandle::Create(name + "QZIO");
    if (!candidate) continue;
    classFlags = static_cast<uint32_t>(candidate->send(kQzioGetFlags, 0));
    ResetPictureFields(b);
    std::fseek(file.f, 0, SEEK_SET);
    qz::codec::takeLoadProblem();
    const uint32_t answer = static_cast<uint32_t>(candidate->send(kQzioIdentify, reinterpret_cast<QzWord>(h)));
    if (answer == kQzioSuccess && WithinLimits(b)) {
      format = std::move(candidate);
      accepted = name;
      break;
    }
    if (RecognisedButRefused(answer)) {
      report.detail = qz::codec::takeLoadProblem().text;
      return answer;
    }
  }
  if (!format) return kQzioNotRecognised;
  std::snprintf(h->acceptedFormat, sizeof h->acceptedFormat, "%s", accepted.c_str());
  if (!FileCanHoldPicture(*b, h->fileSize)) {
    const uint32_t damaged = qz::codec::reportTooShort(accepted.c_str(), b->width, b->height);
    report.detail = qz::codec::takeLoadProblem().text;
    return damaged;
  }

  uint32_t result;
  if (flags & kQzioIdentifyOnly) {
    result = kQzioSuccess;
  } else {
    h->progressStep = ProgressStep(b->height);
    if ((flags & kQzioDirectLoad) && (classFlags & kQzioFlagDirect)) {
      PutTag(tags, kQzioTagWidth, b->width);
      PutTag(tags, kQzioTagHeight, b->height);
      std::fseek(file.f, 0, SEEK_SET);
      result = static_cast<uint32_t>(format->send(kQzioIdentifyOutermost, reinterpret_cast<QzWord>(h)));
      if (result == kQzioSuccess && !WithinLimits(b)) result = kQzioNotRecognised;
      if (result == kQzioSuccess) {
        if (!AllocBufferMemQuiet(b)) {
          result = kQzioNoMemory;
        } else {
          std::fseek(file.f, 0, SEEK_SET);
          result = static_cast<uint32_t>(format->send(kQzioLoadOutermost, reinterpret_cast<QzWord>(h)));
        }
      }
    } else {
      qz::codec::takeLoadProblem();
      result = LoadAccepted(*format, h, accepted.c_str(), flags, classFlags, true);
      const qz::codec::LoadProblem problem = qz::codec::takeLoadProblem();
      if (result != kQzioSuccess || problem.partial) report.detail = problem.text;
      report.partial = result == kQzioSuccess && problem.partial;
    }
  }
  format.reset();
  if (result == kQzioSuccess) {
    DetachHeader(h);
    *out = owned.release();
  }
  return result;
}

}  // namespace

std::vector<std::string> DetectionOrder() {
  LibraryState& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  return s.formatNames;
}

namespace {
// The formats for saving: JPEG first (the default), then those of the
// detection list, then every other registered one that writes files.
std::vector<std::string> Qz__SaveFormatNames(const std::vector<std::string>& detectionOrder) {
  std::vector<std::string> first = {"JPEG"};
  first.insert(first.end(), detectionOrder.begin(), detectionOrder.end());
  return RegisteredFormatNames(FormatUse::Saving, first);
}

// The save-format list always starts with the default, which a save of a
// format the list lacks falls back to.
std::vector<std::string> Qz__SaveFormatListNames(const std::vector<std::string>& detectionOrder) {
  std::vector<std::string> names = Qz__SaveFormatNames(detectionOrder);
  if (names.empty() || names.front() != "JPEG") names.insert(names.begin(), "JPEG");
  return names;
}
}  // namespace

std::vector<std::string> OfferedFormatNames(FormatUse use) {
  const std::vector<std::string> detection = DetectionOrder();
  return use == FormatUse::Loading ? RegisteredFormatNames(use, detection) : Qz__SaveFormatNames(detection);
}

const char* CatalogText(uint32_t number, const char* fallback) {
  const UiHooks hooks = Hooks();
  const char* text = hooks.catalogString ? hooks.catalogString(number) : Qz_CatalogString(number);
  return text && *text ? text : fallback;
}

void* BeginProgress(const char* title, const char* text) {
  const UiHooks hooks = Hooks();
  return hooks.beginProgress ? hooks.beginProgress(title, text) : nullptr;
}

bool SetProgress(void* display, uint32_t done, uint32_t total) {
  if (!display) return true;
  const UiHooks hooks = Hooks();
  return hooks.setProgress ? hooks.setProgress(display, done, total) != 0 : true;
}

void EndProgress(void* display) {
  if (!display) return;
  const UiHooks hooks = Hooks();
  if (hooks.endProgress) hooks.endProgress(display);
}

void SetUiHooks(const UiHooks* hooks) {
  LibraryState& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  s.hooks = hooks ? *hooks : UiHooks{};
}

void DisposeObject(Qz_Object* object) { Qz_DisposeObject(object); }

// The mask a buffer saved from the program's image carries is the first
// source image of the image's active layer, placed at the layer's offset
// plus the first source rectangle's corner.
int MaskByteAt(const QZIO_ImageBuffer* buffer, uint32_t x, uint32_t y) {
  const Qz_Image* image = buffer ? buffer->sourceImage : nullptr;
  const Qz_Image* layer = image ? image->activeLayer : nullptr;
  const Qz_Image* mask = layer ? layer->firstSource : nullptr;
  if (!mask) return -1;
  const int64_t ox = int64_t(layer->placement.layerX) + layer->placement.firstX;
  const int64_t oy = int64_t(layer->placement.layerY) + layer->placement.firstY;
  const int64_t mx = int64_t(x) - ox, my = int64_t(y) - oy;
  if (mask->depth != 24 || !mask->g || mx < 0 || my < 0 || mx >= mask->width || my >= mask->height) return 0;
  return mask->g[my][mx];
}

void ThumbnailLimits(uint32_t* width, uint32_t* height) {
  const Qz_ImageBase* base = Qz_GetImageBase();
  if (!base || base->useCount.load() <= 0) return;
  if (base->thumbnailWidth > 0) *width = static_cast<uint32_t>(base->thumbnailWidth);
  if (base->thumbnailHeight > 0) *height = static_cast<uint32_t>(base->thumbnailHeight);
}

Qz_Object* CreateObjectFromText(const std::string& text) {
  if (text.empty()) return nullptr;
  // The objects' string values point into the text, so the root keeps it.
  // Read with its length: a zero byte inside refuses the text.
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  Qz_Object* object = Qz__CreateObjectsFromText(copy, text.size());
  if (object) {
    Qz_DoMethod(object, kRootKeepRestoreText, copy);
  } else {
    std::free(copy);
  }
  return object;
}

std::string StoreObjectAsText(Qz_Object* object) {
  if (!object) return std::string();
  size_t length = 0;
  char* text = Qz_StoreObjectToBuffer(object, &length, 0);
  if (!text) return std::string();
  std::string out(text, strnlen(text, length));
  Qz_FreeStoredObjectBuffer(reinterpret_cast<Qz_Plane>(text));
  return out;
}

}  // namespace qzio

using namespace qzio;

QZ_EXTERN_C_BEGIN

// A LinkedList of Root objects named after the entries, as the list files
// describe them; null when the object system cannot make one.
Qz_Object* NamedList(const std::vector<std::string>& names) {
  Qz_Object* list = Qz_CreateObject("LinkedList");
  if (!list) return nullptr;
  for (const std::string& name : names) {
    Qz_Object* entry = Qz_AddObject(list, "Root");
    if (entry) Qz_DoMethod(entry, kRootSetObjectName, name.c_str());
  }
  return list;
}

// The names of a list's members, first to last. A format name becomes part
// of a class name, so only letters and digits are taken.
std::vector<std::string> MemberNames(Qz_Object* list) {
  std::vector<std::string> names;
  for (QzWord m = Qz_DoMethod(list, kLinkedListFirst); m; m = Qz_DoMethod(list, kLinkedListNext, m)) {
    const char* name = reinterpret_cast<const char*>(Qz_DoMethod(reinterpret_cast<Qz_Object*>(m), kRootGetObjectName));
    if (!name) continue;
    const std::string text(name);
    const bool ok = !text.empty() && text.size() < 64 &&
                    std::all_of(text.begin(), text.end(), [](char c) {
                      return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
                    });
    if (ok) names.push_back(text);
  }
  return names;
}

QZIO_GlobalData* QZIO_Init(Qz_GlobalData*) {
  LibraryState& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  if (s.global.referenceCount++ == 0) {
    // A missing list leaves detection empty: every automatic load answers 8.
    s.global.formatList = Qz_RestoreObjectFromDisk("Data/QZIOList.QzStr");
    s.global.loadersList = Qz_RestoreObjectFromDisk("Data/LoadersList.QzStr");
    s.formatNames = s.global.formatList ? MemberNames(s.global.formatList) : std::vector<std::string>{};
    s.global.saveFormatList = NamedList(Qz__SaveFormatListNames(s.formatNames));
  }
  return &s.global;
}

void QZIO_Cleanup(void) {
  LibraryState& s = State();
  Qz_Object* lists[4] = {};
  {
    std::lock_guard<std::mutex> lock(s.lock);
    if (s.global.referenceCount == 0) return;
    if (--s.global.referenceCount != 0) return;
    lists[0] = s.global.formatList;
    lists[1] = s.global.loadersList;
    lists[2] = s.global.saveFormatList;
    lists[3] = s.global.slot;
    s.global.formatList = s.global.loadersList = s.global.saveFormatList = s.global.slot = nullptr;
    s.formatNames.clear();
  }
  for (Qz_Object* o : lists) DisposeObject(o);
}

const char* QZIO_ErrorText(uint32_t code) {
  const char* fallback = kDefaultResultTexts[code <= kQzioLastResult ? code : 0];
  if (code == 0 || code > kQzioLastResult) return fallback;
  return CatalogText(CatalogNumberForResult(code), fallback);
}

int32_t QZIO_ErrorNumberRequest(uint32_t code) {
  if (code == kQzioCancelled) return 1;
  return ShowBox(CatalogText(kCatErrorTitle, "Image File Error"), QZIO_ErrorText(code));
}

void QZIO_NoticeRequest(const char* notice) {
  if (notice && *notice) ShowBox(CatalogText(kCatErrorTitle, "Image File Error"), notice);
}

int32_t QZIO_ShowOptionsRequester(Qz_Object* format, Qz_Object* options) {
  const UiHooks hooks = Hooks();
  if (!hooks.showRequester) return 1;  // no windows: the defaults stand
  return hooks.showRequester(CatalogText(kCatOptionsTitle, "Options"), format, options);
}

QZIO_ImageBuffer* QZIO_AutoLoadBufferA(const char* path, uint32_t flags, const TagItem* tags) {
  if (!path) return nullptr;
  QZIO_ImageBuffer* out = nullptr;
  uint32_t result;
  LoadReport report;
  try {
    result = AutoLoad(path, flags, tags, &out, report);
  } catch (const std::bad_alloc&) {
    result = kQzioNoMemory;
  }
  PutTag(tags, kQzioTagResult, result);
  if (!(flags & kQzioQuiet)) {
    if (result != kQzioSuccess) ShowLoadFailure(path, result, report);
    else if (report.partial && out && out->header) KeepPartialNotice(out->header, path, report);
  }
  return result == kQzioSuccess ? out : nullptr;
}

QZIO_ImageBuffer* QZIO_LoadBufferFromQZIOA(Qz_Object* object, uint32_t flags, const TagItem* tags) {
  uint32_t result = kQzioBadArguments;
  QZIO_ImageBuffer* b = nullptr;
  try {
    std::unique_ptr<FormatHandle> format = object ? FormatHandle::Borrow(object) : nullptr;
    b = format ? NewLoadBuffer() : nullptr;
    if (b) {
      QZIO_Header* h = b->header;
      const uint32_t classFlags = static_cast<uint32_t>(format->send(kQzioGetFlags, 0));
      result = kQzioNotRecognised;
      bool cancelled = false;
      if (!(flags & kQzioQuiet)) {
        auto* options = reinterpret_cast<Qz_Object*>(format->send(kQzioGetLoadOptions, 0));
        if (options && !QZIO_ShowOptionsRequester(object, options)) {
          result = kQzioCancelled;
          cancelled = true;
        }
      }
      if (!cancelled &&
          static_cast<uint32_t>(format->send(kQzioIdentify, reinterpret_cast<QzWord>(h))) == kQzioSuccess) {
        if (!WithinLimits(b)) {
          result = kQzioNotRecognised;
        } else {
          h->progressStep = ProgressStep(b->height);
          // The options were shown before identifying: load straight away.
          result = LoadAccepted(*format, h, "", flags, classFlags, false);
        }
      }
    }
  } catch (const std::bad_alloc&) {
    result = kQzioNoMemory;
  }
  PutTag(tags, kQzioTagResult, result);
  if (result == kQzioSuccess) {
    DetachHeader(b->header);
    return b;
  }
  QZIO_FreeBuffer(b);
  if (!(flags & kQzioQuiet)) QZIO_ErrorNumberRequest(result);
  return nullptr;
}

uint32_t QZIO_SaveBufferA(QZIO_Header* header, const char* path, const char* formatName, Qz_Object* object,
                          uint32_t* flagsWord) {
  if (!header || !header->buffer) return kQzioBadArguments;
  const bool quiet = flagsWord && (*flagsWord & kQzioQuiet);
  uint32_t result = kQzioNotRecognised;
  try {
    std::unique_ptr<FormatHandle> format;
    if (object) {
      format = FormatHandle::Borrow(object);
    } else if (formatName) {
      format = FormatHandle::Create(std::string(formatName) + "QZIO");
      if (format) format->send(kQzioSetSaveBuffer, reinterpret_cast<QzWord>(header->buffer));
    }
    if (!format) {
      if (!quiet) QZIO_ErrorNumberRequest(kQzioNotRecognised);
      return kQzioNotRecognised;
    }
    const uint32_t classFlags = static_cast<uint32_t>(format->send(kQzioGetFlags, 0));

    // The caller's header is lent for the call and given back as it was.
    const QZIO_Header saved = *header;
    void* display = nullptr;
    if (!quiet && !(classFlags & kQzioFlagNoProgress)) {
      display = BeginProgress(CatalogText(kCatSavingTitle, "Saving"),
                              ProgressText(kCatSavingTitle, formatName).c_str());
    }
    header->progress = display;
    header->progressStep = ProgressStep(header->buffer->height);
    if (!header->fileName) header->fileName = path;

    const bool hasPath = path && *path;
    std::unique_ptr<qz::AtomicFileWriter> target;
    if (hasPath) target = std::make_unique<qz::AtomicFileWriter>(path);
    if (hasPath && !target->ok()) {
      result = kQzioCannotOpen;
    } else if (!hasPath && !(classFlags & kQzioFlagOwnFile)) {
      result = kQzioCannotOpen;
    } else {
      header->stream = hasPath ? target->stream() : nullptr;
      header->saveDescriptor = hasPath ? target->fd() : -1;
      result = static_cast<uint32_t>(format->send(kQzioSave, reinterpret_cast<QzWord>(header)));
      if (display && !SetProgress(display, 100, 100)) result = kQzioCancelled;
      if (hasPath) {
        if (result == kQzioSuccess) {
          if (!target->commit()) result = kQzioWriteError;
        } else {
          target->abort();
        }
      }
    }
    EndProgress(display);
    *header = saved;
  } catch (const std::bad_alloc&) {
    result = kQzioNoMemory;
  }
  if (result != kQzioSuccess && !quiet) QZIO_ErrorNumberRequest(result);
  return result;
}

QZIO_ImageBuffer* QZIO_AddLayer(QZIO_ImageBuffer* buffer, uint32_t width, uint32_t height, uint32_t depth,
                                uint32_t format, uint32_t kind, QzWord) {
  if (!buffer || (kind != kQzioPlainLayer && kind != kQzioMaskedLayer)) return nullptr;
  QZIO_ImageBuffer* layer = AllocBufferQuiet(width, height, depth, 0, format);
  if (!layer) return nullptr;
  if (kind == kQzioMaskedLayer) {
    layer->mask = AllocBufferQuiet(width, height, 8, 0, kQzioFormatGrey);
    if (!layer->mask) {
      QZIO_FreeBuffer(layer);
      return nullptr;
    }
  }
  AddTail(&buffer->layers, &layer->node);
  return layer;
}

QZ_EXTERN_C_END
