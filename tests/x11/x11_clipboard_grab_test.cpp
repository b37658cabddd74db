// Pictures through the X clipboard and screen grabs, checked against other
// X clients: xclip reads what we copy and offers what we paste, and a desktop
// grab shows what `xwd -root` shows.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "class_test_support.h"
#include "codec_test_support.h"
#include "foreign_window.h"
#include "objects/qz_object.h"
#include "platform/clipboard.h"
#include "platform/screen_grab.h"
#include "platform/windows.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "support/temp_dir.h"

namespace {

using qztest::Buffer;
using qztest::RgbImage;

bool haveTool(const char* name) { return !qztest::toolPath(name).empty(); }

class X11PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    screen_ = OpenScreenTags(nullptr);
    ASSERT_NE(screen_, nullptr);
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitClipboardQZIOClass(nullptr);
    Qz_InitScreenGrabQZIOClass(nullptr);
  }
  void TearDown() override {
    if (!screen_) return;
    Qz_CleanupScreenGrabQZIOClass();
    Qz_CleanupClipboardQZIOClass();
    Qz_CleanupRootQZIOClass();
  }
  static Buffer loadFrom(const char* className, uint32_t& result) {
    Qz_Object* source = Qz_CreateObject(className);
    if (!source) return nullptr;
    Buffer b(QZIO_LoadBufferFromQZIO(source, kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
    Qz_DisposeObject(source);
    return b;
  }

  Screen* screen_ = nullptr;
  qztest::TempDir dir_;
};

// What we copy, another program pastes as PNG and as BMP with the same pixels.
TEST_F(X11PictureTest, ACopiedPictureReadsBackThroughXclip) {
  if (!haveTool("xclip") || !haveTool("convert")) GTEST_SKIP() << "xclip or ImageMagick is missing";
  const RgbImage picture = qztest::makeGradient(37, 23);
  Buffer b = qztest::rgbBufferOf(picture);
  ASSERT_NE(b, nullptr);
  const qzio::FormatClass* cls = qzio::FindFormatClass("ClipboardQZIO");
  ASSERT_NE(cls, nullptr);
  QZIO_Header header{};
  header.buffer = b.get();
  ASSERT_EQ(cls->save(qzio::FormatCall{nullptr, nullptr}, &header), qz::codec::kOk);
  for (const char* type : {"png", "bmp"}) {
    const std::string file = dir_.path() + "/from-clipboard." + type;
    // The selection is served from our display thread while xclip waits;
    // that thread takes the selection a moment after the copy returns, and
    // until then xclip finds no owner and gives up at once.
    const std::string paste =
        "timeout 10 xclip -selection clipboard -t image/" + std::string(type) + " -o > '" + file + "'";
    bool pasted = false;
    for (int attempt = 0; attempt < 50 && !pasted; ++attempt) {
      pasted = qztest::run(paste);
      if (!pasted) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(pasted) << type;
    RgbImage shown;
    ASSERT_TRUE(qztest::decodeWithImageMagick(file, shown, dir_.path())) << type;
    EXPECT_EQ(qztest::maxDifference(shown, picture), 0) << type;
  }
}

// A picture another program put on the clipboard pastes with its pixels.
TEST_F(X11PictureTest, APictureXclipOffersPastesBack) {
  if (!haveTool("xclip")) GTEST_SKIP() << "xclip is missing";
  const RgbImage picture = qztest::makeGradient(19, 11);
  const std::string ppm = dir_.path() + "/offered.ppm";
  const std::string png = dir_.path() + "/offered.png";
  qztest::writePpm(ppm, picture);
  ASSERT_TRUE(qztest::run("convert '" + ppm + "' '" + png + "'"));
  // xclip stays behind to serve the selection until another owner takes it
  // or the display ends; its output must not hold the test's pipes.
  ASSERT_TRUE(qztest::run("xclip -selection clipboard -t image/png -i '" + png + "' >/dev/null 2>&1"));
  uint32_t result = 0;
  Buffer back;
  // xclip takes the selection a moment after it starts; until then the
  // clipboard may still hold what an earlier test copied.
  const auto offeredByXclip = [&] { return back && back->width == picture.width && back->height == picture.height; };
  for (int attempt = 0; attempt < 400 && !offeredByXclip(); ++attempt) {
    back = loadFrom("ClipboardQZIO", result);
    if (!offeredByXclip()) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ASSERT_NE(back, nullptr) << result;
  EXPECT_EQ(qztest::maxDifference(qztest::imageFrom(back.get()), picture), 0);
}

// A desktop grab has the X screen's size and the pixels xwd reads off it.
TEST_F(X11PictureTest, ADesktopGrabMatchesXwd) {
  if (!haveTool("xwd") || !haveTool("convert")) GTEST_SKIP() << "xwd or ImageMagick is missing";
  Window* w = OpenWindowTags(nullptr, WA_Left, 40, WA_Top, 30, WA_InnerWidth, 120, WA_InnerHeight, 80, WA_Title,
                             "Grabbed", TAG_DONE);
  ASSERT_NE(w, nullptr);
  const qzio::FormatClass* cls = qzio::FindFormatClass("ScreenGrabQZIO");
  ASSERT_NE(cls, nullptr);
  for (const auto& [id, value] : {std::pair<uint32_t, QzWord>{7020, 0}, {7040, 0}}) {  // desktop, no delay
    const QzWord args[] = {value, 0};
    QzWord answer = 0;
    ASSERT_TRUE(cls->option(qzio::FormatCall{nullptr, nullptr}, id, args, &answer));
  }
  // The window may still be showing when the first pair is read: both read
  // again until they read one screen.
  int difference = -1;
  for (int attempt = 0; attempt < 20 && difference != 0; ++attempt) {
    uint32_t result = 0;
    Buffer grabbed = loadFrom("ScreenGrabQZIO", result);
    ASSERT_NE(grabbed, nullptr) << result;
    const std::string xwd = dir_.path() + "/root.xwd";
    ASSERT_TRUE(qztest::run("xwd -root -silent -out '" + xwd + "'"));
    RgbImage shown;
    ASSERT_TRUE(qztest::decodeWithImageMagick(xwd, shown, dir_.path()));
    ASSERT_EQ(grabbed->width, shown.width);
    ASSERT_EQ(grabbed->height, shown.height);
    difference = qztest::maxDifference(qztest::imageFrom(grabbed.get()), shown);
  }
  EXPECT_EQ(difference, 0);
  CloseWindow(w);
}

// Another program's window the window manager says is active: a grab takes
// it with the frame the manager drew, or its client area.
TEST_F(X11PictureTest, ActiveWindowGrabsFollowTheWindowManager) {
  const long kFrame[4] = {2, 3, 20, 4};  // left, right, top, bottom
  auto foreign = std::make_unique<qztest::ForeignActiveWindow>(300, 200, 100, 50, kFrame);
  ASSERT_TRUE(foreign->ok());
  struct Case {
    int32_t source, left, top, width, height;
  };
  for (const Case& c : {Case{kQzGrabActiveWindow, 298, 180, 105, 74}, Case{kQzGrabActiveClient, 300, 200, 100, 50},
                        Case{kQzGrabDesktop, 0, 0, 1024, 768}}) {
    int32_t left = -1, top = -1, width = -1, height = -1;
    ASSERT_EQ(Qz_ScreenGrabRect(c.source, &left, &top, &width, &height), 1) << c.source;
    EXPECT_EQ(left, c.left) << c.source;
    EXPECT_EQ(top, c.top) << c.source;
    EXPECT_EQ(width, c.width) << c.source;
    EXPECT_EQ(height, c.height) << c.source;
  }

  // Without a window manager's word the active window is ours (the
  // headless grab tests cover that case); with none active there is none.
  foreign.reset();
  int32_t left = 0, top = 0, width = 0, height = 0;
  if (Qz_GetActiveWindow() == nullptr) {
    EXPECT_EQ(Qz_ScreenGrabRect(kQzGrabActiveWindow, &left, &top, &width, &height), 0);
  }
}

}  // namespace
