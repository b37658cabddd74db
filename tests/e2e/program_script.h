// What the whole-program tests share: the program run from a shell script
// under a virtual X server, with a state folder of its own.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "platform/handover.h"
#include "support/external_tools.h"

namespace qztest {

// The first of the tools that is not installed; empty when all are.
inline std::string missingTool(std::initializer_list<const char*> tools) {
  for (const char* tool : tools)
    if (!haveTool(tool)) return tool;
  return {};
}

// Makes a state folder whose preferences skip the tip of the day, as a
// returning user's would, so nothing covers the picture; false on failure.
inline bool makeQuietState(const std::string& state) {
  return std::system(("mkdir -p '" + state + "/Data/Prefs' && echo 0,0 > '" + state + "/Data/Prefs/TipOfTheDay.txt'")
                         .c_str()) == 0;
}

// The script's first lines: the program started in `folder` on `picture`
// (`environment` added to its own, its errors in err.log, its process in
// $P), then a wait until its hand-over socket opens and 3 s more for the
// picture's window to show.
inline std::string programStartLines(const std::string& program, const std::string& state, const std::string& folder,
                                     const std::string& picture, const std::string& environment = {}) {
  return "export QZ_HOST=x11 QZ_STATE_DIR='" + state + "'" + (environment.empty() ? "" : " " + environment) + "\n" +
         "cd '" + folder + "'\n" + "'" + program + "' " + picture + " 2>err.log &\n" + "P=$!\n" +
         "i=0; while [ ! -S '" + qz::handover::socketPath(state) + "' ] && [ $i -lt 300 ]; do sleep 0.1; " +
         "i=$((i+1)); done\n" + "sleep 3\n";
}

// The script's lines that stop the program with a TERM and write its exit
// status to `statusFile`; one still running `seconds` later has its
// threads' stacks written to stacks.txt (where gdb is installed) and is
// killed, its status then 137.
inline std::string stopLines(int seconds, const std::string& statusFile) {
  return "kill -TERM $P\n(sleep " + std::to_string(seconds) +
         "; if kill -0 $P 2>/dev/null; then command -v gdb >/dev/null && gdb -p $P -batch -ex 'thread apply all bt' "
         "> stacks.txt 2>&1; kill -KILL $P; fi) & W=$!\n" +
         "wait $P; echo $? > " + statusFile + "; kill $W 2>/dev/null\n";
}

// Shell functions for scripts that look at the screen: `shot FILE` saves
// it; `same A B` is true when two saved screens are alike; `steady` waits
// (10 s at most) until the screen stands still; `waitForColour RRGGBB`
// waits (60 s at most) until some pixel shows that colour, so a screen not
// drawn yet is never taken for a still one.
inline std::string screenFunctionLines() {
  return "shot() { xwd -root -silent > \"$1\"; }\n"
         "same() { [ \"$(compare -metric AE \"$1\" \"$2\" null: 2>&1)\" = 0 ]; }\n"
         "steady() { i=0; shot steady.xwd; while [ $i -lt 20 ]; do sleep 0.5; shot now.xwd; "
         "same steady.xwd now.xwd && return; mv now.xwd steady.xwd; i=$((i+1)); done; }\n"
         "waitForColour() { i=0; while [ $i -lt 120 ]; do shot colour.xwd; [ \"$(convert colour.xwd -fill black "
         "+opaque \"#$1\" -format '%[fx:maxima]' info: 2>/dev/null)\" = 1 ] && return; sleep 0.5; i=$((i+1)); "
         "done; }\n";
}

// Runs the script under a virtual X server of that screen size, two minutes
// at most; true when it ended by itself.
inline bool runUnderVirtualX(const std::string& script, const std::string& screen = "1024x768") {
  const int status = std::system(
      ("timeout 120 " + onVirtualDisplay(screen + "x24") + "sh '" + script + "' >/dev/null 2>&1").c_str());
  return WIFEXITED(status);
}

}  // namespace qztest
