// A drag source on a second X connection, as a file manager would be; kept
// apart from the window layer's headers, whose names clash with Xlib's.
#include "tests/x11/drag_source.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace {

::Window findHostWindow(Display* d) {
  ::Window root, parent, *children = nullptr;
  unsigned int n = 0;
  ::Window found = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return 0;
  for (unsigned int i = 0; i < n && !found; ++i) {
    XClassHint hint{};
    if (XGetClassHint(d, children[i], &hint)) {
      if (hint.res_class && std::string(hint.res_class) == "Quillantrix") found = children[i];
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
  }
  if (children) XFree(children);
  return found;
}

void sendClient(Display* d, ::Window to, ::Window from, const char* type, long l1, long l2, long l3, long l4) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = to;
  e.xclient.message_type = XInternAtom(d, type, False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(from);
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(d, to, False, NoEventMask, &e);
  XFlush(d);
}

// Waits for a client message of the type on the source window, serving
// selection requests with the list meanwhile. Returns its first data word after the window.
long awaitClient(Display* d, const char* type, const std::string& list) {
  const Atom want = XInternAtom(d, type, False);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (!XPending(d)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    XEvent e;
    XNextEvent(d, &e);
    if (e.type == ClientMessage && e.xclient.message_type == want) return e.xclient.data.l[1];
    if (e.type == SelectionRequest) {
      const XSelectionRequestEvent& r = e.xselectionrequest;
      XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list.data()), static_cast<int>(list.size()));
      XEvent reply{};
      reply.xselection.type = SelectionNotify;
      reply.xselection.requestor = r.requestor;
      reply.xselection.selection = r.selection;
      reply.xselection.target = r.target;
      reply.xselection.property = r.property;
      reply.xselection.time = r.time;
      XSendEvent(d, r.requestor, False, 0, &reply);
      XFlush(d);
    }
  }
  return -1;
}

}  // namespace

namespace qztest {

DragResult dropOnHostWindow(const std::string& uriList, int x, int y) {
  DragResult result;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return result;
  const ::Window host = findHostWindow(d);
  if (host) {
    result.foundHost = true;
    const ::Window source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, XInternAtom(d, "XdndSelection", False), source, CurrentTime);
    const long type = static_cast<long>(XInternAtom(d, "text/uri-list", False));
    sendClient(d, host, source, "XdndEnter", 5L << 24, type, 0, 0);
    sendClient(d, host, source, "XdndPosition", 0, (static_cast<long>(x) << 16) | y, CurrentTime,
               static_cast<long>(XInternAtom(d, "XdndActionCopy", False)));
    result.accepted = (awaitClient(d, "XdndStatus", uriList) & 1) == 1;
    sendClient(d, host, source, "XdndDrop", 0, CurrentTime, 0, 0);
    result.finished = (awaitClient(d, "XdndFinished", uriList) & 1) == 1;
    XDestroyWindow(d, source);
  }
  XCloseDisplay(d);
  return result;
}

}  // namespace qztest
