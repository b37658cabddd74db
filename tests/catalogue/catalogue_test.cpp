#include "objects/catalogue.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "objects/etf_format.h"
#include "support/temp_dir.h"

namespace {

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

qz::etf::Contents sampleContents() {
  qz::etf::Contents c;
  c.namePart = "Quillantrix.etf";
  c.strings = {"Open", "Save\ras", "", "Line one\nline two"};
  c.blocks = {{1, 2, 3, 13}, {}, {0xFF, 0x6B}};
  return c;
}

// Offset of the u16 check sum and the count fields in a file made from c.
std::size_t sumOffset(const qz::etf::Contents& c) { return c.namePart.size() + c.key.size(); }

void putU32le(std::vector<uint8_t>& bytes, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

class Catalogue : public ::testing::Test {
 protected:
  void TearDown() override { Qz__FreeCatalog(); }
  std::string write(const std::vector<uint8_t>& bytes, const std::string& name = "Quillantrix.etf") {
    const std::string path = dir_.file(name);
    writeBytes(path, bytes);
    return path;
  }
  qztest::TempDir dir_;
};

}  // namespace

TEST_F(Catalogue, LoadsStringsAndBlocks) {
  const std::string path = write(qz::etf::build(sampleContents()));
  ASSERT_EQ(Qz__LoadCatalog(path.c_str(), ""), 1);
  EXPECT_STREQ(Qz_CatalogString(0), "Open");
  EXPECT_STREQ(Qz_CatalogString(1), "Save as");  // a carriage return is kept as a blank
  EXPECT_STREQ(Qz_CatalogString(2), "");
  EXPECT_STREQ(Qz_CatalogString(3), "Line one\nline two");
  EXPECT_STREQ(Qz_CatalogString(4), "");
  EXPECT_STREQ(Qz_CatalogString(0xFFFFFFFF), "");
  uint32_t count = 0;
  char** strings = Qz__CatalogStrings(&count);
  ASSERT_EQ(count, 4u);
  EXPECT_STREQ(strings[3], "Line one\nline two");

  const uint8_t* block = Qz__LoadCatalogBlock(0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[3], 32);
  ASSERT_NE(Qz__LoadCatalogBlock(2), nullptr);
  EXPECT_EQ(Qz__LoadCatalogBlock(2)[1], 0x6B);
  EXPECT_EQ(Qz__LoadCatalogBlock(3), nullptr);

  // Loaded already: refused, and the loaded texts stay.
  EXPECT_EQ(Qz__LoadCatalog(path.c_str(), ""), 0);
  EXPECT_STREQ(Qz_CatalogString(0), "Open");
  Qz__FreeCatalog();
  EXPECT_STREQ(Qz_CatalogString(0), "");
  EXPECT_EQ(Qz__CatalogStrings(&count), nullptr);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(Qz__LoadCatalog(path.c_str(), ""), 1);
}

TEST_F(Catalogue, PathsAndKeys) {
  qz::etf::Contents plain = sampleContents();
  plain.blocks.clear();
  std::filesystem::create_directory(dir_.file("lang.d"));
  write(qz::etf::build(plain), "lang.d/Quillantrix.etf");
  qz::etf::Contents keyed = plain;
  keyed.namePart = "Keyed.etf";
  keyed.key = "Secret";
  write(qz::etf::build(keyed), "Keyed.etf");

  struct Case {
    const char* name;
    std::string path;
    const char* key;
    int32_t expected;
  };
  const Case cases[] = {
      {"extension appended despite a dotted folder", dir_.file("lang.d/Quillantrix"), "", 1},
      {"backslashes separate folders", dir_.path() + "\\lang.d\\Quillantrix.etf", "", 1},
      {"key compared without case", dir_.file("Keyed.etf"), "sECRET", 1},
      {"wrong key", dir_.file("Keyed.etf"), "Secreu", 0},
      {"missing file", dir_.file("None.etf"), "", 0},
      {"a folder", dir_.file("lang.d"), "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Qz__LoadCatalog(c.path.c_str(), c.key), c.expected);
    if (c.expected) {
      EXPECT_STREQ(Qz_CatalogString(0), "Open");
    }
    Qz__FreeCatalog();
  }
  EXPECT_EQ(Qz__LoadCatalog(nullptr, ""), 0);
}

// Damaged files: each is refused, leaves nothing loaded and reads nothing
// outside what it allocated (the sanitizer build makes this count).
TEST_F(Catalogue, DamagedFilesAreRefused) {
  const qz::etf::Contents contents = sampleContents();
  const std::vector<uint8_t> good = qz::etf::build(contents);
  const std::size_t counts = sumOffset(contents);
  const std::size_t stringTable = counts + qz::etf::kCountsBytes;
  const std::size_t blockTable = stringTable + 4 * contents.strings.size();

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"sum one too high", qz::etf::build(contents, 1)});
  cases.push_back({"sum one too low", qz::etf::build(contents, -1)});
  {
    std::vector<uint8_t> b = good;
    putU32le(b, stringTable + 4, 0x00010000);
    cases.push_back({"string offset beyond the buffer", b});
  }
  {
    std::vector<uint8_t> b = good;
    putU32le(b, counts + 6, 0x7FFFFFFF);
    cases.push_back({"string buffer larger than the file", b});
  }
  {
    std::vector<uint8_t> b = good;
    b[counts + 2] = 0xFF;
    b[counts + 3] = 0xFF;
    cases.push_back({"string count larger than the file", b});
  }
  {
    std::vector<uint8_t> b = good;
    putU32le(b, blockTable + 4, 3);
    cases.push_back({"block ends before it starts", b});
  }
  {
    std::vector<uint8_t> b = good;
    putU32le(b, blockTable + 12, static_cast<uint32_t>(good.size() + 1));
    cases.push_back({"block beyond the end of the file", b});
  }
  for (std::size_t cut = 0; cut < good.size(); ++cut) {
    cases.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.begin() + cut)});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(c.bytes.size()) + " bytes");
    const std::string path = write(c.bytes);
    EXPECT_EQ(Qz__LoadCatalog(path.c_str(), ""), 0);
    EXPECT_STREQ(Qz_CatalogString(0), "");
    EXPECT_EQ(Qz__LoadCatalogBlock(0), nullptr);
  }
  // A failed load leaves the catalogue free for the next one.
  const std::string path = write(good);
  EXPECT_EQ(Qz__LoadCatalog(path.c_str(), ""), 1);
}

// A last string without its zero is cut at the buffer's end, never read past it.
TEST_F(Catalogue, UnterminatedLastStringEndsAtTheBuffer) {
  qz::etf::Contents contents;
  contents.namePart = "Quillantrix.etf";
  contents.strings = {"abc"};
  std::vector<uint8_t> bytes = qz::etf::build(contents, 'x');
  bytes.back() = 'x' ^ qz::etf::kScrambleByte;
  const std::string path = write(bytes);
  ASSERT_EQ(Qz__LoadCatalog(path.c_str(), ""), 1);
  EXPECT_STREQ(Qz_CatalogString(0), "abcx");
}

// The catalogue the build makes from Data/Lingua/Quillantrix.txt.
TEST_F(Catalogue, ShippedCatalogueLoads) {
  // The program's own spelling, resolved against the data root.
  ASSERT_EQ(Qz__LoadCatalog("Data\\Lingua\\Quillantrix.etf", ""), 1);
  EXPECT_STREQ(Qz_CatalogString(19), "OK");
  EXPECT_STREQ(Qz_CatalogString(20), "Cancel");
  uint32_t count = 0;
  Qz__CatalogStrings(&count);
  EXPECT_GE(count, 420u);
  for (uint32_t n = 1; n < count; ++n) {
    EXPECT_STRNE(Qz_CatalogString(n), "") << "catalogue string " << n << " has no text";
  }
}

// The build-time generator refuses a source with a mistake instead of
// packing a catalogue with a hole or a wrong text in it.
TEST_F(Catalogue, GeneratorRefusesBrokenSources) {
  const char* buildDir = std::getenv("QZ_DATA_DIR");
  ASSERT_NE(buildDir, nullptr);
  const std::string tool = std::string(buildDir) + "/buildtools/etf/qz_etf_pack";
  if (!std::filesystem::exists(tool)) GTEST_SKIP() << "generator not built";
  struct Case {
    const char* name;
    const char* source;
    int expectedStatus;
  };
  const Case cases[] = {
      {"number given twice", "1\tOne\n1\tAgain\n", 1},
      {"no tab", "1 One\n", 1},
      {"not a number", "x\tOne\n", 1},
      {"unknown escape", "1\tC:\\q\n", 1},
      {"number too large", "70000\tFar\n", 1},
      {"good (last: its file is read below)", "# comment\n0\tImage\n2\tTwo\\nlines\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = dir_.file("source.txt");
    const std::string output = dir_.file("Quillantrix.etf");
    std::filesystem::remove(output);
    { std::ofstream(source) << c.source; }
    const int status = std::system(("'" + tool + "' '" + source + "' '" + output + "' 2>/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.expectedStatus);
    EXPECT_EQ(std::filesystem::exists(output), c.expectedStatus == 0);
  }
  ASSERT_EQ(Qz__LoadCatalog(dir_.file("Quillantrix.etf").c_str(), ""), 1);
  EXPECT_STREQ(Qz_CatalogString(0), "Image");
  EXPECT_STREQ(Qz_CatalogString(1), "");
  EXPECT_STREQ(Qz_CatalogString(2), "Two\nlines");
}
