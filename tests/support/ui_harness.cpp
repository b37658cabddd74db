#include "support/ui_harness.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "gadgets/window_post.h"
#include "host/headless/headless_host.h"
#include "objects/async_methods.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_root.h"
#include "platform/exec.h"
#include "platform/windows.h"

namespace qztest {

namespace {

constexpr uint32_t kTestGadgetClassId = 0x7F00000;
constexpr uint32_t kTestGadgetRun = 0x7F0000A;  // std::function<void()>*, std::atomic<bool>* set when done

struct TestGadgetObject {
  Qz_Object header;
  GadgetSpec* spec;
  GadgetLog* log;
};

TestGadgetObject* asGadget(Qz_Object* o) { return reinterpret_cast<TestGadgetObject*>(o); }

Qz_LayoutBox* boxOf(Qz_Object* o) { return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(o, kRootGetLayoutBox)); }

const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
Qz_Class gTestGadgetClass;

QzWord gadgetDispatch(Qz_Object* self, uint32_t id, const QzWord* args) {
  TestGadgetObject* g = asGadget(self);
  switch (id) {
    case kRootMeasure: {
      Qz_LayoutBox* b = boxOf(self);
      b->minWidth = g->spec->minWidth;
      b->minHeight = g->spec->minHeight;
      b->maxWidth = g->spec->maxWidth;
      b->maxHeight = g->spec->maxHeight;
      b->width = g->spec->minWidth;
      b->height = g->spec->minHeight;
      return 1;
    }
    case kRootDraw: {
      Qz_DrawInfo* info = Qz_LockDrawInfo(self);
      if (info == nullptr) return 0;
      Qz_LayoutBox* b = boxOf(self);
      Qz_FillRectRGB(info, b->left, b->top, b->width, b->height, 0, g->spec->colour);
      Qz_UnlockDrawInfo(self);
      std::lock_guard<std::mutex> lock(g->log->lock);
      ++g->log->draws;
      g->log->drawThread = std::this_thread::get_id();
      return 1;
    }
    case kRootHandleIDCMP: {
      const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[0]);
      if (e == nullptr) return 2;
      const bool pointer = e->cls == IDCMP_MOUSEBUTTONS || e->cls == IDCMP_MOUSEMOVE;
      const bool key = e->cls == IDCMP_RAWKEY || e->cls == IDCMP_VANILLAKEY || e->cls == IDCMP_RAWKEYUP;
      const bool over = Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) != 0;
      if (!((pointer && over) || (key && g->spec->takesKeys))) return 2;
      std::function<void(Qz_Object*)> onPress;
      {
        std::lock_guard<std::mutex> lock(g->log->lock);
        g->log->events.push_back({e->cls, e->code, e->mouseX, e->mouseY, std::this_thread::get_id()});
        if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) onPress = g->log->onPress;
      }
      if (onPress) onPress(self);
      return 1;
    }
    case kRootOpen:
    case kRootClose:
    case kRootShow:
    case kRootHide:
    case kGroupMenuObject:
    case kGroupDrop: {
      Qz_LayoutBox* b = boxOf(self);
      std::lock_guard<std::mutex> lock(g->log->lock);
      g->log->calls.push_back({id, args[0], b != nullptr && b->parent != nullptr});
      break;
    }
    case kTestGadgetRun:
      (*reinterpret_cast<const std::function<void()>*>(args[0]))();
      reinterpret_cast<std::atomic<bool>*>(args[1])->store(true);
      return 0;
    default: break;
  }
  return Qz_DoMethodA(self->super, id, args);
}

Qz_Object* gadgetNew(Qz_Class* c, const QzWord*) {
  Qz_Object* o = Qz_AllocObjectMem(c);
  if (o == nullptr) return nullptr;
  o->super = Qz_CreateObject("Root");
  asGadget(o)->spec = new GadgetSpec;
  asGadget(o)->log = new GadgetLog;
  return o;
}

void gadgetDispose(Qz_Object* o) {
  delete asGadget(o)->spec;
  delete asGadget(o)->log;
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}

void registerTestGadget() {
  if (gTestGadgetClass.registered != 0) return;
  Qz_Class& c = gTestGadgetClass;
  c = Qz_Class{};
  c.name = "QzTestGadget";
  c.notice = "test gadget";
  c.classId = kTestGadgetClassId;
  c.version = 2;
  c.superClass = Qz_FindClassFromName("Root");
  c.newObject = gadgetNew;
  c.dispose = gadgetDispose;
  c.dispatch = gadgetDispatch;
  c.methods = kNoMethods;
  c.objectSize = sizeof(TestGadgetObject);
  if (Qz_AddClass(&c) != 0) c.registered = 1;
}

void unregisterTestGadget() {
  if (gTestGadgetClass.registered == 0) return;
  Qz_RemoveClass(&gTestGadgetClass);
  gTestGadgetClass.registered = 0;
}

}  // namespace

namespace TestGadget {

void registerClass() { registerTestGadget(); }
void unregisterClass() { unregisterTestGadget(); }

namespace {
Qz_Class gStandIn;
std::string gStandInName;
Qz_Class* gShadowedByStandIn = nullptr;
}  // namespace

void registerStandIn(const char* className) {
  unregisterStandIn();
  // A real class of that name steps aside while the stand-in takes its place.
  gShadowedByStandIn = Qz_FindClassFromName(className);
  if (gShadowedByStandIn != nullptr) Qz_RemoveClass(gShadowedByStandIn);
  gStandInName = className;
  gStandIn = gTestGadgetClass;
  gStandIn.node = Node{};
  gStandIn.name = gStandInName.c_str();
  gStandIn.liveCount = 0;
  gStandIn.registered = Qz_AddClass(&gStandIn) != 0 ? 1 : 0;
}

void unregisterStandIn() {
  if (gStandIn.registered == 0) return;
  Qz_RemoveClass(&gStandIn);
  gStandIn.registered = 0;
  if (gShadowedByStandIn != nullptr) Qz_AddClass(gShadowedByStandIn);
  gShadowedByStandIn = nullptr;
}

Qz_Object* make(const GadgetSpec& spec) {
  Qz_Object* o = Qz_CreateObject("QzTestGadget", kRootSetWeight, static_cast<uint32_t>(static_cast<uint16_t>(spec.weight)));
  if (o != nullptr) *asGadget(o)->spec = spec;
  return o;
}

GadgetLog& log(Qz_Object* gadget) { return *asGadget(gadget)->log; }

}  // namespace TestGadget

UiHarness::UiHarness() {
  Qz_Init();
  registerTestGadget();
  qz::host::setModifiers(0);
  OpenScreenTags(nullptr);
  qz::headless::moveTo(1023, 767);
}

UiHarness::~UiHarness() {
  std::vector<Qz_Object*> left;
  {
    std::lock_guard<std::mutex> g(lock_);
    left.swap(windows_);
  }
  for (Qz_Object* w : left) Qz_DisposeObject(w);
  Qz_DisposeObject(runner_);
  qz::headless::release();
  TestGadget::unregisterStandIn();
  unregisterTestGadget();
  Qz_CleanUp();
}

Qz_Object* UiHarness::window(const char* title, int x, int y, int w, int h, uint32_t kind) {
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, title, kWindowSetKind, kind, kWindowSetX, x,
                                   kWindowSetY, y, kWindowSetW, w, kWindowSetH, h);
  if (win != nullptr) {
    std::lock_guard<std::mutex> g(lock_);
    windows_.push_back(win);
  }
  return win;
}

Qz_Object* UiHarness::group(uint32_t mode, std::vector<Qz_Object*> members, int spacing) {
  Qz_Object* g = Qz_CreateObject("Group", kGroupSetMode, mode, kGroupSetSpacing, spacing);
  for (Qz_Object* m : members) Qz_DoMethod(g, kGroupAddTail, m);
  return g;
}

bool UiHarness::open(Qz_Object* window) {
  Qz_DoMethod(window, kRootOpen);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (Qz__PlatformWindowOf(window) == nullptr && std::chrono::steady_clock::now() < deadline) Delay(1);
  return Qz__PlatformWindowOf(window) != nullptr && settle(window);
}

bool UiHarness::settle(Qz_Object* window) { return settleWindow(window); }

bool settleWindow(Qz_Object* window) {
  // Two rounds: what the first round's messages caused is queued by the
  // time the second barrier runs.
  for (int round = 0; round < 2; ++round) {
    if (!qz::headless::settle()) return false;
    // A window's thread busy for seconds under a sanitizer is not stuck: 10 s.
    if (Qz_WaitForWindowThread(window, 500) == 0) return false;
  }
  return true;
}

bool UiHarness::onWindowThread(Qz_Object* window, const std::function<void()>& work) {
  {
    std::lock_guard<std::mutex> g(lock_);
    if (runner_ == nullptr) runner_ = TestGadget::make({});
  }
  std::atomic<bool> done{false};
  if (runner_ == nullptr || post(window, runner_, kTestGadgetRun, &work, &done) == 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done.load()) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "onWindowThread: the window's thread did not run the call\n");
      std::abort();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void UiHarness::dispose(Qz_Object* window) {
  forget(window);
  Qz_DisposeObject(window);
}

void UiHarness::forget(Qz_Object* window) {
  std::lock_guard<std::mutex> g(lock_);
  std::erase(windows_, window);
}

Window* UiHarness::platformWindow(Qz_Object* window) { return Qz__PlatformWindowOf(window); }

void UiHarness::click(Qz_Object* window, int x, int y) {
  Window* w = platformWindow(window);
  if (w != nullptr) qz::headless::click(w->LeftEdge + x, w->TopEdge + y);
}

void UiHarness::moveTo(Qz_Object* window, int x, int y) {
  Window* w = platformWindow(window);
  if (w != nullptr) qz::headless::moveTo(w->LeftEdge + x, w->TopEdge + y);
}

uint32_t UiHarness::pixel(Qz_Object* window, int x, int y) {
  Window* w = platformWindow(window);
  return w != nullptr ? qz::headless::screenPixel(w->LeftEdge + x, w->TopEdge + y) : 0xFFFFFFFFu;
}

Qz_LayoutBox UiHarness::box(Qz_Object* object) {
  Qz_LayoutBox* b = boxOf(object);
  return b != nullptr ? *b : Qz_LayoutBox{};
}

}  // namespace qztest
