// What every mode class shares: the RootMode method ids, class
// registration, the instance-with-superclass creation, and the render frame
// that walks a block with absolute source and relative destination rows.
#pragma once

#include <cstdint>

#include "image/qz_compositor.h"
#include "image/qz_image.h"
#include "modes/blend_kernels.h"
#include "objects/qz_object.h"

// RootMode methods.
inline constexpr uint32_t kQzModeGetFlags = 0x120014;
inline constexpr uint32_t kQzModeSetFlags = 0x120015;
inline constexpr uint32_t kQzModeSetImage = 0x12001E;
inline constexpr uint32_t kQzModeGetImage = 0x120028;
inline constexpr uint32_t kQzModeSetPanel = 0x120032;
inline constexpr uint32_t kQzModeGetPanel = 0x12003C;
inline constexpr uint32_t kQzModeChanged = 0x120046;
inline constexpr uint32_t kQzModeActiveImageChanged = 0x1000B4;
inline constexpr uint32_t kQzModeSourceRegionChanged = 0x1002B2;
inline constexpr uint32_t kQzModeSourceAttached = 0x100226;
inline constexpr uint32_t kQzModeSourcePassDone = 0x1300AA;
inline constexpr uint32_t kQzModeSetAmount = 0x12006E, kQzModeGetAmount = 0x120078;
inline constexpr uint32_t kQzModeSetRadius = 0x120082, kQzModeGetRadius = 0x12008C;
inline constexpr uint32_t kQzModeSetAngle = 0x120096, kQzModeGetAngle = 0x1200A0;
inline constexpr uint32_t kQzModeSetColourMode = 0x1200AA, kQzModeGetColourMode = 0x1200B4;
inline constexpr uint32_t kQzModeSetQuality = 0x1200BE, kQzModeGetQuality = 0x1200C8;
inline constexpr uint32_t kQzModeSetXPosition = 0x1200FA, kQzModeGetXPosition = 0x120104;
inline constexpr uint32_t kQzModeSetYPosition = 0x12010E, kQzModeGetYPosition = 0x120118;
inline constexpr uint32_t kQzModeSetXRadius = 0x120122, kQzModeGetXRadius = 0x12012C;
inline constexpr uint32_t kQzModeSetYRadius = 0x120136, kQzModeGetYRadius = 0x120140;
inline constexpr uint32_t kQzModeSetThreshold = 0x12014A, kQzModeGetThreshold = 0x120154;

// Mode flag bits.
inline constexpr uint32_t kQzModeCombinesSource = 1;
inline constexpr uint32_t kQzModeFullWidthNotices = 4;

QZ_EXTERN_C_BEGIN
// Test seam: replaces the asynchronous re-render request that a changed mode
// posts to its document (none restores the real one).
QZ_EXPORT void Qz__SetModeRerenderPoster(void (*poster)(Qz_Image* document));
QZ_EXTERN_C_END

namespace qz::modes {

struct ModeClassInfo {
  const char* name;
  uint32_t classId;
  const char* superName;  // looked up at registration
  Qz_NewFunction create;
  Qz_DisposeFunction dispose;
  Qz_DispatchFunction dispatch;
  uint32_t objectSize;
};

// Fills the record and adds it; 1 on success (also when it is already registered).
QZ_EXPORT QzWord registerModeClass(Qz_Class& record, const ModeClassInfo& info);
QZ_EXPORT void unregisterModeClass(Qz_Class& record);

// A zeroed instance of the class whose superclass instance is made by name
// with the tags; none when either cannot be made.
QZ_EXPORT Qz_Object* newModeObject(Qz_Class* objectClass, const char* superName,
                                   const TagItem* tags = nullptr);
// Disposes the superclass instance, then frees the instance.
QZ_EXPORT void disposeModeObject(Qz_Object* object);

// Posts the re-render request to the document that owns the layer.
QZ_EXPORT void postRerender(Qz_Image* layer);

// The render message of a render call (its first argument word).
inline Qz_ModeRenderMessage* renderMessage(const QzWord* args) {
  return reinterpret_cast<Qz_ModeRenderMessage*>(args[0]);
}

// The layer's committed paint colour, or black without a layer.
inline const uint8_t* paintColour(const Qz_ImageLock* lock) {
  static const uint8_t kBlack[3] = {0, 0, 0};
  return lock && lock->layer ? lock->layer->committedColour : kBlack;
}

// Walks a 24-bit block row by row: rowFn(src[3], dst[3], count) with src at
// the block's first column. Depth 8 answers `greyAnswer` and writes nothing;
// other depths and an empty block answer 1.
template <class RowFn>
QzWord renderRows(const Qz_ModeRenderMessage* message, QzWord greyAnswer, RowFn rowFn) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (!lock || !lock->image) return 1;
  const int32_t depth = lock->image->depth;
  if (depth == 8) return greyAnswer;
  if (depth != 24 || lock->y0 > lock->y1 || lock->x0 > lock->x1) return 1;
  const int32_t count = lock->x1 - lock->x0 + 1;
  for (int32_t y = lock->y0; y <= lock->y1; ++y) {
    const uint8_t* src[3] = {lock->r[y] + lock->x0, lock->g[y] + lock->x0, lock->b[y] + lock->x0};
    const int32_t row = y - lock->y0;
    uint8_t* dst[3] = {message->r[row], message->g[row], message->b[row]};
    rowFn(src, dst, count);
  }
  return 1;
}

// A per-channel blend f(c, k) of each source channel with the paint colour's;
// a kernel, when given, computes the same f on whole rows.
template <class ChannelFn>
QzWord renderPerChannel(const Qz_ModeRenderMessage* message, ChannelFn f,
                        ChannelKernel kernel = nullptr) {
  const uint8_t* k = paintColour(message ? message->block : nullptr);
  const uint8_t colour[3] = {k[0], k[1], k[2]};
  return renderRows(message, 0, [&](const uint8_t* const src[3], uint8_t* const dst[3],
                                    int32_t count) {
    for (int c = 0; c < 3; ++c) {
      const int32_t kc = colour[c];
      const uint8_t* s = src[c];
      uint8_t* d = dst[c];
      if (kernel) {
        kernel(s, d, count, kc);
        continue;
      }
      for (int32_t i = 0; i < count; ++i) d[i] = uint8_t(f(int32_t(s[i]), kc));
    }
  });
}

// Copies the block's source pixels to the output (what a mode shows when it
// has nothing of its own to write).
QZ_EXPORT void copySourceToOutput(const Qz_ModeRenderMessage* message);

}  // namespace qz::modes
