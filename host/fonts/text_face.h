// Faces for text put into pictures: any scalable family fontconfig knows, in
// bold and italic (emboldened or sheared when the family has no such face),
// with kerning; and the list of those families. Unlike the interface faces,
// each face belongs to its caller.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qz::fonts {

// An 8-bit coverage mask of one character; left and top place it against the
// pen on the baseline (left: columns right of the pen, top: rows above).
struct TextGlyph {
  int width = 0, height = 0;
  int left = 0, top = 0;
  int advance = 0;
  std::vector<uint8_t> coverage;  // width x height, row by row
};

class TextFace {
 public:
  virtual ~TextFace() = default;
  virtual int ascent() const = 0;
  virtual int advance(char32_t c) = 0;
  // The pair's adjustment in pixels, added to the left character's advance.
  virtual int kerning(char32_t left, char32_t right) = 0;
  virtual TextGlyph render(char32_t c) = 0;
};

// Not thread-safe by itself: one caller at a time per face.
QZ_EXPORT std::unique_ptr<TextFace> openTextFace(const std::string& family, int pixelSize, bool bold, bool italic);

// The family of every scalable face fontconfig lists (a family with several faces comes several times).
QZ_EXPORT std::vector<std::string> scalableFamilies();

}  // namespace qz::fonts
