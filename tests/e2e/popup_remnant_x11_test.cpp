#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/handover.h"
#include "support/external_tools.h"
#include "support/temp_dir.h"

namespace {

// Under a virtual X server, a medium chosen from the Media panel's pop-up
// (which sets the panel's sliders, whose own pop-ups are closed): the panel
// column's tab strip shows exactly what it showed before.
TEST(ProgramOnX11, ChoosingAMediumLeavesTheTabStripAsItWas) {
  for (const char* tool : {"xvfb-run", "xdotool", "xwd", "compare", "convert"}) {
    if (!qztest::haveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  }
  qztest::TempDir dir;
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  ASSERT_EQ(std::system(("convert -size 200x150 xc:'#00FF00' '" + dir.file("photo.png") + "'").c_str()), 0);
  const std::string state = dir.file("state");
  ASSERT_EQ(std::system(("mkdir -p '" + state + "/Data/Prefs' && echo 0,0 > '" + state +
                         "/Data/Prefs/TipOfTheDay.txt'").c_str()),
            0);
  // The tab strip: the column's left edge below the tool bar.
  const std::string strip = "-crop 20x700+0+70 +repage";
  {
    std::ofstream script(dir.file("run.sh"));
    script << "export QZ_HOST=x11 QZ_STATE_DIR='" << state << "'\n"
           << "cd '" << dir.path() << "'\n"
           << "'" << program << "' photo.png 2>err.log &\n"
           << "P=$!\n"
           << "i=0; while [ ! -S '" << qz::handover::socketPath(state) << "' ] && [ $i -lt 300 ]; do sleep 0.1; "
              "i=$((i+1)); done\n"
           << "sleep 3\n"
           << "xdotool mousemove 10 400 click 1; sleep 1\n"  // the Media tab
           << "xdotool mousemove 1500 900; sleep 1; xwd -root -silent > before.xwd\n"
           // Held on the medium's picture, released over the second medium.
           << "xdotool mousemove 155 115 mousedown 1; sleep 1; xdotool mousemove 230 145; sleep 0.5; "
              "xdotool mouseup 1; sleep 1\n"
           << "xdotool mousemove 1500 900; sleep 1; xwd -root -silent > after.xwd\n"
           << "compare -metric AE before.xwd after.xwd null: 2> changed.txt\n"
           << "convert before.xwd " << strip << " before.png; convert after.xwd " << strip << " after.png\n"
           << "compare -metric AE before.png after.png null: 2> strip.txt\n"
           << "kill -TERM $P; wait $P\n";
  }
  const int status = std::system(("timeout 120 xvfb-run -a -s '-screen 0 1600x1000x24' sh '" +
                                  dir.file("run.sh") + "' >/dev/null 2>&1").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  const std::string err = qztest::fileContents(dir.file("err.log"));
  EXPECT_GT(std::atol(qztest::fileContents(dir.file("changed.txt")).c_str()), 100) << "no medium was chosen\n" << err;
  EXPECT_EQ(qztest::fileContents(dir.file("strip.txt")), "0") << "pixels of the tab strip changed\n" << err;
}

}  // namespace
