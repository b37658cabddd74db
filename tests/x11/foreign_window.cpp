#include "foreign_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace qztest {

ForeignActiveWindow::ForeignActiveWindow(int x, int y, int width, int height, const long (&frame)[4]) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return;
  display_ = d;
  const Window root = DefaultRootWindow(d);
  XSetWindowAttributes attrs{};
  attrs.override_redirect = True;  // placed exactly where asked
  window_ = XCreateWindow(d, root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                          CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect, &attrs);
  XMapWindow(d, window_);
  XChangeProperty(d, window_, XInternAtom(d, "_NET_FRAME_EXTENTS", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(frame), 4);
  const long active[] = {static_cast<long>(window_)};
  XChangeProperty(d, root, XInternAtom(d, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(active), 1);
  XSync(d, False);
}

ForeignActiveWindow::~ForeignActiveWindow() {
  auto* d = static_cast<Display*>(display_);
  if (!d) return;
  XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_ACTIVE_WINDOW", False));
  XDestroyWindow(d, window_);
  XCloseDisplay(d);
}

}  // namespace qztest
