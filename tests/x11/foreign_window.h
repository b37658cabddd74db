// A window of another X client that the window manager calls active, as a
// desktop's manager would mark it (no manager runs on the test display).
#pragma once

namespace qztest {

class ForeignActiveWindow {
 public:
  // Maps a client window at (x, y) of width x height on the root and marks it
  // active, with frame widths left, right, top and bottom.
  ForeignActiveWindow(int x, int y, int width, int height, const long (&frame)[4]);
  ~ForeignActiveWindow();  // unmarks and removes it
  ForeignActiveWindow(const ForeignActiveWindow&) = delete;
  ForeignActiveWindow& operator=(const ForeignActiveWindow&) = delete;
  bool ok() const { return display_ != nullptr; }

 private:
  void* display_ = nullptr;  // the other client's connection
  unsigned long window_ = 0;
};

}  // namespace qztest
