// Message boxes. Every box is modal for the thread that asks and may be
// asked from any thread, before any screen exists; so the answer never
// depends on a window being open.
#include "objects/message_box.h"

#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>

#include "host/host_backend.h"
#include "objects/message_box_kind.h"
#include "objects/message_box_window.h"

namespace qz::msgbox {

namespace {

struct Script {
  std::mutex lock;
  std::deque<Answer> answers;
  std::vector<Shown> shown;
};

std::atomic<bool> gDismissing{false};

Script& script() {
  static Script* s = new Script;  // outlives static destructors: boxes may come late
  return *s;
}

// The button a scripted answer presses, or kDismissed when the box has none by that name.
int buttonFor(const std::vector<std::string>& buttons, Answer answer) {
  const char* name = answer == Answer::Ok    ? "OK"
                     : answer == Answer::Yes ? "Yes"
                     : answer == Answer::No  ? "No"
                                             : "Cancel";
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i] == name) return static_cast<int>(i);
  }
  return kDismissed;
}

QzWord answerHeadless(const char* title, const char* text, uint32_t kind) {
  Script& s = script();
  std::lock_guard<std::mutex> guard(s.lock);
  const std::vector<const char*> labels = buttonsOf(kind);
  std::vector<std::string> buttons(labels.begin(), labels.end());
  s.shown.push_back(Shown{title, text, kind, buttons});
  if (s.answers.empty()) return 0;
  const Answer answer = s.answers.front();
  s.answers.pop_front();
  return resultOf(kind, buttonFor(buttons, answer));
}

}  // namespace

std::vector<const char*> buttonsOf(uint32_t kind) {
  if (kind == 1 || kind == 8) return {"OK"};
  if (kind == 4) return {"Yes", "No"};
  return {"OK", "Cancel"};
}

QzWord resultOf(uint32_t kind, int button) {
  if (kind == 1 || kind == 8) return 1;  // its only button, and what closing it means
  return button == 0 ? 1 : 0;
}

void dismissBoxes(bool on) { gDismissing.store(on); }

bool dismissingBoxes() { return gDismissing.load(); }

void unansweredToStderr(const char* title, const char* text) {
  std::fprintf(stderr, "%s (not answered): %s\n", title, text);
}

void scriptAnswer(Answer answer) {
  Script& s = script();
  std::lock_guard<std::mutex> guard(s.lock);
  s.answers.push_back(answer);
}

void resetScript() {
  Script& s = script();
  std::lock_guard<std::mutex> guard(s.lock);
  s.answers.clear();
  s.shown.clear();
}

std::vector<Shown> shownBoxes() {
  Script& s = script();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.shown;
}

}  // namespace qz::msgbox

extern "C" {

QZ_EXPORT QzWord Qz_MessageBoxA(const char* title, const char* text, uint32_t kind, Qz_Object* parent) {
  (void)parent;  // every box is modal for its caller, whatever window it belongs to
  if (title == nullptr) title = "";
  if (text == nullptr) text = "";
  if (qz::msgbox::dismissingBoxes()) {
    qz::msgbox::unansweredToStderr(title, text);
    return qz::msgbox::resultOf(kind, qz::msgbox::kDismissed);
  }
  if (qz::host::chosenBackendName() == "headless") return qz::msgbox::answerHeadless(title, text, kind);
  QzWord result = 0;
  if (qz::msgbox::askInWindow(title, text, kind, &result)) return result;
  // Without a toolkit window to show it in, the user still learns what happened.
  std::fprintf(stderr, "%s: %s\n", title, text);
  return 0;
}

QZ_EXPORT QzWord Qz_OutOfMemory(const char* text) {
  return Qz_MessageBoxA("Error", text != nullptr ? text : "Sorry, out of memory.", 1, nullptr);
}

}  // extern "C"
