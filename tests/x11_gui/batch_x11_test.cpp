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

  ASSERT_NE(Qz_InitImageBase(), nullptr);
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);
  Qz__LoadCatalog("Data/Lingua/Quillantrix", "");
  Qz_InitRootQZIOClass(nullptr);
  Qz_InitBMPQZIOClass(nullptr);
  Qz_InitPNGQZIOClass(nullptr);
  Qz_GetImageBase()->ioGlobalData = QZIO_Init(nullptr);
  ASSERT_EQ(Qz_InitQZIOOptionsClass(nullptr), 1u);
  ASSERT_EQ(Qz_InitBatchProcessClass(nullptr), 1u);
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
  Qz_CleanupBatchProcessClass();
  Qz_CleanupQZIOOptionsClass();
  QZIO_Cleanup();
  Qz_GetImageBase()->ioGlobalData = nullptr;
  Qz_CleanupPNGQZIOClass();
  Qz_CleanupBMPQZIOClass();
  Qz_CleanupRootQZIOClass();
  Qz__FreeCatalog();
  Qz_CleanupImageBase();
}

}  // namespace
