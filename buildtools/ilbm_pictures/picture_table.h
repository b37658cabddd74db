// The interface pictures the program loads from Data/Images: one row per
// file with its path under Data/Images, its size, its colours and the code
// that draws it. The build writes every row as an ILBM file; the tests read
// the same table to know what to expect.
#pragma once

#include <cstdint>
#include <span>

#include "picture_canvas.h"

namespace qz::pictures {

struct PictureSpec {
  const char* name;  // path below Data/Images, e.g. "ToolBar/Magnify+"
  int width;
  int height;
  std::span<const uint8_t> palette;  // red, green, blue per colour
  void (*draw)(PictureCanvas&);
};

std::span<const PictureSpec> pictureTable();

// The picture drawn on a fresh canvas of its size.
PictureCanvas drawPicture(const PictureSpec& spec);

}  // namespace qz::pictures
