// The class kit: every class of the program is one declaration that the kit
// registers, creates, dispatches and disposes. A class module holds its
// instance type, its own handler, its attribute rows and a declaration:
//
//   const qz::kit::ClassDecl kMultiplyMode = {
//       .name = "MultiplyMode", .superName = "RootMode", .classId = 0x801,
//       .handler = qz::modes::perChannelHandler<Qz__Multiply>};
//   QZ_EXPORT QzWord Qz_InitMultiplyModeClass(Qz_GlobalData*) { return qz::kit::addClass(kMultiplyMode); }
//   QZ_EXPORT void Qz_CleanupMultiplyModeClass(void) { qz::kit::removeClass(kMultiplyMode); }
//
// Naming rule for module-private code: everything a module does not export
// lives in an unnamed namespace (internal linkage) and is named Qz__Name in
// CamelCase (types, constants and locals follow the house style: Name,
// kName, name). Nothing private is exported, and no private name may be
// looked up with dlsym: what another module needs goes into a header.
//
// Creation runs one path and unwinds it in reverse on any failure: memory,
// the instance's C++ constructor, attribute defaults, the superclass
// instance (made by name), setUp. Dispose runs tearDown, the superclass
// instance's dispose, the destructor and frees the memory. Construct and
// destroy therefore run exactly once each per object that got memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <type_traits>

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
// The one shape of every class's exported entry points, found by name
// (Qz_Init<Name>Class / Qz_Cleanup<Name>Class): 1 when the class is there.
typedef QzWord (*Qz_ClassInitFunction)(Qz_GlobalData* globalData);
typedef void (*Qz_ClassCleanupFunction)(void);
QZ_EXTERN_C_END

namespace qz::kit {

// How an attribute's field is read and written.
enum class FieldKind : uint8_t { Int16, Int32, UInt32, Word };

// Where an attribute lives in the instance.
struct Field {
  uint32_t offset = 0;
  FieldKind kind = FieldKind::Int32;
};

// Byte offset of a member in its type.
template <class T, class M>
uint32_t offsetOf(M T::*member) {
  alignas(T) static unsigned char probe[sizeof(T)];  // never constructed, only addressed
  const T* object = reinterpret_cast<const T*>(probe);
  return uint32_t(reinterpret_cast<const unsigned char*>(&(object->*member)) - probe);
}

// The field a member pointer names: qz::kit::field(&Qz_MyObject::amount).
template <class T, class M>
Field field(M T::*member) {
  static_assert(std::is_same_v<M, int16_t> || std::is_same_v<M, int32_t> ||
                    std::is_same_v<M, uint32_t> || std::is_same_v<M, QzWord> ||
                    std::is_pointer_v<M>,
                "an attribute is a 16- or 32-bit integer, a word or a pointer");
  const uint32_t offset = offsetOf(member);
  FieldKind kind = FieldKind::Word;
  if constexpr (std::is_same_v<M, int16_t>) kind = FieldKind::Int16;
  if constexpr (std::is_same_v<M, int32_t>) kind = FieldKind::Int32;
  if constexpr (std::is_same_v<M, uint32_t>) kind = FieldKind::UInt32;
  return Field{offset, kind};
}

// A field of a record inside the instance: field(&Qz_MyObject::settings, &Settings::size).
template <class T, class S, class M>
Field field(S T::*record, M S::*member) {
  Field inner = field(member);
  inner.offset += offsetOf(record);
  return inner;
}

// One plain attribute: the kit answers its setter (clamped to the range,
// stored, notified with the setter id and the stored value, then `changed`)
// and its getter, writes the default at creation, and, when both names are
// given, makes it a stored attribute of object text. A setter answers the
// value it stored (or 0 with answersZero); setting the value already there
// changes and notifies nothing. minimum == maximum == 0 means the field's whole range.
struct Attribute {
  uint32_t setter = 0;
  uint32_t getter = 0;  // 0: no getter
  int64_t minimum = 0;
  int64_t maximum = 0;
  int64_t initial = 0;  // the default
  Field field{};
  const char* setterName = nullptr;  // "Qz_Set..." and "Qz_Get...": stored in object text
  const char* getterName = nullptr;
  const char* format = "%ld";        // "%ld" or "%lx" in object text
  void (*changed)(Qz_Object* self) = nullptr;
  bool answersZero = false;  // the setter answers 0 (as the class's interface says) instead
};

// The instance type's size and the hooks that run its constructor and
// destructor in the object's memory. The type begins with its Qz_Object
// header; the header's contents survive the constructor.
struct Instance {
  uint32_t size = sizeof(Qz_Object);
  bool (*construct)(Qz_Object* object) = nullptr;  // false: creation fails
  void (*destroy)(Qz_Object* object) = nullptr;
};

template <class T>
bool constructInstance(Qz_Object* object) {
  static_assert(sizeof(T) >= sizeof(Qz_Object) && alignof(T) <= alignof(std::max_align_t));
  const Qz_Object header = *object;
  try {
    ::new (static_cast<void*>(object)) T();
  } catch (...) {  // no exception leaves a class: creation simply fails
    *object = header;
    return false;
  }
  *object = header;
  return true;
}

template <class T>
void destroyInstance(Qz_Object* object) {
  std::launder(reinterpret_cast<T*>(object))->~T();
}

template <class T>
constexpr Instance instanceOf() {
  if constexpr (std::is_same_v<T, Qz_Object>) return Instance{};
  else return Instance{uint32_t(sizeof(T)), constructInstance<T>, destroyInstance<T>};
}

// Everything the kit needs to know about a class. Declare it const with
// designated initialisers; it must live as long as the class is registered.
struct ClassDecl {
  const char* name = nullptr;
  const char* superName = nullptr;  // NULL: no superclass instance (Root; light records such as points)
  uint32_t classId = 0;             // class number << 16 (several classes may share one)
  Instance instance{};
  // The class's own ids; its default case returns qz::kit::inherited(...).
  // NULL: the class answers only its attributes.
  Qz_DispatchFunction handler = nullptr;
  std::span<const Attribute> attributes{};
  const Qz_Method* methods = nullptr;  // further description rows, ending with id 0
  // The superclass instance: superName made with these tags, or makeSuper.
  const TagItem* superTags = nullptr;
  Qz_Object* (*makeSuper)(Qz_Object* self) = nullptr;
  bool (*setUp)(Qz_Object* self) = nullptr;     // after the superclass instance; false fails
  void (*tearDown)(Qz_Object* self) = nullptr;  // before it goes (only after setUp succeeded)
  // Asked first when the object is disposed: true when it cannot go yet (a
  // window disposed from its own thread) and will end its disposal itself
  // with finishDispose once it can.
  bool (*deferDispose)(Qz_Object* self) = nullptr;
  const void* family = nullptr;  // a family layer's own description of the class
  const char* notice = nullptr;  // NULL: the name
  uint16_t classValue = 0;
};

// Registers the class (1 when it is registered, also when it already was).
// The superclass link is looked up by name now and stays NULL when that
// class is not registered yet; objects find their superclass by name when
// they are made, and a class whose superclass is missing then makes none.
// 0 for a declaration without a name.
QZ_EXPORT QzWord addClass(const ClassDecl& decl);
QZ_EXPORT void removeClass(const ClassDecl& decl);

// The declaration behind a class record, or NULL for a class not declared
// through the kit.
QZ_EXPORT const ClassDecl* declOf(const Qz_Class* objectClass);
inline const ClassDecl* declOf(const Qz_Object* object) {
  return object ? declOf(object->objectClass) : nullptr;
}

// Ends a disposal that deferDispose put off: tearDown, the superclass
// instance, the destructor and the memory, as a plain dispose does.
QZ_EXPORT void finishDispose(Qz_Object* object);

// What a handler does with an id that is not its own: the attribute rows of
// the object's class, then the superclass instance.
QZ_EXPORT QzWord inherited(Qz_Object* object, uint32_t id, const QzWord* args);

// The instance as its type.
template <class T>
T* self(Qz_Object* object) {
  return reinterpret_cast<T*>(object);
}

}  // namespace qz::kit
