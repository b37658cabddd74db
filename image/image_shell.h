// Documents on screen: the image thread, the document-level Image methods
// (re-render, document list, active image, views), loading and saving, and
// the ImageView class with its redraw thread.
#pragma once

#include <cstdint>

#include "image/qz_image.h"
#include "qzio/qzio.h"
#include "actions/qz_actions.h"
#include "image/qz_compositor.h"

// Load and save flags (the library's own bits pass through).
enum : uint32_t {
  kQzLoadPlain = 0x10,      // no thread, no document set-up
  kQzSaveKeepName = 0x20,   // name and save format unchanged, no notice
  kQzSaveNoBackup = 0x40,
  kQzLoadNoView = 0x200,
};

// ImageView methods.
inline constexpr uint32_t kQzViewSetImage = 0x44000a;
inline constexpr uint32_t kQzViewZoom = 0x44001e;
inline constexpr uint32_t kQzViewGetZoom = 0x440028;
inline constexpr uint32_t kQzViewScale = 0x440032;
inline constexpr uint32_t kQzViewFit = 0x44003c;
inline constexpr uint32_t kQzViewFitQuery = 0x440046;
inline constexpr uint32_t kQzViewZoomIn = 0x440050;
inline constexpr uint32_t kQzViewZoomOut = 0x44005a;
// Makes the view a thumbnail (before its image is set): see Qz_ImageView::thumbnail.
inline constexpr uint32_t kQzViewSetThumbnail = 0x440064;
inline constexpr uint32_t kQzViewWindowShown = 0x44006e;  // 1 while the view's window is open
inline constexpr uint32_t kQzProgressStart = 0x130096;
inline constexpr uint32_t kQzProgressStep = 0x1300a0;
inline constexpr uint32_t kQzProgressDone = 0x1300aa;

struct RastPort;

QZ_EXTERN_C_BEGIN

// Registers ImageView and installs the image thread and the view's redraw
// into the image model's hooks. Called by Qz_InitImageClass.
QZ_EXPORT QzWord Qz_InitImageViewClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupImageViewClass(void);

// Loading: a new Image (a document unless kQzLoadPlain), or none.
QZ_EXPORT Qz_Image* Qz__LoadImageA(const char* fileName, const char* secondName, Qz_Object* format,
                                   uint32_t flags, const TagItem* tags);
// Fills an existing Image object; 1 on success, 0 on failure.
QZ_EXPORT int32_t Qz___LoadImageA(Qz_Image* image, const char* fileName, const char* secondName,
                                  Qz_Object* format, uint32_t flags, const TagItem* tags);
// Saves the document; 1 when the file was written, 0 otherwise (the old file
// and its backup are then as they were).
QZ_EXPORT int32_t Qz__SaveImageA(Qz_Image* image, const char* fileName, const char* formatName,
                                 Qz_Object* format, uint32_t flags, const TagItem* tags);
// target = source with the format's extension on its file-name part; target
// holds at least targetSize bytes. 1 when it ends in the extension now.
QZ_EXPORT int32_t Qz_AutoChangeFileExtension(const char* source, char* target,
                                             const char* formatName, uint32_t targetSize);

// The view's rast port (what it draws into); a window or a test attaches the target.
QZ_EXPORT RastPort* Qz__ImageViewRastPort(Qz_Object* view);
// Sets the zoomed size (1 .. 8 x the image); 0.
QZ_EXPORT int32_t Qz__SetImageViewWidthHeight(Qz_Object* view, int32_t width, int32_t height);
// Returns once the document's thread has run everything posted before the call.
QZ_EXPORT void Qz__SettleImage(Qz_Image* image);
// Blocks until the view's redraw thread has drawn everything marked so far.
QZ_EXPORT void Qz__SettleImageView(Qz_Object* view);

QZ_EXTERN_C_END

namespace qz {
// Strip height of a re-render pass for a layer of that height.
inline int32_t rerenderStep(int32_t height) {
  const int32_t step = height / 10;
  return step <= 10 ? 10 : step;
}
// Rows of the preview before a posted re-render.
QZ_EXPORT uint32_t previewRows(uint32_t width, uint32_t height, uint32_t thumbWidth,
                               uint32_t thumbHeight);
// The document-level Image methods; handled is cleared for ids not answered here.
QzWord imageShellDispatch(Qz_Image* image, uint32_t id, const QzWord* args, bool& handled);
// The image's thread (installed as the startImageThread hook).
int startImageThread(Qz_Image* image);
// 1 when a message waits at the image's port.
bool imagePortHasMessage(Qz_Image* image);
void disposeImageViews(Qz_Image* image);
// True when view is the one view in the image's view list.
bool isOnlyImageView(Qz_Image* image, Qz_Object* view);
// A view whose window the user closes leaves its image's view list (the
// caller holds the image's exclusive lock); the last one, once disposed,
// disposes the image too.
void detachClosingView(Qz_Object* view);
// Opacity, blend words and layer moves; handled is cleared for other ids.
QzWord layerMessageDispatch(Qz_Image* layer, uint32_t id, const QzWord* args, bool& handled);
// "<format>QZIO" exists and writes files.
QZ_EXPORT bool formatCanSave(const char* formatName);
}  // namespace qz

