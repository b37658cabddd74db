// EdgeDetectMode and ContourMapMode: their class ids and own setters. Emboss
// and bas-relief use RootMode's Amount, Radius, Angle and ColourMode.
//   Qz_DoMethod(edges, kQzEdgeSetStrength, 64);
//   Qz_DoMethod(contours, kQzContourSetGridX, 16);  // 1..255
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzEdgeDetectModeClassId = 0x808;
inline constexpr uint32_t kQzEdgeSetStrength = 0x812, kQzEdgeGetStrength = 0x81c;
inline constexpr uint32_t kQzEdgeSetInvert = 0x826, kQzEdgeGetInvert = 0x830;

inline constexpr uint32_t kQzReliefModeClassId = 0x808;  // emboss and bas-relief

inline constexpr uint32_t kQzContourMapModeClassId = 0x803;
inline constexpr uint32_t kQzContourSetAmount = 0x80d, kQzContourGetAmount = 0x817;
inline constexpr uint32_t kQzContourSetGridX = 0x821, kQzContourGetGridX = 0x82b;
inline constexpr uint32_t kQzContourSetGridY = 0x835, kQzContourGetGridY = 0x83f;
inline constexpr uint32_t kQzContourSetAngle = 0x849, kQzContourGetAngle = 0x853;
