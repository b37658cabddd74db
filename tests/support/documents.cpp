#include "support/documents.h"

#include "image/qz_image.h"

namespace qztest {

void disposeAllDocuments() {
  Qz_ImageBase* base = Qz_GetImageBase();
  for (;;) {
    ObtainSemaphore(&base->semaphore);
    Qz_Image* document = first_image(base);
    ReleaseSemaphore(&base->semaphore);
    if (!document) break;
    Qz_DisposeObject(&document->object);
  }
}

}  // namespace qztest
