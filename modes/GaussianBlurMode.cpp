// GaussianBlurMode: blurs what lies below its layer with a bell-shaped
// integer kernel, weights (r + 1 - d)^2 along each axis; colour documents
// at radius 1 take the 1-2-1 binomial kernel. Its Radius is RootMode's
// (0..29, 3 at first), kept in object text.
#include <algorithm>
#include <vector>

#include "modes/blur_kernels.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kGaussianBlurModeClassId = 2448;
constexpr int32_t kDefaultRadius = 3;

// Above 29 the kernel's sums outgrow what the weights were made for.
constexpr qz::modes::SettingRange kRanges[] = {{kQzModeSetRadius, 0, 29}};

const Qz_Method kMethods[] = {
    {kQzModeSetRadius, "Qz_SetModeRadius", kQzMethodSetter, kQzModeGetRadius, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetRadius, "Qz_GetModeRadius", kQzMethodStoredGetter, kQzModeSetRadius, nullptr, 0, "%ld", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

// The catalogue's "Blur" and "Radius".
constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(89, kQzModeSetRadius, 0, 29, kDefaultRadius, "%ld.5")};
constexpr qz::modes::PanelSpec kPanel{"Blur", kPanelRows};

// The general kernel over one channel: a vertical weighted sum per column,
// then a horizontal one whose terms are each divided by the centre weight
// (truncated one by one, so small radii brighten flat areas a little).
void Qz__GaussianChannel(const qz::modes::SourceView& view, int channel, uint8_t* const* out,
                         const Qz_ImageLock* block, const qz::modes::GaussianWeights& k, int32_t width,
                         std::vector<uint32_t>& sums, std::vector<uint32_t>& terms, std::vector<uint32_t>& acc) {
  const int32_t r = k.radius;
  const int32_t x0 = block->x0, n = block->x1 - x0 + 1, base = x0 - r, span = n + 2 * r;
  const int32_t cl = std::max(base, 0), cr = std::min(block->x1 + r, width - 1), count = cr - cl + 1;
  sums.assign(size_t(span), 0);
  terms.resize(size_t(r + 1) * size_t(span));
  acc.resize(size_t(n));
  uint32_t* inside = sums.data() + (cl - base);
  const qz::modes::ExactDivisor byCentre(k.w[r]), byNormaliser(k.normaliser);
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    std::fill(inside, inside + count, 0u);
    for (int32_t j = -r; j <= r; ++j) {
      const uint8_t* in = view.row(channel, y + j).from(cl, count);
      const uint32_t w = k.w[j + r];
      for (int32_t i = 0; i < count; ++i) inside[i] += w * in[i];
    }
    std::fill(sums.data(), inside, inside[0]);
    std::fill(inside + count, sums.data() + span, inside[count - 1]);
    // Each column's term for each of the r + 1 distinct weights, once,
    // rather than once for every pixel whose window holds the column.
    for (int32_t j = 0; j <= r; ++j) {
      uint32_t* t = terms.data() + size_t(j) * size_t(span);
      for (int32_t c = 0; c < span; ++c) t[c] = byCentre(uint64_t(sums[size_t(c)]) * k.w[j]);
    }
    // A fits 32 bits: at most 255 S^2 / w[r], below 10^8 at radius 29.
    std::fill(acc.begin(), acc.end(), 0u);
    for (int32_t i = 0; i <= 2 * r; ++i) {
      const uint32_t* t = terms.data() + size_t(std::min(i, 2 * r - i)) * size_t(span) + i;
      for (int32_t x = 0; x < n; ++x) acc[size_t(x)] += t[x];
    }
    uint8_t* d = out[y - block->y0];
    for (int32_t x = 0; x < n; ++x) d[x] = uint8_t(std::min<uint32_t>(byNormaliser(acc[size_t(x)]), 255));
  }
}

// Radius 1 on a colour document: 1 2 1 / 2 4 2 / 1 2 1, sixteenths.
void Qz__Binomial3(const qz::modes::SourceView& view, int channel, uint8_t* const* out, const Qz_ImageLock* block,
                   int32_t width) {
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const qz::modes::SourceRow above = view.row(channel, y - 1), row = view.row(channel, y),
                               below = view.row(channel, y + 1);
    uint8_t* d = out[y - block->y0];
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      const int32_t l = std::max(x - 1, 0), m = x, rr = std::min(x + 1, width - 1);
      const int32_t v = above[l] + 2 * above[m] + above[rr] + 2 * (row[l] + 2 * row[m] + row[rr]) + below[l] +
                        2 * below[m] + below[rr];
      d[x - block->x0] = uint8_t(std::min(v >> 4, 255));
    }
  }
}

QzWord Qz__RenderGaussian(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->y0 > block->y1 || block->x0 > block->x1) return 1;
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  if (size.depth != 8 && size.depth != 24) return 1;
  const int32_t r = qz::modes::readRootSettings(object, kRanges).radius;
  qz::modes::SpareFetch below(message, {block->x0 - r, block->y0 - r, block->x1 + r, block->y1 + r});
  if (!below.ok()) return 0;
  // Made per call: at most 59 weights, little beside a row.
  const qz::modes::GaussianWeights k = qz::modes::gaussianWeights(r);
  std::vector<uint32_t> sums, terms, acc;
  uint8_t** const outputs[4] = {message->r, message->g, message->b, message->grey};
  if (size.depth == 8) {
    Qz__GaussianChannel(below.view(), 3, outputs[3], block, k, size.width, sums, terms, acc);
    return 1;
  }
  for (int c = 0; c < 3; ++c) {
    if (r == 1)
      Qz__Binomial3(below.view(), c, outputs[c], block, size.width);
    else
      Qz__GaussianChannel(below.view(), c, outputs[c], block, k, size.width, sums, terms, acc);
  }
  return 1;
}

QzWord Qz__GaussianBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderGaussian(object, qz::modes::renderMessage(args));
  const QzWord answer = qz::modes::inheritedInRange(object, id, args, kRanges);
  // The radius lives in the RootMode instance, which notifies only itself.
  if (id == kQzModeSetRadius) qz::modes::showInPanel(object, id, answer);
  return answer;
}

bool Qz__SetUpGaussian(Qz_Object* object) {
  Qz_DoMethod(object->super, kQzModeSetRadius, uint32_t(kDefaultRadius));
  qz::modes::buildPanel(object, kPanel);
  return true;
}

const qz::kit::ClassDecl kGaussianBlurMode = {
    .name = "GaussianBlurMode", .superName = "RootMode", .classId = kGaussianBlurModeClassId,
    .handler = Qz__GaussianBlurDispatch, .methods = kMethods, .setUp = Qz__SetUpGaussian};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitGaussianBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kGaussianBlurMode); }
QZ_EXPORT void Qz_CleanupGaussianBlurModeClass(void) { qz::kit::removeClass(kGaussianBlurMode); }
QZ_EXTERN_C_END
