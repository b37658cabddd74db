// The faces text actions draw with, shared by all of them: at most six
// entries, keyed by size, smoothing factor, style, key value and family, the
// newest first; a seventh key pushes out the oldest with its glyphs. Each
// entry renders its glyphs at factor times the size and scales them down,
// and keeps them.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "actions/text_layout.h"
#include "host/fonts/text_face.h"
#include "platform/qz_export.h"

namespace qz::text {

enum : uint32_t { kStyleBold = 1, kStyleItalic = 2, kStyleUnderline = 4 };

struct FontKey {
  int32_t size = 0;
  uint32_t factor = 1;
  uint32_t style = 0;
  uint32_t keyValue = 0;
  std::string family;
  bool operator==(const FontKey&) const = default;
};

// A glyph at the text's real size; left and top place it against the pen on the baseline.
struct CachedGlyph {
  int width = 0, height = 0, left = 0, top = 0, advance = 0;
  std::vector<uint8_t> coverage;
};

class QZ_EXPORT FontEntry final : public GlyphMetrics {
 public:
  FontEntry(FontKey key, std::unique_ptr<fonts::TextFace> face);
  const FontKey& key() const { return key_; }
  // Held while a text is laid out or drawn with the entry.
  std::mutex& mutex() { return mutex_; }
  const CachedGlyph& glyph(char32_t c);
  int ascent() const { return ascent_; }
  size_t glyphCount() const { return glyphs_.size(); }

  int advance(char32_t c) override { return glyph(c).advance; }
  int kerning(char32_t left, char32_t right) override;
  int leftBearing(char32_t c) override { return glyph(c).left; }
  int rightSpacing(char32_t c) override;

 private:
  CachedGlyph render(char32_t c);
  FontKey key_;
  std::unique_ptr<fonts::TextFace> face_;
  std::mutex mutex_;
  int ascent_ = 0;
  std::unordered_map<char32_t, CachedGlyph> glyphs_;
};

using FaceOpener =
    std::function<std::unique_ptr<fonts::TextFace>(const std::string& family, int pixelSize, bool bold, bool italic)>;

class QZ_EXPORT FontCache {
 public:
  static constexpr size_t kCapacity = 6;
  explicit FontCache(FaceOpener opener) : opener_(std::move(opener)) {}
  // The entry for the key, made (and put first) when there is none; none
  // when no face can be opened for it.
  std::shared_ptr<FontEntry> entry(const FontKey& key);
  size_t size();
  // The program's cache, opening faces through fontconfig.
  static FontCache& shared();

 private:
  std::mutex mutex_;
  std::list<std::shared_ptr<FontEntry>> entries_;  // newest first
  FaceOpener opener_;
};

}  // namespace qz::text
