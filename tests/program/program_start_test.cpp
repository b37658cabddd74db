#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/handover.h"
#include "support/temp_dir.h"

// The program starts, runs until told to stop, and exits cleanly.
TEST(ProgramStart, ExitsCleanly) {
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  qztest::TempDir state;
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setenv("QZ_STATE_DIR", state.path().c_str(), 1);
    freopen("/dev/null", "w", stdout);
    if (!std::getenv("QZ_TEST_SHOW_PROGRAM")) freopen("/dev/null", "w", stderr);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // It is running once it listens for a second start.
  const std::string socket = qz::handover::socketPath(state.path());
  struct stat st {};
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 3000 && stat(socket.c_str(), &st) != 0; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      ended = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!ended) {
    kill(pid, SIGTERM);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
