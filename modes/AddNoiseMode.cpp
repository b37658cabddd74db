// AddNoiseMode: adds random noise of -Amount .. Amount - 1 to each pixel,
// one value for all channels or, in colour, one per channel; a share of the
// pixels (the spacing) stays as it is. The numbers come from the row's own
// generator, so the noise stays put however the image is cut and re-rendered.
// Amount, spacing and colour are stored in object text.
#include <algorithm>

#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/row_random.h"

namespace {

constexpr uint32_t kAddNoiseModeClassId = 0x816;
constexpr uint32_t kSetSpacing = 0x848, kGetSpacing = 0x852;

struct Qz_AddNoiseModeObject {
  Qz_Object header;
  int16_t spacing = 10;
};

// Amount 0 or less would divide by zero.
constexpr qz::modes::SettingRange kRanges[] = {{kQzModeSetAmount, 1, 300}, {kQzModeSetColourMode, 0, 1}};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetSpacing, .getter = kGetSpacing, .minimum = 0, .maximum = 99, .initial = 10,
     .field = qz::kit::field(&Qz_AddNoiseModeObject::spacing), .setterName = "Qz_SetAddNoiseSpacing",
     .getterName = "Qz_GetAddNoiseSpacing", .changed = qz::modes::ownSettingChanged}};

const Qz_Method kMethods[] = {
    {kQzModeSetAmount, "Qz_SetModeAmount", kQzMethodSetter, kQzModeGetAmount, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetAmount, "Qz_GetModeAmount", kQzMethodStoredGetter, kQzModeSetAmount, nullptr, 0, "%ld", 0, 0},
    {kQzModeSetColourMode, "Qz_SetModeColourMode", kQzMethodSetter, kQzModeGetColourMode, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetColourMode, "Qz_GetModeColourMode", kQzMethodStoredGetter, kQzModeSetColourMode, nullptr, 0, "%ld",
     0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(88, kQzModeSetAmount, 1, 300, 30, "%ld%%"),
                                              qz::modes::slider(233, kSetSpacing, 0, 99, 10, "%ld%%"),
                                              qz::modes::checkBox(14, kQzModeSetColourMode, true)};
constexpr qz::modes::PanelSpec kPanel{"AddNoise", kPanelRows};

uint8_t Qz__Clamp8(int32_t v) { return uint8_t(std::clamp(v, 0, 255)); }

QzWord Qz__RenderAddNoise(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const qz::modes::RootSettings s = qz::modes::readRootSettings(object, kRanges);
  const int32_t range = 2 * s.amount, half = s.amount;
  const int32_t spacing = qz::modes::loadSetting(qz::kit::self<Qz_AddNoiseModeObject>(object)->spacing);
  const bool colour = s.colourMode != 0;
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block) return 1;
  int32_t y = block->y0;
  return qz::modes::renderRows(message, 0, [&](const uint8_t* const src[3], uint8_t* const dst[3], int32_t count) {
    qz::modes::RowRandom random = qz::modes::RowRandom::forRun(block, y++, colour ? 4 : 2);
    for (int32_t i = 0; i < count; ++i) {
      if (random.next() % 100 <= spacing) {
        for (int c = 0; c < 3; ++c) dst[c][i] = src[c][i];
        random.skip(colour ? 3 : 1);
        continue;
      }
      int32_t n[3];
      n[0] = random.next() % range - half;
      for (int c = 1; c < 3; ++c) n[c] = colour ? random.next() % range - half : n[0];
      for (int c = 0; c < 3; ++c) dst[c][i] = Qz__Clamp8(src[c][i] + n[c]);
    }
  });
}

QzWord Qz__AddNoiseModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderAddNoise(object, qz::modes::renderMessage(args));
  return qz::modes::inheritedInRange(object, id, args, kRanges);
}

bool Qz__SetUpAddNoise(Qz_Object* object) {
  qz::modes::buildPanel(object, kPanel);
  Qz_DoMethod(object, kQzModeSetAmount, 30);
  Qz_DoMethod(object, kQzModeSetColourMode, 1);
  return true;
}

const qz::kit::ClassDecl kAddNoiseMode = {
    .name = "AddNoiseMode", .superName = "RootMode", .classId = kAddNoiseModeClassId,
    .instance = qz::kit::instanceOf<Qz_AddNoiseModeObject>(), .handler = Qz__AddNoiseModeDispatch,
    .attributes = kAttributes, .methods = kMethods, .setUp = Qz__SetUpAddNoise};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitAddNoiseModeClass(Qz_GlobalData*) { return qz::kit::addClass(kAddNoiseMode); }
QZ_EXPORT void Qz_CleanupAddNoiseModeClass(void) { qz::kit::removeClass(kAddNoiseMode); }
QZ_EXTERN_C_END
