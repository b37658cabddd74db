// The independent tools some tests check our output against (ImageMagick,
// netpbm, xdotool...), found on the PATH.
#pragma once

#include <string>

namespace qztest {

// Whether the shell finds the tool.
bool haveTool(const char* name);

// The start of a shell command that runs what follows it on a private
// virtual X display of that size (WIDTHxHEIGHTxDEPTH); Xvfb must be there.
std::string onVirtualDisplay(const std::string& screen);

// How many pixels differ between two pictures, as ImageMagick's compare
// counts them; -1 when it cannot tell.
long pixelDifferences(const std::string& a, const std::string& b);

}  // namespace qztest
