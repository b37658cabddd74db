// MakeSeamlessMode: blends the columns near the left edge towards the last
// column and those near the right edge towards the first, so the picture
// tiles side by side. The width is a number of columns, at most 100: wider,
// the left zone's weights would turn negative.
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/rank_filters.h"

namespace {

constexpr uint32_t kMakeSeamlessModeClassId = 0x816;
constexpr uint32_t kSetWidth = 0x820, kGetWidth = 0x82A;

struct Qz_MakeSeamlessModeObject {
  Qz_Object header;
  int16_t width = 40;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetWidth, .getter = kGetWidth, .minimum = 1, .maximum = 100, .initial = 40,
     .field = qz::kit::field(&Qz_MakeSeamlessModeObject::width), .changed = qz::modes::ownSettingChanged},
};

// The width counts columns, so the slider shows a plain number.
constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(88, kSetWidth, 1, 100, 40, "%ld")};
constexpr qz::modes::PanelSpec kPanel{"MakeSeamless", kPanelRows};

QzWord Qz__RenderMakeSeamless(Qz_MakeSeamlessModeObject* self, const Qz_ModeRenderMessage* message) {
  const int32_t w = qz::modes::loadSetting(self->width);
  qz::modes::rank::Plane planes[3];
  const int planeCount = qz::modes::rank::blockPlanes(message, planes);
  if (planeCount == 0) return 1;
  const Qz_ImageLock* block = message->block;
  const int32_t last = qz::modes::modeSize(block).width - 1;
  // The block's own pixels, and the image's first and last columns beside it.
  Qz_ImageLock firstLock{}, lastLock{};
  qz::modes::SpareFetch first(&firstLock, block->image, block->layer, {0, block->y0, 0, block->y1});
  qz::modes::SpareFetch lastColumn(&lastLock, block->image, block->layer, {last, block->y0, last, block->y1});
  if (!first.ok() || !lastColumn.ok()) return 0;
  const qz::modes::SourceView own = qz::modes::viewOf(block);
  for (int p = 0; p < planeCount; ++p) {
    const int ch = planes[p].channel;
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      const int32_t p0 = first.view().at(ch, 0, y), pLast = lastColumn.view().at(ch, last, y);
      const qz::modes::SourceRow row = own.row(ch, y);
      uint8_t* out = planes[p].dst[y - block->y0];
      for (int32_t x = block->x0; x <= block->x1; ++x) {
        const int32_t px = row[x];
        int32_t v = px;
        if (x < w) {
          const int32_t t = x * x / 100;
          v = (pLast * (w - t) + px * t) / w;
        } else if (x > last - w) {
          const int32_t t = last - x;
          v = (p0 * (w - t) + px * t) / w;
        }
        out[x - block->x0] = uint8_t(v);
      }
    }
  }
  return 1;
}

QzWord Qz__MakeSeamlessModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return Qz__RenderMakeSeamless(qz::kit::self<Qz_MakeSeamlessModeObject>(object), qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kMakeSeamlessMode = {
    .name = "MakeSeamlessMode", .superName = "RootMode", .classId = kMakeSeamlessModeClassId,
    .instance = qz::kit::instanceOf<Qz_MakeSeamlessModeObject>(), .handler = Qz__MakeSeamlessModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMakeSeamlessModeClass(Qz_GlobalData*) { return qz::kit::addClass(kMakeSeamlessMode); }
QZ_EXPORT void Qz_CleanupMakeSeamlessModeClass(void) { qz::kit::removeClass(kMakeSeamlessMode); }
QZ_EXTERN_C_END
