// Caret moves, deletions and insertions within the byte limit of a text box.
#include "actions/text_editing.h"

#include <algorithm>

#include "host/fonts/font.h"

namespace qz::text {
namespace {

size_t Qz__Utf8Bytes(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

}  // namespace

std::u32string fromUtf8(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (int i = 0; i < int(utf8.size());) out += fonts::decodeUtf8(utf8.data(), int(utf8.size()), i);
  return out;
}

std::string toUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) fonts::appendUtf8(out, c);
  return out;
}

size_t utf8Size(std::u32string_view text) {
  size_t bytes = 0;
  for (char32_t c : text) bytes += Qz__Utf8Bytes(c);
  return bytes;
}

bool applyEditKey(TextEdit& edit, EditKey key) {
  edit.cursor = std::min(edit.cursor, edit.text.size());
  const size_t before = edit.text.size(), at = edit.cursor;
  switch (key) {
    case EditKey::Right: edit.cursor = std::min(at + 1, before); break;
    case EditKey::Left: edit.cursor = at > 0 ? at - 1 : 0; break;
    case EditKey::Backspace:
      if (at > 0) edit.text.erase(at - 1, 1), edit.cursor = at - 1;
      break;
    case EditKey::BackspaceAll: edit.text.erase(0, at), edit.cursor = 0; break;
    case EditKey::Delete: edit.text.erase(at, 1); break;
    case EditKey::DeleteAll: edit.text.erase(at); break;
  }
  return edit.cursor != at || edit.text.size() != before;
}

size_t insertAtCursor(TextEdit& edit, std::u32string_view text, size_t maxBytes) {
  edit.cursor = std::min(edit.cursor, edit.text.size());
  size_t room = maxBytes - std::min(maxBytes, utf8Size(edit.text));
  size_t count = 0;
  while (count < text.size() && Qz__Utf8Bytes(text[count]) <= room) room -= Qz__Utf8Bytes(text[count++]);
  edit.text.insert(edit.cursor, text.substr(0, count));
  edit.cursor += count;
  return count;
}

}  // namespace qz::text
