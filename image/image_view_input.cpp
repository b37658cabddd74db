// Input over an ImageView: activation, the fix before a stroke, the brush
// outline that follows the pointer, the pointer position for the status
// panels, the current tool's input and pointer shape, and the zoom keys.
#include <algorithm>
#include <cstdlib>

#include "gadgets/qz_input_event.h"
#include "gadgets/qz_window.h"
#include "image/image_internal.h"
#include "image/image_shell.h"
#include "image/image_text.h"
#include "image/image_view_internal.h"
#include "modes/qz_clone_mode.h"
#include "objects/object_services.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace qz::view {
namespace {

constexpr uint32_t kToolFlags = 0x1771000a;
constexpr uint32_t kToolPointer = 0x17710050;
constexpr uint32_t kToolDrawsOutline = 0x1;  // bit 0 of the tool's answer
constexpr uint32_t kMediaSmearMode = 0x110186;
constexpr uint32_t kMediaBrushWidth = 0x1101d6;
constexpr uint32_t kMediaBrushHeight = 0x1101ea;
constexpr int32_t kCrossImagePixels = 12;
constexpr uint32_t kPointerMoved = 0x130064;   // on the application image: image x, y
constexpr uint16_t kLeftOrMiddleHeld = 0x6000;
// Inverts whatever lies under it: lines draw "not xor" with the pen.
constexpr uint32_t kInvertPen = kDirectColourFlag | 0x000000;

Qz_Object* applicationImage() {
  Qz_Image* app = Qz_GetImageBase()->applicationImage;
  return app ? imageObject(app) : nullptr;
}

// The view's box in window pixels, inclusive; false when it has none.
bool viewBox(Qz_ImageView* view, int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1) {
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(&view->object, kRootGetLayoutBox));
  if (!box || box->width <= 0 || box->height <= 0) return false;
  x0 = box->left;
  y0 = box->top;
  x1 = box->left + box->width - 1;
  y1 = box->top + box->height - 1;
  return true;
}

// Whether a window point lies over the part of the picture the view shows.
bool overVisiblePart(Qz_ImageView* view, int32_t x, int32_t y) {
  int32_t bx0, by0, bx1, by1;
  if (!viewBox(view, bx0, by0, bx1, by1)) return false;
  const int32_t vx = x - view->left, vy = y - view->top;
  return x >= bx0 && x <= bx1 && y >= by0 && y <= by1 && vx >= view->visibleX &&
         vx < view->visibleX + view->visibleWidth && vy >= view->visibleY &&
         vy < view->visibleY + view->visibleHeight;
}

// Image pixels to window pixels along one axis of the zoom.
int32_t zoomedLength(int64_t length, int32_t zoomed, int32_t imageSide) {
  return imageSide > 0 ? int32_t(length * zoomed / imageSide) : 0;
}

// The clone mode in force on the document's active layer, or none.
Qz_Object* cloneModeOf(Qz_Image* image) {
  Qz_Image* layer = image->activeLayer;
  Qz_Object* mode = layer ? layer->mode : nullptr;
  return mode && mode->objectClass && mode->objectClass->classId == kQzCloneModeClassId ? mode : nullptr;
}

// The outline for a pointer at window x, y: an ellipse of the brush's size
// around it and, for the clone mode, a cross at the point it copies from.
BrushOutline outlineAt(Qz_ImageView* view, int32_t x, int32_t y, int32_t brushWidth,
                       int32_t brushHeight) {
  Qz_Image* image = view->image;
  BrushOutline o;
  viewBox(view, o.clipX0, o.clipY0, o.clipX1, o.clipY1);
  o.centreX = x;
  o.centreY = y;
  o.radiusX = zoomedLength(std::max(brushWidth, 0), view->zoomWidth, image->width) / 2;
  o.radiusY = zoomedLength(std::max(brushHeight, 0), view->zoomHeight, image->height) / 2;
  if (Qz_Object* clone = cloneModeOf(image)) {
    const int32_t ix = ImageViewToImageX(&view->object, x) - int32_t(Qz_DoMethod(clone, kQzCloneGetX));
    const int32_t iy = ImageViewToImageY(&view->object, y) - int32_t(Qz_DoMethod(clone, kQzCloneGetY));
    o.cross = true;
    o.crossX = ImageToImageViewX(&view->object, ix);
    o.crossY = ImageToImageViewY(&view->object, iy);
    o.crossArmX = std::max(1, zoomedLength(kCrossImagePixels / 2, view->zoomWidth, image->width));
    o.crossArmY = std::max(1, zoomedLength(kCrossImagePixels / 2, view->zoomHeight, image->height));
  }
  return o;
}

// Shows or takes away the outline under the window's draw lock (the
// redraw thread puts it back over new pixels under the same lock).
void setOutline(Qz_ImageView* view, const BrushOutline* next) {
  if (!view->outline.shown && !next) return;
  // Without the draw lock (the window is closed) the state stays as it is:
  // a redraw of the picture, which takes the outline off and puts it back,
  // shows the outline as this state says.
  Qz_DrawInfo* info = Qz_LockDrawInfo(&view->object);
  if (!info) return;
  if (view->outline.shown) drawOutline(info->rastPort, view->outline);
  view->outline.shown = false;
  if (next) {
    view->outline = *next;
    drawOutline(info->rastPort, view->outline);
    view->outline.shown = true;
  }
  Qz_UnlockDrawInfo(&view->object);
}

void hideOutline(Qz_ImageView* view) { setOutline(view, nullptr); }

// Step 3 of a move: the outline follows the pointer while the tool wants
// one, no button is held and this is the active window.
void followPointer(Qz_ImageView* view, const Qz_InputEvent* event) {
  Qz_Image* image = view->image;
  const int32_t x = event->mouseX, y = event->mouseY;
  const int32_t imageX = ImageViewToImageX(&view->object, x);
  const int32_t imageY = ImageViewToImageY(&view->object, y);
  Qz_Object* media = image->media;
  const int32_t brushWidth = media ? int32_t(Qz_DoMethod(media, kMediaBrushWidth)) : 0;
  const int32_t brushHeight = media ? int32_t(Qz_DoMethod(media, kMediaBrushHeight)) : 0;
  Qz_Object* tool = Qz_GetImageBase()->currentTool;
  const bool wanted = event->window && event->window == Qz_GetActiveWindow() &&
                      !(event->qualifier & kLeftOrMiddleHeld) && tool &&
                      (uint32_t(Qz_DoMethod(tool, kToolFlags)) & kToolDrawsOutline);
  if (wanted) {
    if (overVisiblePart(view, x, y)) {
      const BrushOutline next = outlineAt(view, x, y, brushWidth, brushHeight);
      setOutline(view, &next);
    } else {
      hideOutline(view);
    }
  }
  view->pointerX = imageX;
  view->pointerY = imageY;
  view->mediaWidth = brushWidth;
  view->mediaHeight = brushHeight;
  copyName(view->mediaName, sizeof view->mediaName, image->mediaName);
  if (Qz_Object* app = applicationImage())
    Qz_DoNotify(app, kPointerMoved, uint32_t(imageX), uint32_t(imageY));
}

// Step 2: a select press fixes the active layer first when the media smears
// what lies below (it must see the layer as it is shown). The fix commits,
// which takes the exclusive lock, so the input's hold is let go meanwhile;
// false when it cannot be taken again (the image is going).
bool fixBeforeSmear(Qz_Image* image) {
  Qz_Image* layer = image->activeLayer;
  Qz_Object* media = image->media;
  if (!layer || !media || !Qz_DoMethod(media, kMediaSmearMode)) return true;
  if (image->compositingSuspended.load()) return true;
  if (layer->type == kQzImageLayer && layer->compositingSuspended.load()) return true;
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  Qz_DoMethod(imageObject(image), kQzImageFix);
  return Qz_LockImageA(image, kQzLockRead, nullptr) != 0;
}

// Step 5: the window shows the tool's pointer over the picture and the
// default one elsewhere; it is told only of a change.
void updatePointer(Qz_ImageView* view, const Qz_InputEvent* event, Qz_Object* tool) {
  if (!view->window) return;
  const bool over = overVisiblePart(view, event->mouseX, event->mouseY);
  const QzWord pointer = over && tool ? Qz_DoMethod(tool, kToolPointer) : 0;
  view->pointerOverPicture = over;
  if (pointer == view->pointerSent) return;
  view->pointerSent = pointer;
  Qz_DoMethod(view->window, kWindowSetCursor, pointer);
}

}  // namespace

void drawOutline(RastPort* rp, const BrushOutline& o) {
  if (!rp || o.clipX1 < o.clipX0 || o.clipY1 < o.clipY0) return;
  const uint8_t savedOn = rp->ClipOn;
  const int32_t saved[4] = {rp->ClipX0, rp->ClipY0, rp->ClipX1, rp->ClipY1};
  const uint32_t savedPen = rp->FgPen;
  const uint32_t savedMode = GetDrMd(rp);
  const int16_t savedX = rp->cp_x, savedY = rp->cp_y;
  int32_t x0 = o.clipX0, y0 = o.clipY0, x1 = o.clipX1, y1 = o.clipY1;
  if (savedOn) {  // within whatever clip the window has set
    x0 = std::max(x0, saved[0]);
    y0 = std::max(y0, saved[1]);
    x1 = std::min(x1, saved[2] - 1);
    y1 = std::min(y1, saved[3] - 1);
  }
  if (x0 <= x1 && y0 <= y1) {
    Qz_SetClipRect(rp, x0, y0, x1, y1);
    SetABPenDrMd(rp, kInvertPen, 0, COMPLEMENT);
    DrawEllipse(rp, o.centreX, o.centreY, o.radiusX, o.radiusY);
    if (o.cross) {
      // The centre pixel belongs to one arm only, so it is inverted once.
      DrawLine(rp, o.crossX - o.crossArmX, o.crossY, o.crossX + o.crossArmX, o.crossY, kInvertPen);
      DrawLine(rp, o.crossX, o.crossY - o.crossArmY, o.crossX, o.crossY - 1, kInvertPen);
      DrawLine(rp, o.crossX, o.crossY + 1, o.crossX, o.crossY + o.crossArmY, kInvertPen);
    }
  }
  rp->ClipOn = savedOn;
  rp->ClipX0 = saved[0], rp->ClipY0 = saved[1], rp->ClipX1 = saved[2], rp->ClipY1 = saved[3];
  SetABPenDrMd(rp, savedPen, rp->BgPen, savedMode);
  rp->cp_x = savedX, rp->cp_y = savedY;
}

QzWord handleInput(Qz_ImageView* view, QzWord message) {
  Qz_Image* image = view->image;
  const auto* event = reinterpret_cast<const Qz_InputEvent*>(message);
  if (!image || !event || !Qz_LockImageA(image, kQzLockRead, nullptr)) return 2;
  Qz_ImageBase* base = Qz_GetImageBase();
  switch (event->cls) {
    case IDCMP_ACTIVEWINDOW:
      Qz_SetCurrentView(image, &view->object);
      Qz_DoMethod(imageObject(image), kQzAppMakeActiveImage, image);
      break;
    case IDCMP_MOUSEBUTTONS:
      if (event->code == SELECTDOWN && image->type == kQzDocument && !fixBeforeSmear(image))
        return 2;
      if (event->code == SELECTDOWN || event->code == MENUDOWN) hideOutline(view);
      break;
    case IDCMP_MOUSEMOVE: followPointer(view, event); break;
    case IDCMP_INACTIVEWINDOW:
    case IDCMP_MOUSELEFT: hideOutline(view); break;
    default: break;
  }
  Qz_Object* tool = base->currentTool;
  const QzWord toolResult = tool ? Qz_DoMethod(tool, kQzToolInput, image, message) : 0;
  updatePointer(view, event, tool);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);

  QzWord result = toolResult == 1 ? 1 : 0;
  if (result != 1 && view->window && event->cls == IDCMP_VANILLAKEY &&
      (event->code == '<' || event->code == '>')) {
    hideOutline(view);  // drawn for the old zoom
    Qz_DoMethod(&view->object, event->code == '<' ? kQzViewZoomOut : kQzViewZoomIn);
    result = 1;
  }
  if (event->cls == IDCMP_MOUSEBUTTONS && (event->code == SELECTUP || event->code == MENUUP) &&
      !base->redrawWithoutWindow.load()) {
    if (Qz_Object* app = applicationImage()) Qz_DoNotify(app, kQzAppPixelsSettled, image);
  }
  return result;
}

}  // namespace qz::view
