// The language catalogue: the program's user-visible texts, loaded once at
// start-up from the scrambled language file and read by number.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

QZ_EXTERN_C_BEGIN

// Loads the language file at path (".etf" is appended when its file-name part
// has no "."); key is compared, upper-cased, with the file's key stamp (the
// program passes ""). Returns 1 when the file is sound and its check sum
// matches; 0 otherwise, and also when a catalogue is loaded already. A failed
// load keeps nothing.
QZ_EXPORT int32_t Qz__LoadCatalog(const char* path, const char* key);

// Frees the strings and blocks and closes the file. Safe to call when nothing
// is loaded. Pointers handed out before are invalid afterwards.
QZ_EXPORT void Qz__FreeCatalog(void);

// Catalogue string n; "" when n is not in the catalogue or none is loaded.
QZ_EXPORT const char* Qz_CatalogString(uint32_t n);

// The string-pointer array (count entries) the image base keeps, or NULL.
QZ_EXPORT char** Qz__CatalogStrings(uint32_t* count);

// Block i of the file, unscrambled (the last one read is cached); NULL when i
// is out of range or the block cannot be read.
QZ_EXPORT const uint8_t* Qz__LoadCatalogBlock(uint32_t i);

QZ_EXTERN_C_END
