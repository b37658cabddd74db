// Runs this test program again as a child without an X display, to see what
// the window layer does when it has nowhere to show anything.
#pragma once

#include <string>
#include <vector>

namespace qztest {

struct ChildResult {
  bool exited = false;  // ended by exit rather than a signal
  int exitStatus = -1;
  std::string errorText;  // all it wrote to stderr
};

// Starts /proc/self/exe with `arguments` and this environment less DISPLAY,
// plus QZ_HOST=x11 and QZTEST_NO_DISPLAY_CHILD=1 (the child's cue), waits
// for it and gathers its stderr; stdout is dropped. Fails the test when the
// child cannot be started.
ChildResult runSelfWithoutDisplay(const std::vector<std::string>& arguments = {});

}  // namespace qztest
