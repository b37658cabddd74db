// RubEmbossMode: the layer's secondary picture (the data below itself when
// the layer has none) plus a directional relief of the data below, and the
// paint colour when asked. It answers the render method and its four
// settings (strength, length in steps, light angle, colour), each setter
// answering 0, which its panel edits; every other id goes to its RootMode
// instance, whose flags 5 widen the picture's change notices to the layer's
// full width.
#include <vector>

#include "modes/direction.h"
#include "modes/mode_fetch.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

using qz::modes::SourceView;

struct Qz_RubEmbossModeObject {
  Qz_Object header;
  int16_t amount = 100;  // percent of the relief, -200..200
  int16_t length = 1;    // steps along the light, 1..128
  int16_t angle = 135;   // degrees
  int16_t useColour = 0;
};

qz::kit::Attribute Qz__Setting(uint32_t setter, uint32_t getter, int64_t minimum, int64_t maximum, int64_t initial,
                               int16_t Qz_RubEmbossModeObject::*member) {
  return {.setter = setter, .getter = getter, .minimum = minimum, .maximum = maximum, .initial = initial,
          .field = qz::kit::field(member), .changed = qz::modes::ownSettingChanged, .answersZero = true};
}

const qz::kit::Attribute kSettings[] = {
    Qz__Setting(kQzRubEmbossSetAmount, kQzRubEmbossGetAmount, -200, 200, 100, &Qz_RubEmbossModeObject::amount),
    Qz__Setting(kQzRubEmbossSetLength, kQzRubEmbossGetLength, 1, 128, 1, &Qz_RubEmbossModeObject::length),
    // Any angle: the light turns full circle.
    Qz__Setting(kQzRubEmbossSetAngle, kQzRubEmbossGetAngle, 0, 0, 135, &Qz_RubEmbossModeObject::angle),
    Qz__Setting(kQzRubEmbossSetColour, kQzRubEmbossGetColour, 0, 1, 0, &Qz_RubEmbossModeObject::useColour),
};

// Catalogue texts of the panel's labels.
constexpr uint32_t kAngleText = 91, kLengthText = 89, kAmountText = 88, kColourText = 14;
// A small fixed gap: a stretching space would push the last gadget to the panel's foot.
constexpr int32_t kGap = 8;

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::angle(kAngleText, kQzRubEmbossSetAngle, 135),
    // Whole steps: a half-step format would show one step as "1.5".
    qz::modes::slider(kLengthText, kQzRubEmbossSetLength, 1, 128, 1, "%ld"),
    qz::modes::slider(kAmountText, kQzRubEmbossSetAmount, -200, 200, 100, "%ld"),
    qz::modes::space(kGap),
    qz::modes::checkBox(kColourText, kQzRubEmbossSetColour)};
constexpr qz::modes::PanelSpec kPanel{"RubEmboss", kPanelRows};

struct Qz_EmbossSettings {
  int32_t factor, length;
  qz::modes::Direction direction;
  bool useColour;
};

Qz_EmbossSettings Qz__Snapshot(const Qz_RubEmbossModeObject* self) {
  using qz::modes::loadSetting;
  const int32_t length = std::clamp<int32_t>(loadSetting(self->length), 1, 128);
  const int32_t amount = std::clamp<int32_t>(loadSetting(self->amount), -200, 200);
  return {qz::modes::reliefFactor(amount), length, qz::modes::directionCeilSnap(loadSetting(self->angle)),
          loadSetting(self->useColour) != 0};
}

// The relief of one channel over columns first .. first + count - 1 of row
// y: for each step, the pixel behind the light minus the one ahead, their
// columns and rows limited to the image.
void Qz__ReliefSums(const SourceView& below, int channel, int32_t y, int32_t first, int32_t count,
                    const Qz_EmbossSettings& s, int32_t* sums) {
  std::fill(sums, sums + count, 0);
  for (int32_t k = s.length; k >= 1; --k) {
    const int32_t ox = s.direction.stepX(k), oy = s.direction.stepY(k);
    const qz::modes::SourceRow behind = below.row(channel, below.clampY(y - oy));
    const qz::modes::SourceRow ahead = below.row(channel, below.clampY(y + oy));
    for (int32_t i = 0; i < count; ++i) {
      const int32_t x = first + i;
      sums[i] += int32_t(behind[below.clampX(x - ox)]) - int32_t(ahead[below.clampX(x + ox)]);
    }
  }
}

QzWord Qz__RenderRubEmboss(Qz_RubEmbossModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->y0 > block->y1 || block->x0 > block->x1) return 1;
  qz::modes::copySourceToOutput(message);  // what shows off the picture, or on a grey document
  if (block->image->depth != 24) return 1;
  const Qz_EmbossSettings s = Qz__Snapshot(self);
  const qz::modes::SecondaryPicture picture(block, qz::modes::SecondaryPicture::Fallback::DataBelow);
  const int32_t x0 = block->x0, x1 = block->x1;
  qz::modes::SpareFetch pictureFetch(picture, picture.fetchRect(x0, block->y0, x1, block->y1));
  if (!pictureFetch.ok()) return 1;
  // The relief reads the data below around each pixel, as far as the steps reach.
  const qz::modes::Reach reach = qz::modes::stepReach(s.direction, s.length);
  qz::modes::SpareFetch belowFetch(message, {x0 - reach.x, block->y0 - reach.y, x1 + reach.x, block->y1 + reach.y});
  if (!belowFetch.ok()) return 1;
  const SourceView& below = belowFetch.view();
  const SourceView& t = pictureFetch.view();
  const uint8_t* paint = qz::modes::paintColour(block);
  const int32_t colour[3] = {s.useColour ? paint[0] : 0, s.useColour ? paint[1] : 0, s.useColour ? paint[2] : 0};
  std::vector<int32_t> sums(size_t(x1 - x0 + 1));
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const qz::modes::ColumnSpan span = picture.overlap(y, x0, x1);
    if (span.empty()) continue;
    const int32_t count = span.count();
    uint8_t* const dst[3] = {message->r[y - block->y0], message->g[y - block->y0], message->b[y - block->y0]};
    for (int c = 0; c < 3; ++c) {
      Qz__ReliefSums(below, c, y, span.first, count, s, sums.data());
      const uint8_t* base = t.row(c, picture.pictureY(y)).from(picture.pictureX(span.first), count);
      uint8_t* d = dst[c] + (span.first - x0);
      // Limited in 32 bits: a strong edge must not wrap into shade.
      for (int32_t i = 0; i < count; ++i) d[i] = qz::modes::reliefShade(base[i] + colour[c], sums[i], s.factor);
    }
  }
  return 1;
}

QzWord Qz__RubEmbossDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return Qz__RenderRubEmboss(qz::kit::self<Qz_RubEmbossModeObject>(object), qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

// Combines with another image, and the relief reads around each pixel.
const TagItem kRubEmbossSuperTags[] = {{kQzModeSetFlags, kQzModeCombinesSource | kQzModeFullWidthNotices},
                                       {TAG_DONE, 0}};

const qz::kit::ClassDecl kRubEmbossMode = {
    .name = "RubEmbossMode", .superName = "RootMode", .classId = kQzRubPaintModeClassId,
    .instance = qz::kit::instanceOf<Qz_RubEmbossModeObject>(), .handler = Qz__RubEmbossDispatch,
    .attributes = kSettings, .superTags = kRubEmbossSuperTags, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubEmbossModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubEmbossMode); }
QZ_EXPORT void Qz_CleanupRubEmbossModeClass(void) { qz::kit::removeClass(kRubEmbossMode); }
QZ_EXTERN_C_END
