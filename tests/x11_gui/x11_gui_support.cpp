#include "x11_gui/x11_gui_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "host/host_backend.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/ui_harness.h"

namespace qztest::x11 {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(5);

bool isGroup(Qz_Object* o) {
  for (Qz_Object* instance = o; instance != nullptr; instance = instance->super) {
    if (instance->objectClass->classId == kGroupClassId) return true;
  }
  return false;
}

void collectButtons(Qz_Object* o, std::vector<LabelledButton>& out) {
  if (Qz_GetObjectClassID(o) == kButtonClassId) {
    auto* face = reinterpret_cast<Qz_Object*>(Qz_DoMethod(o, kGroupFirst));
    const char* label = face != nullptr ? reinterpret_cast<const char*>(Qz_DoMethod(face, kRootGetLabel)) : nullptr;
    if (label != nullptr) out.push_back({label, o});
    return;
  }
  if (!isGroup(o)) return;
  for (auto* m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(o, kGroupFirst)); m != nullptr;
       m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(o, kGroupNext, m))) {
    collectButtons(m, out);
  }
}

// Runs a call on the window's thread and waits for it. The call writes a
// new ticket into a word that only such calls ever write.
bool barrier(Qz_Object* windowObject) {
  static uint32_t passed = 0;
  static std::atomic<uint32_t> issued{0};
  const uint32_t ticket = ++issued;
  if (Qz_DoAsyncMethod(windowObject, kRootPoke32, &passed, ticket) == 0) return false;
  const auto deadline = Clock::now() + kPatience;
  while (std::atomic_ref<uint32_t>(passed).load() != ticket) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace

uint32_t shownPixel(int x, int y, uint32_t expected) {
  std::vector<uint32_t> px;
  const auto deadline = Clock::now() + kPatience;
  do {
    Qz_HostFlush();
    if (qz::host::backend().grabScreen(x, y, 1, 1, &px) && px[0] == expected) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (Clock::now() < deadline);
  return px.empty() ? 0xFFFFFFFF : px[0];
}

bool isInk(uint32_t rgb) { return ((rgb >> 16) & 0xFF) < 0x60 && ((rgb >> 8) & 0xFF) < 0x60 && (rgb & 0xFF) < 0x60; }

bool waitForInk(int x, int y, int w, int h, int atLeast) {
  std::vector<uint32_t> px;
  const auto deadline = Clock::now() + kPatience;
  do {
    Qz_HostFlush();
    if (qz::host::backend().grabScreen(x, y, w, h, &px) &&
        std::count_if(px.begin(), px.end(), isInk) >= atLeast) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (Clock::now() < deadline);
  return false;
}

std::vector<uint32_t> steadyPixels(int x, int y, int w, int h) {
  std::vector<uint32_t> last, now;
  const auto deadline = Clock::now() + kPatience;
  do {
    Qz_HostFlush();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    if (!qz::host::backend().grabScreen(x, y, w, h, &now)) now.clear();
    if (!now.empty() && now == last) break;
    last.swap(now);
  } while (Clock::now() < deadline);
  return now.empty() ? last : now;
}

int xdotool(const std::string& args) { return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); }

bool clickAt(int x, int y) {
  return xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1") == 0;
}

bool clickObject(Window* window, Qz_Object* object) {
  if (window == nullptr || object == nullptr) return false;
  const Qz_LayoutBox b = qztest::UiHarness::box(object);
  return clickAt(window->LeftEdge + b.left + b.width / 2, window->TopEdge + b.top + b.height / 2);
}

void closeBoxPosition(const Window* window, int* x, int* y) {
  // The close box is a 14-pixel square 2 pixels in from the frame at the
  // caption's right end.
  *x = window->LeftEdge + window->Width - kFrameWidth - 2 - 7;
  *y = window->TopEdge + kFrameWidth + kCaptionHeight / 2;
}

bool Screenshot::take(const std::string& path) {
  if (std::system(("import -window root '" + path + "' 2>/dev/null").c_str()) != 0) return false;
  FILE* p = popen(("convert '" + path + "' -depth 8 ppm:- 2>/dev/null").c_str(), "r");
  if (p == nullptr) return false;
  int maxValue = 0;
  const bool header = std::fscanf(p, "P6 %d %d %d", &width, &height, &maxValue) == 3 && maxValue == 255 &&
                      std::fgetc(p) != EOF && width > 0 && height > 0;
  std::vector<uint8_t> bytes(header ? static_cast<std::size_t>(width) * height * 3 : 0);
  const bool read = header && std::fread(bytes.data(), 1, bytes.size(), p) == bytes.size();
  pclose(p);
  if (!read) return false;
  pixels.resize(bytes.size() / 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = (uint32_t(bytes[i * 3]) << 16) | (uint32_t(bytes[i * 3 + 1]) << 8) | bytes[i * 3 + 2];
  }
  return true;
}

int Screenshot::count(int x, int y, int w, int h, uint32_t rgb) const {
  int n = 0;
  for (int row = std::max(y, 0); row < std::min(y + h, height); ++row) {
    for (int col = std::max(x, 0); col < std::min(x + w, width); ++col) n += at(col, row) == rgb;
  }
  return n;
}

int Screenshot::countInk(int x, int y, int w, int h) const {
  int n = 0;
  for (int row = std::max(y, 0); row < std::min(y + h, height); ++row) {
    for (int col = std::max(x, 0); col < std::min(x + w, width); ++col) n += isInk(at(col, row));
  }
  return n;
}

std::string screenshotPath(const char* name) { return std::string(QZ_SCREENSHOT_DIR) + "/" + name; }

std::vector<LabelledButton> buttonsOf(Qz_Object* windowObject) {
  std::vector<LabelledButton> out;
  collectButtons(windowObject, out);
  return out;
}

Qz_Object* buttonLabelled(Qz_Object* windowObject, const std::string& label) {
  for (const LabelledButton& b : buttonsOf(windowObject)) {
    if (b.label == label) return b.button;
  }
  return nullptr;
}

bool waitForButtonLabels(const Window* window, const std::vector<LabelledButton>& buttons) {
  for (const LabelledButton& b : buttons) {
    const Qz_LayoutBox r = UiHarness::box(b.button);
    if (!waitForInk(window->LeftEdge + r.left + 3, window->TopEdge + r.top + 3, r.width - 6, r.height - 6, 10))
      return false;
  }
  return true;
}

Window* waitForPlatformWindow(Qz_Object* windowObject) {
  const auto deadline = Clock::now() + kPatience;
  Window* window = nullptr;
  while ((window = Qz__PlatformWindowOf(windowObject)) == nullptr && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return window;
}

Qz_Object* waitForActiveWindow(const char* title) {
  const auto deadline = Clock::now() + kPatience;
  while (Clock::now() < deadline) {
    Window* active = Qz_GetActiveWindow();
    auto* owner = active != nullptr ? static_cast<Qz_Object*>(active->OwnerObject) : nullptr;
    if (owner != nullptr && Qz_GetObjectClassID(owner) == kWindowClassId &&
        std::string(reinterpret_cast<const char*>(Qz_DoMethod(owner, kWindowGetTitle))) == title &&
        Qz__PlatformWindowOf(owner) == active) {
      return owner;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return nullptr;
}

bool settle(Qz_Object* windowObject) {
  // Input messages are handled after the queued calls of the same pass, so
  // the second call runs only after what the window had received was handled.
  return barrier(windowObject) && barrier(windowObject);
}

}  // namespace qztest::x11
