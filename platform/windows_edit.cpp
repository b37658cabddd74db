// Single-line edit controls laid over a window: caret, selection, cut, copy
// and paste, horizontal scrolling; UTF-8 text moved through one code point at
// a time. A control draws itself into its window's backing store and takes
// pointer and key input before the window procedure sees it.
#include <algorithm>
#include <cstring>
#include <map>
#include <thread>

#include "host/fonts/font.h"
#include "host/host_backend.h"
#include "host/host_input.h"
#include "platform/clipboard.h"
#include "platform/windows_internal.h"

namespace qz::win {

struct EditControl {
  QzEditControl handle = 0;
  Window* window = nullptr;
  IntRect box;  // outer-frame coordinates of the window
  std::string text;
  std::size_t caret = 0, anchor = 0;  // byte offsets on character boundaries
  int scroll = 0;                      // pixels of text hidden on the left
  void* userData = nullptr;
  // A child surface of its own, shown over the window, so drawing in the
  // window underneath never paints over the control.
  PixelBuffer surface;
};

namespace {

constexpr uint32_t kFieldRgb = 0xFFFFFF;
constexpr uint32_t kTextRgb = 0x000000;
constexpr uint32_t kSelectionRgb = 0x0A246A;
constexpr int kTextInset = 2;

std::map<QzEditControl, EditControl*>& registry() {
  static auto* r = new std::map<QzEditControl, EditControl*>;
  return *r;
}
QzEditControl gNextHandle = 1;

EditControl* find(QzEditControl h) {
  auto it = registry().find(h);
  return it == registry().end() ? nullptr : it->second;
}

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::size_t nextBoundary(const std::string& s, std::size_t i) {
  if (i >= s.size()) return s.size();
  ++i;
  while (i < s.size() && continuation(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

std::size_t previousBoundary(const std::string& s, std::size_t i) {
  if (i == 0) return 0;
  --i;
  while (i > 0 && continuation(static_cast<unsigned char>(s[i]))) --i;
  return i;
}

RastPort textPort(EditControl* e) {
  RastPort rp{};
  Qz_AttachRastPort(&rp, &e->surface);
  return rp;
}

int widthOf(RastPort& rp, const std::string& s, std::size_t bytes) {
  return bytes ? TextLength(&rp, s.data(), static_cast<int32_t>(bytes)) : 0;
}

// The boundary nearest to an x offset into the text.
std::size_t hitTest(EditControl* e, int textX) {
  RastPort rp = textPort(e);
  std::size_t best = 0;
  int bestDistance = std::abs(textX);
  for (std::size_t i = nextBoundary(e->text, 0); i <= e->text.size(); i = nextBoundary(e->text, i)) {
    const int d = std::abs(widthOf(rp, e->text, i) - textX);
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
    if (i == e->text.size()) break;
  }
  return best;
}

void draw(EditControl* e) {
  RastPort rp = textPort(e);
  const IntRect b = e->surface.bounds();
  const int inner = b.width() - 2 * kTextInset;
  // Keep the caret in view.
  const int caretX = widthOf(rp, e->text, e->caret);
  if (caretX - e->scroll > inner - 1) e->scroll = caretX - inner + 1;
  if (caretX < e->scroll) e->scroll = caretX;
  e->scroll = std::max(e->scroll, 0);

  Qz_SetClipRect(&rp, b.x0, b.y0, b.x1 - 1, b.y1 - 1);
  SetAPen(&rp, kDirectColourFlag | raster::colorRefFromRgb(kFieldRgb));
  RectFill(&rp, b.x0, b.y0, b.x1 - 1, b.y1 - 1);
  const int x0 = b.x0 + kTextInset - e->scroll;
  const int y0 = b.y0 + std::max(0, (b.height() - static_cast<int>(rp.TxHeight)) / 2);
  const std::size_t selFrom = std::min(e->caret, e->anchor), selTo = std::max(e->caret, e->anchor);
  const bool focused = desk().focusedEdit == e;
  SetDrMd(&rp, JAM1);
  SetAPen(&rp, kDirectColourFlag | raster::colorRefFromRgb(kTextRgb));
  Move(&rp, x0, y0);
  Text(&rp, e->text.data(), static_cast<int32_t>(e->text.size()));
  if (focused && selTo > selFrom) {
    const int sx0 = x0 + widthOf(rp, e->text, selFrom), sx1 = x0 + widthOf(rp, e->text, selTo);
    SetAPen(&rp, kDirectColourFlag | raster::colorRefFromRgb(kSelectionRgb));
    RectFill(&rp, sx0, y0, sx1 - 1, y0 + rp.TxHeight - 1);
    SetAPen(&rp, kDirectColourFlag | raster::colorRefFromRgb(kFieldRgb));
    Move(&rp, sx0, y0);
    Text(&rp, e->text.data() + selFrom, static_cast<int32_t>(selTo - selFrom));
  }
  if (focused) {
    SetAPen(&rp, kDirectColourFlag | raster::colorRefFromRgb(kTextRgb));
    RectFill(&rp, x0 + caretX, y0, x0 + caretX, y0 + rp.TxHeight - 1);
  }
  const IntRect& at = e->box;
  markDirty({at.x0 + e->window->LeftEdge, at.y0 + e->window->TopEdge, at.x1 + e->window->LeftEdge,
             at.y1 + e->window->TopEdge});
}

void replaceSelection(EditControl* e, const std::string& with) {
  const std::size_t from = std::min(e->caret, e->anchor), to = std::max(e->caret, e->anchor);
  e->text.replace(from, to - from, with);
  e->caret = e->anchor = from + with.size();
}

std::string selection(const EditControl* e) {
  const std::size_t from = std::min(e->caret, e->anchor), to = std::max(e->caret, e->anchor);
  return e->text.substr(from, to - from);
}

// One line of pasted text: line breaks end it, other control characters go.
std::string singleLine(const std::vector<uint8_t>& bytes) {
  std::string out;
  for (uint8_t c : bytes) {
    if (c == '\n' || c == '\r' || c == 0) break;
    if (c >= 0x20 || c == '\t') out += static_cast<char>(c == '\t' ? ' ' : c);
  }
  return out;
}

void focus(EditControl* e) {
  Desk& d = desk();
  if (d.focusedEdit == e) return;
  EditControl* old = d.focusedEdit;
  d.focusedEdit = e;
  if (old) draw(old);
  draw(e);
}

void paste(QzEditControl handle) {
  // The clipboard may belong to another program and take a round trip to
  // read, so it is fetched away from the thread that delivers input.
  std::thread([handle] {
    std::vector<uint8_t> bytes;
    if (!host::backend().clipboard(kQzClipboardTextType, &bytes)) return;
    const std::string line = singleLine(bytes);
    {
      std::lock_guard<std::recursive_mutex> lock(desk().lock);
      EditControl* e = find(handle);
      if (!e) return;
      replaceSelection(e, line);
      draw(e);
    }
    host::backend().presentLater();
  }).detach();
}

}  // namespace

EditControl* editAt(Window* w, int x, int y) {
  WindowHost* host = hostOf(w);
  if (!host) return nullptr;
  for (auto it = host->edits.rbegin(); it != host->edits.rend(); ++it)
    if ((*it)->box.contains(x - w->LeftEdge, y - w->TopEdge)) return *it;
  return nullptr;
}

bool editPointer(EditControl* e, bool down, bool moved, int x, int /*y*/) {
  Desk& d = desk();
  const int textX = x - e->window->LeftEdge - e->box.x0 - kTextInset + e->scroll;
  if (down) {
    focus(e);
    e->caret = hitTest(e, textX);
    if (!(d.modifiers & host::kModShift)) e->anchor = e->caret;
    d.selectingEdit = e;
  } else if (moved) {
    if (d.selectingEdit != e) return false;
    e->caret = hitTest(e, textX);
  } else {
    d.selectingEdit = nullptr;
  }
  draw(e);
  return true;
}

std::pair<void*, void*> editBlur() {
  Desk& d = desk();
  EditControl* e = d.focusedEdit;
  if (!e) return {nullptr, nullptr};
  d.focusedEdit = nullptr;
  d.selectingEdit = nullptr;
  draw(e);
  return {e->userData ? e->window->OwnerObject : nullptr, e->userData};
}

bool editKey(uint16_t vk, char32_t ch) {
  Desk& d = desk();
  EditControl* e = d.focusedEdit;
  if (!e) return false;
  const bool shift = d.modifiers & host::kModShift, ctrl = d.modifiers & host::kModControl;
  auto moveCaret = [&](std::size_t to) {
    e->caret = to;
    if (!shift) e->anchor = to;
  };
  switch (vk) {
    case host::kVkLeft: moveCaret(previousBoundary(e->text, e->caret)); break;
    case host::kVkRight: moveCaret(nextBoundary(e->text, e->caret)); break;
    case 0x24: moveCaret(0); break;                // Home
    case 0x23: moveCaret(e->text.size()); break;   // End
    case host::kVkBack:
      if (e->caret == e->anchor) e->anchor = previousBoundary(e->text, e->caret);
      replaceSelection(e, "");
      break;
    case host::kVkDelete:
      if (e->caret == e->anchor) e->anchor = nextBoundary(e->text, e->caret);
      replaceSelection(e, "");
      break;
    default:
      if (ctrl && (vk == 'A')) {
        e->anchor = 0;
        e->caret = e->text.size();
      } else if (ctrl && (vk == 'C' || vk == 'X')) {
        const std::string s = selection(e);
        if (!s.empty()) {
          d.clipboardPending = true;
          d.clipboardText = s;
        }
        if (vk == 'X') replaceSelection(e, "");
      } else if (ctrl && vk == 'V') {
        paste(e->handle);
      } else if (!ctrl && ch >= 0x20 && ch != 0x7F) {
        std::string typed;
        qz::fonts::appendUtf8(typed, ch);
        replaceSelection(e, typed);
      } else {
        return true;  // keys the control ignores still belong to it
      }
  }
  draw(e);
  return true;
}

void destroyEdits(Window* w) {
  WindowHost* host = hostOf(w);
  Desk& d = desk();
  for (EditControl* e : host->edits) {
    if (d.focusedEdit == e) d.focusedEdit = nullptr;
    if (d.selectingEdit == e) d.selectingEdit = nullptr;
    registry().erase(e->handle);
    delete e;
  }
  host->edits.clear();
}

// Enter gives the focus to the window, Tab to the window's next control.
std::pair<void*, void*> editFocusKey(uint16_t vk) {
  Desk& d = desk();
  EditControl* e = d.focusedEdit;
  if (!e) return {nullptr, nullptr};
  if (vk == host::kVkReturn) {
    Window* w = e->window;
    auto lost = editBlur();
    d.focus = w;
    return lost;
  }
  auto& edits = hostOf(e->window)->edits;
  auto it = std::find(edits.begin(), edits.end(), e);
  EditControl* next = (it + 1 != edits.end()) ? *(it + 1) : edits.front();
  if (next == e) return {nullptr, nullptr};
  auto lost = editBlur();
  focus(next);
  next->anchor = 0;
  next->caret = next->text.size();
  draw(next);
  return lost;
}

void composeEdits(Window* w, PixelBuffer& out, const IntRect& area) {
  for (EditControl* e : hostOf(w)->edits) {
    const IntRect at{w->LeftEdge + e->box.x0, w->TopEdge + e->box.y0, w->LeftEdge + e->box.x1, w->TopEdge + e->box.y1};
    // Like a child window, the control is cut to its window's box.
    const IntRect r = at.intersect(area).intersect(boxOf(w));
    for (int y = r.y0; y < r.y1; ++y)
      std::copy_n(e->surface.row(y - at.y0) + (r.x0 - at.x0), r.width(), out.row(y) + r.x0);
  }
}

}  // namespace qz::win

using namespace qz::win;

QZ_EXTERN_C_BEGIN

QzEditControl Qz_CreateEditControl(Window* w, int16_t x, int16_t y, int16_t width, int16_t height) {
  if (!w || width <= 0 || height <= 0) return 0;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    WindowHost* host = hostOf(w);
    if (!host) return 0;
    auto* e = new EditControl;
    e->handle = gNextHandle++;
    e->window = w;
    e->box = {x, y, x + width, y + height};
    e->surface = PixelBuffer(width, height);
    registry()[e->handle] = e;
    host->edits.push_back(e);
    draw(e);
    qz::host::backend().presentLater();
    return e->handle;
  }
}

void Qz_DestroyEditControl(QzEditControl handle) {
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    EditControl* e = find(handle);
    if (!e) return;
    Desk& d = desk();
    if (d.focusedEdit == e) d.focusedEdit = nullptr;
    if (d.selectingEdit == e) d.selectingEdit = nullptr;
    auto& edits = hostOf(e->window)->edits;
    edits.erase(std::remove(edits.begin(), edits.end(), e), edits.end());
    registry().erase(handle);
    delete e;
  }
}

int32_t Qz_SetEditControlText(QzEditControl handle, const char* utf8) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  EditControl* e = find(handle);
  if (!e) return 0;
  e->text = utf8 ? utf8 : "";
  e->caret = e->anchor = e->text.size();
  e->scroll = 0;
  draw(e);
  qz::host::backend().presentLater();
  return 1;
}

int32_t Qz_GetEditControlText(QzEditControl handle, char* buffer, int32_t size) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  EditControl* e = find(handle);
  if (!e || !buffer || size <= 0) return 0;
  std::size_t n = std::min(e->text.size(), static_cast<std::size_t>(size - 1));
  while (n > 0 && n < e->text.size() && (static_cast<unsigned char>(e->text[n]) & 0xC0) == 0x80) --n;
  std::memcpy(buffer, e->text.data(), n);
  buffer[n] = 0;
  return static_cast<int32_t>(n);
}

void Qz_SetEditControlUserData(QzEditControl handle, void* userData) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  if (EditControl* e = find(handle)) e->userData = userData;
}

void* Qz_GetEditControlUserData(QzEditControl handle) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  EditControl* e = find(handle);
  return e ? e->userData : nullptr;
}

void Qz_EditControlClick(QzEditControl handle, int16_t x, int16_t y) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  EditControl* e = find(handle);
  if (!e) return;
  const int dx = e->window->LeftEdge + e->box.x0, dy = e->window->TopEdge + e->box.y0;
  editPointer(e, true, false, dx + x, dy + y);
  editPointer(e, false, false, dx + x, dy + y);
  qz::host::backend().presentLater();
}

QzEditControl Qz_GetFocusedEditControl(void) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  return desk().focusedEdit ? desk().focusedEdit->handle : 0;
}

QZ_EXTERN_C_END
