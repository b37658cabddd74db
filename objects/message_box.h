// Message boxes drawn and answered by our own layer, and what tests use to
// answer them on the headless host.
//
// On a display a box is a window of our toolkit that the asking thread waits
// on. On the headless host a box shows nothing: it takes the next scripted
// answer (0 when none is left) and records what it would have shown. With no
// display at all (or before the toolkit is up) the text goes to stderr and
// the answer is 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
// A warning box titled "Error" with the text, or "Sorry, out of memory."
// when the text is NULL; the box's result.
QZ_EXPORT QzWord Qz_OutOfMemory(const char* text);
QZ_EXTERN_C_END

namespace qz::msgbox {

// What one box showed.
struct Shown {
  std::string title;
  std::string text;
  uint32_t kind;
  std::vector<std::string> buttons;  // left to right, e.g. "Yes", "No"
};

// The button a scripted answer presses.
enum class Answer { Ok, Yes, No, Cancel };

// Queues answers for the next boxes, first in first out. An answer naming a
// button the box does not have dismisses it, as its close box would: an OK
// box still answers OK, the others No or Cancel.
QZ_EXPORT void scriptAnswer(Answer answer);
// Forgets the queued answers and the log.
QZ_EXPORT void resetScript();
// Everything shown since the last reset, oldest first.
QZ_EXPORT std::vector<Shown> shownBoxes();

// While on, every box open now and every box asked for later is answered at
// once as dismissed (the cancel answer): the program is being stopped and
// nobody is there to answer. Off again for tests.
// A box dismissed so is not lost: its title and text go to stderr.
QZ_EXPORT void dismissBoxes(bool on);
QZ_EXPORT bool dismissingBoxes();
void unansweredToStderr(const char* title, const char* text);

}  // namespace qz::msgbox
