// The headless host: the desktop lives in memory, input is injected, the
// clipboard is in-process, and the window timer ticks only when a test asks.
#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "host/headless/headless_host.h"
#include "host/host_backend.h"
#include "platform/windows_internal.h"

namespace qz::host {
namespace {

class HeadlessBackend final : public Backend {
 public:
  const char* name() const override { return "headless"; }

  bool start(int* width, int* height) override {
    std::lock_guard<std::mutex> fb(framebufferLock_);
    std::lock_guard<std::mutex> lock(mutex_);
    framebuffer_ = raster::PixelBuffer(width_, height_);
    *width = width_;
    *height = height_;
    return true;
  }
  void stop() override {}
  void presentLater() override {}
  void setTitle(const std::string&) override {}
  // No pointer to grab: the state is kept for tests to read.
  void grabPointer(bool on) override {
    std::lock_guard<std::mutex> lock(mutex_);
    grabbed_ = on;
  }
  void raise() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++raises_;
  }
  void setCursor(int) override {}

  bool offerClipboard(ClipboardOffers offers) override {
    std::lock_guard<std::mutex> lock(mutex_);
    // A new owner replaces everything offered before, as on a display.
    clipboard_ = std::move(offers);
    return true;
  }
  bool clipboard(const std::string& type, std::vector<uint8_t>* bytes) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = clipboard_.find(type);
    if (it == clipboard_.end()) return false;
    *bytes = it->second;
    return true;
  }
  std::vector<std::string> clipboardTypes() override {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> types;
    for (const auto& entry : clipboard_) types.push_back(entry.first);
    return types;
  }

  // The composed framebuffer is the whole screen, and no other program shows.
  bool grabScreenArea(GrabArea* screen, int* deskLeft, int* deskTop) override {
    std::lock_guard<std::recursive_mutex> desk(win::desk().lock);
    if (!win::desk().screen) return false;
    *screen = {0, 0, win::desk().screen->Width, win::desk().screen->Height};
    *deskLeft = *deskTop = 0;
    return true;
  }
  bool foreignActiveWindow(bool, GrabArea*) override { return false; }

  bool grabScreen(int x, int y, int width, int height, std::vector<uint32_t>* pixels) override {
    // Its own lock: composing takes the desk's lock, which the clipboard's callers may hold.
    std::lock_guard<std::mutex> lock(framebufferLock_);
    if (framebuffer_.width() == 0) return false;
    int screenW = 0, screenH = 0;
    {
      std::lock_guard<std::recursive_mutex> desk(win::desk().lock);
      if (win::desk().screen) {
        screenW = win::desk().screen->Width;
        screenH = win::desk().screen->Height;
      }
    }
    if (screenW > 0 && (screenW != framebuffer_.width() || screenH != framebuffer_.height())) {
      // The desktop was resized by a test: follow it.
      framebuffer_ = raster::PixelBuffer(screenW, screenH);
      invalidateDesktop();
    }
    composeDesktop(framebuffer_);
    pixels->assign(static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0), 0);
    for (int row = 0; row < height; ++row)
      for (int col = 0; col < width; ++col)
        if (framebuffer_.bounds().contains(x + col, y + row))
          (*pixels)[static_cast<std::size_t>(row) * width + col] = framebuffer_.at(x + col, y + row);
    return true;
  }

  bool tabletPresent() override { return false; }

  void setSize(int width, int height) {
    std::lock_guard<std::mutex> lock(mutex_);
    width_ = std::clamp(width, 1, 32767);
    height_ = std::clamp(height, 1, 32767);
  }
  int raises() {
    std::lock_guard<std::mutex> lock(mutex_);
    return raises_;
  }
  bool grabbed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return grabbed_;
  }

 private:
  std::mutex framebufferLock_;
  std::mutex mutex_;
  int width_ = 1024, height_ = 768;
  raster::PixelBuffer framebuffer_;
  std::map<std::string, std::vector<uint8_t>> clipboard_;
  int raises_ = 0;
  bool grabbed_ = false;
};

HeadlessBackend& headless() {
  static HeadlessBackend* b = new HeadlessBackend;
  return *b;
}

struct Probe {
  headless::IdleProbe probe;
  void* context;
};
std::mutex gProbeLock;
std::vector<Probe> gProbes;

bool portsEmpty() {
  win::Desk& d = win::desk();
  std::lock_guard<std::recursive_mutex> lock(d.lock);
  Forbid();
  bool empty = true;
  for (Window* w : d.stack)
    if (w->UserPort && w->UserPort->mp_MsgList.lh_Head->ln_Succ) empty = false;
  Permit();
  return empty;
}

bool probesIdle() {
  std::vector<Probe> probes;
  {
    std::lock_guard<std::mutex> lock(gProbeLock);
    probes = gProbes;
  }
  for (const Probe& p : probes)
    if (!p.probe(p.context)) return false;
  return true;
}

}  // namespace

Backend* makeHeadlessBackend() { return &headless(); }

}  // namespace qz::host

namespace qz::headless {

void setDesktopSize(int width, int height) { host::headless().setSize(width, height); }

void moveTo(int x, int y) { host::pointerMoved(x, y); }

namespace {
void buttonAtPointer(host::Button button, bool down) {
  int x, y;
  {
    std::lock_guard<std::recursive_mutex> lock(win::desk().lock);
    x = win::desk().pointerX;
    y = win::desk().pointerY;
  }
  host::buttonEvent(button, down, x, y);
}
}  // namespace

void press(host::Button button) { buttonAtPointer(button, true); }
void release(host::Button button) { buttonAtPointer(button, false); }

void click(int x, int y, host::Button button) {
  moveTo(x, y);
  press(button);
  release(button);
}

void keyDown(uint16_t virtualKey, char32_t character) { host::keyEvent(virtualKey, character, true); }
void keyUp(uint16_t virtualKey) { host::keyEvent(virtualKey, 0, false); }

void typeKey(uint16_t virtualKey, char32_t character) {
  keyDown(virtualKey, character);
  keyUp(virtualKey);
}

void typeText(const std::string& text) {
  for (unsigned char c : text) {
    const bool upper = c >= 'A' && c <= 'Z';
    uint16_t vk = 0;
    if (c >= 'a' && c <= 'z') vk = static_cast<uint16_t>(c - 'a' + 'A');
    else if (upper || (c >= '0' && c <= '9') || c == ' ') vk = c;
    else if (c == '\n') vk = host::kVkReturn;
    else vk = 0xBA;  // some punctuation key; the character is what counts
    if (upper) keyDown(host::kVkShift);
    typeKey(vk, c == '\n' ? U'\r' : static_cast<char32_t>(c));
    if (upper) keyUp(host::kVkShift);
  }
}

void tick() { host::tick(); }

bool settle(int timeoutMilliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
  for (;;) {
    if (host::portsEmpty() && host::probesIdle()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void addIdleProbe(IdleProbe probe, void* context) {
  std::lock_guard<std::mutex> lock(host::gProbeLock);
  host::gProbes.push_back({probe, context});
}

void removeIdleProbe(IdleProbe probe, void* context) {
  std::lock_guard<std::mutex> lock(host::gProbeLock);
  auto& v = host::gProbes;
  v.erase(std::remove_if(v.begin(), v.end(), [&](const host::Probe& p) { return p.probe == probe && p.context == context; }),
          v.end());
}

uint32_t screenPixel(int x, int y) {
  std::vector<uint32_t> px;
  return host::headless().grabScreen(x, y, 1, 1, &px) ? px[0] : 0;
}

std::vector<uint32_t> screenPixels(int x, int y, int width, int height) {
  std::vector<uint32_t> px;
  host::headless().grabScreen(x, y, width, height, &px);
  return px;
}

std::vector<std::string> clipboardTypes() { return host::headless().clipboardTypes(); }

int raiseCount() { return host::headless().raises(); }
bool pointerGrabbed() { return host::headless().grabbed(); }

}  // namespace qz::headless
