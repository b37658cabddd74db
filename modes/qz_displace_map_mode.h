// DisplaceMapMode: its class id and settings (each setter answers 0).
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzDisplaceMapClassId = 0x803;
// Direction of the displacement in degrees (135 at creation).
inline constexpr uint32_t kQzDisplaceSetAngle = 2061, kQzDisplaceGetAngle = 2071;
// Displacement at the map's full value, in pixels, 0 to 255 (20).
inline constexpr uint32_t kQzDisplaceSetStrength = 2081, kQzDisplaceGetStrength = 2091;
// Weight of the map's brightness in the result, 0 to 255 (128).
inline constexpr uint32_t kQzDisplaceSetBrightMap = 2101, kQzDisplaceGetBrightMap = 2111;
// 0: every channel moves by the map's green plane; 1: each by the map's plane of that channel.
inline constexpr uint32_t kQzDisplaceSetPerChannel = 2121, kQzDisplaceGetPerChannel = 2131;
