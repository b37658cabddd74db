// InspectionPlugin: the colour of the image pixel under the pointer as red,
// green and blue, integer hue, saturation and value, an HTML colour text and
// a colour box, beside a view of the active image magnified round that pixel.
// The pixel is read under the image's lock on the thread that reports the
// pointer; the panel shows it on its own window's thread, with no image lock
// held, so it never waits on a document while holding its drawing.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_widgets.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"
#include "plugins/inspection_viewport.h"
#include "plugins/plugin_family.h"
#include "plugins/view_panel_maths.h"

namespace {

constexpr uint32_t kInspectionClassId = 0x3E80013;
constexpr uint32_t kColourText = 14;
constexpr uint32_t kPointerMoved = 0x130064;     // on the application image: image x, y
constexpr uint32_t kCoordinateMode = 0x130078;   // the mode; answered by 0x130082
constexpr uint32_t kGetCoordinateMode = 0x130082;
constexpr int32_t kColourBoxHeight = 20;
constexpr int32_t kMagnified = 6;
// The panel's own, run on its window's thread: show a pixel (packed colour
// with bit 24 set when it was read; x << 16 | y), and follow a new image.
constexpr uint32_t kShowPixel = 0x3E80715, kShowImage = 0x3E80716;
constexpr QzWord kPixelRead = 1u << 24;

struct Qz_InspectionObject {
  Qz_Object header{};
  Qz_Object* scroll = nullptr;
  Qz_Object* rgbText[3] = {};
  Qz_Object* hsvText[3] = {};  // hue, saturation, value
  Qz_Object* hexText = nullptr;
  Qz_Object* colourBox = nullptr;
  Qz_Object* view = nullptr;
  char hex[8] = "#000000";
  std::atomic<uint32_t> coordinateMode{0};
  int32_t factor = kMagnified;
  std::atomic<int32_t> markerX{0}, markerY{0};
  // The image the view shows, for the threads that report the pointer.
  std::atomic<Qz_Image*> shown{nullptr};
  Region* clip = nullptr;  // the viewport's box: the view draws itself, and only there
  QzWord follow[4] = {};
};

Qz_InspectionObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_InspectionObject>(o); }
Qz_InspectionObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_InspectionObject*>(user); }

// The image the view shows, and its width and height (zero without one).
Qz_Image* Qz__ShownImage(Qz_InspectionObject* p) {
  Qz_Image* image = nullptr;
  int32_t w = 0, h = 0, x = 0, y = 0;
  Qz_ImageHooks* hooks = Qz_GetImageHooks();
  if (p->view && hooks->viewGeometry && hooks->viewGeometry(p->view, &image, &w, &h, &x, &y)) return image;
  return nullptr;
}

// The pixel at x, y brought into the image, read under its lock: packed
// red | green << 8 | blue << 16 with kPixelRead, or 0 when it cannot be read.
QzWord Qz__ReadPixel(Qz_Image* image, int32_t& x, int32_t& y) {
  if (!image || !Qz_LockImageA(image, kQzLockComposite, nullptr)) return 0;
  QzWord out = 0;
  if (image->width > 0 && image->height > 0) {
    x = qz::plugins::clampToSide(x, image->width);
    y = qz::plugins::clampToSide(y, image->height);
    if (image->depth == 24 && image->r && image->g && image->b)
      out = kPixelRead | image->r[y][x] | QzWord(image->g[y][x]) << 8 | QzWord(image->b[y][x]) << 16;
    else if (image->depth == 8 && image->grey)
      out = kPixelRead | QzWord(image->grey[y][x]) * 0x010101u;
  }
  Qz_UnlockImageA(image, kQzLockComposite, nullptr);
  return out;
}

void Qz__Inspect(Qz_InspectionObject* p, int32_t x, int32_t y) {
  const QzWord pixel = Qz__ReadPixel(p->shown.load(), x, y);
  const QzWord at = QzWord(uint32_t(x) & 0xFFFF) << 16 | (uint32_t(y) & 0xFFFF);
  qz::plugins::runOnPanelThread(&p->header, kShowPixel, pixel, at);
}

void Qz__PointerMoved(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz__Inspect(Qz__FromUser(user), int32_t(value[0]), int32_t(value[1]));
}

void Qz__ModeChanged(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_DoMethod(&Qz__FromUser(user)->header, kCoordinateMode, value[0]);
}

void Qz__ImageChanged(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  qz::plugins::runOnPanelThread(&Qz__FromUser(user)->header, kShowImage, value[0], 0);
}

void Qz__ClipView(Qz_InspectionObject* p);

// The main view of the shown image changed its zoom: magnify while it shows
// the image at less than three times its width.
void Qz__FollowZoom(Qz_InspectionObject* p) {
  Qz_Image* image = Qz__ShownImage(p);
  Qz_Object* main = image ? Qz_CurrentViewOf(image) : nullptr;
  Qz_Image* shown = nullptr;
  int32_t width = 0, height = 0, x = 0, y = 0;
  Qz_ImageHooks* hooks = Qz_GetImageHooks();
  // Without a main view yet the factor keeps its last value.
  if (main && hooks->viewGeometry && hooks->viewGeometry(main, &shown, &width, &height, &x, &y) && shown)
    p->factor = qz::plugins::inspectorFactor(width, shown->width);
  Qz_DoMethod(p->view, kQzViewZoom, uint32_t(p->factor * 100), 0u);
  Qz__ClipView(p);
  Qz_DoMethod(p->scroll, kGroupSetScroll, 0u, 0u);
  Qz_RelayoutAndRedrawObject(&p->header);
}

void Qz__ZoomChanged(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  qz::plugins::runOnPanelThread(&Qz__FromUser(user)->header, kShowImage, 0, 1);
}

void Qz__ShowImage(Qz_InspectionObject* p, Qz_Image* image, bool zoomOnly) {
  if (!zoomOnly && image) {
    Qz_DoMethod(p->view, kQzViewSetImage, image);
    p->shown.store(image);
  }
  if (zoomOnly || image) Qz__FollowZoom(p);  // a new image's factor comes from its own main view
}

// The magnified view is far larger than the viewport: its own drawing is
// kept inside the viewport's box.
void Qz__ClipView(Qz_InspectionObject* p) {
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(p->scroll, kRootGetLayoutBox));
  if (!box || box->width <= 0 || box->height <= 0) return;
  if (!p->clip && !(p->clip = NewRegion())) return;
  ClearRegion(p->clip);
  const Rectangle r{box->left, box->top, int16_t(box->left + box->width - 1), int16_t(box->top + box->height - 1)};
  OrRectRegion(p->clip, &r);
  Qz_DoMethod(p->view, kRootSetClipRegion, p->clip);
}

// Centres the magnified view on the pixel and scrolls the group there.
void Qz__Centre(Qz_InspectionObject* p, int32_t x, int32_t y) {
  const auto w = int32_t(Qz_DoMethod(p->scroll, kGroupGetBoxWidth));
  const auto h = int32_t(Qz_DoMethod(p->scroll, kGroupGetBoxHeight));
  Qz_Image* shown = nullptr;
  int32_t zoomW = 0, zoomH = 0, ox = 0, oy = 0;
  Qz_ImageHooks* hooks = Qz_GetImageHooks();
  if (!hooks->viewGeometry || !hooks->viewGeometry(p->view, &shown, &zoomW, &zoomH, &ox, &oy)) return;
  const int32_t sx = std::clamp(p->factor * x - w / 2, 0, std::max(0, zoomW - w));
  const int32_t sy = std::clamp(p->factor * y - h / 2, 0, std::max(0, zoomH - h));
  Qz__ClipView(p);
  Qz_DoMethod(p->scroll, kGroupSetScroll, uint32_t(sx), uint32_t(sy));
}

void Qz__ShowPixel(Qz_InspectionObject* p, QzWord pixel, QzWord at) {
  const auto x = int32_t(int16_t(at >> 16)), y = int32_t(int16_t(at & 0xFFFF));
  p->markerX.store(x);
  p->markerY.store(y);
  if (!(pixel & kPixelRead)) return;
  const int32_t rgb[3] = {int32_t(pixel & 0xFF), int32_t((pixel >> 8) & 0xFF), int32_t((pixel >> 16) & 0xFF)};
  for (int i = 0; i < 3; ++i) Qz_DoMethod(p->rgbText[i], kTextSetNumber, uint32_t(rgb[i]));
  const qz::plugins::Hsv hsv = qz::plugins::hsvOf(rgb[0], rgb[1], rgb[2]);
  Qz_DoMethod(p->hsvText[0], kTextSetNumber, uint32_t(hsv.hue));
  Qz_DoMethod(p->hsvText[1], kTextSetNumber, uint32_t(hsv.saturation));
  Qz_DoMethod(p->hsvText[2], kTextSetNumber, uint32_t(hsv.value));
  const std::string hex = qz::plugins::hexText(rgb[0], rgb[1], rgb[2]);
  std::snprintf(p->hex, sizeof p->hex, "%s", hex.c_str());
  Qz_DoMethod(p->hexText, kRootSetLabel, p->hex);
  Qz_DoMethod(p->hexText, kRootDraw);
  uint8_t bytes[3] = {uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])};
  Qz_DoMethod(p->colourBox, kColourBoxSetRGB, bytes);
  Qz__Centre(p, x, y);
  Qz_DoMethod(p->scroll, qz::plugins::kViewportMark, uint32_t(x), uint32_t(y));
}

Qz_Object* Qz__Add(Qz_Object* group, Qz_Object* member, bool& ok) {
  if (!member) ok = false;
  if (member && group) Qz_DoMethod(group, kGroupAddTail, member);
  return member;
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_InspectionObject* p = Qz__Self(object);
  bool ok = true;
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!column) return nullptr;
  Qz_Object* frame = Qz__Add(column, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 2), ok);
  p->scroll = Qz__Add(frame, Qz_CreateObject("InspectionViewport", kGroupSetMode, 9), ok);
  p->view = Qz_CreateObject("ImageView");
  if (p->view) Qz_DoMethod(p->view, kQzViewSetThumbnail);
  Qz__Add(p->scroll, p->view, ok);
  Qz__Add(column, Qz_CreateObject("Text", kRootSetLabel, qz::plugins::catalogueText(kColourText)), ok);
  Qz_Object* boxFrame = Qz__Add(column, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 2), ok);
  p->colourBox = Qz__Add(boxFrame, Qz_CreateObject("ColourBox", kColourBoxSetHeight, kColourBoxHeight), ok);
  Qz_Object* pages = Qz__Add(column, Qz_CreateObject("Pages"), ok);
  if (!ok) {
    Qz_DisposeObject(column);
    return nullptr;
  }
  Qz_DoMethod(pages, kPagesLabelsPhase, 1);
  for (const char* tab : {"RGB", "HSV", "HTML"}) Qz__Add(pages, Qz_CreateObject("Text", kRootSetLabel, tab), ok);
  Qz_DoMethod(pages, kPagesLabelsPhase, 0);
  Qz_Object* rgb = Qz__Add(pages, Qz_CreateObject("Group", kGroupSetMode, 1), ok);
  Qz_Object* hsv = Qz__Add(pages, Qz_CreateObject("Group", kGroupSetMode, 1), ok);
  Qz_Object* html = Qz__Add(pages, Qz_CreateObject("Group", kGroupSetMode, 1), ok);
  const char* rgbLabels[] = {"R %ld", "G %ld", "B %ld"};
  const char* hsvLabels[] = {"H %ld", "S %ld", "V %ld"};
  for (int i = 0; i < 3; ++i) {
    p->rgbText[i] = Qz__Add(rgb, Qz_CreateObject("Text", kRootSetLabel, rgbLabels[i], kTextSetNumber, 0u), ok);
    p->hsvText[i] = Qz__Add(hsv, Qz_CreateObject("Text", kRootSetLabel, hsvLabels[i], kTextSetNumber, 0u), ok);
  }
  Qz__Add(html, Qz_CreateObject("Text", kRootSetLabel, ""), ok);
  p->hexText = Qz__Add(html, Qz_CreateObject("Text", kRootSetLabel, p->hex), ok);
  Qz__Add(html, Qz_CreateObject("Text", kRootSetLabel, ""), ok);
  if (!ok) {
    Qz_DisposeObject(column);
    return nullptr;
  }
  Qz_DoMethod(pages, kGroupShowPage, 0u);
  return qz::plugins::makePanel({"Inspection", "Inspection", "Data/Images/ToolBar/Magnify"}, column);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_InspectionObject* p = Qz__Self(object);
  const QzWord user = reinterpret_cast<QzWord>(p);
  p->follow[0] = qz::plugins::followApplication(kPointerMoved, Qz__PointerMoved, user);
  p->follow[1] = qz::plugins::followApplication(kQzAppMakeActiveImage, Qz__ImageChanged, user);
  p->follow[2] = qz::plugins::followApplication(kQzViewZoom, Qz__ZoomChanged, user);
  p->follow[3] = qz::plugins::followApplication(kCoordinateMode, Qz__ModeChanged, user);
  Qz_DoMethod(p->view, kQzViewZoom, uint32_t(p->factor * 100), 0u);
  if (Qz_Image* image = qz::plugins::activeImage()) Qz__ShowImage(p, image, false);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_InspectionObject* p = Qz__Self(object);
  for (QzWord& handle : p->follow) qz::plugins::stopFollowing(handle);
  if (!p->clip) return;
  Qz_DoMethod(p->view, kRootSetClipRegion, 0u);
  DisposeRegion(p->clip);
  p->clip = nullptr;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_InspectionObject* p = Qz__Self(object);
  switch (id) {
    case kRootStoreChildren: return 1;
    case kShowPixel: Qz__ShowPixel(p, args[0], args[1]); return 0;
    case kShowImage: Qz__ShowImage(p, reinterpret_cast<Qz_Image*>(args[0]), args[1] != 0); return 0;
    case kCoordinateMode:
      p->coordinateMode.store(uint32_t(args[0]));
      Qz__Inspect(p, p->markerX.load(), p->markerY.load());
      return uint32_t(args[0]);
    case kGetCoordinateMode: return p->coordinateMode.load();
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kInspectionPlugin = {
    .name = "InspectionPlugin", .superName = "RootPlugin", .classId = kInspectionClassId,
    .instance = qz::kit::instanceOf<Qz_InspectionObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitInspectionPluginClass(Qz_GlobalData*) {
  if (!qz::plugins::addInspectionViewportClass()) return 0;
  const QzWord added = qz::kit::addClass(kInspectionPlugin);
  if (!added) qz::plugins::removeInspectionViewportClass();
  return added;
}
QZ_EXPORT void Qz_CleanupInspectionPluginClass(void) {
  qz::kit::removeClass(kInspectionPlugin);
  qz::plugins::removeInspectionViewportClass();
}
QZ_EXTERN_C_END
