// ModePanel: the options panel a mode describes as a table of rows. A
// RootPlugin holding the rows' gadgets; it keeps, per row, the gadget and
// the wiring between the gadget and the mode's setter, and answers one method
// of its own, run on its window's thread: show a value in a row's gadget.
#include "modes/mode_panel.h"

#include <vector>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "modes/qz_root_mode.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"
#include "plugins/qz_root_plugin.h"

namespace qz::modes {
namespace {

// The panel's own, run on its window's thread: row index, value (a radio
// pair's: the index of the box chosen).
constexpr uint32_t kShowRow = 0x3E807D0;

struct Qz_ModePanelObject;

// One row's gadgets and wiring. The panel keeps them in a vector sized once,
// so the notifications can carry their address.
struct Qz__Link {
  Qz_ModePanelObject* panel = nullptr;
  uint32_t index = 0;
  Qz_Object* gadget = nullptr;
  Qz_Object* partner = nullptr;  // a radio pair's second box
  QzWord follows[2] = {};        // notifications of the setters on the mode
};

struct Qz_ModePanelObject {
  Qz_Object header{};
  Qz_Object* mode = nullptr;
  std::span<const PanelRow> rows{};
  std::vector<Qz__Link> links;
};

Qz_ModePanelObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_ModePanelObject>(object); }

// The setter sent from a gadget's change on this thread, and what the mode
// stored meanwhile: a setter that clamps is shown what it kept.
struct Qz__Sending {
  const Qz__Link* link = nullptr;
  bool noticed = false;
  QzWord stored = 0;
};
thread_local std::vector<Qz__Sending*> tSending;

Qz__Sending* Qz__SendingFor(const Qz__Link* link) {
  for (Qz__Sending* s : tSending)
    if (s->link == link) return s;
  return nullptr;
}

const char* Qz__Text(const PanelLabel& label) {
  if (label.literal) return label.literal;
  return label.entry ? qz::plugins::catalogueText(label.entry) : "";
}

// The method that sets (and notifies) each kind of gadget's value.
uint32_t Qz__ValueMethod(const PanelRow& r) {
  switch (r.item) {
    case PanelItem::Slider: return kValueSet;
    case PanelItem::CheckBox:
    case PanelItem::RadioPair: return kCheckBoxSetState;
    case PanelItem::PopUpList: return kPopUpListSetIndex;
    case PanelItem::Angle: return kAngleSet;
    case PanelItem::Number: return kStringEditSetNumber;
    case PanelItem::Colour: return kQzColourEditColour;
    case PanelItem::Button: return kButtonPressed;
    case PanelItem::Custom: return r.valueMethod;
    default: return 0;
  }
}

const char* Qz__ClassOf(PanelItem item) {
  switch (item) {
    case PanelItem::Slider: return "CompactSlider";
    case PanelItem::CheckBox:
    case PanelItem::RadioPair: return "CheckBox";
    case PanelItem::PopUpList: return "PopUpList";
    case PanelItem::Angle: return "Angle";
    case PanelItem::Number: return "StringEdit";
    case PanelItem::Button: return "Button";
    case PanelItem::Colour: return "ColourEdit";
    case PanelItem::Space: return "Space";
    case PanelItem::Custom: return "Root";  // the mode's own make checks the rest
    default: return "Group";
  }
}

bool Qz__ClassesThere(std::span<const PanelRow> rows) {
  for (const char* name : {"ModePanel", "RootPlugin", "Group", "Text"})
    if (!Qz_FindClassFromName(name)) return false;
  for (const PanelRow& r : rows)
    if (!Qz_FindClassFromName(Qz__ClassOf(r.item))) return false;
  return true;
}

Qz_Object* Qz__Target(const Qz_ModePanelObject* p, PanelTarget target) {
  Qz_Object* mode = Qz_GetTopMostObject(p->mode);
  if (target == PanelTarget::Mode) return mode;
  auto* layer = reinterpret_cast<Qz_Image*>(Qz_DoMethod(mode, kQzModeGetImage));
  return layer ? &layer->object : nullptr;
}

// Shows a value in the row's gadgets without sending it back.
void Qz__Show(const Qz__Link& link, QzWord value) {
  const PanelRow& r = link.panel->rows[link.index];
  qz::plugins::FollowGuard showing(link.panel);
  if (r.item == PanelItem::RadioPair) {
    Qz_DoMethod(link.gadget, kCheckBoxSetState, value == 0 ? 1u : 0u);
    Qz_DoMethod(link.partner, kCheckBoxSetState, value == 1 ? 1u : 0u);
    return;
  }
  if (const uint32_t method = Qz__ValueMethod(r); method && r.item != PanelItem::Button)
    Qz_DoMethod(link.gadget, method, value);
}

void Qz__Send(const Qz__Link& link, uint32_t setter, QzWord value) {
  const PanelRow& r = link.panel->rows[link.index];
  Qz_Object* target = Qz__Target(link.panel, r.target);
  if (!setter || !target) return;
  Qz__Sending sending{&link};
  tSending.push_back(&sending);
  Qz_DoMethod(target, setter, value);
  tSending.pop_back();
  if (sending.noticed && sending.stored != value && r.item != PanelItem::RadioPair)
    Qz__Show(link, sending.stored);
}

// A gadget changed (the user, or code setting it): its setter goes to the mode.
void Qz__GadgetChanged(QzWord user, Qz_Object* source, uint32_t, const QzWord* value) {
  const auto* link = reinterpret_cast<const Qz__Link*>(user);
  if (qz::plugins::FollowGuard::active(link->panel)) return;  // our own showing
  const PanelRow& r = link->panel->rows[link->index];
  if (r.item != PanelItem::RadioPair) return Qz__Send(*link, r.setter, value[0]);
  // Either box, whatever its new state, chooses itself; the pair is set
  // here once, so clearing the partner cannot choose it in turn.
  const bool second = source == link->partner;
  Qz__Show(*link, second ? 1 : 0);
  // A box the user cleared takes no new state inside its own change: it is
  // ticked again once that is over.
  if (value[0] == 0) qz::plugins::runOnPanelThread(&link->panel->header, kShowRow, link->index, second ? 1 : 0);
  Qz__Send(*link, second ? r.secondSetter : r.setter, uint32_t(second ? r.secondValue : r.firstValue));
}

// The box a setter's notification chooses, or -1 for none.
int32_t Qz__PairChoice(const PanelRow& r, uint32_t setter, QzWord value) {
  const auto v = int32_t(uint32_t(value));
  if (setter == r.setter && v == r.firstValue) return 0;
  if (setter == r.secondSetter && v == r.secondValue) return 1;
  return -1;
}

// The mode stored a value, on any thread: the gadget shows it on its own.
void Qz__SettingNoticed(QzWord user, Qz_Object*, uint32_t method, const QzWord* value) {
  const auto* link = reinterpret_cast<const Qz__Link*>(user);
  if (Qz__Sending* s = Qz__SendingFor(link)) {  // the gadget shows it already
    s->noticed = true;
    s->stored = value[0];
    return;
  }
  const PanelRow& r = link->panel->rows[link->index];
  QzWord shown = value[0];
  if (r.item == PanelItem::RadioPair) {
    const int32_t choice = Qz__PairChoice(r, method, value[0]);
    if (choice < 0) return;
    shown = uint32_t(choice);
  }
  qz::plugins::runOnPanelThread(&link->panel->header, kShowRow, link->index, shown);
}

// ---- building ----

Qz_Object* Qz__Labelled(const PanelLabel& label, Qz_Object* gadget) {
  if (!gadget || label.empty()) return gadget;
  Qz_Object* text = Qz_CreateObject("Text", kRootSetLabel, Qz__Text(label));
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!text || !column) {
    for (Qz_Object* o : {gadget, text, column}) Qz_DisposeObject(o);
    return nullptr;
  }
  Qz_DoMethod(column, kGroupAddTail, text);
  Qz_DoMethod(column, kGroupAddTail, gadget);
  return column;
}

// A check box keeps its own height: as a button it is weighted and its
// filler could stretch it down the column, far from the next row.
Qz_Object* Qz__CheckBox(const PanelLabel& label, bool checked) {
  return Qz_CreateObject("CheckBox", kRootSetLabel, Qz__Text(label), kCheckBoxSetState, checked ? 1u : 0u,
                         kGroupSetFixedHeight, 1);
}

Qz_Object* Qz__PopUpList(const PanelRow& r) {
  Qz_Object* list = Qz_CreateObject("PopUpList");
  if (!list) return nullptr;
  for (const PanelLabel& entry : r.entries) {
    Qz_Object* line = Qz_CreateObject("Text", kRootSetLabel, Qz__Text(entry));
    if (!line) {
      Qz_DisposeObject(list);
      return nullptr;
    }
    Qz_DoMethod(list, kGroupAddTail, line);
  }
  Qz_DoMethod(list, kPopUpListSetIndex, uint32_t(r.initial));
  return list;
}

// The row's gadget (put in `link`) and what goes into the group for it.
Qz_Object* Qz__MakeGadget(const PanelRow& r, Qz__Link& link, Qz_Object* mode) {
  const auto initial = uint32_t(r.initial);
  switch (r.item) {
    case PanelItem::Slider:
      link.gadget = Qz_CreateObject("CompactSlider", kValueSetMinimum, uint32_t(r.minimum), kValueSetMaximum,
                                    uint32_t(r.maximum), kValueSet, initial, kValueSetFormat, r.format,
                                    kNotifyWhileDragging, 1);
      if (link.gadget && r.colour) Qz_DoMethod(link.gadget, kRootDeriveColours, r.colour);
      return Qz__Labelled(r.label, link.gadget);
    case PanelItem::CheckBox: return link.gadget = Qz__CheckBox(r.label, r.initial != 0);
    case PanelItem::PopUpList: return Qz__Labelled(r.label, link.gadget = Qz__PopUpList(r));
    case PanelItem::Angle: return Qz__Labelled(r.label, link.gadget = Qz_CreateObject("Angle", kAngleSet, initial));
    case PanelItem::Number:
      link.gadget = Qz_CreateObject("StringEdit", kStringEditSetNumeric, 1, kStringEditSetNumber, initial);
      return Qz__Labelled(r.label, link.gadget);
    case PanelItem::Button: return link.gadget = qz::plugins::textButton(Qz__Text(r.label));
    case PanelItem::Colour: return link.gadget = Qz_CreateObject("ColourEdit");
    case PanelItem::Text: return Qz_CreateObject("Text", kRootSetLabel, Qz__Text(r.label));
    case PanelItem::Space: return Qz_CreateObject("Space", kSpaceSetSize, initial);
    case PanelItem::Custom: return Qz__Labelled(r.label, link.gadget = r.make ? r.make(mode) : nullptr);
    default: return nullptr;
  }
}

// A radio pair's two boxes, one after the other in the group.
bool Qz__AddPair(const PanelRow& r, Qz__Link& link, Qz_Object* group) {
  link.gadget = Qz__CheckBox(r.label, r.initial == 0);
  link.partner = Qz__CheckBox(r.secondLabel, r.initial == 1);
  if (!link.gadget || !link.partner) {
    Qz_DisposeObject(link.gadget);
    Qz_DisposeObject(link.partner);
    return false;
  }
  Qz_DoMethod(group, kGroupAddTail, link.gadget);
  Qz_DoMethod(group, kGroupAddTail, link.partner);
  return true;
}

Qz_Object* Qz__MakeGroup(const PanelRow& r) {
  Qz_Object* group = Qz_CreateObject("Group", kGroupSetMode, r.item == PanelItem::Row ? 2u : 1u);
  if (!group) return nullptr;
  if (!r.label.empty()) Qz_DoMethod(group, kRootSetLabel, Qz__Text(r.label));
  if (r.frame) Qz_DoMethod(group, kGroupSetFrame, r.frame);
  return group;
}

// The content column with every row's gadget; null (nothing left over) when
// any cannot be made or the groups do not match.
Qz_Object* Qz__MakeContent(Qz_ModePanelObject* p) {
  Qz_Object* content = Qz_CreateObject("Group", kGroupSetMode, 1);
  std::vector<Qz_Object*> open{content};
  bool whole = content != nullptr;
  for (uint32_t i = 0; whole && i < p->rows.size(); ++i) {
    const PanelRow& r = p->rows[i];
    Qz__Link& link = p->links[i];
    if (r.item == PanelItem::End) {
      whole = open.size() > 1;
      open.pop_back();
      continue;
    }
    if (r.item == PanelItem::Column || r.item == PanelItem::Row) {
      Qz_Object* group = Qz__MakeGroup(r);
      whole = group != nullptr;
      if (whole) Qz_DoMethod(open.back(), kGroupAddTail, group);
      open.push_back(group);
      continue;
    }
    if (r.item == PanelItem::RadioPair) {
      whole = Qz__AddPair(r, link, open.back());
      continue;
    }
    Qz_Object* member = Qz__MakeGadget(r, link, p->mode);
    whole = member != nullptr;
    if (whole) Qz_DoMethod(open.back(), kGroupAddTail, member);
  }
  whole = whole && open.size() == 1;
  if (!whole) {
    Qz_DisposeObject(content);
    for (Qz__Link& link : p->links) link.gadget = link.partner = nullptr;
    return nullptr;
  }
  return content;
}

void Qz__Wire(Qz_ModePanelObject* p) {
  for (Qz__Link& link : p->links) {
    const PanelRow& r = p->rows[link.index];
    if (!link.gadget || !r.setter) continue;
    const auto user = reinterpret_cast<QzWord>(&link);
    const uint32_t changed = Qz__ValueMethod(r);
    if (!changed) continue;
    Qz_AddCallBackNotify(link.gadget, changed, kNotifyAnyValue, Qz__GadgetChanged, user);
    if (link.partner) Qz_AddCallBackNotify(link.partner, changed, kNotifyAnyValue, Qz__GadgetChanged, user);
    // A layer row's setter is the layer's; a button shows nothing.
    if (r.target != PanelTarget::Mode || r.item == PanelItem::Button) continue;
    link.follows[0] = Qz_AddCallBackNotify(p->mode, r.setter, kNotifyAnyValue, Qz__SettingNoticed, user);
    if (r.item == PanelItem::RadioPair && r.secondSetter != r.setter)
      link.follows[1] = Qz_AddCallBackNotify(p->mode, r.secondSetter, kNotifyAnyValue, Qz__SettingNoticed, user);
  }
}

QzWord Qz__ModePanelDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ModePanelObject* p = Qz__Self(object);
  if (id == kShowRow) {
    if (args[0] < p->links.size() && p->links[args[0]].gadget) Qz__Show(p->links[args[0]], args[1]);
    return 0;
  }
  return qz::kit::inherited(object, id, args);
}

void Qz__ModePanelTearDown(Qz_Object* object) {
  Qz_ModePanelObject* p = Qz__Self(object);
  for (Qz__Link& link : p->links)
    for (QzWord& handle : link.follows) {
      if (handle) Qz_RemoveNotify(p->mode, handle);
      handle = 0;
    }
}

const qz::kit::ClassDecl kModePanel = {
    .name = "ModePanel", .superName = "RootPlugin", .classId = kRootPluginClassId,
    .instance = qz::kit::instanceOf<Qz_ModePanelObject>(), .handler = Qz__ModePanelDispatch,
    .tearDown = Qz__ModePanelTearDown};

Qz__Link* Qz__FindLink(Qz_Object* mode, uint32_t setter, PanelTarget target) {
  auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(Qz_GetTopMostObject(mode), kQzModeGetPanel));
  if (!panel || qz::kit::declOf(panel) != &kModePanel) return nullptr;
  Qz_ModePanelObject* p = Qz__Self(panel);
  for (Qz__Link& link : p->links) {
    const PanelRow& r = p->rows[link.index];
    if (link.gadget && r.target == target && (r.setter == setter || (link.partner && r.secondSetter == setter)))
      return &link;
  }
  return nullptr;
}

}  // namespace

bool buildPanel(Qz_Object* mode, const PanelSpec& spec) {
  if (!mode || !Qz__ClassesThere(spec.rows)) return false;
  Qz_Object* panel = Qz_CreateObject("ModePanel");
  if (!panel) return false;
  Qz_ModePanelObject* p = Qz__Self(panel);
  p->mode = mode;
  p->rows = spec.rows;
  try {
    p->links.resize(spec.rows.size());
  } catch (const std::bad_alloc&) {
    Qz_DisposeObject(panel);
    return false;
  }
  for (uint32_t i = 0; i < p->links.size(); ++i) p->links[i] = {.panel = p, .index = i};
  Qz_Object* content = Qz__MakeContent(p);
  if (!content) {
    Qz_DisposeObject(panel);
    return false;
  }
  Qz_DoMethod(panel, kQzPluginSetTitle, spec.title);
  Qz_DoMethod(panel, kLinkedListAddTail, content);
  Qz__Wire(p);
  Qz_DoMethod(mode, kQzModeSetPanel, panel);
  return true;
}

void showInPanel(Qz_Object* mode, uint32_t setter, QzWord value, PanelTarget target) {
  const Qz__Link* link = Qz__FindLink(mode, setter, target);
  if (!link) return;
  const PanelRow& r = link->panel->rows[link->index];
  if (r.item == PanelItem::RadioPair) {
    const int32_t choice = Qz__PairChoice(r, setter, value);
    if (choice < 0) return;
    value = uint32_t(choice);
  }
  qz::plugins::runOnPanelThread(&link->panel->header, kShowRow, link->index, value);
}

Qz_Object* panelGadget(Qz_Object* mode, uint32_t setter, PanelTarget target) {
  const Qz__Link* link = Qz__FindLink(mode, setter, target);
  return link ? link->gadget : nullptr;
}

QzWord addModePanelClass() { return qz::kit::addClass(kModePanel); }
void removeModePanelClass() { qz::kit::removeClass(kModePanel); }

}  // namespace qz::modes
