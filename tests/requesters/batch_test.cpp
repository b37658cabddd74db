// Batch conversion: where outputs go (never over a source, never two on one
// name), the pixels of what is written (checked with ImageMagick), cancel,
// and the window's list, Convert and Cancel.
#include "requesters/qz_batch_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "host/headless/headless_host.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "requesters/batch_conversion.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"
#include "format_env.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Pixels that differ between two pictures, as ImageMagick counts them.
long Differences(const std::string& a, const std::string& b) {
  FILE* pipe = popen(("compare -metric AE '" + a + "' '" + b + "' null: 2>&1").c_str(), "r");
  if (!pipe) return -1;
  double count = -1;
  if (fscanf(pipe, "%lf", &count) != 1) count = -1;
  pclose(pipe);
  return long(count);
}

TEST(BatchOutputs, NeverOverASourceNorOnEachOther) {
  const auto toBmp = [](const std::string& name) { return name.substr(0, name.find_last_of('.')) + ".bmp"; };
  const auto same = [](const std::string& name) { return name; };
  struct Case {
    const char* name;
    std::vector<std::string> sources;
    std::string folder;
    bool keepExtension;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"plain", {"/in/a.png", "/in/b.png"}, "/out", false, {"/out/a.bmp", "/out/b.bmp"}},
      {"two sources on one name", {"/in/a.png", "/in/a.jpg"}, "/out", false, {"/out/a.bmp", "/out/a (2).bmp"}},
      {"into the source folder, same format", {"/in/a.png"}, "/in", true, {"/in/a (2).png"}},
      {"a numbered name already a source", {"/in/a.png", "/in/a (2).png"}, "/in", true,
       {"/in/a (3).png", "/in/a (2) (2).png"}},
      {"into the source folder, other format", {"/in/a.png"}, "/in/", false, {"/in/a.bmp"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qz::batch::outputPaths(c.sources, c.folder, c.keepExtension ? std::function(same) : std::function(toBmp)),
              c.expected);
  }
}

class BatchTest : public qztest::FormatFixture {
 protected:
  void SetUp() override {
    FormatFixture::SetUp();
    ASSERT_EQ(Qz_InitBatchProcessClass(nullptr), 1u);
    fs::create_directory(dir_.file("out"));
  }
  void TearDown() override {
    qz::batch::setChoosers(nullptr, nullptr);
    Qz_CleanupBatchProcessClass();
    FormatFixture::TearDown();
  }
  // Three PNGs of different sizes written by ImageMagick from our pattern.
  std::vector<std::string> Sources() {
    std::vector<std::string> sources;
    const int sizes[3][2] = {{17, 9}, {1, 1}, {32, 20}};
    for (int i = 0; i < 3; ++i) {
      const std::string ppm = dir_.file("p" + std::to_string(i) + ".ppm");
      const std::string png = dir_.file("picture" + std::to_string(i) + ".png");
      qztest::WritePattern(ppm, sizes[i][0], sizes[i][1]);
      EXPECT_TRUE(Shell("convert '" + ppm + "' '" + png + "'"));
      sources.push_back(png);
    }
    return sources;
  }
  qztest::TempDir dir_;
};

TEST_F(BatchTest, PngToBmpKeepsThePixels) {
  if (!Shell("convert -version >/dev/null 2>&1")) GTEST_SKIP() << "ImageMagick missing";
  const std::vector<std::string> sources = Sources();
  EXPECT_EQ(qz::batch::convertFiles(sources, dir_.file("out"), "BMP", nullptr, nullptr), 3u);
  for (int i = 0; i < 3; ++i) {
    const std::string bmp = dir_.file("out/picture" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(fs::exists(bmp)) << bmp;
    EXPECT_EQ(Differences(sources[i], bmp), 0) << bmp;
  }
}

TEST_F(BatchTest, CancelAfterTheFirstFileLeavesOneOutput) {
  if (!Shell("convert -version >/dev/null 2>&1")) GTEST_SKIP() << "ImageMagick missing";
  const std::vector<std::string> sources = Sources();
  const auto stopAtSecond = [](uint32_t index, uint32_t count, const std::string& text) {
    EXPECT_EQ(count, 3u);
    EXPECT_NE(text.find("out of 3"), std::string::npos);
    return index < 1;
  };
  EXPECT_EQ(qz::batch::convertFiles(sources, dir_.file("out"), "BMP", nullptr, stopAtSecond), 1u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.file("out")), fs::directory_iterator()), 1);
}

TEST_F(BatchTest, ASourceIsNeverOverwritten) {
  if (!Shell("convert -version >/dev/null 2>&1")) GTEST_SKIP() << "ImageMagick missing";
  const std::vector<std::string> sources = Sources();
  const std::string before = ReadAll(sources[0]);
  EXPECT_EQ(qz::batch::convertFiles({sources[0]}, dir_.path(), "PNG", nullptr, nullptr), 1u);
  EXPECT_EQ(ReadAll(sources[0]), before);
  EXPECT_EQ(Differences(sources[0], dir_.file("picture0 (2).png")), 0);
  // A file that does not load is skipped.
  std::ofstream(dir_.file("broken.png")) << "not a picture";
  EXPECT_EQ(qz::batch::convertFiles({dir_.file("broken.png")}, dir_.file("out"), "BMP", nullptr, nullptr), 0u);
}

// The scripted requesters of the window test.
std::vector<std::string> gChosenFiles;
std::string gChosenFolder;
std::vector<std::string> ScriptedFiles(Qz_Object*) { return gChosenFiles; }
std::string ScriptedFolder(Qz_Object*, const std::string&) { return gChosenFolder; }

// The batch window once it is open and active.
Qz_Object* ShownWindow(qztest::UiHarness& ui) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    Window* active = Qz_GetActiveWindow();
    if (active && active->Title && std::strcmp(active->Title, "Batch Convert") == 0) {
      auto* owner = static_cast<Qz_Object*>(active->OwnerObject);
      if (owner && ui.settle(owner)) return owner;
    }
    Delay(1);
  }
  return nullptr;
}

TEST_F(BatchTest, TheWindowListsFilesOnceAndConvertsThem) {
  if (!Shell("convert -version >/dev/null 2>&1")) GTEST_SKIP() << "ImageMagick missing";
  const std::vector<std::string> sources = Sources();
  gChosenFiles = {sources[0], sources[1], sources[0], sources[2]};
  gChosenFolder = dir_.file("out");
  qz::batch::setChoosers(ScriptedFiles, ScriptedFolder);
  Qz_Object* screen = Qz_CreateObject("LinkedList");
  Qz_GetImageBase()->screen = screen;
  struct Case {
    const char* name;
    uint32_t key;
    QzWord result;
    int outputs;
  };
  const Case cases[] = {{"Cancel converts nothing", 27, 0, 0}, {"Convert", 13, 3, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Object* batch = Qz_CreateObject("BatchProcess");
    ASSERT_NE(batch, nullptr);
    auto run = std::async(std::launch::async, [batch] { return Qz_DoMethod(batch, kBatchRun); });
    Qz_Object* window = ShownWindow(ui_);
    ASSERT_NE(window, nullptr);
    for (uint32_t method : {kBatchAddFiles, kBatchAddFiles, kBatchChooseFolder}) {  // the same files twice add nothing
      ui_.post(window, batch, method);
      ASSERT_TRUE(ui_.settle(window));
    }
    qz::headless::typeKey(c.key, c.key);
    EXPECT_EQ(run.get(), c.result);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.file("out")), fs::directory_iterator()), c.outputs);
    Qz_DisposeObject(batch);
  }
  Qz_GetImageBase()->screen = nullptr;
  Qz_DisposeObject(screen);
}

}  // namespace
