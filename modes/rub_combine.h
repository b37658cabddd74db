// What the Rub modes share: the per-channel operations that combine the data
// below a layer with its secondary picture, the render of the combiners and
// of rub-through, and the paint-colour rework of rub-paint and burn-through.
//
//   .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::Add>, .superTags = qz::modes::kRubFlagTags
#pragma once

#include <algorithm>
#include <cstdint>

#include "modes/mode_kit.h"
#include "platform/lists.h"

namespace qz::modes {

// The combiners' operations on s (the data below) and b (the picture).
// Thru shows the picture; Brightness scales all three channels at once by
// the picture's mean level (rubBrightnessLevel) and is not a channel op.
enum class RubOp : uint8_t { Add, Subtract, Multiply, Darken, Lighten, Difference, Or, XOr, Brightness, Thru };

// s * k / 255, truncated: ((x + 1) * 257) >> 16 is exact for products of two bytes.
constexpr int32_t rubScale(int32_t s, int32_t k) { return ((s * k + 1) * 257) >> 16; }

// The brightness a picture pixel lends: the mean of its channels, truncated.
constexpr int32_t rubBrightnessLevel(int32_t r, int32_t g, int32_t b) { return (r + g + b) / 3; }

// One channel of a combiner (Brightness: b is the level already).
constexpr uint8_t rubCombine(RubOp op, uint8_t s, uint8_t b) {
  switch (op) {
    case RubOp::Add: return uint8_t(std::min(255, s + b));
    case RubOp::Subtract: return uint8_t(std::max(0, s - b));
    case RubOp::Multiply:
    case RubOp::Brightness: return uint8_t(rubScale(s, b));
    case RubOp::Darken: return std::min(s, b);
    case RubOp::Lighten: return std::max(s, b);
    case RubOp::Difference: return uint8_t(s > b ? s - b : b - s);
    case RubOp::Or: return uint8_t(s | b);
    case RubOp::XOr: return uint8_t(s ^ b);
    case RubOp::Thru: return b;
  }
  return s;
}

// The weight rub-paint and burn-through give a layer byte: its square
// scaled to a byte, squared and scaled again (255 gives 252, 128 gives 16).
constexpr int32_t rubPaintWeight(int32_t a) {
  const int32_t q = (a * a) >> 8;
  return (q * q) >> 8;
}

// A combiner's render: the data below combined with the layer's secondary
// picture (the data below itself, placed by the same offsets, when the layer
// has none) where the picture lies, the data below elsewhere. A grey
// document, a grey picture or a failed fetch shows the data below. Answers 1.
QZ_EXPORT QzWord renderRubCombine(const Qz_ModeRenderMessage* message, RubOp op);

// Rub-through: the layer's secondary image where it lies (no fallback), the
// data below elsewhere. A grey document answers 0 and writes nothing.
QZ_EXPORT QzWord renderRubThru(const Qz_ModeRenderMessage* message);

// Rub-paint and burn-through: rub-through from the superclass instance,
// then the paint colour laid over it through the layer's own bytes.
enum class RubColourRework : uint8_t { Paint, Burn };
QZ_EXPORT QzWord renderRubPaint(Qz_Object* object, const QzWord* args, RubColourRework rework);

template <RubOp Op>
QzWord rubCombineHandler(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return renderRubCombine(renderMessage(args), Op);
  return qz::kit::inherited(object, id, args);
}

template <RubColourRework Rework>
QzWord rubPaintHandler(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return renderRubPaint(object, args, Rework);
  return qz::kit::inherited(object, id, args);
}

// The superclass instance's tags: the mode combines its layer with another image.
inline const TagItem kRubFlagTags[] = {{kQzModeSetFlags, kQzModeCombinesSource}, {TAG_DONE, 0}};

}  // namespace qz::modes
