// The record of a Root instance, for the toolkit's layout and drawing code
// that reads what every object has (box, colours, weight) without a method
// call per value. Everything else goes through Root's methods.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

struct Qz_NotifyHeader;

// A Root object: the header, then what every object has.
struct Qz_RootObject {
  Qz_Object header;
  Qz_LayoutBox box;
  uint32_t baseColour;      // 0xFFFFFFFF: not set
  uint32_t lightColour;
  uint32_t darkColour;
  int16_t weight;           // share of spare room for layouts, 100 by default
  Qz_NotifyHeader* notify;  // made on first use
  QzWord userData;
  QzWord reserved;
  const char* label;        // not owned
  char* name;               // owned copy or NULL
  MsgPort* asyncPort;
  const char* toolTip;      // not owned
  int8_t hideCount;
  int8_t disableCount;
};

// Colour value meaning "not set" (base colour of a fresh object).
inline constexpr uint32_t kQzColourUnset = 0xFFFFFFFF;

// The Root instance at the end of an object's superclass chain; NULL for NULL.
inline Qz_RootObject* Qz_RootInstance(Qz_Object* object) {
  if (object == nullptr) return nullptr;
  while (object->super != nullptr) object = object->super;
  return reinterpret_cast<Qz_RootObject*>(object);
}
