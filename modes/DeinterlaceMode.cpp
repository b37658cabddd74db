// DeinterlaceMode: rebuilds the lines of one field of an interlaced picture
// from their neighbours: each pair of lines blended, the even lines
// replaced by the line above, or the odd lines by the line below.
#include <algorithm>

#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kDeinterlaceModeClassId = 0x816;
constexpr uint32_t kSetMethod = 0x820;
constexpr int32_t kBlend = 0, kEvenFromAbove = 1, kOddFromBelow = 2;

struct Qz_DeinterlaceModeObject {
  Qz_Object header;
  int32_t method = kBlend;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetMethod, .minimum = kBlend, .maximum = kOddFromBelow, .initial = kBlend,
     .field = qz::kit::field(&Qz_DeinterlaceModeObject::method), .changed = qz::modes::ownSettingChanged},
};

// Blend, rebuild the even lines, rebuild the odd lines.
constexpr qz::modes::PanelLabel kMethods[] = {105, 234, 235};
constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::popUpList({}, kSetMethod, kMethods, kBlend)};
constexpr qz::modes::PanelSpec kPanel{"Deinterlace", kPanelRows};

// The row that row y becomes (blend: the row it is blended with).
int32_t Qz__PartnerRow(int32_t method, int32_t y, int32_t height) {
  const bool even = y % 2 == 0;
  switch (method) {
    case kEvenFromAbove: return even ? std::max(y - 1, 0) : y;
    case kOddFromBelow: return even ? y : std::min(y + 1, height - 1);
    default: return even ? std::min(y + 1, height - 1) : y - 1;
  }
}

QzWord Qz__RenderDeinterlace(Qz_DeinterlaceModeObject* self, const Qz_ModeRenderMessage* message) {
  const int32_t method = qz::modes::loadSetting(self->method);
  const Qz_ImageLock* block = message ? message->block : nullptr;
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  if (size.depth != 24 || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  qz::modes::SpareFetch below(message, {block->x0, std::max(block->y0 - 1, 0), block->x1,
                                        std::min(block->y1 + 1, size.height - 1)});
  if (!below.ok()) return 1;
  const qz::modes::SourceView& view = below.view();
  const int32_t count = block->x1 - block->x0 + 1;
  uint8_t* const* dst[3] = {message->r, message->g, message->b};
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t partner = Qz__PartnerRow(method, y, size.height);
    for (int c = 0; c < 3; ++c) {
      const uint8_t* own = view.row(c, y).from(block->x0, count);
      const uint8_t* other = view.row(c, partner).from(block->x0, count);
      uint8_t* out = dst[c][y - block->y0];
      for (int32_t i = 0; i < count; ++i) out[i] = method == kBlend ? uint8_t((own[i] + other[i]) >> 1) : other[i];
    }
  }
  return 1;
}

QzWord Qz__DeinterlaceModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return Qz__RenderDeinterlace(qz::kit::self<Qz_DeinterlaceModeObject>(object), qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kDeinterlaceMode = {
    .name = "DeinterlaceMode", .superName = "RootMode", .classId = kDeinterlaceModeClassId,
    .instance = qz::kit::instanceOf<Qz_DeinterlaceModeObject>(), .handler = Qz__DeinterlaceModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDeinterlaceModeClass(Qz_GlobalData*) { return qz::kit::addClass(kDeinterlaceMode); }
QZ_EXPORT void Qz_CleanupDeinterlaceModeClass(void) { qz::kit::removeClass(kDeinterlaceMode); }
QZ_EXTERN_C_END
