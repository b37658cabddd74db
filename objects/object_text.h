// Object text: object trees stored as text and read back. Each object is its
// class name, then a block in braces of attribute lines (a setter's name and
// its value) and the blocks of its children. The method tables are the
// schema: a stored getter with a paired setter gives one attribute line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "objects/qz_object.h"

// The writer's state, handed to every object's store methods (Root 0x10168,
// children 0x10154). Classes that write their own lines print into file.
struct Qz_StoreObjectData {
  std::FILE* file;
  QzWord reserved;
  int32_t depth;  // leading TABs of the object's own lines
  uint32_t flags;
};

QZ_EXTERN_C_BEGIN

// Writes the object tree to the file at path, replacing it only once the
// whole text is written. 1, or 0 when the file cannot be written (an
// existing file is then left as it was).
QZ_EXPORT QzWord Qz_StoreObjectToDisk(Qz_Object* object, const char* path);

// The object tree as text in one malloc'ed block of *length bytes plus a
// terminating zero, or NULL. Free it with Qz_FreeStoredObjectBuffer
// (image/qz_image.h), a plain free.
QZ_EXPORT char* Qz_StoreObjectToBuffer(Qz_Object* object, size_t* length, QzWord reserved);

// The object's lines (class, block, attributes, children) at state->depth; 1.
QZ_EXPORT QzWord Qz__InternalStoreObject(Qz_Object* object, Qz_StoreObjectData* state);
// Only the attribute lines, at state->depth + 1; 1.
QZ_EXPORT QzWord Qz__InternalStoreObjectMethods(Qz_Object* object, Qz_StoreObjectData* state);

// Reads the file and builds its tree; the root keeps the text (its string
// values point into it). NULL when the file cannot be read or its text is
// refused.
QZ_EXPORT Qz_Object* Qz_RestoreObjectFromDisk(const char* path);

// Builds the tree the zero-terminated text describes, changing the text in
// place; string values point into it, so it must outlive the objects. What
// the reader does not know (a class, with its contents, or an attribute) is
// left out; NULL for a text without an object or with broken structure
// (unbalanced braces, a truncated text, nesting too deep, a zero byte), with
// nothing left behind.
QZ_EXPORT Qz_Object* Qz_CreateObjectsFromString(char* text);

// As Qz_CreateObjectsFromString for a text of length bytes (a zero byte
// follows them); a zero byte inside the text refuses it.
QZ_EXPORT Qz_Object* Qz__CreateObjectsFromText(char* text, size_t length);

// Why the calling thread's last object-text read failed; after a success,
// what the reader skipped ("" when nothing was).
QZ_EXPORT const char* Qz_GetObjectTextError(void);

// Sets every attribute of destination from source through the paired getters
// and setters. 1; 0 when the two are not of the same class.
QZ_EXPORT QzWord Qz_CopyObjectToObject(Qz_Object* destination, Qz_Object* source);

QZ_EXTERN_C_END
