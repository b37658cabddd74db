// ChannelFlipMode: mirrors red, green and blue each on its own, left to
// right, top to bottom, both or not at all, about the whole image.
#include <atomic>
#include <vector>

#include "modes/channel_modes.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "objects/qz_notify.h"

namespace {

using qz::modes::channel::kMirrorX;
using qz::modes::channel::kMirrorY;

constexpr uint32_t kChannelFlipModeClassId = 0x814;

// Per channel (red, green, blue): the left-right setter, the top-bottom
// setter, and the two getters of the flag word.
struct ChannelIds {
  uint32_t setX, setY, getA, getB;
};
constexpr ChannelIds kIds[3] = {{2078, 2098, 2088, 2108}, {2118, 2138, 2128, 2148}, {2158, 2178, 2168, 2188}};

struct Qz_ChannelFlipModeObject {
  Qz_Object header;
  int32_t flags[3] = {kMirrorX, kMirrorY, kMirrorX | kMirrorY};
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::row(84), qz::modes::checkBox(289, kIds[0].setX, true), qz::modes::checkBox(290, kIds[0].setY, false),
    qz::modes::end(),
    qz::modes::row(85), qz::modes::checkBox(289, kIds[1].setX, false), qz::modes::checkBox(290, kIds[1].setY, true),
    qz::modes::end(),
    qz::modes::row(86), qz::modes::checkBox(289, kIds[2].setX, true), qz::modes::checkBox(290, kIds[2].setY, true),
    qz::modes::end()};
constexpr qz::modes::PanelSpec kPanel{"ChannelFlip", kPanelRows};

QzWord Qz__RenderChannelFlip(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const auto* self = qz::kit::self<Qz_ChannelFlipModeObject>(object);
  qz::modes::rank::Plane planes[3];
  const int count = qz::modes::rank::blockPlanes(message, planes);
  if (count == 0) return 1;
  // A grey image has no channels to flip: it shows as it is.
  if (count == 1) {
    qz::modes::copySourceToOutput(message);
    return 1;
  }
  int flags[3];
  for (int c = 0; c < 3; ++c) flags[c] = qz::modes::loadSetting(self->flags[c]) & (kMirrorX | kMirrorY);
  // One fetch per distinct mirror, of that mirror's rectangle alone.
  for (int f = 0; f < 4; ++f) {
    std::vector<qz::modes::rank::Plane> chosen;
    for (int c = 0; c < 3; ++c)
      if (flags[c] == f) chosen.push_back(planes[c]);
    if (!chosen.empty() && !qz::modes::channel::writeMirrored(message, f, chosen)) return 1;
  }
  return 1;
}

QzWord Qz__ChannelFlipModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderChannelFlip(object, qz::modes::renderMessage(args));
  auto* self = qz::kit::self<Qz_ChannelFlipModeObject>(object);
  for (int c = 0; c < 3; ++c) {
    std::atomic_ref<int32_t> word(self->flags[c]);
    if (id == kIds[c].getA || id == kIds[c].getB) return QzWord(word.load(std::memory_order_relaxed));
    if (id != kIds[c].setX && id != kIds[c].setY) continue;
    const int32_t bit = id == kIds[c].setX ? kMirrorX : kMirrorY;
    const bool on = args[0] != 0;
    if (on)
      word.fetch_or(bit, std::memory_order_relaxed);
    else
      word.fetch_and(~bit, std::memory_order_relaxed);
    qz::modes::ownSettingChanged(object);
    Qz_DoNotify(object, id, QzWord(on ? 1 : 0));
    return QzWord(word.load(std::memory_order_relaxed));
  }
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kChannelFlipMode = {
    .name = "ChannelFlipMode", .superName = "RootMode", .classId = kChannelFlipModeClassId,
    .instance = qz::kit::instanceOf<Qz_ChannelFlipModeObject>(), .handler = Qz__ChannelFlipModeDispatch,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitChannelFlipModeClass(Qz_GlobalData*) { return qz::kit::addClass(kChannelFlipMode); }
QZ_EXPORT void Qz_CleanupChannelFlipModeClass(void) { qz::kit::removeClass(kChannelFlipMode); }
QZ_EXTERN_C_END
