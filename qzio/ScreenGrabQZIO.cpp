// ScreenGrabQZIO: after the chosen delay, copies the desktop, the active
// window or its client area into a 24-bit buffer. It cannot save. The source
// and the delay are process-wide, so the next grab offers the last ones.
// Identify waits the delay on the calling thread.
#include <atomic>
#include <chrono>
#include <new>
#include <thread>
#include <vector>

#include "platform/screen_grab.h"
#include "qzio/codec_buffer_rows.h"
#include "qzio/format_options.h"
#include "qzio/qzio.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"

namespace {

using namespace qz::codec;

constexpr uint32_t kSetSource = 7020;
constexpr uint32_t kGetSource = 7030;
constexpr uint32_t kSetDelay = 7040;
constexpr uint32_t kGetDelay = 7050;
constexpr int32_t kMostDelaySeconds = 30;

std::atomic<int32_t> gSource{kQzGrabDesktop};
std::atomic<int32_t> gDelay{2};

// The rectangle identify measured, so the load reads the same one.
struct GrabState {
  bool measured;
  int32_t left, top, width, height;
};

uint32_t Qz__GrabIdentify(const qzio::FormatCall& call, QZIO_Header* header) {
  const int32_t delay = gDelay.load(std::memory_order_relaxed);
  if (delay > 0) std::this_thread::sleep_for(std::chrono::seconds(delay));
  GrabState found{};
  if (!Qz_ScreenGrabRect(gSource.load(std::memory_order_relaxed), &found.left, &found.top, &found.width,
                         &found.height))
    return kNotThisFormat;
  found.measured = true;
  if (auto* state = static_cast<GrabState*>(call.state)) *state = found;
  ImageInfo info;
  info.width = static_cast<uint32_t>(found.width);
  info.height = static_cast<uint32_t>(found.height);
  info.depth = 24;
  fillIdentifiedBuffer(header, info);
  return kOk;
}

uint32_t Qz__GrabLoad(const qzio::FormatCall& call, QZIO_Header* header) {
  QZIO_ImageBuffer* buffer = header->buffer;
  if (!buffer) return kBadArguments;
  GrabState grab{};
  if (const auto* state = static_cast<const GrabState*>(call.state); state && state->measured) grab = *state;
  else if (!Qz_ScreenGrabRect(gSource.load(std::memory_order_relaxed), &grab.left, &grab.top, &grab.width,
                              &grab.height))
    return kNotThisFormat;
  if (static_cast<uint32_t>(grab.width) != buffer->width || static_cast<uint32_t>(grab.height) != buffer->height)
    return kBadArguments;
  try {
    std::vector<uint32_t> pixels(static_cast<size_t>(grab.width) * grab.height);
    if (!Qz_ScreenGrabPixels(grab.left, grab.top, grab.width, grab.height, pixels.data())) return kBadArguments;
    std::vector<uint8_t> row(static_cast<size_t>(grab.width) * 3);
    BufferRows rows(header);
    for (int32_t y = 0; y < grab.height; ++y) {
      const uint32_t* from = pixels.data() + static_cast<size_t>(y) * grab.width;
      for (int32_t x = 0; x < grab.width; ++x) {
        row[x * 3] = static_cast<uint8_t>(from[x] >> 16);
        row[x * 3 + 1] = static_cast<uint8_t>(from[x] >> 8);
        row[x * 3 + 2] = static_cast<uint8_t>(from[x]);
      }
      if (!rows.store(static_cast<uint32_t>(y), kLayoutRGB, row.data())) return kBadArguments;
    }
  } catch (const std::bad_alloc&) {
    return kBadArguments;
  }
  return kOk;
}

uint32_t Qz__GrabSave(const qzio::FormatCall&, QZIO_Header*) { return kNotHandled; }

// Shown before a grab, on the last source and delay. Made while the object
// itself is being made, so the choices go straight into the process-wide words.
Qz_Object* Qz__GrabOptions(const qzio::FormatCall&) {
  return qzio::OptionsColumn()
      .label(351, "Source")
      .popUp({qzio::CatalogText(353, "Whole Desktop"), qzio::CatalogText(354, "Foreground Window"),
              qzio::CatalogText(355, "Window Contents")},
             gSource)
      .label(352, "Delay")
      .slider(0, kMostDelaySeconds, "%lds", gDelay)
      .take();
}

const qzio::FormatOptionRow kGrabOptions[] = {
    {kSetSource, kGetSource, kQzGrabDesktop, kQzGrabActiveClient, false, &gSource},
    {kSetDelay, kGetDelay, 0, kMostDelaySeconds, false, &gDelay},
};

const qzio::FormatClass kScreenGrabClass = {
    .className = "ScreenGrabQZIO", .classIdField = 7003, .capabilities = kQzioCapsScreenGrab,
    .flags = kQzioFlagNoProgress, .extension = nullptr,
    .identify = Qz__GrabIdentify, .load = Qz__GrabLoad, .save = Qz__GrabSave,
    .option = qzio::optionRows<kGrabOptions>, .buildLoadOptions = Qz__GrabOptions, .stateSize = sizeof(GrabState)};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitScreenGrabQZIOClass(Qz_GlobalData* global) {
  return qzio::RegisterFormatClass(&kScreenGrabClass, global);
}
QZ_EXPORT void Qz_CleanupScreenGrabQZIOClass(void) { qzio::UnregisterFormatClass(&kScreenGrabClass); }
QZ_EXTERN_C_END
