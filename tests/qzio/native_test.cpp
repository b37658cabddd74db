// The native layered format: the settings block's bytes, thumbnail sizes,
// a document with layers of every kind saved and loaded back exactly, grey
// documents, compression, plain TIFFs refused, other TIFF readers opening
// our files, the thumbnail path and damaged files.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <string>
#include <vector>

#include "objects/qz_object.h"
#include "qzio/native_block.h"
#include "qzio/tiff_tags.h"
#include "qzio/qzio.h"
#include "qzio/root_qzio.h"
#include "qzio_test_env.h"

namespace {

using namespace qzio::native;

std::vector<uint8_t> PlaneBytes(const QZIO_ImageBuffer* b, const uint8_t* plane) {
  std::vector<uint8_t> out;
  for (uint32_t y = 0; y < b->height; ++y) out.insert(out.end(), plane + y * b->bytesPerRow, plane + y * b->bytesPerRow + b->width);
  return out;
}

void FillGrey(QZIO_ImageBuffer* b, uint8_t seed) {
  for (uint32_t y = 0; y < b->height; ++y)
    for (uint32_t x = 0; x < b->width; ++x) b->grey[y * b->bytesPerRow + x] = uint8_t(seed + x * 3 + y * 17);
}

QZIO_LayerSettings SampleSettings(uint16_t seed) {
  QZIO_LayerSettings s{};
  s.red = uint8_t(seed), s.green = uint8_t(seed + 1), s.blue = uint8_t(seed + 2);
  for (int i = 0; i < 18; ++i) s.placement[i] = uint16_t(seed * 100 + i * 7 - 30);
  s.opacity = uint16_t(200 + seed);
  for (int i = 0; i < 9; ++i) s.blend[i] = uint16_t(256 - i * seed);
  s.edgeMaskShape = 2, s.edgeMaskSize = 30u + seed, s.edgeMaskSoftness = 50, s.edgeMaskInvert = seed & 1;
  return s;
}

// Compares the fields a block carries.
void ExpectSameSettings(const QZIO_LayerSettings& want, const QZIO_LayerSettings& got, uint32_t kind, uint32_t index) {
  EXPECT_EQ(got.kindType, 1u);
  EXPECT_EQ(got.kind, kind);
  EXPECT_EQ(got.layerIndex, index);
  EXPECT_EQ(got.colourType, 2u);
  EXPECT_EQ(got.red, want.red);
  EXPECT_EQ(got.green, want.green);
  EXPECT_EQ(got.blue, want.blue);
  EXPECT_EQ(got.placementType, 4u);
  EXPECT_EQ(0, memcmp(got.placement, want.placement, sizeof want.placement));
  EXPECT_EQ(got.blendType, 5u);
  EXPECT_EQ(got.opacity, want.opacity);
  EXPECT_EQ(0, memcmp(got.blend, want.blend, sizeof want.blend));
  EXPECT_EQ(got.edgeMaskShape, want.edgeMaskShape);
  EXPECT_EQ(got.edgeMaskSize, want.edgeMaskSize);
  EXPECT_EQ(got.edgeMaskSoftness, want.edgeMaskSoftness);
  EXPECT_EQ(got.edgeMaskInvert, want.edgeMaskInvert);
}

void SetModeText(QZIO_ImageBuffer* b, const char* text) {
  b->settings.modeText = strdup(text);
  b->settings.modeTextLength = static_cast<uint32_t>(strlen(text));
}

QZIO_ImageBuffer* LayerAt(QZIO_ImageBuffer* b, int n) {
  Node* node = b->layers.lh_Head;
  for (int i = 0; i < n && node->ln_Succ; ++i) node = node->ln_Succ;
  return node->ln_Succ ? reinterpret_cast<QZIO_ImageBuffer*>(node) : nullptr;
}

// (kind, index) of every directory, first to last, read with libtiff.
std::vector<std::pair<uint32_t, uint32_t>> Directories(const std::string& path) {
  std::vector<std::pair<uint32_t, uint32_t>> out;
  TIFF* tif = QZIO_TiffTagsOpen(path.c_str(), "rm");
  if (!tif) return out;
  do {
    uint32_t count = 0;
    void* data = nullptr;
    QZIO_LayerSettings s;
    std::string text;
    if (TIFFGetField(tif, kBlockTag, &count, &data) == 1 && DecodeBlock(static_cast<uint8_t*>(data), count, &s, &text))
      out.emplace_back(s.kind, s.layerIndex);
    else
      out.emplace_back(0, 0);
  } while (TIFFReadDirectory(tif) == 1);
  QZIO_TiffTagsClose(tif);
  return out;
}

TEST(NativeBlockTest, ShortBlockBytes) {
  const std::vector<uint8_t> block = EncodeShortBlock(8, 3);
  const uint8_t expect[40] = {'Q', 'u', 'i', 'l', 'l', 'a', 'n', 't', 'r', 'i', 'x', 0, 5, 0, 0, 0, 1, 0, 0, 0,
                              1,   0,   0,   0,   16,  0,   0,   0,   8,   0,   0,   0, 3, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(block.size(), kShortBlockBytes);
  EXPECT_EQ(0, memcmp(block.data(), expect, sizeof expect));
}

TEST(NativeBlockTest, DecodingTable) {
  const QZIO_LayerSettings s = SampleSettings(5);
  const std::vector<uint8_t> full = EncodeFullBlock(3, 0, s, "Mode\n{\n}\n");
  ASSERT_EQ(full.size(), 20u + 16 + 12 + 44 + 44 + 8 + 9);
  struct Case {
    const char* name;
    std::vector<uint8_t> block;
    bool decodes;
    uint32_t kind;
    bool hasColour, hasPlacement, hasBlend;
    std::string text;
  };
  std::vector<uint8_t> noZero = full;
  noZero[11] = 'x';  // "Quillantrix" without its zero byte
  std::vector<uint8_t> cut(full.begin(), full.begin() + 20 + 16 + 12 + 20);  // inside record 4
  std::vector<uint8_t> endsEarly = full;
  endsEarly[20 + 16] = 0;  // record 2's type 0 ends the walk
  std::vector<uint8_t> longPlacement(full.begin(), full.begin() + 48);
  {
    // A record 4 of 52 bytes: only its first 44 belong to the placement.
    const uint8_t head[8] = {4, 0, 0, 0, 52, 0, 0, 0};
    longPlacement.insert(longPlacement.end(), head, head + 8);
    for (int i = 0; i < 44; ++i) longPlacement.push_back(uint8_t(i));
    longPlacement.push_back(0);
  }
  const Case cases[] = {
      {"full", full, true, 3, true, true, true, "Mode\n{\n}\n"},
      {"short", EncodeShortBlock(6, 2), true, 6, false, false, false, ""},
      {"name without zero", noZero, false, 0, false, false, false, ""},
      {"too short for the head", std::vector<uint8_t>(full.begin(), full.begin() + 19), false, 0, false, false, false, ""},
      {"cut inside a record", cut, true, 3, true, false, false, ""},
      {"type 0 ends the records", endsEarly, true, 3, false, false, false, ""},
      {"long placement record", longPlacement, true, 3, true, true, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QZIO_LayerSettings got;
    std::string text;
    ASSERT_EQ(DecodeBlock(c.block.data(), c.block.size(), &got, &text), c.decodes);
    if (!c.decodes) continue;
    EXPECT_EQ(got.kind, c.kind);
    EXPECT_EQ(got.colourType != 0, c.hasColour);
    EXPECT_EQ(got.placementType != 0, c.hasPlacement);
    EXPECT_EQ(got.blendType != 0, c.hasBlend);
    EXPECT_EQ(text, c.text);
  }
  QZIO_LayerSettings got;
  std::string text;
  ASSERT_TRUE(DecodeBlock(longPlacement.data(), longPlacement.size(), &got, &text));
  EXPECT_EQ(got.placement[0], 0x0100);
  EXPECT_EQ(got.placement[17], 0x2322);

  // A mode text that would make the block too long for its count is left out.
  const std::vector<uint8_t> huge = EncodeFullBlock(2, 0, s, std::string(70000, 'm'));
  EXPECT_EQ(huge.size(), 20u + 16 + 12 + 44 + 44);
}

TEST(NativeBlockTest, ThumbnailSizes) {
  struct Case {
    uint32_t w, h, limitW, limitH, tw, th;
  };
  const Case cases[] = {{640, 480, 80, 80, 80, 60}, {480, 640, 80, 80, 60, 80}, {1, 1000, 80, 80, 1, 80},
                        {1000, 1, 80, 80, 80, 1},   {10, 10, 64, 48, 48, 48},   {3, 2, 64, 48, 63, 42}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    uint32_t tw = 0, th = 0;
    ThumbnailSize(c.w, c.h, c.limitW, c.limitH, &tw, &th);
    EXPECT_EQ(tw, c.tw);
    EXPECT_EQ(th, c.th);
  }
}

class NativeTest : public ::testing::Test {
 protected:
  NativeTest() : library_({"Quillantrix", "PPM"}) {}
  std::string Path(const std::string& name) { return library_.dir().file(name); }
  uint32_t Save(QZIO_ImageBuffer* b, const std::string& path) {
    QZIO_Header h{};
    h.buffer = b;
    uint32_t flags = kQzioQuiet;
    return QZIO_SaveBufferA(&h, path.c_str(), "Quillantrix", nullptr, &flags);
  }
  QZIO_ImageBuffer* Load(const std::string& path, uint32_t* result, uint32_t flags = kQzioQuiet) {
    return QZIO_AutoLoadBuffer(path.c_str(), flags, kQzioTagResult, result, TAG_DONE);
  }
  // A document with a paint layer shorter than itself, an image layer with
  // its mask, paint layer and two source pictures, and a paint layer with a
  // source picture.
  QZIO_ImageBuffer* MakeDocument() {
    QZIO_ImageBuffer* doc = qztest::MakePattern(37, 23);
    QZIO_ImageBuffer* paint = QZIO_AddLayer(doc, 20, 15, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
    FillGrey(paint, 1);
    paint->settings = SampleSettings(1);
    SetModeText(paint, "BlurMode\n{\n\tQz_SetAmount,\t\t\t5,\n}\n");
    QZIO_ImageBuffer* image = QZIO_AddLayer(doc, 30, 21, 24, kQzioFormatRGBPlanes, kQzioMaskedLayer, 0);
    QZIO_ImageBuffer* pattern = qztest::MakePattern(30, 21);
    std::vector<uint8_t> rgb = qztest::RgbBytes(pattern);
    for (auto& v : rgb) v = uint8_t(255 - v);
    QZIO_SetBufferData(image, 0, 0, 30, 21, 90, kQzioLayoutRGB, rgb.data());
    QZIO_FreeBuffer(pattern);
    FillGrey(image->mask, 40);
    image->settings = SampleSettings(2);
    QZIO_ImageBuffer* sub = QZIO_AddLayer(image, 30, 21, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
    FillGrey(sub, 90);
    sub->settings = SampleSettings(3);
    sub->firstAttached = qztest::MakePattern(5, 4);
    sub->secondAttached = qztest::MakePattern(6, 2);
    QZIO_ImageBuffer* third = QZIO_AddLayer(doc, 37, 23, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
    FillGrey(third, 200);
    third->settings = SampleSettings(4);
    third->firstAttached = qztest::MakePattern(3, 3);
    return doc;
  }
  qztest::QzioLibrary library_;
};

void ExpectSamePlanes(QZIO_ImageBuffer* want, QZIO_ImageBuffer* got) {
  ASSERT_NE(got, nullptr);
  ASSERT_EQ(got->width, want->width);
  ASSERT_EQ(got->height, want->height);
  if (want->format == kQzioFormatGrey) {
    ASSERT_EQ(got->format, kQzioFormatGrey);
    EXPECT_EQ(PlaneBytes(got, got->grey), PlaneBytes(want, want->grey));
  } else {
    EXPECT_EQ(qztest::RgbBytes(got), qztest::RgbBytes(want));
  }
}

TEST_F(NativeTest, LayeredDocumentRoundTripsExactly) {
  QZIO_ImageBuffer* doc = MakeDocument();
  const std::string path = Path("doc.qls");
  ASSERT_EQ(Save(doc, path), 1u);
  const std::vector<std::pair<uint32_t, uint32_t>> expectDirs = {{1, 0}, {8, 0}, {2, 0}, {3, 0}, {4, 1},
                                                                 {5, 1}, {6, 1}, {7, 1}, {2, 0}, {6, 2}};
  EXPECT_EQ(Directories(path), expectDirs);

  uint32_t result = 0;
  QZIO_ImageBuffer* back = Load(path, &result);
  ASSERT_EQ(result, 1u);
  EXPECT_STREQ(back->header->acceptedFormat, "Quillantrix");
  ExpectSamePlanes(doc, back);

  QZIO_ImageBuffer* paint = LayerAt(back, 0);
  QZIO_ImageBuffer* image = LayerAt(back, 1);
  QZIO_ImageBuffer* third = LayerAt(back, 2);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(LayerAt(back, 3), nullptr);

  ExpectSamePlanes(LayerAt(doc, 0), paint);  // all 15 of its own rows
  ExpectSameSettings(LayerAt(doc, 0)->settings, paint->settings, 2, 0);
  ASSERT_NE(paint->settings.modeText, nullptr);
  EXPECT_STREQ(paint->settings.modeText, LayerAt(doc, 0)->settings.modeText);
  EXPECT_EQ(paint->settings.modeType, 3u);

  ExpectSamePlanes(LayerAt(doc, 1), image);
  ExpectSameSettings(LayerAt(doc, 1)->settings, image->settings, 3, 0);
  EXPECT_EQ(image->settings.modeType, 0u);  // written without a mode text
  EXPECT_EQ(image->settings.modeText, nullptr);
  ExpectSamePlanes(LayerAt(doc, 1)->mask, image->mask);
  QZIO_ImageBuffer* sub = LayerAt(image, 0);
  ExpectSamePlanes(LayerAt(LayerAt(doc, 1), 0), sub);
  ExpectSameSettings(LayerAt(LayerAt(doc, 1), 0)->settings, sub->settings, 5, 1);
  ExpectSamePlanes(LayerAt(LayerAt(doc, 1), 0)->firstAttached, sub->firstAttached);
  ExpectSamePlanes(LayerAt(LayerAt(doc, 1), 0)->secondAttached, sub->secondAttached);

  ExpectSamePlanes(LayerAt(doc, 2), third);
  ExpectSamePlanes(LayerAt(doc, 2)->firstAttached, third->firstAttached);
  EXPECT_EQ(third->secondAttached, nullptr);
  QZIO_FreeBuffer(back);
  QZIO_FreeBuffer(doc);
}

TEST_F(NativeTest, ModeObjectTravelsAsObjectText) {
  QZIO_ImageBuffer* doc = qztest::MakePattern(4, 4);
  QZIO_ImageBuffer* layer = QZIO_AddLayer(doc, 4, 4, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
  layer->settings.mode = Qz_CreateObject("Root");
  ASSERT_NE(layer->settings.mode, nullptr);
  Qz_DoMethod(layer->settings.mode, kRootSetObjectName, "Smudge");
  const std::string path = Path("mode.qls");
  ASSERT_EQ(Save(doc, path), 1u);
  QZIO_FreeBuffer(doc);  // disposes the mode object it still holds
  uint32_t result = 0;
  QZIO_ImageBuffer* back = Load(path, &result);
  ASSERT_EQ(result, 1u);
  QZIO_ImageBuffer* l = LayerAt(back, 0);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->settings.modeType, 3u);
  ASSERT_NE(l->settings.mode, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(l->settings.mode, kRootGetObjectName)), "Smudge");
  QZIO_FreeBuffer(back);
}

// A mode text holding a line this program does not know (a newer
// version's attribute) still gives the mode, without that line.
TEST_F(NativeTest, ModeTextWithAnUnknownLineReloadsWithItsMode) {
  QZIO_ImageBuffer* doc = qztest::MakePattern(4, 4);
  QZIO_ImageBuffer* layer = QZIO_AddLayer(doc, 4, 4, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
  SetModeText(layer, "Root\n{\n\tQz_SetObjectName,\t\t\tSmudge,\n\tQz_SetSmudgeReach,\t\t\t12,\n}\n");
  const std::string path = Path("unknown-line.qls");
  ASSERT_EQ(Save(doc, path), 1u);
  QZIO_FreeBuffer(doc);
  uint32_t result = 0;
  QZIO_ImageBuffer* back = Load(path, &result);
  ASSERT_EQ(result, 1u);
  QZIO_ImageBuffer* l = LayerAt(back, 0);
  ASSERT_NE(l, nullptr);
  ASSERT_NE(l->settings.mode, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(l->settings.mode, kRootGetObjectName)), "Smudge");
  QZIO_FreeBuffer(back);
}

TEST_F(NativeTest, GreyDocumentsAndCompressionsReload) {
  struct Case {
    const char* name;
    bool grey;
    uint32_t entry;
    uint16_t compression;
  };
  const Case cases[] = {{"rgb none", false, 0, COMPRESSION_NONE},
                        {"rgb packbits", false, 1, COMPRESSION_PACKBITS},
                        {"rgb deflate", false, 2, COMPRESSION_DEFLATE},
                        {"grey none", true, 0, COMPRESSION_NONE},
                        {"grey deflate", true, 2, COMPRESSION_DEFLATE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QZIO_ImageBuffer* doc;
    if (c.grey) {
      doc = QZIO_AllocBuffer(19, 7, 8, 0, kQzioFormatGrey);
      FillGrey(doc, 9);
      QZIO_ImageBuffer* layer = QZIO_AddLayer(doc, 19, 7, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
      FillGrey(layer, 33);
    } else {
      doc = qztest::MakePattern(19, 7);
    }
    Qz_Object* format = Qz_CreateObject("QuillantrixQZIO");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(Qz_DoMethod(format, 7023, c.entry), 0u);  // the pop-up's entry
    EXPECT_EQ(Qz_DoMethod(format, kQzioGetFlags), 0x103u);  // 7023 did not touch the flags
    QZIO_Header h{};
    h.buffer = doc;
    uint32_t flags = kQzioQuiet;
    const std::string path = Path("c.qls");
    ASSERT_EQ(QZIO_SaveBufferA(&h, path.c_str(), "Quillantrix", format, &flags), 1u);
    Qz_DisposeObject(format);

    if (!c.grey) {
      // Without layers: the document and its thumbnail.
      const std::vector<std::pair<uint32_t, uint32_t>> two = {{1, 0}, {8, 0}};
      EXPECT_EQ(Directories(path), two);
    }
    TIFF* tif = QZIO_TiffTagsOpen(path.c_str(), "rm");
    ASSERT_NE(tif, nullptr);
    uint16_t compression = 0;
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    EXPECT_EQ(compression, c.compression);
    QZIO_TiffTagsClose(tif);

    uint32_t result = 0;
    QZIO_ImageBuffer* back = Load(path, &result);
    ASSERT_EQ(result, 1u);
    ASSERT_EQ(back->format, kQzioFormatRGBPlanes);
    EXPECT_EQ(qztest::RgbBytes(back), qztest::RgbBytes(doc));  // grey reads as R = G = B
    if (c.grey) {
      ASSERT_NE(LayerAt(back, 0), nullptr);
      ExpectSamePlanes(LayerAt(doc, 0), LayerAt(back, 0));
    }
    QZIO_FreeBuffer(back);
    QZIO_FreeBuffer(doc);
  }
}

TEST_F(NativeTest, OtherReadersOpenTheFirstDirectory) {
  QZIO_ImageBuffer* doc = MakeDocument();
  const std::string path = Path("doc.qls");
  ASSERT_EQ(Save(doc, path), 1u);
  const std::vector<uint8_t> rgb = qztest::RgbBytes(doc);
  QZIO_FreeBuffer(doc);

  // libtiff's own RGBA reader, without our tags registered for it to matter.
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(tif, nullptr);
  std::vector<uint32_t> raster(37 * 23);
  ASSERT_EQ(TIFFReadRGBAImageOriented(tif, 37, 23, raster.data(), ORIENTATION_TOPLEFT, 0), 1);
  TIFFClose(tif);
  for (size_t i = 0; i < raster.size(); ++i) {
    ASSERT_EQ(TIFFGetR(raster[i]), rgb[i * 3]) << i;
    ASSERT_EQ(TIFFGetB(raster[i]), rgb[i * 3 + 2]) << i;
  }
  if (qztest::ToolAvailable("tiffinfo")) {
    ASSERT_EQ(qztest::Run("tiffinfo '" + path + "' > '" + Path("info.txt") + "' 2>&1"), 0);
    const std::string info = qztest::ReadFile(Path("info.txt"));
    EXPECT_NE(info.find("Image Width: 37 Image Length: 23"), std::string::npos);
    EXPECT_NE(info.find("Planar Configuration: separate image planes"), std::string::npos);
  }
  if (qztest::ToolAvailable("convert")) {
    const std::string raw = Path("first.rgb");
    ASSERT_EQ(qztest::Run("convert 'tiff:" + path + "[0]' -depth 8 'rgb:" + raw + "' 2>/dev/null"), 0);
    const std::string bytes = qztest::ReadFile(raw);
    EXPECT_EQ(bytes, std::string(rgb.begin(), rgb.end()));
  }
}

TEST_F(NativeTest, PlainTiffsAreLeftToOtherFormats) {
  const std::string path = Path("plain.tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 2);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  uint8_t row[2] = {1, 2};
  TIFFWriteScanline(tif, row, 0, 0);
  TIFFClose(tif);
  uint32_t result = 0;
  EXPECT_EQ(Load(path, &result), nullptr);
  EXPECT_EQ(result, kQzioNotRecognised);
}

TEST_F(NativeTest, DirectLoadGivesTheThumbnail) {
  QZIO_ImageBuffer* doc = qztest::MakePattern(128, 32);
  const std::string path = Path("thumb.qls");
  ASSERT_EQ(Save(doc, path), 1u);
  QZIO_FreeBuffer(doc);
  uint32_t result = 0, width = 0, height = 0;
  QZIO_ImageBuffer* thumb = QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet | kQzioDirectLoad, kQzioTagResult, &result,
                                                kQzioTagWidth, &width, kQzioTagHeight, &height, TAG_DONE);
  ASSERT_EQ(result, 1u);
  EXPECT_EQ(width, 128u);
  EXPECT_EQ(height, 32u);
  EXPECT_EQ(thumb->width, 64u);
  EXPECT_EQ(thumb->height, 16u);
  // Each thumbnail pixel is the rounded mean of a 2 x 2 block: green rows 0
  // and 1 of the pattern hold 3 and 8.
  EXPECT_EQ(thumb->green[0], 6);
  QZIO_FreeBuffer(thumb);
}

TEST_F(NativeTest, DamagedFilesEndWithACode) {
  QZIO_ImageBuffer* doc = qztest::MakePattern(6, 5);
  ASSERT_NE(QZIO_AddLayer(doc, 4, 3, 8, kQzioFormatGrey, kQzioMaskedLayer, 0), nullptr);
  const std::string good = Path("good.qls");
  ASSERT_EQ(Save(doc, good), 1u);
  QZIO_FreeBuffer(doc);
  const std::string bytes = qztest::ReadFile(good);
  const std::string bad = Path("bad.qls");
  for (size_t n = 0; n < bytes.size(); n += (n < 64 ? 1 : 97)) {
    SCOPED_TRACE("prefix " + std::to_string(n));
    qztest::WriteFile(bad, bytes.substr(0, n));
    uint32_t result = 0;
    QZIO_ImageBuffer* b = Load(bad, &result);
    EXPECT_EQ(b != nullptr, result == 1u);
    if (n < 16) {
      EXPECT_NE(result, 1u);
    }
    QZIO_FreeBuffer(b);
  }
  for (size_t i = 0; i < bytes.size(); i += 41) {
    SCOPED_TRACE("flip at " + std::to_string(i));
    std::string flipped = bytes;
    flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    qztest::WriteFile(bad, flipped);
    uint32_t result = 0;
    QZIO_ImageBuffer* b = Load(bad, &result);
    EXPECT_EQ(b != nullptr, result == 1u);
    QZIO_FreeBuffer(b);
  }
}

// Sets the first directory's width and height (SHORT or LONG entries) in a
// little-endian TIFF; false when the entries are not there.
bool ClaimSize(std::string& tiff, uint32_t width, uint32_t height) {
  auto u16 = [&](size_t at) { return uint32_t(uint8_t(tiff[at])) | uint32_t(uint8_t(tiff[at + 1])) << 8; };
  if (tiff.size() < 8 || tiff[0] != 'I') return false;
  const size_t ifd = u16(4) | u16(6) << 16;
  if (ifd + 2 > tiff.size()) return false;
  int patched = 0;
  for (uint32_t e = 0, n = u16(ifd); e < n && ifd + 2 + 12 * (e + 1) <= tiff.size(); ++e) {
    const size_t at = ifd + 2 + 12 * e;
    const uint32_t tag = u16(at);
    if (tag != 256 && tag != 257) continue;
    const uint32_t value = tag == 256 ? width : height;
    for (int i = 0; i < 4; ++i) tiff[at + 8 + i] = char(u16(at + 2) == 3 && i >= 2 ? 0 : value >> (8 * i));
    ++patched;
  }
  return patched == 2;
}

// A document whose header claims 64518 x 64507 pixels in a file of a few
// hundred bytes is damaged, found before its buffer is made.
TEST_F(NativeTest, AFileTooSmallForItsClaimedSizeIsDamaged) {
  QZIO_ImageBuffer* doc = qztest::MakePattern(6, 5);
  const std::string good = Path("good.qls");
  ASSERT_EQ(Save(doc, good), 1u);
  QZIO_FreeBuffer(doc);
  std::string bytes = qztest::ReadFile(good);
  ASSERT_TRUE(ClaimSize(bytes, 64518, 64507));
  const std::string huge = Path("huge.qls");
  qztest::WriteFile(huge, bytes);
  // Identify alone already refuses it: no buffer of the claimed size is made.
  for (uint32_t flags : {kQzioQuiet | kQzioIdentifyOnly, kQzioQuiet}) {
    uint32_t result = 0;
    EXPECT_EQ(Load(huge, &result, flags), nullptr);
    EXPECT_EQ(result, kQzioReadError);
  }
}

}  // namespace
