// A mode's options panel, described as a short table of rows and built once
// by the mode's setUp. Each row is a gadget (compact slider, check box, a
// pair of check boxes acting as radio buttons, pop-up list, angle dial,
// number entry, button, colour editor), a line of text, a space, or the
// start or end of a group; labels are catalogue entries or literals.
//
//   constexpr qz::modes::PanelRow kRows[] = {
//       qz::modes::slider(89, kQzModeSetRadius, 1, 16, 1, "%ld"),
//       qz::modes::text("Quality"),
//       qz::modes::row(),
//       qz::modes::radioPair("Low", "High", kSetQuality, 1),
//       qz::modes::end()};
//   constexpr qz::modes::PanelSpec kPanel{"Median", kRows};
//   ... .setUp = qz::modes::panelSetUp<kPanel> ...
//
// Wiring, both ways: a gadget's change sends the row's setter to the mode
// (or to its layer) with the gadget's value; a notification of that setter
// on the mode (the kit's attribute rows fire one with the stored value; a
// hand-written setter fires it with Qz_DoNotify) shows the value in the
// gadget, always on the panel's window thread, from whichever thread the
// setter ran on. Showing a value never sends the setter back.
//
// Without the panel classes (RootPlugin and the gadgets a row needs) the
// mode gets no panel and works all the same.
#pragma once

#include <cstdint>
#include <span>

#include "objects/qz_object.h"
#include "platform/qz_export.h"

namespace qz::modes {

// A catalogue entry or a literal text. Entry 0 is no label.
struct PanelLabel {
  uint32_t entry = 0;
  const char* literal = nullptr;
  constexpr PanelLabel() = default;
  constexpr PanelLabel(uint32_t catalogueEntry) : entry(catalogueEntry) {}
  constexpr PanelLabel(const char* text) : literal(text) {}
  constexpr bool empty() const { return entry == 0 && (!literal || !*literal); }
};

enum class PanelItem : uint8_t {
  Slider, CheckBox, RadioPair, PopUpList, Angle, Number, Button, Colour,
  Text, Space, Column, Row, End, Custom
};

// Where a row's setter goes: the mode, or the layer the mode works on.
enum class PanelTarget : uint8_t { Mode, Layer };

struct PanelRow {
  PanelItem item = PanelItem::Space;
  PanelLabel label{};           // above the gadget; a check box's or button's own text; a group's frame label
  uint32_t setter = 0;          // sent with the gadget's value; 0: the gadget sends nothing
  int32_t minimum = 0, maximum = 0;
  int32_t initial = 0;          // the gadget's first value; a radio pair's: 0 first box, 1 second
  const char* format = "%ld";   // a slider's value format
  PanelTarget target = PanelTarget::Mode;
  uint32_t colour = 0;          // a slider's base colour (0x00BBGGRR), 0: the usual one
  uint32_t frame = 0;           // a group's frame kind
  std::span<const PanelLabel> entries{};  // a pop-up list's entries, in index order
  // A radio pair's second box: its text, and what each box sends when chosen.
  PanelLabel secondLabel{};
  uint32_t secondSetter = 0;
  int32_t firstValue = 0, secondValue = 1;
  // A gadget the mode makes itself, and the method that sets it and tells of its change.
  Qz_Object* (*make)(Qz_Object* mode) = nullptr;
  uint32_t valueMethod = 0;
};

// A compact slider from minimum to maximum under its label.
constexpr PanelRow slider(PanelLabel label, uint32_t setter, int32_t minimum, int32_t maximum,
                          int32_t initial, const char* format = "%ld", uint32_t colour = 0) {
  return {.item = PanelItem::Slider, .label = label, .setter = setter, .minimum = minimum,
          .maximum = maximum, .initial = initial, .format = format, .colour = colour};
}

// A check box labelled by its own text; sends 1 or 0.
constexpr PanelRow checkBox(PanelLabel label, uint32_t setter, bool checked = false) {
  return {.item = PanelItem::CheckBox, .label = label, .setter = setter, .initial = checked ? 1 : 0};
}

// Two check boxes, exactly one ticked: any change of either box chooses it.
// This form drives one setting: the first box sends 0, the second 1.
constexpr PanelRow radioPair(PanelLabel first, PanelLabel second, uint32_t setter, int32_t chosen = 0) {
  return {.item = PanelItem::RadioPair, .label = first, .setter = setter, .initial = chosen,
          .secondLabel = second, .secondSetter = setter, .firstValue = 0, .secondValue = 1};
}

// The same with a method per box, each sent with 1 when its box is chosen.
constexpr PanelRow radioPair(PanelLabel first, uint32_t firstSetter, PanelLabel second, uint32_t secondSetter,
                             int32_t chosen = 0) {
  return {.item = PanelItem::RadioPair, .label = first, .setter = firstSetter, .initial = chosen,
          .secondLabel = second, .secondSetter = secondSetter, .firstValue = 1, .secondValue = 1};
}

// A pop-up list of entries under its label; sends the chosen index.
constexpr PanelRow popUpList(PanelLabel label, uint32_t setter, std::span<const PanelLabel> entries,
                             int32_t initial = 0) {
  return {.item = PanelItem::PopUpList, .label = label, .setter = setter, .initial = initial, .entries = entries};
}

// An angle dial (degrees) under its label.
constexpr PanelRow angle(PanelLabel label, uint32_t setter, int32_t initial = 0) {
  return {.item = PanelItem::Angle, .label = label, .setter = setter, .initial = initial};
}

// A text entry holding an integer, under its label.
constexpr PanelRow number(PanelLabel label, uint32_t setter, int32_t initial = 0) {
  return {.item = PanelItem::Number, .label = label, .setter = setter, .initial = initial};
}

// A push button showing its label; a press sends the setter.
constexpr PanelRow button(PanelLabel label, uint32_t setter) {
  return {.item = PanelItem::Button, .label = label, .setter = setter};
}

// A colour editor; sends the colour, red | green << 8 | blue << 16.
constexpr PanelRow colour(uint32_t setter, PanelTarget target = PanelTarget::Mode) {
  return {.item = PanelItem::Colour, .setter = setter, .target = target};
}

// A gadget no other row makes (a histogram, a mutual-exclude choice), made
// by the mode (given the object building its panel) under its label. With a
// value method, it is wired both ways like the others: the method sets the
// gadget's value and is its change notification.
constexpr PanelRow custom(PanelLabel label, Qz_Object* (*make)(Qz_Object* mode), uint32_t valueMethod = 0,
                          uint32_t setter = 0) {
  return {.item = PanelItem::Custom, .label = label, .setter = setter, .make = make, .valueMethod = valueMethod};
}

constexpr PanelRow text(PanelLabel label) { return {.item = PanelItem::Text, .label = label}; }
constexpr PanelRow space(int32_t size = 0) { return {.item = PanelItem::Space, .initial = size}; }

// Groups: the rows up to the matching end() go in a column or a row,
// framed and labelled when asked. The panel itself is a column.
constexpr PanelRow column(PanelLabel label = {}, uint32_t frame = 0) {
  return {.item = PanelItem::Column, .label = label, .frame = frame};
}
constexpr PanelRow row(PanelLabel label = {}, uint32_t frame = 0) {
  return {.item = PanelItem::Row, .label = label, .frame = frame};
}
constexpr PanelRow end() { return {.item = PanelItem::End}; }

struct PanelSpec {
  const char* title = "";
  std::span<const PanelRow> rows{};
};

// Builds the panel its table of rows describes and hands it to the mode (its
// RootMode instance keeps and disposes it). False, and no panel, when the
// panel classes are missing or a gadget cannot be made: the mode works
// without one. The table must outlive the mode.
QZ_EXPORT bool buildPanel(Qz_Object* mode, const PanelSpec& spec);

// A setUp that builds the mode's panel and never fails.
template <const PanelSpec& Spec>
bool panelSetUp(Qz_Object* mode) {
  buildPanel(mode, Spec);
  return true;
}

// Shows a value in the gadget of the row with this setter and target (a
// layer row follows no notification: its mode shows the layer's value when
// the layer is handed over). Safe from any thread; nothing without a panel.
QZ_EXPORT void showInPanel(Qz_Object* mode, uint32_t setter, QzWord value,
                           PanelTarget target = PanelTarget::Mode);

// The gadget of the row with this setter and target (a radio pair's first
// box), null without one: for tests and for what a table cannot say.
QZ_EXPORT Qz_Object* panelGadget(Qz_Object* mode, uint32_t setter, PanelTarget target = PanelTarget::Mode);

// The class of the panels, registered with RootMode.
QZ_EXPORT QzWord addModePanelClass();
QZ_EXPORT void removeModePanelClass();

}  // namespace qz::modes
