// X pixmap codec core. XPM3: "/* XPM */", "static char *name[] = {", the
// values string "width height colours chars-per-pixel [x-hot y-hot]", one
// string a colour (code, then key and colour pairs), one a row. XPM1: five
// #define lines (format, width, height, ncolors, pixel), then an array of
// code and colour string pairs and an array of row strings.
#include "qzio/codec_xpm.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>

#include "platform/paths.h"
#include "qzio/c_source_text.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr size_t kMostCharsPerPixel = 31;
constexpr char kCodeCharacters[] = ".#abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

struct XpmHeader {
  uint32_t width = 0, height = 0, colours = 0, charsPerPixel = 0;
  bool version1 = false;
  size_t colourStart = 0;  // text position of the colour strings
};

bool Qz__StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

bool Qz__IsArrayLine(std::string_view line) {
  return Qz__StartsWith(line, "static char") || Qz__StartsWith(line, "static const char");
}

bool Qz__CheckSizes(int64_t width, int64_t height, int64_t colours, int64_t charsPerPixel, XpmHeader& header) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide || colours < 1 || colours > 0xFFFFFF ||
      charsPerPixel < 1 || charsPerPixel > int64_t{kMostCharsPerPixel})
    return false;
  header.width = uint32_t(width), header.height = uint32_t(height);
  header.colours = uint32_t(colours), header.charsPerPixel = uint32_t(charsPerPixel);
  return true;
}

bool Qz__ReadHeader(std::span<const uint8_t> bytes, XpmHeader& header) {
  CSourceText text(bytes);
  // The marker comment is itself a comment: look for it before skipping any.
  std::string_view start = text.rest();
  start.remove_prefix(std::min(start.size(), start.find_first_not_of(" \t\r\n")));
  if (Qz__StartsWith(start, "/*")) {
    std::string_view word, inside = start.substr(2, start.find("*/") - 2);
    if (!nextWord(inside, word) || !Qz__StartsWith(word, "XPM")) return false;
    const auto array = text.nextLine();
    if (!array || !Qz__IsArrayLine(*array)) return false;
    text.seekAfter(*array, '{');  // the values may share the line
    const auto values = text.nextString();
    if (!values) return false;
    std::string_view rest = *values, w;
    int64_t numbers[4];
    for (int64_t& n : numbers)
      if (!nextWord(rest, w) || !parseInt(w, n)) return false;
    // A hotspot and an "XPMEXT" word may follow; they change nothing here.
    header.colourStart = text.position();
    return Qz__CheckSizes(numbers[0], numbers[1], numbers[2], numbers[3], header);
  }
  // XPM1: the defines, then the colour array.
  int64_t format = 0, width = 0, height = 0, colours = 0, pixel = 0;
  for (int i = 0; i < 10; ++i) {
    const auto line = text.nextLine();
    if (!line) return false;
    if (Qz__IsArrayLine(*line)) {
      if (format != 1) return false;
      header.version1 = true;
      text.seekAfter(*line, '{');
      header.colourStart = text.position();
      return Qz__CheckSizes(width, height, colours, pixel, header);
    }
    const auto define = parseDefine(*line);
    if (!define) return false;
    if (define->field == "format") format = define->value;
    else if (define->field == "width") width = define->value;
    else if (define->field == "height") height = define->value;
    else if (define->field == "ncolors") colours = define->value;
    else if (define->field == "pixel") pixel = define->value;
  }
  return false;
}

// 1 to 4 hex digits scaled from their own range to 0..255.
bool Qz__HexChannel(std::string_view digits, uint8_t& out) {
  if (digits.empty() || digits.size() > 4) return false;
  uint32_t value = 0;
  for (char c : digits) {
    const int d = hexDigit(c);
    if (d < 0) return false;
    value = value * 16 + uint32_t(d);
  }
  const uint32_t most = (1u << (4 * digits.size())) - 1;
  out = uint8_t((value * 255 + most / 2) / most);
  return true;
}

bool Qz__Fractions(std::string_view text, char separator, uint8_t rgb[3]) {
  std::string copy(text);
  for (int c = 0; c < 3; ++c) {
    const size_t end = c < 2 ? copy.find(separator) : copy.size();
    if (end == std::string::npos) return false;
    const std::string field = copy.substr(0, end);
    char* stop = nullptr;
    const double v = std::strtod(field.c_str(), &stop);
    if (field.empty() || *stop != '\0' || !(v >= 0.0 && v <= 1.0)) return false;
    rgb[c] = uint8_t(std::lround(v * 255));
    copy = c < 2 ? copy.substr(end + 1) : std::string();
  }
  return true;
}

std::string Qz__FoldName(std::string_view name) {
  std::string out;
  for (char c : name)
    if (c != ' ' && c != '\t') out += char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The colour of a name in an rgb.txt dictionary; false when the file
// cannot be read or lacks the name.
bool Qz__LookUpName(FILE* dictionary, const std::string& wanted, uint8_t rgb[3]) {
  char line[256];
  while (std::fgets(line, sizeof line, dictionary)) {
    unsigned red = 0, green = 0, blue = 0;
    char name[200] = {};
    if (std::sscanf(line, "%u %u %u %199[^\n]", &red, &green, &blue, name) != 4) continue;
    if (Qz__FoldName(name) == wanted) {
      rgb[0] = uint8_t(std::min(red, 255u)), rgb[1] = uint8_t(std::min(green, 255u));
      rgb[2] = uint8_t(std::min(blue, 255u));
      return true;
    }
  }
  return false;
}

void Qz__NamedColour(std::string_view name, uint8_t rgb[3]) {
  rgb[0] = rgb[1] = rgb[2] = 255;  // an unknown name, or no dictionary: white
  const std::string wanted = Qz__FoldName(name);
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  for (FILE* opened : {Qz_FOpen("Data/rgb.txt", "r"), std::fopen("/usr/share/X11/rgb.txt", "r")}) {
    std::unique_ptr<FILE, Closer> file(opened);
    if (file && Qz__LookUpName(file.get(), wanted, rgb)) return;
  }
}

// The colour of one colour string (after its code): the highest-ranked key's text.
bool Qz__ColourLine(std::string_view rest, uint8_t rgb[3]) {
  static constexpr std::string_view kKeys[] = {"s", "m", "g4", "g", "c"};
  int bestRank = -1, currentRank = -1;
  std::string best, current;
  std::string_view word;
  auto close = [&] {
    if (currentRank > bestRank) bestRank = currentRank, best = current;
  };
  while (nextWord(rest, word)) {
    const auto key = std::find(std::begin(kKeys), std::end(kKeys), word);
    if (key != std::end(kKeys)) {
      close();
      currentRank = int(key - std::begin(kKeys));
      current.clear();
    } else if (currentRank >= 0) {
      if (!current.empty()) current += ' ';
      current += word;
    }
  }
  close();
  return bestRank >= 0 && xpmColour(best, rgb);
}

}  // namespace

bool xpmColour(std::string_view spec, uint8_t rgb[3]) {
  if (spec.empty()) return false;
  std::string lower = Qz__FoldName(spec.substr(0, 5));
  if (Qz__StartsWith(lower, "none")) {
    rgb[0] = rgb[1] = rgb[2] = 127;
    return true;
  }
  if (Qz__StartsWith(lower, "rgbi:")) return Qz__Fractions(spec.substr(5), '/', rgb);
  if (Qz__StartsWith(lower, "rgb:")) {
    std::string_view rest = spec.substr(4);
    for (int c = 0; c < 3; ++c) {
      const size_t end = c < 2 ? rest.find('/') : rest.size();
      if (end == std::string_view::npos || !Qz__HexChannel(rest.substr(0, end), rgb[c])) return false;
      rest = c < 2 ? rest.substr(end + 1) : std::string_view{};
    }
    return true;
  }
  if (spec[0] == '#') {
    const std::string_view digits = spec.substr(1);
    if (digits.size() % 3 != 0 || digits.empty() || digits.size() > 12) return false;
    const size_t n = digits.size() / 3;
    for (int c = 0; c < 3; ++c)
      if (!Qz__HexChannel(digits.substr(size_t(c) * n, n), rgb[c])) return false;
    return true;
  }
  if (std::isdigit(static_cast<unsigned char>(spec[0])) || spec[0] == '.') return Qz__Fractions(spec, ',', rgb);
  Qz__NamedColour(spec, rgb);
  return true;
}

uint32_t xpmIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  XpmHeader header;
  if (!Qz__ReadHeader(head, header)) return kNotThisFormat;
  if (!fileCanHold(uint64_t{header.width} * header.height * header.charsPerPixel, 1, fileSize))
    return reportTooShort("XPM", header.width, header.height);
  info = trueColourInfo(header.width, header.height);
  return kOk;
}

uint32_t xpmDecode(std::span<const uint8_t> file, PixelRows& rows) {
  XpmHeader header;
  if (!Qz__ReadHeader(file, header)) return kNotThisFormat;
  const uint32_t width = header.width, height = header.height, cpp = header.charsPerPixel;
  CSourceText text(file);
  text.seek(header.colourStart);
  std::unordered_map<std::string_view, uint32_t> colours;
  for (uint32_t i = 0; i < header.colours; ++i) {
    const auto line = text.nextString();
    std::optional<std::string_view> spec;
    if (line && header.version1) spec = text.nextString();
    if (!line || line->size() < cpp || (header.version1 && (!spec || line->size() != cpp))) {
      reportDamage("XPM: the file ends inside its colours");
      return kReadError;
    }
    uint8_t rgb[3];
    const bool good = header.version1 ? xpmColour(*spec, rgb) : Qz__ColourLine(line->substr(cpp), rgb);
    if (!good) {
      reportDamage("XPM: the colour \"" + std::string(line->substr(0, 60)) + "\" cannot be read");
      return kReadError;
    }
    colours.emplace(line->substr(0, cpp), uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16);
  }
  // XPM1 has a second array for the rows.
  if (header.version1 && !text.skipPast("static")) {
    reportDamage("XPM: the file ends before its rows");
    return kReadError;
  }
  std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[size_t{width} * 3]);
  if (!rgb) return kNoMemory;
  for (uint32_t y = 0; y < height; ++y) {
    const auto line = text.nextString();
    if (!line || line->size() < size_t{width} * cpp) {
      if (y == 0) {
        reportDamage("XPM: the file ends before its first row");
        return kReadError;
      }
      // The rows read make the picture; the rest are white.
      std::memset(rgb.get(), 255, size_t{width} * 3);
      for (uint32_t rest = y; rest < height; ++rest)
        if (!rows.store(rest, kLayoutRGB, rgb.get())) return kNoMemory;
      reportPartial("XPM: the file ends after " + std::to_string(y) + " of its " + std::to_string(height) + " rows");
      return kOk;
    }
    for (uint32_t x = 0; x < width; ++x) {
      const auto found = colours.find(line->substr(size_t{x} * cpp, cpp));
      if (found == colours.end()) {
        reportDamage("XPM: row " + std::to_string(y + 1) + " uses a pixel code that has no colour");
        return kReadError;
      }
      uint8_t* p = rgb.get() + size_t{x} * 3;
      p[0] = uint8_t(found->second), p[1] = uint8_t(found->second >> 8), p[2] = uint8_t(found->second >> 16);
    }
    if (!rows.store(y, kLayoutRGB, rgb.get())) return kNoMemory;
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  return kOk;
}

namespace {

// Every pixel's index into the sorted distinct colours; false when there
// are more than 256.
bool Qz__ExactColours(const std::vector<uint8_t>& rgb, std::vector<uint32_t>& palette, std::vector<uint8_t>& indices) {
  palette.clear();
  for (size_t i = 0; i < rgb.size(); i += 3) {
    const uint32_t colour = uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2];
    const auto at = std::lower_bound(palette.begin(), palette.end(), colour);
    if (at != palette.end() && *at == colour) continue;
    if (palette.size() == 256) return false;
    palette.insert(at, colour);
  }
  indices.resize(rgb.size() / 3);
  for (size_t i = 0; i < indices.size(); ++i) {
    const uint32_t colour = uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
    indices[i] = uint8_t(std::lower_bound(palette.begin(), palette.end(), colour) - palette.begin());
  }
  return true;
}

// The fixed 3-3-2 palette with Floyd-Steinberg error diffusion, left to right.
void Qz__QuantiseTo332(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height, std::vector<uint32_t>& palette,
                       std::vector<uint8_t>& indices) {
  palette.resize(256);
  for (uint32_t i = 0; i < 256; ++i) {
    const uint32_t r = ((i & 0xE0) * 255 + 112) / 224, g = ((i & 0x1C) * 2040 + 112) / 224,
                   b = ((i & 3) * 16320 + 96) / 192;
    palette[i] = r << 16 | g << 8 | b;
  }
  indices.resize(size_t{width} * height);
  // Errors of this row and the next, one pixel of margin each side.
  std::vector<int32_t> current(size_t{width + 2} * 3), next(size_t{width + 2} * 3);
  for (uint32_t y = 0; y < height; ++y) {
    std::fill(next.begin(), next.end(), 0);
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* p = &rgb[(size_t{y} * width + x) * 3];
      int32_t value[3];
      for (int c = 0; c < 3; ++c) value[c] = std::clamp(p[c] + current[(x + 1) * 3 + c] / 16, 0, 255);
      const uint32_t i = uint32_t(value[0] & 0xE0) | uint32_t(value[1] >> 3 & 0x1C) | uint32_t(value[2] >> 6);
      indices[size_t{y} * width + x] = uint8_t(i);
      for (int c = 0; c < 3; ++c) {
        const int32_t error = value[c] - int32_t(palette[i] >> (16 - 8 * c) & 0xFF);
        current[(x + 2) * 3 + c] += error * 7;
        next[x * 3 + c] += error * 3;
        next[(x + 1) * 3 + c] += error * 5;
        next[(x + 2) * 3 + c] += error;
      }
    }
    std::swap(current, next);
  }
}

}  // namespace

uint32_t xpmEncode(uint32_t width, uint32_t height, uint32_t depth, std::string_view fileName, PixelRows& rows,
                   std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0) return kBadArguments;
  std::vector<uint8_t> rgb(size_t{width} * height * 3);
  for (uint32_t y = 0; y < height; ++y)
    if (!rows.fetch(y, kLayoutRGB, &rgb[size_t{y} * width * 3])) return kBadArguments;
  std::vector<uint32_t> palette;
  std::vector<uint8_t> indices;
  if (!Qz__ExactColours(rgb, palette, indices)) Qz__QuantiseTo332(rgb, width, height, palette, indices);
  // Unused entries go; the others keep their order.
  bool used[256] = {};
  for (uint8_t i : indices) used[i] = true;
  uint8_t renumbered[256] = {};
  std::vector<uint32_t> kept;
  for (uint32_t i = 0; i < palette.size(); ++i)
    if (used[i]) renumbered[i] = uint8_t(kept.size()), kept.push_back(palette[i]);
  const uint32_t cpp = kept.size() <= 64 ? 1 : 2;
  auto code = [&](uint32_t i) {
    return cpp == 1 ? std::string(1, kCodeCharacters[i]) : std::string{kCodeCharacters[i / 64], kCodeCharacters[i % 64]};
  };
  std::string text = "/* XPM */\nstatic char *" + std::string(identifierOf(fileName)) + "[] = {\n";
  char line[128];
  text += "/* width height num_colors chars_per_pixel */\n";
  std::snprintf(line, sizeof line, "\"\t %3u\t %3u\t %6u\t\t\t\t\t\t%1u\",\n", width, height, unsigned(kept.size()), cpp);
  text += line;
  text += "/* colors */\n";
  for (uint32_t i = 0; i < kept.size(); ++i) {
    std::snprintf(line, sizeof line, "\"%s c #%06x\",\n", code(i).c_str(), kept[i]);
    text += line;
  }
  text += "/* pixels */\n";
  for (uint32_t y = 0; y < height; ++y) {
    text += '"';
    for (uint32_t x = 0; x < width; ++x) text += code(renumbered[indices[size_t{y} * width + x]]);
    text += y + 1 < height ? "\",\n" : "\"\n";
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  text += "};\n";
  out.insert(out.end(), text.begin(), text.end());
  return kOk;
}

}  // namespace qz::codec
