#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/startup.h"

namespace {

using qz::app::CommandLine;
using Mode = CommandLine::Mode;

TEST(CommandLine, OutcomeOfEachForm) {
  struct Case {
    std::vector<std::string> args;
    Mode mode;
    std::string path;
  };
  const Case cases[] = {
      {{}, Mode::Run, ""},
      {{"a.jpg"}, Mode::Run, "/home/u/pics/a.jpg"},
      {{"../b.png"}, Mode::Run, "/home/u/b.png"},
      {{"./sub/./c.png"}, Mode::Run, "/home/u/pics/sub/c.png"},
      {{"/abs/p q.png"}, Mode::Run, "/abs/p q.png"},
      // The option only counts as an argument of its own, never inside a name.
      {{"my-decrypted.jpg"}, Mode::Run, "/home/u/pics/my-decrypted.jpg"},
      {{"x", "y-decrypt"}, Mode::Run, "/home/u/pics/x"},
      {{"-decrypt", "f.bin"}, Mode::Decrypt, "/home/u/pics/f.bin"},
      {{"a.jpg", "-decrypt", "/tmp/f"}, Mode::Decrypt, "/tmp/f"},
      {{"-decrypt"}, Mode::Usage, ""},
      {{"-decrypt", ""}, Mode::Usage, ""},
      // Help wins over everything else; any other option is unknown, not a file.
      {{"--help"}, Mode::Help, ""},
      {{"a.png", "-h"}, Mode::Help, ""},
      {{"-decrypt", "f", "--help"}, Mode::Help, ""},
      {{"-x"}, Mode::Usage, ""},
      {{"a.png", "--verbose"}, Mode::Usage, ""},
      {{"-"}, Mode::Usage, ""},
      // Folders and missing files are documents; their load says what is wrong.
      {{"/tmp"}, Mode::Run, "/tmp"},
      {{"missing.png"}, Mode::Run, "/home/u/pics/missing.png"},
      // A document handed over in quotes loses the pair and nothing else.
      {{"\"/tmp/a b.png\""}, Mode::Run, "/tmp/a b.png"},
      {{"'x.png'"}, Mode::Run, "/home/u/pics/x.png"},
      {{"\"half.png"}, Mode::Run, "/home/u/pics/\"half.png"},
      {{"\"mixed.png'"}, Mode::Run, "/home/u/pics/\"mixed.png'"},
      {{"ab"}, Mode::Run, "/home/u/pics/ab"},
      {{"\"\""}, Mode::Run, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const CommandLine line = qz::app::parseCommandLine(c.args, "/home/u/pics");
    EXPECT_EQ(line.mode, c.mode);
    EXPECT_EQ(line.path, c.path);
    if (c.mode == Mode::Usage) {
      EXPECT_FALSE(line.problem.empty());
    }
  }
}

TEST(MainWindowLayout, ScreenWidthAndDepthRules) {
  struct Case {
    int32_t width;
    bool hidden;
    int32_t space;
  };
  const Case cases[] = {{640, true, 0}, {799, true, 0}, {800, false, 0}, {820, false, 0},
                        {821, false, 21}, {1280, false, 480}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    const qz::app::ToolBarLayout layout = qz::app::toolBarLayout(c.width);
    EXPECT_EQ(layout.hideGadgetRow, c.hidden);
    EXPECT_EQ(layout.extraSpace, c.space);
  }
  EXPECT_TRUE(qz::app::displayTooShallow(8));
  EXPECT_TRUE(qz::app::displayTooShallow(14));
  EXPECT_FALSE(qz::app::displayTooShallow(15));
  EXPECT_FALSE(qz::app::displayTooShallow(32));
}

}  // namespace
