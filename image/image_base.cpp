// The application record: one static Qz_ImageBase for the process, filled
// on the first Qz_InitImageBase and torn down by the last cleanup.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "image/qz_image.h"
#include "image/image_text.h"
#include "modes/shared_below.h"

namespace {

Qz_ImageBase gImageBase;
Qz_ImageHooks gImageHooks;

// Puts every field back to its zero state (the record holds atomics, so it
// is cleared field by field rather than by memset).
void Qz__ClearImageBase(Qz_ImageBase& base) {
  base.activeImage = nullptr;
  base.preferences = 0;
  base.loadFolder.clear();
  base.lastLoaded.clear();
  base.saveFolder.clear();
  base.lastSaved.clear();
  base.application = nullptr;
  base.defaultMode[0] = base.currentMediaName[0] = 0;
  base.colour[0] = base.colour[1] = base.colour[2] = 0;
  base.applicationImage = nullptr;
  base.thumbnailWidth = base.thumbnailHeight = 0;
  base.mainWindow = base.panelWindow = nullptr;
  base.autoRedo = 0;
  base.currentMedia = nullptr;
  base.currentTool = base.defaultTool = nullptr;
  base.liveUpdate = 1;
  base.panelGroups[0] = base.panelGroups[1] = nullptr;
  base.modePanelGroup = base.panels = nullptr;
  base.panelSetting = 0;
  base.screen = base.prefsObject = nullptr;
  base.programName[0] = base.outputPlugin[0] = 0;
  base.ioObjects[0] = base.ioObjects[1] = base.ioObjects[2] = nullptr;
  base.ioGlobalData = nullptr;
  base.globalData = nullptr;
  base.objectLibrary = base.ioLibrary = nullptr;
  base.undoLevels = 0;
  base.redrawStripHeight = 0;
  base.catalogue = nullptr;
  base.previewObject = nullptr;
  base.backups = base.fileRequesterChoice = base.foldersFollow = 0;
  base.closeQuestion = base.steppedZoom = base.redrawWithoutWindow = 0;
  base.viewPreference = 0;
  base.penBlock = nullptr;
  base.mediaList = base.pageSetup = nullptr;
  base.tipOfTheDay = 0;
  base.redrawBuffer = nullptr;
  base.redrawBufferWidth = base.redrawBufferHeight = 0;
  base.majorVersion = base.release = 0;
  base.gridWidth = base.gridHeight = base.gridX = base.gridY = base.gridOn = 0;
  base.gradientKind = base.gradientLevel = 0;
}

// Resolves the notification targets that name the active image or its layers.
Qz_Object* Qz__ResolveActiveTarget(QzWord target) {
  Qz_ImageBase& base = gImageBase;
  ObtainSemaphore(&base.semaphore);
  Qz_Image* image = base.activeImage;
  ReleaseSemaphore(&base.semaphore);
  if (!image) return nullptr;
  Qz_Image* layer = image->activeLayer;
  switch (target) {
    case kNotifyTargetActiveImage: return &image->object;
    case kNotifyTargetActiveLayer: return layer ? &layer->object : nullptr;
    case kNotifyTargetActiveSubLayer:
      if (!layer) return nullptr;
      return layer->activeLayer ? &layer->activeLayer->object : &layer->object;
    default: return nullptr;
  }
}

Qz_Object* Qz__MainWindowObject() { return gImageBase.mainWindow; }

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT Qz_ImageBase* Qz_GetImageBase(void) { return &gImageBase; }

QZ_EXPORT Qz_ImageHooks* Qz_GetImageHooks(void) { return &gImageHooks; }

QZ_EXPORT Qz_ImageBase* Qz_InitImageBase(void) {
  Qz_ImageBase& base = gImageBase;
  if (base.useCount.load() != 0) {
    ++base.useCount;
    return &base;
  }
  Qz__ClearImageBase(base);
  base.useCount = 1;
  base.majorVersion = 5;
  base.release = 129;
  NewList(&base.documents);
  NewList(&base.openImages);
  InitSemaphore(&base.semaphore);

  base.objectLibrary = OpenLibrary("Quillantrix:Data/Libs/QlQz.library", 0);
  base.globalData = Qz_Init();
  if (base.globalData) {
    base.globalData->imageBase = &base;
    base.globalData->hooks.resolveTarget = Qz__ResolveActiveTarget;
    base.globalData->hooks.mainWindowObject = Qz__MainWindowObject;
  }

  base.penBlock = static_cast<uint8_t*>(std::calloc(1, 32));
  if (base.penBlock) {
    const uint16_t level = 255;
    std::memcpy(base.penBlock + 2 * 14, &level, sizeof level);
  }
  base.gridWidth = 16;
  base.gridHeight = 16;
  base.viewPreference = 1;

  qz::copyName(base.programName, sizeof base.programName, "Quillantrix");
  qz::copyName(base.outputPlugin, sizeof base.outputPlugin, "Vellumcraft");
  base.colour[0] = 100;
  base.colour[1] = 177;
  base.colour[2] = 255;
  base.thumbnailWidth = 64;
  base.thumbnailHeight = 48;
  base.redrawStripHeight = 256;
  base.panelSetting = 5;
  qz::copyName(base.defaultMode, sizeof base.defaultMode, "Paint");
  qz::copyName(base.currentMediaName, sizeof base.currentMediaName, "AirBrush");
  base.undoLevels = 1;
  base.steppedZoom = 1;  // zoom steps of 25 % until the preferences say otherwise
  base.gradientLevel = 255;

  // The application image takes the application-level commands; it needs
  // the Image class, which the central registration would also make known.
  Qz_InitImageClass(base.globalData);
  auto* application = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  if (!application || !Qz_AllocImage(application, 8, 8, 24, 0, nullptr)) {
    Qz_DisposeObject(application ? &application->object : nullptr);
    Qz_CleanupImageBase();
    return nullptr;
  }
  base.applicationImage = application;
  base.mediaList = Qz_CreateObject("LinkedList");
  if (!base.mediaList) {
    Qz_CleanupImageBase();
    return nullptr;
  }
  return &base;
}

QZ_EXPORT void Qz_CleanupImageBase(void) {
  Qz_ImageBase& base = gImageBase;
  if (base.useCount.load() <= 0) return;
  if (--base.useCount != 0) return;
  Qz__ForgetSharedBelow(nullptr);
  // Shut-down normally disposes these first; whatever is left goes here.
  if (base.applicationImage) {
    Qz_DisposeObject(&base.applicationImage->object);
    base.applicationImage = nullptr;
  }
  Qz_DisposeObject(base.mediaList);
  base.mediaList = nullptr;
  std::free(base.penBlock);
  base.penBlock = nullptr;
  // The views' shared drawing buffer (new[] by the first redraw).
  delete[] static_cast<uint8_t*>(base.redrawBuffer);
  base.redrawBuffer = nullptr;
  base.redrawBufferWidth = base.redrawBufferHeight = 0;
  Qz_DisposeObject(base.pageSetup);
  base.pageSetup = nullptr;
  if (base.globalData) {
    if (base.globalData->imageBase == &base) base.globalData->imageBase = nullptr;
    if (base.globalData->hooks.resolveTarget == Qz__ResolveActiveTarget)
      base.globalData->hooks.resolveTarget = nullptr;
    if (base.globalData->hooks.mainWindowObject == Qz__MainWindowObject)
      base.globalData->hooks.mainWindowObject = nullptr;
    Qz_CleanUp();
    base.globalData = nullptr;
  }
  CloseLibrary(static_cast<Library*>(base.objectLibrary));
  base.objectLibrary = nullptr;
  CleanupSemaphore(&base.semaphore);
}

QZ_EXTERN_C_END

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz_SetGradientKind(int32_t kind) {
  std::atomic_ref<int32_t>(Qz_GetImageBase()->gradientKind).store(kind);
}

QZ_EXPORT void Qz_SetGradientLevel(int32_t level) {
  std::atomic_ref<int32_t>(Qz_GetImageBase()->gradientLevel).store(std::clamp(level, 0, 255));
}

QZ_EXPORT Qz_GradientSettings Qz_GetGradientSettings(void) {
  Qz_ImageBase* base = Qz_GetImageBase();
  return {std::atomic_ref<int32_t>(base->gradientKind).load(), std::atomic_ref<int32_t>(base->gradientLevel).load()};
}

QZ_EXTERN_C_END
