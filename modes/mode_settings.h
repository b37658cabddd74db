// A mode's settings as a render sees them: read once at the start of the
// render into plain values, never again per row. The ten RootMode
// attributes come as one RootSettings; a mode's own attribute rows (kit
// rows, clamped by the kit on every set) are read with loadSetting.
//
// A mode that uses RootMode's attributes names its own ranges once, and the
// table serves twice: its handler passes RootMode's setters on clamped to
// them (so the value stored and answered is the mode's), and the snapshot
// clamps again (a value can reach the RootMode instance past the handler).
//
//   constexpr qz::modes::SettingRange kRanges[] = {{kQzModeSetXRadius, 0, 255}, {kQzModeSetYRadius, 0, 255}};
//   default: return qz::modes::inheritedInRange(object, id, args, kRanges);      // in the handler
//   const qz::modes::RootSettings s = qz::modes::readRootSettings(object, kRanges);  // in the render
#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "objects/qz_object.h"
#include "platform/qz_export.h"

namespace qz::modes {

// The ten RootMode attributes, widened with their sign.
struct RootSettings {
  int32_t amount = 0, radius = 0, angle = 0, quality = 0, colourMode = 0, threshold = 0;
  int32_t xRadius = 0, yRadius = 0, xPosition = 0, yPosition = 0;
  bool operator==(const RootSettings&) const = default;
};

// A mode's range for one of RootMode's attributes, named by its setter id
// (kQzModeSetAmount ...), inclusive.
struct SettingRange {
  uint32_t setter;
  int32_t minimum, maximum;
};

// The value limited to the range the table gives its setter (unchanged when none does).
QZ_EXPORT int32_t clampToRange(std::span<const SettingRange> ranges, uint32_t setter, int32_t value);

// The ten attributes of the RootMode instance in the mode's chain, each read
// once (atomically) and limited to its range in `ranges`. All 0 when the
// chain has no RootMode instance.
QZ_EXPORT RootSettings readRootSettings(Qz_Object* mode, std::span<const SettingRange> ranges = {});

// What RootMode keeps: the ten attributes of the RootMode instance in the
// chain from `mode` down, unclamped; false when there is none. (RootMode's
// own module answers it; modes call readRootSettings.)
QZ_EXPORT bool loadRootSettings(Qz_Object* mode, RootSettings* settings);

// A handler's default case: a RootMode setter named in `ranges` goes on
// with its argument limited to the range; every id then goes to the kit's
// attribute rows and the superclass instance (qz::kit::inherited).
QZ_EXPORT QzWord inheritedInRange(Qz_Object* mode, uint32_t id, const QzWord* args,
                                  std::span<const SettingRange> ranges);

// The `changed` hook of a mode's own attribute rows: asks the RootMode
// instance for a re-render (kQzModeChanged through the superclass instance).
QZ_EXPORT void ownSettingChanged(Qz_Object* mode);

// One atomic read of a setting field that setters store on other threads
// (a kit attribute row's field, written through std::atomic_ref).
template <class T>
T loadSetting(const T& field) {
  return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_relaxed);
}
template <class T>
T loadSetting(const std::atomic<T>& field) {
  return field.load(std::memory_order_relaxed);
}

}  // namespace qz::modes
