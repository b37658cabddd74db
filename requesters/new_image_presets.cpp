#include "requesters/new_image_presets.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "gadgets/measurement_units.h"

namespace qz::requesters {
namespace {

constexpr size_t kPresetTextLimit = 32;
constexpr double kInchesPerMillimetre = 0.03937;

// Two numbers separated by blanks at the start of text, as "%f %f" or
// "%ld %ld" reads them, whatever the locale.
template <typename T>
bool readTwo(const std::string& text, T& a, T& b) {
  const char* p = text.data();
  const char* end = p + text.size();
  auto number = [&](T& out) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p < end && *p == '+') ++p;
    const auto [next, error] = std::from_chars(p, end, out);
    if (error != std::errc()) return false;
    p = next;
    return true;
  };
  return number(a) && number(b);
}

int32_t toPixels(double value) {
  if (!std::isfinite(value)) return 0;
  return int32_t(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

}  // namespace

std::optional<PresetSize> parsePreset(const std::string& whole, float resolution) {
  std::string text = whole.substr(0, kPresetTextLimit);
  const size_t x = text.find('x');
  if (x == std::string::npos) return std::nullopt;
  text[x] = ' ';
  const bool inches = text.find("Inches") != std::string::npos;
  const bool millimetres = !inches && text.find(" mm") != std::string::npos;
  if (inches || millimetres) {
    float w = 0, h = 0;
    if (!readTwo(text, w, h)) return std::nullopt;
    const double scale = inches ? double(resolution) : double(resolution) * kInchesPerMillimetre;
    return PresetSize{toPixels(w * scale), toPixels(h * scale),
                      inches ? qz::measure::kInches : qz::measure::kMillimetres};
  }
  long w = 0, h = 0;
  if (!readTwo(text, w, h)) return std::nullopt;
  return PresetSize{int32_t(std::clamp<long>(w, INT32_MIN, INT32_MAX)),
                    int32_t(std::clamp<long>(h, INT32_MIN, INT32_MAX)), 0};
}

int64_t newImageMemoryKB(int64_t width, int64_t height, int32_t layerKind) {
  return ((layerKind == 1 ? 7 : 10) * width * height) >> 10;
}

std::string memoryText(const char* label, int64_t width, int64_t height, int32_t layerKind) {
  return std::string(label ? label : "") + ": " + std::to_string(newImageMemoryKB(width, height, layerKind)) + "KB";
}

}  // namespace qz::requesters
