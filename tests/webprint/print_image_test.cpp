// Printing to a file: where the page set-up puts the picture, Ghostscript
// rendering our page back to the image's pixels, grey pictures, the lock
// held while printing and a cancelled requester.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "app/print_image.h"
#include "app/print_page.h"
#include "image/qz_image.h"
#include "objects/message_box.h"
#include "objects/qz_class_kit.h"
#include "requesters/qz_page_setup.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"
#include "web_print_support.h"

namespace {

using qz::print::Device;
using qz::print::DeviceRect;
using qz::print::PageMillimetres;

TEST(PrintPage, DeviceRectangleTakesOffTheMinimumMarginsAndTruncates) {
  struct Case {
    const char* name;
    PageMillimetres page;
    Device device;
    DeviceRect rect;
  };
  const Case cases[] = {
      {"an inch less a quarter inch margin", {25.4f, 25.4f, 25.4f, 50.8f}, {250, 250, 300}, {224, 224, 299, 599}},
      {"left at the minimum margin", {6.35f, 6.35f, 10, 10}, {250, 250, 300}, {0, 0, 118, 118}},
      {"no margins", {10, 20, 30, 40}, {0, 0, 300}, {118, 236, 354, 472}},
      {"another resolution", {25.4f, 0, 25.4f, 25.4f}, {0, 0, 600}, {599, 0, 599, 599}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DeviceRect r = qz::print::deviceRect(c.page, c.device);
    EXPECT_EQ(r.x, c.rect.x);
    EXPECT_EQ(r.y, c.rect.y);
    EXPECT_EQ(r.width, c.rect.width);
    EXPECT_EQ(r.height, c.rect.height);
  }
}

// A stand-in page set-up with fixed millimetres; on the first read of its
// left margin (which printing does under the image's lock) it runs a hook.
struct StandInPageSetup {
  Qz_Object header;
};
PageMillimetres gPage;
Qz_Image* gSetImage = nullptr;
std::function<void()> gOnRead;

QzWord StandInDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kPageSetupSetImage: gSetImage = reinterpret_cast<Qz_Image*>(args[0]); return 0;
    case kPageSetupGetImage: return reinterpret_cast<QzWord>(gSetImage);
    case kPageSetupRun: return 1;
    case kPageSetupGetLeft:
      if (gOnRead) std::exchange(gOnRead, nullptr)();
      return Qz_FloatToULONG(gPage.left);
    case kPageSetupGetTop: return Qz_FloatToULONG(gPage.top);
    case kPageSetupGetPrintWidth: return Qz_FloatToULONG(gPage.width);
    case kPageSetupGetPrintHeight: return Qz_FloatToULONG(gPage.height);
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

const qz::kit::ClassDecl kStandIn = {.name = "PageSetup", .superName = "Root", .classId = 0x7E210000,
                                     .instance = qz::kit::instanceOf<StandInPageSetup>(),
                                     .handler = StandInDispatch, .notice = ""};

// The P6 file Ghostscript wrote.
struct Raster {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;
  uint32_t at(int32_t x, int32_t y) const {
    const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
};

Raster ReadP6(const std::string& path) {
  Raster r;
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maximum = 0;
  in >> magic >> std::ws;
  while (in.peek() == '#') in.ignore(1 << 16, '\n');  // Ghostscript names itself in a comment
  in >> r.width >> r.height >> maximum;
  in.get();
  if (magic != "P6" || maximum != 255) return {};
  r.rgb.resize(size_t(r.width) * size_t(r.height) * 3);
  in.read(reinterpret_cast<char*>(r.rgb.data()), std::streamsize(r.rgb.size()));
  return in ? r : Raster{};
}

// Renders the PostScript at 300 pixels per inch on a two-inch square sheet.
Raster Render(const std::string& postScript, const std::string& out) {
  const std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r300 -dDEVICEWIDTHPOINTS=144 "
                              "-dDEVICEHEIGHTPOINTS=144 -dFIXEDMEDIA -sOutputFile='" + out + "' '" + postScript +
                              "' 2>/dev/null";
  // The exit status is not looked at: a test program that ignores SIGCHLD never gets one.
  std::system(command.c_str());
  return ReadP6(out);
}

uint32_t Channel(uint32_t rgb, int shift) { return (rgb >> shift) & 0xFF; }

class PrintImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(qz::kit::addClass(kStandIn), 1u);
    gPage = {10.0f, 20.0f, kWidth * kScale / 300.0f * 25.4f, kHeight * kScale / 300.0f * 25.4f};
    qz::print::setPrintRequest([this](qz::print::PrintChoice& c) {
      c.printer.clear();
      c.file = dir_.file("page.ps");
      return answer_;
    });
  }
  void TearDown() override {
    qz::print::setPrintRequest({});
    gOnRead = nullptr;
    for (Qz_Image* image : images_) Qz_DisposeObject(&image->object);
    ResetPageSetup();
    qz::kit::removeClass(kStandIn);
  }
  static void ResetPageSetup() {
    Qz_ImageBase* base = Qz_GetImageBase();
    Qz_DisposeObject(base->pageSetup);
    base->pageSetup = nullptr;
    gSetImage = nullptr;
  }
  Qz_Image* Load(const std::string& path) {
    Qz_Image* image = qztest::LoadPlain(path);
    if (image != nullptr) images_.push_back(image);
    return image;
  }
  // Every image pixel, sampled at the middle of the device pixels it covers.
  void ExpectPrinted(const Raster& page, const std::function<uint32_t(int32_t, int32_t)>& expected) {
    ExpectPrintedAt(page, qz::print::deviceRect(gPage, Device{}), expected);
  }
  void ExpectPrintedAt(const Raster& page, const DeviceRect& rect,
                       const std::function<uint32_t(int32_t, int32_t)>& expected) {
    ASSERT_GT(page.width, 0) << "Ghostscript rendered nothing";
    int wrong = 0;
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        const int32_t px = rect.x + int32_t((x + 0.5) * rect.width / kWidth);
        const int32_t py = rect.y + int32_t((y + 0.5) * rect.height / kHeight);
        const uint32_t got = page.at(px, py), want = expected(x, y);
        for (int shift : {16, 8, 0})
          if (std::abs(int(Channel(got, shift)) - int(Channel(want, shift))) > 2) ++wrong;
      }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(page.at(rect.x - 2, rect.y + rect.height / 2), 0xFFFFFFu) << "left of the picture stays paper";
    EXPECT_EQ(page.at(rect.x + rect.width / 2, rect.y - 2), 0xFFFFFFu) << "above the picture stays paper";
  }

  static constexpr int32_t kWidth = 23, kHeight = 17, kScale = 4;
  qztest::TempDir dir_;
  bool answer_ = true;
  std::vector<Qz_Image*> images_;
};

TEST_F(PrintImageTest, GhostscriptRendersThePageToTheImagesPixels) {
  qztest::WritePattern(dir_.file("p.ppm"), kWidth, kHeight);
  Qz_Image* image = Load(dir_.file("p.ppm"));
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(Qz_PrintImage(image), 1);
  ExpectPrinted(Render(dir_.file("page.ps"), dir_.file("page.ppm")), [](int32_t x, int32_t y) {
    return uint32_t(qztest::PatternRed(x, y)) << 16 | uint32_t(qztest::PatternGreen(x, y)) << 8 |
           qztest::PatternBlue(x, y);
  });
}

TEST_F(PrintImageTest, ThePageSetupsOwnPlaceIsWherePrintingPutsThePicture) {
  qz::kit::removeClass(kStandIn);
  ASSERT_EQ(Qz_InitPageSetupClass(nullptr), 1u);
  qztest::WritePattern(dir_.file("p.ppm"), kWidth, kHeight);
  Qz_Image* image = Load(dir_.file("p.ppm"));
  ASSERT_NE(image, nullptr);
  // As the page set-up requester leaves it: made for the image, then moved.
  Qz_Object* setup = Qz_CreateObject("PageSetup");
  ASSERT_NE(setup, nullptr);
  Qz_GetImageBase()->pageSetup = setup;
  Qz_DoMethod(setup, kPageSetupSetImage, image);
  Qz_DoMethod(setup, kPageSetupSetLeft, Qz_FloatToULONG(12.7f));
  Qz_DoMethod(setup, kPageSetupSetTop, Qz_FloatToULONG(6.35f));
  const auto millimetres = [&](uint32_t method) {
    const uint32_t bits = uint32_t(Qz_DoMethod(setup, method));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  };
  const PageMillimetres page{millimetres(kPageSetupGetLeft), millimetres(kPageSetupGetTop),
                             millimetres(kPageSetupGetPrintWidth), millimetres(kPageSetupGetPrintHeight)};
  EXPECT_FLOAT_EQ(page.left, 12.7f);
  const bool printed = Qz_PrintImage(image) == 1;
  ResetPageSetup();
  Qz_CleanupPageSetupClass();
  ASSERT_TRUE(printed);
  ExpectPrintedAt(Render(dir_.file("page.ps"), dir_.file("page.ppm")), qz::print::deviceRect(page, Device{}),
                  [](int32_t x, int32_t y) {
                    return uint32_t(qztest::PatternRed(x, y)) << 16 | uint32_t(qztest::PatternGreen(x, y)) << 8 |
                           qztest::PatternBlue(x, y);
                  });
}

TEST_F(PrintImageTest, AGreyImagePrintsAsGrey) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  ASSERT_NE(image, nullptr);
  images_.push_back(image);
  ASSERT_NE(Qz_AllocImage(image, kWidth, kHeight, 8, kQzAllocNoThread | kQzAllocNoUndo, nullptr), nullptr);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) image->grey[y][x] = uint8_t((x * 11 + y * 5) & 0xFF);
  ASSERT_EQ(Qz_PrintImage(image), 1);
  ExpectPrinted(Render(dir_.file("page.ps"), dir_.file("page.ppm")), [](int32_t x, int32_t y) {
    const uint32_t v = uint32_t((x * 11 + y * 5) & 0xFF);
    return v << 16 | v << 8 | v;
  });
}

TEST_F(PrintImageTest, PageSetupIsMadeOnceAndShownForTheImage) {
  qztest::WritePattern(dir_.file("p.ppm"), kWidth, kHeight);
  Qz_Image* image = Load(dir_.file("p.ppm"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Qz_ShowPageSetupReq(image), 1u);
  EXPECT_EQ(gSetImage, image);
  Qz_Object* made = Qz_GetImageBase()->pageSetup;
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(Qz_ShowPageSetupReq(image), 1u);
  EXPECT_EQ(Qz_GetImageBase()->pageSetup, made);
}

TEST_F(PrintImageTest, CancelPrintsNothing) {
  qztest::WritePattern(dir_.file("p.ppm"), kWidth, kHeight);
  Qz_Image* image = Load(dir_.file("p.ppm"));
  ASSERT_NE(image, nullptr);
  answer_ = false;
  EXPECT_EQ(Qz_PrintImage(image), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("page.ps")));
  EXPECT_EQ(image->lockCount.load(), 0);
}

// A print that fails says why in a box, and reports the failure.
TEST_F(PrintImageTest, AFailedPrintSaysWhy) {
  qztest::WritePattern(dir_.file("p.ppm"), kWidth, kHeight);
  Qz_Image* image = Load(dir_.file("p.ppm"));
  ASSERT_NE(image, nullptr);
  struct Case {
    const char* name;
    std::string printer, file;
    std::string says;
  };
  const Case cases[] = {
      {"file in a missing folder", "", dir_.file("no/such/page.ps"), "cannot be written: No such file or directory"},
      {"printer that takes nothing", "no-such-printer-here", "", "The printer \"no-such-printer-here\" did not take the page"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qz::print::setPrintRequest([&c](qz::print::PrintChoice& choice) {
      choice.printer = c.printer;
      choice.file = c.file;
      return true;
    });
    qz::msgbox::resetScript();
    EXPECT_EQ(Qz_PrintImage(image), 0);
    const std::vector<qz::msgbox::Shown> boxes = qz::msgbox::shownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Print");
    EXPECT_NE(boxes[0].text.find(c.says), std::string::npos) << boxes[0].text;
    EXPECT_EQ(image->lockCount.load(), 0);
  }
}

TEST_F(PrintImageTest, AnExclusiveLockWaitsUntilThePageIsWritten) {
  qztest::WritePattern(dir_.file("p.ppm"), kWidth, kHeight);
  Qz_Image* image = Load(dir_.file("p.ppm"));
  ASSERT_NE(image, nullptr);
  std::atomic<int> pageThereAtLock{-1};
  std::thread other;
  gOnRead = [&] {
    other = std::thread([&] {
      if (Qz_LockImageA(image, kQzLockExclusive, nullptr) != 1) return;
      pageThereAtLock = std::filesystem::exists(dir_.file("page.ps")) ? 1 : 0;
      Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
    });
  };
  EXPECT_EQ(Qz_PrintImage(image), 1);
  ASSERT_TRUE(other.joinable());
  other.join();
  EXPECT_EQ(pageThereAtLock.load(), 1);
}

}  // namespace
