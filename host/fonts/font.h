// Text faces for the rasteriser: the built-in fixed-metric face (every glyph
// 8 x 13, baseline 10; what headless hosts and tests use, so layouts are exact)
// and FreeType faces found through fontconfig (DejaVu Sans is the interface
// face). Nothing outside host/ sees FreeType or fontconfig.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qz::fonts {

// One rendered glyph: an 8-bit coverage mask placed relative to the pen origin
// on the baseline (left: columns right of the origin, top: rows above the baseline).
struct Glyph {
  int width = 0, height = 0;
  int left = 0, top = 0;
  int advance = 0;
  std::vector<uint8_t> coverage;  // width x height, row by row; 255 is full ink
};

class Font {
 public:
  virtual ~Font() = default;
  // Cell height in pixels (ascent + descent) and the baseline's offset from the cell top.
  virtual int height() const = 0;
  virtual int ascent() const = 0;
  virtual int advance(char32_t codePoint) = 0;
  // The glyph stays valid as long as the face lives; safe from any thread.
  virtual const Glyph& glyph(char32_t codePoint) = 0;
  virtual const std::string& name() const = 0;
};

// The built-in face; always there.
QZ_EXPORT Font& fixedFont();

// A FreeType face for a family name at a pixel size (em height). A family
// fontconfig does not know resolves to its best match. Returns nullptr (and
// says why on stderr once per family) when no usable face is found.
QZ_EXPORT Font* openFreeTypeFont(const std::string& family, int pixelSize);

// The face new rast ports get. Until a host chooses, the fixed face.
enum class FontChoice { Fixed, Interface };
// Interface: DejaVu Sans through FreeType, falling back to the fixed face with
// one message on stderr when it cannot be loaded. Returns the face now in use.
QZ_EXPORT Font& chooseDefaultFont(FontChoice choice);
QZ_EXPORT Font& defaultFont();

// UTF-8 decoding one code point at a time; a malformed or cut sequence gives
// U+FFFD for its first byte and decoding resumes at the next byte.
QZ_EXPORT char32_t decodeUtf8(const char* text, int length, int& index);
// The code point's UTF-8 bytes appended to out.
QZ_EXPORT void appendUtf8(std::string& out, char32_t c);

}  // namespace qz::fonts
