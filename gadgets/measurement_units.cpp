#include "gadgets/measurement_units.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace qz::measure {

namespace {

// 1 / 0.03937: a value converted there and back is unchanged.
constexpr double kMillimetresPerInch = 25.4000508001016;
constexpr double kInchesPerMillimetre = 0.03937;

double Qz__Resolution(double r) { return (r > 0 && std::isfinite(r)) ? r : kDefaultResolution; }

double Qz__ToMillimetres(double v, int32_t unit, double r) {
  switch (unit) {
    case kCentimetres: return v * 10;
    case kInches:
    case kDotsPerInch: return v * kMillimetresPerInch;
    case kPixels: return v / r * kMillimetresPerInch;
    default: return v;
  }
}

double Qz__FromMillimetres(double v, int32_t unit, double r) {
  switch (unit) {
    case kCentimetres: return v * 0.1;
    case kInches:
    case kDotsPerInch: return v * kInchesPerMillimetre;
    case kPixels: return v * r * kInchesPerMillimetre;
    default: return v;
  }
}

}  // namespace

double convert(double value, int32_t fromUnit, int32_t toUnit, double resolution) {
  const double r = Qz__Resolution(resolution);
  return Qz__FromMillimetres(Qz__ToMillimetres(value, fromUnit, r), toUnit, r);
}

const char* unitSuffix(int32_t unit) {
  switch (unit) {
    case kCentimetres: return " cm";
    case kMillimetres: return " mm";
    case kInches: return " inches";
    case kPixels: return " pixels";
    case kDotsPerInch: return " dpi";
    default: return "";
  }
}

std::string formatFixed(double value, int decimals) {
  char buffer[400];
  if (!std::isfinite(value)) value = 0;
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return "0";
  return std::string(buffer, r.ptr);
}

bool parseNumber(const char* text, double* value) {
  if (!text) return false;
  while (*text == ' ' || *text == '\t') ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  double v = 0;
  const auto r = std::from_chars(text, text + std::strlen(text), v, std::chars_format::general);
  if (r.ec != std::errc() || !std::isfinite(v)) return false;
  *value = negative ? -v : v;
  return true;
}

int32_t parseInteger(const char* text) {
  if (!text) return 0;
  errno = 0;
  const long v = std::strtol(text, nullptr, 0);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return int32_t(v);
}

}  // namespace qz::measure
