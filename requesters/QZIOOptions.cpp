// QZIOOptions: a "File Format" group with the save formats in a pop-up and
// the chosen format's option gadgets, which it gets from a format object it
// makes by class name and owns. Answers the ids of qz_qzio_options.h; the
// rest goes to its group.
#include "requesters/qz_qzio_options.h"

#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_window.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/requester.h"
#include "qzio/qzio.h"
#include "qzio/root_qzio.h"

namespace {

// Whether option gadgets are shown at all.
constexpr bool kShowOptions = true;

struct Qz_QzioOptionsObject {
  Qz_Object header;
  bool resizeWindow = false;
  Qz_Object* format = nullptr;   // owned; null when the chosen format has no gadgets
  Qz_Object* gadgets = nullptr;  // the format's, shown in the options group (owned by the format)
  Qz_Object* popUp = nullptr;
  Qz_Object* optionsGroup = nullptr;
  Qz_Object* nameField = nullptr;
  QzWord saveBuffer = 0;
  std::string chosenClass;         // the class the gadgets below belong to
  std::vector<std::string> names;  // the pop-up's entries, in order
};

Qz_QzioOptionsObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_QzioOptionsObject>(o); }

const char* Qz__ChosenName(const Qz_QzioOptionsObject* o) {
  const uint32_t index = uint32_t(Qz_DoMethod(o->popUp, kPopUpListGetIndex));
  return index < o->names.size() ? o->names[index].c_str() : nullptr;
}

void Qz__DropFormat(Qz_QzioOptionsObject* o) {
  if (o->gadgets) Qz_DoMethod(o->optionsGroup, kGroupRemove, o->gadgets);
  Qz_DisposeObject(o->format);  // its gadgets go with it
  o->gadgets = nullptr;
  o->format = nullptr;
}

// The file-name field takes the format's extension.
void Qz__FollowExtension(Qz_QzioOptionsObject* o, const char* formatName) {
  const char* text = reinterpret_cast<const char*>(Qz_DoMethod(o->nameField, kStringEditGetText));
  if (!text || !*text) return;
  const std::string source = text;
  std::vector<char> target(source.size() + 64);
  if (Qz_AutoChangeFileExtension(source.c_str(), target.data(), formatName, uint32_t(target.size()))) {
    Qz_DoMethod(o->nameField, kStringEditSetText, target.data());
    Qz_DoMethod(o->nameField, kRootDraw);
  }
}

// The chosen format changed: its object and gadgets replace the last ones.
void Qz__FormatChosen(Qz_QzioOptionsObject* o) {
  const char* name = Qz__ChosenName(o);
  if (!name) return;
  const std::string className = std::string(name) + "QZIO";
  if (className == o->chosenClass) return;
  o->chosenClass = className;
  Qz_DoMethod(o->optionsGroup, kGroupDisableLayout);
  Qz__DropFormat(o);
  Qz_Object* format = Qz_CreateObject(className.c_str(), kQzioSetSaveBuffer, o->saveBuffer);
  if (format) {
    Qz__FollowExtension(o, name);
    auto* gadgets = kShowOptions ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(format, kQzioGetSaveOptions)) : nullptr;
    if (gadgets) {
      Qz_DoMethod(o->optionsGroup, kGroupAddTail, gadgets);
      o->format = format;
      o->gadgets = gadgets;
    } else {
      Qz_DisposeObject(format);
    }
  }
  Qz_DoMethod(o->optionsGroup, kGroupEnableLayout);
  if (!o->resizeWindow) return;
  if (Qz_Object* window = Qz_SearchHierachyForClassId(&o->header, kWindowClassId)) Qz_RelayoutAndRedrawObject(window);
}

void Qz__PopUpChanged(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  Qz__FormatChosen(reinterpret_cast<Qz_QzioOptionsObject*>(user));
}

// The names of the library's save formats, first to last.
std::vector<std::string> Qz__SaveFormats() {
  auto* io = static_cast<QZIO_GlobalData*>(Qz_GetImageBase()->ioGlobalData);
  std::vector<std::string> names;
  Qz_Object* list = io ? io->saveFormatList : nullptr;
  for (QzWord m = Qz_DoMethod(list, kLinkedListFirst); m; m = Qz_DoMethod(list, kLinkedListNext, m)) {
    const char* name = reinterpret_cast<const char*>(Qz_DoMethod(reinterpret_cast<Qz_Object*>(m), kRootGetObjectName));
    if (name && *name) names.emplace_back(name);
  }
  return names;
}

QzWord Qz__Reset(Qz_QzioOptionsObject* o, const char* wanted) {
  while (auto* entry = reinterpret_cast<Qz_Object*>(Qz_DoMethod(o->popUp, kGroupFirst))) {
    Qz_DoMethod(o->popUp, kGroupRemove, entry);
    Qz_DisposeObject(entry);
  }
  o->names = Qz__SaveFormats();
  uint32_t chosen = 0;
  for (uint32_t i = 0; i < o->names.size(); ++i) {
    const char* name = o->names[i].c_str();
    Qz_DoMethod(o->popUp, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, name));
    if (wanted && o->names[i] == wanted) chosen = i;
  }
  Qz_DoMethod(o->popUp, kPopUpListSetIndex, chosen);
  Qz__FormatChosen(o);
  return 0;
}

QzWord Qz__QzioOptionsDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_QzioOptionsObject* o = Qz__Self(object);
  const QzWord a = args ? args[0] : 0;
  switch (id) {
    case kQzioOptionsReset: return Qz__Reset(o, reinterpret_cast<const char*>(a));
    case kQzioOptionsFormatName: return reinterpret_cast<QzWord>(Qz__ChosenName(o));
    case kQzioOptionsSetNameField: o->nameField = reinterpret_cast<Qz_Object*>(a); return 0;
    case kQzioOptionsNameFieldSlot: return reinterpret_cast<QzWord>(&o->nameField);
    case kQzioOptionsFormatObject: return reinterpret_cast<QzWord>(o->format);
    case kQzioOptionsSetResizeWindow: o->resizeWindow = a != 0; return 0;
    case kQzioOptionsSetSaveBuffer: o->saveBuffer = a; return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakeGroup(Qz_Object*) {
  return Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 2, kRootSetLabel, "File Format",
                         kGroupSetSpacing, 6);
}

bool Qz__QzioOptionsSetUp(Qz_Object* object) {
  Qz_QzioOptionsObject* o = Qz__Self(object);
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 6);
  // The pop-up keeps its own width; the options take what is left.
  o->popUp = Qz_CreateObject("PopUpList", kRootSetWeight, 0);
  o->optionsGroup = Qz_CreateObject("Group", kGroupSetMode, 1, kRootSetWeight, 100);
  if (!row || !o->popUp || !o->optionsGroup) {
    for (Qz_Object* made : {row, o->popUp, o->optionsGroup}) Qz_DisposeObject(made);
    return false;
  }
  Qz_DoMethod(row, kGroupAddTail, o->popUp);
  Qz_DoMethod(row, kGroupAddTail, o->optionsGroup);
  Qz_DoMethod(object->super, kGroupAddTail, row);
  Qz_AddCallBackNotify(o->popUp, kPopUpListSetEntry, kNotifyAnyValue, Qz__PopUpChanged, reinterpret_cast<QzWord>(o));
  return true;
}

void Qz__QzioOptionsTearDown(Qz_Object* object) { Qz__DropFormat(Qz__Self(object)); }

const qz::kit::ClassDecl kQzioOptions = {
    .name = "QZIOOptions", .superName = "Group", .classId = kQzioOptionsClassId,
    .instance = qz::kit::instanceOf<Qz_QzioOptionsObject>(), .handler = Qz__QzioOptionsDispatch,
    .makeSuper = Qz__MakeGroup, .setUp = Qz__QzioOptionsSetUp, .tearDown = Qz__QzioOptionsTearDown,
    .notice = "Save format and its options"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitQZIOOptionsClass(Qz_GlobalData*) { return qz::kit::addClass(kQzioOptions); }
QZ_EXPORT void Qz_CleanupQZIOOptionsClass(void) { qz::kit::removeClass(kQzioOptions); }

QZ_EXPORT int32_t Qz_ShowFormatOptions(const char* title, Qz_Object*, Qz_Object* options) {
  // The options group belongs to its format: the requester only borrows it.
  return int32_t(Qz_ShowRequesterA(title, options, 0, Qz_GetImageBase()->screen, 0, nullptr));
}
QZ_EXTERN_C_END
