// Drives the application's modal requesters on the headless host: the
// requester runs on a thread of its own, the test waits for its window,
// changes its gadgets on the window's thread and answers it.
#pragma once

#include <future>
#include <string>
#include <vector>

#include "objects/qz_object.h"
#include "support/object_tree.h"
#include "support/ui_harness.h"

namespace qztest {

// The Window object of the active window titled title, once there is one
// (NULL after five seconds).
Qz_Object* WaitForWindow(UiHarness& ui, const char* title);

enum class Reply { Ok, Cancel };

// Presses Return (OK) or Escape (Cancel) in the window once its thread settled.
void Answer(UiHarness& ui, Qz_Object* window, Reply reply);

// Runs the requester call on a thread of its own.
template <typename Fn>
auto InBackground(Fn fn) {
  return std::async(std::launch::async, fn);
}

}  // namespace qztest
