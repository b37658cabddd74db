// Draws every frame style, bevel, curve, filled shape and text sample (fixed
// face and FreeType) onto one canvas and writes it as a PNG:
//   qz_gallery OUTPUT.png
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/fonts/font.h"
#include "host/raster/pixel_buffer.h"
#include "host/raster/rasteriser.h"
#include "objects/draw/qz_draw.h"
#include "platform/graphics.h"

namespace {

constexpr int kWidth = 960, kHeight = 720;

uint32_t direct(uint32_t rgb) { return kDirectColourFlag | qz::raster::colorRefFromRgb(rgb); }

void label(RastPort* rp, int x, int y, const std::string& text) {
  SetABPenDrMd(rp, 1, 0, JAM1);
  Move(rp, x, y);
  Text(rp, text.c_str(), static_cast<int32_t>(text.size()));
}

bool writePng(const qz::raster::PixelBuffer& buf, const char* path) {
  std::vector<uint8_t> rgb(static_cast<std::size_t>(buf.width()) * buf.height() * 3);
  for (int y = 0; y < buf.height(); ++y)
    for (int x = 0; x < buf.width(); ++x) {
      const uint32_t p = buf.at(x, y);
      uint8_t* o = &rgb[(static_cast<std::size_t>(y) * buf.width() + x) * 3];
      o[0] = static_cast<uint8_t>(p >> 16), o[1] = static_cast<uint8_t>(p >> 8), o[2] = static_cast<uint8_t>(p);
    }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(buf.width());
  image.height = static_cast<png_uint_32>(buf.height());
  image.format = PNG_FORMAT_RGB;
  const bool ok = png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr) != 0;
  if (!ok) std::fprintf(stderr, "qz_gallery: cannot write %s: %s\n", path, image.message);
  return ok;
}

void frames(Qz_DrawInfo& info, int top) {
  RastPort* rp = info.rastPort;
  label(rp, 10, top, "Frame styles 1-22 (untitled / titled)");
  const uint32_t styles[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 18, 20, 21, 22};
  int i = 0;
  for (uint32_t style : styles) {
    const int col = i % 10, row = i / 10;
    const int x = 14 + col * 94, y = top + 24 + row * 110;
    label(rp, x, y, std::to_string(style));
    const int h = style >= 21 ? 13 : 34;
    Qz_DrawFrame(nullptr, &info, x, y + 18, style >= 21 ? 13 : 80, h, nullptr, 0, style);
    Qz_DrawFrame(nullptr, &info, x, y + 60, style >= 21 ? 13 : 80, h, "Title", 0, style);
    ++i;
  }
}

void shapes(Qz_DrawInfo& info, int top) {
  RastPort* rp = info.rastPort;
  label(rp, 10, top, "Bevel, indent, lines, ellipses, discs, curves, polygon, XOR");
  Qz_DrawBevel(&info, 14, top + 20, 60, 40);
  Qz_DrawIndent(&info, 84, top + 20, 60, 40);
  SetDrMd(rp, JAM2);
  for (int k = 0; k < 8; ++k) {  // a fan of lines
    SetAPen(rp, direct(0x000080 + k * 0x100000));
    Move(rp, 160, top + 60);
    Draw(rp, 160 + k * 8, top + 20 + k * 3 * (k % 2));
    Move(rp, 160, top + 60);
    Draw(rp, 230, top + 20 + k * 5);
  }
  SetAPen(rp, direct(0x0000C0));
  for (int r = 0; r <= 4; ++r) DrawEllipse(rp, 250 + r * 14, top + 40, r, r);
  DrawEllipse(rp, 360, top + 40, 28, 18);
  SetAPen(rp, direct(0xE0A000));
  rp->AOlPen = 1;
  Qz_FillEllipse(rp, 430, top + 40, 26, 18);
  SetAPen(rp, direct(0x00A000));
  Qz_DrawBezier(rp, 470, top + 60, 500, top + 15, 540, top + 60, 16);
  Qz_DrawBezier(rp, 470, top + 60, 510, top + 45, 540, top + 20, 1);
  const qz::raster::Point star[] = {{580, top + 62}, {600, top + 16}, {620, top + 62}, {570, top + 32}, {630, top + 32}};
  qz::raster::fillPolygon(*rp->Target, rp->Target->bounds(), star, 5, 0x008000C0);
  SetAPen(rp, direct(0x404040));
  RectFill(rp, 650, top + 20, 700, top + 60);
  SetDrMd(rp, COMPLEMENT);
  RectFill(rp, 670, top + 30, 720, top + 50);  // inverted once
  DrawEllipse(rp, 690, top + 40, 30, 16);
  SetDrMd(rp, JAM2);
}

void texts(RastPort* rp, int top, qz::fonts::Font* freetype) {
  label(rp, 10, top, "Text: fixed face (JAM1, JAM2, turned 90 and 270) and FreeType");
  const char* sample = "The quick brown fox 0123 \xC3\xA9\xE2\x82\xAC";
  SetABPenDrMd(rp, 1, 0, JAM1);
  Move(rp, 14, top + 20);
  Text(rp, sample, static_cast<int32_t>(std::strlen(sample)));
  SetABPenDrMd(rp, 2, direct(0x203080), JAM2);
  Move(rp, 14, top + 38);
  Text(rp, sample, static_cast<int32_t>(std::strlen(sample)));
  SetAPen(rp, 1);
  Move(rp, 340, top + 20);
  Qz_DrawRotatedText(rp, "Upwards", 7, 270);
  Qz_TextRotated(rp, 375, top + 20, "Downwards", 9, 270);
  if (freetype != nullptr) {
    qz::fonts::Font* fixed = rp->Font;
    Qz_SetRastPortFont(rp, freetype);
    SetABPenDrMd(rp, 1, 0, JAM1);
    Move(rp, 400, top + 20);
    Text(rp, sample, static_cast<int32_t>(std::strlen(sample)));
    SetABPenDrMd(rp, 2, direct(0x203080), JAM2);
    Move(rp, 400, top + 40);
    Text(rp, sample, static_cast<int32_t>(std::strlen(sample)));
    SetAPen(rp, 1);
    Move(rp, 700, top + 20);
    Qz_DrawRotatedText(rp, "Upwards", 7, 270);
    Qz_TextRotated(rp, 735, top + 20, "Downwards", 9, 270);
    Qz_SetRastPortFont(rp, fixed);
  } else {
    label(rp, 400, top + 20, "(no FreeType face found)");
  }
}

void pixels(RastPort* rp, int top) {
  label(rp, 10, top, "Pixel arrays: 4x4 source, copied, stretched to 40x40 and 40x16");
  uint8_t src[4 * 12];
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      uint8_t* p = &src[y * 12 + x * 3];
      p[0] = static_cast<uint8_t>(x * 85), p[1] = static_cast<uint8_t>(y * 85), p[2] = static_cast<uint8_t>(255 - x * 60);
    }
  WritePixelArray(src, 0, 0, 12, rp, 14, top + 20, 4, 4, kPixelFormatBGR24);
  ScalePixelArray(src, 4, 4, 12, rp, 30, top + 20, 40, 40, kPixelFormatBGR24);
  ScalePixelArray(src, 4, 4, 12, rp, 80, top + 20, 40, 16, kPixelFormatBGR24);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qz_gallery OUTPUT.png\n");
    return 2;
  }
  qz::raster::PixelBuffer canvas(kWidth, kHeight);
  canvas.fill(qz::raster::rgbFromColorRef(Qz_GetScreenPens()[0]));
  RastPort rp{};
  Qz_AttachRastPort(&rp, &canvas);

  Qz_DrawInfo info{};
  static int fakeWindow;  // frames only ask whether there is one
  info.window = reinterpret_cast<struct Window*>(&fakeWindow);
  info.rastPort = &rp;
  info.lightPen = direct(0x808080);
  info.darkPen = direct(0xDFDFDF);
  info.backgroundPen = 0;
  info.frameWidth = info.frameHeight = 2;

  frames(info, 8);
  shapes(info, 250);
  texts(&rp, 340, qz::fonts::openFreeTypeFont("DejaVu Sans", 11));
  pixels(&rp, 450);

  // A blank canvas would mean nothing was drawn at all.
  const uint32_t face = canvas.at(0, 0);
  int inked = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) inked += canvas.at(x, y) != face;
  if (inked < 1000) {
    std::fprintf(stderr, "qz_gallery: only %d pixels drawn\n", inked);
    return 1;
  }
  if (!writePng(canvas, argv[1])) return 1;
  std::printf("qz_gallery: wrote %s\n", argv[1]);
  return 0;
}
