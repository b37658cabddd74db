// Feeds each input to the object-text reader through its public entry, and
// stores what it built back to text. Any crash, leak or sanitizer report is
// a finding; a refused text is the expected outcome.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "objects/object_text.h"
#include "objects/qz_object.h"

namespace {

bool Start() {
  if (!Qz_Init()) return false;
  // The runtime keeps freed object memory until it closes: close it at exit
  // so the leak check sees only real leaks.
  atexit([] { Qz_CleanUp(); });
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = Start();
  if (!ready) return 0;
  // The reader takes the text with its length (a zero byte inside refuses
  // it) and changes it in place; the objects' strings point into it, so it
  // lives until they are gone.
  char* text = static_cast<char*>(std::malloc(size + 1));
  if (!text) return 0;
  std::memcpy(text, data, size);
  text[size] = '\0';
  if (Qz_Object* root = Qz__CreateObjectsFromText(text, size)) {
    size_t length = 0;
    std::free(Qz_StoreObjectToBuffer(root, &length, 0));
    Qz_DisposeObject(root);
  }
  std::free(text);
  return 0;
}
