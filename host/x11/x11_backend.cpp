#include "host/host_backend.h"
#include <cstdio>
namespace qz::host {
namespace {
class X11Backend final : public Backend {
 public:
  const char* name() const override { return "x11"; }
  bool start(int*, int*) override { std::fprintf(stderr, "Quillantrix: no X11 yet\n"); return false; }
  void stop() override {}
  void presentLater() override {}
  void setTitle(const std::string&) override {}
  void grabPointer(bool) override {}
  void raise() override {}
  void setCursor(int) override {}
  bool setClipboard(const std::string&, const std::vector<uint8_t>&) override { return false; }
  bool clipboard(const std::string&, std::vector<uint8_t>*) override { return false; }
  std::vector<std::string> clipboardTypes() override { return {}; }
  bool grabScreen(int, int, int, int, std::vector<uint32_t>*) override { return false; }
  bool tabletPresent() override { return false; }
};
}
Backend* makeX11Backend() { return new X11Backend; }
}
