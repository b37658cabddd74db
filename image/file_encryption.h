// Whole-file encryption with Twofish: every whole 16-byte block before the
// last 512 bytes of the file is enciphered in place; the rest stays plain.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

// Files of this many bytes or fewer have nothing to encipher.
inline constexpr unsigned kQzCipherPlainTail = 512;

QZ_EXTERN_C_BEGIN

// Enciphers / deciphers the file at path. The new contents replace the file
// only once complete (a failure leaves the old file untouched); deciphering
// keeps the previous content under the file's backup name. Returns 1 on
// success (also for files of 512 bytes or fewer, which have nothing to
// encipher and stay as they are), 0 when the file cannot be read or replaced.
QZ_EXPORT int32_t Qz_EncryptFile(const char* path);
QZ_EXPORT int32_t Qz_DecryptFile(const char* path);

// Qz_DecryptFile under the name other programs look for.
QZ_EXPORT int32_t Qz_ExportDecryptFile(const char* path);

QZ_EXTERN_C_END
