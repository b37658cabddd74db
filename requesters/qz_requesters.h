// The application's requesters: a new image, space around the image, a
// rotation, the snap grid, scaling and the about box.
#pragma once

#include <cstdint>

#include "image/qz_image.h"
#include "objects/qz_object.h"

// ---- NewImageReq ----
inline constexpr uint32_t kNewImageReqClassId = 0x280000;
inline constexpr uint32_t kNewImageSetWidth = 0x28000A;  // float bits
inline constexpr uint32_t kNewImageGetWidth = 0x280014;  // pixels, truncated
inline constexpr uint32_t kNewImageSetHeight = 0x28001E;
inline constexpr uint32_t kNewImageGetHeight = 0x280028;
inline constexpr uint32_t kNewImageSetDepth = 0x280032;  // 8 or 24
inline constexpr uint32_t kNewImageGetDepth = 0x28003C;
inline constexpr uint32_t kNewImageGetNothing = 0x280046;
inline constexpr uint32_t kNewImageSetFirstExtra = 0x28006E;
inline constexpr uint32_t kNewImageGetFirstExtra = 0x280078;
inline constexpr uint32_t kNewImageSetSecondExtra = 0x280082;
inline constexpr uint32_t kNewImageGetSecondExtra = 0x28008C;
inline constexpr uint32_t kNewImageSetLayerDepth = 0x280096;
inline constexpr uint32_t kNewImageGetLayerDepth = 0x2800A0;
inline constexpr uint32_t kNewImageSetLayerKind = 0x2800AA;  // 1 paint layer, 2 image layer
inline constexpr uint32_t kNewImageGetLayerKind = 0x2800B4;
inline constexpr uint32_t kNewImageGetFill = 0x2800C8;  // colour, red in the low byte
inline constexpr uint32_t kNewImageSetResolution = 0x2800D2;  // float bits
inline constexpr uint32_t kNewImageGetResolution = 0x2800DC;

QZ_EXTERN_C_BEGIN
// The request after OK (a new one when none is given), or none.
QZ_EXPORT Qz_Object* Qz_ShowNewImageReq(Qz_Object* request);
// Shows the requester and makes the document: open in a view, active. None
// when cancelled or out of memory.
QZ_EXPORT Qz_Image* Qz_DoNewImageReq(Qz_Object* request);

// Adds space around the image as one undoable crop; the apply result or 0.
QZ_EXPORT uint32_t Qz_DoAddSpaceReq(Qz_Image* image);
// The rotation requester: every argument is filled on OK (1); 0 on Cancel.
QZ_EXPORT uint32_t Qz_ShowTransformRequestor(int32_t* width, int32_t* height, int32_t* a3, int32_t* a4,
                                             int32_t* angle, int32_t* a6, int32_t* a7, uint32_t* flags);
QZ_EXPORT uint32_t Qz_DoTransformRequestor(Qz_Image* image, int32_t* width, int32_t* height, int32_t* a3,
                                           int32_t* a4, int32_t* angle, int32_t* a6, int32_t* a7,
                                           uint32_t* flags);
// Turns the image as one undoable TransformAction; its apply result, 0
// without an image or action.
QZ_EXPORT uint32_t Qz__TransformImage(Qz_Image* image, int32_t width, int32_t height, int32_t a3, int32_t a4,
                                      int32_t angle, int32_t a6, int32_t a7, uint32_t flags);
// The snap-grid settings; 1 on OK.
QZ_EXPORT uint32_t Qz_ShowSnapToGridReq(void);
// Shows the about box until it is closed.
QZ_EXPORT void Qz__AboutQuillantrix(void);
// The scaling requester: 1 on OK with the values written back.
QZ_EXPORT uint32_t Qz_ShowScaleRequestor(int32_t* width, int32_t* height, uint32_t* flags);
// Shows it and scales the image undoably; the scaling's result, 0 on Cancel.
QZ_EXPORT uint32_t Qz_DoScaleRequestor(Qz_Image* image, int32_t* width, int32_t* height, uint32_t* flags);
QZ_EXTERN_C_END
