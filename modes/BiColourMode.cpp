// BiColourMode: maps the layer's own pixels between two colours, the paint
// colour where the layer is full and a second colour where it is empty. Its
// panel, a table of two colour editors, edits both colours; it answers the
// render method, the second-colour setter and (before passing it on) the
// layer hand-over.
#include <algorithm>
#include <atomic>

#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "objects/qz_notify.h"

namespace {

constexpr uint32_t kBiColourModeClassId = 0x804;
constexpr uint32_t kFirstTitleEntry = 92, kSecondTitleEntry = 93;

struct Qz_BiColourModeObject {
  Qz_Object header;
  std::atomic<uint32_t> second{0};  // read by render; red | green << 8 | blue << 16
};

Qz_BiColourModeObject* Qz__Self(Qz_Object* object) {
  return reinterpret_cast<Qz_BiColourModeObject*>(object);
}

// The first editor sets the layer's paint colour, the second the mode's own.
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::column(kFirstTitleEntry, 1), qz::modes::colour(kQzImageSetColour, qz::modes::PanelTarget::Layer),
    qz::modes::end(),
    qz::modes::column(kSecondTitleEntry, 1), qz::modes::colour(kQzImageSetColour), qz::modes::end()};
constexpr qz::modes::PanelSpec kPanel{"BiColour", kPanelRows};

// The layer handed over: the first editor shows its paint colour.
QzWord Qz__SetModeImage(Qz_BiColourModeObject* self, Qz_Image* layer, const QzWord* args) {
  if (layer) {
    const uint8_t* k = layer->committedColour;
    qz::modes::showInPanel(&self->header, kQzImageSetColour, uint32_t(k[0] | k[1] << 8 | k[2] << 16),
                           qz::modes::PanelTarget::Layer);
  }
  return Qz_DoMethodA(self->header.super, kQzModeSetImage, args);
}

QzWord Qz__SetSecondColour(Qz_BiColourModeObject* self, QzWord colour) {
  const uint32_t second = uint32_t(colour) & 0xFFFFFF;
  if (self->second.exchange(second) != second) Qz_DoNotify(&self->header, kQzImageSetColour, second);
  Qz_DoMethod(self->header.super, kQzModeChanged);
  return 0;
}

QzWord Qz__RenderBiColour(Qz_BiColourModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  const Qz_Image* layer = lock ? lock->layer : nullptr;
  if (!lock || !lock->image) return 1;
  const bool grey = layer && layer->depth == 8 && layer->grey;
  const bool colour = layer && layer->depth == 24 && layer->r && layer->g && layer->b;
  if (lock->image->depth == 24 && !grey && !colour) return 1;
  const uint8_t* k = qz::modes::paintColour(lock);
  const int32_t paint[3] = {k[0], k[1], k[2]};
  const uint32_t secondWord = self->second.load();
  const int32_t second[3] = {int32_t(secondWord & 0xFF), int32_t((secondWord >> 8) & 0xFF),
                             int32_t((secondWord >> 16) & 0xFF)};
  int32_t row = lock->y0;
  return qz::modes::renderRows(message, 0, [&](const uint8_t* const src[3],
                                               uint8_t* const dst[3], int32_t count) {
    const int32_t ly = row++ - layer->placement.layerY;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t lx = lock->x0 + i - layer->placement.layerX;
      if (ly < 0 || ly >= layer->height || lx < 0 || lx >= layer->width) {
        for (int c = 0; c < 3; ++c) dst[c][i] = src[c][i];  // outside the layer: unchanged
        continue;
      }
      if (grey) {
        const int32_t g = layer->grey[ly][lx];
        for (int c = 0; c < 3; ++c)
          dst[c][i] = uint8_t(((paint[c] * g + second[c] * (255 - g) + 1) * 257) >> 16);
      } else {
        const Qz_Plane planes[3] = {layer->r, layer->g, layer->b};
        for (int c = 0; c < 3; ++c) {
          const int32_t v = planes[c][ly][lx];
          const int32_t q = (v * v) >> 8, q2 = (q * q) >> 8;
          dst[c][i] = uint8_t(std::min(255, q2 + paint[c]));
        }
      }
    }
  });
}

QzWord Qz__BiColourModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_BiColourModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderBiColour(self, qz::modes::renderMessage(args));
    case kQzImageSetColour: return Qz__SetSecondColour(self, args[0]);
    case kQzModeSetImage:
      return Qz__SetModeImage(self, reinterpret_cast<Qz_Image*>(args[0]), args);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kBiColourMode = {
    .name = "BiColourMode", .superName = "RootMode", .classId = kBiColourModeClassId,
    .instance = qz::kit::instanceOf<Qz_BiColourModeObject>(), .handler = Qz__BiColourModeDispatch,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBiColourModeClass(Qz_GlobalData*) { return qz::kit::addClass(kBiColourMode); }
QZ_EXPORT void Qz_CleanupBiColourModeClass(void) { qz::kit::removeClass(kBiColourMode); }
QZ_EXTERN_C_END
