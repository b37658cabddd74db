// Rows of an image buffer for the library codecs.
#include "qzio/codec_buffer_rows.h"

#include <unistd.h>

#include <cstring>

#include "qzio/root_qzio.h"

namespace qz::codec {
namespace {

uint32_t Qz__BytesPerPixel(uint32_t layout) {
  switch (layout) {
  case kLayoutRGB:
  case kLayoutBGR:
    return 3;
  case kLayoutRGBX:
  case kLayoutRGBMask:
    return 4;
  default:
    return 1;
  }
}

}  // namespace

BufferRows::BufferRows(QZIO_Header* header)
    : header_(header), buffer_(header->buffer), step_(header->progressStep ? header->progressStep : 32),
      nextReport_(header->progressStep ? header->progressStep : 32) {}

bool BufferRows::store(uint32_t y, uint32_t layout, const uint8_t* row) {
  if (y >= buffer_->height) return false;
  if (isPlaneLayout(layout)) {
    // One bitplane row; the file's row may be longer than the buffer's.
    const uint32_t plane = layout - kLayoutBits;
    if (buffer_->format != kQzioFormatBitplanes || plane >= buffer_->depth || !buffer_->bitplanes[plane]) return false;
    const uint32_t rowBytes = (buffer_->width + 7) / 8;
    const uint32_t copy = rowBytes < buffer_->bytesPerRow ? rowBytes : buffer_->bytesPerRow;
    std::memcpy(buffer_->bitplanes[plane] + static_cast<size_t>(y) * buffer_->bytesPerRow, row, copy);
    return true;
  }
  const uint32_t width = buffer_->width;
  return QZIO_SetBufferData(buffer_, 0, y, width, 1, width * Qz__BytesPerPixel(layout), layout, row) != 0;
}

bool BufferRows::fetch(uint32_t y, uint32_t layout, uint8_t* row) {
  if (y >= buffer_->height) return false;
  const uint32_t width = buffer_->width;
  return QZIO_GetBufferData(buffer_, 0, y, width, 1, width * Qz__BytesPerPixel(layout), layout, row) != 0;
}

bool BufferRows::progress(uint32_t done, uint32_t total) {
  if (!header_->progress || done < nextReport_) return true;
  while (nextReport_ <= done) nextReport_ += step_;
  return qzio::ReportProgress(header_, done, total);
}

void BufferRows::setColourmap(const uint32_t* entries, uint32_t count) {
  const uint32_t n = count < 256 ? count : 256;
  std::memcpy(buffer_->colourmap, entries, n * sizeof(uint32_t));
}

void fillIdentifiedBuffer(QZIO_Header* header, const ImageInfo& info) {
  QZIO_ImageBuffer* buffer = header->buffer;
  buffer->width = info.width;
  buffer->height = info.height;
  buffer->depth = info.depth;
  switch (info.kind) {
  case PixelKind::Grey:
    buffer->format = header->wantedGrey;
    break;
  case PixelKind::ColourMapped:
    buffer->format = header->wantedColourMapped;
    break;
  case PixelKind::Bitplane:
    buffer->format = kQzioFormatBitplanes;
    buffer->bytesPerRow = info.bitplaneBytesPerRow;
    break;
  case PixelKind::TrueColour:
    buffer->format = header->wantedTrueColour;
    break;
  }
  if (info.colourCount > 0) std::memcpy(buffer->colourmap, info.colourmap.data(), sizeof buffer->colourmap);
}

ReadStream::ReadStream(QZIO_Header* header) {
  if (header->stream) {
    restoreAt_ = std::ftell(header->stream);
    if (std::fseek(header->stream, 0, SEEK_SET) == 0) file_ = header->stream;
  } else if (header->fileName) {
    file_ = std::fopen(header->fileName, "rb");
    owned_ = file_ != nullptr;
  }
}

ReadStream::~ReadStream() {
  if (owned_) {
    std::fclose(file_);
  } else if (file_ && restoreAt_ >= 0) {
    std::fseek(file_, restoreAt_, SEEK_SET);
  }
}

FILE* openForSaving(QZIO_Header* header) {
  if (header->saveDescriptor < 0) return nullptr;
  const int own = dup(header->saveDescriptor);
  if (own < 0) return nullptr;
  FILE* file = fdopen(own, "wb");
  if (!file) close(own);
  return file;
}

}  // namespace qz::codec
