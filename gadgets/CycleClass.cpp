// Cycle: a pop-up button that shows the chosen entry of a list of texts;
// pressing it opens the list over the chosen line.
//
// A choice comes either as an index (the public method) or as the line
// released over in the pop-up (its notification); the two take separate
// paths, so a value is never told apart by its size.
#include <string>
#include <vector>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"

namespace {

struct CycleObject {
  Qz_Object header;
  Qz_Object* listGroup = nullptr;
  std::vector<Qz_Object*> lines;
  std::vector<std::string> strings;  // the lines' and the face's labels point here
  uint32_t chosen = 0;
  Qz_Object* face = nullptr;
};

CycleObject* asCycle(Qz_Object* o) { return reinterpret_cast<CycleObject*>(o); }

void showChosen(CycleObject* c) {
  if (c->chosen >= c->strings.size()) return;
  Qz_DoMethod(c->face, kRootSetLabel, c->strings[c->chosen].c_str());
  Qz_DoMethod(&c->header, kPopUpSetPlacement, c->lines[c->chosen]);
}

// An index outside the list chooses nothing.
QzWord chooseIndex(CycleObject* c, uint32_t index) {
  if (index >= c->strings.size() || index == c->chosen) return c->chosen;
  c->chosen = index;
  showChosen(c);
  Qz_DoMethod(&c->header, kRootDraw);
  Qz_DoNotify(&c->header, kCycleChoose, index);
  return c->chosen;
}

void onLineChosen(QzWord self, Qz_Object*, uint32_t, const QzWord* words) {
  CycleObject* c = reinterpret_cast<CycleObject*>(self);
  for (std::size_t i = 0; i < c->lines.size(); ++i) {
    if (reinterpret_cast<QzWord>(c->lines[i]) == words[0]) chooseIndex(c, uint32_t(i));
  }
}

void inPopUp(CycleObject* c, uint32_t id, Qz_Object* group) {
  Qz_DoMethod(&c->header, kPopUpChildrenInPopUp, 1);
  Qz_DoMethod(&c->header, id, group);
  Qz_DoMethod(&c->header, kPopUpChildrenInPopUp, 0);
}

QzWord setStrings(CycleObject* c, const char* const* texts) {
  if (c->listGroup != nullptr) {
    inPopUp(c, kGroupRemove, c->listGroup);
    Qz_DisposeObject(c->listGroup);
    c->listGroup = nullptr;
  }
  c->lines.clear();
  c->strings.clear();
  for (std::size_t i = 0; texts != nullptr && texts[i] != nullptr; ++i) c->strings.emplace_back(texts[i]);
  c->listGroup = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 1);
  if (c->listGroup == nullptr) return 0;
  for (std::size_t i = 0; i < c->strings.size(); ++i) {
    Qz_Object* line = Qz_CreateObject("Text", kRootSetLabel, c->strings[i].c_str(), kRootSetUserData, uint32_t(i));
    if (line == nullptr) continue;
    Qz_DoMethod(c->listGroup, kGroupAddTail, line);
    c->lines.push_back(line);
  }
  if (c->lines.size() != c->strings.size()) c->strings.resize(c->lines.size());
  inPopUp(c, kGroupAddTail, c->listGroup);
  if (c->chosen >= c->strings.size()) c->chosen = 0;
  showChosen(c);
  return 1;
}

QzWord cycleDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  CycleObject* c = asCycle(object);
  switch (id) {
    case kCycleSetStrings: return setStrings(c, reinterpret_cast<const char* const*>(args[0]));
    case kCycleChoose: return chooseIndex(c, uint32_t(args[0]));
    case kCycleGetChosen: return c->chosen;
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* makePopUp(Qz_Object*) { return Qz_CreateObject("PopUp", kGroupSetMode, 2, kGroupSetSpacing, 4); }

// The arrow and the face on the button; a line released over chooses.
bool cycleSetUp(Qz_Object* object) {
  CycleObject* c = asCycle(object);
  Qz_Object* arrow = Qz_CreateObject("VectorImage", kVectorImageSetKind, kVectorImageRightArrow, kFixWidth, 12,
                                     kFixHeight, 10);
  c->face = Qz_CreateObject("Text", kRootSetLabel, "Cycle");
  if (arrow == nullptr || c->face == nullptr) {
    Qz_DisposeObject(arrow);
    Qz_DisposeObject(c->face);
    return false;
  }
  Qz_DoMethod(object->super, kGroupAddTail, arrow);
  Qz_DoMethod(object->super, kGroupAddTail, c->face);
  return Qz_AddCallBackNotify(object, kPopUpChosen, kNotifyAnyValue, onLineChosen, reinterpret_cast<QzWord>(c)) != 0;
}

const qz::kit::ClassDecl kCycleClass = {
    .name = "Cycle", .superName = "PopUp", .classId = kCycleClassId,
    .instance = qz::kit::instanceOf<CycleObject>(), .handler = cycleDispatch, .makeSuper = makePopUp,
    .setUp = cycleSetUp, .notice = "Pop-up choice among texts"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCycleClass(Qz_GlobalData*) { return qz::kit::addClass(kCycleClass); }
QZ_EXPORT void Qz_CleanupCycleClass(void) { qz::kit::removeClass(kCycleClass); }
QZ_EXTERN_C_END
