// PNGQZIO: every PNG colour type through libpng, expanded to 8-bit RGB; saves
// 8-bit RGB or RGBA, optionally interlaced. Answers its process-wide options:
// compression level (7020 / 7030) and interlacing (7040 / 7050).
#include <atomic>
#include <cstdio>

#include "qzio/codec_buffer_rows.h"
#include "qzio/codec_png.h"
#include "qzio/qzio.h"
#include "qzio/root_qzio.h"

namespace {

using namespace qz::codec;

constexpr uint32_t kSetLevel = 7020;
constexpr uint32_t kGetLevel = 7030;
constexpr uint32_t kSetInterlace = 7040;
constexpr uint32_t kGetInterlace = 7050;
constexpr int32_t kMaxLevel = 9;

// Shared by every object of the class for the life of the process; the
// alpha flag ("Use Alpha Channel as Transparency") is set only by its gadget.
std::atomic<int32_t> gLevel{6};
std::atomic<int32_t> gInterlace{0};
std::atomic<int32_t> gUseAlpha{0};

uint32_t Qz__PngIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  if (!header->probe || !pngProbeMatches({header->probe, header->probeSize})) return kNotThisFormat;
  ReadStream in(header);
  if (!in.file()) return kCannotOpen;
  ImageInfo info;
  const uint32_t result = pngReadInfo(in.file(), info);
  if (result != kOk) return result;
  fillIdentifiedBuffer(header, info);
  return kOk;
}

uint32_t Qz__PngLoad(const qzio::FormatCall&, QZIO_Header* header) {
  ReadStream in(header);
  if (!in.file()) return kCannotOpen;
  BufferRows rows(header);
  return pngDecode(in.file(), rows);
}

uint32_t Qz__PngSave(const qzio::FormatCall&, QZIO_Header* header) {
  QZIO_ImageBuffer* buffer = header->buffer;
  if (!buffer || buffer->width == 0 || buffer->height == 0) return kBadArguments;
  FILE* out = openForSaving(header);
  if (!out) return kCannotOpen;
  PngSaveOptions options;
  options.compressionLevel = gLevel.load(std::memory_order_relaxed);
  options.interlaced = gInterlace.load(std::memory_order_relaxed) != 0;
  options.alpha = gUseAlpha.load(std::memory_order_relaxed) != 0;
  BufferRows rows(header);
  uint32_t result = pngEncode(out, buffer->width, buffer->height, options, rows);
  if (std::fclose(out) != 0 && result == kOk) result = kWriteFailed;
  return result;
}

bool Qz__PngOption(const qzio::FormatCall&, uint32_t id, const QzWord* args, QzWord* answer) {
  switch (id) {
  case kSetLevel: {
    int32_t level = static_cast<int32_t>(args[0]);
    level = level < 0 ? 0 : (level > kMaxLevel ? kMaxLevel : level);
    gLevel.store(level, std::memory_order_relaxed);
    *answer = static_cast<uint32_t>(level);
    return true;
  }
  case kGetLevel:
    *answer = static_cast<uint32_t>(gLevel.load(std::memory_order_relaxed));
    return true;
  case kSetInterlace: {
    const int32_t on = static_cast<int32_t>(args[0]) != 0 ? 1 : 0;
    gInterlace.store(on, std::memory_order_relaxed);
    *answer = static_cast<uint32_t>(on);
    return true;
  }
  case kGetInterlace:
    *answer = static_cast<uint32_t>(gInterlace.load(std::memory_order_relaxed));
    return true;
  default:
    return false;
  }
}

const qzio::FormatClass kPngClass = {
    "PNGQZIO", 7010, kQzioCapsFile, kQzioFlagFile | kQzioFlagOwnFile, "png",
    Qz__PngIdentify, Qz__PngLoad, Qz__PngSave, nullptr, nullptr, Qz__PngOption};

}  // namespace

namespace qz::codec {
std::atomic<int32_t>& pngUseAlphaOption() { return gUseAlpha; }
}  // namespace qz::codec

QZ_EXTERN_C_BEGIN
QZ_EXPORT int32_t Qz_InitPNGQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kPngClass, global); }
QZ_EXPORT void Qz_CleanupPNGQZIOClass(void) { qzio::UnregisterFormatClass(&kPngClass); }
QZ_EXTERN_C_END
