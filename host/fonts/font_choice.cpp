// The process-wide default face and UTF-8 decoding and encoding shared by every text call.
#include <atomic>
#include <cstdio>

#include "host/fonts/font.h"

namespace qz::fonts {
namespace {

constexpr const char* kInterfaceFamily = "DejaVu Sans";
// About the cell height of the other platform's interface font.
constexpr int kInterfacePixelSize = 11;

std::atomic<Font*>& current() {
  static std::atomic<Font*> font{&fixedFont()};
  return font;
}

}  // namespace

Font& chooseDefaultFont(FontChoice choice) {
  Font* font = &fixedFont();
  if (choice == FontChoice::Interface) {
    if (Font* ft = openFreeTypeFont(kInterfaceFamily, kInterfacePixelSize)) {
      font = ft;
    } else {
      static std::atomic<bool> told{false};
      if (!told.exchange(true))
        std::fprintf(stderr, "Quillantrix: using the built-in fixed font instead of \"%s\"\n", kInterfaceFamily);
    }
  }
  current().store(font);
  return *font;
}

Font& defaultFont() { return *current().load(); }

char32_t decodeUtf8(const char* text, int length, int& index) {
  const auto byte = [&](int i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char b0 = byte(index);
  if (b0 < 0x80) {
    ++index;
    return b0;
  }
  int extra;
  char32_t cp, minimum;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07, minimum = 0x10000;
  } else {
    ++index;
    return 0xFFFD;
  }
  if (index + extra >= length) {  // cut short by the end of the text
    ++index;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char b = byte(index + k);
    if ((b & 0xC0) != 0x80) {
      ++index;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++index;
    return 0xFFFD;
  }
  index += extra + 1;
  return cp;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace qz::fonts
