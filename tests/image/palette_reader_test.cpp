// The palette reader: the colour count from the header's planes, the map's
// own length and the table's size, chunk padding, and files without a map.
#include "image/palette_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/temp_dir.h"
#include "widgets/ilbm_builder.h"

namespace {

using qztest::putChunk;

std::vector<uint8_t> Header(uint8_t planes) {
  std::vector<uint8_t> bmhd(20, 0);
  bmhd[1] = 16;  // width 16
  bmhd[3] = 1;   // height 1
  bmhd[8] = planes;
  return bmhd;
}

std::vector<uint8_t> Map(size_t colours) {
  std::vector<uint8_t> map;
  for (size_t i = 0; i < colours; ++i) {
    map.push_back(uint8_t(i));
    map.push_back(uint8_t(i + 1));
    map.push_back(uint8_t(i + 2));
  }
  return map;
}

struct Chunk {
  const char* id;
  std::vector<uint8_t> data;
};

std::vector<uint8_t> Form(const std::vector<Chunk>& chunks) {
  std::vector<uint8_t> body;
  for (const Chunk& c : chunks) putChunk(body, c.id, c.data);
  std::vector<uint8_t> file = {'F', 'O', 'R', 'M'};
  qztest::putBe32(file, uint32_t(body.size() + 4));
  file.insert(file.end(), {'I', 'L', 'B', 'M'});
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

constexpr uint32_t kUntouched = 0xDEADBEEF;

TEST(PaletteReader, CountsColoursByPlanesMapAndTable) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    uint32_t count;
  } const cases[] = {
      {"5 planes, 32 colours in the map", Form({{"BMHD", Header(5)}, {"CMAP", Map(32)}}), 32},
      {"no header: 256", Form({{"CMAP", Map(256)}}), 256},
      {"odd chunk before the map is skipped with its pad", Form({{"ANNO", {'a', 'b', 'c'}}, {"BMHD", Header(2)}, {"CMAP", Map(4)}}), 4},
      {"a short map is clamped", Form({{"BMHD", Header(8)}, {"CMAP", Map(10)}}), 10},
      {"24 planes: at most the table", Form({{"BMHD", Header(24)}, {"CMAP", Map(300)}}), 256},
      {"header without a map", Form({{"BMHD", Header(5)}}), 0},
      {"a chunk longer than the file", [] {
         auto f = Form({{"BMHD", Header(5)}, {"CMAP", Map(32)}});
         f[12 + 7] = 0xFF;  // the header chunk's length, low byte
         f[12 + 6] = 0xFF;
         return f;
       }(), 0},
      {"not an IFF file", std::vector<uint8_t>(64, 'x'), 0},
      {"empty", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> table(257, kUntouched);
    ASSERT_EQ(qz::readPalette(c.file, table.data()), c.count);
    for (uint32_t i = 0; i < c.count; ++i) ASSERT_EQ(table[i], i | (i + 1) % 256 << 8 | (i + 2) % 256 << 16) << i;
    EXPECT_TRUE(std::all_of(table.begin() + c.count, table.end(), [](uint32_t v) { return v == kUntouched; }));
  }
}

TEST(PaletteReader, ReadsAFileAndAnswersZeroForAMissingOne) {
  qztest::TempDir dir;
  const std::string path = dir.file("p.iff");
  const auto bytes = Form({{"BMHD", Header(1)}, {"CMAP", {255, 0, 0, 0, 0, 255}}});
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  uint32_t table[256] = {};
  ASSERT_EQ(Qz_ReadPalette(path.c_str(), table), 2u);
  EXPECT_EQ(table[0], 0x0000FFu);
  EXPECT_EQ(table[1], 0xFF0000u);
  EXPECT_EQ(Qz_ReadPalette(dir.file("none.iff").c_str(), table), 0u);
}

// The shipped palette is a 16 x 16 picture of its colours, pixel i in colour
// i, so netpbm's reader shows the same colours in the same order.
TEST(PaletteReader, TheShippedDefaultPaletteMatchesNetpbm) {
  uint32_t table[256] = {};
  ASSERT_EQ(Qz_ReadPalette("Data/Palettes/Default.iff", table), 256u);
  EXPECT_EQ(table[0], 0x000000u);
  EXPECT_EQ(table[215], 0xFFFFFFu);
  EXPECT_EQ(table[255], 0xFFFFFFu);
  const char* dataDir = std::getenv("QZ_DATA_DIR");
  if (!dataDir || std::system("command -v ilbmtoppm >/dev/null && command -v pnmtoplainpnm >/dev/null") != 0)
    GTEST_SKIP() << "netpbm is not installed";
  const std::string command =
      std::string("ilbmtoppm '") + dataDir + "/Data/Palettes/Default.iff' 2>/dev/null | pnmtoplainpnm";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char magic[3] = {};
  int width = 0, height = 0, maxValue = 0;
  ASSERT_EQ(std::fscanf(pipe, "%2s %d %d %d", magic, &width, &height, &maxValue), 4);
  ASSERT_EQ(width * height, 256);
  for (uint32_t i = 0; i < 256; ++i) {
    unsigned r = 0, g = 0, b = 0;
    ASSERT_EQ(std::fscanf(pipe, "%u %u %u", &r, &g, &b), 3);
    EXPECT_EQ(table[i], r | g << 8 | b << 16) << i;
  }
  pclose(pipe);
}

}  // namespace
