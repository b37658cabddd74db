// Set-up shared by the format-options and batch tests: the image base with
// the image-file library open over a few format classes, the catalogue,
// and the headless screen.
#pragma once

#include <gtest/gtest.h>

#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "requesters/qz_qzio_options.h"
#include "support/ui_harness.h"

namespace qztest {

class FormatFixture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    Qz__LoadCatalog("Data/Lingua/Quillantrix", "");
    Qz_InitRootQZIOClass(nullptr);
    for (auto init : kInits) init(nullptr);
    ASSERT_EQ(Qz_InitQZIOOptionsClass(nullptr), 1u);
    Qz_GetImageBase()->ioGlobalData = QZIO_Init(nullptr);
    ASSERT_NE(Qz_GetImageBase()->ioGlobalData, nullptr);
  }
  void TearDown() override {
    QZIO_Cleanup();
    Qz_GetImageBase()->ioGlobalData = nullptr;
    Qz_CleanupQZIOOptionsClass();
    for (auto cleanup : kCleanups) cleanup();
    Qz_CleanupRootQZIOClass();
    Qz__FreeCatalog();
    Qz_CleanupImageBase();
  }

  UiHarness ui_;

 private:
  static constexpr QzWord (*kInits[])(Qz_GlobalData*) = {Qz_InitBMPQZIOClass, Qz_InitJPEGQZIOClass,
                                                          Qz_InitPNGQZIOClass, Qz_InitTIFFQZIOClass,
                                                          Qz_InitQuillantrixQZIOClass, Qz_InitPPMQZIOClass};
  static constexpr void (*kCleanups[])() = {Qz_CleanupBMPQZIOClass, Qz_CleanupJPEGQZIOClass,
                                            Qz_CleanupPNGQZIOClass, Qz_CleanupTIFFQZIOClass,
                                            Qz_CleanupQuillantrixQZIOClass, Qz_CleanupPPMQZIOClass};
};

}  // namespace qztest
