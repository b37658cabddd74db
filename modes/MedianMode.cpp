// MedianMode: each sample becomes the median of its square window. At
// radius 1 the 3 by 3 median replaces only samples it differs from by more
// than 40, so fine detail survives; larger windows always replace. The
// radius is stored in object text.
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/rank_filters.h"

namespace {

constexpr uint32_t kMedianModeClassId = 0x808;
constexpr int32_t kRadiusOneThreshold = 40;

// Object text and scripts can bring any radius; windows stay 33 by 33 at most.
constexpr qz::modes::SettingRange kRanges[] = {{kQzModeSetRadius, 1, 16}};

constexpr auto kMethods = qz::modes::rank::storedRootAttribute(kQzModeSetRadius, "Qz_SetModeRadius",
                                                               kQzModeGetRadius, "Qz_GetModeRadius");

constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(89, kQzModeSetRadius, 1, 16, 1, "%ld")};
constexpr qz::modes::PanelSpec kPanel{"Median", kPanelRows};

QzWord Qz__RenderMedian(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const int32_t r = qz::modes::readRootSettings(object, kRanges).radius;
  using qz::modes::rank::PaddedRows;
  if (r == 1)
    return qz::modes::rank::renderWindowed(message, 1, 1, [](const PaddedRows& rows, int32_t count, uint8_t* out) {
      qz::modes::rank::median3x3Row(rows, count, out);
      const uint8_t* own = rows.row(1) + 1;
      for (int32_t i = 0; i < count; ++i) out[i] = qz::modes::rank::replaceAbove(own[i], out[i], kRadiusOneThreshold);
    });
  return qz::modes::rank::renderWindowed(message, r, r, [r](const PaddedRows& rows, int32_t count, uint8_t* out) {
    qz::modes::rank::windowMedianRow(rows, r, count, out);
  });
}

QzWord Qz__MedianModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderMedian(object, qz::modes::renderMessage(args));
  return qz::modes::inheritedInRange(object, id, args, kRanges);
}

bool Qz__SetUpMedian(Qz_Object* object) {
  qz::modes::buildPanel(object, kPanel);
  Qz_DoMethod(object, kQzModeSetRadius, 1);
  return true;
}

const qz::kit::ClassDecl kMedianMode = {
    .name = "MedianMode", .superName = "RootMode", .classId = kMedianModeClassId,
    .handler = Qz__MedianModeDispatch, .methods = kMethods.data(), .setUp = Qz__SetUpMedian};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMedianModeClass(Qz_GlobalData*) { return qz::kit::addClass(kMedianMode); }
QZ_EXPORT void Qz_CleanupMedianModeClass(void) { qz::kit::removeClass(kMedianMode); }
QZ_EXTERN_C_END
