// The stream calls: item counts, byte order and end of file.
#include <gtest/gtest.h>

#include <cstdio>

#include "qzio/qzio.h"

namespace {

struct Stream {
  Stream() { header.stream = std::tmpfile(); }
  ~Stream() { std::fclose(header.stream); }
  QZIO_Header header{};
};

TEST(StreamTest, ByteOrderOfTwoAndFourByteValues) {
  struct Case {
    uint32_t byteOrder;
    uint16_t word;
    uint32_t longWord;
  };
  const Case cases[] = {{1, 0x1234, 0x12345678}, {0, 0x3412, 0x78563412}, {2, 0x3412, 0x78563412}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.byteOrder);
    Stream s;
    s.header.byteOrder = c.byteOrder;
    const uint8_t bytes[] = {0x12, 0x34, 0x12, 0x34, 0x56, 0x78};
    ASSERT_EQ(QZIO_WriteData(bytes, 1, sizeof bytes, &s.header), sizeof bytes);
    ASSERT_EQ(QZIO_Seek(&s.header, 0, 0), 0);
    uint16_t w = 0;
    uint32_t l = 0;
    ASSERT_EQ(QZIO_ReadUWORD(&w, &s.header), 1);
    ASSERT_EQ(QZIO_ReadULONG(&l, &s.header), 1);
    EXPECT_EQ(w, c.word);
    EXPECT_EQ(l, c.longWord);
    // Writing in the same order gives the same bytes back.
    ASSERT_EQ(QZIO_Seek(&s.header, 0, 2), 0);
    ASSERT_EQ(QZIO_WriteUWORD(w, &s.header), 1);
    ASSERT_EQ(QZIO_WriteULONG(l, &s.header), 1);
    ASSERT_EQ(QZIO_WriteUBYTE(0xAB, &s.header), 1);
    ASSERT_EQ(QZIO_Seek(&s.header, -7, 2), 0);
    uint8_t back[7];
    ASSERT_EQ(QZIO_ReadData(back, 7, 1, &s.header), 1u);
    EXPECT_EQ(0, memcmp(back, bytes, 6));
    EXPECT_EQ(back[6], 0xAB);
  }
}

TEST(StreamTest, EndOfFileLeavesTheDestinationAlone) {
  Stream s;
  const uint8_t three[] = {1, 2, 3};
  QZIO_WriteData(three, 1, 3, &s.header);
  QZIO_Seek(&s.header, 0, 0);
  uint32_t l = 0xDEADBEEF;
  EXPECT_EQ(QZIO_ReadULONG(&l, &s.header), 0);
  EXPECT_EQ(l, 0xDEADBEEFu);
  QZIO_Seek(&s.header, 0, 0);
  uint8_t items[4];
  EXPECT_EQ(QZIO_ReadData(items, 2, 2, &s.header), 1u);  // whole items only
  uint8_t b = 7;
  EXPECT_EQ(QZIO_ReadUBYTE(&b, &s.header), 0);
  EXPECT_EQ(b, 7);
  EXPECT_NE(QZIO_Seek(&s.header, 0, 3), 0);
  QZIO_Header none{};
  EXPECT_EQ(QZIO_ReadUBYTE(&b, &none), 0);
  EXPECT_EQ(QZIO_WriteULONG(1, &none), 0);
}

}  // namespace
