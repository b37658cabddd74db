#include <gtest/gtest.h>

#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "image/file_encryption.h"
#include "platform/handover.h"
#include "support/temp_dir.h"

namespace {

// Runs the program in folder with the given environment prefix; its exit code.
int runProgram(const std::string& folder, const std::string& env, const std::string& args) {
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  const std::string command =
      "cd '" + folder + "' && env " + env + " '" + program + "' " + args + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Program, ExitCodes) {
  qztest::TempDir dir;
  const std::string state = "QZ_STATE_DIR='" + dir.path() + "' QZ_HOST=headless";
  qztest::TempDir emptyData;
  struct Case {
    const char* what;
    std::string env;
    std::string args;
    int code;
  };
  const Case cases[] = {
      {"option without its path", state, "-decrypt", 2},
      {"decrypting a file that is not there", state, "-decrypt missing.bin", 1},
      {"no language file", state + " QZ_DATA_DIR='" + emptyData.path() + "'", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(runProgram(dir.path(), c.env, c.args), c.code);
  }
}

TEST(Program, DecryptsARelativePathInPlace) {
  qztest::TempDir dir;
  std::string plain(2000, '\0');
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i * 7);
  const std::string file = dir.file("secret.bin");
  { std::ofstream(file, std::ios::binary) << plain; }
  ASSERT_EQ(Qz_EncryptFile(file.c_str()), 1);
  ASSERT_NE(readFile(file), plain);
  // The path is the user's: relative to the starting folder, not the data root.
  EXPECT_EQ(runProgram(dir.path(), "QZ_STATE_DIR='" + dir.path() + "'", "-decrypt secret.bin"), 0);
  EXPECT_EQ(readFile(file), plain);
}

TEST(Program, SecondStartHandsItsAbsolutePathOver) {
  qztest::TempDir state;
  qztest::TempDir work;
  std::mutex lock;
  std::vector<std::pair<uint32_t, std::string>> got;
  ASSERT_TRUE(qz::handover::startListening(state.path(), [&](uint32_t tag, const uint8_t* bytes, std::size_t n) {
    std::lock_guard<std::mutex> hold(lock);
    got.emplace_back(tag, std::string(reinterpret_cast<const char*>(bytes), n));
  }));
  const int code = runProgram(work.path(), "QZ_HOST=headless QZ_STATE_DIR='" + state.path() + "'", "'a b.png'");
  qz::handover::stopListening();
  EXPECT_EQ(code, 0);
  std::lock_guard<std::mutex> hold(lock);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first, kHandoverOpenFile);
  // The record may carry the terminating zero.
  std::string path = got[0].second;
  if (!path.empty() && path.back() == '\0') path.pop_back();
  EXPECT_EQ(path, std::filesystem::canonical(work.path()).string() + "/a b.png");
}

}  // namespace
