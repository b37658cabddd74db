#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "e2e/program_script.h"
#include "support/temp_dir.h"

namespace {

// Under a virtual X server: Ctrl+P over a picture opens the print
// requester, whose "Print to file" (the only destination without a print
// server) writes a PostScript page that Ghostscript renders as the picture.
TEST(ProgramOnX11, CtrlPPrintsThePictureToAPostScriptFile) {
  if (const std::string tool = qztest::missingTool({"Xvfb", "xdotool", "convert", "gs"}); !tool.empty())
    GTEST_SKIP() << tool << " is not installed";
  qztest::TempDir dir;
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  ASSERT_EQ(std::system(("convert -size 200x150 xc:'#00FF00' '" + dir.file("leaf.png") + "'").c_str()), 0);
  const std::string state = dir.file("state");
  ASSERT_TRUE(qztest::makeQuietState(state));
  {
    std::ofstream script(dir.file("run.sh"));
    // The requester offers a file in the home folder, named after the picture.
    script << qztest::programStartLines(program, state, dir.path(), "leaf.png", "HOME='" + dir.path() + "'")
           << "xdotool mousemove 600 8 click 1; sleep 0.5; xdotool key Escape; sleep 0.5\n"
           << "xdotool key ctrl+p; sleep 3; xdotool key Return\n"
           << "i=0; while [ ! -s leaf.ps ] && [ $i -lt 100 ]; do sleep 0.2; i=$((i+1)); done\n"
           << "sleep 1\n" << qztest::stopLines(10, "exit.rc");
  }
  ASSERT_TRUE(qztest::runUnderVirtualX(dir.file("run.sh")));
  const std::string err = qztest::fileContents(dir.file("err.log"));
  EXPECT_EQ(qztest::fileContents(dir.file("exit.rc")), "0\n")
      << "137: still running 10 s after the TERM\n" << err << qztest::fileContents(dir.file("stacks.txt"));
  ASSERT_TRUE(std::ifstream(dir.file("leaf.ps")).good()) << "no page was printed\n" << err;
  // 30 pixels per inch: the picture (200 pixels at 300 per inch) covers 20 x 15 of them.
  ASSERT_EQ(std::system(("gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=ppmraw -r30 -sOutputFile='" + dir.file("page.ppm") +
                         "' '" + dir.file("leaf.ps") + "' && convert '" + dir.file("page.ppm") +
                         "' -fill black +opaque '#00FF00' -fill white -opaque '#00FF00' -format '%[fx:round(mean*w*h)]' "
                         "info: > '" + dir.file("green.txt") + "'").c_str()),
            0);
  const long green = std::atol(qztest::fileContents(dir.file("green.txt")).c_str());
  EXPECT_GE(green, 15 * 10) << "Ghostscript's page does not show the picture";
}

}  // namespace
