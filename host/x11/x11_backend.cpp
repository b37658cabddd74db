// The X11 host: one thread owns the display connection and the host window
// that holds the desktop. It turns X events into window-layer input, shows
// the composed desktop through MIT-SHM where the server offers it, else with
// XPutImage (at most every 16 ms, and at every
// 100 ms window tick), serves the CLIPBOARD selection and reads pen pressure
// through XInput2. Other threads reach it only through requests and a wake pipe.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "host/host_backend.h"
#include "host/host_input.h"
#include "host/x11/uri_list.h"
#include "host/x11/x11_keys.h"

namespace qz::host {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTickPeriod = std::chrono::milliseconds(100);
constexpr auto kPresentPeriod = std::chrono::milliseconds(16);
// Drawing threads note what they change without a lock of ours, so a note
// can be lost to a race; the whole desktop is shown again this often.
constexpr int kTicksPerFullPresent = 10;
constexpr auto kRequestTimeout = std::chrono::milliseconds(1500);
const char* const kTextType = "text/plain;charset=utf-8";
constexpr long kDndVersion = 5;
constexpr std::size_t kMaxClipboardBytes = std::size_t{256} << 20;

uint32_t modifiersOf(unsigned int state) {
  uint32_t m = 0;
  if (state & ShiftMask) m |= kModShift;
  if (state & ControlMask) m |= kModControl;
  if (state & Mod1Mask) m |= kModAlt;
  return m;
}

unsigned int cursorGlyph(int shape) {
  switch (shape) {
    case 1: return XC_fleur;
    case 2: return XC_watch;
    case 3: return XC_crosshair;
    case 4: return XC_xterm;
    case 5: case 6: return XC_sb_h_double_arrow;
    case 7: case 8: return XC_sb_v_double_arrow;
    case 9: case 12: return XC_bottom_right_corner;
    case 10: case 11: return XC_bottom_left_corner;
    default: return XC_left_ptr;
  }
}

class X11Backend final : public Backend {
 public:
  const char* name() const override { return "x11"; }

  bool start(int* width, int* height) override {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!running_) {
      if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
      startDone_ = false;
      thread_ = std::thread([this] { run(); });
      cv_.wait(lock, [this] { return startDone_; });
      if (!startOk_) {
        lock.unlock();
        thread_.join();
        return false;
      }
      running_ = true;
    }
    *width = width_;
    *height = desktopHeight();
    return true;
  }

  void stop() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!running_) return;
      stopping_ = true;
    }
    wake();
    thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
  }

  void presentLater() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      presentWanted_ = true;
    }
    wake();
  }
  void setTitle(const std::string& title) override {
    post([this, title] { XStoreName(dpy_, win_, title.c_str()); });
  }
  void grabPointer(bool on) override {
    post([this, on] {
      if (on)
        XGrabPointer(dpy_, win_, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, None, None, CurrentTime);
      else
        XUngrabPointer(dpy_, CurrentTime);
    });
  }
  void raise() override {
    post([this] {
      XRaiseWindow(dpy_, win_);
      XEvent e{};
      e.xclient.type = ClientMessage;
      e.xclient.window = win_;
      e.xclient.message_type = XInternAtom(dpy_, "_NET_ACTIVE_WINDOW", False);
      e.xclient.format = 32;
      e.xclient.data.l[0] = 1;
      XSendEvent(dpy_, DefaultRootWindow(dpy_), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    });
  }
  void setCursor(int shape) override {
    post([this, shape] {
      auto it = cursors_.find(shape);
      if (it == cursors_.end()) it = cursors_.emplace(shape, XCreateFontCursor(dpy_, cursorGlyph(shape))).first;
      XDefineCursor(dpy_, win_, it->second);
    });
  }

  bool offerClipboard(ClipboardOffers offers) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!running_) return false;
      offered_ = std::move(offers);
    }
    post([this] {
      XSetSelectionOwner(dpy_, atom("CLIPBOARD"), win_, CurrentTime);
      const bool owner = XGetSelectionOwner(dpy_, atom("CLIPBOARD")) == win_;
      std::lock_guard<std::mutex> lock(mutex_);
      ownSelection_ = owner;
    });
    return true;
  }

  bool clipboard(const std::string& type, std::vector<uint8_t>* bytes) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!running_ || onDisplayThread()) return false;
      if (ownSelection_) {
        auto it = offered_.find(type);
        if (it == offered_.end()) return false;
        *bytes = it->second;
        return true;
      }
    }
    return convertSelection(type == kTextType ? "UTF8_STRING" : type, bytes);
  }

  std::vector<std::string> clipboardTypes() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!running_ || onDisplayThread()) return {};
      if (ownSelection_) {
        std::vector<std::string> types;
        for (const auto& entry : offered_) types.push_back(entry.first);
        return types;
      }
    }
    std::vector<uint8_t> raw;
    if (!convertSelection("TARGETS", &raw)) return {};
    std::vector<std::string> types;
    // TARGETS arrives as 32-bit atoms, which Xlib hands over as longs.
    const std::size_t n = raw.size() / sizeof(long);
    std::vector<long> atoms(n);
    std::memcpy(atoms.data(), raw.data(), n * sizeof(long));
    std::vector<std::string> names = atomNames(atoms);
    for (const std::string& nm : names) types.push_back(nm == "UTF8_STRING" ? kTextType : nm);
    return types;
  }

  bool grabScreenArea(GrabArea* screen, int* deskLeft, int* deskTop) override {
    bool ok = false;
    runAndWait([&] {
      const Window root = DefaultRootWindow(dpy_);
      Window child = 0;
      ok = XTranslateCoordinates(dpy_, win_, root, 0, 0, deskLeft, deskTop, &child) != 0;
      *screen = {0, 0, DisplayWidth(dpy_, DefaultScreen(dpy_)), DisplayHeight(dpy_, DefaultScreen(dpy_))};
    });
    return ok;
  }

  // The window manager names the active window on the root; its frame
  // widths come from the window itself.
  bool foreignActiveWindow(bool clientOnly, GrabArea* area) override {
    bool ok = false;
    runAndWait([&] {
      const Window root = DefaultRootWindow(dpy_);
      std::vector<long> active = cardinals(root, "_NET_ACTIVE_WINDOW", XA_WINDOW, 1);
      if (active.empty() || active[0] == 0 || static_cast<Window>(active[0]) == win_) return;
      const Window target = static_cast<Window>(active[0]);
      XErrorHandler old = XSetErrorHandler(ignoreGoneWindow);  // it may close meanwhile
      XWindowAttributes attrs{};
      Window child = 0;
      int x = 0, y = 0;
      if (XGetWindowAttributes(dpy_, target, &attrs) && XTranslateCoordinates(dpy_, target, root, 0, 0, &x, &y, &child)) {
        *area = {x, y, attrs.width, attrs.height};
        const std::vector<long> frame = clientOnly ? std::vector<long>{} : cardinals(target, "_NET_FRAME_EXTENTS", XA_CARDINAL, 4);
        if (frame.size() == 4) {  // left, right, top, bottom
          *area = {x - static_cast<int>(frame[0]), y - static_cast<int>(frame[2]),
                   attrs.width + static_cast<int>(frame[0] + frame[1]),
                   attrs.height + static_cast<int>(frame[2] + frame[3])};
        }
        ok = true;
      }
      XSync(dpy_, False);
      XSetErrorHandler(old);
    });
    return ok;
  }

  bool grabScreen(int x, int y, int width, int height, std::vector<uint32_t>* pixels) override {
    bool ok = false;
    runAndWait([&] {
      XImage* img = XGetImage(dpy_, DefaultRootWindow(dpy_), x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
      if (!img) return;
      pixels->resize(static_cast<std::size_t>(width) * height);
      for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
          (*pixels)[static_cast<std::size_t>(row) * width + col] =
              static_cast<uint32_t>(XGetPixel(img, col, row)) & 0xFFFFFFu;
      XDestroyImage(img);
      ok = true;
    });
    return ok;
  }

  bool tabletPresent() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return tabletDevice_ >= 0;
  }

 private:
  bool onDisplayThread() const { return std::this_thread::get_id() == thread_.get_id(); }

  void wake() {
    const char c = 1;
    (void)!::write(wake_[1], &c, 1);
  }

  // Runs on the display thread at its next turn.
  void post(std::function<void()> job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!running_) return;
      jobs_.push_back(std::move(job));
    }
    wake();
  }

  void runAndWait(std::function<void()> job) {
    if (onDisplayThread()) {
      job();
      return;
    }
    bool done = false;
    post([&] {
      job();
      std::lock_guard<std::mutex> lock(mutex_);
      done = true;
      cv_.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait_for(lock, kRequestTimeout, [&] { return done || !running_; });
    // A job that never ran must not run after this frame is gone.
    if (!done) jobs_.clear();
  }

  Atom atom(const char* n) { return XInternAtom(dpy_, n, False); }

  // Up to `count` 32-bit values of a window property; empty when it is absent.
  std::vector<long> cardinals(Window w, const char* name, Atom type, long count) {
    Atom actual = 0;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(dpy_, w, atom(name), 0, count, False, type, &actual, &format, &n, &after, &data) ==
            Success &&
        data && format == 32 && actual == type) {
      const long* v = reinterpret_cast<const long*>(data);
      values.assign(v, v + n);
    }
    if (data) XFree(data);
    return values;
  }

  std::vector<std::string> atomNames(const std::vector<long>& atoms) {
    std::vector<std::string> names;
    runAndWait([&] {
      for (long a : atoms) {
        char* nm = XGetAtomName(dpy_, static_cast<Atom>(a));
        if (nm) {
          names.emplace_back(nm);
          XFree(nm);
        }
      }
    });
    return names;
  }

  // Asks the selection owner for one target and waits for the answer.
  bool convertSelection(const std::string& target, std::vector<uint8_t>* bytes) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (conversionPending_) return false;
    conversionPending_ = true;
    conversionDone_ = false;
    conversionOk_ = false;
    conversionBytes_.clear();
    lock.unlock();
    post([this, target] {
      incremental_ = false;  // a transfer still running belongs to an abandoned request
      XConvertSelection(dpy_, atom("CLIPBOARD"), atom(target.c_str()), atom("QZ_SELECTION"), win_, CurrentTime);
    });
    lock.lock();
    cv_.wait_for(lock, kRequestTimeout, [&] { return conversionDone_ || !running_; });
    const bool ok = conversionDone_ && conversionOk_;
    if (ok) *bytes = conversionBytes_;
    conversionPending_ = false;
    return ok;
  }

  // Xlib cannot go on after the connection is lost and its default handler
  // exits through the static destructors while our threads still run, which
  // aborts. Say what happened and leave at once instead.
  static int displayLost(Display*) {
    static const char kMessage[] = "Quillantrix: lost the connection to the X display.\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    _exit(1);
  }

  bool openDisplay() {
    XSetIOErrorHandler(displayLost);
    dpy_ = XOpenDisplay(nullptr);
    if (!dpy_) {
      const char* name = std::getenv("DISPLAY");
      std::fprintf(stderr,
                   "Quillantrix: cannot open the X display \"%s\". Start it on a desktop, or set DISPLAY "
                   "(QZ_HOST=headless runs without one).\n",
                   name ? name : "");
      return false;
    }
    const int screen = DefaultScreen(dpy_);
    width_ = DisplayWidth(dpy_, screen);
    height_ = DisplayHeight(dpy_, screen);
    workArea();
    XSetWindowAttributes attrs{};
    attrs.background_pixel = BlackPixel(dpy_, screen);
    attrs.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                       StructureNotifyMask | ExposureMask | FocusChangeMask | LeaveWindowMask | PropertyChangeMask;
    win_ = XCreateWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, static_cast<unsigned>(width_),
                         static_cast<unsigned>(height_), 0, CopyFromParent, InputOutput, CopyFromParent,
                         CWBackPixel | CWEventMask, &attrs);
    XClassHint hint{const_cast<char*>("quillantrix"), const_cast<char*>("Quillantrix")};
    XSetClassHint(dpy_, win_, &hint);
    deleteAtom_ = atom("WM_DELETE_WINDOW");
    XSetWMProtocols(dpy_, win_, &deleteAtom_, 1);
    // Files dropped from file managers arrive by the XDND protocol.
    const Atom dndVersion = kDndVersion;
    XChangeProperty(dpy_, win_, atom("XdndAware"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dndVersion), 1);
    XStoreName(dpy_, win_, "Quillantrix");
    gc_ = XCreateGC(dpy_, win_, 0, nullptr);
    makeImage();
    selectTablet();
    XMapWindow(dpy_, win_);
    // Wait until the window is up, so the first picture is not lost.
    XEvent e;
    do XWindowEvent(dpy_, win_, StructureNotifyMask, &e);
    while (e.type != MapNotify);
    XSetInputFocus(dpy_, win_, RevertToPointerRoot, CurrentTime);
    XFlush(dpy_);
    return true;
  }

  // Desktops with a panel report the area left for windows.
  void workArea() {
    const std::vector<long> v = cardinals(DefaultRootWindow(dpy_), "_NET_WORKAREA", XA_CARDINAL, 4);
    if (v.size() == 4 && v[2] > 0 && v[3] > 0) {
      width_ = static_cast<int>(v[2]);
      height_ = static_cast<int>(v[3]);
    }
  }

  static int ignoreGoneWindow(Display*, XErrorEvent*) { return 0; }

  static int ignoreXError(Display*, XErrorEvent*) {
    shmFailed_ = true;
    return 0;
  }

  void freeImage() {
    if (!image_) return;
    if (shm_.shmaddr) {
      XShmDetach(dpy_, &shm_);
      XSync(dpy_, False);
      shmdt(shm_.shmaddr);
      shm_ = {};
    }
    image_->data = nullptr;  // ours (or the shared segment's), not Xlib's
    XDestroyImage(image_);
    image_ = nullptr;
  }

  // A shared-memory image the server reads directly; false where the server
  // cannot attach it (a display on another machine), so XPutImage is used.
  bool makeSharedImage(Visual* visual, int depth) {
    if (!XShmQueryExtension(dpy_)) return false;
    image_ = XShmCreateImage(dpy_, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shm_,
                             static_cast<unsigned>(width_), static_cast<unsigned>(height_));
    if (!image_) return false;
    const std::size_t bytes = static_cast<std::size_t>(image_->bytes_per_line) * height_;
    shm_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* addr = shm_.shmid >= 0 ? shmat(shm_.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (addr == reinterpret_cast<void*>(-1)) {
      if (shm_.shmid >= 0) shmctl(shm_.shmid, IPC_RMID, nullptr);
      XDestroyImage(image_);
      image_ = nullptr;
      shm_ = {};
      return false;
    }
    shm_.shmaddr = image_->data = static_cast<char*>(addr);
    shm_.readOnly = False;
    shmFailed_ = false;
    XErrorHandler old = XSetErrorHandler(ignoreXError);
    XShmAttach(dpy_, &shm_);
    XSync(dpy_, False);
    XSetErrorHandler(old);
    shmctl(shm_.shmid, IPC_RMID, nullptr);  // freed once both sides let go
    if (shmFailed_) {
      shmdt(shm_.shmaddr);
      shm_ = {};
      image_->data = nullptr;
      XDestroyImage(image_);
      image_ = nullptr;
      return false;
    }
    frame_ = raster::PixelBuffer::wrap(reinterpret_cast<uint32_t*>(image_->data), width_, height_,
                                       image_->bytes_per_line / 4);
    splitFrame();
    return true;
  }

  void makeImage() {
    freeImage();
    const int screen = DefaultScreen(dpy_);
    Visual* visual = DefaultVisual(dpy_, screen);
    const int depth = DefaultDepth(dpy_, screen);
    if (makeSharedImage(visual, depth)) return;
    frame_ = raster::PixelBuffer(width_, height_);
    image_ = XCreateImage(dpy_, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                          reinterpret_cast<char*>(frame_.pixels()), static_cast<unsigned>(width_),
                          static_cast<unsigned>(height_), 32, static_cast<int>(frame_.strideBytes()));
    splitFrame();
  }

  // The menu strip takes the top rows of the host window; the desktop lies below it.
  int desktopHeight() const { return std::max(1, height_ - strip_); }
  void splitFrame() {
    const int strip = std::min(strip_, height_);
    stripView_ = raster::PixelBuffer::wrap(frame_.pixels(), width_, strip, frame_.stridePixels());
    desktop_ = raster::PixelBuffer::wrap(frame_.pixels() + static_cast<std::size_t>(strip) * frame_.stridePixels(),
                                         width_, height_ - strip, frame_.stridePixels());
  }

  void putArea(int x, int y, int width, int height) {
    if (shm_.shmaddr) {
      XShmPutImage(dpy_, win_, gc_, image_, x, y, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                   False);
      // The next composition writes into the same memory: let the server finish reading first.
      XSync(dpy_, False);
    } else {
      XPutImage(dpy_, win_, gc_, image_, x, y, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    }
  }

  void selectTablet() {
    int opcode, event, error, major = 2, minor = 0;
    if (!XQueryExtension(dpy_, "XInputExtension", &opcode, &event, &error) ||
        XIQueryVersion(dpy_, &major, &minor) != Success)
      return;
    xiOpcode_ = opcode;
    const Atom pressure = atom("Abs Pressure");
    int n = 0;
    XIDeviceInfo* devices = XIQueryDevice(dpy_, XIAllDevices, &n);
    for (int i = 0; i < n && tabletDevice_ < 0; ++i) {
      if (devices[i].use != XISlavePointer) continue;
      for (int c = 0; c < devices[i].num_classes; ++c) {
        auto* v = reinterpret_cast<XIValuatorClassInfo*>(devices[i].classes[c]);
        if (v->type == XIValuatorClass && v->label == pressure && v->max > v->min) {
          tabletDevice_ = devices[i].deviceid;
          pressureValuator_ = v->number;
          setTabletAxis(true, static_cast<int32_t>(v->min), static_cast<int32_t>(v->max));
          break;
        }
      }
    }
    if (devices) XIFreeDeviceInfo(devices);
    if (tabletDevice_ < 0) return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_Motion);
    XIEventMask mask{tabletDevice_, static_cast<int>(sizeof(bits)), bits};
    XISelectEvents(dpy_, win_, &mask, 1);
  }

  void tabletEvent(XGenericEventCookie* cookie) {
    if (cookie->evtype != XI_Motion) return;
    auto* ev = static_cast<XIDeviceEvent*>(cookie->data);
    if (ev->sourceid != tabletDevice_) return;
    double value = 0;
    const double* values = ev->valuators.values;
    for (int i = 0; i < ev->valuators.mask_len * 8; ++i) {
      if (!XIMaskIsSet(ev->valuators.mask, i)) continue;
      if (i == pressureValuator_) value = *values;
      ++values;
    }
    uint32_t buttons = 0;
    for (int b = 1; b < ev->buttons.mask_len * 8 && b < 32; ++b)
      if (XIMaskIsSet(ev->buttons.mask, b)) buttons |= 1u << (b - 1);
    tabletSample({0, buttons, static_cast<int32_t>(ev->event_x), static_cast<int32_t>(ev->event_y) - strip_,
                  static_cast<uint32_t>(std::max(0.0, value))});
  }

  void present() {
    // The strip appears with the first menu bar: the desktop moves down under it.
    if (menuStripHeight() != strip_) {
      strip_ = menuStripHeight();
      splitFrame();
      hostResized(width_, desktopHeight());
      invalidateDesktop();
    }
    const raster::IntRect s = strip_ > 0 ? composeMenuStrip(stripView_) : raster::IntRect{};
    const raster::IntRect r = composeDesktop(desktop_);
    if (s.empty() && r.empty()) return;
    if (!s.empty()) putArea(s.x0, s.y0, s.width(), s.height());
    if (!r.empty()) putArea(r.x0, r.y0 + strip_, r.width(), r.height());
    XFlush(dpy_);
  }

  void serveSelection(const XSelectionRequestEvent& req) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = req.requestor;
    reply.selection = req.selection;
    reply.target = req.target;
    reply.time = req.time;
    reply.property = None;
    std::map<std::string, std::vector<uint8_t>> offered;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      offered = offered_;
    }
    const Atom property = req.property != None ? req.property : req.target;
    if (req.target == atom("TARGETS")) {
      std::vector<Atom> targets = {atom("TARGETS")};
      for (const auto& entry : offered)
        targets.push_back(entry.first == kTextType ? atom("UTF8_STRING") : atom(entry.first.c_str()));
      XChangeProperty(dpy_, req.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(targets.data()), static_cast<int>(targets.size()));
      reply.property = property;
    } else {
      char* nm = XGetAtomName(dpy_, req.target);
      std::string target = nm ? nm : "";
      if (nm) XFree(nm);
      if (target == "UTF8_STRING" || target == "STRING" || target == "TEXT") target = kTextType;
      auto it = offered.find(target);
      if (it != offered.end()) {
        XChangeProperty(dpy_, req.requestor, property, req.target, 8, PropModeReplace, it->second.data(),
                        static_cast<int>(it->second.size()));
        reply.property = property;
      }
    }
    XSendEvent(dpy_, req.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
  }

  // Reads and deletes a property; false when it is not there.
  bool takeProperty(Atom property, Atom* type, std::vector<uint8_t>* bytes) {
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool ok = XGetWindowProperty(dpy_, win_, property, 0, 1 << 24, True, AnyPropertyType, type, &format,
                                       &count, &after, &data) == Success && data;
    if (ok) {
      const std::size_t unit = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
      bytes->assign(data, data + count * unit);
    }
    if (data) XFree(data);
    return ok;
  }

  void finishConversion(std::vector<uint8_t> bytes, bool ok) {
    std::lock_guard<std::mutex> lock(mutex_);
    conversionBytes_ = std::move(bytes);
    conversionOk_ = ok;
    conversionDone_ = true;
    cv_.notify_all();
  }

  void selectionArrived(const XSelectionEvent& ev) {
    std::vector<uint8_t> bytes;
    Atom type = None;
    if (ev.property == None || !takeProperty(ev.property, &type, &bytes)) {
      finishConversion({}, false);
      return;
    }
    if (type == atom("INCR")) {
      // Large data comes in pieces, each a new value of the property,
      // until an empty one; deleting the property asked for the first.
      incremental_ = true;
      incrementalBytes_.clear();
      return;
    }
    finishConversion(std::move(bytes), true);
  }

  void propertyChanged(const XPropertyEvent& ev) {
    if (!incremental_ || ev.state != PropertyNewValue || ev.atom != atom("QZ_SELECTION")) return;
    std::vector<uint8_t> piece;
    Atom type = None;
    if (!takeProperty(ev.atom, &type, &piece)) return;
    if (!piece.empty()) {
      if (incrementalBytes_.size() + piece.size() > kMaxClipboardBytes) {
        incremental_ = false;
        finishConversion({}, false);
        return;
      }
      incrementalBytes_.insert(incrementalBytes_.end(), piece.begin(), piece.end());
      return;
    }
    incremental_ = false;
    finishConversion(std::move(incrementalBytes_), true);
    incrementalBytes_.clear();
  }

  void sendToDndSource(const char* type, long l1, long l2) {
    XEvent reply{};
    reply.xclient.type = ClientMessage;
    reply.xclient.window = dndSource_;
    reply.xclient.message_type = atom(type);
    reply.xclient.format = 32;
    reply.xclient.data.l[0] = static_cast<long>(win_);
    reply.xclient.data.l[1] = l1;
    reply.xclient.data.l[2] = 0;
    reply.xclient.data.l[3] = 0;
    reply.xclient.data.l[4] = 0;
    if (std::strcmp(type, "XdndStatus") == 0) reply.xclient.data.l[4] = l2;
    else reply.xclient.data.l[2] = l2;
    XSendEvent(dpy_, dndSource_, False, NoEventMask, &reply);
  }

  void dndMessage(const XClientMessageEvent& m) {
    const Atom type = m.message_type;
    const Atom uriList = atom("text/uri-list"), copy = atom("XdndActionCopy");
    if (type == atom("XdndEnter")) {
      dndSource_ = static_cast<::Window>(m.data.l[0]);
      dndAccept_ = false;
      std::vector<Atom> offered;
      if (m.data.l[1] & 1) {
        // More than three types: the source lists them in a property.
        Atom actual;
        int format;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy_, dndSource_, atom("XdndTypeList"), 0, 1024, False, XA_ATOM, &actual, &format,
                               &count, &after, &data) == Success && data && format == 32) {
          const long* v = reinterpret_cast<const long*>(data);
          for (unsigned long i = 0; i < count; ++i) offered.push_back(static_cast<Atom>(v[i]));
        }
        if (data) XFree(data);
      } else {
        for (int i = 2; i <= 4; ++i) offered.push_back(static_cast<Atom>(m.data.l[i]));
      }
      dndAccept_ = std::find(offered.begin(), offered.end(), uriList) != offered.end();
    } else if (type == atom("XdndPosition") && dndSource_) {
      sendToDndSource("XdndStatus", dndAccept_ ? 1 : 0, dndAccept_ ? static_cast<long>(copy) : 0);
    } else if (type == atom("XdndLeave")) {
      dndSource_ = 0;
    } else if (type == atom("XdndDrop") && dndSource_) {
      if (!dndAccept_) {
        sendToDndSource("XdndFinished", 0, 0);
        dndSource_ = 0;
        return;
      }
      XConvertSelection(dpy_, atom("XdndSelection"), uriList, atom("QZ_DROP"), win_,
                        static_cast<Time>(m.data.l[2]));
    }
  }

  void dropArrived(const XSelectionEvent& ev) {
    std::string list;
    if (ev.property != None) {
      Atom type;
      int format;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(dpy_, win_, ev.property, 0, 1 << 22, True, AnyPropertyType, &type, &format, &count,
                             &after, &data) == Success && data && format == 8)
        list.assign(reinterpret_cast<const char*>(data), count);
      if (data) XFree(data);
    }
    const std::vector<std::string> paths = x11::pathsFromUriList(list);
    if (dndSource_) {
      sendToDndSource("XdndFinished", paths.empty() ? 0 : 1,
                      paths.empty() ? 0 : static_cast<long>(atom("XdndActionCopy")));
      dndSource_ = 0;
    }
    if (!paths.empty()) filesDropped(paths);
  }

  void keyEvent(XKeyEvent& ev, bool down) {
    setModifiers(modifiersOf(ev.state));
    const uint16_t vk = x11::virtualKeyForKeysym(XLookupKeysym(&ev, 0));
    if (!vk) return;
    char32_t ch = 0;
    if (down) {
      // What the key types without Ctrl; the window layer makes Ctrl+letter itself.
      XKeyEvent plain = ev;
      plain.state &= ~ControlMask;
      char buf[8];
      KeySym sym = NoSymbol;
      XLookupString(&plain, buf, sizeof(buf), &sym, nullptr);
      ch = x11::characterForKeysym(sym);
    }
    qz::host::keyEvent(vk, ch, down);
  }

  void handle(XEvent& e) {
    switch (e.type) {
      case MotionNotify: {
        // Only the newest of a run of moves matters; later events keep their order.
        while (XPending(dpy_)) {
          XEvent next;
          XPeekEvent(dpy_, &next);
          if (next.type != MotionNotify) break;
          XNextEvent(dpy_, &e);
        }
        setModifiers(modifiersOf(e.xmotion.state));
        pointerMoved(e.xmotion.x, e.xmotion.y - strip_);
        break;
      }
      case ButtonPress:
      case ButtonRelease: {
        setModifiers(modifiersOf(e.xbutton.state));
        const unsigned b = e.xbutton.button;
        const Button button = b == 1 ? Button::Left : b == 2 ? Button::Middle : b == 3 ? Button::Right
                            : b == 4 ? Button::WheelUp : Button::WheelDown;
        if (b <= 5) buttonEvent(button, e.type == ButtonPress, e.xbutton.x, e.xbutton.y - strip_);
        break;
      }
      case KeyPress: keyEvent(e.xkey, true); break;
      case KeyRelease: {
        // Auto-repeat sends a release right before the next press: keep it a held key.
        if (XEventsQueued(dpy_, QueuedAfterReading)) {
          XEvent next;
          XPeekEvent(dpy_, &next);
          if (next.type == KeyPress && next.xkey.time == e.xkey.time && next.xkey.keycode == e.xkey.keycode) break;
        }
        keyEvent(e.xkey, false);
        break;
      }
      case LeaveNotify:
        if (e.xcrossing.mode == NotifyNormal) pointerLeftHost();
        break;
      case FocusOut: pointerLeftHost(); break;
      case ConfigureNotify:
        if (e.xconfigure.width != width_ || e.xconfigure.height != height_) {
          width_ = e.xconfigure.width;
          height_ = e.xconfigure.height;
          makeImage();
          hostResized(width_, desktopHeight());
        }
        break;
      case Expose:
        putArea(e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height);
        break;
      case ClientMessage:
        if (e.xclient.message_type == atom("WM_PROTOCOLS") && static_cast<Atom>(e.xclient.data.l[0]) == deleteAtom_)
          closeRequested();
        else
          dndMessage(e.xclient);
        break;
      case SelectionRequest: serveSelection(e.xselectionrequest); break;
      case PropertyNotify: propertyChanged(e.xproperty); break;
      case SelectionNotify:
        if (e.xselection.property == atom("QZ_DROP") || e.xselection.selection == atom("XdndSelection"))
          dropArrived(e.xselection);
        else
          selectionArrived(e.xselection);
        break;
      case SelectionClear: {
        std::lock_guard<std::mutex> lock(mutex_);
        ownSelection_ = false;
        offered_.clear();
        break;
      }
      case GenericEvent:
        if (e.xcookie.extension == xiOpcode_ && XGetEventData(dpy_, &e.xcookie)) {
          tabletEvent(&e.xcookie);
          XFreeEventData(dpy_, &e.xcookie);
        }
        break;
      default: break;
    }
  }

  void run() {
    const bool ok = openDisplay();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      startOk_ = ok;
      startDone_ = true;
      if (ok) running_ = true;
      cv_.notify_all();
    }
    if (!ok) return;
    auto nextTick = Clock::now() + kTickPeriod;
    auto lastPresent = Clock::now() - kPresentPeriod;
    int ticks = 0;
    present();
    for (;;) {
      while (XPending(dpy_)) {
        XEvent e;
        XNextEvent(dpy_, &e);
        handle(e);
      }
      std::vector<std::function<void()>> jobs;
      bool wantPresent, stopping;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs.swap(jobs_);
        wantPresent = presentWanted_;
        stopping = stopping_;
      }
      for (auto& job : jobs) job();
      if (stopping) break;
      const auto now = Clock::now();
      if (now >= nextTick) {
        tick();
        nextTick = now + kTickPeriod;
        wantPresent = true;
        if (++ticks % kTicksPerFullPresent == 0) invalidateDesktop();
      }
      if (wantPresent && now - lastPresent >= kPresentPeriod) {
        {
          std::lock_guard<std::mutex> lock(mutex_);
          presentWanted_ = false;
        }
        present();
        lastPresent = now;
        wantPresent = false;
      }
      XFlush(dpy_);
      auto until = nextTick;
      if (wantPresent) until = std::min(until, lastPresent + kPresentPeriod);
      const int timeoutMs = static_cast<int>(std::max<long long>(
          0, std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count()));
      pollfd fds[2] = {{ConnectionNumber(dpy_), POLLIN, 0}, {wake_[0], POLLIN, 0}};
      if (!XPending(dpy_)) ::poll(fds, 2, timeoutMs);
      char drainBuf[64];
      while (::read(wake_[0], drainBuf, sizeof(drainBuf)) > 0) {}
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      running_ = false;
      cv_.notify_all();
    }
    for (auto& c : cursors_) XFreeCursor(dpy_, c.second);
    freeImage();
    XFreeGC(dpy_, gc_);
    XDestroyWindow(dpy_, win_);
    XCloseDisplay(dpy_);
  }

  std::mutex mutex_;
  std::condition_variable cv_;
  std::thread thread_;
  int wake_[2] = {-1, -1};
  bool running_ = false, startDone_ = false, startOk_ = false, stopping_ = false, presentWanted_ = false;
  std::vector<std::function<void()>> jobs_;

  Display* dpy_ = nullptr;
  ::Window win_ = 0;
  GC gc_ = nullptr;
  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
  static inline bool shmFailed_ = false;  // set by the error handler during an attach
  Atom deleteAtom_ = 0;
  int width_ = 0, height_ = 0;
  raster::PixelBuffer frame_;
  raster::PixelBuffer stripView_, desktop_;  // views of frame_
  int strip_ = 0;                            // rows the menu strip takes (display thread)
  std::map<int, Cursor> cursors_;

  std::map<std::string, std::vector<uint8_t>> offered_;
  bool ownSelection_ = false;
  bool conversionPending_ = false, conversionDone_ = false, conversionOk_ = false;
  std::vector<uint8_t> conversionBytes_;
  bool incremental_ = false;
  std::vector<uint8_t> incrementalBytes_;

  ::Window dndSource_ = 0;
  bool dndAccept_ = false;

  int xiOpcode_ = -1;
  int tabletDevice_ = -1;
  int pressureValuator_ = -1;
};

}  // namespace

Backend* makeX11Backend() { return new X11Backend; }

}  // namespace qz::host
