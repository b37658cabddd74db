// The application-level Image methods. The application image receives the
// commands of the toolbar, the panels and the hand-over: the current paint
// colour and media preset (handed on to the documents), quitting, output
// through the image-output plug-in and a document from a scanned picture.
#include "image/app_commands.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "image/image_internal.h"
#include "image/image_shell.h"
#include "image/image_text.h"
#include "image/unsaved_changes.h"
#include "objects/async_methods.h"
#include "objects/catalogue.h"
#include "objects/object_text.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_root.h"
#include "platform/scanner_block.h"
#include "qzio/root_qzio.h"

namespace qz {
namespace {

constexpr uint32_t kLayerSetRed = 0x130050;  // then green, blue
constexpr uint32_t kMediaModeName = 0x110212;
constexpr uint32_t kQuitQuestion = 24;
constexpr size_t kOutputObject = 2;  // the image base's I/O object slot of the output plug-in
constexpr const char* kPresetFolder = "Data/Media/Presets/";  // preset files: <name>.QzStr

Qz_ImageBase* baseOf(Qz_Image* image) { return image->base ? image->base : Qz_GetImageBase(); }

uint32_t packColour(const int32_t colour[3]) {
  return uint32_t(colour[0] & 0xFF) | uint32_t(colour[1] & 0xFF) << 8 | uint32_t(colour[2] & 0xFF) << 16;
}

// Runs a method on an image on its document's thread when it has one (its
// asynchronous port), else here.
void postOrCall(Qz_Image* target, uint32_t id, QzWord value) { Qz_PostImageMethod(target, id, value, 0); }

// A layer of the active image, read under its lock (pick chooses which).
template <class Pick>
Qz_Image* activeImageLayer(Pick pick) {
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return nullptr;
  Qz_Image* layer = pick(image);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  return layer;
}

Qz_Image* activePaintLayer() {
  return activeImageLayer([](Qz_Image* image) { return image->paintLayer; });
}

// ---- the current colour ----------------------------------------------------------------

QzWord setComponent(Qz_Image* receiver, uint32_t id, QzWord value) {
  const int component = int(id - kQzAppSetRed);
  const int32_t v = std::clamp(int32_t(value), 0, 255);
  baseOf(receiver)->colour[component] = v;
  if (Qz_Image* layer = activePaintLayer())
    Qz_DoMethod(imageObject(layer), kLayerSetRed + uint32_t(component), v);
  Qz_DoNotify(imageObject(receiver), id, v);
  return QzWord(uint32_t(v));
}

QzWord setColour(Qz_Image* receiver, uint32_t packed) {
  Qz_ImageBase* base = baseOf(receiver);
  const int32_t next[3] = {int32_t(packed & 0xFF), int32_t((packed >> 8) & 0xFF),
                           int32_t((packed >> 16) & 0xFF)};
  const bool changed = !std::equal(next, next + 3, base->colour);
  std::copy(next, next + 3, base->colour);
  const uint32_t colour = packColour(next);
  if (changed) postOrCall(activePaintLayer(), kQzImageSetColour, colour);
  Qz_DoNotify(imageObject(receiver), kQzAppSetColour, colour);
  return colour;
}

// ---- the current media preset ----------------------------------------------------------

// A preset is a file of the data folder, named after the preset: a name that
// could lead out of that folder is not one.
bool presetNameValid(const char* name) {
  return name && *name && !std::strchr(name, '/') && !std::strchr(name, '\\') &&
         std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

Qz_Object* restorePreset(Qz_ImageBase* base, const char* name) {
  const std::string path = std::string(kPresetFolder) + name + ".QzStr";
  Qz_Object* preset = Qz_RestoreObjectFromDisk(path.c_str());
  if (!preset) return nullptr;
  Qz_DoMethod(preset, kRootSetObjectName, name);
  if (base->mediaList) Qz_DoMethod(base->mediaList, kLinkedListAddTail, preset);
  return preset;
}

// The documents besides one, as they are listed now.
std::vector<Qz_Image*> otherDocuments(Qz_ImageBase* base, Qz_Image* except) {
  std::vector<Qz_Image*> out;
  ObtainSemaphore(&base->semaphore);
  for (Qz_Image* d = first_image(base); d; d = next_image(d))
    if (d != except) out.push_back(d);
  ReleaseSemaphore(&base->semaphore);
  return out;
}

QzWord chooseMedia(Qz_Image* receiver, const char* name) {
  Qz_ImageBase* base = baseOf(receiver);
  if (!name || !*name) return 0;
  if (base->currentMedia && std::strcmp(name, base->currentMediaName) == 0) return 0;
  if (!presetNameValid(name)) return 0;
  auto* preset = base->mediaList
                     ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(base->mediaList, kRootFindByName, name))
                     : nullptr;
  const bool reused = preset != nullptr;
  if (!preset) preset = restorePreset(base, name);
  if (!preset) return 0;
  base->currentMedia = preset;
  copyName(base->currentMediaName, sizeof base->currentMediaName, name);
  if (Qz_Image* app = base->applicationImage)
    Qz_DoNotify(imageObject(app), kQzAppChooseMedia, base->currentMediaName);
  Qz_DoMethod(imageObject(receiver), kQzImageSetMedia, preset);
  for (Qz_Image* document : otherDocuments(base, receiver))
    postOrCall(document, kQzImageSetMedia, toWord(preset));
  // A preset used before brings back the mode it was used with.
  if (reused) {
    if (const QzWord modeName = Qz_DoMethod(preset, kMediaModeName))
      postOrCall(activeImageLayer([](Qz_Image* image) { return image->activeLayer; }),
                 kQzImageSetLayerMode, modeName);
  }
  return toWord(preset);
}

// ---- quitting and output -------------------------------------------------------------------

// Pictures with unsaved changes are asked about by name (Cancel keeps the
// program running); without any, the quit question, unless only those were
// to be asked about (a stop from the terminal).
QzWord quit(Qz_Image* receiver, uint32_t flags) {
  Qz_ImageBase* base = baseOf(receiver);
  bool noneUnsaved = false;
  const bool dropUnsaved = askBeforeDroppingUnsaved(base, "Quit", &noneUnsaved);
  if (!noneUnsaved && !dropUnsaved) return 0;
  if (noneUnsaved && !(flags & kQzQuitAskUnsavedOnly) &&
      Qz_MessageBoxA("Quillantrix", Qz_CatalogString(kQuitQuestion), 2, nullptr) != 1)
    return 0;
  if (base->application) Qz_DoMethod(base->application, kRootClose);
  return 1;
}

// The image goes to the image-output plug-in, a target that needs no file.
// The image base's output object is used when a panel made one; otherwise
// one is made for this output.
QzWord output(Qz_Image* image) {
  Qz_ImageBase* base = baseOf(image);
  Qz_Object* target = base->ioObjects[kOutputObject];
  Qz_Object* made = nullptr;
  if (!target) {
    const std::string className = std::string(base->outputPlugin) + "QZIO";
    if (Qz_FindClassFromName(className.c_str())) target = made = Qz_CreateObject(className.c_str());
  }
  // Without the plug-in there is nothing to output to; a save would ask for a file.
  if (!target) return 0;
  const int32_t result = Qz__SaveImageA(image, nullptr, base->outputPlugin, target, 0, nullptr);
  Qz_DisposeObject(made);
  return QzWord(uint32_t(result));
}

// ---- a document from a scanned picture -------------------------------------------------

Qz_Image* scannedDocument(Qz_Image* receiver, const ScannerPicture& picture) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  if (!image) return nullptr;
  const int32_t width = int32_t(picture.width), height = int32_t(picture.height);
  if (!Qz_AllocImage(image, width, height, 24, 0, nullptr) || !image->undoR) {
    Qz_DisposeObject(imageObject(image));
    return nullptr;
  }
  for (uint32_t y = 0; y < picture.height; ++y) {
    const uint8_t* bgr = picture.row(y);
    uint8_t *r = image->r[y], *g = image->g[y], *b = image->b[y];
    for (uint32_t x = 0; x < picture.width; ++x, bgr += 3) {
      b[x] = bgr[0];
      g[x] = bgr[1];
      r[x] = bgr[2];
    }
  }
  Qz_CopyImageToUndoData(image, 0, 0, width - 1, height - 1, 0, 0);
  Qz_DoMethod(imageObject(image), kQzImageMakeDocument, image);
  Qz_DoMethod(imageObject(image), kQzImageMakeLayer, kQzPaintLayer, width, height, 8);
  Qz_Image* app = baseOf(receiver)->applicationImage;
  Qz_DoMethod(imageObject(app ? app : receiver), kQzAppMakeActiveImage, image);
  Qz_DoMethod(imageObject(image), kQzImageOpenView);
  return image;
}

// The block comes from another program: it is read only as far as its
// length shows it holds every row its header promises. It is freed here.
QzWord documentFromScan(Qz_Image* receiver, void* block, size_t length) {
  ScannerPicture picture;
  Qz_Image* image = nullptr;
  if (parseScannerBlock(static_cast<const uint8_t*>(block), length, &picture))
    image = scannedDocument(receiver, picture);
  FreeVec(block);
  return toWord(image);
}

}  // namespace

QzWord appCommandDispatch(Qz_Image* image, uint32_t id, const QzWord* args, bool& handled) {
  handled = true;
  switch (id) {
    case kQzAppSetRed:
    case kQzAppSetGreen:
    case kQzAppSetBlue: return setComponent(image, id, args[0]);
    case kQzAppSetColour: return setColour(image, uint32_t(args[0]));
    case kQzAppGetColour: return packColour(baseOf(image)->colour);
    case kQzAppChooseMedia: return chooseMedia(image, reinterpret_cast<const char*>(args[0]));
    case kQzAppGetMediaName: return toWord(baseOf(image)->currentMediaName);
    case kQzAppQuit: return quit(image, uint32_t(args[0]));
    case kQzAppOutput: return output(image);
    case kQzAppScannedPicture:
      return documentFromScan(image, reinterpret_cast<void*>(args[0]), size_t(args[1]));
    default: handled = false; return 0;
  }
}

}  // namespace qz

QZ_EXTERN_C_BEGIN
QZ_EXPORT void Qz_PostImageMethod(Qz_Image* image, uint32_t id, QzWord first, QzWord second) {
  if (!image) return;
  Qz_RootObject* root = Qz_RootInstance(qz::imageObject(image));
  if (root && root->asyncPort && Qz_DoAsyncMethod(qz::imageObject(image), id, first, second)) return;
  Qz_DoMethod(qz::imageObject(image), id, first, second);
}
QZ_EXTERN_C_END
