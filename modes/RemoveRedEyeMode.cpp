// RemoveRedEyeMode: where red outweighs green, pulls red down towards the
// green level (all the way where blue is at least green). It answers the
// render method (grey images: not handled) and its strength setter and
// getter, a percentage kept for callers that the render does not weigh in.
#include <algorithm>
#include <atomic>

#include "modes/mode_kit.h"
#include "modes/qz_point_modes.h"

namespace {

constexpr int32_t kFirstStrength = 127;  // in 256ths

struct Qz_RemoveRedEyeModeObject {
  Qz_Object header;
  std::atomic<int32_t> strength{kFirstStrength};
};

// d is zero or negative; the division truncates towards zero.
inline int32_t Qz__Red(int32_t r, int32_t g, int32_t b) {
  if (r <= g) return r;
  const int32_t d = b - std::max(g, b);
  return (g * (255 - d) + r * d) / 255;
}

QzWord Qz__RenderRemoveRedEye(const Qz_ModeRenderMessage* message) {
  return qz::modes::renderRows(message, 0, [](const uint8_t* const src[3], uint8_t* const dst[3],
                                              int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      dst[0][i] = uint8_t(Qz__Red(src[0][i], src[1][i], src[2][i]));
      dst[1][i] = src[1][i];
      dst[2][i] = src[2][i];
    }
  });
}

QzWord Qz__RemoveRedEyeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* self = qz::kit::self<Qz_RemoveRedEyeModeObject>(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderRemoveRedEye(qz::modes::renderMessage(args));
    case kQzRemoveRedEyeSetStrength:
      self->strength.store(std::clamp(int32_t(args[0]), 0, 100) * 256 / 100);
      return 0;
    case kQzRemoveRedEyeGetStrength: return QzWord(uint32_t(self->strength.load() * 100 / 256));
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kRemoveRedEyeMode = {
    .name = "RemoveRedEyeMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .instance = qz::kit::instanceOf<Qz_RemoveRedEyeModeObject>(),
    .handler = Qz__RemoveRedEyeModeDispatch};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRemoveRedEyeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRemoveRedEyeMode); }
QZ_EXPORT void Qz_CleanupRemoveRedEyeModeClass(void) { qz::kit::removeClass(kRemoveRedEyeMode); }
QZ_EXTERN_C_END
