// Probe classes for the object-text tests: a container with one attribute of
// every value format, a leaf that cannot hold children, and stand-ins for the
// toolkit classes the reader's keywords make (Text, Group, BitMap) when the
// real ones are not registered.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

namespace probes {

inline constexpr uint32_t kSetValue = 0x7E7000A;   // "%ld"
inline constexpr uint32_t kGetValue = 0x7E70014;
inline constexpr uint32_t kSetHex = 0x7E7001E;     // "%lx"
inline constexpr uint32_t kGetHex = 0x7E70028;
inline constexpr uint32_t kSetText = 0x7E70032;    // "%s", copied
inline constexpr uint32_t kGetText = 0x7E7003C;
inline constexpr uint32_t kSetLabel = 0x7E70046;   // "%s", kept as a pointer into the text
inline constexpr uint32_t kGetLabel = 0x7E70050;
inline constexpr uint32_t kAction = 0x7E7005A;     // an action: no attribute line may call it
inline constexpr uint32_t kGetActions = 0x7E70064;
inline constexpr uint32_t kSetPair = 0x7E7006E;    // "%ld %lx", two values, no getter
inline constexpr uint32_t kGetPairFirst = 0x7E70078;
inline constexpr uint32_t kGetPairSecond = 0x7E70082;

inline constexpr uint32_t kSetLeafValue = 0x7E8000A;
inline constexpr uint32_t kGetLeafValue = 0x7E80014;

inline constexpr uint32_t kGroupDirection = 0x201F4;
inline constexpr uint32_t kGetGroupDirection = 0x201FE;
inline constexpr uint32_t kTextLines = 0x4001E;
inline constexpr uint32_t kGetTextLines = 0x40028;
inline constexpr uint32_t kBitMapFile = 0x80000136;
inline constexpr uint32_t kGetBitMapFile = 0x80000140;
inline constexpr uint32_t kBitMapNoMask = 0x80082;
inline constexpr uint32_t kGetBitMapNoMask = 0x8008C;

// Registers the probes (and the stand-ins whose names are free).
void registerAll();
void removeAll();
// Objects of the probe classes alive now (stand-ins included).
int32_t liveObjects();

}  // namespace probes
