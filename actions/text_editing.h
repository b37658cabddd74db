// The edits typed into a text box: the caret moved, characters deleted
// either side (or everything either side), text inserted. The text is held
// as code points; its stored form is UTF-8 of at most kMaxTextBytes bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/qz_export.h"

namespace qz::text {

inline constexpr size_t kMaxTextBytes = 8196;

struct TextEdit {
  std::u32string text;
  size_t cursor = 0;  // characters before the caret
};

enum class EditKey { Right, Left, Backspace, BackspaceAll, Delete, DeleteAll };

QZ_EXPORT std::u32string fromUtf8(std::string_view utf8);
QZ_EXPORT std::string toUtf8(std::u32string_view text);
QZ_EXPORT size_t utf8Size(std::u32string_view text);

// True when the text or the caret changed.
QZ_EXPORT bool applyEditKey(TextEdit& edit, EditKey key);
// Inserts at the caret as many whole characters of the text as keep the
// stored form within maxBytes, and moves the caret past them; the count inserted.
QZ_EXPORT size_t insertAtCursor(TextEdit& edit, std::u32string_view text, size_t maxBytes = kMaxTextBytes);

}  // namespace qz::text
