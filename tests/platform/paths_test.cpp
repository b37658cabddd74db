#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/atomic_file_writer.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    if (value) setenv(name, value, 1); else unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_) setenv(name_, old_.c_str(), 1); else unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

struct PathsFixture : ::testing::Test {
  qztest::TempDir data;
  qztest::ScopedStateRoot state;
  std::string D, S;
  std::unique_ptr<ScopedEnv> dataEnv;
  void SetUp() override {
    D = data.path();
    S = state.path();
    dataEnv = std::make_unique<ScopedEnv>("QZ_DATA_DIR", D.c_str());
    for (const char* dir : {"/Data", "/Data/Libs", "/Data/Images", "/Data/Lingua"})
      mkdir((D + dir).c_str(), 0777);
    for (const char* f : {"/Data/Libs/QlQz.library", "/Data/Libs/Qz_ImageBase.library",
                          "/Data/Lingua/Quillantrix.etf", "/rgb.txt"})
      std::ofstream(D + f) << "x";
    mkdir((S + "/Data").c_str(), 0777);
    mkdir((S + "/Data/Prefs").c_str(), 0777);
  }
};

TEST_F(PathsFixture, Roots) {
  EXPECT_EQ(qz::dataRoot(), D);
  EXPECT_EQ(qz::stateRoot(), S);
  ScopedEnv noState("QZ_STATE_DIR", nullptr);
  EXPECT_EQ(qz::stateRoot(), D);  // a writable data root keeps the state too
}

TEST_F(PathsFixture, NormaliserTable) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"Quillantrix:Data/Libs/QlQz.library", D + "/Data/Libs/QlQz.library"},
      {"Quillantrix:data/libs/Qz_ImageBase.library", D + "/Data/Libs/Qz_ImageBase.library"},
      {"Data\\Lingua\\Quillantrix.etf", D + "/Data/Lingua/Quillantrix.etf"},
      {"Qz_Images:pic.png", D + "/Data/Images/pic.png"},
      {"Data/Prefs/QuillantrixPrefs.QzStr", S + "/Data/Prefs/QuillantrixPrefs.QzStr"},
      {"data/prefs/New.QzStr", S + "/Data/Prefs/New.QzStr"},
      {"ImageDatabase/Index", S + "/ImageDatabase/Index"},
      {"RGB.TXT", D + "/rgb.txt"},
      {"./rgb.txt", D + "/rgb.txt"},
      {"data/missing/Deeper/f", D + "/Data/missing/Deeper/f"},
      {"Data/Images/", D + "/Data/Images/"},
      {"Data/PrefsNot/x", D + "/Data/PrefsNot/x"},
      // The user's own paths: separators only, never matched loosely.
      {"", ""},
      {"/tmp\\x.png", "/tmp/x.png"},
      {D + "/data/libs/QlQz.library", D + "/data/libs/QlQz.library"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(qz::normalizePath(c.in), c.out);
  }
}

TEST_F(PathsFixture, CBufferIsBoundedAndFOpenNormalises) {
  char small[8];
  const size_t n = Qz_NormalizePath("rgb.txt", small, sizeof small);
  EXPECT_EQ(n, (D + "/rgb.txt").size());
  EXPECT_EQ(std::string(small), (D + "/rgb.txt").substr(0, 7));
  FILE* f = Qz_FOpen("Quillantrix:RGB.txt", "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::fgetc(f), 'x');
  std::fclose(f);
}

// A fresh state root has no Data/Prefs: writing a preference file makes it.
TEST(StateRoot, WritingMakesTheFolders) {
  qztest::ScopedStateRoot state;
  FILE* f = Qz_FOpen("Data/Prefs/QuillantrixPrefs.QzStr", "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  struct stat st;
  EXPECT_EQ(stat((state.path() + "/Data/Prefs/QuillantrixPrefs.QzStr").c_str(), &st), 0);
  qz::AtomicFileWriter index("ImageDatabase/Index");
  ASSERT_TRUE(index.ok());
  std::fputs("1", index.stream());
  EXPECT_TRUE(index.commit());
  EXPECT_EQ(stat((state.path() + "/ImageDatabase/Index").c_str(), &st), 0);
  EXPECT_EQ(Qz_FOpen("Data/Prefs/Other.QzStr", "r"), nullptr);  // reading makes nothing
  EXPECT_EQ(Qz_FOpen((state.path() + "/other/x").c_str(), "w"), nullptr);  // nor elsewhere
}

}  // namespace
