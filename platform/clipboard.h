// The desktop's clipboard, through the host: offered and read by MIME type.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/qz_export.h"

// The type text is offered and read as.
inline constexpr const char* kQzClipboardTextType = "text/plain;charset=utf-8";

QZ_EXTERN_C_BEGIN

// Clipboard: text as UTF-8; "holds an image" answers whether a picture is offered.
QZ_EXPORT int32_t Qz_ClipboardSetText(const char* utf8);
// A copy of the clipboard's text (free with FreeVec), or NULL when it holds none.
QZ_EXPORT char* Qz_ClipboardGetText(void);
QZ_EXPORT int32_t Qz_ClipboardHoldsImage(void);
// Any other type by MIME name ("image/bmp", "image/png"): offering replaces
// what the clipboard held; reading gives a copy (free with FreeVec) and its
// size, or NULL when that type is not on offer.
QZ_EXPORT int32_t Qz_ClipboardSetData(const char* mimeType, const void* bytes, size_t length);
// One content in several types at once (a picture as PNG and as BMP), so that
// each reader takes the type it knows; replaces what the clipboard held.
typedef struct Qz_ClipboardOffer {
  const char* mimeType;
  const void* bytes;
  size_t length;
} Qz_ClipboardOffer;
QZ_EXPORT int32_t Qz_ClipboardSetOffers(const Qz_ClipboardOffer* offers, size_t count);
QZ_EXPORT void* Qz_ClipboardGetData(const char* mimeType, size_t* length);

QZ_EXTERN_C_END
