// The arithmetic of the page set-up: paper sizes, margins, the printed size
// of the picture and its resolution, all lengths in millimetres. Each typed
// value is checked here, so the requester never shows or stores a size that
// would divide by zero.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::page {

inline constexpr float kMillimetresPerInch = 25.400051f;
inline constexpr float kInchesPerMillimetre = 0.03937f;
// The smallest printable area a margin may leave.
inline constexpr float kMinimumArea = 1.0f;

// Units of the measurement fields (as MeasurementEdit counts them).
inline constexpr int32_t kUnitCentimetres = 1;
inline constexpr int32_t kUnitInches = 3;

enum Paper : int32_t { kLetter = 0, kLegal = 1, kA4 = 2, kCustomInches = 3, kCustomCentimetres = 4 };
inline constexpr int32_t kPaperCount = 5;

struct PaperRow {
  const char* label;  // as the pop-up shows it
  float width;        // 0 for the custom rows: the size stays as typed
  float height;
  int32_t unit;
};
QZ_EXPORT const PaperRow& paperRow(int32_t index);

enum Margin : int32_t { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };

struct PageLayout {
  int32_t paper = kLetter;
  int32_t unit = kUnitInches;
  float paperWidth = 215.9004f;
  float paperHeight = 279.40057f;
  float margins[4] = {};
  float printWidth = 0;
  float printHeight = 0;
  float resolution = 72.0f;  // dots per inch
  bool fit = false;
  int32_t imageWidth = 0;  // pixels; 0 while no image is set
  int32_t imageHeight = 0;
};

// Finite and above zero: the only lengths and resolutions accepted.
QZ_EXPORT bool positive(float value);

// Each answers false and leaves the layout as it was when the value is
// refused. Fitting runs afterwards wherever fit-to-page is on.
QZ_EXPORT bool choosePaper(PageLayout& page, int32_t index);
// A typed paper size makes the paper custom, in the unit the fields show.
QZ_EXPORT bool typePaperWidth(PageLayout& page, float millimetres);
QZ_EXPORT bool typePaperHeight(PageLayout& page, float millimetres);
QZ_EXPORT bool setMargin(PageLayout& page, Margin side, float millimetres);
// A typed resolution rescales the printed size and turns fitting off.
QZ_EXPORT bool typeResolution(PageLayout& page, float dotsPerInch);
// A typed printed width or height sets the resolution that gives it.
QZ_EXPORT bool typePrintWidth(PageLayout& page, float millimetres);
QZ_EXPORT bool typePrintHeight(PageLayout& page, float millimetres);
QZ_EXPORT void setFit(PageLayout& page, bool on);
// Fits the picture into the paper less the margins; false (nothing changed)
// without an image or with fitting off.
QZ_EXPORT bool fitToPage(PageLayout& page);
// Takes the picture's size and resolution (a resolution that is not a
// positive number counts as 72 dots per inch).
QZ_EXPORT void setImage(PageLayout& page, int32_t width, int32_t height, float resolution);

}  // namespace qz::page
