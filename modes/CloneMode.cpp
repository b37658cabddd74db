// CloneMode: where the layer is painted, the data below it shifted by an X
// and a Y offset, its edges repeated beyond the image or, with wrap-around,
// rolled round it. The clone tool sets the offsets (quietly, then re-renders
// once itself). RollMode is this mode made with offsets (20, 20) and wrap.
// The settings are not stored as object text: files never held them.
#include <algorithm>
#include <atomic>

#include "image/image_internal.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_clone_mode.h"

namespace {

struct Qz_CloneModeObject {
  Qz_Object header;
  // X in the low word, Y in the high: a render reads both at once, so it
  // never pairs a new X with an old Y.
  std::atomic<uint64_t> offset{0};
  int32_t wrap = 0;
  int32_t quiet = 0;
};

Qz_CloneModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_CloneModeObject>(object); }

struct Qz_CloneOffset {
  int32_t x = 0, y = 0;
};
Qz_CloneOffset Qz__Unpack(uint64_t word) { return {int32_t(uint32_t(word)), int32_t(uint32_t(word >> 32))}; }
uint64_t Qz__Pack(Qz_CloneOffset o) { return uint64_t(uint32_t(o.x)) | uint64_t(uint32_t(o.y)) << 32; }

Qz_Image* Qz__Layer(Qz_Object* object) {
  return reinterpret_cast<Qz_Image*>(Qz_DoMethod(object, kQzModeGetImage));
}

// The layer shows otherwise from its next render on: what caches the data
// below it must not serve the old picture.
void Qz__NoteChange(Qz_Object* object) {
  if (Qz_Image* layer = Qz__Layer(object)) Qz_NoteImageChange(layer);
}

QzWord Qz__SetOffset(Qz_CloneModeObject* self, uint32_t setter, int32_t value) {
  const bool isX = setter == kQzCloneSetX;
  uint64_t was = self->offset.load();
  Qz_CloneOffset next;
  do {
    next = Qz__Unpack(was);
    if ((isX ? next.x : next.y) == value) return uint32_t(value);
    (isX ? next.x : next.y) = value;
  } while (!self->offset.compare_exchange_weak(was, Qz__Pack(next)));
  Qz_DoNotify(&self->header, setter, QzWord(uint32_t(value)));  // the panel's field shows it
  if (qz::modes::loadSetting(self->quiet))
    Qz__NoteChange(&self->header);
  else
    qz::modes::ownSettingChanged(&self->header);
  return uint32_t(value);
}

void Qz__WrapChanged(Qz_Object* object) { Qz__NoteChange(object); }

const qz::kit::Attribute kSettings[] = {
    {.setter = kQzCloneSetWrap, .getter = kQzCloneGetWrap, .minimum = 0, .maximum = 1,
     .field = qz::kit::field(&Qz_CloneModeObject::wrap), .changed = Qz__WrapChanged},
    {.setter = kQzCloneSetQuiet, .getter = kQzCloneGetQuiet, .minimum = 0, .maximum = 1,
     .field = qz::kit::field(&Qz_CloneModeObject::quiet)},
};

// Catalogue texts of the two fields' labels (the title is the mode's name, text 98).
constexpr uint32_t kXText = 99, kYText = 100;

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::row(), qz::modes::text(kXText), qz::modes::number({}, kQzCloneSetX), qz::modes::end(),
    qz::modes::row(), qz::modes::text(kYText), qz::modes::number({}, kQzCloneSetY), qz::modes::end()};
constexpr qz::modes::PanelSpec kPanel{"Clone", kPanelRows};

// v brought into 0 .. size - 1 (size > 0).
int32_t Qz__Wrapped(int64_t v, int32_t size) {
  const int64_t m = v % size;
  return int32_t(m < 0 ? m + size : m);
}

QzWord Qz__RenderClone(Qz_CloneModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image) return 1;
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  if (size.depth != 24 || block->y0 > block->y1 || block->x0 > block->x1 || size.width <= 0 || size.height <= 0)
    return 1;
  const Qz_CloneOffset offset = Qz__Unpack(self->offset.load());
  const bool wrap = qz::modes::loadSetting(self->wrap) != 0;
  const int32_t x0 = block->x0, x1 = block->x1;
  const int32_t W = size.width, H = size.height;
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t out = y - block->y0;
    uint8_t* const dst[3] = {message->r[out], message->g[out], message->b[out]};
    // Only the shifted row is fetched: one run clamped, at most two wrapped
    // (the block lies within the image, so its shifted columns cross the
    // edge at most once).
    const int32_t sy = wrap ? Qz__Wrapped(int64_t(y) - offset.y, H)
                            : int32_t(std::clamp<int64_t>(int64_t(y) - offset.y, 0, H - 1));
    int32_t x = x0;
    while (x <= x1) {
      int32_t first, last;
      if (wrap) {
        first = Qz__Wrapped(int64_t(x) - offset.x, W);
        last = int32_t(std::min<int64_t>(int64_t(first) + (x1 - x), W - 1));
      } else {
        first = int32_t(std::clamp<int64_t>(int64_t(x) - offset.x, 0, W - 1));
        last = int32_t(std::clamp<int64_t>(int64_t(x1) - offset.x, 0, W - 1));
      }
      qz::modes::SpareFetch row(message, {first, sy, last, sy});
      if (!row.ok()) {
        qz::modes::copySourceToOutput(message);
        return 1;
      }
      const qz::modes::SourceView& view = row.view();
      if (wrap) {
        const int32_t count = last - first + 1;
        for (int c = 0; c < 3; ++c) std::copy_n(view.row(c, sy).from(first, count), count, dst[c] + (x - x0));
        x += count;
      } else {
        for (int c = 0; c < 3; ++c) {
          const qz::modes::SourceRow from = view.row(c, sy);
          for (int32_t i = x; i <= x1; ++i)
            dst[c][i - x0] = from[int32_t(std::clamp<int64_t>(int64_t(i) - offset.x, first, last))];
        }
        x = x1 + 1;
      }
    }
  }
  return 1;
}

QzWord Qz__CloneDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_CloneModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderClone(self, qz::modes::renderMessage(args));
    case kQzCloneSetX:
    case kQzCloneSetY: return Qz__SetOffset(self, id, int32_t(uint32_t(args[0])));
    case kQzCloneGetX: return uint32_t(Qz__Unpack(self->offset.load()).x);
    case kQzCloneGetY: return uint32_t(Qz__Unpack(self->offset.load()).y);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUpClone(Qz_Object* object) {
  qz::modes::buildPanel(object, kPanel);
  return true;
}

const qz::kit::ClassDecl kCloneMode = {
    .name = "CloneMode", .superName = "RootMode", .classId = kQzCloneModeClassId,
    .instance = qz::kit::instanceOf<Qz_CloneModeObject>(), .handler = Qz__CloneDispatch,
    .attributes = kSettings, .setUp = Qz__SetUpClone};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCloneModeClass(Qz_GlobalData*) { return qz::kit::addClass(kCloneMode); }
QZ_EXPORT void Qz_CleanupCloneModeClass(void) { qz::kit::removeClass(kCloneMode); }
QZ_EXTERN_C_END
