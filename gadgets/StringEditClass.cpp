// StringEdit: the one-line text field. Idle it draws its text itself; a
// click lays the platform's line editor over its box, and the text is read
// back when the editor loses the focus (Enter, Tab, a click elsewhere, the
// window going inactive). A change fires kStringEditSetText with the text,
// or kStringEditSetNumber with the number for a numeric field; reading
// back the same text fires nothing.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gadgets/measurement_units.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/async_methods.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

constexpr int16_t kTextBeam = 4;
constexpr int32_t kReadBackBytes = 260;

struct Qz_StringEditObject {
  Qz_Object header;
  char text[kStringEditTextBytes + 4] = {};
  uint32_t maxLength = kStringEditDefaultMaxLength;
  uint32_t numeric = 0;
  int32_t cursor = 0, firstVisible = 0;
  bool cursorShown = false;
  int16_t pointerShape = 0;
  bool editing = false;
  QzEditControl control = 0;
  Window* window = nullptr;  // the platform window holding the field
};

Qz_StringEditObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_StringEditObject>(o); }

// Keeps at most the buffer's characters, never cutting a character in two.
void Qz__Store(Qz_StringEditObject* f, const char* text) {
  std::size_t n = std::min<std::size_t>(std::strlen(text ? text : ""), kStringEditTextBytes);
  while (n > 0 && n < std::strlen(text) && (uint8_t(text[n]) & 0xC0) == 0x80) --n;
  std::memset(f->text, 0, sizeof f->text);
  if (n) std::memcpy(f->text, text, n);
  f->cursor = std::min<int32_t>(f->cursor, int32_t(n));
  f->firstVisible = std::min(f->firstVisible, f->cursor);
}

void Qz__FireChange(Qz_StringEditObject* f) {
  if (f->numeric & 1) Qz_DoNotify(&f->header, kStringEditSetNumber, uint32_t(qz::measure::parseInteger(f->text)));
  else Qz_DoNotify(&f->header, kStringEditSetText, f->text);
}

QzWord Qz__Draw(Qz_StringEditObject* f) {
  if (f->control) return 0;  // the editor draws itself over the box
  Qz_Object* self = &f->header;
  const Qz_LayoutBox* b = &Qz_RootInstance(self)->box;
  if (b->width <= 0 || b->height <= 0) return 0;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return 0;
  RastPort* rp = info->rastPort;
  const int32_t length = int32_t(std::strlen(f->text));
  const int32_t room = b->width - TextLength(rp, " ", 1);
  // Scrolled so the cursor stays in view.
  while (f->firstVisible < f->cursor &&
         TextFit(rp, f->text + f->firstVisible, f->cursor - f->firstVisible, room) < f->cursor - f->firstVisible)
    ++f->firstVisible;
  Qz_EraseObjectBackground(self, info);
  SetABPenDrMd(rp, 1, 2, 1);
  Move(rp, b->left + 1, b->top + 2);
  const int32_t shown = TextFit(rp, f->text + f->firstVisible, length - f->firstVisible, b->width - 1);
  if (shown > 0) Text(rp, f->text + f->firstVisible, shown);
  if (f->cursorShown) {
    const int32_t x = b->left + 1 + TextLength(rp, f->text + f->firstVisible, f->cursor - f->firstVisible);
    SetABPenDrMd(rp, 2, 3, 1);
    Move(rp, x, b->top + 2);
    Text(rp, f->cursor < length ? f->text + f->cursor : " ", 1);
  }
  Qz_UnlockDrawInfo(self);
  return 0;
}

QzWord Qz__SetText(Qz_StringEditObject* f, const char* text) {
  Qz__Store(f, text);
  f->cursorShown = false;
  if (f->control) Qz_SetEditControlText(f->control, f->text);
  Qz__Draw(f);
  Qz__FireChange(f);
  return 0;
}

QzWord Qz__SetNumber(Qz_StringEditObject* f, int32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%ld", long(number));
  return Qz__SetText(f, text);
}

// The editor's text becomes the field's; a change fires once.
QzWord Qz__ReadBack(Qz_StringEditObject* f) {
  if (!f->control) return 0;
  char typed[kReadBackBytes + 1] = {};
  Qz_GetEditControlText(f->control, typed, sizeof typed);
  char before[sizeof f->text];
  std::memcpy(before, f->text, sizeof before);
  Qz__Store(f, typed);
  if (std::strcmp(before, f->text) != 0) Qz__FireChange(f);
  return 1;
}

void Qz__EndEditing(Qz_StringEditObject* f) {
  if (!f->control) return;
  Qz__ReadBack(f);
  Qz_DestroyEditControl(f->control);
  f->control = 0;
  f->editing = false;
  Qz__Draw(f);
}

QzWord Qz__BeginEditing(Qz_StringEditObject* f, const Qz_InputEvent* e) {
  Qz_Object* self = &f->header;
  const Qz_LayoutBox* b = &Qz_RootInstance(self)->box;
  Window* w = e->window ? e->window : f->window;
  if (!w || b->width <= 0 || b->height <= 0) return 2;
  if (!f->control) {
    f->control = Qz_CreateEditControl(w, b->left, b->top, b->width, b->height);
    if (!f->control) return 2;
    f->window = w;
    Qz_SetEditControlText(f->control, f->text);
    Qz_SetEditControlUserData(f->control, self);
    // The read-back after a focus loss comes through the window's thread.
    if (Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(self)) {
      if (info->windowObject)
        Qz_DoMethod(self, kRootSetAsyncPort, Qz_RootInstance(info->windowObject)->asyncPort);
      Qz_UnlockDrawInfoForInspection(self);
    }
  }
  Qz_EditControlClick(f->control, int16_t(e->mouseX - b->left), 4);
  f->editing = true;
  return 2;
}

QzWord Qz__Input(Qz_StringEditObject* f, const Qz_InputEvent* e) {
  if (!e) return 2;
  Qz_Object* self = &f->header;
  const bool over = Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) != 0;
  if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) {
    if (over && !Qz_DoMethod(self, kRootDisableCount)) return Qz__BeginEditing(f, e);
    Qz__EndEditing(f);
  } else if (e->cls == IDCMP_INACTIVEWINDOW) {
    Qz__EndEditing(f);
  } else if (e->cls == IDCMP_MOUSEMOVE) {
    Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(self);
    Qz_Object* windowObject = info ? info->windowObject : nullptr;
    if (info) Qz_UnlockDrawInfoForInspection(self);
    if (over && f->pointerShape != kTextBeam) {
      f->pointerShape = kTextBeam;
      Qz_DoMethod(windowObject, kWindowSetCursor, kTextBeam);
    } else if (!over && f->pointerShape == kTextBeam) {
      f->pointerShape = 0;
      Qz_DoMethod(windowObject, kWindowSetCursor, 0);
    }
  }
  return 2;
}

QzWord Qz__Measure(Qz_StringEditObject* f) {
  Qz_Object* self = &f->header;
  Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(self);
  if (!info) return 0;
  int32_t charWidth = 8, textWidth = 0, height = info->fontHeight;
  if (RastPort* rp = info->rastPort) {
    charWidth = (f->numeric & 1) ? TextLength(rp, "023456789", 9) / 9 : Qz_GetWidestCharWidth(info);
    textWidth = TextLength(rp, f->text, int32_t(std::strlen(f->text)));
    if (rp->TxHeight) height = rp->TxHeight;
  }
  Qz_UnlockDrawInfoForInspection(self);
  const auto clamp16 = [](int64_t v) { return int16_t(std::clamp<int64_t>(v, 0, 0x7FFF)); };
  Qz_LayoutBox* b = &Qz_RootInstance(self)->box;
  b->minWidth = clamp16(f->maxLength >= 64 ? charWidth : int64_t(f->maxLength) * charWidth);
  b->maxWidth = std::max(b->minWidth, clamp16(int64_t(f->maxLength) * charWidth));
  b->width = std::clamp(clamp16(textWidth), b->minWidth, b->maxWidth);
  // Room above and below the text for the line editor's margin.
  b->height = b->minHeight = b->maxHeight = clamp16(height + 4);
  return 0;
}

// Entering a window, or leaving it (NULL): the editor belongs to one window.
QzWord Qz__SetDrawInfo(Qz_StringEditObject* f, const QzWord* args) {
  auto* info = reinterpret_cast<Qz_DrawInfo*>(args[0]);
  if (!info) {
    if (f->control) {
      Qz__ReadBack(f);
      Qz_DestroyEditControl(f->control);
      f->control = 0;
      f->editing = false;
    }
    f->window = nullptr;
  } else {
    f->window = info->window;
  }
  return qz::kit::inherited(&f->header, kRootSetDrawInfo, args);
}

QzWord Qz__StringEditDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_StringEditObject* f = Qz__Self(object);
  switch (id) {
    case kStringEditSetText: return Qz__SetText(f, reinterpret_cast<const char*>(args[0]));
    case kStringEditGetText: return reinterpret_cast<QzWord>(f->text);
    case kStringEditSetMaxLength:
      f->maxLength = uint32_t(args[0]) < 256 ? uint32_t(args[0]) : kStringEditDefaultMaxLength;
      return f->maxLength;
    case kStringEditSetNumber: return Qz__SetNumber(f, int32_t(args[0]));
    case kStringEditGetNumber: return uint32_t(qz::measure::parseInteger(f->text));
    case kStringEditReadBack: return Qz__ReadBack(f);
    case kStringEditGetCursor: return uint32_t(f->cursor);
    case kRootMeasure: return Qz__Measure(f);
    case kRootDraw: return Qz__Draw(f);
    case kRootSetDrawInfo: return Qz__SetDrawInfo(f, args);
    case kRootHandleIDCMP: return Qz__Input(f, reinterpret_cast<const Qz_InputEvent*>(args[0]));
    default: return qz::kit::inherited(object, id, args);
  }
}

void Qz__TearDown(Qz_Object* object) {
  Qz_StringEditObject* f = Qz__Self(object);
  if (f->control) Qz_DestroyEditControl(f->control);
  f->control = 0;
}

const qz::kit::Attribute kStringEditAttributes[] = {
    {.setter = kStringEditSetNumeric, .field = qz::kit::field(&Qz_StringEditObject::numeric)},
};

const qz::kit::ClassDecl kStringEdit = {
    .name = "StringEdit", .superName = "Root", .classId = kStringEditClassId,
    .instance = qz::kit::instanceOf<Qz_StringEditObject>(), .handler = Qz__StringEditDispatch,
    .attributes = kStringEditAttributes, .tearDown = Qz__TearDown, .notice = "One-line text field"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitStringEditClass(Qz_GlobalData*) { return qz::kit::addClass(kStringEdit); }
QZ_EXPORT void Qz_CleanupStringEditClass(void) { qz::kit::removeClass(kStringEdit); }
QZ_EXPORT void Qz_StringEditFocusLost(void*, void* field) {
  if (field) Qz_DoAsyncMethod(static_cast<Qz_Object*>(field), kStringEditReadBack);
}
QZ_EXTERN_C_END
