#include "support/stored_text.h"

#include <cstdlib>

#include "objects/object_text.h"

namespace qztest {

std::string storedText(Qz_Object* object) {
  std::size_t length = 0;
  char* text = Qz_StoreObjectToBuffer(object, &length, 0);
  std::string out = text != nullptr ? std::string(text, length) : std::string();
  std::free(text);
  return out;
}

}  // namespace qztest
