// Message boxes. Every box is modal for the thread that asks and may be
// asked from any thread, before any screen exists; so the answer never
// depends on a window being open.
#include "objects/message_box.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <mutex>

#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "host/host_backend.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"

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

// A window of our own toolkit with the text and the kind's buttons, run on
// the caller's thread until a button or the close box answers. False when
// no such window can be shown (no toolkit, no display).
bool answerInWindow(const char* title, const char* text, uint32_t kind, QzWord* result) {
  const Style style = styleOf(kind);
  const std::vector<std::string> names = buttonsOf(style);
  uint32_t answered = 0;  // written by the box's window thread
  Qz_Object* window = Qz_CreateObject("Window", kWindowSetX, kWindowCentred, kWindowSetY, kWindowCentred,
                                      kWindowSetTitle, title, kWindowSetKind, kWindowKindFreeStanding);
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 8);
  Qz_Object* label = Qz_CreateObject("Text", kRootSetLabel, text, kTextSetMode, 0);
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 8);
  if (window == nullptr || column == nullptr || label == nullptr || row == nullptr) {
    Qz_DisposeObject(row);
    Qz_DisposeObject(label);
    Qz_DisposeObject(column);
    Qz_DisposeObject(window);
    return false;
  }
  Qz_DoMethod(column, kGroupAddTail, label);
  Qz_DoMethod(column, kGroupAddTail, row);
  Qz_DoMethod(window, kGroupAddTail, column);
  std::vector<Qz_Object*> buttons;
  for (std::size_t i = 0; i < names.size(); ++i) {
    Qz_Object* face = Qz_CreateObject("Text", kRootSetLabel, names[i].c_str());
    // Return answers with the first button, Escape with the last.
    const QzWord key = i == 0 ? 13 : 27;
    Qz_Object* b = Qz_CreateObject("Button", kButtonSetKey, names.size() == 1 ? 13 : key);
    if (b == nullptr || face == nullptr) {
      Qz_DisposeObject(face);
      Qz_DisposeObject(b);
      Qz_DisposeObject(window);
      return false;
    }
    Qz_DoMethod(b, kGroupAddTail, face);
    Qz_DoMethod(row, kGroupAddTail, b);
    // 1 + the button's index, so 0 still means "no answer yet".
    Qz_AddNotify(b, kButtonPressed, kNotifyAnyValue, b, 3, kRootPoke32, &answered, i + 1);
    buttons.push_back(b);
  }
  Qz_AddNotify(window, kWindowClose, kNotifyAnyValue, window, 3, kRootPoke32, &answered, names.size() + 1);
  Qz_DoMethod(window, kRootOpen);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (Qz__PlatformWindowOf(window) == nullptr) {
    if (std::chrono::steady_clock::now() > deadline) {
      Qz_DisposeObject(window);
      return false;
    }
    Delay(1);
  }
  uint32_t choice = 0;
  while ((choice = std::atomic_ref<uint32_t>(answered).load()) == 0) Delay(1);
  Qz_DisposeObject(window);
  const Answer pressed = choice > names.size()          ? Answer::Cancel
                         : names[choice - 1] == "Yes"   ? Answer::Yes
                         : names[choice - 1] == "No"    ? Answer::No
                         : names[choice - 1] == "OK"    ? Answer::Ok
                                                        : Answer::Cancel;
  *result = resultOf(style, pressed);
  return true;
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
  QzWord result = 0;
  if (Qz_FindClassFromName("Window") != nullptr && qz::msgbox::answerInWindow(title, text, kind, &result)) {
    return result;
  }
  // Without a toolkit window to show it in, the user still learns what happened.
  std::fprintf(stderr, "%s: %s\n", title, text);
  return 0;
}

QZ_EXPORT QzWord Qz_OutOfMemory(const char* text) {
  return Qz_MessageBoxA("Error", text != nullptr ? text : "Sorry, out of memory.", 1, nullptr);
}

}  // extern "C"
