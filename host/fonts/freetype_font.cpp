// FreeType faces located through fontconfig, with a per-face glyph cache.
// Faces are opened once per (family, size) and kept for the process's life.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>

#include "host/fonts/font.h"
#include "host/fonts/freetype_faces.h"

namespace qz::fonts {

// FreeType's library object is not safe for concurrent face creation, and a
// face is not safe for concurrent rendering: one lock covers both, as glyphs
// are rendered once and then served from the cache.
std::mutex& freeTypeLock() {
  static std::mutex m;
  return m;
}

FT_Library freeTypeLibrary() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

namespace {

class FreeTypeFont final : public Font {
 public:
  FreeTypeFont(FT_Face face, std::string name) : face_(face), name_(std::move(name)) {
    const FT_Size_Metrics& m = face_->size->metrics;
    ascent_ = static_cast<int>((m.ascender + 63) >> 6);
    const int descent = static_cast<int>((-m.descender + 63) >> 6);
    height_ = std::max(1, ascent_ + descent);
  }
  int height() const override { return height_; }
  int ascent() const override { return ascent_; }
  int advance(char32_t cp) override { return glyph(cp).advance; }
  const std::string& name() const override { return name_; }

  const Glyph& glyph(char32_t cp) override {
    std::lock_guard<std::mutex> lock(freeTypeLock());
    auto it = cache_.find(cp);
    if (it != cache_.end()) return it->second;
    Glyph g;
    if (FT_Load_Char(face_, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
      const FT_GlyphSlot slot = face_->glyph;
      const FT_Bitmap& bm = slot->bitmap;
      g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
      g.left = slot->bitmap_left;
      g.top = slot->bitmap_top;
      if (bm.pixel_mode == FT_PIXEL_MODE_GRAY || bm.pixel_mode == FT_PIXEL_MODE_MONO) {
        g.width = static_cast<int>(bm.width);
        g.height = static_cast<int>(bm.rows);
        g.coverage.resize(static_cast<std::size_t>(g.width) * g.height);
        for (int y = 0; y < g.height; ++y) {
          const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
          for (int x = 0; x < g.width; ++x) {
            uint8_t a;
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
              a = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            else
              a = bm.num_grays == 256 || bm.num_grays == 0
                      ? src[x]
                      : static_cast<uint8_t>(src[x] * 255 / (bm.num_grays - 1));
            g.coverage[static_cast<std::size_t>(y) * g.width + x] = a;
          }
        }
      }
    }
    return cache_.emplace(cp, std::move(g)).first->second;
  }

 private:
  FT_Face face_;
  std::string name_;
  int ascent_ = 0, height_ = 1;
  std::unordered_map<char32_t, Glyph> cache_;
};

}  // namespace

bool locateFace(const std::string& family, int pixelSize, std::string& file, int& index, std::string& found,
                FaceStyle* style) {
  // fontconfig keeps caches until FcFini; release them at exit so leak checks see only real leaks.
  static const bool started = [] {
    if (!FcInit()) return false;
    std::atexit(FcFini);
    return true;
  }();
  if (!started) return false;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
  if (pattern == nullptr) return false;
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (style) {
    FcPatternAddInteger(pattern, FC_WEIGHT, style->bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, style->italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  }
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* path = nullptr;
  FcChar8* name = nullptr;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr;
  if (ok) {
    file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    found = FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name != nullptr
                ? reinterpret_cast<const char*>(name)
                : family;
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    // What the face found lacks the caller makes up (emboldening, shearing).
    if (style) style->bold = weight >= FC_WEIGHT_DEMIBOLD, style->italic = slant != FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return ok;
}

Font* openFreeTypeFont(const std::string& family, int pixelSize) {
  if (pixelSize <= 0 || pixelSize > 1000) return nullptr;
  static std::map<std::pair<std::string, int>, std::unique_ptr<FreeTypeFont>> faces;
  static std::set<std::string> reported;
  static std::mutex facesLock;
  std::lock_guard<std::mutex> guard(facesLock);
  const auto key = std::make_pair(family, pixelSize);
  if (auto it = faces.find(key); it != faces.end()) return it->second.get();

  auto fail = [&](const char* why) -> Font* {
    if (reported.insert(family).second)
      std::fprintf(stderr, "Quillantrix: font \"%s\" is not available (%s)\n", family.c_str(), why);
    return nullptr;
  };
  std::string file, found;
  int index = 0;
  if (!locateFace(family, pixelSize, file, index, found, nullptr)) return fail("fontconfig found no face");
  std::lock_guard<std::mutex> ft(freeTypeLock());
  FT_Library lib = freeTypeLibrary();
  if (lib == nullptr) return fail("FreeType did not start");
  FT_Face face = nullptr;
  if (FT_New_Face(lib, file.c_str(), index, &face) != 0 || face == nullptr) return fail("the face file cannot be read");
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
    FT_Done_Face(face);
    return fail("the face has no such size");
  }
  auto font = std::make_unique<FreeTypeFont>(face, found);
  Font* result = font.get();
  faces.emplace(key, std::move(font));
  return result;
}

}  // namespace qz::fonts
