// PostScript and EPS writer core: a true-colour picture as one page of
// hexadecimal colorimage data, placed on the page by its settings, with a
// prolog that falls back to grey image on printers without colour. Works on
// a buffer in memory with its settings passed in, so the printing path and
// the format classes share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// Lengths are millimetres; the resolution is in dots per inch.
struct PostScriptSettings {
  double pageWidth = 215.90044, pageHeight = 279.4;  // Letter
  double left = 10, right = 10, top = 10, bottom = 10;
  double resolution = 72;
  bool fitToPage = true;
  bool encapsulated = false;
  std::string title;
};

// Where the picture lands on paper, in millimetres, and the resolution that gives.
struct PostScriptPlacement {
  double width = 0, height = 0, resolution = 0;
};

// The placement of a width x height picture: fitted into the page inside its
// borders keeping its proportions, at the left and bottom borders; or at
// the settings' resolution. 1; 6 when the borders leave no room on the page,
// the resolution is not above 0 or the picture is empty.
QZ_EXPORT uint32_t postScriptPlacement(uint32_t width, uint32_t height, const PostScriptSettings& settings,
                                       PostScriptPlacement& placement);

// Appends the program for rows fetched as RGB to `out`. 1; 7 for a depth
// other than 24; 6 as the placement refuses; 9 stopped.
QZ_EXPORT uint32_t postScriptEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                                    const PostScriptSettings& settings, std::vector<uint8_t>& out);

}  // namespace qz::codec
