// RemoveColourCastMode: neutralises a colour cast by raising each channel of
// a white point to its largest one, the white point found in the brightest
// 0.2 % of its document's samples when given its layer, or, chosen by hand,
// the paint colour. It answers the render method, the layer hand-over
// (analysing before passing it on) and the choice's setter and getter.
#include <algorithm>
#include <atomic>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"
#include "objects/qz_root.h"

namespace {

constexpr int32_t kSamplingStep = 2;
constexpr int16_t kAutomatic = 0, kManual = 1;
constexpr uint32_t kFound = 1u << 24;  // the white point word holds one

struct Qz__WhiteKey {
  int32_t w[3] = {0, 0, 0};
  bool operator==(const Qz__WhiteKey&) const = default;
};

struct Qz_RemoveColourCastModeObject {
  Qz_Object header;
  int16_t choice = kAutomatic;
  std::atomic<uint32_t> foundWhite{0};  // red | green << 8 | blue << 16 | kFound
  qz::modes::SharedTable<Qz__WhiteKey, qz::modes::tonal::ChannelTables> tables;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzColourCastSetChoice, .getter = kQzColourCastGetChoice, .minimum = kAutomatic,
     .maximum = kManual, .initial = kAutomatic,
     .field = qz::kit::field(&Qz_RemoveColourCastModeObject::choice),
     .changed = qz::modes::ownSettingChanged}};

// Automatic or Manual, one of two marked rows.
Qz_Object* Qz__MakeChoice(Qz_Object*) {
  if (!Qz_FindClassFromName("MutualExclude")) return nullptr;
  Qz_Object* choice = Qz_CreateObject("MutualExclude");
  if (!choice) return nullptr;
  for (const char* label : {"Automatic", "Manual"}) {
    Qz_Object* text = Qz_CreateObject("Text", kRootSetLabel, label);
    if (!text) {
      Qz_DisposeObject(choice);
      return nullptr;
    }
    Qz_DoMethod(choice, kGroupAddTail, text);
  }
  Qz_DoMethod(choice, kMutualExcludeMark, uint32_t(kAutomatic));
  return choice;
}

constexpr uint32_t kWhitePointEntry = 70;
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::column(kWhitePointEntry, 1),
    qz::modes::custom({}, Qz__MakeChoice, kMutualExcludeMark, kQzColourCastSetChoice),
    qz::modes::text("\nFor Manual, use the\nColour Picker Tool to\nselect the desired\nWhite Point."),
    qz::modes::end()};
constexpr qz::modes::PanelSpec kPanel{"RemoveColourCastMode", kPanelRows};

// The mean of the samples at least as bright as the level the brightest
// 0.2 % reach. Counting those at the level itself keeps a picture with
// pure white, or a flat one, from having no white point at all.
uint32_t Qz__FindWhite(Qz_Image* layer) {
  using qz::modes::tonal::DocumentRead;
  const DocumentRead read(layer, DocumentRead::Planes::Background);
  const auto histogram = qz::modes::tonal::sampleBrightness(read, kSamplingStep);
  const int32_t level = qz::modes::tonal::highClip(histogram, histogram.samples * 2 / 1000);
  if (histogram.samples == 0 || level < 0) return 0;
  uint64_t sums[3] = {0, 0, 0}, count = 0;
  read.forEachRow(kSamplingStep, [&](const uint8_t* r, const uint8_t* g, const uint8_t* b, int32_t width) {
    for (int32_t x = 0; x < width; x += kSamplingStep) {
      if (r[x] + g[x] + b[x] < 3 * level) continue;
      sums[0] += r[x], sums[1] += g[x], sums[2] += b[x];
      ++count;
    }
  });
  if (count == 0) return 0;
  return uint32_t(sums[0] / count) | uint32_t(sums[1] / count) << 8 | uint32_t(sums[2] / count) << 16 | kFound;
}

qz::modes::tonal::ChannelTables Qz__BuildTables(const Qz__WhiteKey& key) {
  const int32_t m = std::max({key.w[0], key.w[1], key.w[2]});
  qz::modes::tonal::ChannelTables t;
  for (int c = 0; c < 3; ++c)
    for (int32_t i = 0; i < 256; ++i)
      t.lut[size_t(c)][size_t(i)] = uint8_t(std::min(255, i + i * (m - key.w[c]) / m));
  return t;
}

QzWord Qz__RenderRemoveColourCast(Qz_RemoveColourCastModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (!lock || !lock->image || lock->image->depth != 24) return 1;
  Qz__WhiteKey key;
  bool have = true;
  if (qz::modes::loadSetting(self->choice) == kManual) {
    const uint8_t* paint = qz::modes::paintColour(lock);
    key = {{paint[0], paint[1], paint[2]}};
  } else {
    const uint32_t found = self->foundWhite.load();
    have = (found & kFound) != 0;
    key = {{int32_t(found & 0xFF), int32_t((found >> 8) & 0xFF), int32_t((found >> 16) & 0xFF)}};
  }
  // Without a white point, or with one too dark to scale by, the picture stays as it is.
  const auto tables = have && std::max({key.w[0], key.w[1], key.w[2]}) >= 2
                          ? self->tables.get(key, [&] { return Qz__BuildTables(key); })
                          : nullptr;
  if (!tables) {
    qz::modes::copySourceToOutput(message);
    return 1;
  }
  return qz::modes::tonal::renderThroughTables(message, *tables, false, 1);
}

QzWord Qz__RemoveColourCastModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* self = qz::kit::self<Qz_RemoveColourCastModeObject>(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderRemoveColourCast(self, qz::modes::renderMessage(args));
    case kQzModeSetImage:
      self->foundWhite.store(Qz__FindWhite(reinterpret_cast<Qz_Image*>(args[0])));
      return qz::kit::inherited(object, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kRemoveColourCastMode = {
    .name = "RemoveColourCastMode", .superName = "RootMode", .classId = kQzRemoveColourCastModeClassId,
    .instance = qz::kit::instanceOf<Qz_RemoveColourCastModeObject>(),
    .handler = Qz__RemoveColourCastModeDispatch, .attributes = kAttributes,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRemoveColourCastModeClass(Qz_GlobalData*) {
  return qz::kit::addClass(kRemoveColourCastMode);
}
QZ_EXPORT void Qz_CleanupRemoveColourCastModeClass(void) { qz::kit::removeClass(kRemoveColourCastMode); }
QZ_EXTERN_C_END
