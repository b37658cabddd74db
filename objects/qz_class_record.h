// Filling and registering a class's static record from one declaration, so
// every class module states its name, superclass and functions once.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

struct Qz_ClassSpec {
  const char* name;
  const char* notice;
  uint32_t classId;          // class number << 16
  const char* superName;     // NULL only for Root
  Qz_NewFunction newObject;
  Qz_DisposeFunction dispose;
  Qz_DispatchFunction dispatch;
  const Qz_Method* methods;  // never NULL: at least the end row
  uint32_t objectSize;       // bytes, header included
  uint16_t classValue;
};

QZ_EXTERN_C_BEGIN

// Fills the record from its declaration and adds it to the class list. A record
// that is already registered in the current runtime answers 1 unchanged (a
// runtime closed and opened again has a fresh list, so it is added anew).
// The superclass link is looked up by name and stays NULL when that class is
// not registered. Returns 0 when the object system is not open.
QZ_EXPORT QzWord Qz_RegisterClassRecord(Qz_Class* record, const Qz_ClassSpec* spec);

// Removes the record from the class list if it was registered.
QZ_EXPORT void Qz_UnregisterClassRecord(Qz_Class* record);

// The start of every create function: a zeroed instance of the class over a
// superclass instance made by name from the tags (NULL: none), which it owns.
// NULL, with nothing left allocated, when either cannot be made.
QZ_EXPORT Qz_Object* Qz_AllocObjectOver(Qz_Class* objectClass, const char* superName,
                                        const TagItem* tags);

QZ_EXTERN_C_END
