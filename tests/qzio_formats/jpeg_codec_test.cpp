// JPEG codec core: files other programs write load with their pixels, files
// we write read back elsewhere, EXIF thumbnails are found, damage is refused.
#include <gtest/gtest.h>

#include <cstring>

#include "codec_test_support.h"
#include "qzio/codec_jpeg.h"
#include "qzio/load_problem.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;

uint32_t decodeFile(const std::string& path, PictureRows& rows, ImageInfo* infoOut = nullptr) {
  return qztest::decodeStdioFile(path, rows, infoOut, jpegReadInfo, jpegDecode);
}

uint32_t encodeFile(const std::string& path, PictureRows& rows, const JpegSaveOptions& options) {
  return qztest::encodeStdioFile(path, [&](FILE* file) { return jpegEncode(file, rows.image.width, rows.image.height, 24, options, rows); });
}

// The frame marker (C0 baseline, C2 progressive) of a stream.
uint8_t frameMarker(const std::vector<uint8_t>& bytes) {
  for (size_t at = 2; at + 4 <= bytes.size();) {
    if (bytes[at] != 0xFF) return 0;
    const uint8_t marker = bytes[at + 1];
    if (marker >= 0xC0 && marker <= 0xC2) return marker;
    at += 2 + (bytes[at + 2] << 8 | bytes[at + 3]);
  }
  return 0;
}

// SOI, one segment, then the rest of `jpeg` after its own SOI.
std::vector<uint8_t> withLeadingSegment(const std::vector<uint8_t>& jpeg, uint8_t marker,
                                        const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out = {0xFF, 0xD8, 0xFF, marker, uint8_t((body.size() + 2) >> 8), uint8_t(body.size() + 2)};
  out.insert(out.end(), body.begin(), body.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

void put16(std::vector<uint8_t>& v, uint32_t x) { v.push_back(uint8_t(x)), v.push_back(uint8_t(x >> 8)); }
void put32(std::vector<uint8_t>& v, uint32_t x) { put16(v, x & 0xFFFF), put16(v, x >> 16); }
void ifdEntry(std::vector<uint8_t>& v, uint16_t tag, uint16_t type, uint32_t value) {
  put16(v, tag), put16(v, type), put32(v, 1), put32(v, value);
}

// "Exif\0\0" and a little-endian TIFF block: IFD0 with one entry, IFD1 with
// Compression 6 and the offset and length of `thumbnail`, which follows.
std::vector<uint8_t> exifBody(const std::vector<uint8_t>& thumbnail, bool loopDirectories = false) {
  std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0};
  put32(b, 8);                      // IFD0 at 8 (offsets count from 'II')
  put16(b, 1);                      // IFD0: one entry
  ifdEntry(b, 274, 3, 1);           // Orientation
  put32(b, 26);                     // next: IFD1 at 8 + 2 + 12 + 4
  put16(b, 3);                      // IFD1: three entries
  ifdEntry(b, 259, 3, 6);           // old-style JPEG
  ifdEntry(b, 513, 4, 26 + 2 + 36 + 4);  // stream right after IFD1
  ifdEntry(b, 514, 4, uint32_t(thumbnail.size()));
  put32(b, loopDirectories ? 8 : 0);
  if (loopDirectories) b[6 + 26 + 2 + 8] = 1;  // IFD1 not a thumbnail, links back to IFD0
  b.insert(b.end(), thumbnail.begin(), thumbnail.end());
  return b;
}

// `main` (which starts with its JFIF segment) with an EXIF segment after it.
std::vector<uint8_t> exifAfterJfif(const std::vector<uint8_t>& main, const std::vector<uint8_t>& body) {
  const size_t jfifEnd = 4 + (main[4] << 8 | main[5]);  // start of image, marker, then the counted length
  std::vector<uint8_t> out(main.begin(), main.begin() + jfifEnd);
  const size_t length = body.size() + 2;
  out.insert(out.end(), {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)});
  out.insert(out.end(), body.begin(), body.end());
  out.insert(out.end(), main.begin() + jfifEnd, main.end());
  return out;
}

class JpegCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    source_ = qztest::makeGradient(13, 7);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  // A JPEG ImageMagick writes from the source picture with `options`.
  std::string imageMagickJpeg(const std::string& name, const std::string& options) {
    const std::string out = dir_.file(name);
    EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' " + options + " '" + out + "'"));
    return out;
  }
  qztest::TempDir dir_;
  std::string convert_;
  RgbImage source_;
};

TEST_F(JpegCodec, LoadsWhatImageMagickWritesWithItsPixels) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  const std::vector<uint8_t> baseline = qztest::readFile(imageMagickJpeg("base.jpg", "-quality 95"));
  qztest::writeFile(dir_.file("app2.jpg"), withLeadingSegment(baseline, 0xE2, std::vector<uint8_t>(20, 'x')));
  qztest::writeFile(dir_.file("app14.jpg"), withLeadingSegment(baseline, 0xEE, {'A', 'd', 'o', 'b', 'e', 0}));
  qztest::writeFile(dir_.file("comment.jpg"), withLeadingSegment(baseline, 0xFE, {'h', 'i'}));
  struct Case {
    const char* name;
    std::string path;
    uint32_t depth;
  } cases[] = {
      {"baseline", dir_.file("base.jpg"), 24},
      {"progressive", imageMagickJpeg("prog.jpg", "-quality 90 -interlace JPEG"), 24},
      {"grey", imageMagickJpeg("grey.jpg", "-colorspace Gray -quality 90"), 8},
      {"APP2 first", dir_.file("app2.jpg"), 24},
      {"APP14 first", dir_.file("app14.jpg"), 24},
      {"comment first", dir_.file("comment.jpg"), 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = qztest::readFile(c.path);
    EXPECT_TRUE(jpegProbeMatches(bytes));
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeFile(c.path, rows, &info), kOk);
    EXPECT_EQ(info.depth, c.depth);
    EXPECT_EQ(rows.lastLayout, c.depth == 8 ? kLayoutGrey : kLayoutRGB);
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(c.path, reference, dir_.path()));
    EXPECT_LE(qztest::maxDifference(rows.image, reference), 3);
  }
}

TEST_F(JpegCodec, WhatWeWriteReadsBackElsewhereAndMarksProgression) {
  struct Case {
    const char* name;
    bool progressive;
    uint8_t frame;
  } cases[] = {{"progressive", true, 0xC2}, {"baseline", false, 0xC0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows(source_);
    JpegSaveOptions options;
    options.quality = 90;
    options.progressive = c.progressive;
    const std::string path = dir_.file(std::string(c.name) + ".jpg");
    ASSERT_EQ(encodeFile(path, rows, options), kOk);
    EXPECT_EQ(frameMarker(qztest::readFile(path)), c.frame);
    PictureRows back;
    ASSERT_EQ(decodeFile(path, back), kOk);
    EXPECT_LE(qztest::maxDifference(back.image, source_), 40);  // lossy, tiny picture with sharp steps
    if (convert_.empty()) continue;
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(path, reference, dir_.path()));
    EXPECT_LE(qztest::maxDifference(back.image, reference), 3);
  }
}

TEST_F(JpegCodec, RefusesWhatItCannotTake) {
  // Only 24-bit pictures are written.
  PictureRows rows(source_);
  FILE* file = std::fopen(dir_.file("grey.jpg").c_str(), "wb");
  EXPECT_EQ(jpegEncode(file, 13, 7, 8, JpegSaveOptions{}, rows), kBadArguments);
  std::fclose(file);
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  // CMYK identifies with depth 32 and its load answers 11, a load problem.
  PictureRows cmyk;
  ImageInfo info;
  EXPECT_EQ(decodeFile(imageMagickJpeg("cmyk.jpg", "-colorspace CMYK"), cmyk, &info), kUnexpectedKind);
  EXPECT_NE(takeLoadProblem().text.find("CMYK"), std::string::npos);
  EXPECT_EQ(info.depth, 32u);
}

// A disk that fills up during the save is a write error (4), as for every
// other format, not a picture the format cannot take.
TEST_F(JpegCodec, AFullDiskIsAWriteError) {
  FILE* full = std::fopen("/dev/full", "wb");
  if (!full) GTEST_SKIP() << "no /dev/full";
  PictureRows rows(qztest::makeGradient(300, 200));
  EXPECT_EQ(jpegEncode(full, 300, 200, 24, JpegSaveOptions{}, rows), kWriteFailed);
  std::fclose(full);
}

TEST_F(JpegCodec, ProbeTable) {
  struct Case {
    const char* name;
    std::vector<uint8_t> probe;
    bool matches;
  } cases[] = {
      {"JFIF", {0xFF, 0xD8, 0xFF, 0xE0}, true},   {"EXIF", {0xFF, 0xD8, 0xFF, 0xE1}, true},
      {"APP15", {0xFF, 0xD8, 0xFF, 0xEF}, true},  {"tables first", {0xFF, 0xD8, 0xFF, 0xDB}, true},
      {"end of image", {0xFF, 0xD8, 0xFF, 0xD9}, false}, {"short", {0xFF, 0xD8, 0xFF}, false},
      {"PNG", {0x89, 'P', 'N', 'G'}, false},      {"fill", {0xFF, 0xD8, 0xFF, 0xFF}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(jpegProbeMatches(c.probe), c.matches);
  }
}

TEST_F(JpegCodec, FindsTheExifThumbnail) {
  PictureRows thumbRows(qztest::makeGradient(16, 8));
  ASSERT_EQ(encodeFile(dir_.file("thumb.jpg"), thumbRows, JpegSaveOptions{}), kOk);
  PictureRows mainRows(qztest::makeGradient(48, 32));
  ASSERT_EQ(encodeFile(dir_.file("main.jpg"), mainRows, JpegSaveOptions{}), kOk);
  const std::vector<uint8_t> thumb = qztest::readFile(dir_.file("thumb.jpg"));
  const std::vector<uint8_t> main = qztest::readFile(dir_.file("main.jpg"));
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    bool found;
  } cases[] = {
      {"EXIF first", withLeadingSegment(main, 0xE1, exifBody(thumb)), true},
      // Our encoder writes JFIF first; an EXIF segment after it still counts.
      {"after JFIF", exifAfterJfif(main, exifBody(thumb)), true},
      {"plain JFIF", main, false},
      {"directories in a loop", withLeadingSegment(main, 0xE1, exifBody(thumb, true)), false},
      {"no EXIF name", withLeadingSegment(main, 0xE1, {'X', 'M', 'P', 0}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_.file("exif.jpg");
    qztest::writeFile(path, c.file);
    FILE* file = std::fopen(path.c_str(), "rb");
    std::vector<uint8_t> found;
    EXPECT_EQ(jpegFindExifThumbnail(file, found), c.found);
    std::fclose(file);
    if (!c.found) continue;
    ImageInfo info;
    ASSERT_EQ(jpegReadInfoMemory(found, info), kOk);
    EXPECT_EQ(info.width, 16u);
    EXPECT_EQ(info.height, 8u);
    PictureRows rows;
    rows.resize(16, 8);
    EXPECT_EQ(jpegDecodeMemory(found, rows), kOk);
    // The full picture still decodes as itself.
    PictureRows full;
    ASSERT_EQ(decodeFile(path, full, &info), kOk);
    EXPECT_EQ(info.width, 48u);
  }
}

TEST_F(JpegCodec, StopRequestsEndLoadAndSaveWithNine) {
  PictureRows rows(qztest::makeGradient(40, 40));
  rows.stopAfter = 8;
  EXPECT_EQ(encodeFile(dir_.file("stop.jpg"), rows, JpegSaveOptions{}), kCancelled);
  rows.stopAfter = 0xFFFFFFFF;
  ASSERT_EQ(encodeFile(dir_.file("whole.jpg"), rows, JpegSaveOptions{}), kOk);
  PictureRows back;
  back.stopAfter = 8;
  EXPECT_EQ(decodeFile(dir_.file("whole.jpg"), back), kCancelled);
  EXPECT_LT(back.rowsStored, 40u);
}

TEST_F(JpegCodec, ATruncatedFileKeepsItsFirstRowsAndStops) {
  PictureRows rows(qztest::makeGradient(64, 400));
  JpegSaveOptions baseline, progressive;
  baseline.progressive = false;
  progressive.progressive = true;
  ASSERT_EQ(encodeFile(dir_.file("whole.jpg"), rows, baseline), kOk);
  ASSERT_EQ(encodeFile(dir_.file("whole-progressive.jpg"), rows, progressive), kOk);
  const std::vector<uint8_t> whole = qztest::readFile(dir_.file("whole.jpg"));
  // Without only its end marker every row is still there, also in a
  // progressive file (read whole before its first row).
  for (const char* name : {"whole.jpg", "whole-progressive.jpg"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> bytes = qztest::readFile(dir_.file(name));
    qztest::writeFile(dir_.file("no-end.jpg"), std::vector<uint8_t>(bytes.begin(), bytes.end() - 2));
    PictureRows all;
    takeLoadProblem();
    ASSERT_EQ(decodeFile(dir_.file("no-end.jpg"), all), kOk);
    EXPECT_EQ(all.rowsStored, 400u);
    EXPECT_LE(qztest::maxDifference(all.image, rows.image), 24);
    // A baseline file has every row; only its marker is missing, nothing to tell.
    if (std::string(name) == "whole.jpg") {
      EXPECT_FALSE(takeLoadProblem().partial);
    }
  }
  // Cut in half, then nothing, the end marker, or a marker that has no place
  // in image data.
  const std::vector<uint8_t> half(whole.begin(), whole.begin() + whole.size() / 2);
  const struct {
    const char* name;
    std::vector<uint8_t> after;
  } endings[] = {{"no end marker", {}}, {"end marker", {0xFF, 0xD9}}, {"stray marker", {0xFF, 0x31, 0xA5, 0xA5}}};
  for (const auto& ending : endings) {
    SCOPED_TRACE(ending.name);
    std::vector<uint8_t> cut = half;
    cut.insert(cut.end(), ending.after.begin(), ending.after.end());
    qztest::writeFile(dir_.file("half.jpg"), cut);
    PictureRows back;
    ASSERT_EQ(decodeFile(dir_.file("half.jpg"), back), kOk);
    EXPECT_GT(back.rowsStored, 100u);
    EXPECT_LT(back.rowsStored, 300u);  // no made-up rows after the end of the data
    EXPECT_TRUE(takeLoadProblem().partial) << "the cut was not told";
    const uint8_t* early = back.image.at(10, 20);
    const uint8_t* expected = rows.image.at(10, 20);
    EXPECT_LE(std::abs(int(early[0]) - int(expected[0])), 12);
  }
}

// A few hundred bytes claiming 60000 by 60000 pixels are refused from the
// header as damaged, before a buffer (or for a progressive file, the
// coefficients) of gigabytes is made; the same file at its own size reads.
TEST_F(JpegCodec, AFileTooSmallForItsPictureIsRefused) {
  for (bool isProgressive : {true, false}) {
  SCOPED_TRACE(isProgressive ? "progressive" : "baseline");
  PictureRows rows(qztest::makeGradient(64, 64));
  JpegSaveOptions progressive;
  progressive.progressive = isProgressive;
  ASSERT_EQ(encodeFile(dir_.file("small.jpg"), rows, progressive), kOk);
  std::vector<uint8_t> bytes = qztest::readFile(dir_.file("small.jpg"));
  PictureRows small;
  ASSERT_EQ(decodeFile(dir_.file("small.jpg"), small), kOk);
  size_t frame = 2;
  const uint8_t frameMarker = isProgressive ? 0xC2 : 0xC0;
  while (frame + 4 <= bytes.size() && bytes[frame + 1] != frameMarker)
    frame += 2 + (bytes[frame + 2] << 8 | bytes[frame + 3]);
  ASSERT_LT(frame + 9, bytes.size());
  for (size_t at : {frame + 5, frame + 7}) bytes[at] = 60000 >> 8, bytes[at + 1] = 60000 & 0xFF;
  qztest::writeFile(dir_.file("huge.jpg"), bytes);
  FILE* file = std::fopen(dir_.file("huge.jpg").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  ImageInfo info;
  EXPECT_EQ(jpegReadInfo(file, info), kReadError);
  EXPECT_NE(takeLoadProblem().text.find("too short"), std::string::npos);
  std::rewind(file);
  PictureRows back;
  EXPECT_EQ(jpegDecode(file, back), kReadError);
  EXPECT_EQ(back.rowsStored, 0u);
  std::fclose(file);
  }
}

TEST_F(JpegCodec, DamagedFilesEndCleanly) {
  PictureRows rows(qztest::makeGradient(21, 11));
  ASSERT_EQ(encodeFile(dir_.file("good.jpg"), rows, JpegSaveOptions{}), kOk);
  const std::vector<uint8_t> good = qztest::readFile(dir_.file("good.jpg"));
  int refusedPrefixes = 0;
  for (const std::vector<uint8_t>& bad : qztest::damagedCopies(good)) {
    const std::string path = dir_.file("bad.jpg");
    qztest::writeFile(path, bad);
    PictureRows back;
    const uint32_t result = decodeFile(path, back);
    EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError || result == kBadArguments)
        << result;
    if (bad.size() < 100 && result != kOk) ++refusedPrefixes;
  }
  EXPECT_GT(refusedPrefixes, 50);  // a cut inside the headers never passes as a picture
}

}  // namespace
