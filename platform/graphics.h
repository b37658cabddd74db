// Rast-port drawing: pens, draw modes, lines, rectangles, ellipses, text,
// pixel arrays, one clip rectangle, regions (used by their bounds) and bitmaps.
// A RastPort draws straight into a 32-bit 0x00RRGGBB pixel buffer (a window's
// backing store); pens are COLORREF values 0x00BBGGRR, converted on the way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/qz_export.h"
#include "platform/qz_word.h"

namespace qz::raster {
class PixelBuffer;
}
namespace qz::fonts {
class Font;
}

struct Window;   // platform window (platform/windows.h)
struct Screen;   // the one platform screen (platform/windows.h)
struct TagItem;  // platform/lists.h

// Inclusive pixel rectangle.
struct Rectangle {
  int16_t MinX, MinY, MaxX, MaxY;
};

struct RegionRectangle {
  struct RegionRectangle* Next;
  struct RegionRectangle* Prev;
  Rectangle bounds;
};

// Only the bounds take part in clipping; the chain is freed with the region.
struct Region {
  Rectangle bounds;
  struct RegionRectangle* RegionRectangle;
};

// The clip owner of a rast port: its window field names the owning Window.
struct Layer {
  struct Window* window;
};

// Draw modes.
inline constexpr uint8_t JAM1 = 0;        // foreground only
inline constexpr uint8_t JAM2 = 1;        // foreground and background
inline constexpr uint8_t COMPLEMENT = 2;  // invert (fills) / not-xor (lines)

// A pen value with this bit is a direct colour 0x02BBGGRR; otherwise it is a
// pen number into the screen's colour table.
inline constexpr uint32_t kDirectColourFlag = 0x02000000u;

struct RastPort {
  struct Layer* Layer;
  uint32_t FgPen;
  uint32_t BgPen;
  uint8_t AOlPen;  // outline pen number of filled ellipses
  uint8_t DrawMode;
  int16_t cp_x, cp_y;  // pen position
  uint16_t TxHeight;   // text cell height of Font
  struct Window* OwnerWindow;

  // Host side, where the other platform keeps its device context and window
  // handle. Target may be null: drawing then does nothing.
  qz::raster::PixelBuffer* Target;
  void* HostWindow;  // opaque to the rasteriser; back ends may use it
  qz::fonts::Font* Font;
  // The one clip rectangle in Target coordinates, half-open; without ClipOn the
  // whole buffer is drawable.
  uint8_t ClipOn;
  int32_t ClipX0, ClipY0, ClipX1, ClipY1;
};

// Bitmap record, allocated as one block with its plane data behind it.
struct BitMap {
  uint16_t BytesPerRow;  // width rounded up to 32 pixels, in bytes
  uint16_t Rows;
  uint8_t Flags;
  uint8_t Depth;
  uint8_t pad;
  uint8_t* Planes[8];
};

inline constexpr uint32_t BMF_CLEAR = 1;
inline constexpr uint32_t BMA_HEIGHT = 0;
inline constexpr uint32_t BMA_DEPTH = 4;
inline constexpr uint32_t BMA_WIDTH = 8;
inline constexpr uint32_t BMA_FLAGS = 12;

// Device-independent bitmap header with room for 256 colours (the BMP layout:
// 40-byte header, then B, G, R, 0 quads).
struct QzBitmapInfo {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;  // negative: top row first
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
  uint8_t bmiColors[256][4];
};

// Pixel-array formats.
inline constexpr uint32_t kPixelFormatBGR24 = 0;   // bytes B, G, R
inline constexpr uint32_t kPixelFormatXRGB32 = 1;  // bytes B, G, R, X (0x00RRGGBB words)
inline constexpr uint32_t kPixelFormatXRGB32b = 2;
inline constexpr uint32_t kPixelFormatLUT8 = 3;    // pen numbers, screen colours

QZ_EXTERN_C_BEGIN

// The screen's colour table: 256 COLORREF entries; 0 face, 1 shadow (black),
// 2 shine (white), 3 highlight, the rest 0. The screen code may change entries.
QZ_EXPORT uint32_t* Qz_GetScreenPens(void);
// A pen value to its COLORREF: direct colours lose their flag, pen numbers
// (taken modulo 256) look up the table.
QZ_EXPORT uint32_t Qz_ResolvePen(uint32_t pen);

// Sets up a rast port for a target buffer (may be null): pens 0, draw mode 1,
// no clip, the default font and its height. Use it before the first drawing.
QZ_EXPORT void Qz_AttachRastPort(struct RastPort* rp, qz::raster::PixelBuffer* target);
// Resets pen state only (draw mode 1); target, font and clip are kept.
QZ_EXPORT void InitRastPort(struct RastPort* rp);
QZ_EXPORT void SetAPen(struct RastPort* rp, uint32_t pen);
QZ_EXPORT void SetBPen(struct RastPort* rp, uint32_t pen);
QZ_EXPORT void SetDrMd(struct RastPort* rp, uint32_t mode);
QZ_EXPORT void SetABPenDrMd(struct RastPort* rp, uint32_t aPen, uint32_t bPen, uint32_t mode);
QZ_EXPORT uint32_t GetDrMd(struct RastPort* rp);
QZ_EXPORT void Move(struct RastPort* rp, int32_t x, int32_t y);
// Changes the face text is drawn in (and the text height); null keeps the current one.
QZ_EXPORT void Qz_SetRastPortFont(struct RastPort* rp, qz::fonts::Font* font);

// Corners in any order, both inclusive. Complement mode inverts the area.
QZ_EXPORT void RectFill(struct RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Foreground pen := 0 (it stays so), then RectFill.
QZ_EXPORT void EraseRect(struct RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Fills x..x+width-1, y..y+height-1 with a COLORREF; returns width x height (0 when empty or rp null).
QZ_EXPORT int32_t FillPixelArray(struct RastPort* rp, int32_t x, int32_t y, int32_t width, int32_t height,
                                 uint32_t colorRef);
QZ_EXPORT void WritePixel(struct RastPort* rp, int32_t x, int32_t y);
// COLORREF at (x, y); 0xFFFFFFFF outside the buffer.
QZ_EXPORT uint32_t ReadRGBPixel(struct RastPort* rp, int32_t x, int32_t y);

// Line from the pen position to (x, y) in the foreground pen; the position moves there.
QZ_EXPORT void Draw(struct RastPort* rp, int32_t x, int32_t y);
// Horizontal and vertical lines include both ends (and set the foreground pen);
// other lines leave out their last pixel and use not-xor in complement mode.
QZ_EXPORT void DrawLine(struct RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pen);
QZ_EXPORT void DrawEllipse(struct RastPort* rp, int32_t cx, int32_t cy, int32_t rx, int32_t ry);

// UTF-8 text, length in bytes. The pen position is the text's top-left; Text
// advances it by the width and returns the width.
QZ_EXPORT int32_t Text(struct RastPort* rp, const char* text, int32_t length);
QZ_EXPORT int32_t TextLength(struct RastPort* rp, const char* text, int32_t length);
// Bytes of the longest leading run of whole characters no wider than maxWidth; 0 when none.
QZ_EXPORT int32_t TextFit(struct RastPort* rp, const char* text, int32_t length, int32_t maxWidth);
// Text turned by a quarter turn, always transparent; (x, y) is where the
// unturned text's top-left corner goes. 90: reads bottom to top, the text
// occupying columns x..x+h-1 and rows y-w..y-1 (w the width, h the text
// height); 270: reads top to bottom over columns x-h..x-1 and rows y..y+w-1.
// Other angles draw nothing. Returns the width; the pen does not move.
QZ_EXPORT int32_t Qz_TextRotated(struct RastPort* rp, int32_t x, int32_t y, const char* text, int32_t length,
                                 int32_t angleDegrees);
QZ_EXPORT void SetFont(struct RastPort* rp, void* font);

// Pixel arrays (formats above); srcBytesPerRow is the source row stride.
QZ_EXPORT void WritePixelArray(const void* src, int32_t srcX, int32_t srcY, int32_t srcBytesPerRow,
                               struct RastPort* rp, int32_t x, int32_t y, int32_t width, int32_t height,
                               uint32_t format);
QZ_EXPORT void ScalePixelArray(const void* src, int32_t srcW, int32_t srcH, int32_t srcBytesPerRow,
                               struct RastPort* rp, int32_t x, int32_t y, int32_t width, int32_t height,
                               uint32_t format);
QZ_EXPORT void MyScalePixelArray(const void* src, int32_t srcX, int32_t srcY, int32_t srcW, int32_t srcH,
                                 int32_t srcBytesPerRow, struct RastPort* rp, int32_t x, int32_t y,
                                 int32_t width, int32_t height, uint32_t format);

// Direct colour from left-justified 32-bit components; no pen is reserved.
QZ_EXPORT uint32_t ObtainBestPenA(void* colorMap, uint32_t r, uint32_t g, uint32_t b, const struct TagItem* tags);
// Red, green and blue of one screen pen as left-justified 32-bit values (3 words).
QZ_EXPORT void GetRGB32(void* colorMap, uint32_t pen, uint32_t count, uint32_t* table);

QZ_EXPORT struct Region* NewRegion(void);
QZ_EXPORT void ClearRegion(struct Region* region);
QZ_EXPORT void DisposeRegion(struct Region* region);
// Narrows the bounds to their intersection with the rectangle; returns 1.
QZ_EXPORT int32_t OrRectRegion(struct Region* region, const struct Rectangle* rect);
// Clips the rast port of the layer's window. A region: its bounds (inclusive),
// narrowed to the damage while the window refreshes, narrow the clip already
// there. NULL: the damage while refreshing, else no clip. Always returns NULL.
QZ_EXPORT struct Region* InstallClipRegion(struct Layer* layer, struct Region* region);
// Clip helpers on a rast port (inclusive corners / removal), for the window code.
QZ_EXPORT void Qz_SetClipRect(struct RastPort* rp, int32_t minX, int32_t minY, int32_t maxX, int32_t maxY);
QZ_EXPORT void Qz_ClearClip(struct RastPort* rp);
// Moves the content of the inclusive rectangle by (-dx, -dy) inside the rast
// port's buffer; the uncovered strip keeps its old pixels.
QZ_EXPORT void Qz_ScrollRastPort(struct RastPort* rp, int32_t dx, int32_t dy, int32_t xMin, int32_t yMin,
                                 int32_t xMax, int32_t yMax);

// Window-side calls: the refreshing flag and damage rectangle live in the
// Window record (platform/windows.h). LockPubScreen, which opens the screen,
// is a window call too.
QZ_EXPORT void BeginRefresh(struct Window* window);
QZ_EXPORT void EndRefresh(struct Window* window);
QZ_EXPORT void ScrollWindowRaster(struct Window* window, int32_t dx, int32_t dy, int32_t xMin, int32_t yMin,
                                  int32_t xMax, int32_t yMax);
QZ_EXPORT void WindowToBack(struct Window* window);
QZ_EXPORT int32_t UnlockPubScreen(const char* name, struct Screen* screen);

QZ_EXPORT struct BitMap* AllocBitMap(uint32_t width, uint32_t height, uint32_t depth, uint32_t flags,
                                     const struct BitMap* friendBitMap);
QZ_EXPORT void FreeBitMap(struct BitMap* bitmap);
QZ_EXPORT uint32_t GetBitMapAttr(const struct BitMap* bitmap, uint32_t attribute);
QZ_EXPORT struct QzBitmapInfo* alloc_bitmapinfo(const struct BitMap* bitmap);
QZ_EXPORT void free_bitmapinfo(struct QzBitmapInfo* info);
// 1..8 bit planes (plane k gives bit k; leftmost pixel in each byte's top bit)
// into one byte per pixel; a row has srcBytesPerRow x 8 pixels, cut to
// destBytesPerRow. Other depths: nothing.
QZ_EXPORT void planar_to_chunky(uint8_t* const* planes, uint8_t* dest, uint32_t rows, uint32_t depth,
                                uint32_t srcBytesPerRow, uint32_t destBytesPerRow);

// Area filling is not offered.
QZ_EXPORT int32_t AreaEnd(struct RastPort* rp);
QZ_EXPORT int32_t getreg(int32_t reg);
QZ_EXPORT void putreg(int32_t reg, int32_t value);
QZ_EXPORT void Qz_StackCheck(void);
QZ_EXPORT int32_t Qz__InitExecute(void);
QZ_EXPORT void Qz__CleanupExecute(void);
QZ_EXPORT void Qz__RemapBitMap(struct BitMap* bitmap);
QZ_EXPORT int32_t ImageToWindowXa(void* view, int32_t x);
QZ_EXPORT int32_t ImageToWindowYa(void* view, int32_t y);
QZ_EXPORT int32_t WindowToImageXa(void* view, int32_t x);
QZ_EXPORT int32_t WindowToImageYa(void* view, int32_t y);

QZ_EXTERN_C_END

template <typename... Args>
inline uint32_t ObtainBestPen(void* colorMap, uint32_t r, uint32_t g, uint32_t b, Args... tags) {
  const auto words = qz::packWords(tags...);
  return ObtainBestPenA(colorMap, r, g, b, reinterpret_cast<const struct TagItem*>(words.data()));
}
