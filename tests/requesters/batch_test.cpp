// Batch conversion: where outputs go (never over a source, never two on one
// name), the pixels of what is written (checked with ImageMagick), cancel,
// and the window's list, Convert and Cancel.
#include "requesters/qz_batch_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "requesters/batch_conversion.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"
#include "format_env.h"
#include "support/external_tools.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

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
    EXPECT_EQ(qztest::pixelDifferences(sources[i], bmp), 0) << bmp;
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
  EXPECT_EQ(qztest::pixelDifferences(sources[0], dir_.file("picture0 (2).png")), 0);
  // A file that does not load is skipped.
  std::ofstream(dir_.file("broken.png")) << "not a picture";
  EXPECT_EQ(qz::batch::convertFiles({dir_.file("broken.png")}, dir_.file("out"), "BMP", nullptr, nullptr), 0u);
}

// The scripted requesters of the window test.
std::vector<std::string> gChosenFiles;
std::string gChosenFolder;
std::vector<std::string> ScriptedFiles(Qz_Object*) { return gChosenFiles; }
std::string ScriptedFolder(Qz_Object*, const std::string&) { return gChosenFolder; }

// Sanitizer builds on a busy machine take many seconds to open a requester.
constexpr auto kWindowWait = std::chrono::seconds(30);

// The window titled so once it is open, active and settled.
Qz_Object* ShownWindow(qztest::UiHarness& ui, const char* title = "Batch Convert") {
  const auto deadline = std::chrono::steady_clock::now() + kWindowWait;
  while (std::chrono::steady_clock::now() < deadline) {
    Window* active = Qz_GetActiveWindow();
    if (active && active->Title && std::strcmp(active->Title, title) == 0) {
      auto* owner = static_cast<Qz_Object*>(active->OwnerObject);
      if (owner) {
        ui.settle(owner);
        return owner;
      }
    }
    Delay(1);
  }
  ADD_FAILURE() << title << " did not come up";
  return nullptr;
}

// The requester's list once it shows at least count files.
Qz_Object* ListedFiles(qztest::UiHarness& ui, Qz_Object* requester, int count) {
  auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(requester, kRootFindByName, "FileRequesterList"));
  const auto deadline = std::chrono::steady_clock::now() + kWindowWait;
  while (list && int(Qz_DoMethod(list, kGroupCount)) < count && std::chrono::steady_clock::now() < deadline) Delay(1);
  ui.settle(requester);
  return list;
}

// A test that fails while the batch window's modal run is pending would wait
// for it for ever as the run's future is destroyed: escape every requester
// still open until the run ends.
struct EndsTheRun {
  std::future<QzWord>& run;
  ~EndsTheRun() {
    const auto deadline = std::chrono::steady_clock::now() + kWindowWait;
    while (run.valid() && run.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready &&
           std::chrono::steady_clock::now() < deadline)
      qz::headless::typeKey(27, 27);
  }
};

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
    EndsTheRun ends{run};
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

// Without scripted choosers the window asks through the file requester:
// several files from the load folder, then the output folder.
TEST_F(BatchTest, AddFilesAndChooseAskTheFileRequester) {
  if (!Shell("convert -version >/dev/null 2>&1")) GTEST_SKIP() << "ImageMagick missing";
  const std::vector<std::string> made = Sources();
  fs::create_directory(dir_.file("in"));
  for (const std::string& source : made) fs::copy_file(source, dir_.file("in/" + fs::path(source).filename().string()));
  Qz_GetImageBase()->loadFolder = dir_.file("in");
  Qz_Object* screen = Qz_CreateObject("LinkedList");
  Qz_GetImageBase()->screen = screen;
  Qz_Object* batch = Qz_CreateObject("BatchProcess");
  ASSERT_NE(batch, nullptr);
  auto run = std::async(std::launch::async, [batch] { return Qz_DoMethod(batch, kBatchRun); });
  EndsTheRun ends{run};
  Qz_Object* window = ShownWindow(ui_);
  ASSERT_NE(window, nullptr);

  ui_.post(window, batch, kBatchAddFiles);
  if (Qz_Object* r = ShownWindow(ui_, Qz_CatalogString(25))) {
    Qz_Object* list = ListedFiles(ui_, r, 3);
    ASSERT_NE(list, nullptr);
    auto* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kGroupFirst));
    auto* second = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kGroupNext, first));
    auto* third = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kGroupNext, second));
    ui_.post(r, list, kListTreeAddSelected, third);
    ui_.post(r, list, kListTreeAddSelected, first);
    ui_.settle(r);
    qz::headless::typeKey(0x0D, 13);
  }
  ASSERT_TRUE(ui_.settle(window));
  ui_.post(window, batch, kBatchChooseFolder);
  const std::string out = dir_.file("out");  // read by the requester's thread
  if (Qz_Object* r = ShownWindow(ui_, "Select Output Directory")) {
    ui_.post(r, reinterpret_cast<Qz_Object*>(Qz_DoMethod(r, kRootFindByName, "FileRequester")),
             kFileRequesterSetFolder, out.c_str());
    ui_.settle(r);
    qz::headless::typeKey(0x0D, 13);
  }
  ASSERT_TRUE(ui_.settle(window));
  const Qz_LayoutBox convert =
      qztest::UiHarness::box(reinterpret_cast<Qz_Object*>(Qz_DoMethod(window, kRootFindByName, "Convert")));
  ui_.click(window, convert.left + convert.width / 2, convert.top + convert.height / 2);
  EXPECT_EQ(run.get(), 2u);
  std::vector<std::string> written;
  for (const auto& entry : fs::directory_iterator(dir_.file("out"))) written.push_back(entry.path().stem().string());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{"picture0", "picture2"}));
  EXPECT_EQ(Qz_GetImageBase()->loadFolder, dir_.file("in"));
  Qz_DisposeObject(batch);
  Qz_GetImageBase()->screen = nullptr;
  Qz_DisposeObject(screen);
}

}  // namespace

namespace {

// The batch window is a class built on Window: its format pop-up must find
// the batch window as its owner, or it is stacked with the main window's
// children, behind the batch window.
TEST_F(BatchTest, APopUpInTheWindowBelongsToIt) {
  Qz_Object* screen = Qz_CreateObject("LinkedList");
  Qz_GetImageBase()->screen = screen;
  Qz_Object* batch = Qz_CreateObject("BatchProcess");
  ASSERT_NE(batch, nullptr);
  auto run = std::async(std::launch::async, [batch] { return Qz_DoMethod(batch, kBatchRun); });
  EndsTheRun ends{run};
  Qz_Object* window = ShownWindow(ui_);
  ASSERT_NE(window, nullptr);
  Window* own = Qz_GetActiveWindow();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(Qz__PlatformWindowOf(batch), own);
  EXPECT_EQ(Qz__PlatformWindowOf(window), own);
  Qz_Object* popUp = Qz_CreateObject("Window", kWindowSetKind, 2);
  ASSERT_NE(popUp, nullptr);
  Qz_DoMethod(batch, kGroupAddTail, popUp);
  EXPECT_EQ(Qz__OwnerPlatformWindowOf(popUp), own);
  Qz_DoMethod(batch, kGroupRemove, popUp);
  Qz_DisposeObject(popUp);
  qz::headless::typeKey(27, 27);
  EXPECT_EQ(run.get(), 0u);
  Qz_DisposeObject(batch);
  Qz_GetImageBase()->screen = nullptr;
  Qz_DisposeObject(screen);
}

}  // namespace
