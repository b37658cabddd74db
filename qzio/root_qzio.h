// RootQZIO, the base class of every image format, and the protocol a format
// class follows. The drivers create a format by its class name
// ("<format>QZIO") and send it the method ids below with Qz_DoMethod; the
// first message word is the argument. RootQZIO keeps the properties the
// drivers ask about and answers 7 to identify and load and 12 to save, so a
// format only answers the three format methods and its own option ids.
//
// Writing a format class: declare one static qzio::FormatClass and register
// it from the class's exported Init function:
//
//   const qzio::FormatClass kBmpClass = {
//       .className = "BMPQZIO", .classIdField = 7004, .capabilities = kQzioCapsFile,
//       .flags = kQzioFlagFile, .extension = "bmp",
//       .identify = Qz__BmpIdentify, .load = Qz__BmpLoad, .save = Qz__BmpSave};
//   QZ_EXPORT QzWord Qz_InitBMPQZIOClass(Qz_GlobalData* g) { return qzio::RegisterFormatClass(&kBmpClass, g); }
//   QZ_EXPORT void Qz_CleanupBMPQZIOClass(void) { qzio::UnregisterFormatClass(&kBmpClass); }
//
// This family layer declares the class to the class kit (superclass
// RootQZIO): the superclass part (per-object state of stateSize bytes, the
// options groups, RootQZIO made with the class's properties), the handler
// (the format's own ids, the three format methods, then
// RootQZIO) and the shared disposal. Callbacks receive the object (so a
// format can send itself methods) and its state; they never show messages:
// they answer a result code and the driver shows it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/qz_export.h"
#include "platform/qz_word.h"
#include "qzio/qzio.h"

struct Qz_Object;
struct Qz_GlobalData;

// ---------------------------------------------------------------------------
// Method ids (plain decimal numbers).
inline constexpr uint32_t kQzioGetCapabilities = 7011;
inline constexpr uint32_t kQzioSetCapabilities = 7021;  // also a creation tag
inline constexpr uint32_t kQzioGetFlags = 7022;
inline constexpr uint32_t kQzioSetFlags = 7023;         // also a creation tag
inline constexpr uint32_t kQzioGetSpare = 7031;
inline constexpr uint32_t kQzioSetSpare = 7041;
inline constexpr uint32_t kQzioIdentify = 7051;         // argument: QZIO_Header*
inline constexpr uint32_t kQzioIdentifyOutermost = 7052;  // sent on to the outermost object as 7051
inline constexpr uint32_t kQzioLoad = 7061;             // argument: QZIO_Header*
inline constexpr uint32_t kQzioSave = 7071;             // argument: QZIO_Header*
inline constexpr uint32_t kQzioLoadOutermost = 7072;    // sent on to the outermost object as 7061
inline constexpr uint32_t kQzioSetLoadOptions = 7121;   // object shown before loading (owned)
inline constexpr uint32_t kQzioGetLoadOptions = 7131;
inline constexpr uint32_t kQzioSetSaveOptions = 7141;   // save-options group (owned)
inline constexpr uint32_t kQzioGetSaveOptions = 7151;
inline constexpr uint32_t kQzioGetExtension = 7161;     // note: get before set here
inline constexpr uint32_t kQzioSetExtension = 7171;     // constant text without the dot
inline constexpr uint32_t kQzioSetSaveBuffer = 7221;    // QZIO_ImageBuffer* (not owned)
inline constexpr uint32_t kQzioGetSaveBuffer = 7231;
inline constexpr uint32_t kQzioFirstMethod = 7011;
inline constexpr uint32_t kQzioLastMethod = 7231;

// Flag bits (7022 / 7023).
inline constexpr uint32_t kQzioFlagFile = 1;        // a file format
inline constexpr uint32_t kQzioFlagOwnFile = 2;     // saves through header->saveDescriptor itself
inline constexpr uint32_t kQzioFlagNoProgress = 4;  // no progress display during load or save
inline constexpr uint32_t kQzioFlagDirect = 0x100;  // answers 7052 / 7072 (direct load path)

// Capability values (7011 / 7021), read by the program.
inline constexpr uint32_t kQzioCapsFile = 15;
inline constexpr uint32_t kQzioCapsDetect = 5;      // load through the file requester and detection
inline constexpr uint32_t kQzioCapsOutputOnly = 1024;
inline constexpr uint32_t kQzioCapsScreenGrab = 513;

inline constexpr uint32_t kRootQzioClassId = 7001;

QZ_EXTERN_C_BEGIN
// Registers / removes the RootQZIO class; it must come before any format.
QZ_EXPORT QzWord Qz_InitRootQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupRootQZIOClass(void);
QZ_EXTERN_C_END

namespace qzio {

// The object and state a callback works on. self is the format object
// (null when a test drives the callbacks directly); state points at the
// class's stateSize bytes, zeroed at creation (null when stateSize is 0).
struct FormatCall {
  Qz_Object* self;
  void* state;
};

using FormatMethod = uint32_t (*)(const FormatCall& call, QZIO_Header* header);
// Answers a class-private id. Returns true when handled, with *answer set.
using FormatOption = bool (*)(const FormatCall& call, uint32_t id, const QzWord* args, QzWord* answer);
// Builds an options object or group; null when it cannot be built, in which
// case the format works with its defaults.
using FormatOptionsBuilder = Qz_Object* (*)(const FormatCall& call);
using FormatStateHook = void (*)(void* state);

// One process-wide option of a format class, answered by the family layer:
// the setter stores the value (a switch makes any non-zero value 1, a number
// is clamped to its range) and answers it; the getter answers it.
struct FormatOptionRow {
  uint32_t setter;
  uint32_t getter;
  int32_t minimum;
  int32_t maximum;
  bool isSwitch;
  std::atomic<int32_t>* value;  // shared by every object of the class
};

struct FormatClass {
  const char* className;    // the format name followed by "QZIO"
  uint32_t classIdField;
  uint32_t capabilities;
  uint32_t flags;
  const char* extension;    // without the dot, or null
  FormatMethod identify;    // 7051; null answers 7
  FormatMethod load;        // 7061; null answers 7
  FormatMethod save;        // 7071; null answers 12
  FormatMethod identifyDirect = nullptr;  // 7052 when set (else RootQZIO's)
  FormatMethod loadDirect = nullptr;      // 7072 when set (else RootQZIO's)
  FormatOption option = nullptr;          // the class's own ids, asked first
  FormatOptionsBuilder buildSaveOptions = nullptr;  // on the first 7151
  FormatOptionsBuilder buildLoadOptions = nullptr;
  size_t stateSize = 0;
  FormatStateHook initState = nullptr;   // after zeroing
  FormatStateHook freeState = nullptr;   // before the memory goes
};

// Answers a class's option rows: the `option` of a class whose own ids are
// process-wide options is `qzio::optionRows<kItsRows>`.
QZ_EXPORT bool answerOptionRows(std::span<const FormatOptionRow> rows, uint32_t id,
                                const QzWord* args, QzWord* answer);
template <const auto& Rows>
bool optionRows(const FormatCall&, uint32_t id, const QzWord* args, QzWord* answer) {
  return answerOptionRows(Rows, id, args, answer);
}

// Adds the class to the object system; 1, or 0 when RootQZIO is missing or
// the class cannot be added. Safe to call again after Unregister.
QZ_EXPORT QzWord RegisterFormatClass(const FormatClass* cls, Qz_GlobalData* global);
QZ_EXPORT void UnregisterFormatClass(const FormatClass* cls);
// A class added through RegisterFormatClass, by class name ("PPMQZIO"), or
// null; lets tests drive a format's callbacks directly.
QZ_EXPORT const FormatClass* FindFormatClass(const char* className);

// What a file format is offered for: a class loads when it has a load and
// saves when it has a save; one that is not a file format (clipboard,
// screen grab) is offered for neither.
enum class FormatUse { Loading, Saving };
// The names (class names without "QZIO") of the file formats registered now
// for that use: those of `first` in its order, then the others by name.
QZ_EXPORT std::vector<std::string> RegisteredFormatNames(FormatUse use, const std::vector<std::string>& first);
// The formats offered to the user: for loading in the order detection tries
// them, for saving with JPEG (the default) first, as the save-format list.
QZ_EXPORT std::vector<std::string> OfferedFormatNames(FormatUse use);

// Sends the header's progress display "done of total" (when it has one);
// false when the user asked to stop (the caller answers kQzioCancelled).
QZ_EXPORT bool ReportProgress(QZIO_Header* header, uint32_t done, uint32_t total);

}  // namespace qzio
