// Drawing primitives shared by the gadgets: colour fills, background erasing
// in the nearest coloured ancestor's colour, bevels, discs, curves through
// three points, turned text, pointer shapes and the frame styles.
#pragma once

#include <cstdint>

#include "objects/qz_draw_info.h"
#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Qz_Object;
struct RastPort;
struct Window;

// Frame styles of Qz_DrawFrame (bit 0x80 of the low byte is ignored).
inline constexpr uint32_t kQzFrameBevel = 1;
inline constexpr uint32_t kQzFrameIndent = 2;
inline constexpr uint32_t kQzFrameGroove = 3;
inline constexpr uint32_t kQzFrameButton = 4;
inline constexpr uint32_t kQzFrameButtonSelected = 5;
inline constexpr uint32_t kQzFrameFlat = 6;
inline constexpr uint32_t kQzFrameFlat2 = 7;
inline constexpr uint32_t kQzFrameSelected = 8;
inline constexpr uint32_t kQzFrameTab = 9;
inline constexpr uint32_t kQzFrameTabRaised = 10;
inline constexpr uint32_t kQzFrameIndent2 = 11;
inline constexpr uint32_t kQzFrameDisc = 12;
inline constexpr uint32_t kQzFrameDiscSunken = 13;
inline constexpr uint32_t kQzFrameTabLeft = 14;
inline constexpr uint32_t kQzFrameTabBottom = 15;
inline constexpr uint32_t kQzFrameErasedIndent = 18;
inline constexpr uint32_t kQzFrameSeparator = 20;
inline constexpr uint32_t kQzFrameRadio = 21;
inline constexpr uint32_t kQzFrameRadioChecked = 22;

// The base colour value that means "not set".
inline constexpr uint32_t kQzColourNotSet = 0xFFFFFFFFu;
// The tool tips' colour (COLORREF); frame style 6 fills with pen 2 for it
// where object colours cannot be shown.
inline constexpr uint32_t kQzToolTipColour = 0xDCFAFA;

QZ_EXTERN_C_BEGIN

// Fills x..x+width-1, y..y+height-1 with a COLORREF; nothing without info or rast port.
QZ_EXPORT void Qz_FillRectRGB(Qz_DrawInfo* info, int32_t x, int32_t y, int32_t width, int32_t height,
                              uint32_t flags, uint32_t colour);
// Erases the rectangle in the colour of the object currently drawing, else of
// its nearest ancestor with a base colour, else in the background pen.
QZ_EXPORT void Qz_EraseBackground(Qz_Object* object, Qz_DrawInfo* info, int32_t x, int32_t y, int32_t width,
                                  int32_t height);
// Qz_EraseBackground over the box of the object currently drawing.
QZ_EXPORT void Qz_EraseObjectBackground(Qz_Object* object, Qz_DrawInfo* info);
QZ_EXPORT void Qz_DrawBevel(Qz_DrawInfo* info, int32_t x, int32_t y, int32_t width, int32_t height);
QZ_EXPORT void Qz_DrawIndent(Qz_DrawInfo* info, int32_t x, int32_t y, int32_t width, int32_t height);
// The ellipse in the box centre +- radii (right and bottom edges excluded),
// filled in the foreground pen and outlined in the outline pen.
QZ_EXPORT void Qz_FillEllipse(struct RastPort* rp, int32_t cx, int32_t cy, int32_t rx, int32_t ry);
// C(2, k) t^k (1 - t)^(2 - k).
QZ_EXPORT double Qz__BezierWeight(int32_t k, double t);
// A quadratic curve through the three points in steps segments; the pen
// position ends at the first point.
QZ_EXPORT void Qz_DrawBezier(struct RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                             int32_t y2, int32_t steps);
// Angle 270 only: the text reads bottom to top, starting at the pen position
// moved down by the text's width.
QZ_EXPORT void Qz_DrawRotatedText(struct RastPort* rp, const char* text, int32_t length, int32_t angle);
// Pointer shape while over the window: 1 move, 2 busy, 3 cross, 4 text beam,
// 5/6 west-east, 7/8 north-south, 9/12 north-west/south-east, 10/11
// north-east/south-west, others the arrow. Returns 1 (0 for a NULL window).
QZ_EXPORT int32_t Qz_SetCursor(struct Window* window, int32_t shape);
// The frame of a style round x, y, width, height with an optional title.
QZ_EXPORT void Qz_DrawFrame(Qz_Object* object, Qz_DrawInfo* info, int32_t x, int32_t y, int32_t width,
                            int32_t height, const char* title, QzWord reserved, uint32_t style);

QZ_EXTERN_C_END
