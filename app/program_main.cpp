#include "app/program_main.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/decrypt_command.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/stop_signals.h"
#include "platform/handover.h"
#include "platform/paths.h"

namespace {

std::string currentFolder() {
  std::vector<char> buf(4096);
  while (!getcwd(buf.data(), buf.size())) {
    if (buf.size() > (1u << 20)) return {};
    buf.resize(buf.size() * 2);
  }
  return buf.data();
}

}  // namespace

int Qz_ProgramMain(int argc, char** argv) {
  using namespace qz::app;
  blockStopSignals();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  // Paths on the command line are the user's, relative to where the program
  // was started; the data root becomes the current folder only afterwards.
  const CommandLine line = parseCommandLine(args, currentFolder());

  switch (line.mode) {
    case CommandLine::Mode::Help:
      std::printf("%s\n", kUsageLine);
      return kExitOk;
    case CommandLine::Mode::Usage:
      std::fprintf(stderr, "Quillantrix: %s\n%s\n", line.problem.c_str(), kUsageLine);
      return kExitUsage;
    case CommandLine::Mode::Decrypt:
      return runDecrypt(line.path);
    case CommandLine::Mode::Run:
      break;
  }

  const std::string stateRoot = qz::stateRoot();
  if (!line.path.empty() && Qz_HandoverToRunningInstance(stateRoot.c_str(), line.path.c_str())) return kExitOk;

  const std::string dataRoot = qz::dataRoot();
  if (!dataRoot.empty() && chdir(dataRoot.c_str()) != 0)
    std::fprintf(stderr, "Quillantrix: cannot enter the data folder %s\n", dataRoot.c_str());

  // Watched from before start-up, whose boxes a stop must not wait for either.
  startStopSignalWatch();
  Session session = startUp();
  if (session.exitCode != kExitOk) {  // start-up has torn down what it built
    stopStopSignalWatch();
    return session.exitCode;
  }
  // The image control panel opens it on its first draw; without one it opens now.
  if (!line.path.empty()) {
    if (imageControlPanelPresent()) setPendingDocument(line.path);
    else openDocumentLater(line.path);
  }
  if (!setStopTarget(session.app)) run(session);
  stopStopSignalWatch();
  shutDown(session);
  return session.exitCode;
}
