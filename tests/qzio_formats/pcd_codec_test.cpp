// Photo CD codec core on synthetic packs (no independent reader exists
// here): every resolution and turn, the colour conversion, the doubling,
// residual rows of luma and chroma, and the refusals of bad tables and streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "codec_test_support.h"
#include "qzio/codec_pcd.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using Bytes = std::vector<uint8_t>;

constexpr size_t kSector = 2048;

// The conversion as stated: 12-bit fixed point, clamped.
std::array<uint8_t, 3> ycc(int y, int c1, int c2) {
  auto clamp = [](long v) { return uint8_t(std::clamp(v >> 12, 0L, 255L)); };
  const long l = 2048 + 5564L * y;
  return {clamp(l - 1022138 + 7461L * c2), clamp(l + 274934 - 1762L * c1 + 520268 - 3798L * c2),
          clamp(l - 1417185 + 9085L * c1)};
}

struct BitWriter {
  Bytes bytes;
  uint32_t used = 0;  // bits in the last byte
  void put(uint32_t value, uint32_t bits) {
    for (uint32_t i = bits; i-- > 0;) {
      if (used == 0) bytes.push_back(0);
      if (value >> i & 1) bytes.back() |= uint8_t(0x80 >> used);
      used = (used + 1) % 8;
    }
  }
  void row(uint32_t plane, uint32_t row, uint32_t samples, uint32_t code) {
    put(0x7FFFFF, 23), put(0, 1);
    put(plane << 14 | row << 1, 16);
    for (uint32_t i = 0; i < samples; ++i) put(code, 1);
  }
};

// One table: code 0 adds nothing, code 1 adds `delta`.
Bytes table(int8_t delta, uint8_t lengthByte = 0) {
  return {1, lengthByte, 0x00, 0x00, 0, lengthByte, 0x80, 0x00, uint8_t(delta)};
}

struct Pack {
  Bytes bytes;
  // Planes of every stored resolution: luma by `luma(x, y)`, chroma constant.
  template <typename Luma>
  Pack(Luma luma, uint8_t c1, uint8_t c2) : bytes(96 * kSector + 768 * 512 * 3 / 2, 0) {
    std::memcpy(bytes.data() + 2048, "PCD_IPI", 7);
    const uint32_t sectors[3] = {4, 23, 96}, widths[3] = {192, 384, 768};
    for (int i = 0; i < 3; ++i) {
      uint8_t* out = bytes.data() + sectors[i] * kSector;
      const uint32_t w = widths[i], h = w * 2 / 3;
      for (uint32_t pair = 0; pair < h / 2; ++pair) {
        for (uint32_t r = 0; r < 2; ++r)
          for (uint32_t x = 0; x < w; ++x) *out++ = luma(x, pair * 2 + r);
        out = std::fill_n(out, w / 2, c1);
        out = std::fill_n(out, w / 2, c2);
      }
    }
  }
  void pad() { bytes.resize((bytes.size() + kSector - 1) / kSector * kSector, 0); }
  void sector(const Bytes& content) {
    pad();
    const size_t at = bytes.size();
    bytes.resize(at + kSector, 0);
    std::copy(content.begin(), content.end(), bytes.begin() + at);
  }
  void stream(const BitWriter& bits) {
    bytes.insert(bytes.end(), bits.bytes.begin(), bits.bytes.end());
    pad();
  }
};

uint32_t decodePcd(const Bytes& file, const PcdChoice& choice, PictureRows& rows, ImageInfo* infoOut = nullptr) {
  ImageInfo info;
  const uint32_t result = pcdIdentify(file, file.size(), choice, info);
  if (infoOut) *infoOut = info;
  if (result != kOk) return result;
  rows.resize(info.width, info.height);
  return pcdDecode(file, choice, rows);
}

// A pack with residual streams that change nothing: each only its end row.
Pack fullPack(uint8_t y, uint8_t c1, uint8_t c2, const BitWriter& lumaRows, const BitWriter& fullRows) {
  Pack p([&](uint32_t, uint32_t) { return y; }, c1, c2);
  p.bytes.resize(p.bytes.size() + 8192, 0);
  p.sector(table(5));
  p.stream(lumaRows);
  p.bytes.resize(p.bytes.size() + 24576, 0);
  Bytes three = table(5);
  for (int i = 0; i < 2; ++i) {
    const Bytes more = table(i == 0 ? 7 : -9);
    three.insert(three.end(), more.begin(), more.end());
  }
  p.sector(three);
  p.bytes.resize(p.bytes.size() + 2048, 0);
  p.stream(fullRows);
  return p;
}

BitWriter endOnly(uint32_t height) {
  BitWriter b;
  b.row(0, height, 0, 0);
  return b;
}

TEST(PcdPacks, EveryResolutionAndTurn) {
  const Pack pack = fullPack(100, 140, 120, endOnly(1024), endOnly(2048));
  const auto expected = ycc(100, 140, 120);
  const uint32_t widths[] = {192, 384, 768, 1536, 3072};
  for (uint32_t resolution = 0; resolution < kPcdResolutions; ++resolution) {
    for (uint32_t turn = 0; turn < 3; ++turn) {
      SCOPED_TRACE(std::to_string(resolution) + " turned " + std::to_string(turn));
      PictureRows rows;
      ImageInfo info;
      ASSERT_EQ(decodePcd(pack.bytes, {resolution, turn}, rows, &info), kOk);
      const uint32_t w = widths[resolution], h = w * 2 / 3;
      EXPECT_EQ(info.width, turn ? h : w);
      EXPECT_EQ(info.height, turn ? w : h);
      EXPECT_EQ(info.depth, 24u);
      for (auto [x, y] : {std::pair<uint32_t, uint32_t>{0, 0}, {info.width - 1, info.height - 1}})
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), rows.image.at(x, y)));
    }
  }
}

TEST(PcdPacks, TurnsColoursAndDoubling) {
  auto luma = [](uint32_t x, uint32_t y) { return uint8_t(x * 7 + y * 3); };
  const Pack pack(luma, 90, 200);
  const uint32_t w = 192, h = 128;
  for (uint32_t turn = 0; turn < 3; ++turn) {
    SCOPED_TRACE(turn);
    PictureRows rows;
    ASSERT_EQ(decodePcd(pack.bytes, {0, turn}, rows), kOk);
    for (uint32_t r = 0; r < rows.image.height; r += 7) {
      for (uint32_t x = 0; x < rows.image.width; x += 5) {
        uint32_t px = x, py = r;
        if (turn == 1) px = r, py = h - 1 - x;  // bottom to top
        if (turn == 2) px = w - 1 - r, py = x;
        const auto expected = ycc(luma(px, py), 90, 200);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), rows.image.at(x, r))) << x << "," << r;
      }
    }
  }
  // A few (Y, C1, C2) triples, clamped at both ends.
  for (auto [y, c1, c2] : {std::tuple{0, 0, 0}, {255, 255, 255}, {128, 156, 137}, {30, 250, 10}}) {
    const Pack flat([&](uint32_t, uint32_t) { return uint8_t(y); }, uint8_t(c1), uint8_t(c2));
    PictureRows rows;
    ASSERT_EQ(decodePcd(flat.bytes, {0, 0}, rows), kOk);
    const auto expected = ycc(y, c1, c2);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), rows.image.at(3, 3)));
  }
}

TEST(PcdPacks, ResidualRowsCorrectLumaAndChroma) {
  // Luma row 10 of the 1536 x 1024 picture gains 5; in the full pack chroma
  // (C1, table +7) row 3 of the 1536 x 1024 chroma gains 7, which doubles
  // into rows 6 and 7 (half of it into 7, rounded up).
  BitWriter luma;
  luma.row(0, 10, 1536, 1);
  luma.row(0, 1024, 0, 0);
  BitWriter full;
  full.row(2, 3, 1536, 1);
  full.row(0, 2048, 0, 0);
  const Pack pack = fullPack(100, 140, 120, luma, full);
  PictureRows rows;
  ASSERT_EQ(decodePcd(pack.bytes, {3, 0}, rows), kOk);
  auto is = [&](uint32_t x, uint32_t y, std::array<uint8_t, 3> c) { return std::equal(c.begin(), c.end(), rows.image.at(x, y)); };
  EXPECT_TRUE(is(5, 10, ycc(105, 140, 120)));
  EXPECT_TRUE(is(5, 9, ycc(100, 140, 120)));
  ASSERT_EQ(decodePcd(pack.bytes, {4, 0}, rows), kOk);
  EXPECT_TRUE(is(5, 20, ycc(105, 140, 120)));
  EXPECT_TRUE(is(5, 21, ycc(103, 140, 120)));  // between row 10 and 11: (105 + 100 + 1) / 2
  EXPECT_TRUE(is(5, 6, ycc(100, 147, 120)));
  EXPECT_TRUE(is(5, 7, ycc(100, 144, 120)));  // (147 + 140 + 1) / 2
  EXPECT_TRUE(is(5, 8, ycc(100, 140, 120)));
}

TEST(PcdPacks, Refusals) {
  ImageInfo info;
  PictureRows rows;
  Pack plain([](uint32_t, uint32_t) { return uint8_t(1); }, 2, 3);
  Bytes unsigned_ = plain.bytes;
  unsigned_[2050] = 'X';
  EXPECT_EQ(pcdIdentify(unsigned_, unsigned_.size(), {}, info), kNotThisFormat);
  Bytes short_ = plain.bytes;
  short_.resize(96 * kSector + 1000);
  EXPECT_EQ(pcdIdentify(short_, short_.size(), {2, 0}, info), kReadError);
  EXPECT_EQ(pcdIdentify(short_, short_.size(), {1, 0}, info), kOk);

  BitWriter planeOne, below, cut, endless;
  planeOne.row(1, 0, 0, 0);
  below.row(0, 1025, 0, 0);
  cut.row(0, 4, 100, 1);
  endless.put(0xFFFF, 16);
  struct Case {
    const char* name;
    Bytes file;
  } cases[] = {
      {"plane code 1", fullPack(1, 2, 3, planeOne, endOnly(2048)).bytes},
      {"a row below the picture", fullPack(1, 2, 3, below, endOnly(2048)).bytes},
      {"a row cut short", fullPack(1, 2, 3, cut, endOnly(2048)).bytes},
      {"no end row", fullPack(1, 2, 3, endless, endOnly(2048)).bytes},
      {"a code of 17 bits", [] {
         Pack p = fullPack(1, 2, 3, endOnly(1024), endOnly(2048));
         p.bytes[96 * kSector + 768 * 512 * 3 / 2 + 8192 + 1] = 16;
         return p.bytes;
       }()},
      {"tables outside the file", [&] {
         Bytes b = plain.bytes;
         b.resize(b.size() + 9000, 0);
         return b;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(decodePcd(c.file, {3, 0}, rows), kNotThisFormat);
  }
}

TEST(PcdPacks, DamagedPacksEndCleanly) {
  Pack small([](uint32_t x, uint32_t y) { return uint8_t(x ^ y); }, 30, 60);
  small.bytes.resize(4 * kSector + 192 * 128 * 3 / 2);
  for (const Bytes& bad : qztest::damagedCopies(small.bytes, 60, 20)) {
    PictureRows rows;
    const uint32_t result = decodePcd(bad, {0, 1}, rows);
    EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError) << result;
  }
  // Residual streams cut anywhere.
  BitWriter luma;
  luma.row(0, 10, 1536, 1);
  luma.row(0, 1024, 0, 0);
  const Bytes full = fullPack(100, 140, 120, luma, endOnly(2048)).bytes;
  const size_t base = 96 * kSector + 768 * 512 * 3 / 2;
  // The last stream is its end row alone, in the first bytes of the last sector.
  for (size_t cut = base; cut < full.size() - kSector + 4; cut += 997) {
    PictureRows rows;
    const Bytes part(full.begin(), full.begin() + long(cut));
    EXPECT_EQ(decodePcd(part, {4, 0}, rows), kNotThisFormat) << cut;
  }
}

}  // namespace
