// Chooses the host back end once: QZ_HOST=headless|x11, X11 when unset (the
// program runs on a display; tests set headless).
#include "host/host_backend.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace qz::host {

std::string chosenBackendName() {
  const char* v = std::getenv("QZ_HOST");
  if (v && std::strcmp(v, "headless") == 0) return "headless";
  if (v && *v && std::strcmp(v, "x11") != 0)
    std::fprintf(stderr, "Quillantrix: QZ_HOST=\"%s\" is not a host (headless or x11); using x11\n", v);
  return "x11";
}

Backend& backend() {
  static Backend* chosen = nullptr;
  static std::once_flag once;
  std::call_once(once, [] { chosen = chosenBackendName() == "headless" ? makeHeadlessBackend() : makeX11Backend(); });
  return *chosen;
}

}  // namespace qz::host
