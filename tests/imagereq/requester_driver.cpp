#include "requester_driver.h"

#include <chrono>
#include <cstring>

#include "host/headless/headless_host.h"
#include "platform/exec.h"
#include "platform/windows.h"

namespace qztest {

Qz_Object* WaitForWindow(UiHarness& ui, const char* title) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    Window* active = Qz_GetActiveWindow();
    if (active && active->Title && std::strcmp(active->Title, title) == 0) {
      auto* owner = static_cast<Qz_Object*>(active->OwnerObject);
      if (owner && ui.platformWindow(owner) == active && ui.settle(owner)) return owner;
    }
    Delay(1);
  }
  return nullptr;
}

void Answer(UiHarness& ui, Qz_Object* window, Reply reply) {
  ui.settle(window);
  if (reply == Reply::Ok)
    qz::headless::typeKey(0x0D, 13);
  else
    qz::headless::typeKey(0x1B, 27);
}

}  // namespace qztest
