// Message boxes. Every box is modal for the thread that asks and may be
// asked from any thread, before any screen exists; so the answer never
// depends on a window being open.
#include "objects/message_box.h"

#include <cstdio>
#include <deque>
#include <mutex>

#include "host/host_backend.h"

namespace qz::msgbox {

namespace {

struct Script {
  std::mutex lock;
  std::deque<Answer> answers;
  std::vector<Shown> shown;
};

Script& script() {
  static Script* s = new Script;  // outlives static destructors: boxes may come late
  return *s;
}

enum class Style { Ok, YesNo, OkCancel };

Style styleOf(uint32_t kind) {
  if (kind == 1 || kind == 8) return Style::Ok;
  if (kind == 4) return Style::YesNo;
  return Style::OkCancel;
}

std::vector<std::string> buttonsOf(Style style) {
  switch (style) {
    case Style::Ok: return {"OK"};
    case Style::YesNo: return {"Yes", "No"};
    case Style::OkCancel: return {"OK", "Cancel"};
  }
  return {};
}

// 1 for OK or Yes; an answer the box does not offer counts as dismissing it.
QzWord resultOf(Style style, Answer answer) {
  switch (style) {
    case Style::Ok: return 1;  // its only button, and what closing it means
    case Style::YesNo: return answer == Answer::Yes ? 1 : 0;
    case Style::OkCancel: return answer == Answer::Ok ? 1 : 0;
  }
  return 0;
}

QzWord answerHeadless(const char* title, const char* text, uint32_t kind) {
  Script& s = script();
  std::lock_guard<std::mutex> guard(s.lock);
  const Style style = styleOf(kind);
  s.shown.push_back(Shown{title, text, kind, buttonsOf(style)});
  if (s.answers.empty()) return 0;
  const Answer answer = s.answers.front();
  s.answers.pop_front();
  return resultOf(style, answer);
}

}  // namespace

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
  if (qz::host::chosenBackendName() == "headless") return qz::msgbox::answerHeadless(title, text, kind);
  // Without a toolkit window to show it in, the user still learns what happened.
  std::fprintf(stderr, "%s: %s\n", title, text);
  return 0;
}

QZ_EXPORT QzWord Qz_OutOfMemory(const char* text) {
  return Qz_MessageBoxA("Error", text != nullptr ? text : "Sorry, out of memory.", 1, nullptr);
}

}  // extern "C"
