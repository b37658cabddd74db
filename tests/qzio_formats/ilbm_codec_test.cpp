// ILBM and IFF DEEP codec cores, and the PackBits decoder they share with
// the interface pictures: hand-built files (chunk builder and an encoder of
// our own) pin the fault cases; netpbm's ppmtoilbm and ilbmtoppm check the
// reader and the writer from outside.
#include <gtest/gtest.h>

#include <cstring>

#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_deep.h"
#include "qzio/codec_ilbm.h"
#include "qzio/load_problem.h"
#include "qzio/packbits.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

// --- IFF builders -----------------------------------------------------------

Bytes chunk(const char* id, const Bytes& data) {
  Bytes out(id, id + 4);
  qz::ByteWriter w(out);
  w.putU32be(static_cast<uint32_t>(data.size()));
  w.bytes(data);
  if (data.size() & 1) w.putU8(0);
  return out;
}

Bytes form(const char* type, std::initializer_list<Bytes> chunks) {
  Bytes body(type, type + 4);
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  Bytes out = {'F', 'O', 'R', 'M'};
  qz::ByteWriter w(out);
  w.putU32be(static_cast<uint32_t>(body.size()));
  w.bytes(body);
  return out;
}

Bytes bmhd(uint16_t width, uint16_t height, uint8_t planes, uint8_t masking, uint8_t compression) {
  Bytes out;
  qz::ByteWriter w(out);
  w.putU16be(width), w.putU16be(height), w.putU16be(0), w.putU16be(0);
  w.putU8(planes), w.putU8(masking), w.putU8(compression), w.putU8(0);
  w.putU16be(0), w.putU8(10), w.putU8(11), w.putU16be(width), w.putU16be(height);
  return out;
}

Bytes u32be(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

// Entries red = 17 i, green = 255 - 3 i, blue = i.
Bytes cmap(uint32_t entries) {
  Bytes out;
  for (uint32_t i = 0; i < entries; ++i) out.insert(out.end(), {uint8_t(17 * i), uint8_t(255 - 3 * i), uint8_t(i)});
  return out;
}

// Our own ByteRun1 encoder, written from the format's rules: runs of three
// or more equal bytes repeat, everything else goes literally.
Bytes byteRun1(const uint8_t* data, size_t n) {
  Bytes out;
  size_t i = 0;
  while (i < n) {
    size_t run = 1;
    while (i + run < n && run < 128 && data[i + run] == data[i]) ++run;
    if (run >= 3) {
      out.push_back(uint8_t(257 - run));
      out.push_back(data[i]);
      i += run;
      continue;
    }
    size_t literal = 0;
    while (i + literal < n && literal < 128 &&
           !(i + literal + 2 < n && data[i + literal] == data[i + literal + 1] && data[i + literal] == data[i + literal + 2]))
      ++literal;
    out.push_back(uint8_t(literal - 1));
    out.insert(out.end(), data + i, data + i + literal);
    i += literal;
  }
  return out;
}

// A picture of colour indices, index (x * 5 + y * 3) % 2^planes.
uint32_t indexAt(uint32_t x, uint32_t y, uint32_t planes) { return (x * 5 + y * 3) % (1u << planes); }

// The body of that picture: per row each plane's row (and a mask row of
// 0xFF when masked), plain or packed.
Bytes body(uint32_t width, uint32_t height, uint32_t planes, bool masked, bool packed) {
  const uint32_t rowBytes = ((width + 15) / 16) * 2;
  Bytes out;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t p = 0; p < planes + (masked ? 1 : 0); ++p) {
      Bytes row(rowBytes, p == planes ? 0xFF : 0);
      for (uint32_t x = 0; x < width && p < planes; ++x) {
        if (indexAt(x, y, planes) & (1u << p)) row[x / 8] |= uint8_t(0x80 >> (x % 8));
      }
      const Bytes stored = packed ? byteRun1(row.data(), row.size()) : row;
      out.insert(out.end(), stored.begin(), stored.end());
    }
  }
  return out;
}

RgbImage expectedIndexed(uint32_t width, uint32_t height, uint32_t planes) {
  RgbImage image(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t i = indexAt(x, y, planes);
      uint8_t* p = image.at(x, y);
      p[0] = uint8_t(17 * i), p[1] = uint8_t(255 - 3 * i), p[2] = uint8_t(i);
    }
  }
  return image;
}

uint32_t decodeIlbm(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(file, rows, info, ilbmIdentify, ilbmDecode);
}

// --- PackBits ---------------------------------------------------------------

TEST(PackBits, RowsStayInsideTheirRowAndTheInput) {
  using qz::packbits::RowResult;
  struct Case {
    const char* name;
    Bytes input;
    size_t rowBytes;
    Bytes row;
    RowResult result;
    size_t position;
  } cases[] = {
      {"literal and repeat", {1, 7, 8, 0xFE, 9}, 5, {7, 8, 9, 9, 9}, RowResult::Complete, 5},
      {"128 does nothing", {128, 0xFF, 4, 128}, 2, {4, 4}, RowResult::Complete, 3},
      {"a repeat past the row is cut", {0xFC, 5, 0, 6}, 3, {5, 5, 5}, RowResult::Overrun, 2},
      {"a literal past the row is cut and read past", {3, 1, 2, 3, 4, 0, 9}, 2, {1, 2}, RowResult::Overrun, 5},
      {"input ends before the row", {0xFF, 3}, 4, {3, 3, 0xEE, 0xEE}, RowResult::ShortInput, 2},
      {"literal cut by the input", {5, 1, 2}, 6, {1, 2, 0xEE, 0xEE, 0xEE, 0xEE}, RowResult::ShortInput, 3},
      {"repeat without its byte", {0xFE}, 2, {0xEE, 0xEE}, RowResult::ShortInput, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes row(c.rowBytes, 0xEE);
    size_t position = 0;
    EXPECT_EQ(qz::packbits::unpackRow(c.input, position, row), c.result);
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(position, c.position);
  }
}

// --- ILBM -------------------------------------------------------------------

TEST(IlbmCodec, HandBuiltPicturesLoad) {
  struct Case {
    const char* name;
    Bytes file;
    uint32_t planes;
  } cases[] = {
      // Six planes give 64 colours; CAMG and an odd-length chunk (with its
      // pad byte) stand between the header and the body.
      {"6 planes, packed, CAMG and an odd chunk", form("ILBM", {chunk("BMHD", bmhd(21, 5, 6, 0, 1)), chunk("CMAP", cmap(64)),
                                                              chunk("CAMG", u32be(0x8000)), chunk("ANNO", {'h', 'i', '!'}),
                                                              chunk("BODY", body(21, 5, 6, false, true))}),
       6},
      // The mask row after each row's planes is read past in plain bodies too.
      {"masked, plain", form("ILBM", {chunk("BMHD", bmhd(17, 4, 3, 1, 0)), chunk("CMAP", cmap(8)),
                                      chunk("BODY", body(17, 4, 3, true, false))}),
       3},
      {"masked, packed", form("ILBM", {chunk("BMHD", bmhd(17, 4, 3, 1, 1)), chunk("CMAP", cmap(8)),
                                       chunk("BODY", body(17, 4, 3, true, true))}),
       3},
      {"8 planes, body before the map", form("ILBM", {chunk("BMHD", bmhd(9, 3, 8, 0, 1)), chunk("BODY", body(9, 3, 8, false, true)),
                                                      chunk("CMAP", cmap(256))}),
       8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeIlbm(c.file, rows, &info), kOk);
    EXPECT_EQ(info.depth, c.planes);
    EXPECT_EQ(info.kind, PixelKind::Bitplane);
    EXPECT_EQ(info.bitplaneBytesPerRow, ((info.width + 15) / 16) * 2);
    EXPECT_EQ(qztest::maxDifference(rows.planesImage(c.planes), expectedIndexed(info.width, info.height, c.planes)), 0);
  }
}

TEST(IlbmCodec, DamagedRunsAndMapsStayBounded) {
  // Row 0's packed plane repeats 40 bytes into a 2-byte row; row 1 still
  // decodes from the bytes after the run.
  Bytes packed = {0xD9, 0xAA, 0xFF, 0x0F};  // 40 x 0xAA, then 2 x 0x0F
  Bytes file = form("ILBM", {chunk("BMHD", bmhd(16, 2, 1, 0, 1)), chunk("CMAP", {0, 0, 0, 255, 255, 255}), chunk("BODY", packed)});
  PictureRows rows;
  ASSERT_EQ(decodeIlbm(file, rows), kOk);
  const RgbImage picture = rows.planesImage(1);
  EXPECT_EQ(picture.at(0, 0)[0], 255);  // 0xAA: white, black, ...
  EXPECT_EQ(picture.at(1, 0)[0], 0);
  EXPECT_EQ(picture.at(3, 1)[0], 0);  // 0x0F: four black, then white
  EXPECT_EQ(picture.at(4, 1)[0], 255);

  // A map of 2 entries on 4 planes: the other 14 entries stay black.
  file = form("ILBM", {chunk("BMHD", bmhd(16, 1, 4, 0, 0)), chunk("CMAP", cmap(2)), chunk("BODY", body(16, 1, 4, false, false))});
  ASSERT_EQ(decodeIlbm(file, rows), kOk);
  EXPECT_EQ(rows.colourmap[1], 17u | 252u << 8 | 1u << 16);
  EXPECT_EQ(rows.colourmap[2], 0u);

  // A body cut in its second row keeps the first and says so.
  Bytes cut = body(16, 2, 4, false, false);
  cut.resize(cut.size() - 3);
  file = form("ILBM", {chunk("BMHD", bmhd(16, 2, 4, 0, 0)), chunk("CMAP", cmap(16)), chunk("BODY", cut)});
  qz::codec::takeLoadProblem();
  ASSERT_EQ(decodeIlbm(file, rows), kOk);
  const qz::codec::LoadProblem problem = qz::codec::takeLoadProblem();
  EXPECT_TRUE(problem.partial);
  EXPECT_EQ(problem.text, "ILBM: the picture ends after 1 of its 2 rows");
  const RgbImage kept = rows.planesImage(4), whole = expectedIndexed(16, 2, 4);
  EXPECT_TRUE(std::equal(kept.rgb.begin(), kept.rgb.begin() + 16 * 3, whole.rgb.begin()));

  // No map on 8 planes: a grey ramp.
  file = form("ILBM", {chunk("BMHD", bmhd(16, 1, 8, 0, 0)), chunk("BODY", body(16, 1, 8, false, false))});
  ASSERT_EQ(decodeIlbm(file, rows), kOk);
  EXPECT_EQ(rows.colourmap[200], 200u | 200u << 8 | 200u << 16);
}

TEST(IlbmCodec, RefusesWhatItCannotShow) {
  const Bytes good = body(16, 2, 4, false, true);
  auto picture = [&](uint32_t camg, uint8_t compression, bool withBody) {
    const Bytes header = chunk("BMHD", bmhd(16, 2, 4, 0, compression)), mode = chunk("CAMG", u32be(camg));
    return withBody ? form("ILBM", {header, mode, chunk("BODY", good)}) : form("ILBM", {header, mode});
  };
  struct Case {
    const char* name;
    Bytes file;
    uint32_t identify, decode;
  } cases[] = {
      {"hold-and-modify", picture(0x800, 1, true), kOk, kUnexpectedKind},
      {"extra half-bright", picture(0x80, 1, true), kOk, kUnexpectedKind},
      {"hires interlaced is fine", picture(0x8004, 1, true), kOk, kOk},
      {"unknown compression", picture(0, 2, true), kOk, kUnexpectedKind},
      // 64 000 x 64 000 at 8 planes cannot come from a few hundred bytes.
      {"far too short", form("ILBM", {chunk("BMHD", bmhd(64000, 64000, 8, 0, 1)), chunk("BODY", good)}), kReadError, 0},
      {"no body", picture(0, 1, false), kOk, kReadError},
      {"zero width", form("ILBM", {chunk("BMHD", bmhd(0, 2, 4, 0, 0))}), kNotThisFormat, 0},
      {"33 planes", form("ILBM", {chunk("BMHD", bmhd(4, 2, 33, 0, 0))}), kNotThisFormat, 0},
      {"short header", form("ILBM", {chunk("BMHD", Bytes(19, 1))}), kNotThisFormat, 0},
      {"no header", form("ILBM", {chunk("BODY", good)}), kNotThisFormat, 0},
      {"another form", form("PBM ", {chunk("BMHD", bmhd(16, 2, 4, 0, 0))}), kNotThisFormat, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ImageInfo info;
    EXPECT_EQ(ilbmIdentify(c.file, c.file.size(), info), c.identify);
    if (c.identify == kOk) {
      EXPECT_EQ(decodeIlbm(c.file, rows), c.decode);
    }
  }
}

class IlbmTools : public ::testing::Test {
 protected:
  void SetUp() override {
    ppmtoilbm_ = qztest::toolPath("ppmtoilbm");
    ilbmtoppm_ = qztest::toolPath("ilbmtoppm");
    convert_ = qztest::toolPath("convert");
    if (ppmtoilbm_.empty() || ilbmtoppm_.empty() || convert_.empty()) GTEST_SKIP() << "netpbm or ImageMagick missing";
    source_ = qztest::makeGradient(13, 7);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  // ppmtoilbm's file of the source reduced by `reduce` (ImageMagick options).
  Bytes netpbmFile(const std::string& reduce, const std::string& options) {
    const std::string reduced = dir_.file("reduced.ppm"), out = dir_.file("netpbm.iff");
    EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' " + reduce + " ppm:'" + reduced + "'"));
    EXPECT_TRUE(qztest::run(ppmtoilbm_ + " " + options + " '" + reduced + "' > '" + out + "'"));
    return qztest::readFile(out);
  }
  RgbImage netpbmPicture(const Bytes& file) {
    qztest::writeFile(dir_.file("in.iff"), file);
    RgbImage image;
    EXPECT_TRUE(qztest::run(ilbmtoppm_ + " '" + dir_.file("in.iff") + "' > '" + dir_.file("out.ppm") + "'"));
    EXPECT_TRUE(qztest::readPnm(dir_.file("out.ppm"), image));
    return image;
  }
  qztest::TempDir dir_;
  std::string ppmtoilbm_, ilbmtoppm_, convert_;
  RgbImage source_;
};

TEST_F(IlbmTools, LoadsWhatNetpbmWritesAsNetpbmReadsIt) {
  struct Case {
    const char* name;
    Bytes file;
    uint32_t planes;
  } cases[] = {
      {"10 colours packed", netpbmFile("-colors 10", ""), 4},
      {"6 colours plain", netpbmFile("-colors 6", "-nocompress"), 3},
      {"24 planes, odd body", netpbmFile("", "-24force"), 24},
      {"24 planes plain", netpbmFile("", "-24force -nocompress"), 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeIlbm(c.file, rows, &info), kOk);
    EXPECT_EQ(info.depth, c.planes);
    EXPECT_EQ(qztest::maxDifference(rows.planesImage(c.planes), netpbmPicture(c.file)), 0);
  }
}

TEST_F(IlbmTools, Saves24PlanesOthersReadExactly) {
  Bytes file;
  ASSERT_EQ(qztest::encodeBytes(source_, file, ilbmEncode), kOk);
  EXPECT_EQ(qztest::maxDifference(netpbmPicture(file), source_), 0);
  PictureRows rows;
  ASSERT_EQ(decodeIlbm(file, rows), kOk);
  EXPECT_EQ(qztest::maxDifference(rows.planesImage(24), source_), 0);
  // The head as written: FORM length of all after it; 24 planes, plain,
  // aspect 44:44, the page the picture's size; CAMG 0; the body's length.
  Bytes head = {'F', 'O', 'R', 'M'};
  const Bytes rest = u32be(uint32_t(file.size() - 8));
  head.insert(head.end(), rest.begin(), rest.end());
  head.insert(head.end(), {'I', 'L', 'B', 'M'});
  for (const Bytes& c : {chunk("BMHD", {0, 13, 0, 7, 0, 0, 0, 0, 24, 0, 0, 0, 0, 0, 44, 44, 0, 13, 0, 7}), chunk("CAMG", u32be(0)),
                         Bytes{'B', 'O', 'D', 'Y'}, u32be(2 * 24 * 7)})
    head.insert(head.end(), c.begin(), c.end());
  ASSERT_EQ(file.size(), head.size() + 2 * 24 * 7);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), file.begin()));
  EXPECT_EQ(ilbmEncode(13, 7, 8, rows, file), kNotHandled);
}

TEST(IlbmCodec, LargePicturesAreMarkedHiresInterlaced) {
  for (auto [width, height, mode] : {std::tuple{400u, 200u, 0x8004u}, {320u, 200u, 0u}, {320u, 289u, 0x8004u}}) {
    Bytes file;
    ASSERT_EQ(qztest::encodeBytes(RgbImage(width, height), file, ilbmEncode), kOk);
    ASSERT_EQ(std::memcmp(file.data() + 40, "CAMG", 4), 0);
    qz::ByteReader r(file);
    r.seek(48);
    EXPECT_EQ(r.u32be(), mode) << width << " x " << height;
  }
}

TEST(IlbmCodec, DamagedFilesEndCleanly) {
  const Bytes sources[] = {
      form("ILBM", {chunk("BMHD", bmhd(21, 5, 6, 0, 1)), chunk("CMAP", cmap(64)), chunk("BODY", body(21, 5, 6, false, true))}),
      form("ILBM", {chunk("BMHD", bmhd(17, 4, 3, 1, 0)), chunk("CMAP", cmap(8)), chunk("BODY", body(17, 4, 3, true, false))}),
  };
  for (const Bytes& source : sources) {
    for (const Bytes& bad : qztest::damagedCopies(source)) {
      PictureRows rows;
      const uint32_t result = decodeIlbm(bad, rows);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError || result == kUnexpectedKind)
          << result;
    }
  }
}

// --- DEEP -------------------------------------------------------------------

Bytes dgbl(uint16_t width, uint16_t height, uint16_t compression = 0) {
  Bytes out;
  qz::ByteWriter w(out);
  w.putU16be(width), w.putU16be(height), w.putU16be(compression), w.putU8(1), w.putU8(1);
  return out;
}

Bytes dpel(std::initializer_list<std::pair<uint16_t, uint16_t>> elements) {
  Bytes out;
  qz::ByteWriter w(out);
  w.putU32be(static_cast<uint32_t>(elements.size()));
  for (auto [type, bits] : elements) w.putU16be(type), w.putU16be(bits);
  return out;
}

// The picture's pixels with elements in the order blue, red, green.
Bytes dbodBrg(const RgbImage& image) {
  Bytes out;
  for (size_t i = 0; i < image.rgb.size(); i += 3) out.insert(out.end(), {image.rgb[i + 2], image.rgb[i], image.rgb[i + 1]});
  return out;
}

uint32_t decodeDeep(const Bytes& file, PictureRows& rows) { return qztest::decodeBytes(file, rows, nullptr, deepIdentify, deepDecode); }

TEST(DeepCodec, RoundTripsWithTheBytesItShould) {
  const RgbImage image = qztest::makeGradient(5, 3);  // 45 body bytes: odd, so padded
  Bytes file;
  ASSERT_EQ(qztest::encodeBytes(image, file, deepEncode), kOk);
  const Bytes expected = form("DEEP", {chunk("DGBL", {0, 5, 0, 3, 0, 0, 22, 22}), chunk("DPEL", dpel({{1, 8}, {2, 8}, {3, 8}})),
                                       chunk("DLOC", {0, 5, 0, 3, 0, 0, 0, 0}), chunk("DBOD", image.rgb)});
  EXPECT_EQ(file, expected);
  EXPECT_EQ(file.size() % 2, 0u);
  PictureRows rows;
  ASSERT_EQ(decodeDeep(file, rows), kOk);
  EXPECT_EQ(qztest::maxDifference(rows.image, image), 0);
}

TEST(DeepCodec, ElementsAreCheckedAndFollowed) {
  const RgbImage image = qztest::makeGradient(4, 2);
  auto deep = [&](const Bytes& elements, bool withElements = true, size_t bodyBytes = 24) {
    Bytes dbod = dbodBrg(image);
    dbod.resize(bodyBytes);
    if (!withElements) return form("DEEP", {chunk("DGBL", dgbl(4, 2)), chunk("QLST", {1, 2, 3}), chunk("DBOD", dbod)});
    return form("DEEP", {chunk("DGBL", dgbl(4, 2)), chunk("DPEL", elements), chunk("QLST", {1, 2, 3}), chunk("DBOD", dbod)});
  };
  struct Case {
    const char* name;
    Bytes file;
    uint32_t result;
  } cases[] = {
      {"blue, red, green", deep(dpel({{3, 8}, {1, 8}, {2, 8}})), kOk},
      {"alpha as a fourth element", deep(dpel({{3, 8}, {1, 8}, {2, 8}, {4, 8}})), kBadArguments},
      {"type 4 in place of green", deep(dpel({{3, 8}, {1, 8}, {4, 8}})), kBadArguments},
      {"16-bit samples", deep(dpel({{3, 16}, {1, 16}, {2, 16}})), kBadArguments},
      {"red twice", deep(dpel({{1, 8}, {1, 8}, {2, 8}})), kReadError},
      {"no element list", deep({}, false), kReadError},
      {"body one row short", deep(dpel({{3, 8}, {1, 8}, {2, 8}}), true, 12), kReadError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ASSERT_EQ(decodeDeep(c.file, rows), c.result);
    if (c.result == kOk) {
      EXPECT_EQ(qztest::maxDifference(rows.image, image), 0);
    }
  }
  ImageInfo info;
  EXPECT_EQ(deepIdentify(form("DEEP", {chunk("DGBL", dgbl(4, 2, 1))}), 4096, info), kNotThisFormat);  // compressed
  EXPECT_EQ(deepIdentify(form("DEEP", {chunk("DPEL", dgbl(4, 2))}), 4096, info), kNotThisFormat);     // DGBL not first
  EXPECT_EQ(deepIdentify(form("DEEP", {chunk("DGBL", dgbl(0, 2))}), 4096, info), kNotThisFormat);
  EXPECT_EQ(deepIdentify(form("DEEP", {chunk("DGBL", dgbl(4000, 2000))}), 4096, info), kReadError);  // far too short
  PictureRows rows;
  Bytes unused;
  EXPECT_EQ(deepEncode(4, 2, 8, rows, unused), kNotHandled);
}

TEST(DeepCodec, DamagedFilesEndCleanly) {
  Bytes file;
  ASSERT_EQ(qztest::encodeBytes(qztest::makeGradient(7, 5), file, deepEncode), kOk);
  for (const Bytes& bad : qztest::damagedCopies(file)) {
    PictureRows rows;
    const uint32_t result = decodeDeep(bad, rows);
    EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError || result == kBadArguments) << result;
  }
}

}  // namespace
