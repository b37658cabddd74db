#include "qzio/format_options.h"

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "objects/qz_notify.h"
#include "qzio/qzio_internal.h"

namespace qzio {
namespace {

// Root's poke stores through an atomic reference, as the save reads the word.
// The value stands second in the poke, so it is named as the trigger's value:
// "the same word" would take the trigger's second word, which a pop-up list's
// choice does not have.
void Qz__PokeOnChange(Qz_Object* gadget, uint32_t change, std::atomic<int32_t>& word) {
  if (gadget) Qz_AddNotify(gadget, change, kNotifyAnyValue, gadget, 3, kRootPoke32, &word, kNotifyTriggerValue);
}

Qz_Object* Qz__PopUpList(std::initializer_list<const char*> entries, uint32_t index) {
  Qz_Object* list = Qz_CreateObject("PopUpList", kRootSetWeight, 0);
  if (!list) return nullptr;
  for (const char* entry : entries) Qz_DoMethod(list, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, entry));
  Qz_DoMethod(list, kPopUpListSetIndex, index);
  return list;
}

// A pop-up on a row of its own with room after it: left to the column, the
// pop-up would stretch across it and show its entry far from its arrow.
Qz_Object* Qz__AtRowStart(Qz_Object* gadget) {
  if (!gadget) return nullptr;
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kRootSetWeight, 0);
  Qz_Object* room = Qz_CreateObject("Space", kRootSetWeight, 100);
  if (!row || !room) {
    Qz_DisposeObject(row);
    Qz_DisposeObject(room);
    Qz_DisposeObject(gadget);
    return nullptr;
  }
  Qz_DoMethod(row, kGroupAddTail, gadget);
  Qz_DoMethod(row, kGroupAddTail, room);
  return row;
}

}  // namespace

OptionsColumn::OptionsColumn()
    : group_(Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 4)), complete_(group_ != nullptr) {}

OptionsColumn& OptionsColumn::add(Qz_Object* gadget) {
  if (!gadget) complete_ = false;
  if (gadget && group_) Qz_DoMethod(group_, kGroupAddTail, gadget);
  else Qz_DisposeObject(gadget);
  return *this;
}

OptionsColumn& OptionsColumn::label(uint32_t catalogNumber, const char* fallback) {
  return text(CatalogText(catalogNumber, fallback));
}

OptionsColumn& OptionsColumn::text(const char* literal) {
  return add(Qz_CreateObject("Text", kRootSetLabel, literal));
}

OptionsColumn& OptionsColumn::slider(int32_t minimum, int32_t maximum, int32_t value, const char* format,
                                     Qz_Object* target, uint32_t setter) {
  Qz_Object* slider = Qz_CreateObject("CompactSlider", kValueSetMinimum, minimum, kValueSetMaximum, maximum,
                                      kValueSet, value, kValueSetFormat, format);
  if (slider) Qz_AddNotify(slider, kValueSet, kNotifyAnyValue, target, 2, setter, kNotifySameWord);
  return add(slider);
}

OptionsColumn& OptionsColumn::slider(int32_t minimum, int32_t maximum, const char* format,
                                     std::atomic<int32_t>& word) {
  Qz_Object* slider = Qz_CreateObject("CompactSlider", kValueSetMinimum, minimum, kValueSetMaximum, maximum,
                                      kValueSet, word.load(), kValueSetFormat, format);
  Qz__PokeOnChange(slider, kValueSet, word);
  return add(slider);
}

OptionsColumn& OptionsColumn::checkBox(const char* text, bool on, Qz_Object* target, uint32_t setter) {
  Qz_Object* box = Qz_CreateObject("CheckBox", kRootSetLabel, text, kCheckBoxSetState, on ? 1 : 0);
  if (box) Qz_AddNotify(box, kCheckBoxSetState, kNotifyAnyValue, target, 2, setter, kNotifySameWord);
  return add(box);
}

OptionsColumn& OptionsColumn::checkBox(const char* text, std::atomic<int32_t>& word) {
  Qz_Object* box = Qz_CreateObject("CheckBox", kRootSetLabel, text, kCheckBoxSetState, word.load() ? 1 : 0);
  Qz__PokeOnChange(box, kCheckBoxSetState, word);
  return add(box);
}

OptionsColumn& OptionsColumn::popUp(std::initializer_list<const char*> entries, uint32_t index, Qz_Object* target,
                                    uint32_t setter) {
  Qz_Object* list = Qz__PopUpList(entries, index);
  if (list) Qz_AddNotify(list, kPopUpListSetIndex, kNotifyAnyValue, target, 2, setter, kNotifySameWord);
  return add(Qz__AtRowStart(list));
}

OptionsColumn& OptionsColumn::popUp(std::initializer_list<const char*> entries, std::atomic<int32_t>& word) {
  Qz_Object* list = Qz__PopUpList(entries, uint32_t(word.load()));
  Qz__PokeOnChange(list, kPopUpListSetIndex, word);
  return add(Qz__AtRowStart(list));
}

Qz_Object* OptionsColumn::take() {
  Qz_Object* group = group_;
  group_ = nullptr;
  if (complete_) return group;
  Qz_DisposeObject(group);
  return nullptr;
}

}  // namespace qzio
