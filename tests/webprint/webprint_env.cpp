// The classes printing and saving for the web use, up for the whole test program.
#include <gtest/gtest.h>

#include "support/web_print_classes.h"

namespace {

class WebPrintEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(qztest::OpenWebPrintClasses()); }
  void TearDown() override { qztest::CloseWebPrintClasses(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WebPrintEnvironment);

}  // namespace
