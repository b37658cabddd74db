// Every drawing call with coordinates and sizes at the ends of their range:
// nothing outside the clip changes, nothing is written out of bounds (the
// sanitizer build checks), and no call walks a huge shape pixel by pixel.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "canvas.h"
#include "host/raster/rasteriser.h"
#include "objects/draw/qz_draw.h"

using rastertest::Canvas;
using rastertest::kPaper;

TEST(HostileCoordinates, DrawingStaysInsideTheClip) {
  const int32_t values[] = {INT32_MIN, -1000000000, -70000, -1, 0, 3, 9, 70000, 1000000000, INT32_MAX};
  uint8_t pixels[4 * 4 * 4] = {};
  for (int32_t a : values)
    for (int32_t b : values) {
      SCOPED_TRACE(testing::Message() << a << ", " << b);
      Canvas cv(12, 10);
      Qz_SetClipRect(&cv.rp, 2, 2, 8, 6);
      SetAPen(&cv.rp, 1);
      cv.rp.AOlPen = 2;
      if (b == 3) DrawEllipse(&cv.rp, 5, 5, a, a);  // huge radii are cut to what pen positions hold
      for (uint8_t mode : {JAM1, JAM2, COMPLEMENT}) {
        SetDrMd(&cv.rp, mode);
        RectFill(&cv.rp, a, b, b, a);
        DrawLine(&cv.rp, a, b, b, a, 1);
        DrawLine(&cv.rp, a, 5, b, 5, 1);
        Move(&cv.rp, a, b);
        Draw(&cv.rp, b, a);
        DrawEllipse(&cv.rp, a, b, 3, 4);
        Qz_FillEllipse(&cv.rp, a, b, b, a);
        Qz_FillEllipse(&cv.rp, 5, 4, a, b);
        FillPixelArray(&cv.rp, a, b, b, a, 0x123456);
        WritePixelArray(pixels, 0, 0, 16, &cv.rp, a, b, 4, 4, kPixelFormatXRGB32);
        ScalePixelArray(pixels, 4, 4, 16, &cv.rp, a, b, 7, 9, kPixelFormatXRGB32);
        ScalePixelArray(pixels, 4, 4, 16, &cv.rp, 1, 1, a, b, kPixelFormatXRGB32);
        Qz_DrawBezier(&cv.rp, a, b, 5, 5, b, a, 8);
        Qz_TextRotated(&cv.rp, a, b, "Ww", 2, 90);
        Qz_TextRotated(&cv.rp, b, a, "Ww", 2, 270);
        Move(&cv.rp, a, b);
        Text(&cv.rp, "Ww", 2);
        Qz_ScrollRastPort(&cv.rp, a, b, 0, 0, 11, 9);
        Qz_ScrollRastPort(&cv.rp, 1, 1, a, b, b, a);
        const qz::raster::Point poly[] = {{a, b}, {b, a}, {5, 5}, {a, a}};
        qz::raster::fillPolygon(cv.buffer, {2, 2, 9, 7}, poly, 4, 0xFF00FF);
      }
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
          if (x < 2 || x > 8 || y < 2 || y > 6) {
            ASSERT_EQ(cv.at(x, y), kPaper) << x << "," << y;
          }
    }
}
