// A headless desktop per test: the screen, windows opened through the tag
// interface, and the messages each window's port holds, as plain records.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "host/headless/headless_host.h"
#include "host/host_input.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/temp_dir.h"

namespace qztest {

struct Msg {
  uint32_t cls;
  uint16_t code;
  uint16_t qualifier;
  bool operator==(const Msg&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Msg& m) {
  return os << "{0x" << std::hex << m.cls << ", " << std::dec << m.code << ", 0x" << std::hex << m.qualifier
            << std::dec << "}";
}

// Takes every queued message off the port (freeing them) in queue order.
inline std::vector<Msg> drain(Window* w) {
  std::vector<Msg> out;
  while (Message* m = GetMsg(w->UserPort)) {
    auto* im = reinterpret_cast<InputMessage*>(m);
    out.push_back({im->Class, im->Code, im->Qualifier});
    FreeVec(im);
  }
  return out;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qz::host::setModifiers(0);
    qz::host::setTabletAxis(false, 0, 0);
    screen_ = OpenScreenTags(nullptr);
    ASSERT_NE(screen_, nullptr);
    // Start every test with the pointer on the desktop and no button held.
    qz::headless::moveTo(screen_->Width - 1, screen_->Height - 1);
  }
  void TearDown() override {
    for (Window* w : open_) CloseWindow(w);
    Qz_SetWindowHooks(nullptr);
    qz::host::setModifiers(0);
  }

  // A bordered window whose client area is width x height at (left, top).
  Window* open(int left, int top, int width, int height, uint32_t flags = 0, const char* title = "Test") {
    Window* w = OpenWindowTags(nullptr, WA_Left, left, WA_Top, top, WA_InnerWidth, width, WA_InnerHeight,
                               height, WA_Flags, flags, WA_Title, title, TAG_DONE);
    if (w) open_.push_back(w);
    return w;
  }
  void close(Window* w) {
    std::erase(open_, w);
    CloseWindow(w);
  }

  ScopedStateRoot stateRoot_;
  Screen* screen_ = nullptr;
  std::vector<Window*> open_;
};

}  // namespace qztest
