// Lengths and resolutions in the units a measurement field shows, and the
// number texts of the text fields. Numbers are printed and read in the C
// locale whatever LC_NUMERIC says, so stored and typed texts mean the same
// everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/qz_export.h"

namespace qz::measure {

enum Unit : int32_t { kCentimetres = 1, kMillimetres = 2, kInches = 3, kPixels = 4, kDotsPerInch = 5 };

// A resolution of 0 or below (or not a number) counts as 72 dots per inch.
inline constexpr double kDefaultResolution = 72.0;

// The value in one unit converted into another at a resolution in dots per
// inch; a unit outside 1..5 leaves the value as it is on that side.
QZ_EXPORT double convert(double value, int32_t fromUnit, int32_t toUnit, double resolution);

// " cm", " mm", " inches", " pixels", " dpi"; "" for others.
QZ_EXPORT const char* unitSuffix(int32_t unit);

// printf-style fixed notation with that many decimals, in the C locale.
QZ_EXPORT std::string formatFixed(double value, int decimals);

// The number at the start of the text as "%f" reads it (leading blanks
// skipped), in the C locale; false when there is none.
QZ_EXPORT bool parseNumber(const char* text, double* value);

// The text as strtol with base 0 reads it: "0x10" is 16, a leading 0 is
// octal, so "010" is 8 and "08" is 0 (the 8 is not an octal digit). Kept
// from stored object texts; clamped to 32 bits.
QZ_EXPORT int32_t parseInteger(const char* text);

}  // namespace qz::measure
