// Reading object text in one pass over the text, in place: comments and
// layout are dropped as the tokens are asked for, and no token list is kept,
// so the memory used is what the tree keeps. The text is user-editable and
// travels inside image files: what the reader does not know (a class, an
// attribute, a method that is no setter) is left out and reported, and only
// a text whose structure is broken is refused as a whole.
#include "objects/object_text_reader.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/qz_word.h"

namespace qz::objects {
namespace {

// Containers nested deeper than this are refused: disposal and storing
// recurse once per level.
constexpr std::size_t kMaxNesting = 256;
// A setter takes at most this many values.
constexpr std::size_t kMaxValues = 16;
// Skipped items named in the report; the rest are counted.
constexpr std::size_t kMaxNotes = 8;

constexpr uint32_t kGroupDirection = 0x201F4;
constexpr uint32_t kLinkedListAddTail = 0x47001E;
constexpr uint32_t kTextLines = 0x4001E;
constexpr uint32_t kBitMapFile = 0x80000136;
constexpr uint32_t kBitMapNoMask = 0x80082;
constexpr uint32_t kPopObject = 0xC000A;

// In the compacted text a NUL marks the byte after it as escaped: a comma or
// line end that belongs to a value. NUL itself is refused in a text, so the
// mark cannot be confused with text.
constexpr char kEscapeMark = '\0';
constexpr int kEnd = -1;

// The text as the tokens see it, compacted in place as far as it is asked
// for: comments, carriage returns and TABs (with a blank just before a TAB)
// go, escapes become marks. What it writes never passes what it has read.
class Source {
 public:
  Source(char* text, std::size_t length) : text_(text), length_(length) {}

  // The compacted byte at i, or kEnd after the last.
  int at(std::size_t i) {
    while (i >= written_ && produce()) {
    }
    return i < written_ ? static_cast<unsigned char>(text_[i]) : kEnd;
  }
  char* pointer(std::size_t i) { return text_ + i; }
  const char* fault() const { return fault_; }

 private:
  char raw(std::size_t i) const { return i < length_ ? text_[i] : '\0'; }

  // A line end or the end of the text at i, carriage returns skipped.
  bool endsLine(std::size_t i) const {
    while (i < length_ && text_[i] == '\r') ++i;
    return i >= length_ || text_[i] == '\n';
  }

  bool nextIsTab(std::size_t i) const {
    while (i < length_ && text_[i] == '\r') ++i;
    return i < length_ && text_[i] == '\t';
  }

  void put(char c) { text_[written_++] = c; }

  bool refuse(const char* why) {
    fault_ = why;
    read_ = length_;
    return false;
  }

  // Skips a "/*" comment, nesting; false when it never ends.
  bool skipBlockComment() {
    int level = 0;
    do {
      const char c = raw(read_);
      if (read_ < length_ && c == '\0') return refuse("a NUL byte in the text");
      if (c == '/' && raw(read_ + 1) == '*') {
        ++level;
        read_ += 2;
      } else if (c == '*' && raw(read_ + 1) == '/') {
        --level;
        read_ += 2;
      } else {
        ++read_;
      }
    } while (level > 0 && read_ < length_);
    return level == 0 || refuse("a \"/*\" comment that never ends");
  }

  // Compacts at least one more byte; false at the end of the text.
  bool produce() {
    while (read_ < length_) {
      const char c = text_[read_], c1 = raw(read_ + 1), c2 = raw(read_ + 2);
      if (c == '\0') return refuse("a NUL byte in the text");
      if (c == '\\') {
        // Escapes the writer makes; any other backslash is itself. A "\,"
        // ending a line is a value's last backslash, as older texts hold it.
        if (c1 == 'n' || (c1 == ',' && !endsLine(read_ + 2))) {
          put(kEscapeMark);
          put(c1 == 'n' ? '\n' : ',');
          read_ += 2;
        } else if ((c1 == '/' && (c2 == '/' || c2 == '*' || c2 == '\\')) ||
                   (c1 == '\\' && (c2 == 'n' || c2 == '\\' || c2 == '/'))) {
          put(c1);
          read_ += 2;
        } else {
          put(c);
          ++read_;
        }
        return true;
      }
      if (c == '/' && c1 == '/') {
        while (read_ < length_ && text_[read_] != '\n') {
          if (text_[read_] == '\0') return refuse("a NUL byte in the text");
          ++read_;
        }
      } else if (c == '/' && c1 == '*') {
        if (!skipBlockComment()) return false;
      } else if (c == '\r' || c == '\t' || (c == ' ' && nextIsTab(read_ + 1))) {
        ++read_;
      } else {
        put(c);
        ++read_;
        return true;
      }
    }
    return false;
  }

  char* text_;
  std::size_t length_;
  std::size_t read_ = 0;
  std::size_t written_ = 0;
  const char* fault_ = nullptr;
};

struct Token {
  char* text = nullptr;  // zero-terminated, inside the text
  bool escaped = false;  // held an escape: a value, never a name or a brace
  bool endsLine = false;
};

std::string_view trimmed(const char* text) {
  std::string_view s(text);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Splits the compacted text at commas and line ends, one token at a time.
// A double quote that begins a token opens a stretch, never split, up to the
// next double quote; one inside a token does so only when another follows on
// its line, so that a value with a lone double quote reads back as written.
class Lexer {
 public:
  explicit Lexer(Source& source) : source_(source) {}

  bool next(Token& token) {
    if (source_.at(position_) == kEnd) return false;
    const std::size_t start = position_;
    bool quoted = false, escaped = false, atStart = true;
    int c;
    while ((c = source_.at(position_)) != kEnd) {
      if (c == kEscapeMark) {
        escaped = true;
        atStart = false;
        position_ += 2;
        continue;
      }
      if (c == '"' && (quoted || atStart || closesOnLine(position_ + 1))) quoted = !quoted;
      if (!quoted && (c == ',' || c == '\n')) break;
      if (c != ' ') atStart = false;
      ++position_;
    }
    token.endsLine = c == '\n' || c == kEnd;
    token.escaped = escaped;
    token.text = finish(start, position_);
    if (c != kEnd) ++position_;
    return true;
  }

  // Whether the next token that is not empty is "{".
  bool openBraceFollows() {
    std::size_t i = position_;
    bool brace = false;
    for (int c; (c = source_.at(i)) != kEnd; ++i) {
      if (c == ' ') continue;
      if (c == ',' || c == '\n') {
        if (brace) return true;
        continue;
      }
      if (c != '{' || brace) return false;
      brace = true;
    }
    return brace;
  }

 private:
  bool closesOnLine(std::size_t i) {
    for (int c; (c = source_.at(i)) != kEnd && c != '\n'; ++i) {
      if (c == kEscapeMark) ++i;
      else if (c == '"') return true;
    }
    return false;
  }

  // Drops the escape marks of the token in place and ends it with a zero.
  char* finish(std::size_t start, std::size_t end) {
    char* text = source_.pointer(start);
    std::size_t w = 0;
    for (std::size_t r = 0; r < end - start; ++r) {
      if (text[r] == kEscapeMark) ++r;
      text[w++] = text[r];
    }
    text[w] = '\0';
    return text;
  }

  Source& source_;
  std::size_t position_ = 0;
};

// "%ld": signed 32-bit with automatic base, saturating.
bool parseSigned(const char* token, QzWord& value) {
  const std::string_view s = trimmed(token);
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
bool parseHex(const char* token, QzWord& value) {
  const std::string_view s = trimmed(token);
  if (s.empty() || s.front() == '-' || s.front() == '+') return false;
  const std::string digits(s);
  char* end = nullptr;
  unsigned long long v = std::strtoull(digits.c_str(), &end, 16);
  if (end == digits.c_str() || *end != '\0') return false;
  if (v > UINT32_MAX) v = UINT32_MAX;
  value = static_cast<QzWord>(v);
  return true;
}

// Method names compare from the fourth character on: the three-character
// prefix may be anything.
bool sameMethodName(const char* stored, std::string_view given) {
  if (!stored) return false;
  const std::size_t storedLength = std::strlen(stored);
  if (storedLength < 3 || given.size() < 3) return false;
  return std::string_view(stored + 3) == given.substr(3);
}

// The setter an attribute line names: first in the object's own chain of
// instances (so the id is the one this object answers), then in every class.
// NULL when no setter has that name; isOther tells a method that is no setter.
const Qz_Method* findSetter(Qz_Object* object, std::string_view name, bool& isOther) {
  isOther = false;
  for (Qz_Object* instance = object; instance; instance = instance->super) {
    for (const Qz_Method* m = instance->objectClass->methods; m && m->id != 0; ++m) {
      if (!sameMethodName(m->name, name)) continue;
      if (m->flags & kQzMethodSetter) return m;
      isOther = true;
    }
  }
  const std::string nameText(name);
  const Qz_Method* m = Qz_FindMethodFromString(0, nameText.c_str());
  if (m && (m->flags & kQzMethodSetter)) return m;
  if (m) isOther = true;
  return nullptr;
}

// A name as the report shows it: quoted, and cut short when long, so that
// the report stays small whatever the text holds.
std::string quoted(std::string_view name) {
  constexpr std::size_t kShown = 60;
  if (name.size() > kShown) return "\"" + std::string(name.substr(0, kShown)) + "...\"";
  return "\"" + std::string(name) + "\"";
}

bool isKeyword(std::string_view name) {
  return name == "Qz_Text" || name == "Qz_MultiLineText" || name == "Qz_FText" ||
         name == "Qz_Picture" || name == "Qz_PictureNoMask" || name == "Qz_StartPopObject" ||
         name == "Qz_EndPopObject";
}

bool isBlockName(std::string_view name) {
  if (name == "HGroup" || name == "VGroup") return true;
  return Qz_FindClassFromName(std::string(name).c_str()) != nullptr;
}

class Builder {
 public:
  Builder(Source& source, std::string& report) : source_(source), lexer_(source), report_(report) {}

  Qz_Object* run() {
    const bool ok = build();
    if (ok && root_) {
      report_ = skippedReport();
      return root_;
    }
    Qz_DisposeObject(root_);
    if (ok) report_ = "the text holds no object";
    if (!notes_.empty()) report_ += " (" + skippedReport() + ")";
    return nullptr;
  }

 private:
  bool fail(const std::string& why) {
    report_ = why;
    return false;
  }

  void note(const std::string& what) {
    if (notes_.size() < kMaxNotes) notes_.push_back(what);
    else ++moreNotes_;
  }

  std::string skippedReport() const {
    std::string text;
    for (const std::string& n : notes_) text += (text.empty() ? "skipped " : "; ") + n;
    if (moreNotes_ > 0) text += "; and " + std::to_string(moreNotes_) + " more";
    return text;
  }

  // The container that lines act on: NULL outside the outermost object and
  // inside a block that was left out.
  Qz_Object* current() const { return stack_.empty() ? nullptr : stack_.back(); }
  bool insideLeftOut() const { return !stack_.empty() && stack_.back() == nullptr; }

  // The tokens up to the end of the line are skipped, whatever they hold.
  void skipLine(const Token& t) {
    Token rest = t;
    while (!rest.endsLine && lexer_.next(rest)) {
    }
  }

  // Makes an object of the class in the current container (or as the root)
  // and sends it the tags; NULL, with a note, when it cannot be made or held.
  Qz_Object* make(const std::string& className, const TagItem* tags) {
    if (!Qz_FindClassFromName(className.c_str())) {
      note("unknown class " + quoted(className) + " with its contents");
      return nullptr;
    }
    Qz_Object* object = Qz_CreateObjectA(className.c_str(), tags);
    if (!object) {
      note(quoted(className) + " that could not be made");
      return nullptr;
    }
    if (Qz_Object* parent = current()) {
      if (Qz_DoMethod(parent, kLinkedListAddTail, object) == 0) {
        Qz_DisposeObject(object);
        note(quoted(className) + " that a " + quoted(parent->objectClass->name) + " cannot hold");
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

  // Enters the block; an object is made only where it would have a place.
  bool openBlock(std::string_view name) {
    if (stack_.size() >= kMaxNesting) return fail("objects nested too deeply");
    Qz_Object* object = nullptr;
    if (insideLeftOut()) {
      // The contents of a block left out go with it.
    } else if (root_ && stack_.empty()) {
      note(quoted(name) + " after the outermost object");
    } else if (name.empty()) {
      note("a block without a class name");
    } else if (name == "HGroup" || name == "VGroup") {
      object = makeWith("Group", kGroupDirection, name == "HGroup" ? 2 : 1);
    } else {
      const QzWord noTags[qz::kPackedTailWords] = {};
      object = make(std::string(name), reinterpret_cast<const TagItem*>(noTags));
    }
    if (object && !root_) root_ = object;
    stack_.push_back(object);
    return true;
  }

  // Reads on to the "{" that openBraceFollows saw.
  void takeOpenBrace() {
    Token t;
    while (lexer_.next(t) && trimmed(t.text) != "{") {
    }
  }

  // A text child's value without its surrounding double quotes.
  static char* unquoted(char* text) {
    if (text[0] != '"') return text;
    ++text;
    const std::size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '"') text[length - 1] = '\0';
    return text;
  }

  // The keywords that add a text or picture child to the current container.
  void keyword(std::string_view name) {
    if (name == "Qz_StartPopObject" || name == "Qz_EndPopObject") {
      Qz_DoMethod(current(), kPopObject, name == "Qz_StartPopObject" ? 1 : 0, 0);
      return;
    }
    Token value;
    if (!lexer_.next(value)) return;
    char* text = value.text;
    if (name == "Qz_Text") makeWith("Text", kRootSetLabel, unquoted(text));
    else if (name == "Qz_MultiLineText") makeWith("Text", kRootSetLabel, unquoted(text), kTextLines, 4);
    else if (name == "Qz_FText") makeWith("Text", kRootSetLabel, text, kRootSetWeight, 0);
    else if (name == "Qz_Picture") makeWith("BitMap", kBitMapFile, text);
    else makeWith("BitMap", kBitMapNoMask, 0, kBitMapFile, text);
  }

  // Takes the setter's values and sends them; a value that is no number
  // leaves the attribute out.
  void attribute(std::string_view name, const Qz_Method* setter) {
    QzWord values[kMaxValues + qz::kPackedTailWords] = {};
    std::size_t count = 0;
    std::string problem;
    for (const char* f = setter->argFormat ? setter->argFormat : ""; *f; ++f) {
      if (*f != '%') continue;
      const std::string_view conversion(f + 1);
      const bool isString = conversion.starts_with("s");
      const bool isSigned = conversion.starts_with("ld");
      if (!isString && !isSigned && !conversion.starts_with("lx")) {
        problem = "has a format the reader does not know";
        break;
      }
      if (count == kMaxValues) {
        problem = "has too many values";
        break;
      }
      Token value;
      if (!lexer_.next(value)) return;  // the text ends: refused as unbalanced
      if (isString) {
        values[count] = reinterpret_cast<QzWord>(value.text);
      } else if (!(isSigned ? parseSigned(value.text, values[count])
                            : parseHex(value.text, values[count])) &&
                 problem.empty()) {
        problem = "has " + quoted(value.text) + " where a number belongs";
      }
      ++count;
      f += isString ? 1 : 2;
    }
    if (!problem.empty()) {
      note("attribute " + quoted(name) + " that " + problem);
      return;
    }
    Qz_DoMethodA(current(), setter->id, values);
  }

  // One line that is no block: a keyword or an attribute of the current
  // container, or something to skip.
  void line(std::string_view name, const Token& t) {
    Qz_Object* container = current();
    if (!container) {
      if (!insideLeftOut()) note(quoted(name) + " outside any object");
      skipLine(t);
      return;
    }
    if (isKeyword(name)) {
      keyword(name);
      return;
    }
    bool isOther = false;
    if (const Qz_Method* setter = findSetter(container, name, isOther)) {
      attribute(name, setter);
      return;
    }
    note(isOther ? quoted(name) + ", which is no setter" : "unknown attribute " + quoted(name));
    skipLine(t);
  }

  bool build() {
    Token t;
    while (lexer_.next(t)) {
      const std::string_view name = trimmed(t.text);
      if (name.empty() && !t.escaped) continue;
      if (t.escaped) {
        // A value where a name belongs: its line is skipped.
        if (!insideLeftOut()) note("a value where a name belongs");
        skipLine(t);
        continue;
      }
      if (name.front() == '}') {
        if (stack_.empty()) return fail("a \"}\" without its \"{\"");
        stack_.pop_back();
        continue;
      }
      if (name == "{") {
        if (!openBlock("")) return false;
        continue;
      }
      // A setter followed by a "{" value is an attribute, not a block, unless
      // the name is a class's.
      bool blockFollows = lexer_.openBraceFollows();
      if (blockFollows && current() && !isBlockName(name) && !isKeyword(name)) {
        bool isOther = false;
        if (findSetter(current(), name, isOther)) blockFollows = false;
      }
      if (blockFollows) {
        takeOpenBrace();
        if (!openBlock(name)) return false;
        continue;
      }
      line(name, t);
    }
    if (const char* fault = source_.fault()) return fail(fault);
    if (!stack_.empty()) return fail("the text ends inside an object (a \"}\" is missing)");
    return true;
  }

  Source& source_;
  Lexer lexer_;
  std::string& report_;
  std::vector<Qz_Object*> stack_;
  Qz_Object* root_ = nullptr;
  std::vector<std::string> notes_;
  std::size_t moreNotes_ = 0;
};

}  // namespace

Qz_Object* readObjectText(char* text, std::size_t length, std::string& report) {
  report.clear();
  Source source(text, length);
  Builder builder(source, report);
  return builder.run();
}

}  // namespace qz::objects
