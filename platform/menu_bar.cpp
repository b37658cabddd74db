// The menu bar: its model, the strip above the desktop, the drop-downs over
// every window and the pointer and keys while one is open. Everything here is
// under the compose lock; picks are posted once it is released.
#include "platform/menu_bar.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "host/fonts/font.h"
#include "host/host_backend.h"
#include "host/host_input.h"
#include "host/raster/rasteriser.h"
#include "platform/clipboard.h"
#include "platform/menu_bar_internal.h"
#include "platform/windows_internal.h"

struct QzMenu {
  struct Entry {
    enum class Kind { Item, Separator, Sub } kind = Kind::Item;
    uint16_t id = 0;
    std::string label;
    bool enabled = true;
    bool checked = false;
    std::shared_ptr<QzMenu> sub;
  };
  std::vector<Entry> entries;
  std::vector<uint16_t> pasteIds;
};

namespace qz::win {
namespace {

using Entry = QzMenu::Entry;
using Kind = QzMenu::Entry::Kind;

constexpr uint32_t kFace = 0xD4D0C8;
constexpr uint32_t kInk = 0x000000;
constexpr uint32_t kGreyInk = 0x808080;
constexpr uint32_t kHotFace = 0x0A246A;
constexpr uint32_t kHotInk = 0xFFFFFF;
constexpr uint32_t kShadow = 0x808080;
constexpr int kTitlePad = 8;
constexpr int kCheckColumn = 20;
constexpr int kRightPad = 12;
constexpr int kShortcutGap = 24;
constexpr int kSeparatorHeight = 7;

struct OpenMenu {
  std::shared_ptr<QzMenu> menu;
  IntRect box;  // desktop pixels
  int hot = -1;
};

struct MenuState {
  std::map<QzMenu*, std::shared_ptr<QzMenu>> handles;
  std::shared_ptr<QzMenu> bar;
  int openTitle = -1;
  // A press opened the title's menu (not the pointer passing over it): a
  // press on that title again closes it.
  bool openedByPress = false;
  std::vector<OpenMenu> open;  // the title's drop-down, then its open sub-menus
  bool stripDirty = true;
};

MenuState& state() {
  static MenuState s;
  return s;
}

std::shared_ptr<QzMenu> shared(QzMenu* menu) {
  auto it = state().handles.find(menu);
  return it == state().handles.end() ? nullptr : it->second;
}

fonts::Font& font() { return fonts::defaultFont(); }
int itemHeight() { return font().height() + 6; }

// The label before the tab, and the shortcut text after it.
std::pair<std::string, std::string> splitLabel(const std::string& label) {
  const auto tab = label.find('\t');
  if (tab == std::string::npos) return {label, ""};
  return {label.substr(0, tab), label.substr(tab + 1)};
}

int textWidth(const std::string& s) { return raster::textWidth(font(), s.data(), static_cast<int>(s.size())); }

Entry* findItem(QzMenu* menu, uint16_t id) {
  for (Entry& e : menu->entries) {
    if (e.kind == Kind::Item && e.id == id) return &e;
    if (e.kind == Kind::Sub && e.sub)
      if (Entry* found = findItem(e.sub.get(), id)) return found;
  }
  return nullptr;
}

// The title boxes along the strip (x0..x1; the strip's rows).
std::vector<IntRect> titleBoxes() {
  std::vector<IntRect> boxes;
  const MenuState& s = state();
  if (!s.bar) return boxes;
  int x = 2;
  for (const Entry& e : s.bar->entries) {
    const int w = e.kind == Kind::Separator ? 0 : textWidth(splitLabel(e.label).first) + 2 * kTitlePad;
    boxes.push_back({x, -host::kMenuStripHeight, x + w, 0});
    x += w;
  }
  return boxes;
}

int entryHeight(const Entry& e) { return e.kind == Kind::Separator ? kSeparatorHeight : itemHeight(); }

IntRect dropDownBox(const QzMenu& menu, int left, int top) {
  int labels = 0, shortcuts = 0, height = 4;
  for (const Entry& e : menu.entries) {
    const auto [label, shortcut] = splitLabel(e.label);
    labels = std::max(labels, textWidth(label));
    shortcuts = std::max(shortcuts, textWidth(shortcut));
    height += entryHeight(e);
  }
  const int width = kCheckColumn + labels + (shortcuts ? kShortcutGap + shortcuts : 0) + kRightPad + 4;
  IntRect box{left, top, left + width, top + height};
  // Kept on the desktop where it can be.
  const Desk& d = desk();
  if (d.screen) {
    const int sw = d.screen->Width, sh = d.screen->Height;
    if (box.x1 > sw) box = {std::max(0, sw - width), box.y0, std::max(0, sw - width) + width, box.y1};
    if (box.y1 > sh) box = {box.x0, std::max(0, sh - height), box.x1, std::max(0, sh - height) + height};
  }
  return box;
}

// The entry of an open menu at a desktop row, or -1.
int entryAt(const OpenMenu& m, int y) {
  int top = m.box.y0 + 2;
  for (std::size_t i = 0; i < m.menu->entries.size(); ++i) {
    const int h = entryHeight(m.menu->entries[i]);
    if (y >= top && y < top + h) return static_cast<int>(i);
    top += h;
  }
  return -1;
}

int entryTop(const OpenMenu& m, int index) {
  int top = m.box.y0 + 2;
  for (int i = 0; i < index; ++i) top += entryHeight(m.menu->entries[static_cast<std::size_t>(i)]);
  return top;
}

void markOpenDirty() {
  for (const OpenMenu& m : state().open) markDirty(m.box);
}

void closeAll() {
  MenuState& s = state();
  markOpenDirty();
  s.open.clear();
  if (s.openTitle >= 0) s.stripDirty = true;
  s.openTitle = -1;
  s.openedByPress = false;
}

// Asks the clipboard, away from the thread that delivers input (which the
// X11 clipboard needs to answer), whether the bar's paste items apply.
class PasteChecker {
 public:
  ~PasteChecker() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  void ask() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++asked_;
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    cv_.notify_all();
  }
  void settle() {
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait(lock, [this] { return done_ >= asked_; });
  }

 private:
  void run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      cv_.wait(lock, [this] { return stop_ || done_ < asked_; });
      if (stop_) return;
      const uint64_t target = asked_;
      lock.unlock();
      apply(Qz_ClipboardHoldsImage() != 0);
      lock.lock();
      done_ = target;
      cv_.notify_all();
    }
  }
  static void apply(bool holdsPicture) {
    {
      std::lock_guard<std::recursive_mutex> lock(desk().lock);
      MenuState& s = state();
      if (!s.bar) return;
      for (uint16_t id : s.bar->pasteIds)
        if (Entry* e = findItem(s.bar.get(), id)) e->enabled = holdsPicture;
      markOpenDirty();
    }
    host::backend().presentLater();
  }

  std::mutex mutex_;
  std::condition_variable cv_;
  std::thread thread_;
  uint64_t asked_ = 0, done_ = 0;
  bool stop_ = false;
};

PasteChecker& pasteChecker() {
  static PasteChecker checker;
  return checker;
}

void openTitle(int index) {
  MenuState& s = state();
  closeAll();
  const std::vector<IntRect> boxes = titleBoxes();
  if (index < 0 || static_cast<std::size_t>(index) >= boxes.size()) return;
  const Entry& e = s.bar->entries[static_cast<std::size_t>(index)];
  s.openTitle = index;
  s.stripDirty = true;
  if (e.kind != Kind::Sub || !e.sub || !e.enabled) return;
  s.open.push_back({e.sub, dropDownBox(*e.sub, boxes[static_cast<std::size_t>(index)].x0, 0), -1});
  markDirty(s.open.back().box);
  if (!s.bar->pasteIds.empty()) pasteChecker().ask();
}

int titleAt(int x) {
  const std::vector<IntRect> boxes = titleBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i)
    if (x >= boxes[i].x0 && x < boxes[i].x1 && boxes[i].width() > 0) return static_cast<int>(i);
  return -1;
}

// Highlights the entry under the pointer at that level and opens its sub-menu.
void hover(std::size_t level, int index) {
  MenuState& s = state();
  if (s.open[level].hot == index) return;
  while (s.open.size() > level + 1) {
    markDirty(s.open.back().box);
    s.open.pop_back();
  }
  OpenMenu& m = s.open[level];
  m.hot = index;
  markDirty(m.box);
  if (index < 0) return;
  const Entry& e = m.menu->entries[static_cast<std::size_t>(index)];
  if (e.kind == Kind::Sub && e.sub && e.enabled) {
    const IntRect box = dropDownBox(*e.sub, m.box.x1 - 2, entryTop(m, index) - 2);
    s.open.push_back({e.sub, box, -1});
    markDirty(box);
  }
}

void drawMenu(PixelBuffer& out, const IntRect& area, const OpenMenu& m) {
  const IntRect clip = area.intersect(m.box);
  if (clip.empty()) return;
  const IntRect& b = m.box;
  raster::fillRect(out, clip, b, kShadow);
  raster::fillRect(out, clip, {b.x0 + 1, b.y0 + 1, b.x1 - 1, b.y1 - 1}, kFace);
  fonts::Font& f = font();
  int top = b.y0 + 2;
  for (std::size_t i = 0; i < m.menu->entries.size(); ++i) {
    const Entry& e = m.menu->entries[i];
    const int h = entryHeight(e);
    if (e.kind == Kind::Separator) {
      raster::fillRect(out, clip, {b.x0 + 4, top + h / 2, b.x1 - 4, top + h / 2 + 1}, kShadow);
      top += h;
      continue;
    }
    const bool hot = static_cast<int>(i) == m.hot && e.enabled;
    if (hot) raster::fillRect(out, clip, {b.x0 + 2, top, b.x1 - 2, top + h}, kHotFace);
    const uint32_t ink = !e.enabled ? kGreyInk : hot ? kHotInk : kInk;
    const auto [label, shortcut] = splitLabel(e.label);
    const int textTop = top + (h - f.height()) / 2;
    raster::drawText(out, clip, f, label.data(), static_cast<int>(label.size()), b.x0 + kCheckColumn, textTop, ink, 0);
    if (!shortcut.empty())
      raster::drawText(out, clip, f, shortcut.data(), static_cast<int>(shortcut.size()),
                       b.x1 - kRightPad - textWidth(shortcut), textTop, ink, 0);
    if (e.checked) {
      const int cx = b.x0 + 7, cy = top + h / 2;
      for (int t = 0; t < 2; ++t) {
        raster::drawLine(out, clip, cx, cy + t - 1, cx + 3, cy + t + 2, ink, raster::LineOp::Set, true);
        raster::drawLine(out, clip, cx + 3, cy + t + 2, cx + 9, cy + t - 4, ink, raster::LineOp::Set, true);
      }
    }
    if (e.kind == Kind::Sub) {
      const raster::Point arrow[] = {{b.x1 - 9, top + h / 2 - 4}, {b.x1 - 5, top + h / 2}, {b.x1 - 9, top + h / 2 + 4}};
      raster::fillPolygon(out, clip, arrow, 3, ink);
    }
    top += h;
  }
}

}  // namespace

void markMenuStripDirty() { state().stripDirty = true; }

void composeMenus(PixelBuffer& out, const IntRect& area) {
  for (const OpenMenu& m : state().open) drawMenu(out, area, m);
}

uint16_t menuPointer(int x, int y, MenuInput input, bool* consumed) {
  MenuState& s = state();
  *consumed = false;
  if (!s.bar) return 0;
  const bool onStrip = y < 0;
  if (onStrip) {
    *consumed = true;
    const int title = titleAt(x);
    if (input == MenuInput::Press) {
      // The pointer on its way here may have switched to this title's menu
      // already; the press that follows is still the one meant to open it.
      if (title < 0 || (title == s.openTitle && s.openedByPress)) {
        closeAll();
      } else {
        if (title != s.openTitle) openTitle(title);
        s.openedByPress = true;
      }
    } else if (input == MenuInput::Move && s.openTitle >= 0 && title >= 0 && title != s.openTitle) {
      openTitle(title);
    }
    return 0;
  }
  if (s.openTitle < 0) return 0;
  *consumed = true;
  // The deepest open menu under the pointer.
  for (std::size_t level = s.open.size(); level-- > 0;) {
    if (!s.open[level].box.contains(x, y)) continue;
    const int index = entryAt(s.open[level], y);
    hover(level, index);
    if (input != MenuInput::Release || index < 0) return 0;
    const Entry& e = s.open[level].menu->entries[static_cast<std::size_t>(index)];
    if (e.kind != Kind::Item || !e.enabled) return 0;
    const uint16_t id = e.id;
    closeAll();
    return id;
  }
  if (!s.open.empty() && s.open.back().hot >= 0) {
    OpenMenu& last = s.open.back();
    last.hot = -1;
    markDirty(last.box);
  }
  if (input == MenuInput::Press) closeAll();
  return 0;
}

bool menuKey(uint16_t vk, bool down) {
  MenuState& s = state();
  if (s.openTitle < 0) return false;
  if (down && vk == host::kVkEscape) closeAll();
  return true;
}

}  // namespace qz::win

namespace qz::host {

namespace {
std::atomic<int> gStripHeight{0};
}

int menuStripHeight() { return gStripHeight.load(); }

raster::IntRect composeMenuStrip(raster::PixelBuffer& out) {
  using namespace qz::win;
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  MenuState& s = state();
  if (!s.stripDirty) return {};
  s.stripDirty = false;
  const IntRect all = out.bounds();
  raster::fillRect(out, all, all, kFace);
  raster::fillRect(out, all, {0, all.y1 - 1, all.x1, all.y1}, kShadow);
  const std::vector<IntRect> boxes = titleBoxes();
  fonts::Font& f = font();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const Entry& e = s.bar->entries[i];
    if (e.kind == Kind::Separator) continue;
    const IntRect box{boxes[i].x0, 0, boxes[i].x1, kMenuStripHeight - 1};
    const bool open = static_cast<int>(i) == s.openTitle;
    if (open) raster::fillRect(out, all, box, kHotFace);
    const std::string label = splitLabel(e.label).first;
    raster::drawText(out, all, f, label.data(), static_cast<int>(label.size()), box.x0 + kTitlePad,
                     (kMenuStripHeight - f.height()) / 2, !e.enabled ? kGreyInk : open ? kHotInk : kInk, 0);
  }
  out.addDirty(all);
  return all;
}

}  // namespace qz::host

using namespace qz::win;

namespace {

// Changes an item and shows the change where the item is visible.
template <typename Change>
int32_t changeItem(QzMenu* menu, uint16_t id, Change change) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  if (!shared(menu)) return 0;
  Entry* e = findItem(menu, id);
  if (!e) return 0;
  change(*e);
  markOpenDirty();
  return 1;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QzMenu* Qz_CreateMenu(void) {
  auto menu = std::make_shared<QzMenu>();
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  state().handles[menu.get()] = menu;
  return menu.get();
}

void Qz_DestroyMenu(QzMenu* menu) {
  std::shared_ptr<QzMenu> keep;  // freed after the lock
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  auto it = state().handles.find(menu);
  if (it == state().handles.end()) return;
  keep = std::move(it->second);
  state().handles.erase(it);
}

int32_t Qz_AppendMenuItem(QzMenu* menu, uint16_t id, const char* label) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  if (!shared(menu)) return 0;
  Entry e;
  e.id = id;
  e.label = label ? label : "";
  menu->entries.push_back(std::move(e));
  return 1;
}

int32_t Qz_AppendMenuSeparator(QzMenu* menu) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  if (!shared(menu)) return 0;
  Entry e;
  e.kind = Kind::Separator;
  menu->entries.push_back(std::move(e));
  return 1;
}

int32_t Qz_AppendSubMenu(QzMenu* menu, QzMenu* subMenu, const char* title) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  std::shared_ptr<QzMenu> sub = shared(subMenu);
  if (!shared(menu) || !sub || sub.get() == menu) return 0;
  Entry e;
  e.kind = Kind::Sub;
  e.label = title ? title : "";
  e.sub = std::move(sub);
  menu->entries.push_back(std::move(e));
  state().stripDirty = true;
  return 1;
}


int32_t Qz_EnableMenuItem(QzMenu* menu, uint16_t id, int32_t enabled) {
  return changeItem(menu, id, [&](Entry& e) { e.enabled = enabled != 0; });
}

int32_t Qz_CheckMenuItem(QzMenu* menu, uint16_t id, int32_t checked) {
  return changeItem(menu, id, [&](Entry& e) { e.checked = checked != 0; });
}

int32_t Qz_SetMenuItemLabel(QzMenu* menu, uint16_t id, const char* label) {
  return changeItem(menu, id, [&](Entry& e) { e.label = label ? label : ""; });
}

int32_t Qz_GetMenuItemState(QzMenu* menu, uint16_t id) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  if (!shared(menu)) return -1;
  const Entry* e = findItem(menu, id);
  if (!e) return -1;
  return (e->enabled ? 1 : 0) | (e->checked ? 2 : 0);
}

void Qz_SetPasteMenuItem(QzMenu* menu, uint16_t id) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  if (shared(menu)) menu->pasteIds.push_back(id);
}

void Qz_SetMainMenu(QzMenu* bar) {
  std::shared_ptr<QzMenu> old;  // freed after the lock
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    MenuState& s = state();
    closeAll();
    old = std::move(s.bar);
    s.bar = shared(bar);
    s.stripDirty = true;
    if (s.bar) qz::host::gStripHeight.store(qz::host::kMenuStripHeight);
  }
  qz::host::backend().presentLater();
}

QzMenu* Qz_GetMainMenu(void) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  return state().bar.get();
}

void Qz_DrawMenuBar(void) {
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    state().stripDirty = true;
    markOpenDirty();
  }
  qz::host::backend().presentLater();
}

QZ_EXTERN_C_END

namespace qz::menus {

namespace {

void dumpInto(const QzMenu& menu, int depth, std::string& out) {
  for (const Entry& e : menu.entries) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    if (e.kind == Kind::Separator) {
      out += "-\n";
      continue;
    }
    if (e.kind == Kind::Sub) out += "> " + e.label;
    else out += std::to_string(e.id) + " " + e.label;
    if (!e.enabled) out += " [grey]";
    if (e.checked) out += " [check]";
    out += "\n";
    if (e.kind == Kind::Sub && e.sub) dumpInto(*e.sub, depth + 1, out);
  }
}

}  // namespace

std::string dump(QzMenu* menu) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  std::string out;
  if (shared(menu)) dumpInto(*menu, 0, out);
  return out;
}

void settlePasteCheck() { pasteChecker().settle(); }

bool dropDownOpen() {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  return state().openTitle >= 0;
}

}  // namespace qz::menus
