// The colours of the interface pictures. Tool-bar, tab and small pictures
// share one 32-colour palette, so their colour names below are indices into
// it; the splash picture has a palette of its own. Colour 0 is always the
// background, which the program draws in the screen's background colour.
#pragma once

#include <cstdint>
#include <span>

namespace qz::pictures {

namespace icon {
constexpr uint8_t kBack = 0;
constexpr uint8_t kInk = 1;  // outlines
constexpr uint8_t kWhite = 2;
constexpr uint8_t kLightGrey = 3;
constexpr uint8_t kGrey = 4;
constexpr uint8_t kDarkGrey = 5;
constexpr uint8_t kRed = 6;
constexpr uint8_t kDarkRed = 7;
constexpr uint8_t kOrange = 8;
constexpr uint8_t kYellow = 9;
constexpr uint8_t kPaper = 10;
constexpr uint8_t kGreen = 11;
constexpr uint8_t kDarkGreen = 12;
constexpr uint8_t kBlue = 13;
constexpr uint8_t kDarkBlue = 14;
constexpr uint8_t kSky = 15;
constexpr uint8_t kBrown = 16;
constexpr uint8_t kTan = 17;
constexpr uint8_t kPurple = 18;
constexpr uint8_t kPink = 19;
constexpr uint8_t kCyan = 20;
constexpr uint8_t kGlass = 21;
constexpr uint8_t kFolderDark = 22;
constexpr uint8_t kFolderLight = 23;
constexpr uint8_t kEraser = 24;
constexpr uint8_t kSilver = 25;
constexpr uint8_t kSteel = 26;
constexpr uint8_t kWood = 27;
constexpr uint8_t kGraphite = 28;
constexpr uint8_t kLightGreen = 29;
constexpr uint8_t kLightRed = 30;
constexpr uint8_t kShadow = 31;
}  // namespace icon

namespace splash {
constexpr uint8_t kBack = 0;
constexpr uint8_t kSkyFirst = 1;  // kSkyFirst .. kSkyFirst + kSkySteps - 1: dark to light
constexpr int kSkySteps = 14;
constexpr uint8_t kFrame = 15;
constexpr uint8_t kWhite = 16;
constexpr uint8_t kGold = 17;
constexpr uint8_t kGoldLight = 18;
constexpr uint8_t kGoldDark = 19;
constexpr uint8_t kLetterShadow = 20;
constexpr uint8_t kFeather = 21;
constexpr uint8_t kFeatherShade = 22;
constexpr uint8_t kFeatherVane = 23;
constexpr uint8_t kNib = 24;
constexpr uint8_t kInk = 25;
constexpr uint8_t kStar = 26;
}  // namespace splash

std::span<const uint8_t> iconPalette();
std::span<const uint8_t> splashPalette();

}  // namespace qz::pictures
