// The option gadgets of the format classes: a column of labelled gadgets,
// each sending its value to the format object as one of the object's own
// setters (or storing it in a process-wide word), so the options a user
// sets are the ones the next save reads.
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>

#include "objects/qz_object.h"

namespace qzio {

class OptionsColumn {
 public:
  // A vertical group; null (and every add a no-op) when it cannot be made.
  OptionsColumn();
  ~OptionsColumn() { Qz_DisposeObject(group_); }
  OptionsColumn(const OptionsColumn&) = delete;
  OptionsColumn& operator=(const OptionsColumn&) = delete;
  // A catalogue text (the fallback when the catalogue has none).
  OptionsColumn& label(uint32_t catalogNumber, const char* fallback);
  OptionsColumn& text(const char* literal);
  // A slider from minimum to maximum showing value, sending its changes to
  // target as setter.
  OptionsColumn& slider(int32_t minimum, int32_t maximum, int32_t value, const char* format, Qz_Object* target,
                        uint32_t setter);
  // The same storing straight into a process-wide word.
  OptionsColumn& slider(int32_t minimum, int32_t maximum, const char* format, std::atomic<int32_t>& word);
  OptionsColumn& checkBox(const char* text, bool on, Qz_Object* target, uint32_t setter);
  // A check box whose state goes straight into a process-wide word.
  OptionsColumn& checkBox(const char* text, std::atomic<int32_t>& word);
  // A pop-up list of the entries starting on index; its index goes to target as setter.
  OptionsColumn& popUp(std::initializer_list<const char*> entries, uint32_t index, Qz_Object* target,
                       uint32_t setter);
  OptionsColumn& popUp(std::initializer_list<const char*> entries, std::atomic<int32_t>& word);
  // Adds a gadget made elsewhere (a paged group).
  OptionsColumn& add(Qz_Object* gadget);
  // The group, or null when any gadget could not be made (what was made is disposed).
  Qz_Object* take();

 private:
  Qz_Object* group_;
  bool complete_;
};

}  // namespace qzio
