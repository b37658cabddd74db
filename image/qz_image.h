// The image model: documents and layers (Qz_Image) with planar 8-bit planes,
// the application record (Qz_ImageBase), image locks, the rectangle and line
// kernels, and change marking. Every exported call has C linkage.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "objects/qz_notify.h"
#include "objects/qz_object.h"
#include "objects/qz_semaphore.h"
#include "platform/exec.h"
#include "platform/lists.h"
#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Qz_Image;

// A plane is one block: a table of row pointers followed by the rows, each
// row starting on a 64-byte boundary. The plane is passed as its row table.
typedef uint8_t** Qz_Plane;

// Image kinds (Qz_Image::type).
enum : int32_t { kQzDocument = 0, kQzPaintLayer = 1, kQzImageLayer = 2 };

// Qz_AllocImage flags.
enum : uint32_t { kQzAllocNoUndo = 1, kQzAllocNoThread = 2 };

// Qz__CopyImage flag: an exact copy (the background becomes the copy's pixels; mode names skipped).
enum : uint32_t { kQzCopyExact = 1 };

// Image lock modes.
enum : uint32_t { kQzLockRead = 1, kQzLockComposite = 2, kQzLockExclusive = 4 };

// State word values.
enum : uint32_t { kQzImageReleased = 0, kQzImageAllocated = 1, kQzImageDying = 0xFFFFFFFFu };

// The change notice attribute and its kinds.
inline constexpr uint32_t kQzImageChanged = 0x100294;
enum : uint32_t {
  kQzChangeRect = 0,
  kQzChangeAll = 1,
  kQzChangeFormat = 2,
  kQzChangeTitle = 4,
  kQzChangeDying = 0x1002d0
};

// Image methods this module sends (answered by the Image class).
inline constexpr uint32_t kQzImageSetMedia = 0x100064;
inline constexpr uint32_t kQzImageRerender = 0x100054;
inline constexpr uint32_t kQzImageFix = 0x100046;
inline constexpr uint32_t kQzImageSetType = 0x10001f;
inline constexpr uint32_t kQzImageSetParent = 0x1000be;
inline constexpr uint32_t kQzImageAddLayer = 0x1000a0;
inline constexpr uint32_t kQzImageRemoveLayer = 0x1000aa;
inline constexpr uint32_t kQzImageMakeActive = 0x1000b4;
inline constexpr uint32_t kQzImageSetLayerMode = 0x10005a;
inline constexpr uint32_t kQzImageSetColour = 0x130053;
inline constexpr uint32_t kQzImageSetSecondSource = 0x100226;
inline constexpr uint32_t kQzImageSetFirstSource = 0x100230;
inline constexpr uint32_t kQzImageMakeDocument = 0x13000a;
inline constexpr uint32_t kQzImageOpenView = 0x100302;
inline constexpr uint32_t kQzImageMakeLayer = 0x100078;
inline constexpr uint32_t kQzImageRecordMediaSetting = 0x100032;
inline constexpr uint32_t kQzImageActiveLayerNotice = 0x1000b6;
inline constexpr uint32_t kQzImagePaintLayerChanged = 0x10029e;  // relayed from a watched paint layer
inline constexpr uint32_t kQzImageOtherLayerChanged = 0x1002b3;  // relayed from any other layer
inline constexpr uint32_t kQzImageOpenViewWindow = 0x1002da;
inline constexpr uint32_t kQzImageCloseViewWindow = 0x1002e4;
inline constexpr uint32_t kQzImageCloseView = 0x10030c;
// Sent to the application image: the image (or none) becomes the active image.
inline constexpr uint32_t kQzAppMakeActiveImage = 0x13001e;
// Notified on the application image with a document whose pixels changed as
// a whole step (a stroke ended, a layer filled or cleared, an undo or redo):
// thumbnails redraw on it.
inline constexpr uint32_t kQzAppPixelsSettled = 0x13008c;
// Sent to the application image: open the path (an AllocVec block it frees), or the requester.
inline constexpr uint32_t kQzAppOpenFile = 0x13003c;
// Sent to the current tool: input over a view of the image.
inline constexpr uint32_t kQzToolInput = 0x1771001e;

// Greatest-changed-x of a row that has not changed. Column 0 is a real
// change, so "unchanged" cannot be 0; a reader that computes
// min(count, greatest + 1) gets 0 for such a row.
inline constexpr int32_t kQzSpanUnchanged = -1;

// Largest side of a layer: the layer's size and offsets are stored as 16-bit values.
inline constexpr int32_t kQzMaxLayerSide = 32767;

inline constexpr size_t kQzNameLength = 128;

// Links an image into a list; the image field points back at the image.
struct Qz_ImageNode {
  Node node;
  Qz_Image* image;
};

// Eighteen 16-bit values, stored by the native format in this order.
struct Qz_Placement {
  int16_t layerX, layerY;
  int16_t layerWidth, layerHeight;
  int16_t creationWidth, creationHeight;
  int16_t secondX, secondY, secondWidth, secondHeight;
  int16_t secondSourceWidth, secondSourceHeight;
  int16_t firstX, firstY, firstWidth, firstHeight;
  int16_t firstSourceWidth, firstSourceHeight;
};
static_assert(sizeof(Qz_Placement) == 36, "the placement block is eighteen 16-bit values");

struct Qz_Image {
  Qz_Object object;  // header of every object; its self pointer is the validity mark

  Qz_ImageNode listNode;  // owner's layer list, or the base's document list
  Qz_ImageNode openNode;  // the base's open-image list

  MsgPort* port;  // a document's port, made by its thread
  int32_t type;
  int32_t width, height, depth;
  float resolution;

  Qz_Plane r, g, b;
  Qz_Plane undoR, undoG, undoB;  // a document's background
  Qz_Plane grey;                 // a paint layer's transparency
  Qz_Plane undoGrey;

  uint8_t *scratchR, *scratchG, *scratchB;  // row `height` of each plane
  uint8_t* scratchGrey;
  uint8_t* lineBuffer;     // width * 3 + 16 bytes (depth 24)
  uint8_t* secondScratch;  // row `height + 1` of R (depth 24) or grey (depth 8)

  List layers;  // bottom layer first
  Qz_Image* activeLayer;
  Qz_Image* paintLayer;  // the layer that receives strokes
  Qz_Image* parent;
  Qz_Image* document;    // owning document of a layer
  Qz_Image* firstSource;
  Qz_Image* secondSource;
  Qz_Image* inner;       // an image layer's mask image
  Qz_Object* view;
  List views;
  char* name;  // file path, owned (freed with the image)

  uint8_t committedColour[3];
  uint8_t chosenColour[3];
  char modeName[kQzNameLength];
  char chosenModeName[kQzNameLength];
  char mediaName[kQzNameLength];
  Qz_Object* application;
  Qz_Object* media;
  Qz_Object* mode;
  Qz_Object* chosenMode;

  Qz_Placement placement;

  // Per row: least and greatest changed x (kQzSpanUnchanged when none).
  int32_t* spanLeast;
  int32_t* spanGreatest;

  Qz_Object* currentAction;
  Qz_Object* undoList;
  Qz_Object* redoList;

  int32_t visible;
  std::atomic<int32_t> compositingCount;
  std::atomic<int32_t> displayCount;
  std::atomic<int32_t> notifySuspend;
  std::atomic<int32_t> interruptible;
  std::atomic<int32_t> needsFixing;
  std::atomic<int32_t> compositingSuspended;
  std::atomic<int32_t> mediaChangeCount;
  std::atomic<int32_t> redrawNesting;
  std::atomic<int32_t> replayNeeded;
  std::atomic<uint32_t> state;
  std::atomic<int32_t> lockCount;

  uint16_t opacity;
  uint16_t blend[9];
  uint16_t toneTableFlag;
  uint8_t* toneTable;  // 766 bytes once built
  int32_t edgeShape;
  int32_t edgeSize, edgeSoftness;
  int32_t edgeInvert;

  char loadFormat[kQzNameLength];
  char saveFormat[kQzNameLength];

  SignalSemaphore compositorSemaphore;
  uint32_t undoMemoryLimit;
  Task* creator;
  QzWord firstSourceNotify;  // notify records watching the sources
  QzWord secondSourceNotify;
  QzWord secondSourcePassWatch;  // the second source's end-of-pass notice, passed to the mode
  Qz_Semaphore* lockSemaphore;

  struct Qz_ImageBase* base;
  void* objectLibrary;
  void* baseLibrary;
  Qz_Object* thread;
  void (*threadEntry)(void);

  // Lockers that found the image in the open-image list and have not yet
  // taken their hold; disposal waits for them before it frees anything.
  std::atomic<int32_t> lockPins;
  // The planes a resize replaced, kept until End or Abort (documents and image layers).
  Qz_Plane resizeStash[4];
  // The parent's watch on this layer's change notices (a notify record), while linked.
  QzWord layerWatch;
  // Set once when the image is made and never reused in a process: what
  // effect modes seed their per-row noise from, and what tells a kept
  // record of an image from one made later at the same address.
  uint32_t serial;
  // Change counts, only ever raised, after the change (Qz_NoteImageChange):
  // ownChanges by every change of what the image holds (its pixels, planes,
  // size, mode and its settings, colour, place, visibility, sources; for a
  // document its background, and every undo or redo); shownChanges by those
  // and also by a document's re-composite or a change of its layer list.
  // What lies below a layer is the document's own changes and the shown
  // changes of the layers under it, each named, so painting a layer never
  // counts as a change below it.
  std::atomic<uint64_t> ownChanges;
  std::atomic<uint64_t> shownChanges;
  // A document's edit count (raised by every new, undone or redone step and
  // by a change of its layer list) and its value when the document was last
  // loaded or saved: they differ while the file lacks changes.
  std::atomic<uint64_t> editSteps;
  std::atomic<uint64_t> savedEditSteps;
  // How far past the block it renders this layer's mode has read the data
  // below (columns, rows), the most seen since the mode came into force: a
  // change below the layer shows that much further out through it.
  std::atomic<int32_t> modeReachX, modeReachY;
};

// The document's current view: a window thread sets it when its view comes
// to the front, and other threads read it.
inline Qz_Object* Qz_CurrentViewOf(Qz_Image* image) {
  return std::atomic_ref<Qz_Object*>(image->view).load(std::memory_order_acquire);
}
inline void Qz_SetCurrentView(Qz_Image* image, Qz_Object* view) {
  std::atomic_ref<Qz_Object*>(image->view).store(view, std::memory_order_release);
}

// Image lock record: what a mode asks for and gets back.
struct Qz_ImageLock {
  Qz_Image* image;
  Qz_Image* layer;
  int32_t x0, y0, x1, y1;
  uint8_t** r;
  uint8_t** g;
  uint8_t** b;
  uint8_t** grey;
  void* owned[2];
  QzWord spare;
};

// The application record shared by the whole editor.
struct Qz_ImageBase {
  std::atomic<int32_t> useCount;
  List documents;
  List openImages;
  SignalSemaphore semaphore;  // guards both lists and the active image
  Qz_Image* activeImage;
  std::atomic<int32_t> preferences;
  std::string loadFolder;  // also set when a folder is dropped on the main window
  std::string lastLoaded;
  std::string saveFolder;
  std::string lastSaved;
  Qz_Object* application;
  char defaultMode[kQzNameLength];
  char currentMediaName[kQzNameLength];
  int32_t colour[3];
  Qz_Image* applicationImage;
  int32_t thumbnailWidth, thumbnailHeight;
  Qz_Object* mainWindow;
  Qz_Object* panelWindow;
  std::atomic<int32_t> autoRedo;
  Qz_Object* currentMedia;
  // Owned by the tools and panels.
  Qz_Object* currentTool;
  Qz_Object* defaultTool;          // the first freehand tool made
  std::atomic<int32_t> liveUpdate;  // clone offsets re-render during a drag
  Qz_Object* panelGroups[2];
  Qz_Object* modePanelGroup;
  Qz_Object* panels;
  int32_t panelSetting;
  Qz_Object* screen;
  Qz_Object* prefsObject;
  char programName[kQzNameLength];
  char outputPlugin[256];
  Qz_Object* ioObjects[3];
  void* ioGlobalData;
  Qz_GlobalData* globalData;
  void* objectLibrary;
  void* ioLibrary;
  std::atomic<uint32_t> undoLevels;
  int32_t redrawStripHeight;
  const char* const* catalogue;
  Qz_Object* previewObject;
  std::atomic<int32_t> backups;
  std::atomic<int32_t> fileRequesterChoice;
  std::atomic<int32_t> foldersFollow;
  std::atomic<int32_t> closeQuestion;
  std::atomic<int32_t> steppedZoom;
  std::atomic<int32_t> redrawWithoutWindow;
  std::atomic<int32_t> viewPreference;
  uint8_t* penBlock;  // 32 bytes
  Qz_Object* mediaList;
  Qz_Object* pageSetup;
  int32_t tipOfTheDay;
  void* redrawBuffer;
  int32_t redrawBufferWidth, redrawBufferHeight;
  int32_t majorVersion;
  int32_t release;
  std::atomic<int32_t> gridWidth, gridHeight, gridX, gridY, gridOn;
  int32_t gradientKind;
  int32_t gradientLevel;
};

// Seams for parts of the editor that are built elsewhere. Each may stay null:
// then the step it serves is skipped (no image thread, no compositing pass,
// no view geometry).
struct Qz_ImageHooks {
  // Starts a document's thread and returns once its port exists; 0 on failure.
  int (*startImageThread)(Qz_Image* image);
  // Composites the whole document (after inverting, resizing, copying); when
  // null, the compositor's Qz_FullProcessImage is used if it is linked in.
  void (*fullProcessImage)(Qz_Image* image);
  // Fills the view's zoomed size and its offset in its window; 0 when it has none.
  int (*viewGeometry)(Qz_Object* view, Qz_Image** image, int32_t* width, int32_t* height,
                      int32_t* offsetX, int32_t* offsetY);
  // Draws the rectangle (image coordinates, inclusive) of the view's image into its window.
  void (*redrawImageView)(Qz_Object* view, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
};

QZ_EXTERN_C_BEGIN

// ---- image base ---------------------------------------------------------------
// Fills the record on the first call; later calls count up and return it.
QZ_EXPORT Qz_ImageBase* Qz_InitImageBase(void);
// Counts down; at zero tears the record down.
QZ_EXPORT void Qz_CleanupImageBase(void);
// The record (also when not initialised: then its use count is 0).
QZ_EXPORT Qz_ImageBase* Qz_GetImageBase(void);
QZ_EXPORT Qz_ImageHooks* Qz_GetImageHooks(void);

// The transparency gradient that new shapes are filled with: its kind and
// its level (255 opaque). Set by the gradient panel, read by the shapes,
// on any thread.
struct Qz_GradientSettings {
  int32_t kind;
  int32_t level;
};
QZ_EXPORT void Qz_SetGradientKind(int32_t kind);
QZ_EXPORT void Qz_SetGradientLevel(int32_t level);
QZ_EXPORT Qz_GradientSettings Qz_GetGradientSettings(void);

// ---- planes and images ----------------------------------------------------------
// A zeroed plane of `rows` rows; depth 8 or 24 sets the bytes per row. None on failure.
QZ_EXPORT Qz_Plane Qz_AllocImageData(int32_t width, int32_t rows, int32_t depth);
QZ_EXPORT void Qz_FreeImageData(Qz_Plane plane);
QZ_EXPORT void Qz_FreeStoredObjectBuffer(Qz_Plane plane);
// Bytes from one row start to the next for a plane of that width and depth.
QZ_EXPORT size_t Qz_PlaneRowBytes(int32_t width, int32_t depth);

// Allocates the storage of an Image object. Returns the image or none.
QZ_EXPORT Qz_Image* Qz_AllocImage(Qz_Image* image, int32_t width, int32_t height, int32_t depth,
                                  uint32_t flags, const TagItem* tags);
QZ_EXPORT void Qz_DeallocImage(Qz_Image* image);

// The resize protocol: Begin takes the exclusive lock, End or Abort releases it.
QZ_EXPORT int32_t Qz_BeginNewImageSize(Qz_Image* image, int32_t width, int32_t height);
QZ_EXPORT int32_t Qz_AbortNewImageSize(Qz_Image* image);
QZ_EXPORT int32_t Qz_EndNewImageSize(Qz_Image* image, int32_t width, int32_t height);

// A new Image object with the same content and layers, or none.
QZ_EXPORT Qz_Image* Qz__CopyImage(Qz_Image* image, uint32_t flags);

// ---- walkers (none in gives none out) ---------------------------------------------
QZ_EXPORT Qz_Image* first_layer(Qz_Image* image);
QZ_EXPORT Qz_Image* last_layer(Qz_Image* image);
QZ_EXPORT Qz_Image* next_layer(Qz_Image* layer);
QZ_EXPORT Qz_Image* prev_layer(Qz_Image* layer);
QZ_EXPORT Qz_Image* first_image(Qz_ImageBase* base);
QZ_EXPORT Qz_Image* last_image(Qz_ImageBase* base);
QZ_EXPORT Qz_Image* next_image(Qz_Image* image);
QZ_EXPORT Qz_Image* prev_image(Qz_Image* image);

// ---- coordinate conversions (0 when a view or size is missing) ---------------------
QZ_EXPORT int32_t ImageToImageViewX(Qz_Object* view, int32_t c);
QZ_EXPORT int32_t ImageToImageViewY(Qz_Object* view, int32_t c);
QZ_EXPORT int32_t ImageViewToImageX(Qz_Object* view, int32_t c);
QZ_EXPORT int32_t ImageViewToImageY(Qz_Object* view, int32_t c);
QZ_EXPORT int32_t ImageToWindowX(Qz_Image* image, int32_t c);
QZ_EXPORT int32_t ImageToWindowY(Qz_Image* image, int32_t c);
QZ_EXPORT int32_t WindowToImageX(Qz_Image* image, int32_t c);
QZ_EXPORT int32_t WindowToImageY(Qz_Image* image, int32_t c);
QZ_EXPORT int32_t LayerToWindowX(Qz_Image* layer, int32_t c);
QZ_EXPORT int32_t LayerToWindowY(Qz_Image* layer, int32_t c);
QZ_EXPORT int32_t WindowToLayerX(Qz_Image* layer, int32_t c);
QZ_EXPORT int32_t WindowToLayerY(Qz_Image* layer, int32_t c);
QZ_EXPORT int32_t Qz_ToolWindowToImageX(Qz_Image* image, int32_t c);
QZ_EXPORT int32_t Qz_ToolWindowToImageY(Qz_Image* image, int32_t c);
QZ_EXPORT int32_t Qz_ToolWindowToLayerX(Qz_Image* layer, int32_t c);
QZ_EXPORT int32_t Qz_ToolWindowToLayerY(Qz_Image* layer, int32_t c);
// Snaps c to a grid of `grid` pixels shifted by `offset` (grid <= 0: unchanged).
QZ_EXPORT int32_t Qz_SnapToGrid(int32_t c, int32_t grid, int32_t offset);

// ---- locks ---------------------------------------------------------------------------
// 1 when the lock is held, else 0 (none, not open, dying, or an unknown mode).
QZ_EXPORT int32_t Qz_LockImageA(Qz_Image* image, uint32_t mode, const TagItem* tags);
QZ_EXPORT int32_t Qz_UnlockImageA(Qz_Image* image, uint32_t mode, const TagItem* tags);
QZ_EXPORT Qz_Image* Qz_LockActiveImageA(uint32_t mode, const TagItem* tags);
// Runs a method of up to two words on the image on its document's thread
// when it has one (queued), else at once on this thread. Nothing for a null image.
QZ_EXPORT void Qz_PostImageMethod(Qz_Image* image, uint32_t id, QzWord first, QzWord second);

// Adds an Image object to the open-image list / removes it (the Image class's
// creation and disposal). Removal marks the image dying and waits until no
// locker is between its list check and its hold.
QZ_EXPORT void Qz__AddOpenImage(Qz_Image* image);
QZ_EXPORT void Qz__RemoveOpenImage(Qz_Image* image);

// ---- rectangle kernels ------------------------------------------------------------------
// 1 when done, 0 when the rectangle is empty or the depths do not fit.
QZ_EXPORT int32_t Qz_AddImageToImage(Qz_Image* dst, int32_t dx, int32_t dy, Qz_Image* src,
                                     int32_t sx, int32_t sy, int32_t w, int32_t h);
QZ_EXPORT int32_t Qz_SubtractImageFromImage(Qz_Image* dst, int32_t dx, int32_t dy, Qz_Image* src,
                                            int32_t sx, int32_t sy, int32_t w, int32_t h);
QZ_EXPORT int32_t Qz_MultiplyImageByImage(Qz_Image* dst, int32_t dx, int32_t dy, Qz_Image* src,
                                          int32_t sx, int32_t sy, int32_t w, int32_t h);
// Copies, or merges R, G, B when strength is below 255 (255 and above copy).
QZ_EXPORT int32_t Qz_BlitImageToImage(Qz_Image* dst, int32_t dx, int32_t dy, Qz_Image* src,
                                      int32_t sx, int32_t sy, int32_t w, int32_t h,
                                      uint32_t strength, uint32_t flags);
// Merges a 24-bit source into dst's undo planes through alpha's grey plane x trans.
QZ_EXPORT int32_t Qz__MergeImagesViaAlphaAndTrans(Qz_Image* dst, int32_t dx, int32_t dy,
                                                  Qz_Image* src, int32_t sx, int32_t sy, int32_t w,
                                                  int32_t h, Qz_Image* alpha, uint32_t trans);
// Saturating add (sign > 0) or subtract of a constant over x0..x1, y0..y1 inclusive.
QZ_EXPORT int32_t Qz_RenderRectangle(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                     int32_t y1, int32_t sign, uint32_t colour);
QZ_EXPORT int32_t Qz_InvertImageFunc(Qz_Image* image);
// Undo planes -> planes and back, source x0..x1, y0..y1 to dx, dy.
QZ_EXPORT int32_t Qz_CopyUndoToImageData(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                         int32_t y1, int32_t dx, int32_t dy);
QZ_EXPORT int32_t Qz_CopyImageToUndoData(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                         int32_t y1, int32_t dx, int32_t dy);
// Copies x0..x1, y0..y1 of a src-sized plane to dx, dy of a dst-sized plane,
// clipped against both sizes (the sizes differ during a resize). 1 when
// anything was copied.
QZ_EXPORT int32_t Qz__CopyPlaneRect(Qz_Plane dst, int32_t dstWidth, int32_t dstHeight,
                                    Qz_Plane src, int32_t srcWidth, int32_t srcHeight, int32_t x0,
                                    int32_t y0, int32_t x1, int32_t y1, int32_t dx, int32_t dy);

// ---- line kernels --------------------------------------------------------------------------
QZ_EXPORT void SaturateAddByteArray(uint8_t* dst, const uint8_t* src, uint32_t count);
QZ_EXPORT void SaturateSubByteArray(uint8_t* dst, const uint8_t* src, uint32_t count);
QZ_EXPORT void MultiplyByteArray(uint8_t* dst, const uint8_t* src, uint32_t count);
QZ_EXPORT void SaturateAddByteArrayMMX(uint8_t* dst, const uint8_t* src, uint32_t count);
QZ_EXPORT void Qz__MergeByteArray(uint8_t* dst, const uint8_t* src, uint32_t count,
                                  uint32_t strength);
QZ_EXPORT void MergeDataViaAlphaAndTrans(uint8_t* dst, const uint8_t* src, const uint8_t* alpha,
                                         uint32_t trans, uint32_t count);
QZ_EXPORT void Qz__AddMediaLineToTransparency(uint8_t* transparency, const uint8_t* media,
                                              uint32_t strength, uint32_t count);
QZ_EXPORT void Qz__AddMediaLineToTransparencyintrin(uint8_t* transparency, const uint8_t* media,
                                                    uint32_t strength, uint32_t count);

// ---- change marking -------------------------------------------------------------------------
QZ_EXPORT void Qz_ModifiedLayer(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
QZ_EXPORT void Qz_ModifiedImageData(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                    int32_t y1);
QZ_EXPORT void Qz_ModifiedAllImageData(Qz_Image* image);
QZ_EXPORT void Qz_ModifiedImageFormat(Qz_Image* image);
QZ_EXPORT int32_t Qz_LayerNeedsFixing(Qz_Image* layer);
// Raises the image's change counts: for writes of pixels, planes or layer
// settings that no marking call above reports (the marking calls raise them
// themselves, also while notices are suspended). Call after the change.
QZ_EXPORT void Qz_NoteImageChange(Qz_Image* image);
QZ_EXPORT QzWord Qz_RedoLayerChanges(Qz_Image* layer);
QZ_EXPORT QzWord Qz_FixLayerChanges(Qz_Image* layer);

// ---- redraw (the drawing itself is the view's, through the hook) -------------------------
QZ_EXPORT void Qz_RedrawImageView(Qz_Object* view, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Clamps to the image and redraws its view; nothing without a view or once released.
QZ_EXPORT void Qz_RedrawImage(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
QZ_EXPORT void Qz_FullRedrawImage(Qz_Image* image);
// Moves the rectangle by the layer's offsets up to its document, then redraws that.
QZ_EXPORT void Qz_RedrawLayer(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
QZ_EXPORT void Qz_FullRedrawLayer(Qz_Image* layer);
QZ_EXPORT void Qz_RedrawLayerChanges(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1,
                                     int32_t y1);
QZ_EXPORT void Qz_FullRedrawLayerChanges(Qz_Image* layer);

// ---- line converters (interleaved rows are B, G, R) ----------------------------------------
QZ_EXPORT void Qz_MakeRGBLine(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint8_t* out,
                              int32_t count);
// Pixels from..to; pixel i comes from source index (i * step) >> 10; out[0] is pixel `from`.
QZ_EXPORT void Qz_MakeScaledRGBLine(const uint8_t* r, const uint8_t* g, const uint8_t* b,
                                    uint8_t* out, int32_t from, int32_t to, int32_t step);
QZ_EXPORT void Qz_MakeScaledGreyLine(uint8_t* out, const uint8_t* grey, int32_t from, int32_t to,
                                     int32_t step);
QZ_EXPORT void Qz_SplitRGB(uint8_t* r, uint8_t* g, uint8_t* b, const uint8_t* in, int32_t count);

// ---- the Image class (creation, disposal, plain fields and the layer list) -----------------
QZ_EXPORT QzWord Qz_InitImageClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupImageClass(void);

QZ_EXTERN_C_END
