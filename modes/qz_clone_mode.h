// CloneMode (and RollMode, built on it): its class id and its own methods.
// The clone tool and the image view include this to set and read the offset.
//   Qz_DoMethod(mode, kQzCloneSetX, uint32_t(dx));   // answers the X offset
//   int32_t dy = int32_t(Qz_DoMethod(mode, kQzCloneGetY));
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzCloneModeClassId = 0x1b5a0000;
inline constexpr uint32_t kQzRollModeClassId = 0x816;
// The offset in pixels from the point copied from to the point painted
// (signed 32-bit); a changed offset asks for a re-render unless quiet.
inline constexpr uint32_t kQzCloneSetX = 0x1b5a000a, kQzCloneGetX = 0x1b5a0014;
inline constexpr uint32_t kQzCloneSetY = 0x1b5a001e, kQzCloneGetY = 0x1b5a0028;
// Wrap-around flag: the picture rolls round the image's edges (no re-render of its own).
inline constexpr uint32_t kQzCloneSetWrap = 0x1b5a0032, kQzCloneGetWrap = 0x1b5a003c;
// Quiet flag: 1 around a pair of offset changes that should not re-render.
inline constexpr uint32_t kQzCloneSetQuiet = 0x1b5a0046, kQzCloneGetQuiet = 0x1b5a0050;
