#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "e2e/program_script.h"
#include "platform/handover.h"
#include "support/temp_dir.h"
#include "support/external_tools.h"

namespace {

// Pixels of exactly that colour in a screenshot (read through ImageMagick).
long countColour(const std::string& shot, const std::string& hex) {
  const std::string command = "convert '" + shot + "' -fill black +opaque '" + hex + "' -fill white -opaque '" +
                              hex + "' -format '%[fx:mean*w*h]' info: 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  char buf[64] = {0};
  const bool got = std::fgets(buf, sizeof buf, p) != nullptr;
  pclose(p);
  return got ? std::atol(buf) : -1;
}

// Under a virtual X server: a start with a picture, a second start that
// hands its picture over, and a stop that ends the first cleanly.
TEST(ProgramOnX11, StartHandOverAndStop) {
  for (const char* tool : {"Xvfb", "xwd", "convert"}) {
    if (!qztest::haveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  }
  qztest::TempDir dir;
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  ASSERT_EQ(std::system(("convert -size 120x80 xc:'#FF0000' '" + dir.file("red.png") + "' && convert -size 120x80 "
                         "xc:'#0000FF' '" + dir.file("blue.png") + "'").c_str()),
            0);
  const std::string state = dir.file("state");
  // The tip of the day is turned off, as a returning user would have it, so nothing covers the picture.
  ASSERT_EQ(std::system(("mkdir -p '" + state + "/Data/Prefs' && echo 0,0 > '" + state +
                         "/Data/Prefs/TipOfTheDay.txt'").c_str()),
            0);
  const std::string socket = qz::handover::socketPath(state);
  {
    std::ofstream script(dir.file("run.sh"));
    script << "export QZ_HOST=x11 QZ_STATE_DIR='" << state << "'\n"
           << "cd '" << dir.path() << "'\n"
           << "'" << program << "' red.png >first.log 2>&1 &\n"
           << "P=$!\n"
           << "i=0; while [ ! -S '" << socket << "' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n"
           // The picture shows some time after the socket opens and is drawn
           // in bands; on a busy machine that can take seconds, so look until
           // it is there.
           << "i=0; while [ $i -lt 120 ]; do xwd -root -silent > shot.xwd; "
              "n=$(convert shot.xwd -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' "
              "-format '%[fx:round(mean*w*h)]' info: 2>/dev/null); "
              "[ \"${n:-0}\" -ge 4800 ] && break; "  // half the picture drawn, not its first pixel
              "sleep 0.25; i=$((i+1)); done\n"
           << "'" << program << "' blue.png >second.log 2>&1; echo $? > second.rc\n"
           << qztest::stopLines(10, "first.rc");
  }
  ASSERT_TRUE(qztest::runUnderVirtualX(dir.file("run.sh")));
  EXPECT_EQ(qztest::fileContents(dir.file("second.rc")), "0\n") << qztest::fileContents(dir.file("second.log"));
  EXPECT_EQ(qztest::fileContents(dir.file("first.rc")), "0\n")
      << qztest::fileContents(dir.file("first.log")) << qztest::fileContents(dir.file("stacks.txt"));
  const long red = countColour(dir.file("shot.xwd"), "#FF0000");
  ASSERT_GE(red, 0) << "the screenshot could not be read";
  EXPECT_GE(red, 120 * 80 / 2) << "the document window did not show the picture";
}

}  // namespace
