// A program that loads a picture, frees it and returns from main without
// Qz_CleanUp ends at once: the exit handler waits only for work under way,
// never for a document thread that sits idle (the application image's).
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/image_shell.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

constexpr const char* kPictureVariable = "QZTEST_EXIT_PICTURE";

// Started again with the variable set: load, free, end the process as a
// return from main does (exit handlers run, no Qz_CleanUp).
struct LoadAndLeave {
  LoadAndLeave() {
    const char* picture = std::getenv(kPictureVariable);
    if (!picture) return;
    if (!Qz_InitImageBase()) _exit(3);
    Qz_InitImageClass(Qz_GetGlobalData());
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitPPMQZIOClass(nullptr);
    Qz_GetImageBase()->ioGlobalData = QZIO_Init(nullptr);
    constexpr uint32_t kQuiet = 4;
    Qz_Image* image = Qz__LoadImageA(picture, nullptr, nullptr, kQzLoadPlain | kQuiet, nullptr);
    if (!image) _exit(4);
    Qz_DisposeObject(&image->object);
    std::exit(0);
  }
} gLoadAndLeave;

TEST(ExitWait, AProgramWithNothingOpenEndsAtOnce) {
  qztest::TempDir dir;
  qztest::WritePattern(dir.file("one.ppm"), 5, 3);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  env.push_back(std::string(kPictureVariable) + "=" + dir.file("one.ppm"));
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  char self[] = "/proc/self/exe";
  char* argv[] = {self, nullptr};
  const auto started = std::chrono::steady_clock::now();
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, self, nullptr, nullptr, argv, envp.data()), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  // The handler gives work under way 10 s; a sanitizer build may need a few
  // seconds to start and load, so anything well short of that passes.
  EXPECT_LT(seconds, 5.0) << "the exit waited for a thread with nothing to do";
}

}  // namespace
