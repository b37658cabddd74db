#include "requester_driver.h"

#include <chrono>
#include <cstring>

#include "gadgets/qz_group.h"
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

namespace {
void Collect(Qz_Object* o, const char* className, std::vector<Qz_Object*>& out, int depth) {
  if (!o || depth > 32) return;
  if (o->objectClass && std::strcmp(o->objectClass->name, className) == 0) out.push_back(o);
  for (auto* m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(o, kGroupFirst)); m;
       m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(o, kGroupNext, m)))
    Collect(m, className, out, depth + 1);
}
}  // namespace

std::vector<Qz_Object*> FindAll(Qz_Object* root, const char* className) {
  std::vector<Qz_Object*> out;
  Collect(root, className, out, 0);
  return out;
}

void Answer(UiHarness& ui, Qz_Object* window, Reply reply) {
  ui.settle(window);
  if (reply == Reply::Ok)
    qz::headless::typeKey(0x0D, 13);
  else
    qz::headless::typeKey(0x1B, 27);
}

}  // namespace qztest
