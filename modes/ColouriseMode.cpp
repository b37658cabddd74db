// ColouriseMode: maps the brightness of what lies below through three
// tables built from a target colour: black to the target to near white. The
// target follows the paint colour until one is set with the own setters.
#include <algorithm>
#include <atomic>

#include "modes/mode_kit.h"
#include "modes/qz_colourise_mode.h"

namespace {

// State word values.
constexpr int32_t kFollowPaint = 0, kTargetJustSet = -1, kTargetInUse = 1;

struct Qz_ColouriseModeObject {
  Qz_Object header;
  std::atomic<uint32_t> target{0};  // red | green << 8 | blue << 16
  std::atomic<int32_t> state{kFollowPaint};
};

Qz_ColouriseModeObject* Qz__Self(Qz_Object* object) {
  return reinterpret_cast<Qz_ColouriseModeObject*>(object);
}

QzWord Qz__SetTarget(Qz_ColouriseModeObject* self, int channel, QzWord value) {
  const uint32_t shift = uint32_t(channel) * 8;
  const uint32_t byte = std::min<uint32_t>(uint32_t(value), 255) << shift;
  uint32_t old = self->target.load();
  while (!self->target.compare_exchange_weak(old, (old & ~(0xFFu << shift)) | byte)) {
  }
  self->state.store(kTargetJustSet);
  // No re-render is asked for, but the layer shows otherwise from its next one on.
  if (auto* layer = reinterpret_cast<Qz_Image*>(Qz_DoMethod(&self->header, kQzModeGetImage)))
    Qz_NoteImageChange(layer);
  return 0;
}

void Qz__BuildTable(uint8_t* table, int32_t t) {
  for (int32_t i = 0; i < 256; ++i)
    table[i] = uint8_t(i <= 127 ? t * i / 127 : std::min(255, t + (((255 - t) * (i - 128)) >> 7)));
}

// Strips of a pass render at once, so the tables are built per call (768
// bytes, little beside a row) and nothing render-made is kept in the mode.
void Qz__BuildTables(Qz_ColouriseModeObject* self, const uint8_t* paint, uint8_t tables[3][256]) {
  int32_t state = self->state.load();
  if (state == kTargetJustSet && self->state.compare_exchange_strong(state, kTargetInUse))
    state = kTargetInUse;
  uint8_t t[3];
  if (state == kFollowPaint) {
    t[0] = paint[0], t[1] = paint[1], t[2] = paint[2];
  } else {
    const uint32_t target = self->target.load();
    t[0] = uint8_t(target), t[1] = uint8_t(target >> 8), t[2] = uint8_t(target >> 16);
  }
  for (int c = 0; c < 3; ++c) Qz__BuildTable(tables[c], t[c]);
}

QzWord Qz__RenderColourise(Qz_ColouriseModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (!lock || !lock->image) return 1;
  uint8_t tables[3][256];
  Qz__BuildTables(self, qz::modes::paintColour(lock), tables);
  return qz::modes::renderRows(message, 0, [&](const uint8_t* const src[3],
                                               uint8_t* const dst[3], int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      const int32_t y = (307 * src[0][i] + 595 * src[1][i] + 122 * src[2][i]) >> 10;
      for (int c = 0; c < 3; ++c) dst[c][i] = tables[c][y];
    }
  });
}

QzWord Qz__ColouriseModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ColouriseModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderColourise(self, qz::modes::renderMessage(args));
    case kQzColouriseSetTargetRed: return Qz__SetTarget(self, 0, args[0]);
    case kQzColouriseSetTargetGreen: return Qz__SetTarget(self, 1, args[0]);
    case kQzColouriseSetTargetBlue: return Qz__SetTarget(self, 2, args[0]);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kColouriseMode = {
    .name = "ColouriseMode", .superName = "RootMode", .classId = kQzColouriseModeClassId,
    .instance = qz::kit::instanceOf<Qz_ColouriseModeObject>(),
    .handler = Qz__ColouriseModeDispatch};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColouriseModeClass(Qz_GlobalData*) { return qz::kit::addClass(kColouriseMode); }
QZ_EXPORT void Qz_CleanupColouriseModeClass(void) { qz::kit::removeClass(kColouriseMode); }
QZ_EXTERN_C_END
