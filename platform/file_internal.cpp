#include "platform/file_internal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qz::detail {

bool copyFileContents(const std::string& src, const std::string& dst) {
  int in = open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(in);
    return false;
  }
  int out = open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
  if (out < 0) {
    close(in);
    return false;
  }
  bool ok = true;
  char buf[1 << 16];
  for (;;) {
    ssize_t n = read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(out, buf + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  close(in);
  if (close(out) != 0) ok = false;
  return ok;
}

mode_t currentUmask() {
  FILE* f = std::fopen("/proc/self/status", "r");
  mode_t mask = 022;
  if (!f) return mask;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    unsigned value;
    if (std::sscanf(line, "Umask: %o", &value) == 1) {
      mask = static_cast<mode_t>(value);
      break;
    }
  }
  std::fclose(f);
  return mask;
}

}  // namespace qz::detail
