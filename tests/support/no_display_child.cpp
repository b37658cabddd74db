#include "support/no_display_child.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

extern char** environ;

namespace qztest {

ChildResult runSelfWithoutDisplay(const std::vector<std::string>& arguments) {
  ChildResult result;
  TempDir dir;
  const std::string errors = dir.file("stderr.txt");
  std::vector<std::string> env = {"QZTEST_NO_DISPLAY_CHILD=1", "QZ_HOST=x11"};
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("QZ_HOST=", 0) != 0) env.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string self = "/proc/self/exe";
  std::vector<std::string> words = arguments;
  std::vector<char*> argv = {self.data()};
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(spawned, 0);
  if (spawned != 0) return result;
  int status = 0;
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  result.exited = WIFEXITED(status);
  result.exitStatus = result.exited ? WEXITSTATUS(status) : -1;
  std::stringstream text;
  text << std::ifstream(errors).rdbuf();
  result.errorText = text.str();
  return result;
}

}  // namespace qztest
