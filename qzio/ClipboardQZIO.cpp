// ClipboardQZIO: pastes the desktop clipboard's picture (PNG when offered,
// else a BMP block) and copies a picture there as PNG and as a 24-bit BMP
// block, so that programs knowing either can paste it. A paste
// leaves the clipboard as it was: the picture may belong to another program
// and may be pasted again.
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/clipboard.h"
#include "platform/exec.h"
#include "qzio/codec_buffer_rows.h"
#include "qzio/codec_dib.h"
#include "qzio/codec_png.h"
#include "qzio/qzio.h"
#include "qzio/root_qzio.h"

namespace {

using namespace qz::codec;

constexpr const char* kBmpType = "image/bmp";
constexpr const char* kPngType = "image/png";

struct ClipboardPicture {
  std::vector<uint8_t> bytes;
  bool png = false;
};

bool Qz__Fetch(const char* type, std::vector<uint8_t>& bytes) {
  size_t length = 0;
  void* data = Qz_ClipboardGetData(type, &length);
  if (!data) return false;
  const auto* p = static_cast<const uint8_t*>(data);
  bytes.assign(p, p + length);
  FreeVec(data);
  return true;
}

// PNG first: it carries the whole picture in every program that offers it.
bool Qz__Picture(ClipboardPicture& picture) {
  if (Qz__Fetch(kPngType, picture.bytes)) {
    picture.png = true;
    return true;
  }
  picture.png = false;
  return Qz__Fetch(kBmpType, picture.bytes);
}

uint32_t Qz__Identify(ClipboardPicture& picture, ImageInfo& info) {
  if (!picture.png) return dibIdentify(picture.bytes, info);
  MemoryStream file = openMemoryStream(picture.bytes);
  if (!file || !pngProbeMatches(picture.bytes)) return kNotThisFormat;
  return pngReadInfo(file.get(), info) == kOk ? kOk : kNotThisFormat;
}

uint32_t Qz__ClipboardIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  ClipboardPicture picture;
  ImageInfo info;
  if (!Qz__Picture(picture) || Qz__Identify(picture, info) != kOk) return kNotThisFormat;
  fillIdentifiedBuffer(header, info);
  return kOk;
}

uint32_t Qz__ClipboardLoad(const qzio::FormatCall&, QZIO_Header* header) {
  QZIO_ImageBuffer* buffer = header->buffer;
  ClipboardPicture picture;
  ImageInfo info;
  if (!buffer || !Qz__Picture(picture) || Qz__Identify(picture, info) != kOk) return kBadArguments;
  // The clipboard may have changed since identify sized the buffer.
  if (info.width != buffer->width || info.height != buffer->height || info.depth != buffer->depth)
    return kBadArguments;
  BufferRows rows(header);
  if (!picture.png) return dibDecode(picture.bytes, rows) == kOk ? kOk : kBadArguments;
  MemoryStream file = openMemoryStream(picture.bytes);
  if (!file) return kBadArguments;
  return pngDecode(file.get(), rows) == kOk ? kOk : kBadArguments;
}

// The rows as a PNG file in memory, at a fast compression level: the copy is
// made while the user waits.
uint32_t Qz__EncodePng(uint32_t width, uint32_t height, PixelRows& rows, std::vector<uint8_t>& out) {
  char* data = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&data, &size);
  if (!file) return kNoMemory;
  const uint32_t result = pngEncode(file, width, height, PngSaveOptions{.compressionLevel = 1}, rows);
  const bool closed = std::fclose(file) == 0;
  if (result == kOk && closed) out.assign(data, data + size);
  std::free(data);
  return result == kOk && !closed ? kNoMemory : result;
}

uint32_t Qz__ClipboardSave(const qzio::FormatCall&, QZIO_Header* header) {
  QZIO_ImageBuffer* buffer = header->buffer;
  if (!buffer || buffer->width == 0 || buffer->height == 0) return kBadArguments;
  std::vector<uint8_t> block;
  BufferRows rows(header);
  uint32_t result = dibEncode(buffer->width, buffer->height, rows, block);
  if (result != kOk) return result == kCancelled ? result : kBadArguments;
  std::vector<uint8_t> png;
  BufferRows pngRows(header);
  result = Qz__EncodePng(buffer->width, buffer->height, pngRows, png);
  if (result == kCancelled) return result;
  // The BMP block alone still serves readers when PNG could not be made.
  std::vector<Qz_ClipboardOffer> offers = {{kBmpType, block.data(), block.size()}};
  if (result == kOk) offers.push_back({kPngType, png.data(), png.size()});
  return Qz_ClipboardSetOffers(offers.data(), offers.size()) ? kOk : kBadArguments;
}

const qzio::FormatClass kClipboardClass = {
    .className = "ClipboardQZIO", .classIdField = 7004, .capabilities = kQzioCapsOutputOnly,
    .flags = kQzioFlagOwnFile | kQzioFlagNoProgress, .extension = nullptr,
    .identify = Qz__ClipboardIdentify, .load = Qz__ClipboardLoad, .save = Qz__ClipboardSave};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitClipboardQZIOClass(Qz_GlobalData* global) {
  return qzio::RegisterFormatClass(&kClipboardClass, global);
}
QZ_EXPORT void Qz_CleanupClipboardQZIOClass(void) { qzio::UnregisterFormatClass(&kClipboardClass); }
QZ_EXTERN_C_END
