// The reader/writer lock of the object layer: many tasks may hold it
// shared, one task exclusively (re-entrant), and an exclusive holder may also
// take it shared. A request that could only end in a deadlock is refused
// with 0 instead of waiting; callers treat 0 as a failed lock and back off.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Qz_Semaphore;

QZ_EXTERN_C_BEGIN

// A new, registered semaphore, or NULL.
QZ_EXPORT Qz_Semaphore* Qz_AllocSemaphore(void);
// NULL is ignored. The semaphore must not be held or waited for.
QZ_EXPORT void Qz_FreeSemaphore(Qz_Semaphore* semaphore);
// 1 when held exclusively; 0 when refused or NULL.
QZ_EXPORT QzWord Qz_ObtainSemaphore(Qz_Semaphore* semaphore);
// Only the owner's release counts.
QZ_EXPORT void Qz_ReleaseSemaphore(Qz_Semaphore* semaphore);
// 1 when held shared; 0 when refused, out of memory or NULL.
QZ_EXPORT QzWord Qz_ObtainSemaphoreShared(Qz_Semaphore* semaphore);
QZ_EXPORT void Qz_ReleaseSemaphoreShared(Qz_Semaphore* semaphore);

QZ_EXTERN_C_END
