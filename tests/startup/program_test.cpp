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

struct ProgramRun {
  int code = -1;
  std::string out, err;
};

// Runs the program in folder with the given environment prefix, at most ten
// seconds: a start that waits for an answer nobody gives is a failure.
ProgramRun runProgram(const std::string& folder, const std::string& env, const std::string& args) {
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  const std::string out = folder + "/.run.out", err = folder + "/.run.err";
  const std::string command = "cd '" + folder + "' && env " + env + " timeout -s KILL 10 '" + program + "' " +
                              args + " >'" + out + "' 2>'" + err + "' </dev/null";
  const int status = std::system(command.c_str());
  ProgramRun run;
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = qztest::fileContents(out);
  run.err = qztest::fileContents(err);
  std::remove(out.c_str());
  std::remove(err.c_str());
  return run;
}

TEST(Program, CommandLineAnswers) {
  qztest::TempDir dir;
  const std::string state = "QZ_STATE_DIR='" + dir.path() + "' QZ_HOST=headless";
  qztest::TempDir emptyData;
  std::filesystem::create_directory(dir.file("folder"));
  const std::string usage = "Usage: Quillantrix";
  struct Case {
    const char* what;
    std::string env;
    std::string args;
    int code;
    std::string out, err;  // what stdout and stderr must hold
  };
  const Case cases[] = {
      {"--help", state, "--help", 0, usage, ""},
      {"-h", state, "-h a.png", 0, usage, ""},
      {"unknown option", state, "-x", 2, "", "unknown option -x\n" + usage},
      {"option without its path", state, "-decrypt", 2, "", usage},
      {"decrypting a file that is not there", state, "-decrypt missing.bin", 1, "", "missing.bin"},
      {"decrypting a folder", state, "-decrypt folder", 1, "", "not a file"},
      {"no language file", state + " QZ_DATA_DIR='" + emptyData.path() + "'", "", 1, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ProgramRun run = runProgram(dir.path(), c.env, c.args);
    EXPECT_EQ(run.code, c.code);
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    if (c.code == 0) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_EQ(run.out, "");
    }
  }
}

// A document that cannot be loaded is reported and the program goes on;
// without a display it cannot start at all, and says so at once.
TEST(Program, FolderOrMissingFileWithoutDisplay) {
  qztest::TempDir dir;
  std::filesystem::create_directory(dir.file("folder"));
  const std::string env = "QZ_STATE_DIR='" + dir.path() + "' QZ_HOST=x11 DISPLAY=:4242";
  for (const char* args : {"folder", "missing.png"}) {
    SCOPED_TRACE(args);
    const ProgramRun run = runProgram(dir.path(), env, args);
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("needs a display"), std::string::npos) << run.err;
  }
}

TEST(Program, DecryptingAPlainFileKeepsItAsABackup) {
  qztest::TempDir dir;
  const std::string plain = std::string(600, 'p') + "the end";
  const std::string file = dir.file("picture.png");
  { std::ofstream(file, std::ios::binary) << plain; }
  const ProgramRun run = runProgram(dir.path(), "QZ_STATE_DIR='" + dir.path() + "'", "-decrypt picture.png");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(qztest::fileContents(dir.file("picture.bak.png")), plain);
  EXPECT_NE(qztest::fileContents(file), plain);
  // One line, naming the file written and the backup.
  const std::string canonical = std::filesystem::canonical(dir.path()).string();
  EXPECT_EQ(run.err, "Quillantrix: deciphered " + canonical + "/picture.png in place; its previous content is kept in " +
                         canonical + "/picture.bak.png\n");
}

TEST(Program, DecryptsARelativePathInPlace) {
  qztest::TempDir dir;
  std::string plain(2000, '\0');
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i * 7);
  const std::string file = dir.file("secret.bin");
  { std::ofstream(file, std::ios::binary) << plain; }
  ASSERT_EQ(Qz_EncryptFile(file.c_str()), 1);
  ASSERT_NE(qztest::fileContents(file), plain);
  // The path is the user's: relative to the starting folder, not the data root.
  EXPECT_EQ(runProgram(dir.path(), "QZ_STATE_DIR='" + dir.path() + "'", "-decrypt secret.bin").code, 0);
  EXPECT_EQ(qztest::fileContents(file), plain);
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
  const int code =
      runProgram(work.path(), "QZ_HOST=headless QZ_STATE_DIR='" + state.path() + "'", "'a b.png'").code;
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
