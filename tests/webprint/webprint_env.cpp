// The image base with the image classes and the formats that printing and
// saving for the web use, up for the whole test program.
#include <gtest/gtest.h>

#include "image/image_shell.h"
#include "objects/catalogue.h"
#include "image/qz_image.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"

namespace {

class WebPrintEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitPPMQZIOClass(nullptr);
    Qz_InitJPEGQZIOClass(nullptr);
    Qz_InitPNGQZIOClass(nullptr);
    Qz_InitGIFQZIOClass(nullptr);
    // The texts the windows and boxes show.
    Qz__LoadCatalog("Data/Lingua/Quillantrix", "");
  }
  void TearDown() override {
    Qz__FreeCatalog();
    Qz_CleanupGIFQZIOClass();
    Qz_CleanupPNGQZIOClass();
    Qz_CleanupJPEGQZIOClass();
    Qz_CleanupPPMQZIOClass();
    Qz_CleanupRootQZIOClass();
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WebPrintEnvironment);

}  // namespace
