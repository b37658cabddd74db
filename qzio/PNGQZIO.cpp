// PNGQZIO: every PNG colour type through libpng, expanded to 8-bit RGB; saves
// 8-bit RGB or RGBA, optionally interlaced. Answers its process-wide options:
// compression level (7020 / 7030) and interlacing (7040 / 7050).
#include <atomic>
#include <cstdio>

#include "qzio/codec_buffer_rows.h"
#include "qzio/codec_png.h"
#include "qzio/format_options.h"
#include "qzio/qzio.h"
#include "qzio/qzio_internal.h"
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

Qz_Object* Qz__PngOptions(const qzio::FormatCall& call) {
  return qzio::OptionsColumn()
      .label(252, "Compression")
      .slider(0, kMaxLevel, gLevel.load(), " %ld ", call.self, kSetLevel)
      .checkBox(qzio::CatalogText(253, "Interlaced"), gInterlace.load() != 0, call.self, kSetInterlace)
      .checkBox("Use Alpha Channel as Transparency", gUseAlpha)
      .take();
}

const qzio::FormatOptionRow kPngOptions[] = {
    {kSetLevel, kGetLevel, 0, kMaxLevel, false, &gLevel},  // zlib's levels
    {kSetInterlace, kGetInterlace, 0, 1, true, &gInterlace},
};

const qzio::FormatClass kPngClass = {
    .className = "PNGQZIO", .classIdField = 7010, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile | kQzioFlagOwnFile, .extension = "png",
    .identify = Qz__PngIdentify, .load = Qz__PngLoad, .save = Qz__PngSave,
    .option = qzio::optionRows<kPngOptions>, .buildSaveOptions = Qz__PngOptions};

}  // namespace

namespace qz::codec {
std::atomic<int32_t>& pngUseAlphaOption() { return gUseAlpha; }
}  // namespace qz::codec

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPNGQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kPngClass, global); }
QZ_EXPORT void Qz_CleanupPNGQZIOClass(void) { qzio::UnregisterFormatClass(&kPngClass); }
QZ_EXTERN_C_END
