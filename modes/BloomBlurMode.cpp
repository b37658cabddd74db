// BloomBlurMode: a box blur in which bright samples weigh far more than
// the rest (above 200 a sample counts 21 v - 4000), so highlights spread
// into their surroundings. Its X and Y radii (0..255, 3 at first) and its
// density (1..100 %, 100 at first) are its own settings, behind its
// semaphore; they are not kept in object text.
#include <algorithm>

#include "modes/blur_kernels.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "platform/exec.h"

namespace {

constexpr uint32_t kBloomBlurModeClassId = 2448;
constexpr uint32_t kSetXRadius = 2458, kGetXRadius = 2468;
constexpr uint32_t kSetYRadius = 2478, kGetYRadius = 2488;
constexpr uint32_t kSetDensity = 2498, kGetDensity = 2508;

// The catalogue's "Blur", "X Radius", "Y Radius"; the density has no gadget.
constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(95, kSetXRadius, 0, 255, 3, "%ld.5"),
                                              qz::modes::slider(96, kSetYRadius, 0, 255, 3, "%ld.5")};
constexpr qz::modes::PanelSpec kPanel{"Blur", kPanelRows};

struct BloomSettings {
  int32_t rx = 3, ry = 3, density = 100;
};

struct Qz_BloomBlurModeObject {
  Qz_Object header;
  SignalSemaphore lock{};  // guards the settings, never the pixel work
  BloomSettings settings;
  Qz_BloomBlurModeObject() { InitSemaphore(&lock); }
  ~Qz_BloomBlurModeObject() { CleanupSemaphore(&lock); }
};

Qz_BloomBlurModeObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<Qz_BloomBlurModeObject*>(object); }

// Stores the value limited to its range and asks for a re-render; answers 0.
QzWord Qz__Set(Qz_Object* object, uint32_t id, int32_t BloomSettings::*field, int32_t minimum, int32_t maximum,
               QzWord value) {
  Qz_BloomBlurModeObject* self = Qz__Self(object);
  ObtainSemaphore(&self->lock);
  const int32_t stored = self->settings.*field = std::clamp(int32_t(uint32_t(value)), minimum, maximum);
  ReleaseSemaphore(&self->lock);
  qz::modes::showInPanel(object, id, uint32_t(stored));
  Qz_DoMethod(object->super, kQzModeChanged);
  return 0;
}

BloomSettings Qz__Snapshot(Qz_BloomBlurModeObject* self) {
  ObtainSemaphore(&self->lock);
  const BloomSettings s = self->settings;
  ReleaseSemaphore(&self->lock);
  return s;
}

QzWord Qz__Get(Qz_Object* object, int32_t BloomSettings::*field) {
  return QzWord(uint32_t(Qz__Snapshot(Qz__Self(object)).*field));
}

// The divisor: the taps of a lattice whose steps grow as the density falls,
// over the dx by dy window. Below 100 % it is smaller than the samples
// summed, which brightens the result.
uint32_t Qz__BloomDivisor(const BloomSettings& s) {
  const int32_t dx = 2 * s.rx + 1, dy = 2 * s.ry + 1, q = 100 - s.density;
  const int32_t columnStep = std::max(1, 2 * s.rx * q / 100), rowStep = std::max(1, (dy - 1) * q / 100);
  const int32_t columns = (dx + columnStep - 1) / columnStep, rows = (dy + rowStep - 1) / rowStep;
  return uint32_t(std::max(1, columns * rows));
}

QzWord Qz__RenderBloom(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const BloomSettings s = Qz__Snapshot(Qz__Self(object));
  const qz::modes::WindowSpec spec{s.rx, s.ry, Qz__BloomDivisor(s), qz::modes::WindowTransfer::Bloom};
  return qz::modes::renderWindowMean(object, message, spec);
}

QzWord Qz__BloomBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender: return Qz__RenderBloom(object, qz::modes::renderMessage(args));
    case kSetXRadius: return Qz__Set(object, id, &BloomSettings::rx, 0, 255, args[0]);
    case kSetYRadius: return Qz__Set(object, id, &BloomSettings::ry, 0, 255, args[0]);
    case kSetDensity: return Qz__Set(object, id, &BloomSettings::density, 1, 100, args[0]);
    case kGetXRadius: return Qz__Get(object, &BloomSettings::rx);
    case kGetYRadius: return Qz__Get(object, &BloomSettings::ry);
    case kGetDensity: return Qz__Get(object, &BloomSettings::density);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kBloomBlurMode = {
    .name = "BloomBlurMode", .superName = "RootMode", .classId = kBloomBlurModeClassId,
    .instance = qz::kit::instanceOf<Qz_BloomBlurModeObject>(), .handler = Qz__BloomBlurDispatch,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBloomBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kBloomBlurMode); }
QZ_EXPORT void Qz_CleanupBloomBlurModeClass(void) { qz::kit::removeClass(kBloomBlurMode); }
QZ_EXTERN_C_END
