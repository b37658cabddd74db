#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "e2e/program_script.h"
#include "support/temp_dir.h"

namespace {

// Under a virtual X server, a medium chosen from the Media panel's pop-up
// (which sets the panel's sliders, whose own pop-ups are closed): the panel
// column's tab strip shows exactly what it showed before.
TEST(ProgramOnX11, ChoosingAMediumLeavesTheTabStripAsItWas) {
  if (const std::string tool = qztest::missingTool({"Xvfb", "xdotool", "xwd", "compare", "convert"}); !tool.empty())
    GTEST_SKIP() << tool << " is not installed";
  qztest::TempDir dir;
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  ASSERT_EQ(std::system(("convert -size 200x150 xc:'#00FF00' '" + dir.file("photo.png") + "'").c_str()), 0);
  const std::string state = dir.file("state");
  ASSERT_TRUE(qztest::makeQuietState(state));
  // The tab strip: the column's left edge below the tool bar.
  const std::string strip = "-crop 20x700+0+70 +repage";
  {
    std::ofstream script(dir.file("run.sh"));
    // On a busy machine (a sanitizer build among other tests) the program
    // takes seconds to draw and may miss a click made before it answers:
    // the script waits for the picture's green, waits for the screen to
    // stand still after each step, and repeats a click that changed nothing.
    script << qztest::programStartLines(program, state, dir.path(), "photo.png") << qztest::screenFunctionLines()
           << "waitForColour 00FF00; steady\n"
           << "n=0; while [ $n -lt 5 ]; do shot start.xwd; xdotool mousemove 10 400 click 1; "  // the Media tab
              "xdotool mousemove 1500 900; steady; same start.xwd steady.xwd || break; n=$((n+1)); done\n"
           << "shot before.xwd\n"
           // Held on the medium's picture, released over the second medium.
           << "n=0; while [ $n -lt 3 ]; do xdotool mousemove 155 115 mousedown 1; sleep 1; steady; "
              "xdotool mousemove 230 145; sleep 0.5; xdotool mouseup 1; sleep 1; "
              "xdotool mousemove 1500 900; steady; shot after.xwd; same before.xwd after.xwd || break; "
              "n=$((n+1)); done\n"
           << "compare -metric AE before.xwd after.xwd null: 2> changed.txt\n"
           << "convert before.xwd " << strip << " before.png; convert after.xwd " << strip << " after.png\n"
           << "compare -metric AE before.png after.png null: 2> strip.txt\n"
           << qztest::stopLines(10, "exit.rc");
  }
  ASSERT_TRUE(qztest::runUnderVirtualX(dir.file("run.sh"), "1600x1000"));
  const std::string err = qztest::fileContents(dir.file("err.log"));
  EXPECT_GT(std::atol(qztest::fileContents(dir.file("changed.txt")).c_str()), 100) << "no medium was chosen\n" << err;
  EXPECT_EQ(qztest::fileContents(dir.file("strip.txt")), "0") << "pixels of the tab strip changed\n" << err;
  EXPECT_EQ(qztest::fileContents(dir.file("exit.rc")), "0\n")
      << "137: still running 10 s after the TERM\n" << err << qztest::fileContents(dir.file("stacks.txt"));
}

}  // namespace
