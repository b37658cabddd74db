// Loading a file into an Image with its layers, and saving an image through
// the image-file library: format choice, extension, backup copy and the
// notice that tells the program the image was saved.
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "actions/qz_actions.h"
#include "image/file_choice.h"
#include "image/image_internal.h"
#include "image/image_text.h"
#include "image/image_shell.h"
#include "image/plane_rows_copy.h"
#include "image/unsaved_changes.h"
#include "objects/object_text.h"
#include "objects/qz_root.h"
#include "platform/atomic_file_writer.h"
#include "platform/filesystem.h"
#include "qzio/pages_ahead.h"
#include "qzio/root_qzio.h"

namespace qz {
namespace {

constexpr uint32_t kBaseRestorePoint = 0x800;

// The library is counted: every load starts and ends its own use.
class LibraryUse {
 public:
  LibraryUse() : global_(QZIO_Init(Qz_GetGlobalData())) {}
  ~LibraryUse() {
    if (global_) QZIO_Cleanup();
  }
  bool ok() const { return global_ != nullptr; }

 private:
  QZIO_GlobalData* global_;
};

uint32_t capabilities(Qz_Object* format) {
  return format ? uint32_t(Qz_DoMethod(format, kQzioGetCapabilities)) : 0;
}

// An 8-bit plane of the image's width filled from a buffer plane; the
// buffer's own table is taken when it fits.
Qz_Plane takePlane(QZIO_ImageBuffer* buffer, int slot, const uint8_t* first, int32_t width,
                   int32_t height) {
  if (buffer->planeTables[slot]) {
    Qz_Plane plane = buffer->planeTables[slot];
    buffer->planeTables[slot] = nullptr;
    return plane;
  }
  if (!first) return nullptr;
  Qz_Plane plane = Qz_AllocImageData(width, height, 8);
  if (!plane) return nullptr;
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(plane[y], first + size_t(y) * buffer->bytesPerRow, size_t(width));
  return plane;
}

const uint8_t* bufferRow(const uint8_t* first, QZIO_ImageBuffer* buffer, int32_t y) {
  return first + size_t(y) * buffer->bytesPerRow;
}

// Record 3: the layer's saved mode object. Its class name up to the first
// "Mode" names the mode, which is chosen like any other choice (an undoable
// ModeAction). The choice may still wait in the layer's chosen slot; the
// saved settings go to whichever mode the layer will use, and the layer is
// committed so the loaded document shows the mode it was saved with.
void applySavedMode(Qz_Image* layer, QZIO_LayerSettings& s) {
  Qz_Object* saved = s.mode;
  s.mode = nullptr;
  if (!saved) return;
  std::string name = saved->objectClass && saved->objectClass->name ? saved->objectClass->name : "";
  name = name.substr(0, name.find("Mode"));
  if (!name.empty()) Qz_DoMethod(imageObject(layer), kQzImageSetLayerMode, name.c_str());
  auto sameClass = [&](Qz_Object* mode) { return mode && mode->objectClass == saved->objectClass; };
  Qz_Object* target = sameClass(layer->chosenMode) ? layer->chosenMode
                      : sameClass(layer->mode)     ? layer->mode
                                                   : nullptr;
  if (target) Qz_CopyObjectToObject(target, saved);
  Qz_DisposeObject(saved);
  if (layer->chosenMode) Qz_DoLayerDoesntNeedsFixing(layer);
}

void applySettings(Qz_Image* layer, QZIO_ImageBuffer* buffer) {
  QZIO_LayerSettings& s = buffer->settings;
  const bool greyRows = buffer->format == kQzioFormatGrey && buffer->grey &&
                        buffer->width >= uint32_t(layer->width);
  for (int32_t y = 0; y < layer->height; ++y) {
    if (layer->type == kQzPaintLayer && layer->grey && greyRows && uint32_t(y) < buffer->height)
      std::memcpy(layer->grey[y], bufferRow(buffer->grey, buffer, y), size_t(layer->width));
    if (layer->spanLeast && layer->spanGreatest) {
      layer->spanLeast[y] = 0;
      layer->spanGreatest[y] = layer->width - 1;
    }
  }
  if (s.colourType) {
    // Through the colour command, so the loaded colour is the step an undo
    // of a later colour change goes back to.
    Qz_DoMethod(imageObject(layer), kQzImageSetColour, uint32_t(s.red) | uint32_t(s.green) << 8 | uint32_t(s.blue) << 16);
    Qz_DoLayerDoesntNeedsFixing(layer);
  }
  if (s.modeType) applySavedMode(layer, s);
  if (s.placementType) {
    int16_t* out = &layer->placement.layerX;
    for (int i = 0; i < 18; ++i) out[i] = int16_t(s.placement[i]);
  }
  if (s.blendType) {
    layer->opacity = s.opacity;
    std::memcpy(layer->blend, s.blend, sizeof layer->blend);
    layer->edgeShape = int32_t(s.edgeMaskShape);
    layer->edgeSize = int32_t(s.edgeMaskSize);
    layer->edgeSoftness = int32_t(s.edgeMaskSoftness);
    layer->edgeInvert = int32_t(s.edgeMaskInvert);
    layer->toneTableFlag = 1;
  }
  Qz_NoteImageChange(layer);  // pixels, spans and settings written in place
}

// A buffer in three 8-bit planes: the buffer itself, or a converted copy
// (which the caller frees); none when it cannot be converted.
QZIO_ImageBuffer* inRgbPlanes(QZIO_ImageBuffer* buffer) {
  return buffer->format == kQzioFormatRGBPlanes ? buffer
                                                : QZIO_ConvertBufferFormat(buffer, kQzioFormatRGBPlanes);
}

// An attached buffer of the file becomes a source image: a document of its
// own, with a paint layer, that is never shown. None when it cannot be made.
Qz_Image* sourceImageFromBuffer(QZIO_ImageBuffer* attached) {
  QZIO_ImageBuffer* buffer = inRgbPlanes(attached);
  if (!buffer) return nullptr;
  const int32_t width = int32_t(buffer->width), height = int32_t(buffer->height);
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  bool ok = image && Qz_AllocImage(image, width, height, 24, kQzAllocNoUndo, nullptr);
  if (ok) {
    image->undoR = takePlane(buffer, 0, buffer->red, width, height);
    image->undoG = takePlane(buffer, 1, buffer->green, width, height);
    image->undoB = takePlane(buffer, 2, buffer->blue, width, height);
    ok = image->undoR && image->undoG && image->undoB;
  }
  if (buffer != attached) QZIO_FreeBuffer(buffer);
  if (!ok) {
    if (image) Qz_DisposeObject(imageObject(image));
    return nullptr;
  }
  Qz_CopyUndoToImageData(image, 0, 0, width - 1, height - 1, 0, 0);
  Qz_DoMethod(imageObject(image), kQzImageMakeDocument, image);
  Qz_DoMethod(imageObject(image), kQzImageMakeLayer, kQzPaintLayer, width, height, 8);
  return image;
}

// The layer's first and second attached buffers become its source images.
// The file keeps an image layer's sources after the layer's own paint layer,
// so a reader finds them on that paint layer's buffer: they are taken from
// there when the image layer itself has none.
void attachSourceImages(Qz_Image* layer, QZIO_ImageBuffer* buffer) {
  QZIO_ImageBuffer* holder = buffer;
  Node* sub = buffer->layers.lh_Head;
  if (layer->type == kQzImageLayer && !buffer->firstAttached && !buffer->secondAttached && sub &&
      sub->ln_Succ)
    holder = reinterpret_cast<QZIO_ImageBuffer*>(sub);
  const struct {
    QZIO_ImageBuffer* attached;
    uint32_t method;
  } sources[2] = {{holder->firstAttached, kQzImageSetFirstSource},
                  {holder->secondAttached, kQzImageSetSecondSource}};
  for (const auto& source : sources) {
    if (!source.attached) continue;
    if (Qz_Image* image = sourceImageFromBuffer(source.attached))
      Qz_DoMethod(imageObject(layer), source.method, image);
  }
}

// One layer buffer of the file becomes a layer of the image; a buffer of a
// layout the layer cannot take is skipped.
void addLayerFromBuffer(Qz_Image* image, QZIO_ImageBuffer* source) {
  const bool colour = source->depth == 24;
  QZIO_ImageBuffer* buffer = source;
  if (colour && buffer->format != kQzioFormatRGBPlanes) {
    buffer = inRgbPlanes(source);
    if (!buffer) return;
    // The copy carries the settings; the saved mode object moves with them.
    buffer->settings = source->settings;
    buffer->settings.modeText = nullptr;
    source->settings.mode = nullptr;
  }
  if (!colour && buffer->format != kQzioFormatGrey) return;
  const int32_t width = int32_t(buffer->width), height = int32_t(buffer->height);
  auto* layer = reinterpret_cast<Qz_Image*>(Qz_DoMethod(
      imageObject(image), kQzImageMakeLayer, colour ? kQzImageLayer : kQzPaintLayer, width, height, 8));
  if (layer) {
    Qz_ImageBase* base = Qz_GetImageBase();
    const int32_t savedRedo = base->autoRedo.exchange(1);
    if (colour && layer->r && buffer->red) {
      layer->compositingCount.fetch_sub(1);
      applySettings(layer, buffer);
      for (int32_t y = 0; y < std::min(height, layer->height); ++y) {
        std::memcpy(layer->r[y], bufferRow(buffer->red, buffer, y), size_t(layer->width));
        std::memcpy(layer->g[y], bufferRow(buffer->green, buffer, y), size_t(layer->width));
        std::memcpy(layer->b[y], bufferRow(buffer->blue, buffer, y), size_t(layer->width));
      }
      QZIO_ImageBuffer* mask = source->mask;
      if (mask && layer->inner && layer->inner->grey && mask->format == kQzioFormatGrey &&
          mask->grey && mask->width == source->width && mask->height == source->height) {
        for (int32_t y = 0; y < layer->inner->height; ++y)
          std::memcpy(layer->inner->grey[y], bufferRow(mask->grey, mask, y),
                      size_t(layer->inner->width));
      }
      if (std::strcmp(image->loadFormat, "PSD") == 0 && layer->inner)
        Qz_MultiplyImageByImage(layer, 0, 0, layer->inner, 0, 0, layer->width, layer->height);
      Qz_CopyImageToUndoData(layer, 0, 0, layer->width - 1, layer->height - 1, 0, 0);
      if (layer->inner) Qz_NoteImageChange(layer->inner);
      layer->compositingCount.fetch_add(1);
      Node* sub = source->layers.lh_Head;
      if (sub && sub->ln_Succ && layer->paintLayer && layer->paintLayer != layer) {
        applySettings(layer->paintLayer, reinterpret_cast<QZIO_ImageBuffer*>(sub));
        Qz_FullProcessImage(layer);
      }
    } else if (!colour) {
      applySettings(layer, buffer);
    }
    attachSourceImages(layer, source);
    base->autoRedo.store(savedRedo);
  }
  if (buffer != source) QZIO_FreeBuffer(buffer);
}

void addRestorePoint(Qz_Image* image) {
  if (!Qz_FindClassFromName("RootAction")) return;
  Qz_Object* action = Qz_CreateObject("RootAction");
  if (!action) return;
  Qz_DoMethod(action, kActionSetFlags, kBaseRestorePoint);
  Qz_DoMethod(action, kActionSetImage, image);
  if (!Qz_AddImageAction(image, action, 0)) Qz_DisposeObject(action);  // refused: still ours
}

std::string fileNamePart(const std::string& path, size_t& start) {
  const size_t slash = path.find_last_of('/');
  start = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(start);
}

// Keeps the old file aside (a hard link, else a copy) under a temporary
// name, so a failed save can drop it and leave the old backup alone.
struct Backup {
  std::string finalName, aside;
  bool made = false;

  void make(const std::string& path) {
    if (!Qz_DoesFileExist(path.c_str())) return;
    char name[4096];
    Qz_BackupFileName(path.c_str(), name, sizeof name);
    finalName = name;
    static std::atomic<uint32_t> counter{0};
    aside = finalName + ".part" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    ::unlink(aside.c_str());
    made = ::link(path.c_str(), aside.c_str()) == 0 || Qz_CopyFile(path.c_str(), aside.c_str());
  }
  void keep() {
    if (made && ::rename(aside.c_str(), finalName.c_str()) != 0) ::unlink(aside.c_str());
  }
  void drop() {
    if (made) ::unlink(aside.c_str());
  }
};

}  // namespace

bool formatCanSave(const char* formatName) {
  if (!formatName || !*formatName) return false;
  const std::string className = std::string(formatName) + "QZIO";
  return Qz_FindClassFromName(className.c_str()) != nullptr;
}

namespace {

// A picture's composite is a copy of its background, made once the file is
// decoded. Its planes are made first, from the size the file's header gives,
// and their pages are taken while the file decodes, so that copy writes into
// memory already there. Without a size (or memory) the planes are made later
// as before; a file whose picture comes out another size wastes them.
void prepareComposite(const char* fileName, uint32_t libraryFlags, std::optional<EarlyMainPlanes>& early) {
  QZIO_ImageBuffer* shape = QZIO_AutoLoadBufferA(fileName, libraryFlags | kQzioIdentifyOnly | kQzioQuiet, nullptr);
  if (!shape) return;
  const uint64_t pixels = uint64_t(shape->width) * shape->height;
  // Small pictures are made quickly enough after the load.
  constexpr uint64_t kWorthPixels = uint64_t(1) << 21;
  if (pixels >= kWorthPixels && shape->width <= INT32_MAX && shape->height <= INT32_MAX - 2)
    early.emplace(int32_t(shape->width), int32_t(shape->height));
  QZIO_FreeBuffer(shape);
}

// Qz___LoadImageA, keeping what the user is to be told once the picture is
// shown (a damaged file opened as far as it could be read) in notice.
int32_t loadInto(Qz_Image* image, const char* fileName, Qz_Object* format, uint32_t flags, const TagItem* tags,
                 std::string& notice) {
  if (!image) return 0;
  LibraryUse library;
  if (!library.ok()) return 0;
  const uint32_t libraryFlags = flags & ~uint32_t(kQzLoadPlain | kQzLoadNoView);
  QZIO_ImageBuffer* loaded = nullptr;
  if (format && capabilities(format) != kQzioCapsDetect)
    loaded = QZIO_LoadBufferFromQZIOA(format, libraryFlags, tags);
  std::optional<EarlyMainPlanes> early;
  if (!loaded && fileName && *fileName) {
    prepareComposite(fileName, libraryFlags, early);
    std::optional<qzio::PagesAhead> ahead;
    if (early && early->r) {
      uint8_t* const firsts[3] = {early->r[0], early->g[0], early->b[0]};
      ahead.emplace(firsts, 3, Qz_PlaneRowBytes(early->width, 8), uint32_t(early->height));
    }
    loaded = QZIO_AutoLoadBufferA(fileName, libraryFlags, tags);
  }
  if (!loaded) return 0;
  QZIO_ImageBuffer* buffer = loaded;
  if (buffer->format != kQzioFormatRGBPlanes) buffer = QZIO_ConvertBufferFormat(loaded, kQzioFormatRGBPlanes);
  auto freeBuffers = [&] {
    if (buffer && buffer != loaded) QZIO_FreeBuffer(buffer);
    QZIO_FreeBuffer(loaded);
  };
  const int32_t width = buffer ? int32_t(buffer->width) : 0;
  const int32_t height = buffer ? int32_t(buffer->height) : 0;
  const uint32_t allocFlags = kQzAllocNoUndo | ((flags & kQzLoadPlain) ? uint32_t(kQzAllocNoThread) : 0u);
  if (!buffer || !allocImage(image, width, height, 24, allocFlags, early ? &*early : nullptr)) {
    freeBuffers();
    return 0;
  }
  image->undoR = takePlane(buffer, 0, buffer->red, width, height);
  image->undoG = takePlane(buffer, 1, buffer->green, width, height);
  image->undoB = takePlane(buffer, 2, buffer->blue, width, height);
  if (!image->undoR || !image->undoG || !image->undoB) {
    freeBuffers();
    Qz_DeallocImage(image);
    return 0;
  }
  const Qz_Plane composite[3] = {image->r, image->g, image->b};
  const Qz_Plane background[3] = {image->undoR, image->undoG, image->undoB};
  copyPlaneRows(composite, background, 3, width, height);

  const char* path = loaded->header && loaded->header->fileName ? loaded->header->fileName : fileName;
  if (path && *path) {
    std::free(image->name);
    image->name = strdup(path);
  }
  const char* accepted = loaded->header ? loaded->header->acceptedFormat : "";
  copyName(image->loadFormat, sizeof image->loadFormat, accepted);
  if (loaded->header) notice = loaded->header->notice;
  copyName(image->saveFormat, sizeof image->saveFormat, accepted);

  image->compositingCount.fetch_sub(1);
  for (Node* node = loaded->layers.lh_Head; node && node->ln_Succ; node = node->ln_Succ)
    addLayerFromBuffer(image, reinterpret_cast<QZIO_ImageBuffer*>(node));
  image->compositingCount.fetch_add(1);
  Qz_NoteImageChange(image);  // its background was put in place of the one allocated
  if (image->activeLayer) {
    fullProcessImage(image);
    addRestorePoint(image);
  }
  freeBuffers();
  return 1;
}

}  // namespace
}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz___LoadImageA(Qz_Image* image, const char* fileName, const char* /*second*/,
                                  Qz_Object* format, uint32_t flags, const TagItem* tags) {
  std::string notice;
  const int32_t loaded = qz::loadInto(image, fileName, format, flags, tags, notice);
  QZIO_NoticeRequest(notice.c_str());
  return loaded;
}

QZ_EXPORT Qz_Image* Qz__LoadImageA(const char* fileName, const char* secondName, Qz_Object* format,
                                   uint32_t flags, const TagItem* tags) {
  using namespace qz;
  if ((!fileName || !*fileName) && (!format || capabilities(format) == kQzioCapsDetect))
    return loadChosenFiles(secondName, format, flags, tags);
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  if (!image) return nullptr;
  std::string notice;
  if (!loadInto(image, fileName, format, flags, tags, notice)) {
    Qz_DisposeObject(imageObject(image));
    return nullptr;
  }
  if (!(flags & kQzLoadPlain)) {
    Qz_DoMethod(imageObject(image), kQzImageMakeDocument, image);
    if (!image->activeLayer)
      Qz_DoMethod(imageObject(image), kQzImageMakeLayer, kQzPaintLayer, image->width, image->height, 8);
    // As its file holds it; a picture from the clipboard or a scanner is in no file yet.
    if (image->name && *image->name) Qz_MarkImageSaved(image);
    if (!(flags & kQzLoadNoView)) {
      Qz_DoMethod(imageObject(image), kQzImageOpenView);
      Qz_DoMethod(imageObject(image), kQzAppMakeActiveImage, image);
    }
  }
  // Told once the picture is there to be seen.
  QZIO_NoticeRequest(notice.c_str());
  return image;
}

QZ_EXPORT int32_t Qz_AutoChangeFileExtension(const char* source, char* target,
                                             const char* formatName, uint32_t targetSize) {
  using namespace qz;
  if (!target || targetSize == 0) return 0;
  std::string name = source ? source : "";
  auto put = [&](const std::string& text) {
    const size_t n = std::min<size_t>(text.size(), targetSize - 1);
    std::memmove(target, text.data(), n);
    target[n] = '\0';
  };
  put(name);
  if (!formatCanSave(formatName)) return 0;
  const std::string className = std::string(formatName) + "QZIO";
  Qz_Object* format = Qz_CreateObject(className.c_str());
  if (!format) return 0;
  const char* extension = reinterpret_cast<const char*>(Qz_DoMethod(format, kQzioGetExtension));
  const std::string ext = extension ? extension : "";
  Qz_DisposeObject(format);
  if (ext.empty()) return 0;
  // Only the file-name part changes: a dot in a folder name, or a leading
  // dot of a hidden file, is not an extension.
  size_t start = 0;
  const std::string part = fileNamePart(name, start);
  const size_t dot = part.find_last_of('.');
  if (dot == std::string::npos || dot == 0)
    name += "." + ext;
  else
    name = name.substr(0, start + dot + 1) + ext;
  if (name.size() >= targetSize) return 0;
  put(name);
  return 1;
}

QZ_EXPORT int32_t Qz__SaveImageA(Qz_Image* image, const char* fileName, const char* formatName,
                                 Qz_Object* format, uint32_t flags, const TagItem* /*tags*/) {
  using namespace qz;
  if (!image || image->state.load() != kQzImageAllocated) return 0;
  // Without a name, or with a format that cannot save, the user chooses
  // (a format nobody knows becomes JPEG, the name's extension with it).
  SaveTarget chosen;
  std::string asJpeg;
  const bool outputOnly = format && capabilities(format) == kQzioCapsOutputOnly;
  bool ask = !outputOnly && (!fileName || !*fileName);
  if (!outputOnly && !format && !formatCanSave(formatName)) {
    formatName = "JPEG";
    if (fileName && *fileName) {
      asJpeg.assign(std::strlen(fileName) + 16, '\0');
      Qz_AutoChangeFileExtension(fileName, asJpeg.data(), formatName, uint32_t(asJpeg.size()));
      asJpeg.resize(std::strlen(asJpeg.c_str()));
    }
    ask = true;
  }
  if (ask) {
    const std::string startName = asJpeg.empty() ? std::string(image->name ? image->name : "") : asJpeg;
    if (!chooseSaveTarget(startName, formatName, chosen)) return 0;
    fileName = chosen.path.c_str();
    formatName = chosen.formatName.c_str();
    if (chosen.format) format = chosen.format;
  }
  auto* header = static_cast<QZIO_Header*>(std::calloc(1, sizeof(QZIO_Header)));
  auto* buffer = static_cast<QZIO_ImageBuffer*>(std::calloc(1, sizeof(QZIO_ImageBuffer)));
  auto release = [&] {
    std::free(buffer);
    std::free(header);
  };
  if (!header || !buffer) {
    release();
    return 0;
  }
  NewList(&buffer->layers);
  header->buffer = buffer;
  header->saveDescriptor = -1;
  header->wantedTrueColour = kQzioFormatRGBPlanes;
  header->wantedGrey = kQzioFormatGrey;
  header->wantedColourMapped = kQzioFormatRGBPlanes;
  buffer->header = nullptr;
  buffer->sourceImage = image;
  buffer->width = uint32_t(image->width);
  buffer->height = uint32_t(image->height);
  buffer->depth = uint32_t(image->depth);
  if (image->depth == 24 && image->r && image->g && image->b) {
    buffer->format = kQzioFormatRGBPlanes;
    buffer->bytesPerRow = image->height > 1 ? uint32_t(image->r[1] - image->r[0])
                                            : uint32_t(Qz_PlaneRowBytes(image->width, 8));
    buffer->red = image->r[0];
    buffer->green = image->g[0];
    buffer->blue = image->b[0];
  } else if (image->depth == 8 && image->grey) {
    buffer->format = kQzioFormatGrey;
    buffer->bytesPerRow = image->height > 1 ? uint32_t(image->grey[1] - image->grey[0])
                                            : uint32_t(Qz_PlaneRowBytes(image->width, 8));
    buffer->grey = image->grey[0];
  } else {
    release();
    return 0;
  }
  uint32_t libraryFlags = flags & ~uint32_t(kQzSaveKeepName | kQzSaveNoBackup);

  if (format && capabilities(format) == kQzioCapsOutputOnly) {
    QZIO_SaveBufferA(header, fileName, formatName, format, &libraryFlags);
    release();
    return 1;
  }
  // The user may have chosen a format that cannot save after all.
  if (!format && !formatCanSave(formatName)) {
    release();
    return 0;
  }
  if (!fileName || !*fileName) {
    release();
    return 0;
  }
  const std::string path = fileName;
  Backup backup;
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base->backups.load() && !(flags & kQzSaveNoBackup)) backup.make(path);
  // Readers only: the save runs beside redraws but not beside a resize.
  const bool locked = Qz_LockImageA(image, kQzLockRead, nullptr) != 0;
  const uint32_t result =
      locked ? QZIO_SaveBufferA(header, path.c_str(), formatName, format, &libraryFlags) : 0;
  if (locked) Qz_UnlockImageA(image, kQzLockRead, nullptr);
  release();
  if (result != kQzioSuccess) {
    backup.drop();
    return 0;
  }
  backup.keep();
  if (!(flags & kQzSaveKeepName)) {
    Qz_MarkImageSaved(image);
    std::free(image->name);
    image->name = strdup(path.c_str());
    if (formatName && *formatName) copyName(image->saveFormat, sizeof image->saveFormat, formatName);
    Qz_DoNotify(imageObject(image), kQzImageChanged, kQzChangeTitle, image, 0, 0, image->width - 1,
                image->height - 1, 0, 0);
  }
  return 1;
}

QZ_EXTERN_C_END
