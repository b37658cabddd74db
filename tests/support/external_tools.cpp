#include "support/external_tools.h"

#include <cstdio>
#include <cstdlib>

namespace qztest {

bool haveTool(const char* name) {
  return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

std::string onVirtualDisplay(const std::string& screen) {
  return "sh '" QZ_VIRTUAL_DISPLAY_SCRIPT "' " + screen + " ";
}

long pixelDifferences(const std::string& a, const std::string& b) {
  FILE* pipe = popen(("compare -metric AE '" + a + "' '" + b + "' null: 2>&1").c_str(), "r");
  if (!pipe) return -1;
  double count = -1;
  if (std::fscanf(pipe, "%lf", &count) != 1) count = -1;
  pclose(pipe);
  return long(count);
}

}  // namespace qztest
