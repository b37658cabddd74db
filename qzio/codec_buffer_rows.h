// The codecs' rows interface over a format call's image buffer: stores and
// fetches go through the buffer's pixel layouts, progress goes to the
// header's display every progress-step rows.
#pragma once

#include <cstdint>
#include <cstdio>

#include "qzio/codec_rows.h"
#include "qzio/qzio.h"

namespace qz::codec {

class BufferRows final : public PixelRows {
 public:
  explicit BufferRows(QZIO_Header* header);
  bool store(uint32_t y, uint32_t layout, const uint8_t* row) override;
  bool fetch(uint32_t y, uint32_t layout, uint8_t* row) override;
  bool progress(uint32_t done, uint32_t total) override;
  void setColourmap(const uint32_t* entries, uint32_t count) override;

 private:
  QZIO_Header* header_;
  QZIO_ImageBuffer* buffer_;
  uint32_t step_;
  uint32_t nextReport_;
};

// Fills the header's buffer from what identify found, choosing the buffer
// format from the header's wanted formats.
void fillIdentifiedBuffer(QZIO_Header* header, const ImageInfo& info);

// The file a format reads: the header's stream, rewound (and set back where
// it was afterwards, so identify leaves it as it found it), else the file
// named in the header, opened here and closed with this object.
class ReadStream {
 public:
  explicit ReadStream(QZIO_Header* header);
  ~ReadStream();
  ReadStream(const ReadStream&) = delete;
  ReadStream& operator=(const ReadStream&) = delete;
  FILE* file() const { return file_; }

 private:
  FILE* file_ = nullptr;
  bool owned_ = false;
  long restoreAt_ = -1;
};

// A stdio stream onto the save's temporary file (a duplicate of the header's
// descriptor, closed by the caller with fclose), or null.
FILE* openForSaving(QZIO_Header* header);

}  // namespace qz::codec
