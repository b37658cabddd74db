// The object runtime: class records, object headers, method descriptions,
// the global data block, creation by class name and dispatch by method id.
//
// Inheritance is by delegation: an object holds a complete instance of its
// superclass and hands every id its dispatcher does not answer to it,
// unchanged. The innermost instance is always a Root object.
//
// Words: arguments, results and tag data are QzWord (pointer-sized). The
// variadic front ends below are inline templates that pack their arguments
// with qz::packWords (integers zero-extended from 32 bits, pointers full
// width, eight zero words after the last) and call the array form.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/exec.h"
#include "platform/lists.h"
#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Qz_Class;
struct Qz_Semaphore;
struct Qz_DrawInfo;
struct Region;
struct Screen;
struct Qz_StoreObjectData;

// Header that begins every object, whatever its class; the class's own
// fields follow it, the whole block being the class's object size.
struct Qz_Object {
  Qz_Object* super;         // superclass instance; NULL only in Root objects
  Qz_Class* objectClass;
  QzWord classWords[2];     // Root: layout-box pointer, drawing info
  Qz_Object* owner;         // the object wrapping this one (see Qz_GetTopMostObject)
  QzWord self;              // equals the object's address while alive, kQzDeadMark once freed
  int32_t nesting;          // dispatches running in this object (atomic access)
  int32_t reserved;
};

// Written into the self mark of a freed object.
inline constexpr QzWord kQzDeadMark = 0xDEADBEEF;

typedef Qz_Object* (*Qz_NewFunction)(Qz_Class* objectClass, const QzWord* args);
typedef void (*Qz_DisposeFunction)(Qz_Object* object);
typedef QzWord (*Qz_DispatchFunction)(Qz_Object* object, uint32_t methodId, const QzWord* args);

// Method description flags.
inline constexpr uint32_t kQzMethodAction = 1;        // no value
inline constexpr uint32_t kQzMethodSetter = 2;
inline constexpr uint32_t kQzMethodStoredGetter = 4;  // value kept in object text

// One row of a class's method table; a row with id 0 ends the table.
struct Qz_Method {
  uint32_t id;
  const char* name;         // always begins with "Qz_"
  uint32_t flags;
  uint32_t pairedId;        // setter <-> getter, action <-> its opposite
  const char* argFormat;    // setter: "%s", "%ld" or "%lx"
  QzWord reserved1;
  const char* outFormat;    // getter: format of the value it returns
  QzWord reserved2;
  QzWord reserved3;
};

// One static record per class, filled by its Qz_Init<Class>Class function.
struct Qz_Class {
  Node node;                // links in the class list; ln_Name mirrors name
  const char* name;
  const char* notice;
  uint32_t classId;         // class number << 16
  uint32_t version;         // always 2
  uint32_t registered;      // 1 once Qz_AddClass succeeded
  Qz_Class* superClass;     // found by name at registration; NULL for Root
  int32_t liveCount;        // objects made minus objects disposed (atomic access)
  Qz_NewFunction newObject;
  Qz_DisposeFunction dispose;
  Qz_DispatchFunction dispatch;
  QzWord reserved1;
  const Qz_Method* methods;  // never NULL: at least the end row
  QzWord reserved2;
  uint32_t objectSize;      // bytes, header included
  uint16_t classValue;
};

// Hooks the image subsystem fills once it exists; tests install fakes.
struct Qz_ObjectHooks {
  // Resolves the active-image notification targets (0x130460, 0x1013CC,
  // 0x101404); NULL means no delivery target.
  Qz_Object* (*resolveTarget)(QzWord symbolicTarget);
  // The main-window object that warning boxes are shown over, or NULL.
  Qz_Object* (*mainWindowObject)(void);
  // Replaces the message box for the runtime's own warnings (tests);
  // NULL uses Qz_MessageBoxA.
  QzWord (*messageBox)(const char* title, const char* text, uint32_t kind, Qz_Object* parent);
};

// The one global block; Qz_Init returns it, Qz_GetGlobalData gives it to anyone.
// Fields written by one thread and read by others are accessed through
// std::atomic_ref (debug, toolTips, asyncDisposeCount, qualifier).
struct Qz_GlobalData {
  SignalSemaphore classListLock;  // re-entrant; guards the class list and method tables
  List* classList;
  List* searchPathList;           // nodes freed by Qz_CleanUp with FreeVec (one block each)
  List* shortcutList;
  void* imageBase;                // the image-base record, set by the image subsystem
  void* imageBaseLibrary;
  int32_t debug;                  // non-zero: misuse of objects raises warning boxes
  int32_t toolTips;               // 0 after Qz_Init
  int32_t toolTipDelay;           // 100 ms ticks; 5 after Qz_Init
  int32_t spare;
  int32_t asyncDisposeCount;
  uint32_t qualifier;
  int32_t requesterSpacing;       // 8
  uint32_t faceColour;            // Win32 colours 0x00BBGGRR
  uint32_t faceColourCopy;
  uint32_t highlightColour;
  uint32_t white1;
  uint32_t white2;
  uint32_t highlightColourCopy;
  int32_t windowLayout[4];
  Screen* screen;
  int32_t openCount;
  List windowList;                // used by the Window class
  SignalSemaphore windowListLock;
  int32_t mmx, sse, sse2;         // 1 or 0
  Qz_Semaphore* objectTreeSemaphore;  // made by Qz_Init, before any class
  Qz_ObjectHooks hooks;
  List classListStore;
  List searchPathStore;
  List shortcutStore;
  int32_t sideTabHover;           // preference: a side tab opens its page when the pointer passes over it
};

// Layout box held by every Root object (Root 0x1008C returns it).
struct Qz_LayoutBox {
  int16_t left, top, width, height;
  int16_t minWidth, minHeight, maxWidth, maxHeight;
  Qz_Object* parent;        // the container the object is placed in
  uint32_t flags;           // bit 0: hidden
  QzWord reserved;
  Region* clipRegion;
  Region* savedRegion;      // the region the clip replaced while drawing
};
inline constexpr uint32_t kQzBoxHidden = 0x1;

// ---- Root method ids (answered by every object) ----------------------------
inline constexpr uint32_t kRootClassId = 0x10000;
inline constexpr uint32_t kRootDispose = 0x10014;
inline constexpr uint32_t kRootDraw = 0x1001E;
inline constexpr uint32_t kRootDrawRect = 0x10020;  // x0, y0, x1, y1
inline constexpr uint32_t kRootSetLabel = 0x10028;
inline constexpr uint32_t kRootGetLabel = 0x10032;
inline constexpr uint32_t kRootHandleIDCMP = 0x10050;
inline constexpr uint32_t kRootSetDrawInfo = 0x1006E;
inline constexpr uint32_t kRootGetDrawInfo = 0x10078;
inline constexpr uint32_t kRootMeasure = 0x10082;
inline constexpr uint32_t kRootGetLayoutBox = 0x1008C;
inline constexpr uint32_t kRootPlace = 0x10096;
inline constexpr uint32_t kRootOpen = 0x100A0;
inline constexpr uint32_t kRootClose = 0x100A2;
inline constexpr uint32_t kRootAddNotify = 0x100AA;
inline constexpr uint32_t kRootAddCallBackNotify = 0x100AB;
inline constexpr uint32_t kRootRemoveNotify = 0x100B4;
inline constexpr uint32_t kRootDoNotify = 0x100BE;
inline constexpr uint32_t kRootSetWeight = 0x100C8;
inline constexpr uint32_t kRootSetUserData = 0x100D2;
inline constexpr uint32_t kRootGetUserData = 0x100DC;
inline constexpr uint32_t kRootSelect = 0x100E6;
inline constexpr uint32_t kRootDeselect = 0x100F0;
inline constexpr uint32_t kRootObjectAtPoint = 0x100FA;
inline constexpr uint32_t kRootObjectAtPoint2 = 0x10104;
inline constexpr uint32_t kRootShow = 0x10140;
inline constexpr uint32_t kRootHide = 0x1014A;
inline constexpr uint32_t kRootStoreChildren = 0x10154;
inline constexpr uint32_t kRootRestoreChildren = 0x1015E;
inline constexpr uint32_t kRootStoreObject = 0x10168;
inline constexpr uint32_t kRootRestoreChild = 0x10172;
inline constexpr uint32_t kRootSetObjectName = 0x1017C;
inline constexpr uint32_t kRootGetObjectName = 0x10186;
inline constexpr uint32_t kRootFindByName = 0x10190;
inline constexpr uint32_t kRootSetClipRegion = 0x1019A;
inline constexpr uint32_t kRootSetAsyncPort = 0x101A4;
inline constexpr uint32_t kRootAsyncCall = 0x101B8;
inline constexpr uint32_t kRootSetBaseColour = 0x101C2;
inline constexpr uint32_t kRootSetLightColour = 0x101D6;
inline constexpr uint32_t kRootSetDarkColour = 0x101EA;
inline constexpr uint32_t kRootDeriveColours = 0x101FE;
inline constexpr uint32_t kRootHideCount = 0x10212;
inline constexpr uint32_t kRootPoke32 = 0x10230;
inline constexpr uint32_t kRootPoke16 = 0x10244;
inline constexpr uint32_t kRootPoke8 = 0x10258;
inline constexpr uint32_t kRootSetToolTip = 0x1028A;
inline constexpr uint32_t kRootGetToolTip = 0x10294;
inline constexpr uint32_t kRootGetToolTipAt = 0x1029E;
inline constexpr uint32_t kRootLockTree = 0x102B2;
inline constexpr uint32_t kRootUnlockTree = 0x102BC;
inline constexpr uint32_t kRootEnable = 0x102C6;
inline constexpr uint32_t kRootDisable = 0x102D0;
inline constexpr uint32_t kRootDisableCount = 0x102DA;
inline constexpr uint32_t kRootResetHiding = 0x102E4;
inline constexpr uint32_t kRootForceHidden = 0x102EE;
inline constexpr uint32_t kRootKeepRestoreText = 0x102F8;

// Codes of the tag-coded tree builder (Qz_CreateObjectsA).
inline constexpr QzWord kBuildEnd = 0;
inline constexpr QzWord kBuildObject = 11;          // class name; pushes
inline constexpr QzWord kBuildClose = 21;
inline constexpr QzWord kBuildLabel = 31;           // text
inline constexpr QzWord kBuildTextValue = 32;       // word
inline constexpr QzWord kBuildPlainLabel = 33;      // text
inline constexpr QzWord kBuildVerticalLabel = 36;   // text
inline constexpr QzWord kBuildPicture = 41;         // word
inline constexpr QzWord kBuildHGroup = 51;          // pushes
inline constexpr QzWord kBuildVGroup = 61;          // pushes
inline constexpr QzWord kBuildStringEdit = 71;      // pushes
inline constexpr QzWord kBuildStringEditFlagged = 81;  // pushes
inline constexpr QzWord kBuildCompactSlider = 91;   // pushes
inline constexpr QzWord kBuildSlider = 101;         // pushes
inline constexpr QzWord kBuildSpace = 0xE000A;      // word
inline constexpr QzWord kBuildSpaceV = 0xE0014;
inline constexpr QzWord kBuildSpaceH = 0xE001E;
inline constexpr QzWord kBuildSpaceHWeighted = 0xE003C;  // word
inline constexpr QzWord kBuildSpaceVWeighted = 0xE0046;  // word
inline constexpr QzWord kBuildStoreLast = 0x8000012C;    // pointer to a Qz_Object*
// Room of the builder's container stack.
inline constexpr std::size_t kBuildStackEntries = 2560;

QZ_EXTERN_C_BEGIN

// Opens the runtime (counted: only the first call initialises) and
// registers the built-in classes; returns the global block.
QZ_EXPORT Qz_GlobalData* Qz_Init(void);
// Counted: the call that brings the count to 0 waits for asynchronous
// disposals, removes the built-in classes and frees kept object memory.
QZ_EXPORT void Qz_CleanUp(void);
QZ_EXPORT Qz_GlobalData* Qz_GetGlobalData(void);

// Appends at the tail of the class list (no duplicate check); 1.
QZ_EXPORT QzWord Qz_AddClass(Qz_Class* objectClass);
QZ_EXPORT QzWord Qz_RemoveClass(Qz_Class* objectClass);
// First registered class of exactly that name, or NULL.
QZ_EXPORT Qz_Class* Qz_FindClassFromName(const char* name);
// Row of the class or its nearest superclass, or NULL.
QZ_EXPORT const Qz_Method* Qz_FindMethodFromId(Qz_Class* objectClass, uint32_t methodId);
// Any class's row whose name equals the given one from the fourth character on.
QZ_EXPORT const Qz_Method* Qz_FindMethodFromString(QzWord unused, const char* name);

// Zero-filled object of the class's size with class and self mark set, or NULL.
QZ_EXPORT Qz_Object* Qz_AllocObjectMem(Qz_Class* objectClass);
// Marks the block freed; the block stays owned by the runtime for a while,
// so a later dispatch to it is answered 0 instead of touching foreign memory.
QZ_EXPORT void Qz_FreeObjectMem(Qz_Object* object);

QZ_EXPORT Qz_Object* Qz_NewObjectA(const char* className, const QzWord* args);
// Creates by class name, then sends each reachable tag as a method id with
// the address of its data word as arguments.
QZ_EXPORT Qz_Object* Qz_CreateObjectA(const char* className, const TagItem* tags);
// Qz_CreateObjectA, then LinkedList add-at-tail to a non-NULL parent.
QZ_EXPORT Qz_Object* Qz_AddObjectA(Qz_Object* parent, const char* className, const TagItem* tags);
QZ_EXPORT void Qz_DisposeObject(Qz_Object* object);
// 0 for NULL or freed objects.
QZ_EXPORT QzWord Qz_DoMethodA(Qz_Object* object, uint32_t methodId, const QzWord* args);
// Builds an object tree from a code list; subClass 1 makes closed containers
// report to their container as owner. Returns the root or NULL.
QZ_EXPORT Qz_Object* Qz_CreateObjectsA(const QzWord* codes, QzWord subClass);
QZ_EXPORT QzWord Qz_IsCoordOverObject(Qz_Object* object, int32_t x, int32_t y);
// Writes "objects.txt" in the current folder: live objects per class.
QZ_EXPORT void Qz__ReportObjectUsage(void);

// Follows the owner links to the outermost object; NULL for NULL.
QZ_EXPORT Qz_Object* Qz_GetTopMostObject(Qz_Object* object);
// The same 32 bits reinterpreted; the word is zero-extended.
QZ_EXPORT QzWord Qz_FloatToULONG(float value);
QZ_EXPORT float Qz_ULONGToFloat(QzWord word);

// A message box over the window of the given object (or none); 1 when the
// user chose OK or Yes. Kinds: 1 and 8 OK; 4 Yes/No; others OK/Cancel.
// The object layer carries a text-only stand-in that the requester module
// replaces.
QZ_EXPORT QzWord Qz_MessageBoxA(const char* title, const char* text, uint32_t kind, Qz_Object* parent);

// Called by Root and defined by the object-text and asynchronous-call
// modules; until those are linked in, weak stand-ins answer 0.
// Root 0x10168: writes the object (its outermost form) as object text.
QZ_EXPORT QzWord Qz__InternalStoreObject(Qz_Object* object, Qz_StoreObjectData* state);
// Root 0x101B8: queues words = [method id, arguments..., 0, 0] to the port
// for the receiver (the outermost object); 1 when queued.
QZ_EXPORT QzWord Qz__QueueAsyncMethod(Qz_Object* receiver, MsgPort* port, const QzWord* words);

QZ_EXTERN_C_END

// ---- variadic front ends --------------------------------------------------

template <typename... Args>
inline QzWord Qz_DoMethod(Qz_Object* object, uint32_t methodId, Args... args) {
  const auto words = qz::packWords(args...);
  return Qz_DoMethodA(object, methodId, words.data());
}

// The image classes' dispatch under its own name.
template <typename... Args>
inline QzWord Qz_DoImageMethod(Qz_Object* object, uint32_t methodId, Args... args) {
  const auto words = qz::packWords(args...);
  return Qz_DoMethodA(object, methodId, words.data());
}

// Tags inline as (method id, value) pairs; the list ends at tag 0, which the
// packing supplies when the caller leaves it out.
template <typename... Args>
inline Qz_Object* Qz_CreateObject(const char* className, Args... tags) {
  const auto words = qz::packWords(tags...);
  return Qz_CreateObjectA(className, reinterpret_cast<const TagItem*>(words.data()));
}

template <typename... Args>
inline Qz_Object* Qz_AddObject(Qz_Object* parent, const char* className, Args... tags) {
  const auto words = qz::packWords(tags...);
  return Qz_AddObjectA(parent, className, reinterpret_cast<const TagItem*>(words.data()));
}

// A free-standing tree. The first word is a placeholder and is not read; the
// code list follows it.
template <typename... Args>
inline Qz_Object* Qz_CreateObjects(QzWord unused, Args... codes) {
  (void)unused;
  const auto words = qz::packWords(codes...);
  return Qz_CreateObjectsA(words.data(), 0);
}

// A class constructor's superclass instance with its children.
template <typename... Args>
inline Qz_Object* Qz_CreateSubClassObjects(QzWord unused, Args... codes) {
  (void)unused;
  const auto words = qz::packWords(codes...);
  return Qz_CreateObjectsA(words.data(), 1);
}
