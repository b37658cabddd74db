#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "e2e/program_script.h"
#include "support/temp_dir.h"
#include "support/external_tools.h"

namespace {

// The colour of an active window's title bar, which the box has.
constexpr const char* kBoxTitleColour = "#0A246A";

// Under a virtual X server: a picture that cannot be loaded gives a box
// that names the file and its own reason, and a stop signal while a box
// waits, also one shown during start-up, ends the program normally within a
// second (the box's text kept on stderr).
TEST(ProgramOnX11, LoadErrorBoxesNameTheFileAndAStopEndsAnyBox) {
  for (const char* tool : {"Xvfb", "xwd", "convert"}) {
    if (!qztest::haveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  }
  qztest::TempDir dir;
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  // A PNG whose signature is right and whose header chunk's checksum is not.
  ASSERT_EQ(std::system(("convert -size 60x40 xc:'#00FF00' '" + dir.file("good.png") + "'").c_str()), 0);
  std::string png = qztest::fileContents(dir.file("good.png"));
  ASSERT_GT(png.size(), 33u);
  png[30] = static_cast<char>(png[30] ^ 0xFF);
  { std::ofstream(dir.file("damaged.png"), std::ios::binary) << png; }

  // Without one tool-bar picture the start itself shows a warning box.
  const std::string data = dir.file("data");
  ASSERT_EQ(std::system(("mkdir -p '" + data + "' && cp -r '" + std::string(QZ_BINARY_DIR) + "/Data' '" + data +
                         "/' && rm '" + data + "/Data/Images/ToolBar/Magnify+'").c_str()),
            0);

  struct Case {
    const char* file;  // empty: none
    std::string env;
    std::string box;  // what stderr keeps of the box
  };
  const Case cases[] = {
      {"damaged.png", "",
       "Image File Error (not answered): Cannot load \"" + dir.path() +
           "/damaged.png\".\nThe file could not be read: it is damaged or too short.\nPNG: IHDR: CRC error\n"},
      {"missing.png", "",
       "Image File Error (not answered): Cannot load \"" + dir.path() +
           "/missing.png\".\nThe file cannot be opened.\nThere is no such file.\n"},
      {"", "QZ_DATA_DIR='" + data + "'",
       "Warning (not answered): Some toolbar pictures are missing from Data/Images/ToolBar.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(*c.file ? c.file : "start-up box");
    const std::string state = dir.file(std::string("state-") + (*c.file ? c.file : "start"));
    ASSERT_EQ(std::system(("mkdir -p '" + state + "'").c_str()), 0);
    {
      std::ofstream script(dir.file("run.sh"));
      script << "export QZ_HOST=x11 QZ_STATE_DIR='" << state << "' " << c.env << "\n"
             << "cd '" << dir.path() << "'\n"
             << "rm -f box.found stop.ms rc err.log stacks.txt\n"
             << "'" << program << "' " << (*c.file ? "'" + std::string(c.file) + "'" : "") << " >/dev/null 2>err.log &\n"
             << "P=$!\n"
             // The box is drawn inside the program's one X window: it is
             // there once the screen shows its title bar's colour.
             << "i=0; while [ $i -lt 150 ]; do\n"
             << "  n=$(xwd -root -silent | convert xwd:- -fill black +opaque '" << kBoxTitleColour
             << "' -fill white -opaque '" << kBoxTitleColour << "' -format '%[fx:round(mean*w*h)]' info:)\n"
             << "  [ \"${n:-0}\" -gt 1000 ] && { touch box.found; break; }\n"
             << "  sleep 0.2; i=$((i+1))\n"
             << "done\n"
             << "start=$(date +%s%N)\n"
             << qztest::stopLines(10, "rc")
             << "echo $(( ($(date +%s%N) - start) / 1000000 )) > stop.ms\n";
    }
    ASSERT_TRUE(qztest::runUnderVirtualX(dir.file("run.sh")));
    const std::string err = qztest::fileContents(dir.file("err.log"));
    EXPECT_TRUE(std::ifstream(dir.file("box.found")).good()) << "no error box was shown\n" << err;
    EXPECT_EQ(qztest::fileContents(dir.file("rc")), "0\n") << err << qztest::fileContents(dir.file("stacks.txt"));
    // A box that held the stop up would wait for ever; the bound is loose so
    // that a busy machine cannot fail it (it ends in well under a second).
    EXPECT_LT(std::atol(qztest::fileContents(dir.file("stop.ms")).c_str()), 10000) << "the stop waited for the box";
    EXPECT_NE(err.find(c.box), std::string::npos) << err;
  }
}

}  // namespace
