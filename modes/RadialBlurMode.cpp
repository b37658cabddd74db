// RadialBlurMode: a zoom blur along the lines through a centre the user
// places: toward it for a positive strength, away from it for a negative
// one, with a sampling quality. Strength, quality and centre are stored in
// object text; a stored centre survives the layer being set, otherwise the
// centre is the layer's middle.
#include <atomic>

#include "image/qz_image.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/radial_zoom.h"
#include "modes/shared_below.h"

namespace {

constexpr uint32_t kRadialBlurModeClassId = 0x808;
// Puts the centre back in the middle of the layer (the panel's button).
constexpr uint32_t kRadialBlurCentre = 2186;

constexpr qz::modes::SettingRange kRanges[] = {{kQzModeSetRadius, -255, 255},
                                               {kQzModeSetQuality, 1, 100}};

constexpr Qz_Method kMethods[] = {
    {kQzModeSetRadius, "Qz_SetModeRadius", kQzMethodSetter, kQzModeGetRadius, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetRadius, "Qz_GetModeRadius", kQzMethodStoredGetter, kQzModeSetRadius, nullptr, 0, "%ld", 0, 0},
    {kQzModeSetQuality, "Qz_SetModeQuality", kQzMethodSetter, kQzModeGetQuality, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetQuality, "Qz_GetModeQuality", kQzMethodStoredGetter, kQzModeSetQuality, nullptr, 0, "%ld", 0, 0},
    {kQzModeSetXPosition, "Qz_SetModeXPosition", kQzMethodSetter, kQzModeGetXPosition, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetXPosition, "Qz_GetModeXPosition", kQzMethodStoredGetter, kQzModeSetXPosition, nullptr, 0, "%ld", 0,
     0},
    {kQzModeSetYPosition, "Qz_SetModeYPosition", kQzMethodSetter, kQzModeGetYPosition, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetYPosition, "Qz_GetModeYPosition", kQzMethodStoredGetter, kQzModeSetYPosition, nullptr, 0, "%ld", 0,
     0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::number(99, kQzModeSetXPosition),
    qz::modes::number(100, kQzModeSetYPosition),
    qz::modes::button(205, kRadialBlurCentre),
    qz::modes::slider(115, kQzModeSetRadius, -255, 255, 30, "%ld"),
    qz::modes::slider(97, kQzModeSetQuality, 1, 100, 7, "%ld%%")};
constexpr qz::modes::PanelSpec kPanel{"RadialBlur", kPanelRows};

struct Qz_RadialBlurModeObject {
  Qz_Object header;
  std::atomic<bool> placed{false};  // a centre was set (by the user or object text)
};

QzWord Qz__RenderRadialBlur(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  if (size.depth != 8 && size.depth != 24) return 1;
  const qz::modes::RootSettings s = qz::modes::readRootSettings(object, kRanges);
  qz::modes::SharedBelow below(message);
  if (!below.ok()) return 0;
  const qz::modes::SourceView& view = below.view();
  const int32_t length = 6 * s.radius;
  uint8_t* const* outputs[4] = {message->r, message->g, message->b, message->grey};
  for (int c = size.depth == 24 ? 0 : 3; c < (size.depth == 24 ? 3 : 4); ++c)
    qz::modes::radialZoomChannel(outputs[c], view.table(c), block->x0, block->y0, block->x1, block->y1,
                                 view.width, view.height, length < 1 ? -length : length, s.xPosition,
                                 s.yPosition, s.quality, length >= 1);
  return 1;
}

// The layer's middle as the centre, shown in the panel's entries; not a
// placed centre, so a later layer moves it to its own middle.
QzWord Qz__CentreOnLayer(Qz_Object* object, const Qz_Image* layer) {
  if (!layer) return 0;
  const QzWord x[1] = {QzWord(layer->width / 2)}, y[1] = {QzWord(layer->height / 2)};
  qz::modes::inheritedInRange(object, kQzModeSetXPosition, x, kRanges);
  qz::modes::inheritedInRange(object, kQzModeSetYPosition, y, kRanges);
  return 1;
}

QzWord Qz__RadialBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* self = qz::kit::self<Qz_RadialBlurModeObject>(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderRadialBlur(object, qz::modes::renderMessage(args));
    case kQzModeSetImage: {
      const QzWord answer = qz::modes::inheritedInRange(object, id, args, kRanges);
      if (!self->placed.load()) Qz__CentreOnLayer(object, reinterpret_cast<const Qz_Image*>(args[0]));
      return answer;
    }
    case kRadialBlurCentre: {
      const auto* layer = reinterpret_cast<const Qz_Image*>(Qz_DoMethod(object, kQzModeGetImage));
      return Qz__CentreOnLayer(object, layer);
    }
    case kQzModeSetXPosition:
    case kQzModeSetYPosition: self->placed.store(true); [[fallthrough]];
    default: return qz::modes::inheritedInRange(object, id, args, kRanges);
  }
}

bool Qz__SetUpRadialBlur(Qz_Object* object) {
  qz::modes::buildPanel(object, kPanel);
  Qz_DoMethod(object, kQzModeSetRadius, 30);
  Qz_DoMethod(object, kQzModeSetQuality, 7);
  return true;
}

const qz::kit::ClassDecl kRadialBlurMode = {
    .name = "RadialBlurMode", .superName = "RootMode", .classId = kRadialBlurModeClassId,
    .instance = qz::kit::instanceOf<Qz_RadialBlurModeObject>(), .handler = Qz__RadialBlurDispatch,
    .methods = kMethods, .setUp = Qz__SetUpRadialBlur};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRadialBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRadialBlurMode); }
QZ_EXPORT void Qz_CleanupRadialBlurModeClass(void) { qz::kit::removeClass(kRadialBlurMode); }
QZ_EXTERN_C_END
