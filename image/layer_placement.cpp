// Where a layer lies and what it draws from: its two source images (watched,
// so that their changes re-render the layer, the second one's end of a strip
// pass reaches the layer's mode, and a source that goes away is let go before
// it is freed), the rectangles they are placed at, moving the layer, and
// hiding and showing it.
#include <mutex>

#include "image/image_internal.h"
#include "image/image_shell.h"
#include "image/layer_messages.h"
#include "modes/mode_kit.h"
#include "objects/qz_notify.h"

namespace qz {
namespace {

constexpr uint32_t kFirstSourceChanged = 0x1002a8;
constexpr uint32_t kSecondSourceChanged = 0x1002b2;
// The second source's end-of-pass notice (its progress-done) as it reaches
// the layer, carrying the source; the mode hears it under the same id.
constexpr uint32_t kSecondSourcePassDone = kQzModeSourcePassDone;
static_assert(kQzModeSourcePassDone == kQzProgressDone, "the mode hears the pass's own notice");
constexpr uint32_t kPlaceFirst = 0x100244;
constexpr uint32_t kPlaceSecond = 0x10023a;
constexpr uint32_t kPlaceLayer = 0x10024e;
constexpr uint32_t kShowLayer = 0x1002bc;
constexpr uint32_t kHideLayer = 0x1002c6;

Qz_Image* asImage(QzWord word) { return reinterpret_cast<Qz_Image*>(word); }

// Serialises the source slots between attaching and a source's dying notice
// when the document's exclusive lock cannot be had for the latter.
std::mutex gSourceMutex;

struct SourceSlot {
  Qz_Image* Qz_Image::*image;
  QzWord Qz_Image::*notify;
  QzWord Qz_Image::*passWatch;  // null for the first source
  int16_t Qz_Placement::*rectWidth;
  int16_t Qz_Placement::*rectHeight;
  int16_t Qz_Placement::*sourceWidth;
  int16_t Qz_Placement::*sourceHeight;
  uint32_t attachId;   // also the notice sent to the parent and the application image
  uint32_t changedId;  // what the source's change notices become on the layer
};
constexpr SourceSlot kFirst = {&Qz_Image::firstSource,       &Qz_Image::firstSourceNotify,
                               nullptr,
                               &Qz_Placement::firstWidth,    &Qz_Placement::firstHeight,
                               &Qz_Placement::firstSourceWidth, &Qz_Placement::firstSourceHeight,
                               kQzImageSetFirstSource,       kFirstSourceChanged};
constexpr SourceSlot kSecond = {&Qz_Image::secondSource,       &Qz_Image::secondSourceNotify,
                                &Qz_Image::secondSourcePassWatch,
                                &Qz_Placement::secondWidth,    &Qz_Placement::secondHeight,
                                &Qz_Placement::secondSourceWidth, &Qz_Placement::secondSourceHeight,
                                kQzImageSetSecondSource,       kSecondSourceChanged};

bool modeTakesSource(Qz_Image* layer) {
  return layer->mode && (Qz_DoMethod(layer->mode, kQzModeGetFlags) & kQzModeCombinesSource);
}

const SourceSlot& slotOf(bool second) { return second ? kSecond : kFirst; }

// Removes the slot's watches from its source, if any.
void unwatch(Qz_Image* layer, const SourceSlot& slot) {
  Qz_Image* source = layer->*slot.image;
  for (QzWord Qz_Image::*watch : {slot.notify, slot.passWatch}) {
    if (!watch) continue;
    if (source && layer->*watch) Qz_RemoveNotify(imageObject(source), layer->*watch);
    layer->*watch = 0;
  }
}

void announceSource(Qz_Image* layer, const SourceSlot& slot, Qz_Image* source) {
  Qz_NoteImageChange(layer);
  const bool second = slot.attachId == kQzImageSetSecondSource;
  if (second && modeTakesSource(layer)) Qz_DoMethod(layer->mode, slot.attachId, source);
  Qz_RedoLayerChanges(layer);
  if (layer->parent) Qz_DoNotify(imageObject(layer->parent), slot.attachId, layer, source);
  Qz_Image* app = Qz_GetImageBase()->applicationImage;
  if (app && app != layer->parent) Qz_DoNotify(imageObject(app), slot.attachId, layer, source);
}

// Takes the source out of its slot when it is still there. Runs under the
// document's exclusive lock when that can be had; a dying source is let go
// even without it, since it is freed next.
bool releaseSource(Qz_Image* layer, const SourceSlot& slot, Qz_Image* expected, bool force) {
  Qz_Image* document = topDocument(layer);
  const bool locked = Qz_LockImageA(document, kQzLockExclusive, nullptr) != 0;
  if (!locked && !force) return false;
  bool released = false;
  {
    std::lock_guard<std::mutex> guard(gSourceMutex);
    Qz_Image* source = layer->*slot.image;
    if (source && (!expected || source == expected)) {
      // Still alive here: its own dying notice waits for this lock or is this call.
      unwatch(layer, slot);
      layer->*slot.image = nullptr;
      released = true;
    }
  }
  if (locked) Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
  return released;
}

QzWord attachSource(Qz_Image* layer, const SourceSlot& slot, Qz_Image* source) {
  if (source == layer) return 0;
  if (!source) {
    if (!releaseSource(layer, slot, nullptr, false) && layer->*slot.image) return 0;
    announceSource(layer, slot, nullptr);
    return 1;
  }
  Qz_Image* document = topDocument(layer);
  if (!Qz_LockImageA(document, kQzLockExclusive, nullptr)) return 0;
  // Holding the source keeps it from being freed until the watch is in place.
  if (!Qz_LockImageA(source, kQzLockRead, nullptr)) {
    Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
    return 0;
  }
  const QzWord watch = Qz_AddNotify(
      imageObject(source), kQzImageChanged, kNotifyAnyValue, imageObject(layer), 7, slot.changedId,
      kNotifySameWord, kNotifySameWord, kNotifySameWord, kNotifySameWord, kNotifySameWord,
      kNotifySameWord);
  // Every strip pass of the source ends with this notice; the layer hands it
  // to its mode with the source, which widens its region notices then.
  const QzWord passWatch =
      slot.passWatch ? Qz_AddNotify(imageObject(source), kQzProgressDone, kNotifyAnyValue,
                                    imageObject(layer), 2, kSecondSourcePassDone, source)
                     : 0;
  bool attached = false;
  {
    std::lock_guard<std::mutex> guard(gSourceMutex);
    // A source that started dying after it was locked may have sent its
    // dying notice before the watch was in place.
    if (watch && (passWatch || !slot.passWatch) && source->state.load() != kQzImageDying) {
      unwatch(layer, slot);
      layer->*slot.image = source;
      layer->*slot.notify = watch;
      if (slot.passWatch) layer->*slot.passWatch = passWatch;
      Qz_Placement& p = layer->placement;
      p.*slot.rectWidth = p.*slot.sourceWidth = int16_t(std::min(source->width, kQzMaxLayerSide));
      p.*slot.rectHeight = p.*slot.sourceHeight =
          int16_t(std::min(source->height, kQzMaxLayerSide));
      attached = true;
    }
  }
  if (!attached) {
    Qz_RemoveNotify(imageObject(source), watch);
    Qz_RemoveNotify(imageObject(source), passWatch);
  }
  Qz_UnlockImageA(source, kQzLockRead, nullptr);
  Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
  if (!attached) return 0;
  announceSource(layer, slot, source);
  return 1;
}

// A change notice of a watched source: kind, image, x0, y0, x1, y1.
QzWord sourceChanged(Qz_Image* layer, const SourceSlot& slot, const QzWord* args) {
  const uint32_t kind = uint32_t(args[0]);
  Qz_Image* source = asImage(args[1]);
  if (kind == kQzChangeDying) {
    if (releaseSource(layer, slot, source, true)) announceSource(layer, slot, nullptr);
    return 0;
  }
  if (!source || source != layer->*slot.image) return 0;
  if (slot.changedId == kFirstSourceChanged) {
    if (kind >= 3) return 0;
    // The source is placed at the first rectangle's x, y inside the layer.
    const int32_t dx = layer->placement.firstX, dy = layer->placement.firstY;
    Qz_DoNotify(imageObject(layer), kQzImageChanged, kind, layer, int32_t(args[2]) + dx,
                int32_t(args[3]) + dy, int32_t(args[4]) + dx, int32_t(args[5]) + dy, 0, 0);
    return 0;
  }
  if (modeTakesSource(layer)) Qz_DoMethodA(layer->mode, slot.changedId, args);
  return 0;
}

// The second source ended a strip pass (also one cut short).
QzWord sourcePassDone(Qz_Image* layer, Qz_Image* source) {
  if (!source || source != layer->secondSource || !modeTakesSource(layer)) return 0;
  return Qz_DoMethod(layer->mode, kQzModeSourcePassDone, source);
}

// Stores placement values under the document's exclusive lock (passes read them).
template <typename Store>
bool storePlacement(Qz_Image* layer, Store store) {
  Qz_Image* document = topDocument(layer);
  if (!Qz_LockImageA(document, kQzLockExclusive, nullptr)) return false;
  store(layer->placement);
  Qz_NoteImageChange(layer);
  Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
  return true;
}

int16_t side(QzWord word) { return int16_t(int32_t(word)); }

QzWord placeFirst(Qz_Image* layer, const QzWord* args) {
  if (!storePlacement(layer, [&](Qz_Placement& p) {
        p.firstX = side(args[0]), p.firstY = side(args[1]);
        p.firstWidth = side(args[2]), p.firstHeight = side(args[3]);
      }))
    return 0;
  const Qz_Placement& p = layer->placement;
  Qz_DoMethod(imageObject(layer), kPlaceLayer, int32_t(p.layerX), int32_t(p.layerY),
              int32_t(p.layerWidth), int32_t(p.layerHeight));
  return 1;
}

QzWord placeSecond(Qz_Image* layer, const QzWord* args) {
  if (!storePlacement(layer, [&](Qz_Placement& p) {
        p.secondX = side(args[0]), p.secondY = side(args[1]);
        p.secondWidth = side(args[2]), p.secondHeight = side(args[3]);
      }))
    return 0;
  Qz_RedoLayerChanges(layer);
  return 1;
}

// Puts the parent's background back over x0..x1, y0..y1 (clamped), as a
// compositing pass would before it lays the layers over it.
void restoreBackground(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image->width - 1);
  y1 = std::min(y1, image->height - 1);
  if (x0 > x1 || y0 > y1 || !Qz_LockImageA(image, kQzLockComposite, nullptr)) return;
  ObtainSemaphore(&image->compositorSemaphore);
  Qz_CopyUndoToImageData(image, x0, y0, x1, y1, x0, y0);
  ReleaseSemaphore(&image->compositorSemaphore);
  Qz_UnlockImageA(image, kQzLockComposite, nullptr);
}

// x, y, width, height (a size of 0 or less keeps the layer's own).
QzWord placeLayer(Qz_Image* layer, const QzWord* args) {
  const int32_t x = side(args[0]), y = side(args[1]);
  const int32_t oldX = layer->placement.layerX, oldY = layer->placement.layerY;
  const int32_t oldWidth =
      layer->placement.layerWidth > 0 ? layer->placement.layerWidth : layer->width;
  const int32_t oldHeight =
      layer->placement.layerHeight > 0 ? layer->placement.layerHeight : layer->height;
  const int32_t width = side(args[2]) > 0 ? side(args[2]) : oldWidth;
  const int32_t height = side(args[3]) > 0 ? side(args[3]) : oldHeight;
  if (!storePlacement(layer, [&](Qz_Placement& p) {
        p.layerX = int16_t(x), p.layerY = int16_t(y);
        p.layerWidth = int16_t(width), p.layerHeight = int16_t(height);
      }))
    return 0;
  Qz_Image* parent = layer->parent;
  if (!parent) return 1;
  const int32_t x0 = std::max(0, std::min(oldX, x));
  const int32_t y0 = std::max(0, std::min(oldY, y));
  const int32_t x1 = std::min(parent->width - 1, std::max(oldX + oldWidth, x + width) - 1);
  const int32_t y1 = std::min(parent->height - 1, std::max(oldY + oldHeight, y + height) - 1);
  if (x0 > x1 || y0 > y1) return 1;
  restoreBackground(parent, x0, y0, x1, y1);
  if (layer->type == kQzImageLayer) Qz_ModifiedAllImageData(layer);
  Qz_ProcessImage(parent, x0, y0, x1, y1);
  markRecomposited(parent, x0, y0, x1, y1);
  return 1;
}

bool setVisible(Qz_Image* layer, int32_t visible) {
  Qz_Image* document = topDocument(layer);
  if (!Qz_LockImageA(document, kQzLockExclusive, nullptr)) return false;
  layer->visible = visible;
  Qz_NoteImageChange(layer);
  Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
  return true;
}

// The document shows its background where the layer was; the notice of the
// whole layer re-composites that area (through the parent's watch) with the
// layers still visible.
QzWord hideLayer(Qz_Image* layer) {
  if (!setVisible(layer, 0)) return 0;
  Qz_Image* document = owningDocumentOf(layer);
  int32_t x0 = 0, y0 = 0, x1 = layer->width - 1, y1 = layer->height - 1;
  // A layer out of its parent's list shows nowhere: nothing to take back.
  if (document && document != layer && isLinkedIn(layer->parent, layer) &&
      layerRectIn(layer, document, x0, y0, x1, y1))
    restoreBackground(document, x0, y0, x1, y1);
  Qz_ModifiedAllImageData(layer);
  return 1;
}

QzWord showLayer(Qz_Image* layer) {
  if (!setVisible(layer, 1)) return 0;
  Qz_ModifiedAllImageData(layer);
  return 1;
}

}  // namespace

void unwatchSource(Qz_Image* layer, bool second) { unwatch(layer, slotOf(second)); }

QzWord layerPlacementDispatch(Qz_Image* layer, uint32_t id, const QzWord* args, bool& handled) {
  handled = true;
  switch (id) {
    case kQzImageSetFirstSource: return attachSource(layer, kFirst, asImage(args[0]));
    case kQzImageSetSecondSource: return attachSource(layer, kSecond, asImage(args[0]));
    case kFirstSourceChanged: return sourceChanged(layer, kFirst, args);
    case kSecondSourceChanged: return sourceChanged(layer, kSecond, args);
    case kSecondSourcePassDone: return sourcePassDone(layer, asImage(args[0]));
    case kPlaceFirst: return placeFirst(layer, args);
    case kPlaceSecond: return placeSecond(layer, args);
    case kPlaceLayer: return placeLayer(layer, args);
    case kHideLayer: return hideLayer(layer);
    case kShowLayer: return showLayer(layer);
    default: handled = false; return 0;
  }
}

}  // namespace qz
