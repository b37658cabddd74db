// The program's start: the command line, the hand-over to a running
// instance, "-decrypt", and the building and tearing down of the object
// system, the image base, the classes and the image-file library around the
// application's run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/qz_export.h"

struct Qz_Object;

namespace qz::app {

// Process exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // start-up failed, or a decryption failed
inline constexpr int kExitUsage = 2;    // the command line could not be understood

// The one line --help prints on stdout, and a wrong command line on stderr.
QZ_EXPORT extern const char* const kUsageLine;

struct CommandLine {
  enum class Mode { Run, Decrypt, Help, Usage } mode = Mode::Run;
  std::string path;     // absolute; empty when none was given
  std::string problem;  // for Usage: what was wrong
};

// The path without one pair of matching quotes around it (a launcher may
// hand them over); any other path is kept whole.
QZ_EXPORT std::string unquotedPath(const std::string& path);
// A relative path is taken against the folder the program was started in.
QZ_EXPORT std::string absolutePath(const std::string& path, const std::string& startFolder);
// args without the program's own name. "-decrypt" counts only as an argument
// of its own, and the path is the argument after it; "--help" and "-h" ask
// for the usage line; any other argument that begins with "-" is an unknown
// option. Otherwise the first argument is the document to open.
QZ_EXPORT CommandLine parseCommandLine(const std::vector<std::string>& args, const std::string& startFolder);

// What start-up shows; tests replace it to watch the boxes.
using MessageBoxFn = std::function<void(const char* title, const char* text, uint32_t kind)>;

struct StartupOptions {
  MessageBoxFn messageBox;  // empty: Qz_MessageBoxA
  bool buildWindow = true;  // false: everything up to the main window (tests)
};

// How far start-up got; shutDown undoes exactly that much.
struct Session {
  bool objectSystem = false;
  bool imageBase = false;
  bool catalogue = false;
  bool io = false;
  bool classes = false;
  bool screenOpened = false;
  bool listening = false;
  Qz_Object* app = nullptr;
  int exitCode = kExitOk;  // kExitFailure when start-up failed
};

// Start-up up to the run; on failure the parts already built are torn down
// again and exitCode says so.
QZ_EXPORT Session startUp(const StartupOptions& options = {});
// Sends the application its run method; returns when it quits.
QZ_EXPORT void run(Session& session);
QZ_EXPORT void shutDown(Session& session);

}  // namespace qz::app
