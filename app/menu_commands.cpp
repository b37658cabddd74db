#include "app/menu_commands.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <set>

#include "app/main_menu.h"
#include "app/print_image.h"
#include "app/tip_window.h"
#include "app/update_check.h"
#include "app/web_save_dialog.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "image/qz_mirror.h"
#include "image/qz_scaling.h"
#include "image/unsaved_changes.h"
#include "objects/async_methods.h"
#include "objects/catalogue.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/qz_object.h"
#include "platform/exec.h"
#include "platform/paths.h"
#include "requesters/qz_requesters.h"

namespace qz::app {
namespace {

// Image methods the commands send.
constexpr uint32_t kAppOpen = 0x13003C;
constexpr uint32_t kAppOpenChoice = 0x13003D;
constexpr uint32_t kAppQuit = 0x7000A;
constexpr uint32_t kSave = 0x130046;
constexpr uint32_t kSaveAs = 0x130047;
constexpr uint32_t kSaveCopy = 0x130048;
constexpr uint32_t kNewLayer = 0x100078;
constexpr uint32_t kDeleteLayer = 0x100082;
constexpr uint32_t kClearLayer = 0x1000C8;
constexpr uint32_t kFillLayer = 0x1000D2;
constexpr uint32_t kInvertImage = 0x1000DC;
constexpr uint32_t kInvertLayer = 0x1000E6;
constexpr uint32_t kCurrentLayer = 0x1000B4;
constexpr uint32_t kSetMode = 0x10005A;
constexpr uint32_t kBecomeDocument = 0x13000A;
constexpr uint32_t kSetSecondary = 0x100226;
constexpr uint32_t kSetAlpha = 0x100230;
constexpr uint32_t kPlaceLayer = 0x10024E;
constexpr uint32_t kLayerToTop = 0x100262;
constexpr uint32_t kLayerUp = 0x10026C;
constexpr uint32_t kLayerDown = 0x100276;
constexpr uint32_t kLayerToBottom = 0x100280;
constexpr uint32_t kChanged = 0x100294;
constexpr uint32_t kShowLayer = 0x1002BC;
constexpr uint32_t kHideLayer = 0x1002C6;
constexpr uint32_t kShowView = 0x1002EE;
constexpr uint32_t kHideView = 0x1002F8;
constexpr uint32_t kNewView = 0x100302;
constexpr uint32_t kRerender = 0x100054;
constexpr uint32_t kWindowOpen = 0x90028;
constexpr uint32_t kBatchRun = 0x570046;
constexpr uint32_t kScreenMenuCommand = 0x4601CC;
constexpr uint32_t kItemId = 0x100DC;
constexpr uint32_t kAddChild = 0x47001E;
constexpr uint32_t kCloseQuestion = 242;

constexpr const char* kHelpPage = "Data/Help/index.html";
constexpr const char* kCloseAllQuestion = "Close all images?";

Qz_Object* obj(Qz_Image* image) { return image ? &image->object : nullptr; }
QzWord word(const void* p) { return reinterpret_cast<QzWord>(p); }
QzWord word(int32_t v) { return static_cast<uint32_t>(v); }

// What the commands ask of the effects; also the names the availability test looks up.
constexpr const char* kNewImageRequester = "Qz_DoNewImageReq";
constexpr const char* kCopyImage = "Qz__CopyImage";
constexpr const char* kScaleImage = "Qz__ScaleImage";
constexpr const char* kUndo = "Qz_UndoImageAction";
constexpr const char* kRedo = "Qz_RedoImageAction";
constexpr const char* kCopyToClipboard = "ClipboardQZIO:save";
constexpr const char* kPasteFromClipboard = "ClipboardQZIO:load";
constexpr const char* kLoadForLayer = "Qz__LoadImageA:layer";
constexpr const char* kBatchProcess = "BatchProcess";
constexpr const char* kPrefs = "QuillantrixPrefs";
constexpr const char* kTipOfTheDay = "TipOfTheDay";
constexpr const char* kWebSave = "Qz__SaveImageForTheWeb";
constexpr const char* kPageSetup = "Qz_ShowPageSetupReq";
constexpr const char* kPrint = "Qz_PrintImage";
constexpr const char* kGrabScreen = "ScreenGrabQZIO:load";
constexpr const char* kUpdates = "Qz__ShowAutoUpdateRequester";
constexpr const char* kScaleRequester = "Qz_DoScaleRequestor";
constexpr const char* kGridRequester = "Qz_ShowSnapToGridReq";
constexpr const char* kTransform = "Qz__TransformImage";
constexpr const char* kRotateRequester = "Qz_DoTransformRequestor";
constexpr const char* kAddSpace = "Qz_DoAddSpaceReq";
constexpr const char* kAbout = "Qz__AboutQuillantrix";
constexpr uint32_t kTurnLayersToo = 4;

// ---- images the menu made --------------------------------------------------------

std::mutex gMadeMutex;
std::set<Qz_Image*> gMade;

void forgetMade(QzWord, Qz_Object* source, uint32_t, const QzWord* words) {
  if (!words || words[0] != kQzChangeDying) return;
  std::lock_guard<std::mutex> lock(gMadeMutex);
  gMade.erase(reinterpret_cast<Qz_Image*>(source));
}

void rememberMade(Qz_Image* image) {
  {
    std::lock_guard<std::mutex> lock(gMadeMutex);
    gMade.insert(image);
  }
  // A made image that goes some other way leaves the set.
  Qz_AddCallBackNotify(obj(image), kChanged, kNotifyAnyValue, forgetMade, 0);
}

// The re-render switch (command 142).
std::atomic<int32_t> gRerenderSwitch{0};

// ---- helpers shared by commands ----------------------------------------------------

int32_t layerWidth(Qz_Image* layer) { return layer->placement.layerWidth > 0 ? layer->placement.layerWidth : layer->width; }
int32_t layerHeight(Qz_Image* layer) { return layer->placement.layerHeight > 0 ? layer->placement.layerHeight : layer->height; }

// A 24-bit document at the layer's size with one paint layer, made to
// hang on a layer as its alpha or secondary image.
Qz_Image* makeImageFor(MenuCommandContext& c, Qz_Image* layer) {
  MenuEffects& fx = *c.effects;
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  if (!image) return nullptr;
  if (!Qz_AllocImage(image, layer->width, layer->height, 24, 0, nullptr)) {
    Qz_DisposeObject(obj(image));
    return nullptr;
  }
  fx.send(obj(image), kNewLayer, {1, word(layer->width), word(layer->height), 8});
  if (image->activeLayer) fx.send(obj(image->activeLayer), kSetMode, {word("Paint")});
  fx.send(obj(image), kBecomeDocument, {word(image)});
  rememberMade(image);
  return image;
}

// Detaches the layer's alpha or secondary image; one the menu made is disposed.
void closeAttached(MenuCommandContext& c, uint32_t method) {
  if (!c.layer) return;
  Qz_Image* attached = method == kSetAlpha ? c.layer->firstSource : c.layer->secondSource;
  if (!attached) return;
  c.effects->send(obj(c.layer), method, {0});
  if (!madeByMenu(attached)) return;
  c.releaseLock();
  c.effects->dispose(attached);
}

void newAttached(MenuCommandContext& c, uint32_t method) {
  if (!c.layer) return;
  if (Qz_Image* made = makeImageFor(c, c.layer)) c.effects->send(obj(c.layer), method, {word(made)});
}

void openAttached(MenuCommandContext& c, uint32_t method) {
  if (!c.layer) return;
  Qz_Image* layer = c.layer;
  c.releaseLock();
  const QzWord loaded = c.effects->call(kLoadForLayer, nullptr, {});
  if (!loaded) return;
  auto* image = reinterpret_cast<Qz_Image*>(loaded);
  rememberMade(image);
  // The layer may have gone while the requester was up.
  Qz_Image* document = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (document && document->activeLayer == layer) c.effects->send(obj(layer), method, {loaded});
  else c.effects->dispose(image);
  if (document) Qz_UnlockImageA(document, kQzLockRead, nullptr);
}

void post(MenuCommandContext& c, Qz_Image* target, uint32_t method, std::vector<QzWord> args = {}) {
  if (target) c.effects->post(obj(target), method, args);
}
void send(MenuCommandContext& c, Qz_Image* target, uint32_t method, std::vector<QzWord> args = {}) {
  if (target) c.effects->send(obj(target), method, args);
}

void requester(MenuCommandContext& c, const char* function, Qz_Image* image) {
  c.releaseLock();
  c.effects->call(function, image, {});
}

// One undoable TransformAction on the image; the action takes the image's
// exclusive lock, so ours goes first.
void transform(MenuCommandContext& c, Qz_Image* image, int32_t degrees, uint32_t flags) {
  if (!image) return;
  c.releaseLock();
  c.effects->call(kTransform, image, {word(degrees), flags});
}

// A quarter or half turn of the image with its layers; positive turns anticlockwise.
void turn(MenuCommandContext& c, int32_t degrees) { transform(c, c.chosen, degrees, kTurnLayersToo); }

// The image mirrored with its layers, each layer's place mirrored about the image's centre.
void flip(MenuCommandContext& c, uint32_t directions) { transform(c, c.chosen, 0, directions | kQzFlipLayers); }

// The current layer mirrored where it lies.
void flipLayer(MenuCommandContext& c, uint32_t directions) {
  transform(c, c.layer ? c.document : nullptr, 0, directions | kQzFlipCurrentLayer);
}

void closeDocument(MenuCommandContext& c, Qz_Image* image) {
  if (!image || image->type != kQzDocument) return;
  c.releaseLock();
  c.effects->dispose(image);
}

void showHelp(MenuCommandContext& c, const char* anchor) { c.effects->showHelp(std::string(kHelpPage) + anchor); }

void flipLayerFlag(MenuCommandContext& c) {
  if (!c.layer) return;
  const bool set = c.layer->visible != 0;
  send(c, c.layer, set ? kHideLayer : kShowLayer);
  relabelLayerItem(c.layer->visible != 0);
}

void flipView(MenuCommandContext& c) {
  if (!c.chosen) return;
  Qz_Object* view = Qz_CurrentViewOf(c.chosen);
  const bool shown = view && c.effects->send(view, kQzViewWindowShown, {}) != 0;
  send(c, c.chosen, shown ? kHideView : kShowView);
  relabelViewItem(!shown);
}

void placeLayer(MenuCommandContext& c, bool centre) {
  if (!c.layer || !c.document) return;
  const int32_t w = layerWidth(c.layer), h = layerHeight(c.layer);
  const int32_t x = centre ? (c.document->width - w) / 2 : 0;
  const int32_t y = centre ? (c.document->height - h) / 2 : 0;
  send(c, c.layer, kPlaceLayer, {word(x), word(y), word(w), word(h)});
}

void scale(MenuCommandContext& c, bool twice) {
  Qz_Image* image = c.chosen;
  if (!image) return;
  const int32_t w = twice ? image->width * 2 : std::max(1, image->width / 2);
  const int32_t h = twice ? image->height * 2 : std::max(1, image->height / 2);
  c.releaseLock();  // a resize takes the image's exclusive lock
  c.effects->call(kScaleImage, image, {word(w), word(h), 0});
}

// The layer's copy goes into its alpha image (made when there is none), and the layer is cleared.
void alphaFromLayer(MenuCommandContext& c) {
  Qz_Image* layer = c.layer;
  if (!layer) return;
  Qz_Image* alpha = layer->firstSource;
  if (!alpha) {
    alpha = makeImageFor(c, layer);
    if (!alpha) return;
    c.effects->send(obj(layer), kSetAlpha, {word(alpha)});
  }
  Qz_BlitImageToImage(alpha, 0, 0, layer, 0, 0, layer->width, layer->height, 255, 0);
  Qz_ModifiedAllImageData(alpha);
  send(c, layer->parent, kClearLayer, {word(layer)});
}

// The alpha image goes back over the layer and is detached; disposed only when the menu made it.
void alphaToLayer(MenuCommandContext& c) {
  Qz_Image* layer = c.layer;
  if (!layer || !layer->firstSource) return;
  Qz_Image* alpha = layer->firstSource;
  Qz_BlitImageToImage(layer, 0, 0, alpha, 0, 0, layer->width, layer->height, 255, 0);
  c.effects->send(obj(layer), kSetAlpha, {0});
  Qz_ModifiedAllImageData(layer);
  if (!madeByMenu(alpha)) return;
  c.releaseLock();
  c.effects->dispose(alpha);
}

// A new layer that follows the current one's changes, placed under it.
void linkedLayer(MenuCommandContext& c) {
  Qz_Image* document = c.document;
  Qz_Image* current = c.layer;
  if (!document || !current) return;
  auto* added = reinterpret_cast<Qz_Image*>(
      c.effects->send(obj(document), kNewLayer, {1, word(document->width), word(document->height), 8}));
  if (!added) return;
  Qz_AddNotify(obj(current), kChanged, kNotifyAnyValue, obj(added), 2, kChanged, kNotifySameWord);
  send(c, added, kLayerDown);
  send(c, document, kCurrentLayer, {word(current)});
  Qz_ModifiedLayer(added, 0, 0, added->width - 1, added->height - 1);
  Qz_ModifiedLayer(current, 0, 0, current->width - 1, current->height - 1);
}

// A paint layer holding a copy of the current one's colour and transparency, placed over it.
void duplicateLayer(MenuCommandContext& c) {
  Qz_Image* document = c.document;
  Qz_Image* current = c.layer;
  if (!document || !current || current->type != kQzPaintLayer) return;
  auto* copy = reinterpret_cast<Qz_Image*>(
      c.effects->send(obj(document), kNewLayer, {1, word(current->width), word(current->height), 8}));
  if (!copy) return;
  Qz_BlitImageToImage(copy, 0, 0, current, 0, 0, current->width, current->height, 255, 0);
  if (copy->grey && current->grey)
    Qz__CopyPlaneRect(copy->grey, copy->width, copy->height, current->grey, current->width, current->height, 0, 0,
                      current->width - 1, current->height - 1, 0, 0);
  send(c, copy, kPlaceLayer,
       {word(int32_t(current->placement.layerX)), word(int32_t(current->placement.layerY)),
        word(layerWidth(current)), word(layerHeight(current))});
  Qz_ModifiedAllImageData(copy);
}

void snap(MenuCommandContext& c) {
  const bool on = c.base->gridOn.load() == 0;
  c.base->gridOn.store(on ? 1 : 0);
  setSnapCheck(on);
}

void rerenderSwitch(MenuCommandContext& c) {
  if (gRerenderSwitch.load() != 0) {
    gRerenderSwitch.store(0);
    return;
  }
  gRerenderSwitch.store(1);
  if (c.layer && c.layer->mode && c.chosen) post(c, c.chosen, kRerender);
}

qz::AskUser confirmThrough(MenuCommandContext& c) {
  return [&c](const char* text) { return c.effects->confirm(text); };
}

// Pictures with unsaved changes are asked about by name; without any, the
// preference's question.
void closeAll(MenuCommandContext& c) {
  bool noneUnsaved = false;
  const bool dropUnsaved = askBeforeDroppingUnsaved(c.base, "Close it", &noneUnsaved, confirmThrough(c));
  if (!noneUnsaved && !dropUnsaved) return;
  if (noneUnsaved && c.base->closeQuestion.load() && !c.effects->confirm(kCloseAllQuestion)) return;
  c.releaseLock();
  std::vector<Qz_Image*> documents;
  ObtainSemaphore(&c.base->semaphore);
  for (Node* n = c.base->documents.lh_Head; n && n->ln_Succ; n = n->ln_Succ) {
    Qz_Image* image = reinterpret_cast<Qz_ImageNode*>(n)->image;
    if (image != c.app) documents.push_back(image);
  }
  ReleaseSemaphore(&c.base->semaphore);
  for (Qz_Image* image : documents) c.effects->dispose(image);
}

void revert(MenuCommandContext& c) {
  Qz_Image* image = c.chosen;
  if (!image || image->type != kQzDocument || !image->name || !image->name[0]) return;
  // The receiver frees the copy once the file is read.
  const std::size_t size = std::strlen(image->name) + 1;
  auto* copy = static_cast<char*>(AllocVec(size, 0));
  if (!copy) return;
  std::memcpy(copy, image->name, size);
  c.releaseLock();
  c.effects->dispose(image);
  post(c, c.app, kAppOpen, {word(copy)});
}

// ---- the table ----------------------------------------------------------------------------

using T = MenuTarget;
using C = MenuCommandContext;

// needs: "" always there; "fn:Name" a function the build may lack; "class:Name"
// a class the build may lack; "wait:Name" not built yet (greyed).
struct Row {
  MenuCommand command;
  const char* needs;
};

const Row kRows[] = {
    {{51, 187, nullptr, "\tCtrl+O", T::App, nullptr, false, [](C& c) { post(c, c.app, kAppOpen, {0}); },
      "App 0x13003c {0}: the load requester"}, ""},
    {{52, 188, nullptr, "\tCtrl+S", T::Chosen, nullptr, true, [](C& c) { post(c, c.chosen, kSave); },
      "0x130046 to the image: save to its file, else through the save requester"}, ""},
    {{53, 340, nullptr, "", T::Chosen, nullptr, true, [](C& c) { post(c, c.chosen, kSaveAs); },
      "0x130047 to the image: save as"}, ""},
    {{54, 341, nullptr, "", T::Chosen, nullptr, true, [](C& c) { post(c, c.chosen, kSaveCopy); },
      "0x130048 to the image: save a copy"}, ""},
    {{55, 364, nullptr, "", T::Chosen, kWebSave, true, [](C& c) { requester(c, kWebSave, c.chosen); },
      "the save-for-the-web requester with the image"}, ""},
    {{56, 392, nullptr, "", T::Chosen, kPageSetup, true, [](C& c) { requester(c, kPageSetup, c.chosen); },
      "the page-setup requester with the image"}, ""},
    {{57, 393, nullptr, "\tCtrl+P", T::Chosen, kPrint, true, [](C& c) { requester(c, kPrint, c.chosen); },
      "the print requester with the image"}, ""},
    {{59, 374, nullptr, "", T::None, kBatchProcess, false,
      [](C& c) { requester(c, kBatchProcess, nullptr); },
      "a BatchProcess object runs (0x570046), then is disposed"}, "class:BatchProcess"},
    {{60, 185, nullptr, "\tCtrl+N", T::None, kNewImageRequester, false,
      [](C& c) { requester(c, kNewImageRequester, nullptr); },
      "the new-image requester, with no image locked"}, "fn:Qz_DoNewImageReq"},
    {{61, 189, nullptr, "", T::Chosen, nullptr, true, revert,
      "an image with a file name: disposed, and App 0x13003c {its name}; else nothing"}, ""},
    {{62, 0, "From TWAIN Source...", "", T::None, "Qz__SendScannerRequest", false,
      [](C&) { Qz__SendScannerRequest(2024, 0, 0); }, "scanner message 2024 (no scanner program here)"},
     "wait:scanner"},
    {{63, 0, "Select Source...", "", T::None, "Qz__SendScannerRequest", false,
      [](C&) { Qz__SendScannerRequest(2025, 0, 0); }, "scanner message 2025 (no scanner program here)"},
     "wait:scanner"},
    {{64, 350, nullptr, "", T::None, kGrabScreen, false, [](C& c) { requester(c, kGrabScreen, nullptr); },
      "a new image loaded through a ScreenGrabQZIO object (flags 4)"}, "class:ScreenGrabQZIO"},
    {{65, 195, nullptr, "", T::Chosen, nullptr, true,
      [](C& c) {
        if (!c.chosen || c.chosen->type != kQzDocument) return;
        if (!askBeforeClosing(c.chosen, c.base->closeQuestion.load() != 0, Qz_CatalogString(kCloseQuestion),
                              confirmThrough(c)))
          return;
        closeDocument(c, c.chosen);
      },
      "the image is disposed (asked first when it has unsaved changes or the are-you-sure flag is set)"}, ""},
    {{66, 259, nullptr, "", T::None, nullptr, false, closeAll,
      "every image disposed (asked first when the are-you-sure flag is set)"}, ""},
    {{67, 194, nullptr, "", T::None, kPrefs, false,
      [](C& c) { requester(c, kPrefs, nullptr); }, "0x90028 to the preferences object"}, "class:QuillantrixPrefs"},
    {{68, 0, "Check for Updates...", "", T::None, kUpdates, false, [](C& c) { requester(c, kUpdates, nullptr); },
      "the update requester"}, ""},
    {{69, 197, nullptr, "", T::App, nullptr, false, [](C& c) { post(c, c.app, kAppQuit); },
      "App 0x7000a: quit, asking first"}, ""},
    {{73, 2, nullptr, "", T::Document, nullptr, false,
      [](C& c) {
        if (c.document) send(c, c.document, kNewLayer, {1, word(c.document->width), word(c.document->height), 8});
      },
      "0x100078 {1, width, height, 8} to the image: a new paint layer"}, ""},
    {{74, 3, nullptr, "", T::Document, nullptr, false,
      [](C& c) {
        if (c.document) send(c, c.document, kNewLayer, {2, word(c.document->width), word(c.document->height), 24});
      },
      "0x100078 {2, width, height, 24} to the image: a new image layer"}, ""},
    {{75, 210, nullptr, "", T::Layer, nullptr, false,
      [](C& c) { if (c.layer) send(c, c.document, kDeleteLayer, {word(c.layer)}); },
      "0x100082 {layer} to the image"}, ""},
    {{76, 204, nullptr, "", T::Layer, nullptr, false, [](C& c) { placeLayer(c, false); },
      "0x10024e {0, 0, width, height} to the layer"}, ""},
    {{77, 205, nullptr, "", T::Layer, nullptr, false, [](C& c) { placeLayer(c, true); },
      "0x10024e {centred x, y, width, height} to the layer"}, ""},
    {{78, 221, nullptr, "", T::Chosen, kScaleImage, false, [](C& c) { scale(c, true); },
      "the image scaled to twice its size"}, "fn:Qz__ScaleImage"},
    {{79, 222, nullptr, "", T::Chosen, kScaleImage, false, [](C& c) { scale(c, false); },
      "the image scaled to half its size (at least 1)"}, "fn:Qz__ScaleImage"},
    {{80, 223, nullptr, "", T::Chosen, kScaleRequester, false, [](C& c) { requester(c, kScaleRequester, c.chosen); },
      "the scale requester with the image (its size to start from)"}, ""},
    {{81, 220, nullptr, "", T::Layer, kScaleRequester, false, [](C& c) { requester(c, kScaleRequester, c.layer); },
      "the scale requester with the layer"}, ""},
    {{83, 405, nullptr, "", T::None, kGridRequester, false, [](C& c) { requester(c, kGridRequester, nullptr); },
      "the grid requester"}, ""},
    {{84, 404, nullptr, "", T::None, nullptr, false, snap, "snap-to-grid word and the check mark toggle"}, ""},
    {{85, 191, nullptr, "", T::Chosen, nullptr, false, [](C& c) { send(c, c.chosen, kNewView); },
      "0x100302 to the image: a new view"}, ""},
    {{86, 193, nullptr, "", T::Chosen, nullptr, false, flipView,
      "0x1002f8 (hide) when the view is shown, else 0x1002ee (show); the label follows"}, ""},
    {{87, 284, nullptr, "", T::Chosen, nullptr, false, [](C& c) { post(c, c.chosen, kQzViewFit); },
      "0x44003c to the image: its view fits the screen"}, ""},
    {{88, 209, nullptr, "", T::Layer, nullptr, false, flipLayerFlag,
      "0x1002c6 when the layer's flag is set, else 0x1002bc; the label follows"}, ""},
    {{89, 216, nullptr, "", T::Chosen, kTransform, true, [](C& c) { flip(c, kQzFlipHorizontally); },
      "the image and its layers mirrored left to right (one undoable step)"}, ""},
    {{90, 218, nullptr, "", T::Chosen, kTransform, true,
      [](C& c) { flip(c, kQzFlipHorizontally | kQzFlipVertically); },
      "the image and its layers mirrored both ways"}, ""},
    {{91, 217, nullptr, "", T::Chosen, kTransform, true, [](C& c) { flip(c, kQzFlipVertically); },
      "the image and its layers mirrored top to bottom"}, ""},
    {{92, 216, nullptr, "", T::Layer, kTransform, true, [](C& c) { flipLayer(c, kQzFlipHorizontally); },
      "the current layer mirrored left to right where it lies (one undoable step)"}, ""},
    {{93, 218, nullptr, "", T::Layer, kTransform, true,
      [](C& c) { flipLayer(c, kQzFlipHorizontally | kQzFlipVertically); },
      "the current layer mirrored both ways"}, ""},
    {{94, 217, nullptr, "", T::Layer, kTransform, true, [](C& c) { flipLayer(c, kQzFlipVertically); },
      "the current layer mirrored top to bottom"}, ""},
    {{95, 251, nullptr, "", T::Chosen, kTransform, false, [](C& c) { turn(c, -90); },
      "the image and its layers turned 90 degrees clockwise (one undoable step)"}, ""},
    {{96, 248, nullptr, "", T::Chosen, kTransform, false, [](C& c) { turn(c, 90); },
      "the image and its layers turned 90 degrees anticlockwise"}, ""},
    {{97, 250, nullptr, "", T::Chosen, kTransform, false, [](C& c) { turn(c, 180); },
      "the image and its layers turned 180 degrees"}, ""},
    {{98, 249, nullptr, "", T::Chosen, kRotateRequester, false, [](C& c) { requester(c, kRotateRequester, c.chosen); },
      "the rotate requester with the image"}, ""},
    {{100, 335, nullptr, "", T::Chosen, kAddSpace, false, [](C& c) { requester(c, kAddSpace, c.chosen); },
      "the add-space requester with the image"}, ""},
    {{101, 206, nullptr, "", T::Layer, nullptr, false, [](C& c) { send(c, c.layer, kHideLayer); },
      "0x1002c6 to the layer"}, ""},
    {{102, 207, nullptr, "", T::Layer, nullptr, false, [](C& c) { send(c, c.layer, kShowLayer); },
      "0x1002bc to the layer"}, ""},
    {{103, 0, "About Quillantrix...", "", T::None, kAbout, false, [](C& c) { requester(c, kAbout, nullptr); },
      "the about box"}, ""},
    {{104, 187, nullptr, "", T::Layer, kLoadForLayer, false, [](C& c) { openAttached(c, kSetSecondary); },
      "a file loaded without a view, then 0x100226 {it} to the layer"}, ""},
    {{105, 188, nullptr, "", T::Chosen, nullptr, false, [](C& c) { post(c, c.chosen, kSave); },
      "0x130046 to the secondary image"}, ""},
    {{106, 185, nullptr, "", T::Layer, nullptr, false, [](C& c) { newAttached(c, kSetSecondary); },
      "a new image at the layer's size, then 0x100226 {it} to the layer"}, ""},
    {{107, 195, nullptr, "", T::Layer, nullptr, false, [](C& c) { closeAttached(c, kSetSecondary); },
      "0x100226 {0} to the layer; disposed only when the menu made it"}, ""},
    {{108, 185, nullptr, "", T::Layer, nullptr, false, [](C& c) { newAttached(c, kSetAlpha); },
      "a new image at the layer's size, then 0x100230 {it} to the layer"}, ""},
    {{109, 187, nullptr, "", T::Layer, kLoadForLayer, false, [](C& c) { openAttached(c, kSetAlpha); },
      "a file loaded without a view, then 0x100230 {it} to the layer"}, ""},
    {{110, 188, nullptr, "", T::Chosen, nullptr, false, [](C& c) { post(c, c.chosen, kSave); },
      "0x130046 to the alpha image"}, ""},
    {{111, 195, nullptr, "", T::Layer, nullptr, false, [](C& c) { closeAttached(c, kSetAlpha); },
      "0x100230 {0} to the layer; disposed only when the menu made it"}, ""},
    {{112, 214, nullptr, "", T::Chosen, nullptr, false, [](C& c) { send(c, c.chosen, kInvertImage); },
      "0x1000dc to the image"}, ""},
    {{113, 214, nullptr, "", T::Document, nullptr, false, [](C& c) { send(c, c.document, kInvertLayer); },
      "0x1000e6 to the image: its current layer inverted"}, ""},
    {{114, 286, nullptr, "", T::Layer, nullptr, false, duplicateLayer,
      "0x100078 {1, ...} to the image, the layer's pixels copied in, 0x10024e to place it"}, ""},
    {{115, 199, nullptr, "", T::Document, nullptr, false, [](C& c) { send(c, c.document, kLayerToTop); },
      "0x100262 to the image"}, ""},
    {{116, 200, nullptr, "", T::Document, nullptr, false, [](C& c) { send(c, c.document, kLayerUp); },
      "0x10026c to the image"}, ""},
    {{117, 201, nullptr, "", T::Document, nullptr, false, [](C& c) { send(c, c.document, kLayerDown); },
      "0x100276 to the image"}, ""},
    {{118, 202, nullptr, "", T::Document, nullptr, false, [](C& c) { send(c, c.document, kLayerToBottom); },
      "0x100280 to the image"}, ""},
    {{119, 261, nullptr, "", T::Layer, nullptr, false, alphaFromLayer,
      "the layer copied into its alpha image (made when missing), 0x1000c8 {layer} to its owner"}, ""},
    {{120, 262, nullptr, "", T::Layer, nullptr, false, alphaToLayer,
      "the alpha image copied over the layer, 0x100230 {0}; disposed only when the menu made it"}, ""},
    {{123, 0, "Getting Started", "", T::None, nullptr, false, [](C& c) { showHelp(c, "#start"); },
      "the help page at its start"}, ""},
    {{124, 0, "Help Contents", "\tF1", T::None, nullptr, false, [](C& c) { showHelp(c, ""); }, "the help page"},
     ""},
    {{125, 0, "Help Index", "", T::None, nullptr, false, [](C& c) { showHelp(c, "#index"); },
      "the help page's index"}, ""},
    {{126, 0, "Search Help...", "", T::None, nullptr, false, [](C& c) { showHelp(c, "#search"); },
      "the help page's search hints"}, ""},
    {{129, 0, "Tutorials", "", T::None, nullptr, false, [](C& c) { showHelp(c, "#tutorials"); },
      "the help page's tutorials"}, ""},
    {{131, 366, nullptr, "", T::None, kTipOfTheDay, false, [](C& c) { requester(c, kTipOfTheDay, nullptr); },
      "0x90028 to the tip-of-the-day window"}, "class:TipOfTheDay"},
    {{132, 0, nullptr, "", T::Layer, nullptr, false, linkedLayer,
      "0x100078 {1, ...} to the image, linked to the current layer's changes, 0x100276, 0x1000b4 {layer}"}, ""},
    {{133, 190, nullptr, "", T::Chosen, kCopyImage, false,
      [](C& c) { if (c.chosen) c.effects->call(kCopyImage, c.chosen, {0}); }, "a copy of the image"},
     "fn:Qz__CopyImage"},
    {{135, 0, "Undo", "\tCtrl+Z", T::Document, kUndo, true,
      [](C& c) { if (Qz_Image* d = c.document) requester(c, kUndo, d); }, "one step undone"}, "fn:Qz_UndoImageAction"},
    {{136, 0, "Redo", "", T::Document, kRedo, true,
      [](C& c) { if (Qz_Image* d = c.document) requester(c, kRedo, d); }, "one step redone"}, "fn:Qz_RedoImageAction"},
    {{137, 0, "Copy Image to Clipboard", "\tCtrl+C", T::Document, kCopyToClipboard, true,
      [](C& c) { if (Qz_Image* d = c.document) requester(c, kCopyToClipboard, d); },
      "the image saved through a ClipboardQZIO object"}, "class:ClipboardQZIO"},
    {{138, 0, "Paste Image from Clipboard", "\tCtrl+V", T::None, kPasteFromClipboard, false,
      [](C& c) { requester(c, kPasteFromClipboard, nullptr); },
      "a new image loaded through a ClipboardQZIO object (flags 4)"}, "class:ClipboardQZIO"},
    {{139, 415, nullptr, "\tCtrl+B", T::App, nullptr, false, [](C& c) { post(c, c.app, kAppOpenChoice, {0, 0}); },
      "App 0x13003d {0, 0}: the load requester of the other kind"}, ""},
    {{142, 0, nullptr, "", T::Chosen, nullptr, false, rerenderSwitch,
      "the re-render switch toggles; switched on with a mode in force, 0x100054 to the image"}, ""},
    {{143, 0, nullptr, "", T::Document, nullptr, false, [](C& c) { send(c, c.document, kFillLayer, {0}); },
      "0x1000d2 {0} to the image"}, ""},
    {{144, 0, "Colour Management...", "", T::None, nullptr, false, [](C&) {},
      "no colour management here: hidden"}, "wait:colour management"},
};

const Row* findRow(uint16_t id) {
  for (const Row& r : kRows)
    if (r.command.id == id) return &r;
  return nullptr;
}

// ---- the program's effects ------------------------------------------------------------

// Saves the image through, or loads a new one from, a format object of that class.
QzWord throughFormat(const char* className, Qz_Image* image, bool save) {
  Qz_Object* format = Qz_CreateObject(className);
  if (!format) return 0;
  QzWord result;
  if (save) result = QzWord(Qz__SaveImageA(image, nullptr, nullptr, format, 0, nullptr));
  else result = reinterpret_cast<QzWord>(Qz__LoadImageA(nullptr, nullptr, format, 4, nullptr));
  Qz_DisposeObject(format);
  return result;
}

QzWord showTips() {
  Qz_Object* tips = qz::app::tipOfTheDay();
  return tips ? Qz_DoMethod(tips, kWindowOpen) : 0;
}

class ProgramEffects final : public MenuEffects {
 public:
  QzWord send(Qz_Object* target, uint32_t method, const std::vector<QzWord>& args) override {
    return Qz_DoMethodA(target, method, padded(args).data());
  }
  void post(Qz_Object* target, uint32_t method, const std::vector<QzWord>& args) override {
    Qz__DoAsyncMethodWords(target, method, args.data(), static_cast<uint32_t>(args.size()));
  }
  QzWord call(const char* function, Qz_Image* image, const std::vector<QzWord>& args) override {
    const std::string name = function;
    const std::vector<QzWord> a = padded(args);
    if (name == kNewImageRequester) {
      using Fn = QzWord (*)(Qz_Object*);
      auto fn = reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, kNewImageRequester));
      return fn ? fn(nullptr) : 0;
    }
    if (name == kCopyImage) return reinterpret_cast<QzWord>(Qz__CopyImage(image, 0));
    if (name == kScaleImage) return QzWord(Qz__ScaleImage(image, int32_t(a[0]), int32_t(a[1]), uint32_t(a[2])));
    if (name == kUndo) return Qz_UndoImageAction(image);
    if (name == kRedo) return Qz_RedoImageAction(image);
    if (name == kCopyToClipboard) return throughFormat("ClipboardQZIO", image, true);
    if (name == kPasteFromClipboard) return throughFormat("ClipboardQZIO", nullptr, false);
    if (name == kGrabScreen) return throughFormat("ScreenGrabQZIO", nullptr, false);
    if (name == kWebSave) {
      Qz__SaveImageForTheWeb(image);
      return 1;
    }
    if (name == kPageSetup) return Qz_ShowPageSetupReq(image);
    if (name == kPrint) return QzWord(uint32_t(Qz_PrintImage(image)));
    if (name == kUpdates) return QzWord(uint32_t(Qz__ShowAutoUpdateRequester()));
    if (name == kGridRequester) return Qz_ShowSnapToGridReq();
    if (name == kAddSpace) return Qz_DoAddSpaceReq(image);
    if (name == kAbout) {
      Qz__AboutQuillantrix();
      return 1;
    }
    if (name == kScaleRequester && image) {
      int32_t w = image->width, h = image->height;
      uint32_t flags = 0;
      return Qz_DoScaleRequestor(image, &w, &h, &flags);
    }
    if (name == kRotateRequester && image) {
      int32_t w = image->width, h = image->height, a3 = 0, a4 = 0, angle = 0, a6 = 0, a7 = 0;
      uint32_t flags = kTurnLayersToo;
      return Qz_DoTransformRequestor(image, &w, &h, &a3, &a4, &angle, &a6, &a7, &flags);
    }
    if (name == kTransform && image)
      return Qz__TransformImage(image, image->width, image->height, 0, 0, int32_t(a[0]), 0, 0, uint32_t(a[1]));
    if (name == kLoadForLayer) return reinterpret_cast<QzWord>(Qz__LoadImageA(nullptr, nullptr, nullptr, kQzLoadNoView, nullptr));
    if (name == kTipOfTheDay) return showTips();
    if (name == kPrefs) {
      Qz_Object* prefs = Qz_GetImageBase()->prefsObject;
      return prefs ? Qz_DoMethod(prefs, kWindowOpen) : 0;
    }
    if (name == kBatchProcess) {
      Qz_Object* batch = Qz_CreateObject(kBatchProcess);
      const QzWord result = batch ? Qz_DoMethod(batch, kBatchRun) : 0;
      Qz_DisposeObject(batch);
      return result;
    }
    return 0;
  }
  bool confirm(const char* text) override { return Qz_MessageBoxA("Quillantrix", text, 2, nullptr) == 1; }
  void showHelp(const std::string& page) override {
    char root[4096];
    if (Qz_GetDataRoot(root, sizeof root) == 0) return;
    std::string url = "file://" + std::string(root);
    if (url.back() != '/') url += '/';
    Qz_ExecuteCommand((url + page).c_str());
  }
  void dispose(Qz_Image* image) override {
    if (image) Qz_AsyncDisposeObject(obj(image));
  }

 private:
  static std::vector<QzWord> padded(const std::vector<QzWord>& args) {
    std::vector<QzWord> out(args);
    out.resize(args.size() + 8, 0);
    return out;
  }
};

bool needsMet(const char* needs) {
  if (!needs || !*needs) return true;
  const std::string n = needs;
  if (n.rfind("fn:", 0) == 0) return dlsym(RTLD_DEFAULT, n.c_str() + 3) != nullptr;
  if (n.rfind("class:", 0) == 0) return Qz_FindClassFromName(n.c_str() + 6) != nullptr;
  return false;  // "wait:": not built yet
}

}  // namespace

std::span<const MenuCommand> menuCommands() {
  static const std::vector<MenuCommand> commands = [] {
    std::vector<MenuCommand> out;
    for (const Row& r : kRows) out.push_back(r.command);
    return out;
  }();
  return commands;
}

const MenuCommand* findMenuCommand(uint16_t id) {
  const Row* r = findRow(id);
  return r ? &r->command : nullptr;
}

const char* menuText(const MenuCommand& command) {
  return command.literal ? command.literal : Qz_CatalogString(command.catalogue);
}

std::string menuLabel(const MenuCommand& command) { return std::string(menuText(command)) + command.shortcut; }

bool menuCommandAvailable(uint16_t id) {
  const Row* r = findRow(id);
  return r && needsMet(r->needs);
}

MenuEffects& programMenuEffects() {
  static ProgramEffects effects;
  return effects;
}

void MenuCommandContext::releaseLock() {
  if (!locked) return;
  Qz_UnlockImageA(document, kQzLockRead, nullptr);
  locked = false;
}

void runMenuCommand(uint16_t id, uint32_t selector, MenuEffects& effects) {
  const Row* row = findRow(id);
  if (!row || !needsMet(row->needs)) return;
  MenuCommandContext c;
  c.base = Qz_GetImageBase();
  c.app = c.base->applicationImage;
  c.effects = &effects;
  c.document = Qz_LockActiveImageA(kQzLockRead, nullptr);
  c.locked = c.document != nullptr;
  if (c.document) {
    c.layer = c.document->activeLayer;
    switch (selector) {
      case kSelectLayer: c.chosen = c.layer; break;
      case kSelectAlpha: c.chosen = c.layer ? c.layer->firstSource : nullptr; break;
      case kSelectSecondary: c.chosen = c.layer ? c.layer->secondSource : nullptr; break;
      default: c.chosen = c.document; break;
    }
  }
  const MenuCommand& command = row->command;
  const bool targetMissing = (command.target == T::Chosen && !c.chosen) ||
                             (command.target == T::Document && !c.document) ||
                             (command.target == T::Layer && !c.layer) || (command.target == T::App && !c.app);
  if (!targetMissing) command.run(c);
  c.releaseLock();
}

void MenuFunc(QzWord userData, Qz_Object* sender, uint32_t notification, const QzWord* words) {
  uint32_t id = 0;
  if (notification == kScreenMenuCommand) id = words ? uint32_t(words[0]) : 0;
  else if (sender) id = uint32_t(Qz_DoMethod(sender, kItemId));
  if (id < 51 || id > 144) return;
  runMenuCommand(uint16_t(id), uint32_t(userData), programMenuEffects());
}

bool madeByMenu(Qz_Image* image) {
  std::lock_guard<std::mutex> lock(gMadeMutex);
  return gMade.count(image) != 0;
}

uint32_t Qz__SendScannerRequest(uint32_t, QzWord, QzWord) { return 0; }

}  // namespace qz::app
