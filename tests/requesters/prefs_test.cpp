// The preferences: what a new object stores, what a restore takes from the
// file, and what the window's Save, Use and Cancel do to the globals.
#include "requesters/qz_prefs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "platform/exec.h"
#include "platform/paths.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The object's own attributes: the file without its window's lines.
std::string OwnLines(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
  while (std::getline(in, line))
    if (line.find("Qz_SetWindow") == std::string::npos || line.find("Spacing") != std::string::npos)
      out += line + "\n";
  return out;
}

class PrefsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    char root[4096];
    Qz_NormalizePath("Data/Prefs/x", root, sizeof root);
    std::filesystem::create_directories(std::filesystem::path(root).parent_path());
    Qz__LoadCatalog("Data/Lingua/Quillantrix", "");
    ASSERT_EQ(Qz_InitQuillantrixPrefsClass(nullptr), 1u);
    qz::prefs::toolTips().store(1);  // as start-up leaves it
  }
  void TearDown() override {
    if (prefs_) Qz_DisposeObject(prefs_);
    Qz_CleanupQuillantrixPrefsClass();
    Qz__FreeCatalog();
    Qz_CleanupImageBase();
  }
  bool Open() {
    Qz_DoMethod(prefs_, kRootOpen);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!Qz__PlatformWindowOf(prefs_->super) && std::chrono::steady_clock::now() < deadline) Delay(1);
    return Qz__PlatformWindowOf(prefs_->super) && ui_.settle(prefs_->super);
  }
  // The buttons close the window once their work is done.
  bool Closed() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (Qz__PlatformWindowOf(prefs_->super) && std::chrono::steady_clock::now() < deadline) Delay(1);
    return !Qz__PlatformWindowOf(prefs_->super);
  }
  void Click(const char* name) {
    auto* gadget = reinterpret_cast<Qz_Object*>(Qz_DoMethod(prefs_->super, kRootFindByName, name));
    ASSERT_NE(gadget, nullptr) << name;
    const Qz_LayoutBox b = qztest::UiHarness::box(gadget);
    ui_.click(prefs_->super, b.left + b.width / 2, b.top + b.height / 2);
    ASSERT_TRUE(ui_.settle(prefs_->super));
  }
  std::string StateFile(const char* relative) {
    char path[4096];
    Qz_NormalizePath(relative, path, sizeof path);
    return path;
  }

  qztest::UiHarness ui_;
  Qz_Object* prefs_ = nullptr;
};

TEST_F(PrefsTest, SaveOfNewPreferencesWritesTheDefaults) {
  prefs_ = Qz_RestorePrefs(kPrefsFile);  // no file yet
  ASSERT_NE(prefs_, nullptr);
  ASSERT_TRUE(Open());
  Click("Save");
  ASSERT_TRUE(Closed());
  const std::string written = ReadAll(StateFile(kPrefsFile));
  ASSERT_FALSE(written.empty());
  const std::string golden = ReadAll(std::string(QZ_TEST_DATA_DIR) + "/prefs/QuillantrixPrefs.QzStr");
  EXPECT_EQ(OwnLines(written), golden);
  EXPECT_NE(written.find("Qz_SetWindowX"), std::string::npos) << "the window's place is stored after them";
}

TEST_F(PrefsTest, RestorePrefersTheFileAndKeepsDefaultsForMissingValues) {
  const std::string path = StateFile(kPrefsFile);
  std::ofstream(path) << "QuillantrixPrefs\n{\n\tQz_SetMaxUndoRedoSize,\t\t\t5,\n"
                         "\tQz_SetGlobalColourRGB,\t\t\t10203,\n\tQz_SetAreYouSurePrefs,\t\t\t1,\n}\n";
  prefs_ = Qz_RestorePrefs(kPrefsFile);
  ASSERT_NE(prefs_, nullptr);
  Qz_ImageBase* base = Qz_GetImageBase();
  EXPECT_EQ(base->undoLevels.load(), 5u);
  EXPECT_EQ(base->colour[0], 3);
  EXPECT_EQ(base->colour[1], 2);
  EXPECT_EQ(base->colour[2], 1);
  EXPECT_EQ(base->closeQuestion.load(), 1);
  EXPECT_EQ(base->steppedZoom.load(), 1) << "missing from the file: the default";
  EXPECT_EQ(Qz_DoMethod(prefs_, kPrefsSetUndoSize + kPrefsGetterOffset), 5u);
  Qz_DisposeObject(prefs_);

  // A file whose root is not preferences gives the values in force.
  std::ofstream(path) << "Window\n{\n}\n";
  prefs_ = Qz_RestorePrefs(kPrefsFile);
  ASSERT_NE(prefs_, nullptr);
  EXPECT_STREQ(prefs_->objectClass->name, "QuillantrixPrefs");
  EXPECT_EQ(Qz_DoMethod(prefs_, kPrefsSetUndoSize + kPrefsGetterOffset), 5u);
}

TEST_F(PrefsTest, CancelRestoresTheWindowAndUseAppliesIt) {
  prefs_ = Qz_RestorePrefs(kPrefsFile);
  Qz_DoMethod(prefs_, kPrefsSetXSpacing, 7);
  Qz_DoMethod(prefs_, kPrefsSetSmartRefresh, 1);
  Qz_ImageBase* base = Qz_GetImageBase();
  struct Case {
    const char* name;
    const char* button;
    int32_t areYouSure;
  };
  const Case cases[] = {{"Cancel discards the edit", "Cancel", 0}, {"Use applies it", "Use", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    base->closeQuestion = 0;
    Qz_DoMethod(prefs_, kPrefsRefresh);
    ASSERT_TRUE(Open());
    Click("AreYouSure");
    EXPECT_EQ(base->closeQuestion.load(), 0) << "a box alone changes no global";
    Click(c.button);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(base->closeQuestion.load(), c.areYouSure);
    EXPECT_EQ(Qz_DoMethod(prefs_, kPrefsSetAreYouSure + kPrefsGetterOffset), uint32_t(c.areYouSure));
  }
  // Settings without a gadget here keep their globals through Use.
  EXPECT_EQ(qz::prefs::windowXSpacing().load(), 7);
  EXPECT_EQ(qz::prefs::smartRefresh().load(), 1);
  EXPECT_EQ(Qz_DoMethod(prefs_, kPrefsSetXSpacing + kPrefsGetterOffset), 7u);
}

TEST_F(PrefsTest, FoldersFollowTheSamePathFlagAndAreCut) {
  prefs_ = Qz_RestorePrefs(kPrefsFile);
  Qz_ImageBase* base = Qz_GetImageBase();
  struct Case {
    const char* name;
    int32_t samePath;
    const char* saveFolder;
  };
  const Case cases[] = {{"flag on: the save folder follows", 1, "/pictures/in"},
                        {"flag off: it stays", 0, "/keep"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_DoMethod(prefs_, kPrefsSetSavePath, "/keep");
    Qz_DoMethod(prefs_, kPrefsSetSamePath, c.samePath);
    Qz_DoMethod(prefs_, kPrefsSetLoadPath, "/pictures/in");
    EXPECT_EQ(base->loadFolder, "/pictures/in");
    EXPECT_EQ(base->saveFolder, c.saveFolder);
  }
  // Two-byte characters after two slashes: 259 bytes would end inside one.
  std::string longFolder = "//";
  while (longFolder.size() < 300) longFolder += "\xC3\xA9";
  Qz_DoMethod(prefs_, kPrefsSetLoadPath, longFolder.c_str());
  EXPECT_EQ(base->loadFolder, longFolder.substr(0, 258));
}

}  // namespace
