// Init and Cleanup functions of the classes the object layer registers
// itself when it is opened.
#pragma once

#include <span>

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRootClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupRootClass(void);
QZ_EXPORT QzWord Qz_InitLinkedListClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupLinkedListClass(void);
QZ_EXTERN_C_END

namespace qz::objects {

// One class in a registration order; a row without a function is a class not built yet.
struct InitRow {
  const char* name;
  QzWord (*init)(Qz_GlobalData* globalData);
};

// Calls the Init functions in order and stops at the first that fails, leaving
// the classes after it unregistered: 1 only when every one succeeded.
QZ_EXPORT QzWord runClassInits(std::span<const InitRow> order, Qz_GlobalData* globalData);

}  // namespace qz::objects
