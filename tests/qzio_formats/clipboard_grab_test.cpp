// Pasting and copying pictures through the in-process clipboard (BMP blocks
// of every layout desktops put there, PNG, damaged blocks) and screen grabs
// of the headless desktop.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "class_test_support.h"
#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "platform/clipboard.h"
#include "platform/exec.h"
#include "objects/qz_object.h"
#include "qzio/codec_dib.h"
#include "qzio/codec_png.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "windows/window_fixture.h"

namespace {

using qztest::Buffer;
using qztest::RgbImage;

// The colour index of pixel (x, y) in every block built here.
uint8_t Qz__Index(uint32_t x, uint32_t y, uint32_t tableEntries) { return static_cast<uint8_t>((x * 3 + y * 5) % tableEntries); }
uint32_t Qz__TableColour(uint32_t i) { return (i * 37 % 256) | (i * 91 % 256) << 8 | (255 - i) << 16; }  // R | G << 8 | B << 16

struct BlockSpec {
  const char* name;
  uint32_t bits, width;
  int32_t height;  // negative: top row first
  uint32_t coloursUsed = 0, compression = 0;
};

// A BMP block as another program would offer it, and the picture it shows.
std::vector<uint8_t> Qz__Block(const BlockSpec& s, RgbImage& shows) {
  const uint32_t h = static_cast<uint32_t>(s.height < 0 ? -s.height : s.height);
  const uint32_t table = s.bits <= 8 ? (s.coloursUsed ? s.coloursUsed : 1u << s.bits) : 0;
  const uint32_t rowBytes = (s.width * s.bits + 31) / 32 * 4;
  std::vector<uint8_t> out;
  qz::ByteWriter w(out);
  w.putU8('B'), w.putU8('M');
  w.putU32le(14 + 40 + table * 4 + rowBytes * h), w.putU32le(0), w.putU32le(14 + 40 + table * 4);
  w.putU32le(40), w.putU32le(s.width), w.putU32le(static_cast<uint32_t>(s.height));
  w.putU16le(1), w.putU16le(static_cast<uint16_t>(s.bits)), w.putU32le(s.compression);
  w.putU32le(rowBytes * h), w.putU32le(0), w.putU32le(0), w.putU32le(s.coloursUsed), w.putU32le(0);
  for (uint32_t i = 0; i < table; ++i) {
    const uint32_t c = Qz__TableColour(i);
    w.putU8(c >> 16 & 0xFF), w.putU8(c >> 8 & 0xFF), w.putU8(c & 0xFF), w.putU8(0);
  }
  shows = RgbImage(s.width, h);
  for (uint32_t i = 0; i < h; ++i) {
    const uint32_t y = s.height < 0 ? i : h - 1 - i;
    std::vector<uint8_t> row(rowBytes, 0);
    for (uint32_t x = 0; x < s.width; ++x) {
      uint8_t* px = shows.at(x, y);
      if (s.bits <= 8) {
        const uint8_t index = Qz__Index(x, y, table);
        const uint32_t c = Qz__TableColour(index);
        px[0] = c & 0xFF, px[1] = c >> 8 & 0xFF, px[2] = c >> 16 & 0xFF;
        if (s.bits == 8) row[x] = index;
        if (s.bits == 4) row[x / 2] |= (x & 1) ? index : index << 4;
        if (s.bits == 1) row[x / 8] |= index << (7 - x % 8);
      } else if (s.bits >= 24) {  // other depths keep zero rows: they are refused
        px[0] = static_cast<uint8_t>(x * 20), px[1] = static_cast<uint8_t>(y * 30), px[2] = static_cast<uint8_t>(x + y);
        const uint32_t step = s.bits / 8;
        row[x * step] = px[2], row[x * step + 1] = px[1], row[x * step + 2] = px[0];
        if (step == 4) row[x * step + 3] = 0xA5;  // unused byte, ignored
      }
    }
    for (uint8_t b : row) w.putU8(b);
  }
  return out;
}

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitClipboardQZIOClass(nullptr);
    Qz_InitScreenGrabQZIOClass(nullptr);
  }
  void TearDown() override {
    Qz_CleanupScreenGrabQZIOClass();
    Qz_CleanupClipboardQZIOClass();
    Qz_CleanupRootQZIOClass();
  }
  static Buffer paste(uint32_t& result) { return loadFrom("ClipboardQZIO", result); }
  static Buffer loadFrom(const char* className, uint32_t& result) {
    Qz_Object* source = Qz_CreateObject(className);
    if (!source) return nullptr;
    Buffer b(QZIO_LoadBufferFromQZIO(source, kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
    Qz_DisposeObject(source);
    return b;
  }
  static std::vector<uint8_t> offered(const char* type) {
    size_t length = 0;
    void* data = Qz_ClipboardGetData(type, &length);
    if (!data) return {};
    std::vector<uint8_t> bytes(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + length);
    FreeVec(data);
    return bytes;
  }
};

TEST_F(ClipboardTest, BlocksOfEveryLayoutPasteUprightAndStayOnTheClipboard) {
  const BlockSpec cases[] = {
      {"1 bit", 1, 11, 5},
      {"4 bits, odd width", 4, 5, 3},
      {"8 bits, colours-used 0 takes 256 entries", 8, 7, 4},
      {"8 bits, colours-used 20", 8, 7, 4, 20},
      {"24 bits, 3 wide (padded rows)", 24, 3, 4},
      {"24 bits, top-down", 24, 6, -5},
      {"32 bits, fourth byte ignored", 32, 4, 3},
  };
  for (const BlockSpec& c : cases) {
    SCOPED_TRACE(c.name);
    RgbImage shows;
    const std::vector<uint8_t> block = Qz__Block(c, shows);
    ASSERT_EQ(Qz_ClipboardSetData("image/bmp", block.data(), block.size()), 1);
    uint32_t result = 0;
    Buffer b = paste(result);
    ASSERT_EQ(result, kQzioSuccess);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->depth, c.bits == 1 ? 1u : c.bits <= 8 ? 8u : 24u);
    EXPECT_EQ(qztest::maxDifference(qztest::imageFrom(b.get()), shows), 0);
    EXPECT_EQ(offered("image/bmp"), block);  // a paste takes nothing off the clipboard
  }
}

TEST_F(ClipboardTest, RefusedBlocksAnswerNotRecognisedAndLeaveTheClipboard) {
  RgbImage shows;
  std::vector<uint8_t> good = Qz__Block({"", 24, 4, 4}, shows);
  std::vector<uint8_t> shortRows(good.begin(), good.end() - 1);
  std::vector<uint8_t> bigTable = Qz__Block({"", 8, 4, 4, 300}, shows);
  const struct {
    const char* name;
    std::vector<uint8_t> block;
  } cases[] = {
      {"bit fields", Qz__Block({"", 32, 4, 4, 0, 3}, shows)},
      {"16 bits", Qz__Block({"", 16, 4, 4}, shows)},
      {"one row byte short", shortRows},
      {"more colours than the depth holds", bigTable},
      {"empty", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Qz_ClipboardSetData("image/bmp", c.block.data(), c.block.size()), 1);
    uint32_t result = 0;
    EXPECT_EQ(paste(result), nullptr);
    EXPECT_EQ(result, kQzioNotRecognised);
    EXPECT_EQ(offered("image/bmp"), c.block);
  }
}

TEST_F(ClipboardTest, DamagedBlocksAreRefusedOrDecodeWithinTheirBytes) {
  RgbImage shows;
  for (const BlockSpec& spec : {BlockSpec{"", 8, 9, 7, 0}, BlockSpec{"", 24, 5, -6}, BlockSpec{"", 1, 17, 3}}) {
    const std::vector<uint8_t> good = Qz__Block(spec, shows);
    for (const std::vector<uint8_t>& damaged : qztest::damagedCopies(good)) {
      qz::codec::ImageInfo info;
      if (damaged.size() < good.size()) {
        EXPECT_EQ(qz::codec::dibIdentify(damaged, info), qz::codec::kNotThisFormat);
      }
      if (qz::codec::dibIdentify(damaged, info) != qz::codec::kOk) continue;
      qztest::PictureRows rows;
      rows.resize(info.width, info.height, info.bitplaneBytesPerRow);
      EXPECT_EQ(qz::codec::dibDecode(damaged, rows), qz::codec::kOk);
    }
  }
}

// A copy offers the picture both ways: other programs read PNG or the BMP
// block, and each must give the same pixels.
TEST_F(ClipboardTest, CopyOffersPngAndA24BitBlockThatBothGiveThePicture) {
  const RgbImage picture = qztest::makeGradient(3, 5);
  Buffer b = qztest::rgbBufferOf(picture);
  ASSERT_NE(b, nullptr);
  const qzio::FormatClass* cls = qzio::FindFormatClass("ClipboardQZIO");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls->capabilities, 1024u);
  EXPECT_EQ(cls->flags, 6u);
  QZIO_Header header{};
  header.buffer = b.get();
  ASSERT_EQ(cls->save(qzio::FormatCall{nullptr, nullptr}, &header), qz::codec::kOk);
  const std::vector<uint8_t> block = offered("image/bmp");
  ASSERT_EQ(block.size(), 54u + 12 * 5);  // rows of 9 pixel bytes and 3 of padding
  qz::ByteReader r(block);
  r.seek(14);
  EXPECT_EQ(r.u32le(), 40u);
  EXPECT_EQ(r.s32le(), 3);
  EXPECT_EQ(r.s32le(), 5);  // bottom row first
  EXPECT_EQ(r.u16le(), 1u);
  EXPECT_EQ(r.u16le(), 24u);
  qz::codec::ImageInfo info;
  ASSERT_EQ(qz::codec::dibIdentify(block, info), qz::codec::kOk);
  qztest::PictureRows blockRows;
  blockRows.resize(info.width, info.height, info.bitplaneBytesPerRow);
  ASSERT_EQ(qz::codec::dibDecode(block, blockRows), qz::codec::kOk);
  EXPECT_EQ(qztest::maxDifference(blockRows.image, picture), 0);

  const std::vector<uint8_t> png = offered("image/png");
  ASSERT_TRUE(qz::codec::pngProbeMatches(png));
  uint32_t result = 0;
  Buffer back = paste(result);  // PNG is preferred
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(qztest::maxDifference(qztest::imageFrom(back.get()), picture), 0);
}

TEST_F(ClipboardTest, PngIsPastedWhenOffered) {
  const RgbImage picture = qztest::makeGradient(13, 6);
  char* data = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&data, &size);
  ASSERT_NE(stream, nullptr);
  qztest::PictureRows rows(picture);
  ASSERT_EQ(qz::codec::pngEncode(stream, picture.width, picture.height, {}, rows), qz::codec::kOk);
  std::fclose(stream);
  ASSERT_EQ(Qz_ClipboardSetData("image/png", data, size), 1);
  std::free(data);
  uint32_t result = 0;
  Buffer back = paste(result);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(qztest::maxDifference(qztest::imageFrom(back.get()), picture), 0);
}

class ScreenGrabTest : public qztest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitScreenGrabQZIOClass(nullptr);
    cls_ = qzio::FindFormatClass("ScreenGrabQZIO");
    ASSERT_NE(cls_, nullptr);
    set(7040, 0);  // no delay
  }
  void TearDown() override {
    Qz_CleanupScreenGrabQZIOClass();
    Qz_CleanupRootQZIOClass();
    WindowTest::TearDown();
  }
  void set(uint32_t id, QzWord value) {
    const QzWord args[] = {value, 0};
    QzWord answer = 0;
    ASSERT_TRUE(cls_->option(qzio::FormatCall{nullptr, nullptr}, id, args, &answer));
  }
  Buffer grab(int32_t source, uint32_t& result) {
    set(7020, static_cast<QzWord>(source));
    Qz_Object* object = Qz_CreateObject("ScreenGrabQZIO");
    if (!object) return nullptr;
    Buffer b(QZIO_LoadBufferFromQZIO(object, kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
    Qz_DisposeObject(object);
    return b;
  }
  const qzio::FormatClass* cls_ = nullptr;
};

TEST_F(ScreenGrabTest, SourcesGiveTheDesktopTheWindowOrItsClientArea) {
  uint32_t result = 0;
  EXPECT_EQ(grab(1, result), nullptr);  // no active window yet
  EXPECT_EQ(result, kQzioNotRecognised);
  Buffer desktop = grab(0, result);
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(desktop->width, static_cast<uint32_t>(screen_->Width));
  EXPECT_EQ(desktop->height, static_cast<uint32_t>(screen_->Height));
  EXPECT_EQ(desktop->depth, 24u);

  Window* w = open(40, 30, 60, 20, WFLG_ACTIVATE);
  ASSERT_NE(w, nullptr);
  SetAPen(w->RPort, kDirectColourFlag | 0x0000FF);  // red
  RectFill(w->RPort, 0, 0, w->Width - 1, w->Height - 1);
  Buffer frame = grab(1, result);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->width, static_cast<uint32_t>(w->Width));
  EXPECT_EQ(frame->height, static_cast<uint32_t>(w->Height));
  Buffer client = grab(2, result);
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->width, 60u);
  EXPECT_EQ(client->height, 20u);
  const RgbImage pixels = qztest::imageFrom(client.get());
  EXPECT_EQ(pixels.at(30, 10)[0], 255);
  EXPECT_EQ(pixels.at(30, 10)[1], 0);
  EXPECT_EQ(cls_->save(qzio::FormatCall{nullptr, nullptr}, nullptr), 7u);
}

}  // namespace
