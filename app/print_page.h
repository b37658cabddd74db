// The printed page: where the page set-up puts the picture on the printer's
// device, and the PostScript page that draws it there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/qz_export.h"

struct Qz_Image;

namespace qz::print {

// The picture's place as the page set-up gives it, in millimetres.
struct PageMillimetres {
  float left = 0, top = 0, width = 0, height = 0;
};

// Device pixels from the printable area's top left corner.
struct DeviceRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
};

// The printer's smallest margins, thousandths of an inch, and its pixels per inch.
struct Device {
  int32_t minimumLeft = 0, minimumTop = 0;
  int32_t pixelsPerInch = 300;
};

// Millimetres to inches less the printer's margins, times its pixels per inch, truncated.
QZ_EXPORT DeviceRect deviceRect(const PageMillimetres& page, const Device& device);

// One PostScript page drawing the image (24-bit, or 8-bit as grey) into the
// rectangle, titled with the document's name. False for an empty picture
// or rectangle, or an image of another depth.
QZ_EXPORT bool pagePostScript(Qz_Image* image, const DeviceRect& rect, const Device& device, const std::string& title,
                              std::vector<uint8_t>& out);

}  // namespace qz::print
