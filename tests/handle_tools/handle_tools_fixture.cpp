#include "handle_tools/handle_tools_fixture.h"

namespace handle_tools_test {

// One set-up for the whole program: the image, mode, action and tool classes.
const ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ToolsEnvironment);

}  // namespace handle_tools_test
