// The hand-over socket between two instances: a second process hands its
// path to the first and ends with 0; bad records are refused unread.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/handover.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

// Started again as the second instance: hand the path over, exit 0 when taken.
struct SecondInstance {
  SecondInstance() {
    const char* root = std::getenv("QZTEST_HANDOVER_ROOT");
    const char* path = std::getenv("QZTEST_HANDOVER_PATH");
    if (!root || !path) return;
    if (const char* uid = std::getenv("QZTEST_HANDOVER_UID")) {
      if (::setuid(static_cast<uid_t>(std::atoi(uid))) != 0) _exit(4);
    }
    _exit(Qz_HandoverToRunningInstance(root, path) ? 0 : 3);
  }
} gSecondInstance;

int runSecondInstance(const std::string& root, const std::string& path, const char* uid = nullptr) {
  std::vector<std::string> env = {"QZTEST_HANDOVER_ROOT=" + root, "QZTEST_HANDOVER_PATH=" + path};
  if (uid) env.push_back(std::string("QZTEST_HANDOVER_UID=") + uid);
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) env.push_back(std::string("XDG_RUNTIME_DIR=") + runtime);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  char self[] = "/proc/self/exe";
  char* argv[] = {self, nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, envp.data()) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

struct Record {
  uint32_t tag;
  std::vector<uint8_t> bytes;
};

class HandoverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("XDG_RUNTIME_DIR");  // the private folder under the state root
    ASSERT_TRUE(qz::handover::startListening(root_.path(), [this](uint32_t tag, const uint8_t* b, std::size_t n) {
      std::lock_guard<std::mutex> lock(mutex_);
      records_.push_back({tag, std::vector<uint8_t>(b, b + n)});
      cv_.notify_all();
    }));
  }
  void TearDown() override { qz::handover::stopListening(); }

  std::vector<Record> records() {
    std::lock_guard<std::mutex> lock(mutex_);
    return records_;
  }
  // Sends raw bytes as a peer that may lie; returns whether the listener confirmed.
  bool sendRaw(const std::vector<uint8_t>& bytes) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = qz::handover::socketPath(root_.path());
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
      close(fd);
      return false;
    }
    (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    shutdown(fd, SHUT_WR);
    uint8_t answer = 0;
    const bool taken = read(fd, &answer, 1) == 1 && answer == 1;
    close(fd);
    return taken;
  }

  qztest::TempDir root_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<Record> records_;
};

std::vector<uint8_t> record(uint32_t tag, uint32_t declared, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> r(8);
  for (int i = 0; i < 4; ++i) {
    r[i] = static_cast<uint8_t>(tag >> (8 * i));
    r[4 + i] = static_cast<uint8_t>(declared >> (8 * i));
  }
  r.insert(r.end(), body.begin(), body.end());
  return r;
}

std::vector<uint8_t> scan(uint32_t width, uint32_t height, std::size_t rowBytes) {
  std::vector<uint8_t> b(16 + rowBytes * height, 0x7F);
  for (int i = 0; i < 4; ++i) {
    b[i] = static_cast<uint8_t>(width >> (8 * i));
    b[4 + i] = static_cast<uint8_t>(height >> (8 * i));
  }
  return b;
}

TEST_F(HandoverTest, ASecondProcessHandsItsPathToTheFirstAndEndsWithZero) {
  EXPECT_EQ(runSecondInstance(root_.path(), "/home/user/picture.qls"), 0);
  const std::vector<Record> got = records();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].tag, kHandoverOpenFile);
  EXPECT_STREQ(reinterpret_cast<const char*>(got[0].bytes.data()), "/home/user/picture.qls");
}

TEST_F(HandoverTest, AnotherSpellingOfTheStateRootFindsTheSameInstance) {
  EXPECT_EQ(runSecondInstance(root_.path() + "/./", "/tmp/same.png"), 0);
  ASSERT_EQ(records().size(), 1u);
}

TEST_F(HandoverTest, WithNoInstanceForTheStateRootNothingIsHandedOver) {
  qztest::TempDir otherRoot;
  EXPECT_EQ(runSecondInstance(otherRoot.path(), "/tmp/x.png"), 3);
  EXPECT_TRUE(records().empty());
  // Stopping removes the socket, so the root can be listened on again.
  qz::handover::stopListening();
  ASSERT_TRUE(qz::handover::startListening(root_.path(), [](uint32_t, const uint8_t*, std::size_t) {}));
}

TEST_F(HandoverTest, ScansAreCheckedBeforeTheirRowsAreRead) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool taken;
  };
  const std::vector<uint8_t> good = scan(3, 2, 12);
  const Case cases[] = {
      {"a whole scan", record(kHandoverScanner, static_cast<uint32_t>(good.size()), good), true},
      {"rows promised but not declared", record(kHandoverScanner, 16, scan(100, 100, 0)), false},
      {"declared larger than the limit", record(kHandoverScanner, 0x7FFFFFFF, good), false},
      {"cut short", record(kHandoverScanner, static_cast<uint32_t>(good.size()), scan(3, 1, 12)), false},
      {"a path longer than any path", record(kHandoverOpenFile, 5000, std::vector<uint8_t>(5000, 'a')), false},
      {"an unknown tag", record(0x1234, 4, {1, 2, 3, 4}), false},
      {"half a header", {0x3C, 0x00}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      records_.clear();
    }
    EXPECT_EQ(sendRaw(c.bytes), c.taken);
    const std::vector<Record> got = records();
    ASSERT_EQ(got.size(), c.taken ? 1u : 0u);
    if (c.taken) {
      EXPECT_EQ(got[0].bytes, good);
    }
  }
}

TEST_F(HandoverTest, ThePeerMustBeTheSameUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to start a process as another user";
  // A folder anyone may enter, so only the uid check stands in the way.
  qztest::TempDir runtime;
  chmod(runtime.path().c_str(), 0777);
  qz::handover::stopListening();
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  ASSERT_TRUE(qz::handover::startListening(root_.path(), [this](uint32_t tag, const uint8_t* b, std::size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.push_back({tag, std::vector<uint8_t>(b, b + n)});
  }));
  chmod(qz::handover::socketPath(root_.path()).c_str(), 0777);
  EXPECT_EQ(runSecondInstance(root_.path(), "/tmp/intruder.png", "65534"), 3);
  EXPECT_TRUE(records().empty());
  EXPECT_EQ(runSecondInstance(root_.path(), "/tmp/mine.png"), 0);
  EXPECT_EQ(records().size(), 1u);
  unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
