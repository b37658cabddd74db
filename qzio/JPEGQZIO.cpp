// JPEGQZIO: baseline and progressive JPEG through libjpeg, and the EXIF
// thumbnail for quick previews (the direct load path, 7052 / 7072).
// Answers its two process-wide options: quality (7013 / 7023) and
// progressive output (7033 / 7043), which its options gadgets set.
#include <atomic>
#include <cstdio>
#include <vector>

#include "qzio/codec_buffer_rows.h"
#include "qzio/codec_jpeg.h"
#include "qzio/format_options.h"
#include "qzio/qzio.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"

namespace {

using namespace qz::codec;

constexpr uint32_t kSetQuality = 7013;
constexpr uint32_t kGetQuality = 7023;
constexpr uint32_t kSetProgressive = 7033;
constexpr uint32_t kGetProgressive = 7043;

// Shared by every object of the class for the life of the process.
std::atomic<int32_t> gQuality{90};
std::atomic<int32_t> gProgressive{1};

uint32_t Qz__JpegIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  if (!header->probe || !jpegProbeMatches({header->probe, header->probeSize})) return kNotThisFormat;
  ReadStream in(header);
  if (!in.file()) return kCannotOpen;
  ImageInfo info;
  const uint32_t result = jpegReadInfo(in.file(), info);
  if (result != kOk) return result;
  fillIdentifiedBuffer(header, info);
  return kOk;
}

uint32_t Qz__JpegLoad(const qzio::FormatCall&, QZIO_Header* header) {
  ReadStream in(header);
  if (!in.file()) return kCannotOpen;
  BufferRows rows(header);
  return jpegDecode(in.file(), rows);
}

uint32_t Qz__JpegSave(const qzio::FormatCall&, QZIO_Header* header) {
  QZIO_ImageBuffer* buffer = header->buffer;
  // Checked before the file is touched: libjpeg would only fail part-way.
  if (!buffer || buffer->depth != 24 || buffer->format != kQzioFormatRGBPlanes) return kBadArguments;
  FILE* out = openForSaving(header);
  if (!out) return kCannotOpen;
  JpegSaveOptions options;
  options.quality = gQuality.load(std::memory_order_relaxed);
  options.progressive = gProgressive.load(std::memory_order_relaxed) != 0;
  BufferRows rows(header);
  uint32_t result = jpegEncode(out, buffer->width, buffer->height, buffer->depth, options, rows);
  if (std::fclose(out) != 0 && result == kOk) result = kWriteFailed;
  return result;
}

// The thumbnail of an EXIF file, or a refusal that sends the caller on to
// the full picture.
bool Qz__ReadThumbnail(QZIO_Header* header, std::vector<uint8_t>& thumbnail) {
  if (!header->probe || header->probeSize < 4) return false;
  ReadStream in(header);
  return in.file() && jpegFindExifThumbnail(in.file(), thumbnail);
}

uint32_t Qz__JpegIdentifyDirect(const qzio::FormatCall& call, QZIO_Header* header) {
  std::vector<uint8_t> thumbnail;
  ImageInfo info;
  if (Qz__ReadThumbnail(header, thumbnail) && jpegReadInfoMemory(thumbnail, info) == kOk &&
      (info.depth == 8 || info.depth == 24)) {
    fillIdentifiedBuffer(header, info);
    return kOk;
  }
  return Qz__JpegIdentify(call, header);
}

uint32_t Qz__JpegLoadDirect(const qzio::FormatCall& call, QZIO_Header* header) {
  std::vector<uint8_t> thumbnail;
  ImageInfo info;
  if (Qz__ReadThumbnail(header, thumbnail) && jpegReadInfoMemory(thumbnail, info) == kOk &&
      info.width == header->buffer->width && info.height == header->buffer->height) {
    // No progress display for a thumbnail.
    QZIO_Header quiet = *header;
    quiet.progress = nullptr;
    BufferRows rows(&quiet);
    return jpegDecodeMemory(thumbnail, rows);
  }
  return Qz__JpegLoad(call, header);
}

Qz_Object* Qz__JpegOptions(const qzio::FormatCall& call) {
  return qzio::OptionsColumn()
      .label(97, "Quality")
      .slider(1, 100, gQuality.load(), "%ld%%", call.self, kSetQuality)
      .checkBox(qzio::CatalogText(253, "Progressive"), gProgressive.load() != 0, call.self, kSetProgressive)
      .take();
}

const qzio::FormatOptionRow kJpegOptions[] = {
    {kSetQuality, kGetQuality, 1, 100, false, &gQuality},  // libjpeg's range
    {kSetProgressive, kGetProgressive, 0, 1, true, &gProgressive},
};

const qzio::FormatClass kJpegClass = {
    .className = "JPEGQZIO", .classIdField = 7003, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile | kQzioFlagOwnFile | kQzioFlagDirect, .extension = "jpg",
    .identify = Qz__JpegIdentify, .load = Qz__JpegLoad, .save = Qz__JpegSave,
    .identifyDirect = Qz__JpegIdentifyDirect, .loadDirect = Qz__JpegLoadDirect,
    .option = qzio::optionRows<kJpegOptions>, .buildSaveOptions = Qz__JpegOptions};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitJPEGQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kJpegClass, global); }
QZ_EXPORT void Qz_CleanupJPEGQZIOClass(void) { qzio::UnregisterFormatClass(&kJpegClass); }
QZ_EXTERN_C_END
