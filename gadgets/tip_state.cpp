#include "gadgets/tip_state.h"

#include <climits>
#include <cstdio>

#include "platform/paths.h"

namespace qz::tips {

TipState readTipState(const char* path) {
  TipState state;
  FILE* f = path ? Qz_FOpen(path, "r") : nullptr;
  if (!f) return state;
  long tip = 0, show = 1;  // read as long, then narrowed
  if (std::fscanf(f, "%ld,%ld", &tip, &show) == 2) {
    state.tip = int32_t(tip < INT32_MIN ? INT32_MIN : tip > INT32_MAX ? INT32_MAX : tip);
    state.show = show != 0;
  }
  std::fclose(f);
  return state;
}

bool writeTipState(const char* path, int32_t tip, bool show) {
  FILE* f = path ? Qz_FOpen(path, "w") : nullptr;
  if (!f) return false;
  const bool written = std::fprintf(f, "%ld,%ld\n", long(tip), show ? 1L : 0L) > 0;
  return std::fclose(f) == 0 && written;
}

int32_t clampTip(int32_t tip, int32_t count) {
  if (count <= 0 || tip < 0) return 0;
  return tip >= count ? count - 1 : tip;
}

int32_t nextTip(int32_t tip, int32_t count) {
  if (count <= 0) return 0;
  return tip + 1 >= count || tip < 0 ? 0 : tip + 1;
}

}  // namespace qz::tips
