// DisplaceMapMode: where the layer is painted, the data below taken from a
// point moved along an angle by the value of a map (the layer's secondary
// picture, else the data below itself), then brightened or darkened by the
// map as far as the bright-map weight asks. The map is its green plane, or
// with the per-channel flag each channel's own plane. The settings are not
// stored as object text: files never held them.
#include <algorithm>
#include <cmath>

#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_displace_map_mode.h"
#include "modes/rub_combine.h"

namespace {

struct Qz_DisplaceMapModeObject {
  Qz_Object header;
  int32_t angle = 135, strength = 20, brightMap = 128, perChannel = 0;
};

const qz::kit::Attribute kSettings[] = {
    {.setter = kQzDisplaceSetAngle, .getter = kQzDisplaceGetAngle, .minimum = INT16_MIN, .maximum = INT16_MAX,
     .initial = 135, .field = qz::kit::field(&Qz_DisplaceMapModeObject::angle),
     .changed = qz::modes::ownSettingChanged, .answersZero = true},
    // A negative strength would turn the fetched rectangle inside out.
    {.setter = kQzDisplaceSetStrength, .getter = kQzDisplaceGetStrength, .minimum = 0, .maximum = 255,
     .initial = 20, .field = qz::kit::field(&Qz_DisplaceMapModeObject::strength),
     .changed = qz::modes::ownSettingChanged, .answersZero = true},
    {.setter = kQzDisplaceSetBrightMap, .getter = kQzDisplaceGetBrightMap, .minimum = 0, .maximum = 255,
     .initial = 128, .field = qz::kit::field(&Qz_DisplaceMapModeObject::brightMap),
     .changed = qz::modes::ownSettingChanged, .answersZero = true},
    {.setter = kQzDisplaceSetPerChannel, .getter = kQzDisplaceGetPerChannel, .minimum = 0, .maximum = 1,
     .field = qz::kit::field(&Qz_DisplaceMapModeObject::perChannel), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
};

// Catalogue texts: angle, strength and the per-channel box ("Colour").
constexpr uint32_t kAngleText = 91, kStrengthText = 115, kPerChannelText = 14;

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::text(kAngleText),
    qz::modes::angle({}, kQzDisplaceSetAngle, 135),
    qz::modes::slider(kStrengthText, kQzDisplaceSetStrength, 0, 255, 20, "%ld"),
    qz::modes::slider("BrightMap", kQzDisplaceSetBrightMap, 0, 255, 128, "%ld"),
    qz::modes::space(),
    qz::modes::checkBox(kPerChannelText, kQzDisplaceSetPerChannel)};
constexpr qz::modes::PanelSpec kPanel{"DisplaceMap", kPanelRows};

// The result of sample b under map value m with bright-map weight g.
uint8_t Qz__Brighten(int32_t b, int32_t m, int32_t g) {
  const int32_t v = (((b + m - 128) * g + (255 - g) * b + 1) * 257) >> 16;
  return uint8_t(std::clamp(v, 0, 255));
}

QzWord Qz__RenderDisplace(Qz_DisplaceMapModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->y0 > block->y1 || block->x0 > block->x1) return 1;
  qz::modes::copySourceToOutput(message);  // what shows off the map, on a grey document, or when a fetch fails
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  if (size.depth != 24 || size.width <= 0 || size.height <= 0) return 1;
  const int32_t strength = std::clamp(qz::modes::loadSetting(self->strength), 0, 255);
  const int32_t g = std::clamp(qz::modes::loadSetting(self->brightMap), 0, 255);
  const bool perChannel = qz::modes::loadSetting(self->perChannel) != 0;
  const double a = (qz::modes::loadSetting(self->angle) + 90) * 0.017453292519943295;
  const int32_t cx = int32_t(std::floor(1025 * std::cos(a))), cy = int32_t(std::floor(1025 * std::sin(a)));
  const int32_t sx = cx * strength / 256, sy = cy * strength / 256;

  const qz::modes::SecondaryPicture picture(block, qz::modes::SecondaryPicture::Fallback::DataBelow);
  const int32_t x0 = block->x0, x1 = block->x1, y0 = block->y0, y1 = block->y1;
  qz::modes::SpareFetch mapFetch(picture, picture.fetchRect(x0, y0, x1, y1));
  if (!mapFetch.ok()) return 1;
  // Every displaced sample lies within the strength of its pixel.
  const qz::modes::FetchRect around{std::clamp(x0 - strength, 0, size.width - 1),
                                    std::clamp(y0 - strength, 0, size.height - 1),
                                    std::clamp(x1 + strength, 0, size.width - 1),
                                    std::clamp(y1 + strength, 0, size.height - 1)};
  qz::modes::SpareFetch belowFetch(message, around);
  if (!belowFetch.ok()) return 1;
  const qz::modes::SourceView& below = belowFetch.view();
  const qz::modes::SourceView& map = mapFetch.view();
  for (int32_t y = y0; y <= y1; ++y) {
    const qz::modes::ColumnSpan span = picture.overlap(y, x0, x1);
    if (span.empty()) continue;
    const int32_t out = y - y0;
    uint8_t* const dst[3] = {message->r[out], message->g[out], message->b[out]};
    const int32_t py = picture.pictureY(y);
    for (int c = 0; c < 3; ++c) {
      const qz::modes::SourceRow m = map.row(perChannel ? c : 1, py);
      for (int32_t x = span.first; x <= span.last; ++x) {
        const int32_t v = m[picture.pictureX(x)];
        const int32_t bx = std::clamp(x + ((sx * v) >> 10), around.x0, around.x1);
        const int32_t by = std::clamp(y + ((sy * v) >> 10), around.y0, around.y1);
        dst[c][x - x0] = Qz__Brighten(below.at(c, bx, by), v, g);
      }
    }
  }
  return 1;
}

QzWord Qz__DisplaceDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return Qz__RenderDisplace(qz::kit::self<Qz_DisplaceMapModeObject>(object), qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kDisplaceMapMode = {
    .name = "DisplaceMapMode", .superName = "RootMode", .classId = kQzDisplaceMapClassId,
    .instance = qz::kit::instanceOf<Qz_DisplaceMapModeObject>(), .handler = Qz__DisplaceDispatch,
    .attributes = kSettings, .superTags = qz::modes::kRubFlagTags, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDisplaceMapModeClass(Qz_GlobalData*) { return qz::kit::addClass(kDisplaceMapMode); }
QZ_EXPORT void Qz_CleanupDisplaceMapModeClass(void) { qz::kit::removeClass(kDisplaceMapMode); }
QZ_EXTERN_C_END
