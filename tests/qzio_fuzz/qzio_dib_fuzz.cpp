// Feeds each input to the clipboard's bitmap-block reader: a block is
// foreign data, so any crash, leak or sanitizer report is a finding. Seeds:
// the BMP files of the shared corpus.
#include <cstddef>
#include <cstdint>
#include <span>

#include "qzio/codec_dib.h"

namespace {

// Takes the picture the block claims and drops the pixels.
class DiscardRows final : public qz::codec::PixelRows {
 public:
  bool store(uint32_t, uint32_t, const uint8_t*) override { return true; }
  bool fetch(uint32_t, uint32_t, uint8_t*) override { return false; }
  bool progress(uint32_t, uint32_t) override { return true; }
  void setColourmap(const uint32_t*, uint32_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> block(data, size);
  qz::codec::ImageInfo info;
  if (qz::codec::dibIdentify(block, info) != qz::codec::kOk) return 0;
  DiscardRows rows;
  qz::codec::dibDecode(block, rows);
  return 0;
}
