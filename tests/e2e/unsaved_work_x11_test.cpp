#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "e2e/program_script.h"
#include "support/temp_dir.h"

namespace {

// Under a virtual X server, a stroke painted with the mouse: Ctrl-C in the
// terminal does not drop the picture but asks about it by name, and the
// program keeps running; a second Ctrl-C stops it (the waiting question
// kept on stderr). Without changes, one Ctrl-C stops it at once.
TEST(ProgramOnX11, CtrlCAsksAboutAPictureWithUnsavedChanges) {
  if (const std::string tool = qztest::missingTool({"Xvfb", "xdotool", "convert"}); !tool.empty())
    GTEST_SKIP() << tool << " is not installed";
  qztest::TempDir dir;
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  ASSERT_EQ(std::system(("convert -size 400x300 xc:'#FF0000' '" + dir.file("photo.png") + "'").c_str()), 0);
  struct Case {
    const char* name;
    bool paint;
    const char* aliveAfterFirst;  // "0" when the program still runs after the first Ctrl-C
  };
  for (const Case& c : {Case{"painted", true, "0"}, Case{"untouched", false, "1"}}) {
    SCOPED_TRACE(c.name);
    const std::string state = dir.file(std::string("state-") + c.name);
    ASSERT_TRUE(qztest::makeQuietState(state));
    {
      std::ofstream script(dir.file("run.sh"));
      script << qztest::programStartLines(program, state, dir.path(), "photo.png");
      if (c.paint)
        script << "xdotool mousemove 420 180 mousedown 1; for x in 440 460 480 500 520; do "
                  "xdotool mousemove $x 220; sleep 0.05; done; xdotool mouseup 1\nsleep 1\n";
      script << "kill -INT $P; sleep 2; kill -0 $P 2>/dev/null; echo $? > alive.rc\n"
             << "kill -INT $P 2>/dev/null; wait $P; echo $? > exit.rc\n";
    }
    ASSERT_TRUE(qztest::runUnderVirtualX(dir.file("run.sh")));
    const std::string err = qztest::fileContents(dir.file("err.log"));
    EXPECT_EQ(qztest::fileContents(dir.file("alive.rc")), std::string(c.aliveAfterFirst) + "\n") << err;
    EXPECT_EQ(qztest::fileContents(dir.file("exit.rc")), "0\n") << err;
    const bool asked = err.find("\"photo.png\" has changes that are not saved.") != std::string::npos;
    EXPECT_EQ(asked, c.paint) << err;
  }
}

}  // namespace
