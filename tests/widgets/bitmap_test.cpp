#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "canvas.h"
#include "gadgets/qz_widgets.h"
#include "ilbm_builder.h"
#include "support/temp_dir.h"

namespace {

class BitMapGadget : public qztest::Canvas {
 protected:
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
    return path;
  }
  static uint32_t colorRef(const qztest::IlbmSpec& s, uint8_t index) {
    return uint32_t(s.palette[index * 3]) | (uint32_t(s.palette[index * 3 + 1]) << 8) |
           (uint32_t(s.palette[index * 3 + 2]) << 16);
  }
  qztest::TempDir dir;
};

TEST_F(BitMapGadget, ShowsAFilePictureAtItsOwnSize) {
  struct Case {
    uint16_t w, h;
    bool colourZeroShownAsBackground;
  };
  for (const Case c : {Case{13, 9, true}, Case{48, 48, false}}) {
    SCOPED_TRACE(c.w);
    clear();
    qztest::IlbmSpec spec = qztest::samplePicture(c.w, c.h, 4, 1);
    spec.pixels[0] = 0;
    spec.pixels[1] = 5;
    const std::string path = write("p.iff", qztest::buildIlbm(spec));
    Qz_Object* b = attach(Qz_CreateObject("BitMap", kBitMapLoad, path.c_str()));
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(b, kBitMapGetFileName)), path.c_str());
    EXPECT_NE(Qz_DoMethod(b, kBitMapGetBitMap), 0u);
    Qz_DoMethod(b, kRootMeasure);
    const Qz_LayoutBox* bx = box(b);
    EXPECT_EQ(bx->width, c.w);
    EXPECT_EQ(bx->minWidth, c.w);
    EXPECT_EQ(bx->maxWidth, c.w);
    EXPECT_EQ(bx->maxHeight, c.h);
    placeAt(b, 20, 30, bx->width, bx->height);
    Qz_DoMethod(b, kRootDraw);
    EXPECT_EQ(at(20, 30), c.colourZeroShownAsBackground ? Qz_ResolvePen(info.backgroundPen) : colorRef(spec, 0));
    EXPECT_EQ(at(21, 30), colorRef(spec, 5));
    const int last = (c.h - 1) * c.w + (c.w - 1);
    EXPECT_EQ(at(20 + c.w - 1, 30 + c.h - 1),
              spec.pixels[last] == 0 && c.colourZeroShownAsBackground ? Qz_ResolvePen(info.backgroundPen)
                                                                      : colorRef(spec, spec.pixels[last]));
    EXPECT_EQ(at(20 + c.w, 30), qztest::kWhite);
    Qz_DisposeObject(b);
  }
}

TEST_F(BitMapGadget, DamagedOrMissingPicturesShowNothing) {
  std::vector<uint8_t> damaged = qztest::buildIlbm(qztest::samplePicture(16, 16, 3, 1));
  damaged.resize(damaged.size() - 9);
  const std::string cases[] = {write("damaged.iff", damaged), dir.file("missing.iff"),
                               write("text.iff", {'h', 'e', 'l', 'l', 'o'})};
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    Qz_Object* b = attach(Qz_CreateObject("BitMap", kBitMapLoad2, path.c_str()));
    ASSERT_NE(b, nullptr);
    Qz_DoMethod(b, kRootMeasure);
    EXPECT_EQ(box(b)->width, 0);
    EXPECT_EQ(box(b)->height, 0);
    placeAt(b, 0, 0, 16, 16);
    Qz_DoMethod(b, kRootDraw);
    EXPECT_EQ(ink(0, 0, 20, 20), 0);
    EXPECT_EQ(Qz_DoMethod(b, kBitMapGetBitMap), 0u);
    Qz_DisposeObject(b);
  }
  // A picture size set by hand still holds the room.
  Qz_Object* b = Qz_CreateObject("BitMap", kBitMapSetWidth, 16, kBitMapSetHeight, 13, kBitMapLoad,
                                 dir.file("missing.iff").c_str());
  Qz_DoMethod(b, kRootMeasure);
  EXPECT_EQ(box(b)->width, 16);
  EXPECT_EQ(box(b)->height, 13);
  Qz_DisposeObject(b);
}

TEST_F(BitMapGadget, ToolBarPicturesComeFromTheImagesVolume) {
  const qztest::IlbmSpec spec = qztest::samplePicture(20, 18, 5, 1);
  write("Data/Images/ToolBar/Brush", qztest::buildIlbm(spec));
  const char* old = std::getenv("QZ_DATA_DIR");
  const std::string saved = old != nullptr ? old : "";
  setenv("QZ_DATA_DIR", dir.path().c_str(), 1);
  Qz_Object* b = Qz_CreateObject("BitMap", kBitMapToolBarName, "Brush");
  if (old != nullptr) setenv("QZ_DATA_DIR", saved.c_str(), 1);
  else unsetenv("QZ_DATA_DIR");
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(b, kBitMapGetToolBarName)), "Brush");
  Qz_DoMethod(b, kRootMeasure);
  EXPECT_EQ(box(b)->width, 20);
  EXPECT_EQ(box(b)->height, 18);
  Qz_DisposeObject(b);
}

TEST_F(BitMapGadget, SharedPicturesOutliveEitherUser) {
  const qztest::IlbmSpec spec = qztest::samplePicture(10, 10, 3, 0);
  const std::string path = write("f.iff", qztest::buildIlbm(spec));
  for (bool ownerFirst : {true, false}) {
    SCOPED_TRACE(ownerFirst);
    Qz_Object* owner = Qz_CreateObject("BitMap", kBitMapLoad, path.c_str());
    Qz_Object* user = attach(Qz_CreateObject("BitMap"));
    EXPECT_EQ(Qz_DoMethod(user, kBitMapShare, owner), 1u);
    EXPECT_EQ(Qz_DoMethod(user, kBitMapGetBitMap), Qz_DoMethod(owner, kBitMapGetBitMap));
    Qz_DisposeObject(ownerFirst ? owner : user);
    Qz_Object* left = ownerFirst ? user : owner;
    attach(left);
    Qz_DoMethod(left, kRootMeasure);
    EXPECT_EQ(box(left)->width, 10);
    placeAt(left, 0, 0, 10, 10);
    clear();
    Qz_DoMethod(left, kRootDraw);  // ASan: the picture must still be there
    EXPECT_EQ(at(9, 9), colorRef(spec, spec.pixels[99]) * (spec.pixels[99] != 0) +
                            Qz_ResolvePen(info.backgroundPen) * (spec.pixels[99] == 0));
    Qz_DisposeObject(left);
  }
}

TEST_F(BitMapGadget, AHandedInBitmapGivesTheSize) {
  BitMap* bm = AllocBitMap(33, 7, 8, BMF_CLEAR, nullptr);
  ASSERT_NE(bm, nullptr);
  Qz_Object* b = Qz_CreateObject("BitMap", kBitMapUseBitMap, bm);
  EXPECT_EQ(Qz_DoMethod(b, kBitMapGetBitMap2), reinterpret_cast<QzWord>(bm));
  Qz_DoMethod(b, kRootMeasure);
  EXPECT_EQ(box(b)->width, int(GetBitMapAttr(bm, BMA_WIDTH)));  // whole rows of the bitmap
  EXPECT_EQ(box(b)->height, 7);
  Qz_DisposeObject(b);  // not ours: the bitmap survives
  FreeBitMap(bm);
}

}  // namespace
