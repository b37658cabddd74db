// The image base with the image classes, the formats that printing and
// saving for the web use, and the catalogue's texts: opened and closed as
// one for the tests of those windows.
#pragma once

namespace qztest {

// False when the image base or the image class could not be had.
bool OpenWebPrintClasses();
void CloseWebPrintClasses();

}  // namespace qztest
