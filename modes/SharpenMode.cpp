// SharpenMode: a convolve mode with one amount. At radius 1 it runs its own
// 3 by 3 sharpen blended with the source; at other radii it fills the
// inherited matrix (every weight -amount, the centre 150) and lets the
// convolve mode render. Answers the amount and radius methods and the
// render method; the rest goes to its ConvolveMode.
#include <atomic>
#include <mutex>

#include "modes/convolve_kernels.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_convolve_mode.h"

namespace {

constexpr int32_t kCentreWeight = 150;
// 2 x 3 + 1 = 7, the widest matrix the convolve mode takes.
constexpr int32_t kMaxRadius = 3;

struct Qz_SharpenModeObject {
  Qz_Object header;
  int16_t amount = 0, radius = 0;    // kit attribute rows
  std::atomic<bool> rebuild{true};  // the inherited matrix must be refilled before the next render
};

Qz_SharpenModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_SharpenModeObject>(object); }

// Both settings shape the inherited matrix.
void Qz__MatrixSettingChanged(Qz_Object* object) {
  Qz__Self(object)->rebuild.store(true);
  qz::modes::ownSettingChanged(object);
}

const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzSharpenSetAmount, .getter = kQzSharpenGetAmount, .minimum = 0, .maximum = 100, .initial = 25,
     .field = qz::kit::field(&Qz_SharpenModeObject::amount), .changed = Qz__MatrixSettingChanged},
    {.setter = kQzSharpenSetRadius, .getter = kQzSharpenGetRadius, .minimum = 0, .maximum = kMaxRadius,
     .initial = 1, .field = qz::kit::field(&Qz_SharpenModeObject::radius), .changed = Qz__MatrixSettingChanged},
};

// Refills the inherited matrix in one hold of its lock, so no strip's
// snapshot sees it half filled. The settings are read after the flag is
// taken: a change made since the render began is then not lost.
void Qz__RefillMatrix(Qz_SharpenModeObject* self) {
  if (!self->rebuild.load()) return;
  Qz_Object* convolve = self->header.super;
  auto* lock = reinterpret_cast<std::recursive_mutex*>(Qz_DoMethod(convolve, kQzConvolveMatrixLock));
  if (!lock) return;
  std::lock_guard<std::recursive_mutex> hold(*lock);
  if (!self->rebuild.exchange(false)) return;
  const int32_t amount = qz::modes::loadSetting(self->amount);
  const int32_t radius = qz::modes::loadSetting(self->radius);
  Qz_DoMethod(convolve, kQzConvolveSetMatrixSize, uint32_t(2 * radius + 1));
  Qz_DoMethod(convolve, kQzConvolveSetMatrixAll, uint32_t(uint16_t(int16_t(-amount))));
  Qz_DoMethod(convolve, kQzConvolveSetMatrixEntry, uint32_t(radius), uint32_t(radius), uint32_t(kCentreWeight));
}

QzWord Qz__RenderSharpen(Qz_SharpenModeObject* self, const QzWord* args) {
  const Qz_ModeRenderMessage* message = qz::modes::renderMessage(args);
  Qz__RefillMatrix(self);
  const int32_t amount = qz::modes::loadSetting(self->amount);
  const int32_t radius = qz::modes::loadSetting(self->radius);
  if (radius != 1) return Qz_DoMethodA(self->header.super, kQzModeRender, args);
  qz::modes::PlaneBlock b;
  int32_t depth = 0;
  if (!qz::modes::planeBlockOf(message, &b, &depth)) return 1;
  const int32_t factor = qz::modes::sharpenFactor(amount);
  const qz::modes::FetchRect reach{std::max(b.x0 - 1, 0), b.y0 - 1, std::min(b.x1 + 1, b.width - 1), b.y1 + 1};
  return qz::modes::renderEachPlane(message, depth, reach,
                                    [&](const qz::modes::SourceView& view, int channel, uint8_t* const* out) {
                                      qz::modes::sharpenPlane(view, channel, factor, b, out);
                                    });
}

QzWord Qz__SharpenDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_SharpenModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderSharpen(self, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

// Replaces the convolve mode's weight grid: the amount is what shapes it here.
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(88, kQzSharpenSetAmount, 0, 100, 25, "%ld%%")};
constexpr qz::modes::PanelSpec kPanel{"Convolve", kPanelRows};

const qz::kit::ClassDecl kSharpenMode = {
    .name = "SharpenMode", .superName = "ConvolveMode", .classId = kQzSharpenModeClassId,
    .instance = qz::kit::instanceOf<Qz_SharpenModeObject>(), .handler = Qz__SharpenDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSharpenModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSharpenMode); }
QZ_EXPORT void Qz_CleanupSharpenModeClass(void) { qz::kit::removeClass(kSharpenMode); }
QZ_EXTERN_C_END
