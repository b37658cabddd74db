#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/handover.h"
#include "support/external_tools.h"
#include "support/temp_dir.h"

namespace {

// Under a virtual X server: Ctrl+P over a picture opens the print
// requester, whose "Print to file" (the only destination without a print
// server) writes a PostScript page that Ghostscript renders as the picture.
TEST(ProgramOnX11, CtrlPPrintsThePictureToAPostScriptFile) {
  for (const char* tool : {"xvfb-run", "xdotool", "convert", "gs"}) {
    if (!qztest::haveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  }
  qztest::TempDir dir;
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  ASSERT_EQ(std::system(("convert -size 200x150 xc:'#00FF00' '" + dir.file("leaf.png") + "'").c_str()), 0);
  const std::string state = dir.file("state");
  ASSERT_EQ(std::system(("mkdir -p '" + state + "/Data/Prefs' && echo 0,0 > '" + state +
                         "/Data/Prefs/TipOfTheDay.txt'").c_str()),
            0);
  {
    std::ofstream script(dir.file("run.sh"));
    // The requester offers a file in the home folder, named after the picture.
    script << "export QZ_HOST=x11 QZ_STATE_DIR='" << state << "' HOME='" << dir.path() << "'\n"
           << "cd '" << dir.path() << "'\n"
           << "'" << program << "' leaf.png 2>err.log &\n"
           << "P=$!\n"
           << "i=0; while [ ! -S '" << qz::handover::socketPath(state) << "' ] && [ $i -lt 300 ]; do sleep 0.1; "
              "i=$((i+1)); done\n"
           << "sleep 3\n"
           << "xdotool mousemove 600 8 click 1; sleep 0.5; xdotool key Escape; sleep 0.5\n"
           << "xdotool key ctrl+p; sleep 3; xdotool key Return\n"
           << "i=0; while [ ! -s leaf.ps ] && [ $i -lt 100 ]; do sleep 0.2; i=$((i+1)); done\n"
           << "sleep 1; kill -TERM $P; wait $P\n";
  }
  const int status = std::system(("timeout 120 xvfb-run -a -s '-screen 0 1024x768x24' sh '" + dir.file("run.sh") +
                                  "' >/dev/null 2>&1").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  const std::string err = qztest::fileContents(dir.file("err.log"));
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
