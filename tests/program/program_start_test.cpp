#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// The program binary starts and exits cleanly on its own.
TEST(ProgramStart, ExitsCleanly) {
  const std::string program = std::string(QZ_BINARY_DIR) + "/Quillantrix";
  EXPECT_EQ(std::system((program + " >/dev/null 2>&1").c_str()), 0);
}
