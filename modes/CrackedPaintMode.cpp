// CrackedPaintMode: a fixed 3 by 3 kernel, heavy at the centre and negative
// on the diagonal corners, that cracks the paint along edges. Its weights
// sum to 1, so flat areas stay as they are.
#include <algorithm>

#include "modes/mode_kit.h"
#include "modes/rank_filters.h"

namespace {

constexpr uint32_t kCrackedPaintModeClassId = 0x808;

QzWord Qz__RenderCrackedPaint(const Qz_ModeRenderMessage* message) {
  using qz::modes::rank::PaddedRows;
  return qz::modes::rank::renderWindowed(message, 1, 1, [](const PaddedRows& rows, int32_t count, uint8_t* out) {
    const uint8_t* a = rows.row(0);
    const uint8_t* b = rows.row(1);
    const uint8_t* c = rows.row(2);
    for (int32_t i = 0; i < count; ++i) {
      const int32_t v = -10 * a[i] + 3 * a[i + 1] - 3 * a[i + 2] - 3 * b[i] + 33 * b[i + 1] - 3 * b[i + 2] -
                        3 * c[i] - 3 * c[i + 1] - 10 * c[i + 2];
      out[i] = uint8_t(std::clamp(v, 0, 255));
    }
  });
}

const qz::kit::ClassDecl kCrackedPaintMode = {
    .name = "CrackedPaintMode", .superName = "RootMode", .classId = kCrackedPaintModeClassId,
    .handler = qz::modes::renderHandler<Qz__RenderCrackedPaint>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCrackedPaintModeClass(Qz_GlobalData*) { return qz::kit::addClass(kCrackedPaintMode); }
QZ_EXPORT void Qz_CleanupCrackedPaintModeClass(void) { qz::kit::removeClass(kCrackedPaintMode); }
QZ_EXTERN_C_END
