// Stand-ins for calls whose real homes are other modules (message boxes,
// object text, asynchronous calls). They are weak: the real definition,
// once linked in, replaces them.
#include <cstdio>

#include "objects/qz_object.h"

extern "C" {

__attribute__((weak)) QZ_EXPORT QzWord Qz_MessageBoxA(const char* title, const char* text,
                                                      uint32_t kind, Qz_Object* parent) {
  (void)kind;
  (void)parent;
  std::fprintf(stderr, "%s: %s\n", title != nullptr ? title : "", text != nullptr ? text : "");
  return 0;
}

__attribute__((weak)) QZ_EXPORT QzWord Qz__InternalStoreObject(Qz_Object* object,
                                                               Qz_StoreObjectData* state) {
  (void)object;
  (void)state;
  return 0;
}

__attribute__((weak)) QZ_EXPORT QzWord Qz__QueueAsyncMethod(Qz_Object* receiver, MsgPort* port,
                                                            const QzWord* words) {
  (void)receiver;
  (void)port;
  (void)words;
  return 0;
}

}  // extern "C"
