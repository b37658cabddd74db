// Layer edits that go on the undo list as actions: clearing, filling and
// inverting, fixing the layers' changes into the document, choosing a mode,
// the paint colour and the media settings. Each makes its action by class
// name; an explicit choice whose action class is missing still takes effect,
// unrecorded.
#include <cstdio>
#include <cstring>

#include "actions/qz_actions.h"
#include "image/image_internal.h"
#include "image/image_text.h"
#include "image/layer_messages.h"
#include "objects/qz_linked_list.h"

namespace qz {
namespace {

constexpr uint32_t kClearLayer = 0x1000c8;
constexpr uint32_t kFillLayer = 0x1000d2;
constexpr uint32_t kInvertImage = 0x1000dc;
constexpr uint32_t kInvertLayer = 0x1000e6;
constexpr uint32_t kSetRed = 0x130050;
constexpr uint32_t kSetGreen = 0x130051;
constexpr uint32_t kSetBlue = 0x130052;
constexpr uint32_t kMediaGetKind = 0x110186;
// "Fill Layer" makes a paint layer wholly opaque (and an image layer white).
constexpr uint32_t kFullFill = 0xFFFFFF;

Qz_Image* asImage(QzWord word) { return reinterpret_cast<Qz_Image*>(word); }

Qz_Object* makeAction(const char* className) {
  return Qz_FindClassFromName(className) ? Qz_CreateObject(className) : nullptr;
}

uint32_t classIdOf(Qz_Object* object) {
  return object && object->objectClass ? object->objectClass->classId : 0;
}

// The newest action of the document's undo list, when it is of that class
// (and, with a layer given, for that layer).
Qz_Object* newestAction(Qz_Image* document, uint32_t classId, Qz_Image* layer) {
  Qz_Object* list = document ? document->undoList : nullptr;
  auto* newest = list ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListFirst)) : nullptr;
  if (!newest || classIdOf(newest) != classId) return nullptr;
  if (layer && Qz_DoMethod(newest, kActionGetLayer) != toWord(layer)) return nullptr;
  return newest;
}

uint32_t packColour(const uint8_t (&c)[3]) {
  return uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16;
}

// Adds the action for the layer, then applies it; a refused addition leaves
// everything as it was.
QzWord addAndApply(Qz_Image* layer, Qz_Object* action) {
  if (!action) return 0;
  if (!Qz_AddLayerAction(layer, action, 0)) {
    Qz_DisposeObject(action);
    return 0;
  }
  Qz_DoMethod(action, kActionApply);
  return 1;
}

QzWord fillLayer(Qz_Image* image, Qz_Image* layer, bool fill) {
  if (!layer) layer = image->paintLayer;
  if (!layer) return 0;
  Qz_Object* action = makeAction("FillImageAction");
  if (!action) return 0;
  Qz_DoMethod(action, kActionSetName, fill ? "Fill Layer" : "Clear Layer");
  Qz_DoMethod(action, kFillImageActionSetValue, fill ? kFullFill : 0u);
  if (!addAndApply(layer, action)) return 0;
  if (Qz_Image* app = Qz_GetImageBase()->applicationImage)
    Qz_DoNotify(imageObject(app), kQzAppPixelsSettled, layer);
  return 1;
}

// The whole image, not a layer: the action is told it has none after the
// undo list gave it the active one.
QzWord invertImage(Qz_Image* image) {
  Qz_Object* action = makeAction("InvertImageAction");
  if (!action) return 0;
  if (!Qz_AddImageAction(image, action, 0)) {
    Qz_DisposeObject(action);
    return 0;
  }
  Qz_DoMethod(action, kActionSetLayer, 0u);
  Qz_DoMethod(action, kActionApply);
  return 1;
}

QzWord invertLayer(Qz_Image* image) {
  return image->paintLayer ? addAndApply(image->paintLayer, makeAction("InvertImageAction")) : 0;
}

// Collapses the active layer's changes into the document (qualifier 2 also
// composites the whole document). An addition refused after the collapse
// takes the collapse back.
QzWord fix(Qz_Image* image, bool full) {
  Qz_Image* active = image->activeLayer;
  if (!active) return 0;
  Qz_Object* action = makeAction("CollapseAction");
  if (!action) return 0;
  Qz_Image* document = owningDocumentOf(active);
  if (!document) document = image;
  Qz_DoMethod(action, kActionSetQualifier, full ? 2u : 1u);
  Qz_DoMethod(action, kActionSetLayer, active);
  Qz_DoMethod(action, kActionSetImage, document);
  Qz_DoMethod(action, kActionApply);
  if (!Qz_AddImageAction(document, action, 0)) {
    Qz_DoMethod(action, kActionUndo);
    Qz_DisposeObject(action);
    return 0;
  }
  return 1;
}

bool modeClassExists(const char* name) {
  char className[kQzNameLength + 8];
  std::snprintf(className, sizeof className, "%sMode", name);
  return Qz_FindClassFromName(className) != nullptr;
}

QzWord chooseMode(Qz_Image* layer, const char* name) {
  if (!name || !*name || layer->type == kQzDocument) return 0;
  Qz_Image* document = owningDocumentOf(layer);
  if (!document) return 0;
  // A choice still waiting to be fixed is what will be in force.
  const char* coming = layer->chosenMode ? layer->chosenModeName : layer->modeName;
  if (std::strcmp(name, coming) == 0) return 0;
  // An unknown mode would only leave an empty step on the undo list.
  if (!modeClassExists(name)) return 0;
  if (!Qz_FindClassFromName("ModeAction")) return QzWord(uint32_t(Qz__ApplyLayerMode(layer, name)));
  if (Qz_Object* newest = newestAction(document, kModeActionClassId, layer)) {
    Qz_DoMethod(newest, kModeActionSetName, name);
    return Qz_DoMethod(newest, kActionApply);
  }
  Qz_Object* action = Qz_CreateObject("ModeAction");
  if (!action) return 0;
  if (!Qz_AddLayerAction(layer, action, 0)) {
    Qz_DisposeObject(action);
    return 0;
  }
  Qz_DoMethod(action, kModeActionSetName, name);
  return Qz_DoMethod(action, kActionApply);
}

QzWord setColour(Qz_Image* layer, uint32_t colour) {
  colour &= 0xFFFFFF;
  if (packColour(layer->chosenColour) == colour) return 0;
  Qz_Image* document = owningDocumentOf(layer);
  if (!document || !Qz_FindClassFromName("ColourAction")) {
    layer->chosenColour[0] = uint8_t(colour);
    layer->chosenColour[1] = uint8_t(colour >> 8);
    layer->chosenColour[2] = uint8_t(colour >> 16);
    Qz_LayerNeedsFixing(layer);
    return 1;
  }
  Qz_Object* action = newestAction(document, kColourActionClassId, layer);
  if (!action) {
    action = Qz_CreateObject("ColourAction");
    if (!action) return 0;
    if (!Qz_AddLayerAction(layer, action, 0)) {
      Qz_DisposeObject(action);
      return 0;
    }
  }
  Qz_DoMethod(action, kColourActionSetRGB, packColour(layer->committedColour));
  Qz_DoMethod(action, kColourActionSetNewRGB, colour);
  Qz_DoMethod(action, kActionApply);
  return 1;
}

QzWord setComponent(Qz_Image* layer, int component, uint32_t value) {
  uint8_t colour[3] = {layer->chosenColour[0], layer->chosenColour[1], layer->chosenColour[2]};
  if (colour[component] == uint8_t(value)) return 0;
  colour[component] = uint8_t(value);
  return setColour(layer, packColour(colour));
}

// The media belongs to the document; a layer passes the request on to it.
Qz_Image* mediaOwner(Qz_Image* image) {
  if (image->type == kQzDocument) return image;
  Qz_Image* document = owningDocumentOf(image);
  return document ? document : image;
}

// Adds a new media-settings action to the active layer, or to the image
// without one; false (the action disposed) when the list refused it.
bool addMediaSettings(Qz_Image* image, Qz_Object* action) {
  const uint32_t added = image->activeLayer ? Qz_AddLayerAction(image->activeLayer, action, 0)
                                            : Qz_AddImageAction(image, action, 0);
  if (!added) Qz_DisposeObject(action);
  return added != 0;
}

// kind: the media's size or strength setter; value: the new setting.
QzWord recordMediaSetting(Qz_Image* receiver, uint32_t kind, QzWord value) {
  if (kind != kMediaSetSize && kind != kMediaSetPressure) return 0;
  Qz_Image* image = mediaOwner(receiver);
  if (!Qz_FindClassFromName("MediaSettingsAction")) {
    if (image->media) Qz_DoMethod(image->media, kind, value);
    return 1;
  }
  Qz_Image* document = owningDocumentOf(image);
  Qz_Object* action =
      newestAction(document ? document : image, kMediaSettingsActionClassId, nullptr);
  if (!action) {
    action = Qz_CreateObject("MediaSettingsAction");
    if (!action) return 0;
    Qz_DoMethod(action, kMediaSettingsSetName, image->mediaName);
    Qz_DoMethod(action, kind, value);
    if (!addMediaSettings(image, action)) return 0;
  } else {
    Qz_DoMethod(action, kind, value);
  }
  Qz_DoMethod(action, kActionApply);
  return 1;
}

void raiseNeedsFixing(Qz_Image* image) {
  for (Qz_Image* layer = first_layer(image); layer; layer = next_layer(layer)) {
    layer->needsFixing.fetch_add(1);
    raiseNeedsFixing(layer);
  }
}

// The image's brush becomes `media`. The change is recorded first (its
// action keeps the settings in force before it), except while a recorded
// change is itself being put in force.
QzWord setMedia(Qz_Image* image, Qz_Object* media) {
  if (!media) return 0;
  if (!Qz_LockImageA(image, kQzLockExclusive, nullptr)) return 0;
  const char* name = reinterpret_cast<const char*>(Qz_DoMethod(media, kRootGetObjectName));
  if (image->mediaChangeCount.load() == 0 && Qz_FindClassFromName("MediaSettingsAction")) {
    Qz_Image* document = owningDocumentOf(image);
    Qz_Object* action =
        newestAction(document ? document : image, kMediaSettingsActionClassId, nullptr);
    if (!action && (action = Qz_CreateObject("MediaSettingsAction")) &&
        !addMediaSettings(image, action))
      action = nullptr;
    if (action) Qz_DoMethod(action, kMediaSettingsSetName, name ? name : "");
  }
  const QzWord oldKind = image->media ? Qz_DoMethod(image->media, kMediaGetKind) : 0;
  image->media = media;
  copyName(image->mediaName, sizeof image->mediaName, name ? name : "");
  if (Qz_DoMethod(media, kMediaGetKind) != oldKind) raiseNeedsFixing(image);
  Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
  return 1;
}

}  // namespace

QzWord layerCommandDispatch(Qz_Image* image, uint32_t id, const QzWord* args, bool& handled) {
  handled = true;
  switch (id) {
    case kClearLayer: return fillLayer(image, asImage(args[0]), false);
    case kFillLayer: return fillLayer(image, asImage(args[0]), true);
    case kInvertImage: return invertImage(image);
    case kInvertLayer: return invertLayer(image);
    case kQzImageFix: return fix(image, args[0] != 0);
    case kQzImageSetLayerMode: return chooseMode(image, reinterpret_cast<const char*>(args[0]));
    case kQzImageSetColour: return setColour(image, uint32_t(args[0]));
    case kSetRed: return setComponent(image, 0, uint32_t(args[0]));
    case kSetGreen: return setComponent(image, 1, uint32_t(args[0]));
    case kSetBlue: return setComponent(image, 2, uint32_t(args[0]));
    case kQzImageRecordMediaSetting: return recordMediaSetting(image, uint32_t(args[0]), args[1]);
    case kQzImageSetMedia: return setMedia(image, reinterpret_cast<Qz_Object*>(args[0]));
    default: handled = false; return 0;
  }
}

}  // namespace qz
