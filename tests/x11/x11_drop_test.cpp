// Files dropped on the host window by the XDND protocol reach the
// application's open request; the test plays the drag source on its own
// X connection, as a file manager would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "host/x11/uri_list.h"
#include "tests/x11/drag_source.h"
#include "platform/windows.h"
#include "support/temp_dir.h"

namespace {

TEST(UriList, FileUrisBecomePaths) {
  struct Case {
    const char* name;
    const char* list;
    std::vector<std::string> paths;
  };
  const Case cases[] = {
      {"one file", "file:///home/u/a.png\r\n", {"/home/u/a.png"}},
      {"escapes and localhost", "file://localhost/tmp/my%20pic%C3%A4.png", {"/tmp/my picä.png"}},
      {"comments and blank lines", "# from a file manager\r\n\r\nfile:///x\r\nfile:///y\n", {"/x", "/y"}},
      {"other schemes and hosts", "http://example.org/a.png\r\nfile://otherhost/etc/passwd\r\n", {}},
      {"broken escapes are refused", "file:///a%zz\r\nfile:///b%0\r\nfile:///c%00d\r\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qz::x11::pathsFromUriList(c.list), c.paths);
  }
}

std::mutex gLock;
std::vector<std::string> gOpened;
void onOpen(char* path) {
  std::lock_guard<std::mutex> lock(gLock);
  gOpened.push_back(path ? path : "<null>");
  if (path) FreeVec(path);
}

TEST(X11Drop, AFileDroppedOnTheDesktopIsOpened) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  qztest::ScopedStateRoot stateRoot;
  qztest::TempDir dir;
  const std::string file = dir.file("my picture.png");
  std::ofstream(file) << "x";
  QzWindowHooks hooks{};
  hooks.openFile = onOpen;
  Qz_SetWindowHooks(&hooks);
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);

  std::string uri = "file://";
  for (char c : file) uri += c == ' ' ? std::string("%20") : std::string(1, c);
  const qztest::DragResult r = qztest::dropOnHostWindow(uri + "\r\n", 200, 200);
  ASSERT_TRUE(r.foundHost);
  EXPECT_TRUE(r.accepted);
  EXPECT_TRUE(r.finished);
  {
    std::lock_guard<std::mutex> lock(gLock);
    EXPECT_EQ(gOpened, (std::vector<std::string>{file}));
  }
  Qz_SetWindowHooks(nullptr);
}

}  // namespace
