#include "gadgets/ilbm_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "ilbm_builder.h"
#include "support/temp_dir.h"

namespace {

using qz::ilbm::Picture;
using qztest::IlbmSpec;
using qztest::unpadded;

TEST(IlbmReader, DecodesPlainPackedAndMaskedPictures) {
  struct Case {
    uint16_t w, h;
    uint8_t planes, compression, masking;
  };
  const Case cases[] = {{1, 1, 1, 0, 0},  {15, 3, 2, 0, 0}, {16, 4, 3, 1, 0}, {17, 5, 4, 1, 0},
                        {33, 7, 5, 0, 0}, {48, 48, 8, 1, 0}, {20, 6, 4, 1, 1}, {9, 2, 3, 0, 1},
                        {300, 2, 8, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << int(c.planes) << " comp "
                                    << int(c.compression) << " mask " << int(c.masking));
    IlbmSpec spec = qztest::samplePicture(c.w, c.h, c.planes, c.compression);
    spec.masking = c.masking;
    const std::vector<uint8_t> file = qztest::buildIlbm(spec);
    Picture pic;
    std::string error;
    ASSERT_TRUE(qz::ilbm::decode(file.data(), file.size(), &pic, &error)) << error;
    EXPECT_EQ(pic.width, c.w);
    EXPECT_EQ(pic.height, c.h);
    EXPECT_EQ(pic.planes, c.planes);
    EXPECT_EQ(pic.rowBytes % 2, 0u);
    EXPECT_EQ(unpadded(pic), spec.pixels);
    EXPECT_EQ(qz::ilbm::toChunky(pic).size(), size_t(qz::ilbm::chunkyStride(c.w)) * c.h);
    ASSERT_TRUE(pic.hasPalette);
    ASSERT_EQ(pic.palette.size(), 768u);
    EXPECT_TRUE(std::equal(spec.palette.begin(), spec.palette.end(), pic.palette.begin()));
    if (c.planes < 8) {
      EXPECT_EQ(pic.palette[767], 0) << "entries beyond the picture's colours stay 0";
    }
  }
}

TEST(IlbmReader, ReadsOddChunksNoOpRunsAndShortColourMaps) {
  IlbmSpec spec = qztest::samplePicture(16, 1, 1, 1);
  spec.pixels.assign(16, 1);
  spec.palette = {1, 2, 3};  // only one of the two colours
  // An odd annotation chunk before the body: its pad byte must be skipped.
  std::vector<uint8_t> file = qztest::buildIlbm(spec, {{"ANNO", {'a', 'b', 'c'}}});
  Picture pic;
  std::string error;
  ASSERT_TRUE(qz::ilbm::decode(file.data(), file.size(), &pic, &error)) << error;
  EXPECT_EQ(unpadded(pic), spec.pixels);
  EXPECT_EQ(pic.palette[2], 3);
  EXPECT_EQ(pic.palette[3], 0) << "colour map bytes past the chunk read as 0";

  // Body built by hand: no-op control bytes around a repeat run.
  spec.pixels.assign(16, 0);
  spec.pixels[0] = 1;
  IlbmSpec noBody = spec;
  // no-op | literal 0x80 | no-op | literal 0x00
  const std::vector<uint8_t> handBody = {128, 0, 0x80, 128, 0, 0x00};
  std::vector<uint8_t> chunks;
  qztest::putChunk(chunks, "BMHD", qztest::bmhd(noBody));
  qztest::putChunk(chunks, "BODY", handBody);
  std::vector<uint8_t> form{'F', 'O', 'R', 'M'};
  qztest::putBe32(form, uint32_t(chunks.size() + 4));
  form.insert(form.end(), {'I', 'L', 'B', 'M'});
  form.insert(form.end(), chunks.begin(), chunks.end());
  ASSERT_TRUE(qz::ilbm::decode(form.data(), form.size(), &pic, &error)) << error;
  EXPECT_EQ(unpadded(pic), spec.pixels);
  EXPECT_FALSE(pic.hasPalette);
}

std::vector<uint8_t> withByte(std::vector<uint8_t> f, size_t at, uint8_t v) {
  f.at(at) = v;
  return f;
}

TEST(IlbmReader, RefusesDamagedFiles) {
  const IlbmSpec packed = qztest::samplePicture(24, 4, 3, 1);
  const std::vector<uint8_t> good = qztest::buildIlbm(packed);
  // Offsets: FORM(0) size(4) ILBM(8) "BMHD"(12) size(16) data(20..39)
  const size_t bmhdData = 20;
  auto replaced = [](std::vector<uint8_t> f, size_t at, std::vector<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), f.begin() + at);
    return f;
  };
  auto form = [](const std::vector<std::pair<const char*, std::vector<uint8_t>>>& parts) {
    std::vector<uint8_t> chunks;
    for (const auto& [id, data] : parts) qztest::putChunk(chunks, id, data);
    std::vector<uint8_t> f{'F', 'O', 'R', 'M'};
    qztest::putBe32(f, uint32_t(chunks.size() + 4));
    f.insert(f.end(), {'I', 'L', 'B', 'M'});
    f.insert(f.end(), chunks.begin(), chunks.end());
    return f;
  };
  const IlbmSpec plainSpec = qztest::samplePicture(24, 4, 3, 0);
  std::vector<uint8_t> halfBody = qztest::body(plainSpec);
  halfBody.resize(halfBody.size() / 2);
  std::vector<uint8_t> bodyFirst;
  {
    std::vector<uint8_t> chunks;
    qztest::putChunk(chunks, "BODY", qztest::body(packed));
    qztest::putChunk(chunks, "BMHD", qztest::bmhd(packed));
    bodyFirst = {'F', 'O', 'R', 'M'};
    qztest::putBe32(bodyFirst, uint32_t(chunks.size() + 4));
    bodyFirst.insert(bodyFirst.end(), {'I', 'L', 'B', 'M'});
    bodyFirst.insert(bodyFirst.end(), chunks.begin(), chunks.end());
  }
  const size_t bodyData = good.size() - qztest::body(packed).size() - (qztest::body(packed).size() & 1);
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  };
  const Case cases[] = {
      {"not a FORM", replaced(good, 0, {'C', 'A', 'T', ' '})},
      {"not ILBM", replaced(good, 8, {'P', 'B', 'M', ' '})},
      {"nine planes", withByte(good, bmhdData + 8, 9)},
      {"zero width", replaced(good, bmhdData, {0, 0})},
      {"short header", replaced(good, 16, {0, 0, 0, 10})},
      {"header size past the end", replaced(good, 16, {0x7F, 0xFF, 0xFF, 0xF0})},
      {"body size past the end", replaced(good, bodyData - 4, {0, 0, 0x10, 0})},
      {"unknown compression", withByte(good, bmhdData + 10, 2)},
      {"packed run past the row", replaced(good, bodyData, {0x81, 0xAA})},
      {"literal run past the row", replaced(good, bodyData, {0x7F})},
      {"plain body too short", form({{"BMHD", qztest::bmhd(plainSpec)}, {"BODY", halfBody}})},
      {"packed body cut short", form({{"BMHD", qztest::bmhd(packed)}, {"BODY", {0x81, 0x00}}})},
      {"height overstated", replaced(good, bmhdData + 2, {0x7F, 0xFF})},
      {"body before header", bodyFirst},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Picture pic;
    std::string error;
    const bool ok = qz::ilbm::decode(c.file.data(), c.file.size(), &pic, &error);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(pic.planar.empty());
  }
}

TEST(IlbmReader, EveryTruncatedPrefixFailsCleanly) {
  for (uint8_t compression : {0, 1}) {
    const std::vector<uint8_t> file = qztest::buildIlbm(qztest::samplePicture(21, 5, 4, compression));
    const size_t padded = (file.size() - 1);  // a missing final pad byte may still read
    for (size_t n = 0; n < padded; ++n) {
      SCOPED_TRACE(testing::Message() << "compression " << int(compression) << ", " << n << " bytes");
      // A copy of exactly n bytes, so ASan sees any read past it.
      std::vector<uint8_t> prefix(file.begin(), file.begin() + n);
      Picture pic;
      EXPECT_FALSE(qz::ilbm::decode(prefix.data(), prefix.size(), &pic, nullptr));
    }
  }
}

TEST(IlbmReader, SurvivesCorruptedBytes) {
  const std::vector<uint8_t> good = qztest::buildIlbm(qztest::samplePicture(37, 9, 5, 1));
  uint32_t state = 12345;
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> f = good;
    for (int k = 0; k < 4; ++k) {
      state = state * 214013u + 2531011u;
      f[(state >> 8) % f.size()] = uint8_t(state >> 24);
    }
    Picture pic;
    if (qz::ilbm::decode(f.data(), f.size(), &pic, nullptr)) {
      EXPECT_EQ(pic.planar.size(), size_t(pic.rowBytes) * pic.planes * pic.height);
      (void)qz::ilbm::toChunky(pic);
    }
  }
}

bool have(const char* tool) {
  const std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

std::vector<uint8_t> slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(IlbmReader, AgreesWithNetpbm) {
  if (!have("ppmtoilbm") || !have("ilbmtoppm")) GTEST_SKIP() << "netpbm not installed";
  qztest::TempDir dir;
  for (uint8_t compression : {0, 1}) {
    SCOPED_TRACE(int(compression));
    // Ours -> netpbm.
    const IlbmSpec spec = qztest::samplePicture(29, 7, 4, compression);
    {
      const std::vector<uint8_t> file = qztest::buildIlbm(spec);
      std::ofstream(dir.file("ours.iff"), std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                                  std::streamsize(file.size()));
    }
    const std::string toPpm = "ilbmtoppm " + dir.file("ours.iff") + " > " + dir.file("ours.ppm") + " 2>/dev/null";
    ASSERT_EQ(std::system(toPpm.c_str()), 0);
    const std::vector<uint8_t> ppm = slurp(dir.file("ours.ppm"));
    const std::string head = "P6\n29 7\n255\n";
    ASSERT_GE(ppm.size(), head.size() + 29 * 7 * 3);
    const uint8_t* rgb = ppm.data() + ppm.size() - 29 * 7 * 3;
    for (size_t i = 0; i < spec.pixels.size(); ++i) {
      for (int k = 0; k < 3; ++k) ASSERT_EQ(rgb[i * 3 + k], spec.palette[spec.pixels[i] * 3 + k]) << i;
    }
    // netpbm -> ours: the same pixels back through their writer.
    const std::string toIlbm = "ppmtoilbm " + std::string(compression ? "-compress" : "-nocompress") + " " +
                               dir.file("ours.ppm") + " > " + dir.file("theirs.iff") + " 2>/dev/null";
    ASSERT_EQ(std::system(toIlbm.c_str()), 0);
    Picture pic;
    std::string error;
    const std::vector<uint8_t> theirs = slurp(dir.file("theirs.iff"));
    ASSERT_TRUE(qz::ilbm::decode(theirs.data(), theirs.size(), &pic, &error)) << error;
    ASSERT_EQ(pic.width, 29);
    ASSERT_EQ(pic.height, 7);
    const std::vector<uint8_t> index = unpadded(pic);
    for (size_t i = 0; i < index.size(); ++i) {
      for (int k = 0; k < 3; ++k) ASSERT_EQ(pic.palette[index[i] * 3 + k], rgb[i * 3 + k]) << i;
    }
  }
}

}  // namespace
