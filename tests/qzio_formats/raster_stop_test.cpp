// A stop request during a load or save of the ILBM, DEEP, SGI, Targa, Sun
// raster and XWD codecs ends it with 9 after the row it came with.
#include <gtest/gtest.h>

#include <functional>

#include "codec_test_support.h"
#include "qzio/codec_deep.h"
#include "qzio/codec_ilbm.h"
#include "qzio/codec_ras.h"
#include "qzio/codec_sgi.h"
#include "qzio/codec_targa.h"
#include "qzio/codec_xwd.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using Bytes = std::vector<uint8_t>;
using Encode = std::function<uint32_t(uint32_t, uint32_t, uint32_t, PixelRows&, Bytes&)>;
using Identify = std::function<uint32_t(std::span<const uint8_t>, uint64_t, ImageInfo&)>;
using Decode = std::function<uint32_t(std::span<const uint8_t>, PixelRows&)>;

uint32_t targaHeader(std::span<const uint8_t> file, uint64_t size, ImageInfo& info) {
  return targaIdentify(file, file.last(kTargaFooterBytes), size, info);
}

uint32_t targaRunLength(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows, Bytes& out) {
  return targaEncode(width, height, depth, true, rows, out);
}

TEST(RasterCodecs, StopRequestsEndLoadsAndSaves) {
  struct Case {
    const char* name;
    Encode encode;
    Identify identify;
    Decode decode;
  } cases[] = {
      {"ILBM", ilbmEncode, ilbmIdentify, ilbmDecode}, {"DEEP", deepEncode, deepIdentify, deepDecode},
      {"SGI", sgiEncode, sgiIdentify, sgiDecode},     {"Targa", targaRunLength, targaHeader, targaDecode},
      {"RAS", rasEncode, rasIdentify, rasDecode},     {"XWD", xwdEncode, xwdIdentify, xwdDecode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows source(qztest::makeGradient(9, 6));
    source.stopAfter = 2;
    Bytes file;
    EXPECT_EQ(c.encode(9, 6, 24, source, file), kCancelled);
    file.clear();
    source.stopAfter = 0xFFFFFFFF;
    ASSERT_EQ(c.encode(9, 6, 24, source, file), kOk);
    // The whole file as identify sees it (Targa needs the whole for its footer).
    ImageInfo info;
    ASSERT_EQ(c.identify(file, file.size(), info), kOk);
    PictureRows rows;
    rows.resize(info.width, info.height, info.bitplaneBytesPerRow);
    rows.stopAfter = 2;
    EXPECT_EQ(c.decode(file, rows), kCancelled);
    EXPECT_LE(rows.rowsStored, 2u * (info.kind == PixelKind::Bitplane ? info.depth : 1));
  }
}

}  // namespace
