// The compositor: a document's visible pixels are its background with every
// visible layer laid over it, row by row, through the layer's mode, colour
// adjustments and transparency. Also the data-below fetch that modes use.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

// The mode method that renders one block of a layer.
inline constexpr uint32_t kQzModeRender = 0x12000A;

// What the compositor hands a mode (the render method's argument word is a
// pointer to this record).
//  - block: image = the document, layer = the layer, x0..x1 and y0..y1 the
//    block (inclusive); its r, g, b tables hold the composite built so far,
//    indexed by absolute row and column.
//  - spare: zeroed but for image and layer; a mode that reads a wider area
//    sets its rectangle and calls Qz_GetImageDataBelowLayer on it.
//  - r, g, b, grey: output tables relative to the block: entry 0 is row y0,
//    column 0 is x0. The compositor fills them with the block's source
//    pixels first, so a mode that writes nothing changes nothing.
struct Qz_ModeRenderMessage {
  Qz_ImageLock* block;
  Qz_ImageLock* spare;
  uint8_t** r;
  uint8_t** g;
  uint8_t** b;
  uint8_t** grey;
};

// Sends the render method; the answer is the mode's (1 done, 0 not handled).
inline QzWord Qz_RenderMode(Qz_Object* mode, Qz_ModeRenderMessage* message) {
  return Qz_DoMethod(mode, kQzModeRender, message);
}

QZ_EXTERN_C_BEGIN

// Composites x0..x1, y0..y1 (inclusive) of a 24-bit document into the four
// destination tables (absolute rows and columns). With a stop layer only the
// layers below it take part. Nothing happens while compositing is off.
QZ_EXPORT void Qz_ProcessImageBelowLayer(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                         int32_t y1, uint8_t** r, uint8_t** g, uint8_t** b,
                                         uint8_t** grey, Qz_Image* stopLayer);
// Takes lock mode 2, composites the rectangle into the image's own planes, unlocks.
QZ_EXPORT void Qz_ProcessImage(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
QZ_EXPORT void Qz_FullProcessImage(Qz_Image* image);
// Re-composites the document over the layer's rectangle (layer coordinates).
QZ_EXPORT void Qz_ProcessLayer(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// The whole layer; its needs-fixing count becomes 0.
QZ_EXPORT void Qz_FullProcessLayer(Qz_Image* layer);
// Copies count pixels of row y from column x into r, g, b (clipped to the
// image; an 8-bit image's grey goes into all three). 0 when the row is outside.
QZ_EXPORT int32_t Qz_CopyImageDataRGB(Qz_Image* image, int32_t x, int32_t y, int32_t count,
                                      int32_t unused, uint8_t* r, uint8_t* g, uint8_t* b);
// Commits the chosen mode (under the document's exclusive lock) and the chosen colour.
QZ_EXPORT void Qz_DoLayerDoesntNeedsFixing(Qz_Image* layer);
// 1 when a message waits at the image's port.
QZ_EXPORT int32_t Qz_CheckImageMsgPort(Qz_Image* image, uint32_t flags);

// Fills the lock's row tables with the composite below its layer over its
// rectangle (columns are clamped to the image; rows above or below the image
// give the nearest edge row). Without a layer: the image's own planes. The
// lock, or none when it cannot be filled (an 8-bit layer with layers below,
// no memory). Release with Qz_FreeImageLock.
QZ_EXPORT Qz_ImageLock* Qz_GetImageDataBelowLayer(Qz_ImageLock* lock);
// Frees what the fetch allocated for the lock; none is allowed.
QZ_EXPORT void Qz_FreeImageLock(Qz_ImageLock* lock);

// The serial of the outermost compositing pass the calling thread works for
// (its strip workers share it), or 0 outside a pass; a mode may reuse what
// it made while it stays the same.
QZ_EXPORT uint32_t Qz_CompositingPassSerial(void);

// Test seam: called with every lock handed to Qz_GetImageDataBelowLayer
// (before its rectangle is clamped). None removes it.
typedef void (*Qz_ImageDataObserver)(const Qz_ImageLock* lock, void* userData);
QZ_EXPORT void Qz__SetImageDataObserver(Qz_ImageDataObserver observer, void* userData);

QZ_EXTERN_C_END
