// Plays an XDND drag source dropping a uri-list on the Quillantrix host window.
#pragma once

#include <string>

namespace qztest {

struct DragResult {
  bool foundHost = false;
  bool accepted = false;  // the target's status said it takes the drop
  bool finished = false;  // the target said it finished with success
};

DragResult dropOnHostWindow(const std::string& uriList, int x, int y);

}  // namespace qztest
