#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "e2e/program_script.h"
#include "support/temp_dir.h"

namespace {

// Under a virtual X server, a requester open (the batch window from the
// File menu, New Image from its key, the file requester): a TERM ends the
// program cleanly within 5 seconds; the requester is answered as cancelled.
TEST(ProgramOnX11, TermEndsTheProgramWhileARequesterIsOpen) {
  if (const std::string tool = qztest::missingTool({"Xvfb", "xdotool", "xwd", "compare", "convert"}); !tool.empty())
    GTEST_SKIP() << tool << " is not installed";
  qztest::TempDir dir;
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  ASSERT_EQ(std::system(("convert -size 200x150 xc:'#00FF00' '" + dir.file("photo.png") + "'").c_str()), 0);
  struct Case {
    const char* name;
    const char* open;  // xdotool steps that open the requester
  };
  const Case cases[] = {
      {"batch window", "xdotool mousemove 18 9 click 1; sleep 1; xdotool mousemove 60 320 click 1"},
      {"new image", "xdotool key ctrl+n"},
      {"file requester", "xdotool key ctrl+o"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string state = dir.file(std::string("state-") + c.name);
    ASSERT_TRUE(qztest::makeQuietState(state));
    for (const char* old : {"shown.txt", "exit.rc", "err.log", "stacks.txt"}) std::remove(dir.file(old).c_str());
    {
      std::ofstream script(dir.file("run.sh"));
      script << qztest::programStartLines(program, state, dir.path(), "photo.png")
             << "xwd -root -silent > before.xwd\n"
             << c.open << "\n"
             << "sleep 2; xwd -root -silent > after.xwd\n"
             // How many pixels the requester changed: it must have opened.
             << "compare -metric AE before.xwd after.xwd null: 2> shown.txt\n"
             << qztest::stopLines(5, "exit.rc");
    }
    ASSERT_TRUE(qztest::runUnderVirtualX(dir.file("run.sh")));
    const std::string err = qztest::fileContents(dir.file("err.log"));
    EXPECT_GT(std::atol(qztest::fileContents(dir.file("shown.txt")).c_str()), 5000) << "no requester showed";
    EXPECT_EQ(qztest::fileContents(dir.file("exit.rc")), "0\n") << "137: still running 5 s after the TERM\n"
                                                       << err << qztest::fileContents(dir.file("stacks.txt"));
  }
}

}  // namespace
