// TipOfTheDay: the start-up window with a picture, one tip, a check box
// for showing it at start and buttons for the next tip and closing. The
// tips are the pages of a tabbed object restored from the tips file, shown
// one at a time without their tabs; the state file keeps which tip comes
// next and whether the window shows at start.
#include <cstdint>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_tip_of_the_day.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "gadgets/tip_state.h"
#include "objects/catalogue.h"
#include "objects/object_text.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace {

// The check box's state, set and read.
constexpr uint32_t kTipCheckSet = 0x15000A;
constexpr uint32_t kTipCheckGet = 0x150014;
// A tabbed object's page group and tab row.
constexpr uint32_t kTipPagesPageGroup = 0xB001E;
constexpr uint32_t kTipPagesTabs = 0xB0028;
constexpr uint32_t kReturnKey = 13;

struct Qz_TipOfTheDayObject {
  Qz_Object header;
  Qz_Object* next = nullptr;
  Qz_Object* close = nullptr;
  Qz_Object* tipsArea = nullptr;
  Qz_Object* tips = nullptr;  // restored at every open
  Qz_Object* check = nullptr;
  std::string statePath;
  std::string tipsPath;
  int32_t tip = 0;
  bool skipOpen = false;  // "do not show at start": the next open is left out
  bool closing = false;   // the close the callback sends comes back as a notification
};

Qz_TipOfTheDayObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_TipOfTheDayObject>(o); }

// The group holding the tips as its pages.
Qz_Object* Qz__PageGroup(Qz_TipOfTheDayObject* t) {
  if (!t->tips) return nullptr;
  if (QzWord inner = Qz_DoMethod(t->tips, kTipPagesPageGroup)) return reinterpret_cast<Qz_Object*>(inner);
  return t->tips;
}

int32_t Qz__TipCount(Qz_TipOfTheDayObject* t) {
  Qz_Object* pages = Qz__PageGroup(t);
  return pages ? int32_t(Qz_DoMethod(pages, kGroupCount)) : 0;
}

void Qz__ShowTip(Qz_TipOfTheDayObject* t) {
  if (Qz_Object* pages = Qz__PageGroup(t)) Qz_DoMethod(pages, kGroupShowPage, uint32_t(t->tip));
}

bool Qz__ShowAtStart(Qz_TipOfTheDayObject* t) {
  return Qz_DoMethod(t->check, kTipCheckGet) != 0;
}

void Qz__SetShowAtStart(Qz_TipOfTheDayObject* t, bool on) {
  Qz_DoMethod(t->check, kTipCheckSet, on ? 1u : 0u);
}

void Qz__Advance(Qz_TipOfTheDayObject* t) {
  t->tip = qz::tips::nextTip(t->tip, Qz__TipCount(t));
  Qz__ShowTip(t);
}

// Next tip (user data 0), or close (1, the button or the window): closing
// moves on to the next tip and records it, so the next start shows a new one.
void Qz__TipOfTheDayCallBack(QzWord user, Qz_Object* source, uint32_t, const QzWord*) {
  Qz_Object* self = reinterpret_cast<Qz_Object*>(user);
  Qz_TipOfTheDayObject* t = Qz__Self(self);
  const QzWord which = source == t->next ? 0 : 1;
  if (which == 0) {
    Qz__Advance(t);
    Qz_DoMethod(self, kRootDraw);
    return;
  }
  if (t->closing) return;
  t->closing = true;
  // The window's own close has already closed it; closing twice would keep it shut at the next open.
  if (source != self->super) Qz_DoMethod(self->super, kWindowClose);
  Qz__Advance(t);
  if (!t->statePath.empty()) qz::tips::writeTipState(t->statePath.c_str(), t->tip, Qz__ShowAtStart(t));
  t->closing = false;
}

void Qz__ReadState(Qz_TipOfTheDayObject* t) {
  const qz::tips::TipState state = qz::tips::readTipState(t->statePath.c_str());
  t->tip = state.tip;
  t->skipOpen = !state.show;
  if (!state.show) Qz__SetShowAtStart(t, false);
}

// A missing tips file leaves the area empty; the window opens all the same.
void Qz__RestoreTips(Qz_TipOfTheDayObject* t) {
  if (t->tips) {
    Qz_DoMethod(t->tipsArea, kGroupRemove, t->tips);
    Qz_DisposeObject(t->tips);
    t->tips = nullptr;
  }
  if (t->tipsPath.empty()) return;
  t->tips = Qz_RestoreObjectFromDisk(t->tipsPath.c_str());
  if (!t->tips) return;
  if (QzWord tabs = Qz_DoMethod(t->tips, kTipPagesTabs)) Qz_DoMethod(reinterpret_cast<Qz_Object*>(tabs), kRootHide);
  Qz_DoMethod(Qz__PageGroup(t), kGroupSetMode, 4);
  t->tip = qz::tips::clampTip(t->tip, Qz__TipCount(t));
  Qz__ShowTip(t);
  Qz_DoMethod(t->tipsArea, kGroupAddHead, t->tips);
}

QzWord Qz__TipOfTheDayDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_TipOfTheDayObject* t = Qz__Self(object);
  switch (id) {
    case kTipOfTheDaySetTipsFile:
      t->tipsPath = args[0] ? reinterpret_cast<const char*>(args[0]) : "";
      return 0;
    case kTipOfTheDaySetStateFile:
      t->statePath = args[0] ? reinterpret_cast<const char*>(args[0]) : "";
      Qz__ReadState(t);
      return 0;
    case kTipOfTheDayGetTip: return uint32_t(t->tip);
    case kRootOpen:
      if (t->skipOpen) {
        t->skipOpen = false;
        return 0;
      }
      Qz__RestoreTips(t);
      return qz::kit::inherited(object, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakeWindow(Qz_Object*) {
  return Qz_CreateObject("Window", kWindowSetX, kWindowCentred, kWindowSetY, kWindowCentred, kWindowSetW, 350,
                         kWindowSetH, 240, kWindowSetTitle, Qz_CatalogString(366), kRootSetUserData, 1,
                         kWindowSetKind, kWindowKindFreeStanding);
}

Qz_Object* Qz__Add(Qz_Object* parent, Qz_Object* member, bool* ok) {
  if (!member) *ok = false;
  else if (parent) Qz_DoMethod(parent, kGroupAddTail, member);
  return member;
}

Qz_Object* Qz__LabelledButton(const char* label, QzWord userData, bool* ok) {
  Qz_Object* button = Qz_CreateObject("Button", kRootSetWeight, 0, kRootSetUserData, userData);
  Qz__Add(button, Qz_CreateObject("Text", kRootSetLabel, label), ok);
  if (!button) *ok = false;
  return button;
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_TipOfTheDayObject* t = Qz__Self(object);
  bool ok = true;
  Qz_Object* column = Qz__Add(object->super, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 0), &ok);
  if (!ok) return false;  // the window disposes what it holds
  Qz_Object* framed = Qz__Add(column, Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetFrame, 4,
                                                      kRootSetBaseColour, 0xFFFFFF, kGroupSetSpacing, 8,
                                                      kGroupSetInnerSpacing, 8), &ok);
  if (!ok) return false;
  Qz_Object* picture = Qz__Add(framed, Qz_CreateObject("BitMap", kRootSetWeight, 0), &ok);
  if (picture) Qz_DoMethod(picture, kBitMapLoad, "Data/Images/DidYouKnow.iff");
  // A fixed area: a long tip wraps inside it and never pushes the buttons out of the window.
  t->tipsArea = Qz__Add(framed, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFixedWidth, 1,
                                                kGroupSetFixedHeight, 1), &ok);
  Qz__Add(t->tipsArea, Qz_CreateObject("Space", kFixWidth, 240, kFixHeight, kSpaceZeroSize), &ok);
  Qz__Add(column, Qz_CreateObject("Space", kFixHeight, 4, kRootSetWeight, 0), &ok);
  Qz_Object* row = Qz__Add(column, Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 4, kRootSetWeight, 0), &ok);
  if (!ok) return false;
  t->check = Qz__Add(row, Qz_CreateObject("CheckBox", kRootSetLabel, Qz_CatalogString(369), kRootSetWeight, 0), &ok);
  if (!ok) return false;
  Qz__SetShowAtStart(t, true);
  Qz__Add(row, Qz_CreateObject("Space", kFixHeight, kSpaceZeroSize, kRootSetWeight, 100), &ok);
  t->next = Qz__Add(row, Qz__LabelledButton(Qz_CatalogString(368), 0, &ok), &ok);
  Qz__Add(row, Qz_CreateObject("Space", kFixWidth, 20, kFixHeight, kSpaceZeroSize), &ok);
  t->close = Qz__Add(row, Qz__LabelledButton(Qz_CatalogString(56), 1, &ok), &ok);
  if (!ok) return false;
  Qz_DoMethod(t->close, kButtonSetKey, kReturnKey);
  Qz_DoMethod(t->next, kRootSetObjectName, "TipNext");
  Qz_DoMethod(t->close, kRootSetObjectName, "TipClose");
  Qz_DoMethod(t->check, kRootSetObjectName, "TipShowAtStart");
  const QzWord self = reinterpret_cast<QzWord>(object);
  Qz_AddCallBackNotify(t->next, kButtonPressed, kNotifyAnyValue, Qz__TipOfTheDayCallBack, self);
  Qz_AddCallBackNotify(t->close, kButtonPressed, kNotifyAnyValue, Qz__TipOfTheDayCallBack, self);
  Qz_AddCallBackNotify(object->super, kWindowClose, kNotifyAnyValue, Qz__TipOfTheDayCallBack, self);
  return true;
}

const qz::kit::ClassDecl kTipOfTheDay = {
    .name = "TipOfTheDay", .superName = "Window", .classId = kTipOfTheDayClassId,
    .instance = qz::kit::instanceOf<Qz_TipOfTheDayObject>(), .handler = Qz__TipOfTheDayDispatch,
    .makeSuper = Qz__MakeWindow, .setUp = Qz__SetUp, .notice = "Start-up window with a tip"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTipOfTheDayClass(Qz_GlobalData*) { return qz::kit::addClass(kTipOfTheDay); }
QZ_EXPORT void Qz_CleanupTipOfTheDayClass(void) { qz::kit::removeClass(kTipOfTheDay); }
QZ_EXTERN_C_END
