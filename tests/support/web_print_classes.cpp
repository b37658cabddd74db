#include "web_print_classes.h"

#include "image/image_shell.h"
#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"

namespace qztest {

bool OpenWebPrintClasses() {
  if (Qz_InitImageBase() == nullptr || Qz_InitImageClass(Qz_GetGlobalData()) != 1) return false;
  Qz_InitRootQZIOClass(nullptr);
  Qz_InitPPMQZIOClass(nullptr);
  Qz_InitJPEGQZIOClass(nullptr);
  Qz_InitPNGQZIOClass(nullptr);
  Qz_InitGIFQZIOClass(nullptr);
  // The texts the windows and boxes show.
  Qz__LoadCatalog("Data/Lingua/Quillantrix", "");
  return true;
}

void CloseWebPrintClasses() {
  Qz__FreeCatalog();
  Qz_CleanupGIFQZIOClass();
  Qz_CleanupPNGQZIOClass();
  Qz_CleanupJPEGQZIOClass();
  Qz_CleanupPPMQZIOClass();
  Qz_CleanupRootQZIOClass();
  Qz_CleanupImageClass();
  Qz_CleanupImageBase();
}

}  // namespace qztest
