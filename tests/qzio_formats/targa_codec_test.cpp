// Targa codec core: files ImageMagick and netpbm write (given the footer
// that marks the newer kind) load as those programs read them; hand-built
// files pin the row orders, the ID field and colour map, packets that cross
// rows; our packets are exact and what we write others read exactly.
#include <gtest/gtest.h>

#include <cstring>

#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_targa.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

// Both area offsets 0, the signature, ".", NUL.
const Bytes kFooter = {0, 0, 0, 0, 0, 0, 0, 0, 'T', 'R', 'U', 'E', 'V', 'I', 'S', 'I', 'O',
                       'N', '-', 'X', 'F', 'I', 'L', 'E', '.', 0};

Bytes withFooter(Bytes file) {
  file.insert(file.end(), kFooter.begin(), kFooter.end());
  return file;
}

uint32_t targaHead(std::span<const uint8_t> head, uint64_t size, ImageInfo& info, const Bytes& file) {
  const std::span<const uint8_t> whole(file);
  return targaIdentify(head, whole.size() >= 26 ? whole.last(26) : whole, size, info);
}

uint32_t decodeTarga(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(
      file, rows, info,
      [&](std::span<const uint8_t> head, uint64_t size, ImageInfo& i) { return targaHead(head, size, i, file); },
      targaDecode);
}

// An 18-byte header; the caller appends ID, map, pixels and footer.
Bytes header(uint8_t imageType, uint16_t width, uint16_t height, uint8_t bits, uint8_t descriptor, uint8_t idLength = 0,
             uint8_t mapType = 0, uint16_t mapLength = 0, uint8_t mapBits = 0) {
  Bytes out;
  qz::ByteWriter w(out);
  w.putU8(idLength), w.putU8(mapType), w.putU8(imageType);
  w.putU16le(0), w.putU16le(mapLength), w.putU8(mapBits);
  w.putU16le(0), w.putU16le(0), w.putU16le(width), w.putU16le(height);
  w.putU8(bits), w.putU8(descriptor);
  return out;
}

// B, G, R of the picture's rows in the order and direction asked.
Bytes pixels(const RgbImage& image, bool topFirst, bool rightToLeft) {
  Bytes out;
  for (uint32_t i = 0; i < image.height; ++i) {
    const uint32_t y = topFirst ? i : image.height - 1 - i;
    for (uint32_t j = 0; j < image.width; ++j) {
      const uint8_t* p = image.at(rightToLeft ? image.width - 1 - j : j, y);
      out.insert(out.end(), {p[2], p[1], p[0]});
    }
  }
  return out;
}

Bytes withPixels(Bytes file, size_t bytes) {
  file.resize(file.size() + bytes, 0x11);
  return file;
}

Bytes targaFile(const RgbImage& image, uint8_t descriptor, const Bytes& between = {}, uint8_t idLength = 0,
                uint8_t mapType = 0, uint16_t mapLength = 0) {
  Bytes file = header(2, uint16_t(image.width), uint16_t(image.height), 24, descriptor, idLength, mapType, mapLength, 24);
  file.insert(file.end(), between.begin(), between.end());
  const Bytes rows = pixels(image, descriptor & 0x20, descriptor & 0x10);
  file.insert(file.end(), rows.begin(), rows.end());
  return withFooter(file);
}

class TargaCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    source_ = qztest::makeGradient(13, 7);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  std::string make(const std::string& name, const std::string& command) {
    const std::string out = dir_.file(name);
    EXPECT_TRUE(qztest::run(command + " > '" + out + "'"));
    return out;
  }
  qztest::TempDir dir_;
  std::string convert_;
  RgbImage source_;
};

TEST_F(TargaCodec, LoadsWhatOtherProgramsWriteWithItsPixels) {
  const std::string pamtotga = qztest::toolPath("pamtotga"), tgatoppm = qztest::toolPath("tgatoppm");
  if (convert_.empty() || pamtotga.empty() || tgatoppm.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  const std::string source = " '" + dir_.file("source.ppm") + "'";
  struct Case {
    const char* name;
    std::string path;
  } cases[] = {
      {"ImageMagick, bottom row first", make("im.tga", convert_ + source + " tga:-")},
      {"ImageMagick run-length", make("im-rle.tga", convert_ + source + " -compress RLE tga:-")},
      {"ImageMagick 32-bit, top row first", make("im-32.tga", convert_ + source + " -alpha set tga:-")},
      {"netpbm with an ID field", make("id.tga", pamtotga + " -rgb -norle -name 'seven bytes'" + source)},
      {"netpbm run-length", make("pbm-rle.tga", pamtotga + " -rgb" + source)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = qztest::readFile(c.path);
    PictureRows rows;
    EXPECT_EQ(decodeTarga(file, rows), kNotThisFormat);  // no footer: not the newer kind
    ASSERT_EQ(decodeTarga(withFooter(file), rows), kOk);
    // netpbm reads them as the descriptor says; ImageMagick 6 writes its
    // rows top first with the top-first bit clear, and reads them back so.
    RgbImage reference;
    ASSERT_TRUE(qztest::run(tgatoppm + " '" + c.path + "' > '" + dir_.file("netpbm.ppm") + "'"));
    ASSERT_TRUE(qztest::readPnm(dir_.file("netpbm.ppm"), reference));
    EXPECT_EQ(qztest::maxDifference(rows.image, reference), 0);
  }
}

TEST_F(TargaCodec, HandBuiltFilesLoad) {
  struct Case {
    const char* name;
    Bytes file;
  } cases[] = {
      {"bottom row first", targaFile(source_, 0)},
      {"top row first", targaFile(source_, 0x20)},
      {"right to left, bottom row first", targaFile(source_, 0x10)},
      {"right to left, top row first", targaFile(source_, 0x30)},
      // The pixels follow the ID field and the colour map.
      {"ID field", targaFile(source_, 0x20, Bytes(5, 0xAB), 5)},
      {"ID field and an unused colour map", targaFile(source_, 0, Bytes(5 + 4 * 3, 0xCD), 5, 1, 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeTarga(c.file, rows, &info), kOk);
    EXPECT_EQ(info.depth, 24u);
    EXPECT_EQ(qztest::maxDifference(rows.image, source_), 0);
  }

  // Packets that cross rows: 4 x 2, one run of 6 red pixels, then 2 literals.
  Bytes file = header(10, 4, 2, 24, 0x20);
  file.insert(file.end(), {0x85, 0, 0, 255, 0x01, 255, 0, 0, 0, 255, 0});
  PictureRows rows;
  ASSERT_EQ(decodeTarga(withFooter(file), rows), kOk);
  EXPECT_EQ(rows.image.at(3, 0)[0], 255);
  EXPECT_EQ(rows.image.at(1, 1)[0], 255);
  EXPECT_EQ(rows.image.at(2, 1)[2], 255);
  EXPECT_EQ(rows.image.at(3, 1)[1], 255);

  // A literal packet split by the row end continues in the next call.
  TargaRunState state;
  const Bytes packets = {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  qz::ByteReader source(packets);
  uint8_t first[6], second[3];
  EXPECT_EQ(QZIO_RLEDecode(first, 6, 1, source, state), 6u);
  EXPECT_EQ(QZIO_RLEDecode(second, 3, 1, source, state), 3u);
  EXPECT_EQ(second[2], 9);
  EXPECT_EQ(QZIO_RLEDecode(second, 3, 1, source, state), 0u);  // the data has ended
}

TEST_F(TargaCodec, RefusalsAndShortFiles) {
  Bytes cut = targaFile(source_, 0);
  cut.erase(cut.end() - 26 - 5, cut.end() - 26);  // five bytes of the last row gone
  Bytes cutRle = header(10, 4, 2, 24, 0);
  cutRle.insert(cutRle.end(), {0x85, 0, 0, 255});
  struct Case {
    const char* name;
    Bytes file;
    uint32_t result;
  } cases[] = {
      {"16 bits a pixel", withFooter(withPixels(header(2, 2, 2, 16, 0), 8)), kNotHandled},
      {"colour-mapped", withFooter(withPixels(header(1, 2, 2, 8, 0, 0, 1, 2, 24), 6 + 4)), kNotHandled},
      {"grey", withFooter(withPixels(header(3, 2, 2, 8, 0), 4)), kNotHandled},
      {"a damaged depth claiming far more", withFooter(withPixels(header(2, 2000, 2000, 255, 0), 4)), kReadError},
      {"a row short", cut, kReadError},
      {"far too short", withFooter(header(2, 9000, 9000, 24, 0)), kReadError},
      {"packets short", withFooter(cutRle), kReadError},
      {"no footer", header(2, 2, 2, 24, 0), kNotThisFormat},
      {"zero width", withFooter(header(2, 0, 2, 24, 0)), kNotThisFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    EXPECT_EQ(decodeTarga(c.file, rows), c.result);
  }
}

TEST_F(TargaCodec, SavesExactPacketsOthersRead) {
  // 200 equal pixels: two run packets, 128 and 72 pixels.
  RgbImage flat(200, 1);
  for (uint32_t x = 0; x < 200; ++x) std::memcpy(flat.at(x, 0), "\x10\x20\x30", 3);
  Bytes file;
  PictureRows flatRows(flat);
  ASSERT_EQ(targaEncode(200, 1, 24, true, flatRows, file), kOk);
  Bytes expected = header(10, 200, 1, 24, 0x20);
  expected.insert(expected.end(), {0xFF, 0x30, 0x20, 0x10, 0xC7, 0x30, 0x20, 0x10});
  EXPECT_EQ(file, withFooter(expected));

  const std::string tgatoppm = qztest::toolPath("tgatoppm");
  for (bool runLength : {false, true}) {
    SCOPED_TRACE(runLength ? "run-length" : "plain");
    Bytes saved;
    PictureRows rows(source_);
    ASSERT_EQ(targaEncode(13, 7, 24, runLength, rows, saved), kOk);
    PictureRows back;
    ASSERT_EQ(decodeTarga(saved, back), kOk);
    EXPECT_EQ(qztest::maxDifference(back.image, source_), 0);
    qztest::writeFile(dir_.file("saved.tga"), saved);
    RgbImage other;
    if (!convert_.empty()) {
      ASSERT_TRUE(qztest::decodeWithImageMagick(dir_.file("saved.tga"), other, dir_.path()));
      EXPECT_EQ(qztest::maxDifference(other, source_), 0);
    }
    if (!tgatoppm.empty()) {
      ASSERT_TRUE(qztest::run(tgatoppm + " '" + dir_.file("saved.tga") + "' > '" + dir_.file("netpbm.ppm") + "'"));
      ASSERT_TRUE(qztest::readPnm(dir_.file("netpbm.ppm"), other));
      EXPECT_EQ(qztest::maxDifference(other, source_), 0);
    }
  }
  Bytes unused;
  PictureRows rows(source_);
  EXPECT_EQ(targaEncode(13, 7, 8, false, rows, unused), kNotHandled);
}

TEST_F(TargaCodec, DamagedFilesEndCleanly) {
  for (bool runLength : {false, true}) {
    Bytes saved;
    PictureRows rows(source_);
    ASSERT_EQ(targaEncode(13, 7, 24, runLength, rows, saved), kOk);
    for (const Bytes& bad : qztest::damagedCopies(saved)) {
      PictureRows out;
      const uint32_t result = decodeTarga(bad, out);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError || result == kNotHandled) << result;
    }
  }
}

}  // namespace
