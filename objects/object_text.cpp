// Object text: the writer (store to disk or to a buffer), the reader
// (restore from disk, create from a string in place; the reading itself is
// object_text_reader.cpp) and the copy of one object's attributes to another.
#include "objects/object_text.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file_writer.h"
#include "platform/exec.h"
#include "platform/paths.h"
#include "objects/object_text_reader.h"

namespace {

thread_local std::string tObjectTextError;

// ---- writing ----------------------------------------------------------------

void Qz__Indent(std::FILE* file, int32_t depth) {
  for (int32_t i = 0; i < depth; ++i) std::fputc('\t', file);
}

// String values are written raw but for what the reader would misread: a
// comma or line end is escaped ("\," and "\n"), a slash that would open a
// comment becomes "\/", and a backslash is doubled only where the reader
// would take it and the next character as one of these escapes.
void Qz__WriteEscaped(std::FILE* file, const char* text) {
  for (const char* p = text; *p; ++p) {
    const char next = p[1];
    switch (*p) {
      case '\n': std::fputs("\\n", file); break;
      case ',': std::fputs("\\,", file); break;
      case '/': std::fputs(next == '/' || next == '*' ? "\\/" : "/", file); break;
      case '\\':
        std::fputs(next == 'n' || next == '\n' || next == ',' || next == '\\' || next == '/'
                       ? "\\\\"
                       : "\\",
                   file);
        break;
      default: std::fputc(*p, file); break;
    }
  }
}

// Writes one attribute value with the getter's output format (a string value
// is never NULL here: such lines are left out).
void Qz__WriteValue(std::FILE* file, const char* format, QzWord value) {
  if (std::strcmp(format, "%s") == 0) {
    Qz__WriteEscaped(file, reinterpret_cast<const char*>(value));
  } else if (std::strcmp(format, "%ld") == 0) {
    std::fprintf(file, "%ld", static_cast<long>(static_cast<int32_t>(value)));
  } else if (std::strcmp(format, "%lx") == 0) {
    std::fprintf(file, "%lx", static_cast<unsigned long>(static_cast<uint32_t>(value)));
  }
}

bool Qz__KnownOutputFormat(const char* format) {
  return format && (std::strcmp(format, "%s") == 0 || std::strcmp(format, "%ld") == 0 ||
                    std::strcmp(format, "%lx") == 0);
}

// Runs the store of the object into a memory stream; the text, or false.
bool Qz__StoreToString(Qz_Object* object, std::string& text) {
  char* data = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&data, &size);
  if (!stream) return false;
  Qz_StoreObjectData state{stream, 0, 0, 1};
  Qz_DoMethod(object, kRootStoreObject, &state);
  const bool ok = std::ferror(stream) == 0;
  const bool closed = std::fclose(stream) == 0;
  if (ok && closed) {
    try {
      text.assign(data, size);
    } catch (const std::bad_alloc&) {
      std::free(data);
      return false;
    }
  }
  std::free(data);
  return ok && closed;
}

// Replaces the file at path with text, only once all of it is written.
bool Qz__ReplaceFileWithText(const char* path, const std::string& text) {
  qz::AtomicFileWriter writer(path);
  std::FILE* file = writer.stream();
  if (!file) return false;
  if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) return false;
  return writer.commit();
}

Qz_Object* Qz__ReadText(char* text, std::size_t length) {
  tObjectTextError.clear();
  if (!text) {
    tObjectTextError = "no text";
    return nullptr;
  }
  return qz::objects::readObjectText(text, length, tObjectTextError);
}

// Reads a whole file into a block of Qz_AllocMem (the root frees it), with
// zero bytes after the text; *length is the file's size.
char* Qz__ReadTextFile(const char* path, std::size_t* length) {
  std::FILE* file = Qz_FOpen(path, "rb");
  if (!file) return nullptr;
  struct stat info {};
  char* buffer = nullptr;
  if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) {
    const std::size_t size = static_cast<std::size_t>(info.st_size);
    buffer = static_cast<char*>(Qz_AllocMemClear(size + 16));
    *length = size;
    if (buffer && size > 0 && std::fread(buffer, 1, size, file) != size) {
      Qz_FreeMem(buffer);
      buffer = nullptr;
    }
  }
  std::fclose(file);
  return buffer;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz__InternalStoreObjectMethods(Qz_Object* object, Qz_StoreObjectData* state) {
  if (!object || !state || !state->file) return 0;
  const QzWord noArguments[qz::kPackedTailWords] = {};
  for (Qz_Object* instance = object; instance; instance = instance->super) {
    Qz_Class* objectClass = instance->objectClass;
    for (const Qz_Method* getter = objectClass->methods; getter && getter->id != 0; ++getter) {
      if (!(getter->flags & kQzMethodStoredGetter) || !Qz__KnownOutputFormat(getter->outFormat)) {
        continue;
      }
      const Qz_Method* setter = Qz_FindMethodFromId(objectClass, getter->pairedId);
      if (!setter || !setter->name) continue;
      const QzWord value = Qz_DoMethodA(object, getter->id, noArguments);
      if (std::strcmp(getter->outFormat, "%s") == 0 && value == 0) continue;
      Qz__Indent(state->file, state->depth + 1);
      std::fprintf(state->file, "%s,\t\t\t", setter->name);
      Qz__WriteValue(state->file, getter->outFormat, value);
      std::fputs(",\n", state->file);
    }
  }
  return 1;
}

QZ_EXPORT QzWord Qz__InternalStoreObject(Qz_Object* object, Qz_StoreObjectData* state) {
  if (!object || !state || !state->file) return 0;
  Qz__Indent(state->file, state->depth);
  std::fprintf(state->file, "%s\n", object->objectClass->name);
  Qz__Indent(state->file, state->depth);
  std::fputs("{\n", state->file);
  Qz__InternalStoreObjectMethods(object, state);
  ++state->depth;
  Qz_DoMethod(object, kRootStoreChildren, state);
  --state->depth;
  Qz__Indent(state->file, state->depth);
  std::fputs("}\n", state->file);
  return 1;
}

QZ_EXPORT QzWord Qz_StoreObjectToDisk(Qz_Object* object, const char* path) {
  if (!object || !path || !*path) return 0;
  try {
    std::string text;
    if (!Qz__StoreToString(object, text)) return 0;
    return Qz__ReplaceFileWithText(path, text) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

QZ_EXPORT char* Qz_StoreObjectToBuffer(Qz_Object* object, size_t* length, QzWord reserved) {
  (void)reserved;
  if (length) *length = 0;
  if (!object) return nullptr;
  try {
    std::string text;
    if (!Qz__StoreToString(object, text)) return nullptr;
    char* buffer = static_cast<char*>(std::malloc(text.size() + 1));
    if (!buffer) return nullptr;
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    if (length) *length = text.size();
    return buffer;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

QZ_EXPORT Qz_Object* Qz_RestoreObjectFromDisk(const char* path) {
  tObjectTextError.clear();
  if (!path || !*path) return nullptr;
  try {
    std::size_t length = 0;
    char* text = Qz__ReadTextFile(path, &length);
    if (!text) {
      tObjectTextError = std::string("cannot read \"") + path + "\"";
      return nullptr;
    }
    Qz_Object* root = Qz__ReadText(text, length);
    if (!root) {
      Qz_FreeMem(text);
      return nullptr;
    }
    Qz_DoMethod(root, kRootKeepRestoreText, text);
    return root;
  } catch (const std::bad_alloc&) {
    tObjectTextError = "out of memory";
    return nullptr;
  }
}

QZ_EXPORT Qz_Object* Qz_CreateObjectsFromString(char* text) {
  try {
    return Qz__ReadText(text, text ? std::strlen(text) : 0);
  } catch (const std::bad_alloc&) {
    tObjectTextError = "out of memory";
    return nullptr;
  }
}

QZ_EXPORT Qz_Object* Qz__CreateObjectsFromText(char* text, size_t length) {
  try {
    return Qz__ReadText(text, length);
  } catch (const std::bad_alloc&) {
    tObjectTextError = "out of memory";
    return nullptr;
  }
}

QZ_EXPORT const char* Qz_GetObjectTextError(void) { return tObjectTextError.c_str(); }

QZ_EXPORT QzWord Qz_CopyObjectToObject(Qz_Object* destination, Qz_Object* source) {
  if (!destination || !source || destination->objectClass != source->objectClass) return 0;
  const QzWord noArguments[qz::kPackedTailWords] = {};
  for (Qz_Object* instance = source; instance; instance = instance->super) {
    Qz_Class* objectClass = instance->objectClass;
    for (const Qz_Method* setter = objectClass->methods; setter && setter->id != 0; ++setter) {
      if (!(setter->flags & kQzMethodSetter)) continue;
      const Qz_Method* getter = Qz_FindMethodFromId(objectClass, setter->pairedId);
      if (!getter) continue;
      const QzWord value[qz::kPackedTailWords] = {Qz_DoMethodA(source, getter->id, noArguments)};
      Qz_DoMethodA(destination, setter->id, value);
    }
  }
  return 1;
}

QZ_EXTERN_C_END
