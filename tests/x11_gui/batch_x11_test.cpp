// The batch window on the X11 host, used as a person would: three PNG
// files added (through a scripted file requester), an output folder chosen,
// Convert clicked; the BMP files written hold the same pixels (ImageMagick
// compares them).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "gadgets/qz_screen.h"
#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/catalogue.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "requesters/qz_batch_process.h"
#include "requesters/qz_qzio_options.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"
#include "x11_gui/x11_gui_support.h"
#include "support/external_tools.h"

namespace {

using namespace qztest::x11;
namespace fs = std::filesystem;

// The classes and the screen a batch window needs, registered for one test.
struct BatchClasses {
  bool ready = false;
  BatchClasses() {
    if (Qz_InitImageBase() == nullptr || OpenScreenTags(nullptr) == nullptr) return;
    Qz__LoadCatalog("Data/Lingua/Quillantrix", "");
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitBMPQZIOClass(nullptr);
    Qz_InitPNGQZIOClass(nullptr);
    Qz_InitJPEGQZIOClass(nullptr);
    Qz_InitTIFFQZIOClass(nullptr);
    Qz_GetImageBase()->ioGlobalData = QZIO_Init(nullptr);
    ready = Qz_InitQZIOOptionsClass(nullptr) == 1 && Qz_InitBatchProcessClass(nullptr) == 1;
  }
  ~BatchClasses() {
    Qz_CleanupBatchProcessClass();
    Qz_CleanupQZIOOptionsClass();
    QZIO_Cleanup();
    Qz_GetImageBase()->ioGlobalData = nullptr;
    Qz_CleanupTIFFQZIOClass();
    Qz_CleanupJPEGQZIOClass();
    Qz_CleanupPNGQZIOClass();
    Qz_CleanupBMPQZIOClass();
    Qz_CleanupRootQZIOClass();
    Qz__FreeCatalog();
    Qz_CleanupImageBase();
  }
};

std::vector<std::string> gSources;
std::string gFolder;
std::vector<std::string> ChosenFiles(Qz_Object*) { return gSources; }
std::string ChosenFolder(Qz_Object*, const std::string&) { return gFolder; }

TEST(X11Batch, ThreePngsConvertToBmpWithTheSamePixels) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (!qztest::haveTool("xdotool") || !qztest::haveTool("import") || !qztest::haveTool("compare")) GTEST_SKIP() << "tools missing";
  qztest::ScopedStateRoot stateRoot;
  qztest::TempDir dir;
  fs::create_directory(dir.file("out"));
  const int sizes[3][2] = {{17, 9}, {40, 25}, {3, 60}};
  for (int i = 0; i < 3; ++i) {
    const std::string ppm = dir.file("p" + std::to_string(i) + ".ppm");
    gSources.push_back(dir.file("picture" + std::to_string(i) + ".png"));
    qztest::WritePattern(ppm, sizes[i][0], sizes[i][1]);
    ASSERT_EQ(std::system(("convert '" + ppm + "' '" + gSources.back() + "'").c_str()), 0);
  }
  gFolder = dir.file("out");

  BatchClasses classes;
  ASSERT_TRUE(classes.ready);
  qz::batch::setChoosers(ChosenFiles, ChosenFolder);

  Qz_Object* batch = Qz_CreateObject("BatchProcess");
  ASSERT_NE(batch, nullptr);
  std::future<QzWord> converted = std::async(std::launch::async, [batch] { return Qz_DoMethod(batch, kBatchRun); });
  Qz_Object* win = waitForActiveWindow("Batch Convert");
  ASSERT_NE(win, nullptr);
  ASSERT_TRUE(settle(win));
  Window* w = Qz__PlatformWindowOf(win);
  // BMP chosen on the window's own thread, as the pop-up would.
  auto* format = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win, kRootFindByName, "FileFormat"));
  ASSERT_NE(format, nullptr);
  Qz_DoMethod(format, kRootSetAsyncPort, Qz_RootInstance(win)->asyncPort);
  Qz_DoAsyncMethod(format, kQzioOptionsReset, "BMP");
  ASSERT_TRUE(settle(win));
  for (const char* name : {"AddFiles", "Choose"}) {
    SCOPED_TRACE(name);
    auto* button = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win, kRootFindByName, name));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(clickObject(w, button));
    ASSERT_TRUE(settle(win));
  }
  Screenshot shot;
  EXPECT_TRUE(shot.take(screenshotPath("batch_screenshot.png")));
  ASSERT_TRUE(clickObject(w, reinterpret_cast<Qz_Object*>(Qz_DoMethod(win, kRootFindByName, "Convert"))));
  ASSERT_EQ(converted.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(converted.get(), 3u);
  for (int i = 0; i < 3; ++i) {
    const std::string bmp = dir.file("out/picture" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(fs::exists(bmp)) << bmp;
    EXPECT_EQ(qztest::pixelDifferences(gSources[i], bmp), 0) << bmp;
  }

  Qz_DisposeObject(batch);
  qz::batch::setChoosers(nullptr, nullptr);
}

// What an open batch window shows, after the formats in `whileOpen` were
// chosen one after the other (on the window's thread, as the pop-up does);
// `atStart` is chosen before the window opens. Empty when it did not open.
struct Shown {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};
Shown batchWindowShown(const char* atStart, const std::vector<const char*>& whileOpen) {
  Shown shown;
  Qz_Object* batch = Qz_CreateObject("BatchProcess");
  if (batch == nullptr) return shown;
  auto* format = reinterpret_cast<Qz_Object*>(Qz_DoMethod(batch, kRootFindByName, "FileFormat"));
  if (format != nullptr && atStart != nullptr) Qz_DoMethod(format, kQzioOptionsReset, atStart);
  std::future<QzWord> run = std::async(std::launch::async, [batch] { return Qz_DoMethod(batch, kBatchRun); });
  Qz_Object* win = waitForActiveWindow("Batch Convert");
  Window* w = win != nullptr && settle(win) ? Qz__PlatformWindowOf(win) : nullptr;
  if (w != nullptr && format != nullptr) {
    Qz_DoMethod(format, kRootSetAsyncPort, Qz_RootInstance(win)->asyncPort);
    for (const char* name : whileOpen) {
      Qz_DoAsyncMethod(format, kQzioOptionsReset, name);
      settle(win);
    }
    // The pointer away from the window, so nothing shows it hovered.
    xdotool("mousemove 1020 760");
    settle(win);
    shown.width = w->Width;
    shown.height = w->Height;
    shown.pixels = steadyPixels(w->LeftEdge, w->TopEdge, w->Width, w->Height);
    clickObject(w, buttonLabelled(win, "Cancel"));
  }
  if (run.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "the batch window did not close";
    return shown;  // the window still runs: left to the process's end
  }
  Qz_DisposeObject(batch);
  return shown;
}

// A format whose options differ, chosen in the open window: the window
// shows exactly what a fresh window opened on that format shows, nothing
// of the old options under or beside the new ones.
TEST(X11Batch, AFormatChosenAnewShowsWhatAFreshWindowShows) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (!qztest::haveTool("xdotool")) GTEST_SKIP() << "xdotool missing";
  qztest::ScopedStateRoot stateRoot;
  BatchClasses classes;
  ASSERT_TRUE(classes.ready);
  // The window joins a Screen object, as the program's requesters do.
  Qz_Object* screen = Qz_CreateObject("Screen", kScreenSetTitle, "Main");
  ASSERT_NE(screen, nullptr);
  ASSERT_EQ(Qz_DoMethod(screen, kScreenOpen), 1u);
  Qz_GetImageBase()->screen = screen;
  struct Case {
    const char* name;
    std::vector<const char*> chosen;
  };
  for (const Case& c : {Case{"more options", {"JPEG"}}, Case{"more, then fewer", {"JPEG", "BMP"}},
                        Case{"other options", {"TIFF"}}}) {
    SCOPED_TRACE(c.name);
    const Shown changed = batchWindowShown(nullptr, c.chosen);
    const Shown fresh = batchWindowShown(c.chosen.back(), {});
    ASSERT_FALSE(changed.pixels.empty());
    ASSERT_FALSE(fresh.pixels.empty());
    ASSERT_EQ(changed.width, fresh.width);
    ASSERT_EQ(changed.height, fresh.height);
    ASSERT_EQ(changed.pixels.size(), fresh.pixels.size());
    int differing = 0;
    for (std::size_t i = 0; i < fresh.pixels.size(); ++i) differing += changed.pixels[i] != fresh.pixels[i];
    EXPECT_EQ(differing, 0);
  }
  Qz_GetImageBase()->screen = nullptr;
  Qz_DoMethod(screen, kScreenClose);
  Qz_DisposeObject(screen);
}

}  // namespace
