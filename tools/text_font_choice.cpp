#include "tools/text_font_choice.h"

#include <algorithm>

namespace qz::tools {

std::vector<std::string> textFamilyList(std::vector<std::string> families) {
  std::sort(families.begin(), families.end());
  families.erase(std::unique(families.begin(), families.end()), families.end());
  return families;
}

std::string chooseTextFamily(const std::vector<std::string>& families) {
  for (const char* wanted : {"Arial", "Liberation Sans", "DejaVu Sans"})
    if (std::find(families.begin(), families.end(), wanted) != families.end()) return wanted;
  return families.empty() ? std::string("DejaVu Sans") : families.front();
}

}  // namespace qz::tools
