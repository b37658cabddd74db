// RootMedia: the brush engine. It owns the brush images (the soft round
// brush or a picture scaled to the brush size), answers the stroke message
// with lines, curves and dabs into a layer's transparency plane (or, when
// smearing, its colour planes), and keeps the ten attributes a preset stores.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "actions/qz_actions.h"
#include "image/image_internal.h"
#include "image/image_shell.h"
#include "image/qz_compositor.h"
#include "image/qz_scaling.h"
#include "media/dab_kernels.h"
#include "media/qz_root_media.h"
#include "media/root_media_object.h"
#include "media/smear_dab.h"
#include "media/stroke_curve.h"
#include "objects/async_methods.h"
#include "objects/qz_class_kit.h"
#include "platform/exec.h"

namespace {

using qz::media::DabRect;

constexpr uint32_t kShapeLoadFlags = 0x14;  // plain (no thread); 4 as the stored presets ask
constexpr uint32_t kAlphaLoadFlags = kQzLoadPlain;
constexpr uint32_t kBrushImageType = kQzPaintLayer;  // a layer-kind image: no thread of its own

// The ten stored attributes, in the order presets hold them: the pictures
// come before the size that rebuilds the brush from them. They are the
// class's own rows (not kit attribute rows, which would follow them) because
// three are names and the size setter rebuilds under the media's semaphore.
const Qz_Method kRootMediaMethods[] = {
    {kMediaSetShapeName, "Qz_SetMasterMediaImageName", kQzMethodSetter, kMediaGetShapeName, "%s", 0, nullptr, 0, 0},
    {kMediaGetShapeName, "Qz_GetMasterMediaImageName", kQzMethodStoredGetter, kMediaSetShapeName, nullptr, 0, "%s", 0, 0},
    {kMediaSetAlphaName, "Qz_SetMasterMediaAlphaImageName", kQzMethodSetter, kMediaGetAlphaName, "%s", 0, nullptr, 0, 0},
    {kMediaGetAlphaName, "Qz_GetMasterMediaAlphaImageName", kQzMethodStoredGetter, kMediaSetAlphaName, nullptr, 0, "%s", 0, 0},
    {kMediaSize, "Qz_SetMediaSize", kQzMethodSetter, kMediaGetSizeValue, "%ld", 0, nullptr, 0, 0},
    {kMediaGetSizeValue, "Qz_GetMediaSize", kQzMethodStoredGetter, kMediaSize, nullptr, 0, "%ld", 0, 0},
    {kMediaPressure, "Qz_SetMediaPressure", kQzMethodSetter, kMediaGetPressureValue, "%ld", 0, nullptr, 0, 0},
    {kMediaGetPressureValue, "Qz_GetMediaPressure", kQzMethodStoredGetter, kMediaPressure, nullptr, 0, "%ld", 0, 0},
    {kMediaSetFreehand, "Qz_SetMediaFreehandMode", kQzMethodSetter, kMediaGetFreehand, "%ld", 0, nullptr, 0, 0},
    {kMediaGetFreehand, "Qz_GetMediaFreehandMode", kQzMethodStoredGetter, kMediaSetFreehand, nullptr, 0, "%ld", 0, 0},
    {kMediaSetSmear, "Qz_SetMediaSmearMode", kQzMethodSetter, kMediaGetSmear, "%ld", 0, nullptr, 0, 0},
    {kMediaGetSmear, "Qz_GetMediaSmearMode", kQzMethodStoredGetter, kMediaSetSmear, nullptr, 0, "%ld", 0, 0},
    {kMediaSetImageMode, "Qz_SetMediaImageMode", kQzMethodSetter, kMediaGetImageMode, "%ld", 0, nullptr, 0, 0},
    {kMediaGetImageMode, "Qz_GetMediaImageMode", kQzMethodStoredGetter, kMediaSetImageMode, nullptr, 0, "%ld", 0, 0},
    {kMediaSetJitter, "Qz_SetMediaJitter", kQzMethodSetter, kMediaGetJitter, "%ld", 0, nullptr, 0, 0},
    {kMediaGetJitter, "Qz_GetMediaJitter", kQzMethodStoredGetter, kMediaSetJitter, nullptr, 0, "%ld", 0, 0},
    {kMediaSetFlags, "Qz_SetMediaFlags", kQzMethodSetter, kMediaGetFlags, "%ld", 0, nullptr, 0, 0},
    {kMediaGetFlags, "Qz_GetMediaFlags", kQzMethodStoredGetter, kMediaSetFlags, nullptr, 0, "%ld", 0, 0},
    {kMediaSetModeName, "Qz_SetMediaModeName", kQzMethodSetter, kMediaGetModeName, "%s", 0, nullptr, 0, 0},
    {kMediaGetModeName, "Qz_GetMediaModeName", kQzMethodStoredGetter, kMediaSetModeName, nullptr, 0, "%s", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

Qz_RootMediaObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<Qz_RootMediaObject*>(object); }
Qz_Object* Qz__Outer(Qz_RootMediaObject* m) { return Qz_GetTopMostObject(&m->header); }

// Holds the media semaphore for a scope (it is re-entrant).
class MediaHold {
 public:
  explicit MediaHold(Qz_RootMediaObject* m) : m_(m) { ObtainSemaphore(&m_->semaphore); }
  ~MediaHold() { ReleaseSemaphore(&m_->semaphore); }
  MediaHold(const MediaHold&) = delete;
  MediaHold& operator=(const MediaHold&) = delete;

 private:
  Qz_RootMediaObject* m_;
};

void Qz__DisposeImage(Qz_Image*& image) {
  if (image) Qz_DisposeObject(&image->object);
  image = nullptr;
}

// ---- brush images ------------------------------------------------------------------

Qz_Image* Qz__NewBrushImage(int32_t width, int32_t height, int32_t depth) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kBrushImageType));
  if (!image) return nullptr;
  if (!Qz_AllocImage(image, width, height, depth, kQzAllocNoThread | kQzAllocNoUndo, nullptr)) {
    Qz_DisposeObject(&image->object);
    return nullptr;
  }
  return image;
}

QzWord Qz__FreeBrush(Qz_RootMediaObject* m) {
  MediaHold hold(m);
  Qz__DisposeImage(m->brushImage);
  Qz__DisposeImage(m->brushAlpha);
  Qz__DisposeImage(m->smearBuffer);
  return 0;
}

QzWord Qz__AllocBrush(Qz_RootMediaObject* m) {
  MediaHold hold(m);
  Qz__FreeBrush(m);
  m->brushImage = Qz__NewBrushImage(m->brushWidth, m->brushHeight, m->imageMode ? 24 : 8);
  if (!m->brushImage) return 0;
  if (m->smear) m->smearBuffer = Qz__NewBrushImage(m->brushWidth + 1, m->brushHeight + 1, 24);
  if (m->alphaImage) m->brushAlpha = Qz__NewBrushImage(m->brushWidth, m->brushHeight, 24);
  return qz::toWord(m->brushImage);
}

QzWord Qz__RenderBrush(Qz_RootMediaObject* m) {
  MediaHold hold(m);
  Qz_Image* brush = m->brushImage;
  if (!brush) return 0;
  if (!m->shapeImage) {
    if (brush->depth != 8 || !brush->grey) return 0;
    qz::media::renderSoftRoundBrush(brush->grey, brush->width, brush->height);
    return 1;
  }
  if (m->alphaImage && m->brushAlpha) Qz__ScaleImageToImage(m->brushAlpha, m->alphaImage, kQzScaleSmooth);
  Qz_Image* shape = m->shapeImage;
  if (m->size == 1 && brush->depth == 8 && shape->depth == 24 && shape->r) {
    // One pixel: the red of the picture's centre; black would paint nothing.
    const uint8_t red = shape->r[shape->height / 2][shape->width / 2];
    brush->grey[0][0] = red ? red : 255;
    return 1;
  }
  return uint32_t(Qz__ScaleImageToImage(brush, shape, kQzScaleSmooth));
}

// Size setter: the brush follows the shape's aspect; both sides stay within
// the limits, so a wide shape at a small size still gives a real brush.
QzWord Qz__SetSize(Qz_RootMediaObject* m, int32_t value) {
  MediaHold hold(m);
  const int32_t size = std::clamp(value, kMediaMinSide, kMediaMaxSide);
  m->size = size;
  m->brushWidth = size;
  int64_t height = size;
  if (m->shapeImage && m->shapeImage->width > 0)
    height = int64_t(m->shapeImage->height) * size / m->shapeImage->width;
  m->brushHeight = int32_t(std::clamp<int64_t>(height, kMediaMinSide, kMediaMaxSide));
  Qz_Object* outer = Qz__Outer(m);
  Qz_DoMethod(outer, kMediaFreeBrush);
  if (Qz_DoMethod(outer, kMediaAllocBrush)) Qz_DoMethod(outer, kMediaRenderBrush);
  return 0;
}

// ---- shape and alpha pictures ----------------------------------------------------------

// Drops the picture in a slot, disposing it only when the media loaded it.
void Qz__DropPicture(Qz_Image*& slot, bool& owned) {
  if (slot && owned) Qz_DisposeObject(&slot->object);
  slot = nullptr;
  owned = false;
}

QzWord Qz__LoadPicture(Qz_RootMediaObject* m, bool shape, const char* name) {
  MediaHold hold(m);
  Qz_Image*& slot = shape ? m->shapeImage : m->alphaImage;
  bool& owned = shape ? m->ownsShape : m->ownsAlpha;
  std::string& stored = shape ? m->shapeName : m->alphaName;
  stored = name ? name : "";
  Qz__DropPicture(slot, owned);
  if (stored.empty()) return 0;
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  if (!image) return 0;
  if (!Qz___LoadImageA(image, stored.c_str(), nullptr, nullptr, shape ? kShapeLoadFlags : kAlphaLoadFlags,
                       nullptr)) {
    Qz_DisposeObject(&image->object);
    return 0;
  }
  slot = image;
  owned = true;
  return qz::toWord(image);
}

// A picture handed over stays its giver's: it is never disposed here.
QzWord Qz__LendPicture(Qz_RootMediaObject* m, bool shape, Qz_Image* image) {
  MediaHold hold(m);
  Qz_Image*& slot = shape ? m->shapeImage : m->alphaImage;
  bool& owned = shape ? m->ownsShape : m->ownsAlpha;
  (shape ? m->shapeName : m->alphaName).clear();
  if (slot == image) return 0;
  Qz__DropPicture(slot, owned);
  slot = image;
  return 0;
}

QzWord Qz__NameOrNone(const std::string& name) {
  return name.empty() ? 0 : qz::toWord(name.c_str());
}

QzWord Qz__SetModeName(Qz_RootMediaObject* m, const char* name) {
  {
    MediaHold hold(m);
    m->modeName = name ? name : "";
  }
  if (m->modeName.empty()) return 0;
  if (Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr)) {
    Qz_Image* layer = image->paintLayer ? image->paintLayer : image->activeLayer;
    if (layer) Qz_DoAsyncMethod(&layer->object, kQzImageSetLayerMode, m->modeName.c_str());
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
  }
  return qz::toWord(m->modeName.c_str());
}

// ---- dabs --------------------------------------------------------------------------------

int32_t Qz__TabletPressure(QzWord tablet) {
  return tablet ? int32_t(std::min<uint32_t>(reinterpret_cast<const uint32_t*>(tablet)[0], 255)) : -1;
}

// The plane a dab lays into: an image layer's own paint layer, else the layer.
Qz_Image* Qz__PaintedLayer(Qz_Image* layer) {
  if (layer && layer->type == kQzImageLayer) return layer->paintLayer ? layer->paintLayer : layer->inner;
  return layer;
}

void Qz__StandardDab(Qz_RootMediaObject* m, Qz_Image* layer, uint32_t button, uint32_t flags, int32_t x,
                     int32_t y, int32_t tablet) {
  Qz_Image* brush = m->brushImage;
  Qz_Image* target = Qz__PaintedLayer(layer);
  if (!brush || !target) return;
  const uint32_t strength = qz::media::dabStrength(m->pressure, tablet);
  // Every media made as a subclass (or from a preset of one) sprays.
  qz::media::scatterDab(x, y, m->header.owner != nullptr, m->brushWidth, m->brushHeight, strength,
                        uint32_t(m->jitter));
  const DabRect r = qz::media::clipDab(qz::media::dabLeft(x, m->brushWidth), y - m->brushHeight / 2,
                                       m->brushWidth, m->brushHeight, target->width, target->height);
  if (r.empty()) return;
  const bool paints = !m->imageMode && target->depth == 8 && target->grey && brush->depth == 8 && brush->grey &&
                      target->state.load() == kQzImageAllocated;
  if (paints) {
    const int32_t count = r.x1 - r.x0 + 1;
    for (int32_t row = r.y0; row <= r.y1; ++row) {
      const uint8_t* brushRow = brush->grey[r.brushRow + (row - r.y0)] + r.brushColumn;
      if (button == kStrokeButtonPaint)
        qz::media::addDabRow(target->grey[row] + r.x0, brushRow, strength, count);
      else
        qz::media::eraseDabRow(target->grey[row] + r.x0, brushRow, strength, count);
    }
  }
  if (flags & kStrokeFlagQuiet) {
    Qz_NoteImageChange(target);  // the line's caller reports the rectangle
    return;
  }
  Qz_ModifiedImageData(target, r.x0, r.y0, r.x1, r.y1);
  if (m->smear || m->imageMode) {
    Qz_Image* document = qz::topDocument(target);
    if (document && document != target) Qz_ModifiedImageData(document, r.x0, r.y0, r.x1, r.y1);
  }
}

void Qz__Dab(Qz_RootMediaObject* m, Qz_Image* image, Qz_Image* layer, uint32_t button, uint32_t flags, int32_t x,
             int32_t y, int32_t tablet) {
  if (!m->brushImage) return;
  if (m->smear) {
    qz::media::smearDab(m, image, layer, button, flags, x, y, tablet);
    return;
  }
  Qz__StandardDab(m, layer, button, flags, x, y, tablet);
}

// ---- the stroke message ------------------------------------------------------------------

QzWord Qz__Stroke(Qz_RootMediaObject* m, const QzWord* w) {
  if (!w) return 0;
  if (!m->brushImage) {
    Qz_DoMethod(Qz__Outer(m), kMediaSize, uint32_t(m->brushWidth));
    if (!m->brushImage) return 0;
  }
  MediaHold hold(m);
  const uint32_t kind = uint32_t(w[0]);
  auto* image = reinterpret_cast<Qz_Image*>(w[1]);
  auto* layer = reinterpret_cast<Qz_Image*>(w[2]);
  const uint32_t button = uint32_t(w[3]), flags = uint32_t(w[4]);
  const int32_t x = int32_t(w[5]), y = int32_t(w[6]);
  if (button != m->lastButton) {
    m->lastButton = button;
    m->lastX = x;
    m->lastY = y;
  }
  if (button != 0) {
    switch (kind) {
      case kStrokeLine: {
        const auto* tablet = reinterpret_cast<const void*>(w[9]);
        if (!m->freehand && !(flags & kStrokeFlagCurvePart)) {
          m->lastX = x;
          m->lastY = y;
          Qz_DoMethod(Qz__Outer(m), kMediaStrokeMessage, kStrokeDab, image, layer, button, flags, w[7], w[8], w[9]);
        } else {
          Qz__DrawMediaLine(image, layer, button, flags, x, y, int32_t(w[7]), int32_t(w[8]), tablet);
        }
        break;
      }
      case kStrokeCurve:
        Qz__DrawMediaCurve(image, layer, button, flags, x, y, int32_t(w[7]), int32_t(w[8]), int32_t(w[9]),
                           int32_t(w[10]), reinterpret_cast<const void*>(w[11]));
        break;
      case kStrokeDab: Qz__Dab(m, image, layer, button, flags, x, y, Qz__TabletPressure(w[7])); break;
      default: break;
    }
  }
  m->lastX = x;
  m->lastY = y;
  return 0;
}

// ---- dispatcher ----------------------------------------------------------------------------

QzWord Qz__Store(Qz_RootMediaObject* m, int32_t& field, QzWord value) {
  MediaHold hold(m);
  field = int32_t(value);
  return 0;
}

QzWord Qz__RootMediaDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_RootMediaObject* m = Qz__Self(object);
  switch (id) {
    case kMediaStrokeMessage: return Qz__Stroke(m, args);  // the words are the message
    case kMediaSetShapeName: return Qz__LoadPicture(m, true, reinterpret_cast<const char*>(args[0]));
    case kMediaGetShapeName: return Qz__NameOrNone(m->shapeName);
    case kMediaSetAlphaName: return Qz__LoadPicture(m, false, reinterpret_cast<const char*>(args[0]));
    case kMediaGetAlphaName: return Qz__NameOrNone(m->alphaName);
    case kMediaSize: return Qz__SetSize(m, int32_t(args[0]));
    case kMediaGetSizeValue: return uint32_t(m->size);
    case kMediaPressure: {
      MediaHold hold(m);
      m->pressure = std::min<uint32_t>(uint32_t(args[0]) & 0xFFFF, 255);  // strength is 0..255
      return 0;
    }
    case kMediaGetPressureValue: return m->pressure;
    case kMediaSetFreehand: return Qz__Store(m, m->freehand, args[0]);
    case kMediaGetFreehand: return uint32_t(m->freehand);
    case kMediaSetSmear: return Qz__Store(m, m->smear, args[0]);
    case kMediaGetSmear: return uint32_t(m->smear);
    case kMediaSetImageMode: return Qz__Store(m, m->imageMode, args[0]);
    case kMediaGetImageMode: return uint32_t(m->imageMode);
    case kMediaSetJitter: return Qz__Store(m, m->jitter, std::min<QzWord>(uint32_t(args[0]), 1000));
    case kMediaGetJitter: return uint32_t(m->jitter);
    case kMediaSetFlags: {
      MediaHold hold(m);
      m->flags = uint32_t(args[0]);
      return 0;
    }
    case kMediaGetFlags: return m->flags;
    case kMediaSetModeName: return Qz__SetModeName(m, reinterpret_cast<const char*>(args[0]));
    case kMediaGetModeName: return Qz__NameOrNone(m->modeName);
    case kMediaSetBrushImage: {
      MediaHold hold(m);
      auto* image = reinterpret_cast<Qz_Image*>(args[0]);
      if (image != m->brushImage) Qz__DisposeImage(m->brushImage);
      m->brushImage = image;
      return 0;
    }
    case kMediaGetBrushImage: return qz::toWord(m->brushImage);
    case kMediaAllocBrush: return Qz__AllocBrush(m);
    case kMediaFreeBrush: return Qz__FreeBrush(m);
    case kMediaRenderBrush: return Qz__RenderBrush(m);
    case kMediaGetBrushWidth: return uint32_t(m->brushWidth);
    case kMediaGetBrushHeight: return uint32_t(m->brushHeight);
    case kMediaSetShapeImage: return Qz__LendPicture(m, true, reinterpret_cast<Qz_Image*>(args[0]));
    case kMediaSetAlphaImage: return Qz__LendPicture(m, false, reinterpret_cast<Qz_Image*>(args[0]));
    default: return qz::kit::inherited(object, id, args);
  }
}

// Marks the rectangle a line touched: on the colour planes of the document
// for a media that paints them, else on the painted layer.
void Qz__MarkLine(Qz_Object* media, Qz_Image* image, Qz_Image* layer, int32_t size, int32_t x0, int32_t y0,
                  int32_t x1, int32_t y1) {
  const bool onImage = Qz_DoMethod(media, kMediaGetSmear) || Qz_DoMethod(media, kMediaGetImageMode);
  Qz_Image* target = onImage ? (image ? image : qz::topDocument(layer)) : Qz__PaintedLayer(layer);
  if (!target) return;
  int32_t dx = 0, dy = 0;
  if (onImage && target != layer) dx = layer->placement.layerX, dy = layer->placement.layerY;
  int32_t rect[4];
  if (!qz::media::lineMarkRect(size, x0 + dx, y0 + dy, x1 + dx, y1 + dy, target->width, target->height, rect))
    return;
  Qz_ModifiedImageData(target, rect[0], rect[1], rect[2], rect[3]);
}

// The media lets go of its brush images and of the pictures it loaded.
void Qz__TearDownRootMedia(Qz_Object* object) {
  Qz_RootMediaObject* m = Qz__Self(object);
  Qz__FreeBrush(m);
  Qz__DropPicture(m->shapeImage, m->ownsShape);
  Qz__DropPicture(m->alphaImage, m->ownsAlpha);
}

const qz::kit::ClassDecl kRootMedia = {
    .name = "RootMedia", .superName = "Root", .classId = kRootMediaClassId,
    .instance = qz::kit::instanceOf<Qz_RootMediaObject>(), .handler = Qz__RootMediaDispatch,
    .methods = kRootMediaMethods, .tearDown = Qz__TearDownRootMedia};

}  // namespace

Qz_RootMediaObject* qz::media::rootMediaOf(Qz_Object* media) {
  for (Qz_Object* o = media; o; o = o->super)
    if (qz::kit::declOf(o) == &kRootMedia) return Qz__Self(o);
  return nullptr;
}

QZ_EXTERN_C_BEGIN

void Qz__DrawMediaLine(Qz_Image* image, Qz_Image* layer, uint32_t button, uint32_t flags, int32_t x0, int32_t y0,
                       int32_t x1, int32_t y1, const void* tablet) {
  Qz_Object* media = image ? image->media : nullptr;
  if (!media) return;
  if (x0 == x1 && y0 == y1) {  // one dab, which marks its own rectangle
    Qz_DoMethod(media, kMediaStrokeMessage, kStrokeDab, image, layer, button, flags, x0, y0, tablet);
    return;
  }
  const int32_t size = int32_t(Qz_DoMethod(media, kMediaGetSizeValue));
  for (const qz::media::StrokePoint& p : qz::media::lineDabCentres(size, x0, y0, x1, y1))
    Qz_DoMethod(media, kMediaStrokeMessage, kStrokeDab, image, layer, button, flags | kStrokeFlagQuiet, p.x, p.y,
                tablet);
  if ((flags & kStrokeFlagQuiet) || !layer) return;
  // The line is marked once, not per dab.
  Qz__MarkLine(media, image, layer, size, x0, y0, x1, y1);
}

void Qz__DrawMediaCurve(Qz_Image* image, Qz_Image* layer, uint32_t button, uint32_t flags, int32_t x0, int32_t y0,
                        int32_t x1, int32_t y1, int32_t x2, int32_t y2, const void* tablet) {
  const auto points = qz::media::curvePoints({x0, y0}, {x1, y1}, {x2, y2});
  for (size_t i = 1; i < points.size(); ++i)
    Qz__DrawMediaLine(image, layer, button, flags | kStrokeFlagCurvePart, points[i - 1].x, points[i - 1].y,
                      points[i].x, points[i].y, tablet);
  Qz__DrawMediaLine(image, layer, button, flags | kStrokeFlagCurvePart, points.back().x, points.back().y, x2, y2,
                    tablet);
}

QZ_EXPORT QzWord Qz_InitRootMediaClass(Qz_GlobalData*) { return qz::kit::addClass(kRootMedia); }
QZ_EXPORT void Qz_CleanupRootMediaClass(void) { qz::kit::removeClass(kRootMedia); }

QZ_EXTERN_C_END
