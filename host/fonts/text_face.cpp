// Text faces through FreeType: the family's own bold and italic faces when
// fontconfig finds them, else the regular face emboldened or sheared.
#include "host/fonts/text_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>

#include "host/fonts/freetype_faces.h"

namespace qz::fonts {
namespace {

// About the slant of a true italic: x += 0.2 y.
constexpr FT_Fixed kItalicShear = 0x3333;

class FreeTypeTextFace final : public TextFace {
 public:
  FreeTypeTextFace(FT_Face face, bool embolden, bool shear, int pixelSize)
      : face_(face), embolden_(embolden), emboldenStrength_(std::max<FT_Pos>(64, FT_Pos(pixelSize) * 64 / 24)) {
    if (shear) {
      FT_Matrix matrix{0x10000, kItalicShear, 0, 0x10000};
      FT_Set_Transform(face_, &matrix, nullptr);
    }
    ascent_ = int((face_->size->metrics.ascender + 63) >> 6);
  }
  ~FreeTypeTextFace() override {
    std::lock_guard<std::mutex> lock(freeTypeLock());
    FT_Done_Face(face_);
  }
  int ascent() const override { return ascent_; }
  int advance(char32_t c) override { return render(c).advance; }
  int kerning(char32_t left, char32_t right) override {
    if (!FT_HAS_KERNING(face_)) return 0;
    std::lock_guard<std::mutex> lock(freeTypeLock());
    FT_Vector delta{0, 0};
    if (FT_Get_Kerning(face_, FT_Get_Char_Index(face_, left), FT_Get_Char_Index(face_, right), FT_KERNING_DEFAULT,
                       &delta) != 0)
      return 0;
    return int((delta.x + 32) >> 6);
  }
  TextGlyph render(char32_t c) override {
    std::lock_guard<std::mutex> lock(freeTypeLock());
    TextGlyph g;
    if (FT_Load_Char(face_, c, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return g;
    FT_GlyphSlot slot = face_->glyph;
    FT_Pos extra = 0;
    if (embolden_ && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_Outline_Embolden(&slot->outline, emboldenStrength_);
      extra = emboldenStrength_;
    }
    g.advance = int((slot->advance.x + extra + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return g;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) return g;
    g.left = slot->bitmap_left, g.top = slot->bitmap_top;
    g.width = int(bm.width), g.height = int(bm.rows);
    g.coverage.resize(size_t(g.width) * size_t(g.height));
    for (int y = 0; y < g.height; ++y) {
      const unsigned char* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
      for (int x = 0; x < g.width; ++x)
        g.coverage[size_t(y) * size_t(g.width) + size_t(x)] =
            bm.num_grays == 256 ? row[x] : uint8_t(row[x] * 255 / std::max(1, int(bm.num_grays) - 1));
    }
    return g;
  }

 private:
  FT_Face face_;
  bool embolden_;
  FT_Pos emboldenStrength_;
  int ascent_ = 0;
};

}  // namespace

std::unique_ptr<TextFace> openTextFace(const std::string& family, int pixelSize, bool bold, bool italic) {
  if (pixelSize <= 0 || pixelSize > 8192) return nullptr;
  std::string file, found;
  int index = 0;
  FaceStyle style{bold, italic};
  if (!locateFace(family, pixelSize, file, index, found, &style)) return nullptr;
  std::lock_guard<std::mutex> lock(freeTypeLock());
  FT_Library lib = freeTypeLibrary();
  FT_Face face = nullptr;
  if (!lib || FT_New_Face(lib, file.c_str(), index, &face) != 0 || !face) return nullptr;
  if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize)) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  try {
    return std::make_unique<FreeTypeTextFace>(face, bold && !style.bold, italic && !style.italic, pixelSize);
  } catch (...) {
    FT_Done_Face(face);
    return nullptr;
  }
}

std::vector<std::string> scalableFamilies() {
  std::vector<std::string> names;
  if (!FcInit()) return {};
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* wanted = FcObjectSetBuild(FC_FAMILY, nullptr);
  if (pattern && wanted) {
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    if (FcFontSet* set = FcFontList(nullptr, pattern, wanted)) {
      for (int i = 0; i < set->nfont; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family)
          names.emplace_back(reinterpret_cast<const char*>(family));
      }
      FcFontSetDestroy(set);
    }
  }
  if (wanted) FcObjectSetDestroy(wanted);
  if (pattern) FcPatternDestroy(pattern);
  return names;
}

}  // namespace qz::fonts
