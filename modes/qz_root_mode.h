// RootMode, the base of every mode: its class ids, method ids and flag bits.
// Modes answer the render method (kQzModeRender, the compositor's) and hand
// every other id to their RootMode instance.
#pragma once

#include <cstdint>

#include "image/qz_compositor.h"

inline constexpr uint32_t kQzRootModeClassId = 0x800;
// Shared by the modes that blend what lies below with the paint colour.
inline constexpr uint32_t kQzBlendModeClassId = 0x801;

inline constexpr uint32_t kQzModeGetFlags = 0x120014;
inline constexpr uint32_t kQzModeSetFlags = 0x120015;
inline constexpr uint32_t kQzModeSetImage = 0x12001E;
inline constexpr uint32_t kQzModeGetImage = 0x120028;
inline constexpr uint32_t kQzModeSetPanel = 0x120032;
inline constexpr uint32_t kQzModeGetPanel = 0x12003C;
inline constexpr uint32_t kQzModeChanged = 0x120046;
inline constexpr uint32_t kQzModeActiveImageChanged = 0x1000B4;
inline constexpr uint32_t kQzModeSourceRegionChanged = 0x1002B2;
inline constexpr uint32_t kQzModeSourceAttached = 0x100226;
inline constexpr uint32_t kQzModeSourcePassDone = 0x1300AA;
inline constexpr uint32_t kQzModeSetAmount = 0x12006E, kQzModeGetAmount = 0x120078;
inline constexpr uint32_t kQzModeSetRadius = 0x120082, kQzModeGetRadius = 0x12008C;
inline constexpr uint32_t kQzModeSetAngle = 0x120096, kQzModeGetAngle = 0x1200A0;
inline constexpr uint32_t kQzModeSetColourMode = 0x1200AA, kQzModeGetColourMode = 0x1200B4;
inline constexpr uint32_t kQzModeSetQuality = 0x1200BE, kQzModeGetQuality = 0x1200C8;
inline constexpr uint32_t kQzModeSetXPosition = 0x1200FA, kQzModeGetXPosition = 0x120104;
inline constexpr uint32_t kQzModeSetYPosition = 0x12010E, kQzModeGetYPosition = 0x120118;
inline constexpr uint32_t kQzModeSetXRadius = 0x120122, kQzModeGetXRadius = 0x12012C;
inline constexpr uint32_t kQzModeSetYRadius = 0x120136, kQzModeGetYRadius = 0x120140;
inline constexpr uint32_t kQzModeSetThreshold = 0x12014A, kQzModeGetThreshold = 0x120154;

// Mode flag bits.
inline constexpr uint32_t kQzModeCombinesSource = 1;
inline constexpr uint32_t kQzModeFullWidthNotices = 4;
