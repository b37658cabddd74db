// A drawing surface for gadgets without a window thread: a pixel buffer
// behind a rast port, a platform window record and a drawing info, with the
// object layer open.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "host/raster/pixel_buffer.h"
#include "objects/object_services.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_object.h"
#include "objects/qz_root.h"
#include "objects/qz_semaphore.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace qztest {

inline constexpr uint32_t kWhite = 0xFFFFFF;

class Canvas : public testing::Test {
 protected:
  void SetUp() override {
    Qz_Init();
    Qz_AttachRastPort(&rastPort, &pixels);
    window.RPort = &rastPort;
    layer.window = &window;
    rastPort.Layer = &layer;
    info.drawSemaphore = Qz_AllocSemaphore();
    info.rastPort = &rastPort;
    info.window = &window;
    info.fontHeight = rastPort.TxHeight;
    info.disabledPen = 0x02123456;
    info.backgroundPen = 0x02C0C0C0;
    info.darkPen = 1;
    clear();
  }
  void TearDown() override {
    Qz_FreeSemaphore(info.drawSemaphore);
    Qz_CleanUp();
  }

  void clear() { FillPixelArray(&rastPort, 0, 0, pixels.width(), pixels.height(), kWhite); }
  // COLORREF at a point.
  uint32_t at(int x, int y) { return ReadRGBPixel(&rastPort, x, y); }
  // Pixels in x0..x1-1, y0..y1-1 that are not white.
  int ink(int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += at(x, y) != kWhite ? 1 : 0;
    return n;
  }
  // Gives the object this canvas to draw on.
  Qz_Object* attach(Qz_Object* o) {
    Qz_DoMethod(o, kRootSetDrawInfo, &info);
    return o;
  }
  static Qz_LayoutBox* box(Qz_Object* o) { return &Qz_RootInstance(o)->box; }
  static void placeAt(Qz_Object* o, int x, int y, int w, int h) {
    Qz_LayoutBox* b = box(o);
    b->left = int16_t(x);
    b->top = int16_t(y);
    b->width = int16_t(w);
    b->height = int16_t(h);
  }

  qz::raster::PixelBuffer pixels{320, 200};
  RastPort rastPort{};
  Window window{};
  Layer layer{};
  Qz_DrawInfo info{};
};

}  // namespace qztest
