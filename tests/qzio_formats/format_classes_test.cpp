// The TIFF, JPEG, PNG and BMP format classes through the library's drivers:
// detection and loading of files other programs write, saving through the
// temporary-file writer, refusals that keep the old file, the process-wide
// options, the EXIF thumbnail on the direct path, and stop requests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "class_test_support.h"
#include "codec_test_support.h"
#include "qzio/codec_png.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/qzio_ui.h"
#include "qzio/root_qzio.h"
#include "support/temp_dir.h"

namespace {

using qztest::Buffer;
using qztest::imageFrom;
using qztest::RgbImage;

// Whether the progress display asks to stop; counts the calls.
int gProgressCalls = 0;
bool gStop = false;
int gDisplay;
void* beginProgress(const char*, const char*) { return &gDisplay; }
int32_t setProgress(void*, uint32_t, uint32_t) { return ++gProgressCalls, gStop ? 0 : 1; }
void endProgress(void*) {}
int32_t quietBox(const char*, const char*) { return 1; }

class FormatClasses : public ::testing::Test {
 protected:
  void SetUp() override {
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitTIFFQZIOClass(nullptr);
    Qz_InitJPEGQZIOClass(nullptr);
    Qz_InitPNGQZIOClass(nullptr);
    Qz_InitBMPQZIOClass(nullptr);
    QZIO_Init(nullptr);  // the detection list of the build's Data/
    convert_ = qztest::toolPath("convert");
    source_ = qztest::makeGradient(13, 7);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  void TearDown() override {
    QZIO_Cleanup();
    Qz_CleanupBMPQZIOClass();
    Qz_CleanupPNGQZIOClass();
    Qz_CleanupJPEGQZIOClass();
    Qz_CleanupTIFFQZIOClass();
    Qz_CleanupRootQZIOClass();
    qzio::SetUiHooks(nullptr);
  }
  std::string imageMagick(const std::string& name, const std::string& options, const std::string& prefix = "") {
    const std::string out = dir_.file(name);
    EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' " + options + " " + prefix + "'" + out + "'"));
    return out;
  }
  uint32_t save(QZIO_ImageBuffer* buffer, const std::string& path, const char* format, uint32_t flags = kQzioQuiet) {
    QZIO_Header header{};
    header.buffer = buffer;
    header.fileName = path.c_str();
    return QZIO_SaveBufferA(&header, path.c_str(), format, nullptr, &flags);
  }
  qztest::TempDir dir_;
  std::string convert_;
  RgbImage source_;
};

TEST_F(FormatClasses, DetectsAndLoadsFilesOtherProgramsWrite) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  struct Case {
    const char* name;
    std::string path;
    uint32_t depth, format;
    int tolerance;
  } cases[] = {
      {"JPEG", imageMagick("a.jpg", "-quality 95"), 24, kQzioFormatRGBPlanes, 3},
      {"grey JPEG", imageMagick("g.jpg", "-colorspace Gray"), 8, kQzioFormatGrey, 3},
      {"PNG with alpha", imageMagick("a.png", "-alpha set", "PNG32:"), 32, kQzioFormatRGBPlanes, 0},
      {"LZW TIFF", imageMagick("a.tif", "-compress LZW"), 24, kQzioFormatRGBPlanes, 0},
      {"palette BMP", imageMagick("p.bmp", "-colors 9 -type Palette", "BMP3:"), 8, kQzioFormatRGBPlanes, 0},
      {"1-bit BMP", imageMagick("m.bmp", "-monochrome", "BMP3:"), 1, kQzioFormatBitplanes, 0},
      {"24-bit BMP", imageMagick("t.bmp", "", "BMP3:"), 24, kQzioFormatRGBPlanes, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t result = 0;
    Buffer b(QZIO_AutoLoadBuffer(c.path.c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
    ASSERT_EQ(result, kQzioSuccess);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->width, 13u);
    EXPECT_EQ(b->height, 7u);
    EXPECT_EQ(b->depth, c.depth);
    EXPECT_EQ(b->format, c.format);
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(c.path, reference, dir_.path()));
    EXPECT_LE(qztest::maxDifference(imageFrom(b.get()), reference), c.tolerance);
  }
}

TEST_F(FormatClasses, SavesReadBackElsewhere) {
  Buffer b = qztest::rgbBufferOf(source_);
  ASSERT_NE(b, nullptr);
  struct Case {
    const char* format;
    const char* file;
    int tolerance;
  } cases[] = {{"JPEG", "out.jpg", 40}, {"PNG", "out.png", 0}, {"TIFF", "out.tif", 0}, {"BMP", "out.bmp", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const std::string path = dir_.file(c.file);
    ASSERT_EQ(save(b.get(), path, c.format), kQzioSuccess);
    uint32_t result = 0;
    Buffer back(QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
    ASSERT_NE(back, nullptr) << result;
    EXPECT_LE(qztest::maxDifference(imageFrom(back.get()), source_), c.tolerance);
    if (convert_.empty()) continue;
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(path, reference, dir_.path()));
    EXPECT_LE(qztest::maxDifference(reference, source_), c.tolerance);
  }
}

TEST_F(FormatClasses, RefusedSavesKeepTheOldFile) {
  Buffer grey(QZIO_AllocBuffer(5, 3, 8, 0, kQzioFormatGrey));
  ASSERT_NE(grey, nullptr);
  struct Case {
    const char* format;
    uint32_t result;
  } cases[] = {{"JPEG", kQzioBadArguments}, {"BMP", kQzioNotHandled}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const std::string path = dir_.file("keep.img");
    qztest::writeFile(path, {'o', 'l', 'd'});
    EXPECT_EQ(save(grey.get(), path, c.format), c.result);
    EXPECT_EQ(qztest::readFile(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
  }
}

TEST_F(FormatClasses, OptionIdsClampAndPersist) {
  struct Case {
    const char* className;
    uint32_t setId, getId;
    uint32_t value, stored;
  } cases[] = {
      {"PNGQZIO", 7020, 7030, 12, 9},  {"PNGQZIO", 7020, 7030, 6, 6},  {"PNGQZIO", 7040, 7050, 1, 1},
      {"PNGQZIO", 7040, 7050, 0, 0},   {"JPEGQZIO", 7013, 7023, 0, 1}, {"JPEGQZIO", 7013, 7023, 90, 90},
      {"JPEGQZIO", 7033, 7043, 0, 0},  {"JPEGQZIO", 7033, 7043, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.className) + " " + std::to_string(c.setId) + " " + std::to_string(c.value));
    const qzio::FormatClass* cls = qzio::FindFormatClass(c.className);
    ASSERT_NE(cls, nullptr);
    ASSERT_NE(cls->option, nullptr);
    const QzWord set[] = {c.value, 0};
    const QzWord none[] = {0, 0};
    QzWord answer = 0;
    ASSERT_TRUE(cls->option(qzio::FormatCall{nullptr, nullptr}, c.setId, set, &answer));
    EXPECT_EQ(answer, c.stored);
    ASSERT_TRUE(cls->option(qzio::FormatCall{nullptr, nullptr}, c.getId, none, &answer));
    EXPECT_EQ(answer, c.stored);
  }
  // TIFF: the compression pop-up's entry is kept by the object and answers 0.
  const qzio::FormatClass* tiff = qzio::FindFormatClass("TIFFQZIO");
  ASSERT_NE(tiff, nullptr);
  std::vector<uint8_t> state(tiff->stateSize, 0);
  tiff->initState(state.data());
  const QzWord deflate[] = {3, 0};
  QzWord answer = 1;
  ASSERT_TRUE(tiff->option(qzio::FormatCall{nullptr, state.data()}, 7023, deflate, &answer));
  EXPECT_EQ(answer, 0u);
  EXPECT_EQ(state[0], 3);  // entry "Deflate"
  EXPECT_EQ(state[1], 1);  // shows the predictor page
  const QzWord none[] = {0, 0};
  tiff->option(qzio::FormatCall{nullptr, state.data()}, 7023, none, &answer);
}

TEST_F(FormatClasses, PngAlphaFlagWritesOpaqueRgbaWithoutAMask) {
  Buffer b = qztest::rgbBufferOf(source_);
  qz::codec::pngUseAlphaOption().store(1);
  const std::string path = dir_.file("alpha.png");
  const uint32_t result = save(b.get(), path, "PNG");
  qz::codec::pngUseAlphaOption().store(0);
  ASSERT_EQ(result, kQzioSuccess);
  const std::vector<uint8_t> bytes = qztest::readFile(path);
  ASSERT_GT(bytes.size(), 26u);
  EXPECT_EQ(bytes[25], 6);  // colour type RGBA
  uint32_t loaded = 0;
  Buffer back(QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet, kQzioTagResult, &loaded, TAG_DONE));
  ASSERT_NE(back, nullptr) << loaded;
  EXPECT_EQ(back->depth, 32u);
  EXPECT_EQ(qztest::maxDifference(imageFrom(back.get()), source_), 0);
  if (convert_.empty()) return;
  ASSERT_TRUE(qztest::run(convert_ + " '" + path + "' -format '%[fx:minima.a]' info:'" + dir_.file("a.txt") + "'"));
  const std::vector<uint8_t> text = qztest::readFile(dir_.file("a.txt"));
  EXPECT_EQ(std::string(text.begin(), text.end()), "1");  // no source image, no mask: opaque
}

TEST_F(FormatClasses, TiffCompressionChoiceReachesTheFile) {
  const std::string tiffdump = qztest::toolPath("tiffdump");
  if (tiffdump.empty()) GTEST_SKIP() << "libtiff-tools missing";
  const qzio::FormatClass* tiff = qzio::FindFormatClass("TIFFQZIO");
  ASSERT_NE(tiff, nullptr);
  Buffer b = qztest::rgbBufferOf(source_);
  struct Case {
    uint32_t entry;
    const char* tag;  // Compression as tiffdump shows it
  } cases[] = {{1, "1<7>"}, {2, "1<32773>"}, {3, "1<32946>"}, {0, "1<1>"}};  // ends on the default
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    // The pop-up's choice holds for the process: the save's new object takes it.
    const QzWord entry[] = {c.entry, 0};
    QzWord answer = 0;
    ASSERT_TRUE(tiff->option(qzio::FormatCall{nullptr, nullptr}, 7023, entry, &answer));
    const std::string path = dir_.file("choice.tif");
    ASSERT_EQ(save(b.get(), path, "TIFF"), kQzioSuccess);
    ASSERT_TRUE(qztest::run(tiffdump + " '" + path + "' > '" + dir_.file("dump.txt") + "'"));
    const std::vector<uint8_t> dump = qztest::readFile(dir_.file("dump.txt"));
    const std::string text(dump.begin(), dump.end());
    const size_t at = text.find("Compression (259) SHORT (3) ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text.substr(at + 28, std::strlen(c.tag)), c.tag);
  }
}

TEST_F(FormatClasses, DirectLoadDeliversTheExifThumbnail) {
  // A 48 x 32 JPEG whose EXIF segment holds a 16 x 8 thumbnail.
  Buffer thumb = qztest::rgbBufferOf(qztest::makeGradient(16, 8));
  Buffer full = qztest::rgbBufferOf(qztest::makeGradient(48, 32));
  ASSERT_EQ(save(thumb.get(), dir_.file("thumb.jpg"), "JPEG"), kQzioSuccess);
  ASSERT_EQ(save(full.get(), dir_.file("full.jpg"), "JPEG"), kQzioSuccess);
  const std::vector<uint8_t> t = qztest::readFile(dir_.file("thumb.jpg"));
  const std::vector<uint8_t> f = qztest::readFile(dir_.file("full.jpg"));
  // Little-endian TIFF block: IFD0 empty, IFD1 with Compression 6, offset and length.
  std::vector<uint8_t> body = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 14, 0, 0, 0,
                               3, 0, 3, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 1, 2, 4, 0, 1, 0, 0, 0, 56, 0, 0, 0,
                               2, 2, 4, 0, 1, 0, 0, 0};
  for (int i = 0; i < 4; ++i) body.push_back(uint8_t(t.size() >> (8 * i)));
  body.insert(body.end(), {0, 0, 0, 0});
  body.insert(body.end(), t.begin(), t.end());
  std::vector<uint8_t> exif = {0xFF, 0xD8, 0xFF, 0xE1, uint8_t((body.size() + 2) >> 8), uint8_t(body.size() + 2)};
  for (uint8_t byte : body) exif.push_back(byte);
  for (size_t i = 2; i < f.size(); ++i) exif.push_back(f[i]);
  qztest::writeFile(dir_.file("exif.jpg"), exif);

  struct Case {
    const char* name;
    std::string path;
    uint32_t width, height;
  } cases[] = {{"EXIF", dir_.file("exif.jpg"), 16, 8}, {"JFIF", dir_.file("full.jpg"), 48, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t result = 0;
    Buffer b(QZIO_AutoLoadBuffer(c.path.c_str(), kQzioQuiet | kQzioDirectLoad, kQzioTagResult, &result, TAG_DONE));
    ASSERT_NE(b, nullptr) << result;
    EXPECT_EQ(b->width, c.width);
    EXPECT_EQ(b->height, c.height);
    // The ordinary load always gives the full picture.
    Buffer whole(QZIO_AutoLoadBuffer(c.path.c_str(), kQzioQuiet, TAG_DONE));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->width, 48u);
  }
}

TEST_F(FormatClasses, StopRequestsCancelLoadsAndSaves) {
  qzio::UiHooks hooks;
  hooks.messageBox = quietBox;
  hooks.beginProgress = beginProgress;
  hooks.setProgress = setProgress;
  hooks.endProgress = endProgress;
  qzio::SetUiHooks(&hooks);
  Buffer big = qztest::rgbBufferOf(qztest::makeGradient(40, 200));
  const char* formats[] = {"JPEG", "PNG", "TIFF", "BMP"};
  for (const char* format : formats) {
    SCOPED_TRACE(format);
    const std::string path = dir_.file(std::string("stop.") + format);
    gStop = false;
    ASSERT_EQ(save(big.get(), path, format, 0), kQzioSuccess);
    gStop = true;
    gProgressCalls = 0;
    EXPECT_EQ(save(big.get(), dir_.file("never"), format, 0), kQzioCancelled);
    EXPECT_GE(gProgressCalls, 1);
    EXPECT_TRUE(qztest::readFile(dir_.file("never")).empty());  // the temporary file went away
    uint32_t result = 0;
    Buffer b(QZIO_AutoLoadBuffer(path.c_str(), 0, kQzioTagResult, &result, TAG_DONE));
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(result, kQzioCancelled);
  }
}

TEST_F(FormatClasses, DamagedFilesGiveResultCodes) {
  Buffer b = qztest::rgbBufferOf(qztest::makeGradient(17, 9));
  const char* formats[][2] = {{"JPEG", "d.jpg"}, {"PNG", "d.png"}, {"TIFF", "d.tif"}, {"BMP", "d.bmp"}};
  for (const auto& f : formats) {
    SCOPED_TRACE(f[0]);
    ASSERT_EQ(save(b.get(), dir_.file(f[1]), f[0]), kQzioSuccess);
    // The codec tests sweep each format closely; here a few cuts and flips
    // show the drivers and classes turn every failure into a code.
    for (const std::vector<uint8_t>& bad : qztest::damagedCopies(qztest::readFile(dir_.file(f[1])), 40, 16)) {
      qztest::writeFile(dir_.file("bad"), bad);
      uint32_t result = 0;
      Buffer back(QZIO_AutoLoadBuffer(dir_.file("bad").c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
      EXPECT_EQ(back != nullptr, result == kQzioSuccess);
    }
  }
}

std::vector<std::string> gBoxes;
int32_t recordBox(const char*, const char* text) {
  gBoxes.emplace_back(text);
  return 1;
}

// What the user is told: a damaged PNG and a CMYK JPEG say so in the
// decoder's words after the file's name; a bitmap cut short opens with what
// was read and keeps its notice, told once its loader shows it.
TEST_F(FormatClasses, LoadProblemsAreToldInTheBoxOnce) {
  qzio::UiHooks hooks;
  hooks.messageBox = recordBox;
  qzio::SetUiHooks(&hooks);
  Buffer b = qztest::rgbBufferOf(qztest::makeGradient(17, 9));
  ASSERT_EQ(save(b.get(), dir_.file("good.png"), "PNG"), kQzioSuccess);
  ASSERT_EQ(save(b.get(), dir_.file("good.bmp"), "BMP"), kQzioSuccess);
  std::vector<uint8_t> png = qztest::readFile(dir_.file("good.png"));
  png[30] ^= 0xFF;  // the header chunk's checksum
  qztest::writeFile(dir_.file("damaged.png"), png);
  std::vector<uint8_t> bmp = qztest::readFile(dir_.file("good.bmp"));
  bmp.resize(bmp.size() - 3 * 52);  // 17 pixels: 52 bytes a row; three rows short
  qztest::writeFile(dir_.file("short.bmp"), bmp);
  struct Case {
    std::string path;
    bool loads;
    std::string box;
  };
  std::vector<Case> cases = {
      {dir_.file("damaged.png"), false,
       "Cannot load \"" + dir_.file("damaged.png") +
           "\".\nThe file could not be read: it is damaged or too short.\nPNG: IHDR: CRC error"},
      {dir_.file("short.bmp"), true,
       "\"" + dir_.file("short.bmp") +
           "\" is damaged: it is shown as far as it could be read.\nBMP: the file ends after 6 of its 9 rows"},
  };
  if (!convert_.empty())
    cases.push_back({imageMagick("cmyk.jpg", "-colorspace CMYK"), false,
                     "Cannot load \"" + dir_.file("cmyk.jpg") +
                         "\".\nThe picture is of an unexpected kind.\n"
                         "JPEG: the picture is in CMYK colours, which Quillantrix cannot load"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    gBoxes.clear();
    uint32_t result = 0;
    Buffer back(QZIO_AutoLoadBuffer(c.path.c_str(), 0, kQzioTagResult, &result, TAG_DONE));
    EXPECT_EQ(back != nullptr, c.loads);
    if (back) {
      EXPECT_TRUE(gBoxes.empty());
      ASSERT_NE(back->header, nullptr);
      QZIO_NoticeRequest(back->header->notice);
    }
    ASSERT_EQ(gBoxes.size(), 1u);
    EXPECT_EQ(gBoxes[0], c.box);
  }
}

}  // namespace
