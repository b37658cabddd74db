// Object text: the writer (store to disk or to a buffer), the reader
// (restore from disk, create from a string in place) and the copy of one
// object's attributes to another. The text is user-editable and travels
// inside image files, so the reader treats it as hostile: every structural
// fault refuses the whole text and disposes what was built from it.
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

namespace {

// Containers nested deeper than this are refused: disposal and storing
// recurse once per level.
constexpr std::size_t kMaxNesting = 256;
// A setter takes at most this many values.
constexpr std::size_t kMaxValues = 16;

// Group direction set by the HGroup and VGroup aliases.
constexpr uint32_t kGroupDirection = 0x201F4;
constexpr uint32_t kLinkedListAddTail = 0x47001E;
constexpr uint32_t kTextLines = 0x4001E;
constexpr uint32_t kBitMapFile = 0x80000136;
constexpr uint32_t kBitMapNoMask = 0x80082;
constexpr uint32_t kPopObject = 0xC000A;

thread_local std::string tObjectTextError;

// ---- writing ----------------------------------------------------------------

void Qz__Indent(std::FILE* file, int32_t depth) {
  for (int32_t i = 0; i < depth; ++i) std::fputc('\t', file);
}

// String values are written so that reading gives back the same bytes: the
// characters the reader treats as structure are escaped with a backslash.
void Qz__WriteEscaped(std::FILE* file, const char* text) {
  for (const char* p = text; *p; ++p) {
    switch (*p) {
      case '\\': std::fputs("\\\\", file); break;
      case '\n': std::fputs("\\n", file); break;
      case '\r': std::fputs("\\r", file); break;
      case '\t': std::fputs("\\t", file); break;
      case ',': std::fputs("\\,", file); break;
      case '"': std::fputs("\\\"", file); break;
      case '{': std::fputs("\\{", file); break;
      case '}': std::fputs("\\}", file); break;
      case '/':
        // Only where it would open a comment.
        std::fputs(p[1] == '/' || p[1] == '*' ? "\\/" : "/", file);
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

// ---- reading: lexing ---------------------------------------------------------

// A character that may follow a backslash in a string value.
bool Qz__IsEscapable(char c) {
  return c == 'n' || c == 't' || c == 'r' || c == '\\' || c == ',' || c == '"' || c == '{' ||
         c == '}' || c == '/';
}

char Qz__Unescape(char c) {
  switch (c) {
    case 'n': return '\n';
    case 't': return '\t';
    case 'r': return '\r';
    default: return c;
  }
}

// Removes comments, carriage returns and TABs (with a blank just before a
// TAB) in place; escape pairs pass through untouched. Returns the new length,
// or SIZE_MAX for a block comment that never ends.
std::size_t Qz__PrePass(char* text, std::size_t length) {
  std::size_t w = 0;
  std::size_t r = 0;
  while (r < length) {
    const char c = text[r];
    if (c == '\\' && r + 1 < length && Qz__IsEscapable(text[r + 1])) {
      text[w++] = text[r++];
      text[w++] = text[r++];
    } else if (c == '/' && r + 1 < length && text[r + 1] == '/') {
      while (r < length && text[r] != '\n') ++r;
    } else if (c == '/' && r + 1 < length && text[r + 1] == '*') {
      int level = 0;
      do {
        if (r + 1 < length && text[r] == '/' && text[r + 1] == '*') {
          ++level;
          r += 2;
        } else if (r + 1 < length && text[r] == '*' && text[r + 1] == '/') {
          --level;
          r += 2;
        } else {
          ++r;
        }
      } while (level > 0 && r < length);
      if (level > 0) return SIZE_MAX;
    } else if (c == '\r') {
      ++r;
    } else if (c == '\t') {
      if (w > 0 && text[w - 1] == ' ') --w;
      ++r;
    } else {
      text[w++] = text[r++];
    }
  }
  text[w] = '\0';
  return w;
}

struct Token {
  char* text;    // zero-terminated, inside the caller's buffer
  bool escaped;  // held an escape: never a brace or a name, only a value
};

// Splits the compacted text at commas and line feeds outside double quotes,
// in place, resolving escapes. False for a quote that is never closed.
bool Qz__Tokenise(char* text, std::size_t length, std::vector<Token>& tokens) {
  std::size_t w = 0;
  Token current{text, false};
  bool quoted = false;
  for (std::size_t r = 0; r < length; ++r) {
    const char c = text[r];
    if (c == '\\' && r + 1 < length && Qz__IsEscapable(text[r + 1])) {
      text[w++] = Qz__Unescape(text[++r]);
      current.escaped = true;
    } else if (c == '"') {
      quoted = !quoted;
      text[w++] = c;
    } else if (!quoted && (c == ',' || c == '\n')) {
      text[w++] = '\0';
      tokens.push_back(current);
      current = Token{text + w, false};
    } else {
      text[w++] = c;
    }
  }
  if (quoted) return false;
  text[w] = '\0';
  tokens.push_back(current);
  return true;
}

std::string_view Qz__Trimmed(const char* text) {
  std::string_view s(text);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// "%ld": signed 32-bit with automatic base, saturating.
bool Qz__ParseSigned(const char* token, QzWord& value) {
  const std::string_view s = Qz__Trimmed(token);
  if (s.empty()) return false;
  const std::string digits(s);
  char* end = nullptr;
  long long v = std::strtoll(digits.c_str(), &end, 0);
  if (end == digits.c_str() || *end != '\0') return false;
  if (v > INT32_MAX) v = INT32_MAX;
  if (v < INT32_MIN) v = INT32_MIN;
  value = static_cast<QzWord>(static_cast<uint32_t>(static_cast<int32_t>(v)));
  return true;
}

// "%lx": unsigned 32-bit hexadecimal, so colours and flags with bit 31 survive.
bool Qz__ParseHex(const char* token, QzWord& value) {
  const std::string_view s = Qz__Trimmed(token);
  if (s.empty() || s.front() == '-' || s.front() == '+') return false;
  const std::string digits(s);
  char* end = nullptr;
  unsigned long long v = std::strtoull(digits.c_str(), &end, 16);
  if (end == digits.c_str() || *end != '\0') return false;
  if (v > UINT32_MAX) v = UINT32_MAX;
  value = static_cast<QzWord>(v);
  return true;
}

// ---- reading: building ------------------------------------------------------

// Name comparison of method tables: from the fourth character on, so the
// three-character prefix may be anything.
bool Qz__SameMethodName(const char* stored, std::string_view given) {
  if (!stored) return false;
  const std::size_t storedLength = std::strlen(stored);
  if (storedLength < 3 || given.size() < 3) return false;
  return std::string_view(stored + 3) == given.substr(3);
}

// The setter an attribute line names: searched first in the object's own
// chain of instances (so the id is the one this object answers), then in
// every class. NULL when no setter has that name.
const Qz_Method* Qz__FindSetter(Qz_Object* object, std::string_view name, bool& foundOther) {
  foundOther = false;
  for (Qz_Object* instance = object; instance; instance = instance->super) {
    for (const Qz_Method* m = instance->objectClass->methods; m && m->id != 0; ++m) {
      if (!Qz__SameMethodName(m->name, name)) continue;
      if (m->flags & kQzMethodSetter) return m;
      foundOther = true;
    }
  }
  const std::string nameText(name);
  const Qz_Method* m = Qz_FindMethodFromString(0, nameText.c_str());
  if (m && (m->flags & kQzMethodSetter)) return m;
  if (m) foundOther = true;
  return nullptr;
}

class Builder {
 public:
  explicit Builder(std::vector<Token>& tokens) : tokens_(tokens) {}

  Qz_Object* run() {
    const bool ok = build();
    if (ok && root_) return root_;
    Qz_DisposeObject(root_);
    if (ok) fail("the text holds no object");
    return nullptr;
  }

 private:
  bool fail(const std::string& why) {
    tObjectTextError = why;
    return false;
  }

  bool isEmpty(const Token& t) const { return !t.escaped && Qz__Trimmed(t.text).empty(); }

  // The next token that is not empty, from position i on; tokens_.size() when none.
  std::size_t nextFilled(std::size_t i) const {
    while (i < tokens_.size() && isEmpty(tokens_[i])) ++i;
    return i;
  }

  bool isOpenBrace(std::size_t i) const {
    return i < tokens_.size() && !tokens_[i].escaped && Qz__Trimmed(tokens_[i].text) == "{";
  }

  Qz_Object* current() const { return stack_.empty() ? nullptr : stack_.back(); }

  // Makes an object of the class as a child of the current container (or as
  // the root) and sends it the tags.
  Qz_Object* make(const std::string& className, const TagItem* tags) {
    if (!Qz_FindClassFromName(className.c_str())) {
      fail("unknown class \"" + className + "\"");
      return nullptr;
    }
    Qz_Object* object = Qz_CreateObjectA(className.c_str(), tags);
    if (!object) {
      fail("could not make an object of class \"" + className + "\"");
      return nullptr;
    }
    if (Qz_Object* parent = current()) {
      if (Qz_DoMethod(parent, kLinkedListAddTail, object) == 0) {
        Qz_DisposeObject(object);
        fail("a \"" + std::string(parent->objectClass->name) + "\" cannot hold \"" + className +
             "\"");
        return nullptr;
      }
    }
    return object;
  }

  template <typename... Args>
  Qz_Object* makeWith(const char* className, Args... tags) {
    const auto words = qz::packWords(tags...);
    return make(className, reinterpret_cast<const TagItem*>(words.data()));
  }

  bool openBlock(std::string_view name) {
    if (!root_ && !stack_.empty()) return fail("internal: stack without root");
    if (root_ && stack_.empty()) return fail("text after the end of the outermost object");
    if (stack_.size() >= kMaxNesting) return fail("objects nested too deeply");
    Qz_Object* object = nullptr;
    if (name == "HGroup") {
      object = makeWith("Group", kGroupDirection, 2);
    } else if (name == "VGroup") {
      object = makeWith("Group", kGroupDirection, 1);
    } else {
      const QzWord noTags[qz::kPackedTailWords] = {};
      object = make(std::string(name), reinterpret_cast<const TagItem*>(noTags));
    }
    if (!object) return false;
    if (!root_) root_ = object;
    stack_.push_back(object);
    return true;
  }

  // Takes the value token after position i; false when the text ends first.
  bool takeValue(std::size_t& i, Token*& value) {
    if (i + 1 >= tokens_.size()) return false;
    value = &tokens_[++i];
    return true;
  }

  // A text child's value without its surrounding double quotes.
  static char* unquoted(char* text) {
    if (text[0] != '"') return text;
    ++text;
    const std::size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '"') text[length - 1] = '\0';
    return text;
  }

  // The keywords that add a text or picture child; false with an error, or
  // handled = false when name is no keyword.
  bool keyword(std::string_view name, std::size_t& i, bool& handled) {
    handled = true;
    if (name == "Qz_StartPopObject" || name == "Qz_EndPopObject") {
      if (!current()) return fail(std::string(name) + " outside an object");
      Qz_DoMethod(current(), kPopObject, name == "Qz_StartPopObject" ? 1 : 0, 0);
      return true;
    }
    const bool text = name == "Qz_Text", multiLine = name == "Qz_MultiLineText",
               formatted = name == "Qz_FText", picture = name == "Qz_Picture",
               pictureNoMask = name == "Qz_PictureNoMask";
    if (!(text || multiLine || formatted || picture || pictureNoMask)) {
      handled = false;
      return true;
    }
    if (!current()) return fail(std::string(name) + " outside an object");
    Token* value = nullptr;
    if (!takeValue(i, value)) return fail(std::string(name) + " without a value");
    Qz_Object* child = nullptr;
    if (text) child = makeWith("Text", kRootSetLabel, unquoted(value->text));
    if (multiLine) child = makeWith("Text", kRootSetLabel, unquoted(value->text), kTextLines, 4);
    if (formatted) child = makeWith("Text", kRootSetLabel, value->text, kRootSetWeight, 0);
    if (picture) child = makeWith("BitMap", kBitMapFile, value->text);
    if (pictureNoMask) child = makeWith("BitMap", kBitMapNoMask, 0, kBitMapFile, value->text);
    return child != nullptr;
  }

  bool attribute(std::string_view name, std::size_t& i) {
    if (!current()) return fail("attribute \"" + std::string(name) + "\" outside an object");
    bool foundOther = false;
    const Qz_Method* setter = Qz__FindSetter(current(), name, foundOther);
    if (!setter) {
      return fail(std::string(foundOther ? "\"" : "unknown attribute \"") + std::string(name) +
                  (foundOther ? "\" is not a setter" : "\""));
    }
    QzWord values[kMaxValues + qz::kPackedTailWords] = {};
    std::size_t count = 0;
    for (const char* f = setter->argFormat ? setter->argFormat : ""; *f; ++f) {
      if (*f != '%') continue;
      const std::string_view conversion(f + 1, std::strlen(f + 1));
      const bool isString = conversion.starts_with("s");
      const bool isSigned = conversion.starts_with("ld");
      const bool isHex = conversion.starts_with("lx");
      if (!isString && !isSigned && !isHex) {
        return fail("attribute \"" + std::string(name) + "\" has a format the reader does not know");
      }
      if (count == kMaxValues) return fail("attribute \"" + std::string(name) + "\" has too many values");
      Token* value = nullptr;
      if (!takeValue(i, value)) return fail("attribute \"" + std::string(name) + "\" without a value");
      if (isString) {
        values[count] = reinterpret_cast<QzWord>(value->text);
      } else if (!(isSigned ? Qz__ParseSigned(value->text, values[count])
                            : Qz__ParseHex(value->text, values[count]))) {
        return fail("attribute \"" + std::string(name) + "\" has \"" + value->text +
                    "\" where a number belongs");
      }
      ++count;
      f += isString ? 1 : 2;
    }
    Qz_DoMethodA(current(), setter->id, values);
    return true;
  }

  bool build() {
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
      const Token& t = tokens_[i];
      if (isEmpty(t)) continue;
      const std::string_view name = Qz__Trimmed(t.text);
      if (t.escaped) return fail("a value \"" + std::string(t.text) + "\" where a name belongs");
      if (name.front() == '}') {
        if (stack_.empty()) return fail("a \"}\" without its \"{\"");
        stack_.pop_back();
        continue;
      }
      if (root_ && stack_.empty()) return fail("text after the end of the outermost object");
      const std::size_t next = nextFilled(i + 1);
      if (isOpenBrace(next)) {
        if (!openBlock(name)) return false;
        i = next;
        continue;
      }
      if (name == "{") return fail("a \"{\" without a class name");
      bool handled = false;
      if (!keyword(name, i, handled)) return false;
      if (!handled && !attribute(name, i)) return false;
    }
    if (!stack_.empty()) return fail("the text ends inside an object (a \"}\" is missing)");
    return true;
  }

  std::vector<Token>& tokens_;
  std::vector<Qz_Object*> stack_;
  Qz_Object* root_ = nullptr;
};

Qz_Object* Qz__CreateObjects(char* text) {
  tObjectTextError.clear();
  if (!text) {
    tObjectTextError = "no text";
    return nullptr;
  }
  const std::size_t length = Qz__PrePass(text, std::strlen(text));
  if (length == SIZE_MAX) {
    tObjectTextError = "a \"/*\" comment that never ends";
    return nullptr;
  }
  std::vector<Token> tokens;
  if (!Qz__Tokenise(text, length, tokens)) {
    tObjectTextError = "a double quote that is never closed";
    return nullptr;
  }
  Builder builder(tokens);
  return builder.run();
}

// Reads a whole file into a block of Qz_AllocMem (the root frees it), with
// zero bytes after the text.
char* Qz__ReadTextFile(const char* path) {
  std::FILE* file = Qz_FOpen(path, "rb");
  if (!file) return nullptr;
  struct stat info {};
  char* buffer = nullptr;
  if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) {
    const std::size_t size = static_cast<std::size_t>(info.st_size);
    buffer = static_cast<char*>(Qz_AllocMemClear(size + 16));
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
    char* text = Qz__ReadTextFile(path);
    if (!text) {
      tObjectTextError = std::string("cannot read \"") + path + "\"";
      return nullptr;
    }
    Qz_Object* root = Qz__CreateObjects(text);
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
    return Qz__CreateObjects(text);
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
