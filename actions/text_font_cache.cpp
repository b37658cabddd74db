// Glyphs drawn large and averaged down, kept per face; the cache of faces.
#include "actions/text_font_cache.h"

#include <algorithm>
#include <cstdlib>

namespace qz::text {
namespace {

// Each f x f block of the large glyph becomes one pixel; the glyph's place
// against the pen is scaled with it.
CachedGlyph Qz__ScaleDown(const fonts::TextGlyph& big, int f) {
  CachedGlyph g;
  auto floorDiv = [f](int v) { return v >= 0 ? v / f : -((-v + f - 1) / f); };
  g.left = floorDiv(big.left), g.top = -floorDiv(-big.top);
  g.advance = (big.advance + f / 2) / f;
  if (big.width <= 0 || big.height <= 0) return g;
  // The block grid starts at the pen's column and the baseline's row, so glyphs share one grid.
  const int originX = g.left * f, originY = g.top * f;
  g.width = (big.left - originX + big.width + f - 1) / f;
  g.height = (originY - big.top + big.height + f - 1) / f;
  g.coverage.assign(size_t(g.width) * size_t(g.height), 0);
  const int area = f * f;
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x) {
      int sum = 0;
      for (int v = 0; v < f; ++v) {
        const int by = y * f + v - (originY - big.top);
        if (by < 0 || by >= big.height) continue;
        for (int u = 0; u < f; ++u) {
          const int bx = x * f + u - (big.left - originX);
          if (bx >= 0 && bx < big.width) sum += big.coverage[size_t(by) * size_t(big.width) + size_t(bx)];
        }
      }
      g.coverage[size_t(y) * size_t(g.width) + size_t(x)] = uint8_t((sum + area / 2) / area);
    }
  return g;
}

}  // namespace

FontEntry::FontEntry(FontKey key, std::unique_ptr<fonts::TextFace> face)
    : key_(std::move(key)), face_(std::move(face)) {
  const int f = int(std::max<uint32_t>(1, key_.factor));
  ascent_ = (face_->ascent() + f - 1) / f;
}

CachedGlyph FontEntry::render(char32_t c) {
  const int f = int(std::max<uint32_t>(1, key_.factor));
  if (c == U'\t') {  // four blanks
    CachedGlyph blank = render(U' ');
    return CachedGlyph{0, 0, 0, 0, blank.advance * 4, {}};
  }
  if (isLineEnd(c)) return {};
  return Qz__ScaleDown(face_->render(c), f);
}

const CachedGlyph& FontEntry::glyph(char32_t c) {
  if (auto it = glyphs_.find(c); it != glyphs_.end()) return it->second;
  return glyphs_.emplace(c, render(c)).first->second;
}

int FontEntry::kerning(char32_t left, char32_t right) {
  const int f = int(std::max<uint32_t>(1, key_.factor));
  const int k = face_->kerning(left, right);
  return k >= 0 ? (k + f / 2) / f : -((-k + f / 2) / f);
}

int FontEntry::rightSpacing(char32_t c) {
  const CachedGlyph& g = glyph(c);
  return g.width > 0 ? g.advance - g.left - g.width : 0;
}

std::shared_ptr<FontEntry> FontCache::entry(const FontKey& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = entries_.begin(); it != entries_.end(); ++it)
    if ((*it)->key() == key) return *it;
  const int64_t pixelSize = int64_t(key.size) * std::max<uint32_t>(1, key.factor);
  if (key.size <= 0 || pixelSize > 8192) return nullptr;
  std::unique_ptr<fonts::TextFace> face =
      opener_ ? opener_(key.family, int(pixelSize), key.style & kStyleBold, key.style & kStyleItalic) : nullptr;
  if (!face) return nullptr;
  if (entries_.size() >= kCapacity) entries_.pop_back();  // the oldest, with its glyphs
  entries_.push_front(std::make_shared<FontEntry>(key, std::move(face)));
  return entries_.front();
}

size_t FontCache::size() {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

FontCache& FontCache::shared() {
  static FontCache cache(fonts::openTextFace);
  return cache;
}

}  // namespace qz::text
