// The part of the tabbed gadgets both orientations share: tabs made in
// the labels phase, pages shown by index or by label, and object text in
// the two-phase form.
#include <cstdio>

#include "gadgets/qz_group.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_text.h"
#include "objects/qz_notify.h"

namespace qz::gadgets {

int pageAtIndex(std::size_t count, uint32_t index) {
  if (count == 0) return -1;
  return index < count ? int(index) : 0;
}

namespace {

QzWord addTab(Qz_Object* self, PagesCore& core, Qz_Object* label) {
  // Weight 0: a tab keeps its label's size. A button's own 200 would ask
  // for twice the spare room and push the last tabs over the neighbours.
  Qz_Object* tab = Qz_CreateObject("Button", kButtonSilent, 1, kButtonType, core.verticalTabs ? 14 : 9,
                                   kRootSetWeight, 0);
  if (tab == nullptr) return 0;
  if (core.verticalTabs) Qz_DoMethod(tab, kGroupSetMode, 2);
  core.records.push_back(PageRecord{label, tab});
  Qz_DoMethod(tab, kRootSetUserData, label);
  Qz_AddNotify(tab, kRootSelect, kNotifyAnyValue, self, 2, kGroupShowPageObject, label);
  Qz_DoMethod(core.tabs, kGroupAddTail, tab);
  Qz_DoMethod(tab, core.verticalTabs ? kGroupAddHead : kGroupAddTail, label);
  if (core.filler != nullptr) {
    Qz_DoMethod(core.tabs, kGroupRemove, core.filler);
    Qz_DoMethod(core.tabs, kGroupAddTail, core.filler);
  }
  return 1;
}

QzWord removeTab(PagesCore& core, QzWord label) {
  for (std::size_t i = 0; i < core.records.size(); ++i) {
    if (reinterpret_cast<QzWord>(core.records[i].label) != label) continue;
    Qz_Object* tab = core.records[i].tab;
    core.records.erase(core.records.begin() + std::ptrdiff_t(i));
    if (core.current == int(i)) core.current = -1;
    else if (core.current > int(i)) --core.current;
    Qz_DoMethod(core.tabs, kGroupRemove, tab);
    Qz_DisposeObject(tab);  // with its label
    return 1;
  }
  return 0;
}

int recordOfLabel(const PagesCore& core, QzWord label) {
  for (std::size_t i = 0; i < core.records.size(); ++i) {
    if (reinterpret_cast<QzWord>(core.records[i].label) == label) return int(i);
  }
  return -1;
}

// Pressing the new tab fires its notification, which asks for the same
// page again: that echo is answered at once.
QzWord showRecord(PagesCore& core, int record) {
  if (record < 0 || core.showing) return 0;
  core.showing = true;
  if (core.current >= 0 && core.current != record) Qz_DoMethod(core.records[std::size_t(core.current)].tab, kRootDeselect);
  Qz_Object* tab = core.records[std::size_t(record)].tab;
  Qz_DoMethod(tab, kRootSelect);
  core.current = record;
  Qz_DoMethod(core.pages, kGroupShowPage, uint32_t(record));
  Qz_DoMethod(tab, kRootDraw);
  core.showing = false;
  return 1;
}

QzWord store(PagesCore& core, const QzWord* args) {
  std::vector<Qz_Object*> tabs;
  for (const PageRecord& r : core.records) tabs.push_back(r.tab);
  return storeTabbedPages(reinterpret_cast<Qz_StoreObjectData*>(args[0]), tabs, core.pages, true);
}

}  // namespace

QzWord storeTabbedPages(Qz_StoreObjectData* state, std::span<Qz_Object* const> tabs, Qz_Object* pages,
                        bool indented) {
  if (state == nullptr || state->file == nullptr) return 0;
  const auto phaseLine = [&](int on) {
    for (int32_t i = 0; indented && i < state->depth; ++i) std::fputc('\t', state->file);
    std::fprintf(state->file, "Qz_AddingPageLabels,\t\t\t%ld,\n", long(on));
  };
  phaseLine(1);
  for (Qz_Object* tab : tabs) Qz_DoMethod(tab, kRootStoreChildren, state);
  phaseLine(0);
  Qz_DoMethod(pages, kRootStoreChildren, state);
  return 1;
}

QzWord pagesMethod(Qz_Object* self, PagesCore& core, uint32_t id, const QzWord* args, bool& handled) {
  handled = true;
  switch (id) {
    case kPagesLabelsPhase:
    case kPagesLabelsPhaseText: core.labelsPhase = args[0] != 0; return 0;
    case kGroupAddTail:
      if (args[0] == 0) return 0;
      if (core.labelsPhase) return addTab(self, core, reinterpret_cast<Qz_Object*>(args[0]));
      return Qz_DoMethod(core.pages, kGroupAddTail, args[0]);
    case kGroupRemove:
      if (core.labelsPhase) return removeTab(core, args[0]);
      return Qz_DoMethod(core.pages, kGroupRemove, args[0]);
    case kGroupShowPage: return showRecord(core, pageAtIndex(core.records.size(), uint32_t(args[0])));
    case kGroupShowPageObject: return showRecord(core, recordOfLabel(core, args[0]));
    case kGroupGetPageIndex:
    case kGroupGetPageObject: return Qz_DoMethodA(core.pages, id, args);
    case kPagesGetPageGroup: return reinterpret_cast<QzWord>(core.pages);
    case kPagesGetTabs: return reinterpret_cast<QzWord>(core.tabs);
    case kRootStoreChildren: return store(core, args);
    case kRootDraw: {
      const QzWord r = Qz_DoMethodA(self->super, id, args);
      if (core.current >= 0) Qz_DoMethod(core.records[std::size_t(core.current)].tab, kRootDraw);
      return r;
    }
    default: handled = false; return 0;
  }
}

}  // namespace qz::gadgets
