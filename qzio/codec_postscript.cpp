// PostScript and EPS writer core. Numbers are written without the C
// library's locale, so a decimal comma never reaches the program text.
#include "qzio/codec_postscript.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace qz::codec {
namespace {

constexpr double kPointsPerMillimetre = 0.03937 * 72;
constexpr double kInchesPerMillimetre = 0.03937;
constexpr uint32_t kPixelsPerLine = 12;  // 72 hex digits a line

// Uses colorimage where the printer knows it; elsewhere defines one that
// turns each RGB scan into grey and hands it to image.
constexpr std::string_view kColourFallback =
    "\n/colorimage where\n"
    "\t{ pop }\n"
    "\t{\n"
    "\t\t/colortogray {\n"
    "\t\t\t/rgbdata exch store\n"
    "\t\t\trgbdata length 3 idiv\n"
    "\t\t\t/npixls exch store\n"
    "\t\t\t/rgbindx 0 store\n"
    "\t\t\t0 1 npixls 1 sub {\n"
    "\t\t\t\tgrays exch\n"
    "\t\t\t\trgbdata rgbindx get 20 mul\n"
    "\t\t\t\trgbdata rgbindx 1 add get 32 mul\n"
    "\t\t\t\trgbdata rgbindx 2 add get 12 mul\n"
    "\t\t\t\tadd add 64 idiv\n"
    "\t\t\t\tput\n"
    "\t\t\t\t/rgbindx rgbindx 3 add store\n"
    "\t\t\t} for\n"
    "\t\t\tgrays 0 npixls getinterval\n"
    "\t\t} bind def\n"
    "\n"
    "\t\t/mergeprocs {\n"
    "\t\t\tdup length\n"
    "\t\t\t3 -1 roll\n"
    "\t\t\tdup length\n"
    "\t\t\tdup\n"
    "\t\t\t5 1 roll\n"
    "\t\t\t3 -1 roll\n"
    "\t\t\tadd\n"
    "\t\t\tarray cvx\n"
    "\t\t\tdup\n"
    "\t\t\t3 -1 roll\n"
    "\t\t\t0 exch\n"
    "\t\t\tputinterval\n"
    "\t\t\tdup\n"
    "\t\t\t4 2 roll\n"
    "\t\t\tputinterval\n"
    "\t\t} bind def\n"
    "\n"
    "\t\t/colorimage {\n"
    "\t\t\tpop pop\n"
    "\t\t\t{colortogray} mergeprocs\n"
    "\t\t\timage\n"
    "\t\t} bind def\n"
    "\t} ifelse\n";

class Text {
 public:
  explicit Text(std::vector<uint8_t>& out) : out_(out) {}
  Text& operator<<(std::string_view s) {
    out_.insert(out_.end(), s.begin(), s.end());
    return *this;
  }
  Text& operator<<(uint64_t n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return *this << std::string_view(digits, size_t(end - digits));
  }
  Text& fixed5(double v) {
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::fixed, 5).ptr;
    return *this << std::string_view(digits, size_t(end - digits));
  }

 private:
  std::vector<uint8_t>& out_;
};

uint64_t Qz__Points(double millimetres) { return uint64_t(millimetres * kPointsPerMillimetre + 0.5); }

}  // namespace

uint32_t postScriptPlacement(uint32_t width, uint32_t height, const PostScriptSettings& s,
                             PostScriptPlacement& placement) {
  if (width == 0 || height == 0) return kBadArguments;
  const double w = width, h = height;
  if (!s.fitToPage) {
    if (!(s.resolution > 0) || !std::isfinite(s.resolution)) return kBadArguments;
    placement = {w / s.resolution / kInchesPerMillimetre, h / s.resolution / kInchesPerMillimetre, s.resolution};
    return kOk;
  }
  const double across = s.pageWidth - s.left - s.right, down = s.pageHeight - s.top - s.bottom;
  if (!(across > 0) || !(down > 0) || !std::isfinite(across) || !std::isfinite(down)) return kBadArguments;
  PostScriptPlacement p;
  if (across <= down) {
    p.width = across, p.height = h * across / w;
    if (p.height > down) p.height = down, p.width = w * down / h;
  } else {
    p.height = down, p.width = down * w / h;
    if (p.width > across) p.width = across, p.height = h * across / w;
  }
  p.resolution = w / (p.width * kInchesPerMillimetre);
  placement = p;
  return kOk;
}

uint32_t postScriptEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                          const PostScriptSettings& settings, std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  PostScriptPlacement place;
  const uint32_t placed = postScriptPlacement(width, height, settings, place);
  if (placed != kOk) return placed;
  const bool eps = settings.encapsulated;
  const uint64_t left = Qz__Points(settings.left), bottom = Qz__Points(settings.bottom);
  Text t(out);
  t << "%!PS-Adobe-2.0" << (eps ? " EPSF-2.0" : "") << "\n";
  t << "%%Title: " << settings.title << "\n";
  t << "%%Creator: Quillantrix\n";
  t << "%%BoundingBox: " << left << " " << bottom << " " << left + Qz__Points(place.width) << " "
    << bottom + Qz__Points(place.height) << "\n";
  if (!eps) t << "%%Pages: 1\n";
  t << "%%DocumentFonts:\n%%EndComments\n%%EndProlog\n\n";
  // The page's state is saved and given back whole; an EPS leaves the
  // including document's graphics state and dictionaries as it found them.
  t << (eps ? "gsave\n" : "%%Page: 1 1\n\n/origstate save def\n");
  t << "20 dict begin\n/rgbindx 0 def\n/npixls 0 def\n";
  t << "/grays " << uint64_t{width} << " string def\n";  // one grey a pixel of a scan
  t << "/scan " << uint64_t{width} * 3 << " string def\n";
  t << left << " " << bottom << " translate\n";
  t.fixed5(place.width * kPointsPerMillimetre) << " ";
  t.fixed5(place.height * kPointsPerMillimetre) << " scale\n";
  t << kColourFallback;
  t << uint64_t{width} << " " << uint64_t{height} << " 8\n";
  t << "[" << uint64_t{width} << " 0 0 -" << uint64_t{height} << " 0 " << uint64_t{height} << "]\n\n";
  t << "{currentfile scan readhexstring pop}\nfalse 3 colorimage\n";
  std::vector<uint8_t> rgb(size_t{width} * 3);
  static constexpr char kHex[] = "0123456789abcdef";
  uint32_t onLine = 0;
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutRGB, rgb.data())) return kBadArguments;
    for (uint32_t x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const uint8_t v = rgb[size_t{x} * 3 + c];
        out.push_back(uint8_t(kHex[v >> 4]));
        out.push_back(uint8_t(kHex[v & 15]));
      }
      if (++onLine == kPixelsPerLine) {
        out.push_back('\n');
        onLine = 0;
      }
    }
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  t << "\n";
  t << (eps ? "\nend\ngrestore\n" : "\nshowpage\nend\norigstate restore\n");
  t << "\n%%Trailer\n%%EOF";
  return kOk;
}

}  // namespace qz::codec
