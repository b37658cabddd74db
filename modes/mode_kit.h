// The mode family over the class kit: the RootMode ids, the handlers of
// simple modes (a formula and nothing else), and the render frame that walks
// a block with absolute source and relative destination rows.
#pragma once

#include <cstdint>

#include "image/qz_compositor.h"
#include "image/qz_image.h"
#include "modes/blend_kernels.h"
#include "modes/qz_root_mode.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
// Test seam: replaces the asynchronous re-render request that a changed mode
// posts to its document (none restores the real one).
QZ_EXPORT void Qz__SetModeRerenderPoster(void (*poster)(Qz_Image* document));
QZ_EXTERN_C_END

namespace qz::modes {

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

// The handler of a mode whose render is a per-channel formula f(c, k) of the
// channel below and the paint colour's: the whole of a simple blend mode.
// Kernel names the vector form of the formula in the blend kernel table.
template <int32_t (*Formula)(int32_t c, int32_t k), ChannelKernel BlendKernels::*Kernel = nullptr>
QzWord perChannelHandler(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id != kQzModeRender) return qz::kit::inherited(object, id, args);
  // Decided when the handler is made: a mode without a vector form has no kernel to look up.
  if constexpr (Kernel == nullptr)
    return renderPerChannel(renderMessage(args), Formula, nullptr);
  else
    return renderPerChannel(renderMessage(args), Formula, channelKernel(Kernel));
}

// The handler of a mode whose render is one function of the render message.
template <QzWord (*Render)(const Qz_ModeRenderMessage* message)>
QzWord renderHandler(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Render(renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

// Copies the block's source pixels to the output (what a mode shows when it
// has nothing of its own to write).
QZ_EXPORT void copySourceToOutput(const Qz_ModeRenderMessage* message);

}  // namespace qz::modes
