#include "app/print_destinations.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace qz::print {
namespace {

// Runs the program found on PATH with argv, collecting its standard output
// when asked; its exit status, or -1 when it could not be started.
int run(std::vector<std::string> args, std::string* output) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int pipeEnds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output != nullptr) {
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
      posix_spawn_file_actions_destroy(&actions);
      return -1;
    }
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  }
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (output != nullptr) {
    close(pipeEnds[1]);
    if (spawned == 0) {
      char buffer[4096];
      ssize_t got;
      while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0) output->append(buffer, size_t(got));
    }
    close(pipeEnds[0]);
  }
  if (spawned != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::vector<std::string> printerNames() {
  std::string listing;
  std::vector<std::string> names;
  if (run({"lpstat", "-e"}, &listing) != 0) return names;
  size_t start = 0;
  while (start < listing.size()) {
    size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    if (end > start) names.push_back(listing.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

bool sendToPrinter(const std::string& postScriptFile, const std::string& printer, int copies,
                   const std::string& title) {
  return run({"lp", "-d", printer, "-n", std::to_string(copies < 1 ? 1 : copies), "-t", title, "--", postScriptFile},
             nullptr) == 0;
}

}  // namespace qz::print
