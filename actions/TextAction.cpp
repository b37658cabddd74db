// TextAction: text typed into a box on a paint layer and drawn glyph by
// glyph into its transparency, so the layer's mode paints the letters. The
// box is the action's first and third points; the text is UTF-8. Input
// from the text tool edits it in place (caret, keys, pasted text); each
// edit replays the layer on the next tick, which draws the text anew.
#include <algorithm>
#include <cstring>
#include <string>

#include "actions/action_internal.h"
#include "actions/text_drawing.h"
#include "actions/text_editing.h"
#include "actions/text_font_cache.h"
#include "gadgets/qz_input_event.h"
#include "platform/clipboard.h"
#include "platform/windows.h"
#include "tools/box_preview.h"

namespace {

using namespace qz::actions;
using namespace qz::text;

constexpr uint16_t kShiftQualifiers = 0x0003, kControlQualifier = 0x0008;
constexpr uint32_t kRightKey = 78, kLeftKey = 79, kBackspaceKey = 8, kDeleteKey = 127, kControlV = 22;
constexpr size_t kFontNameBytes = 128;

struct TextData {
  Qz_Object header;
  int32_t fontSize = 100;
  uint32_t trans = 255, antiAlias = 2, style = 0, keyValue = 0, live = 1;
  std::string fontName = "DejaVu Sans";
  std::string stored;  // the text as UTF-8, answered by the getter
  TextEdit edit;
  int32_t changes = 0;  // edits not yet drawn
  bool caretShown = false;
  int32_t caretX = 0, caretY = 0, caretHeight = 0;  // where it was drawn, layer pixels
};

void Qz__Changed(Qz_Object* self);

const qz::kit::Attribute kAttributes[] = {
    {.setter = kTextActionSetFontSize, .getter = kTextActionGetFontSize, .minimum = 1, .maximum = 4096,
     .initial = 100, .field = qz::kit::field(&TextData::fontSize), .setterName = "Qz_SetTextActionFontSize",
     .getterName = "Qz_GetTextActionFontSize", .changed = Qz__Changed, .answersZero = true},
    {.setter = kTextActionSetTrans, .getter = kTextActionGetTrans, .maximum = 255, .initial = 255,
     .field = qz::kit::field(&TextData::trans), .setterName = "Qz_SetTextActionTrans",
     .getterName = "Qz_GetTextActionTrans", .changed = Qz__Changed, .answersZero = true},
    {.setter = kTextActionSetAntiAlias, .getter = kTextActionGetAntiAlias, .minimum = 1, .maximum = 8, .initial = 2,
     .field = qz::kit::field(&TextData::antiAlias), .setterName = "Qz_SetTextActionAntiAlias",
     .getterName = "Qz_GetTextActionAntiAlias", .changed = Qz__Changed, .answersZero = true},
    {.setter = kTextActionSetStyle, .getter = kTextActionGetStyle, .maximum = 7,
     .field = qz::kit::field(&TextData::style), .setterName = "Qz_SetTextActionStyle",
     .getterName = "Qz_GetTextActionStyle", .changed = Qz__Changed, .answersZero = true},
    {.setter = kTextActionSetKeyValue, .getter = kTextActionGetKeyValue, .maximum = 0x7FFFFFFF,
     .field = qz::kit::field(&TextData::keyValue), .setterName = "Qz_SetTextActionKeyValue",
     .getterName = "Qz_GetTextActionKeyValue", .changed = Qz__Changed, .answersZero = true},
    {.setter = kTextActionSetLive, .getter = kTextActionGetLive, .maximum = 1, .initial = 1,
     .field = qz::kit::field(&TextData::live), .answersZero = true},
};

const Qz_Method kMethods[] = {
    {kTextActionSetFontName, "Qz_SetTextActionFontName", kQzMethodSetter, kTextActionGetFontName, "%s", 0, nullptr,
     0, 0},
    {kTextActionGetFontName, "Qz_GetTextActionFontName", kQzMethodStoredGetter, kTextActionSetFontName, nullptr, 0,
     "%s", 0, 0},
    {kTextActionSetString, "Qz_SetTextActionString", kQzMethodSetter, kTextActionGetString, "%s", 0, nullptr, 0, 0},
    {kTextActionGetString, "Qz_GetTextActionString", kQzMethodStoredGetter, kTextActionSetString, nullptr, 0, "%s",
     0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

TextData* Qz__Data(Qz_Object* self) { return reinterpret_cast<TextData*>(self); }
Qz_Object* Qz__Outer(Qz_Object* self) { return Qz_GetTopMostObject(self); }
Qz_Image* Qz__Layer(Qz_Object* self) { return layerOf(Qz__Outer(self)); }

// The box from the first and third points, both included.
TextBox Qz__Box(Qz_Object* self) {
  auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(Qz__Outer(self), kActionGetPoints));
  Qz_Object* first = list ? listFirst(list) : nullptr;
  Qz_Object* second = first ? listOlder(list, first) : nullptr;
  Qz_Object* third = second ? listOlder(list, second) : nullptr;
  if (!third) return {};
  const int32_t x0 = int32_t(Qz_DoMethod(first, kActionGetX)), y0 = int32_t(Qz_DoMethod(first, kActionGetY));
  const int32_t x2 = int32_t(Qz_DoMethod(third, kActionGetX)), y2 = int32_t(Qz_DoMethod(third, kActionGetY));
  return {std::min(x0, x2), std::min(y0, y2), std::abs(x2 - x0) + 1, std::abs(y2 - y0) + 1};
}

FontKey Qz__Key(const TextData* t) {
  return {t->fontSize, t->antiAlias, t->style, t->keyValue, t->fontName};
}

// The text's face (none when it cannot be opened) and box; the lines are
// laid out under the face's lock.
struct Layout {
  std::shared_ptr<FontEntry> font;
  TextBox box;
  std::vector<TextLine> lines;
  void lay(const TextData* t) { lines = layoutLines(*font, t->edit.text, box.width, box.height, t->fontSize); }
};
Layout Qz__Layout(Qz_Object* self, TextData* t) { return {FontCache::shared().entry(Qz__Key(t)), Qz__Box(self), {}}; }

QzWord Qz__Apply(Qz_Object* self, TextData* t) {
  Qz_Image* layer = Qz__Layer(self);
  if (!layer || layer->depth != 8 || !layer->grey) return 1;
  Layout l = Qz__Layout(self, t);
  if (!l.font) return 1;
  std::lock_guard<std::mutex> lock(l.font->mutex());
  l.lay(t);
  const DrawnArea area = drawTextLines(*l.font, t->edit.text, l.lines, l.box, {layer->grey, layer->width, layer->height},
                                       t->trans);
  if (!area.empty()) Qz_ModifiedImageData(layer, area.x0, area.y0, area.x1, area.y1);
  t->changes = 0;
  return 1;
}

void Qz__Redraw(Qz_Object* self, TextData* t) {
  if (Qz_Image* layer = Qz__Layer(self)) Qz_RedoAllLayerActions(layer);
  t->changes = 0;
}

void Qz__Changed(Qz_Object* self) {
  TextData* t = Qz__Data(self);
  if (t->live) Qz__Redraw(self, t);
}

void Qz__SetText(Qz_Object* self, TextData* t, const char* utf8) {
  t->edit.text.clear();
  t->edit.cursor = 0;
  insertAtCursor(t->edit, fromUtf8(utf8 ? utf8 : ""));
  t->stored = toUtf8(t->edit.text);
  if (t->live) Qz__Redraw(self, t);
}

// The caret: a two-pixel bar in complement mode, so drawing it again takes it away.
void Qz__ToggleCaret(Qz_Image* layer, TextData* t) {
  Qz_Image* document = owningDocument(layer);
  const int32_t dx = layer->placement.layerX, dy = layer->placement.layerY;
  qz::tools::drawBoxPreview(document, dx + t->caretX, dy + t->caretY, dx + t->caretX + 1,
                            dy + t->caretY + t->caretHeight - 1);
  t->caretShown = !t->caretShown;
}

void Qz__EraseCaret(Qz_Object* self, TextData* t) {
  if (t->caretShown)
    if (Qz_Image* layer = Qz__Layer(self)) Qz__ToggleCaret(layer, t);
  t->caretShown = false;
}

void Qz__DrawCaret(Qz_Object* self, TextData* t) {
  Qz_Image* layer = Qz__Layer(self);
  if (!layer || t->caretShown) return;
  Layout l = Qz__Layout(self, t);
  if (!l.font) return;
  std::lock_guard<std::mutex> lock(l.font->mutex());
  l.lay(t);
  const CaretPlace place = caretPlace(*l.font, t->edit.text, l.lines, t->fontSize, t->edit.cursor);
  if (!place.shown) return;
  t->caretX = l.box.x + place.x, t->caretY = l.box.y + place.top;
  t->caretHeight = std::max(1, std::min(t->fontSize, l.box.y + l.box.height - t->caretY));
  Qz__ToggleCaret(layer, t);
}

void Qz__PlaceCaret(Qz_Object* self, TextData* t, Qz_Image* layer, const Qz_InputEvent* e) {
  Layout l = Qz__Layout(self, t);
  if (!l.font) return;
  const int32_t x = Qz_ToolWindowToLayerX(layer, e->mouseX) - l.box.x;
  const int32_t y = Qz_ToolWindowToLayerY(layer, e->mouseY) - l.box.y;
  std::lock_guard<std::mutex> lock(l.font->mutex());
  l.lay(t);
  t->edit.cursor = characterAt(*l.font, t->edit.text, l.lines, t->fontSize, x, y);
}

// An edit of the text: stored again and drawn on the next tick.
void Qz__Edited(TextData* t) {
  t->stored = toUtf8(t->edit.text);
  ++t->changes;
}

void Qz__Paste(TextData* t) {
  char* clip = Qz_ClipboardGetText();
  if (!clip) return;
  if (insertAtCursor(t->edit, fromUtf8(clip)) > 0) Qz__Edited(t);
  FreeVec(clip);
}

void Qz__Key(TextData* t, const Qz_InputEvent* e) {
  const bool shift = e->qualifier & kShiftQualifiers, control = e->qualifier & kControlQualifier;
  switch (e->code) {
    case kBackspaceKey:
      if (applyEditKey(t->edit, shift ? EditKey::BackspaceAll : EditKey::Backspace)) Qz__Edited(t);
      return;
    case kDeleteKey:
      if (applyEditKey(t->edit, shift ? EditKey::DeleteAll : EditKey::Delete)) Qz__Edited(t);
      return;
    default: break;
  }
  if (e->code == kControlV || (control && (e->code == 'v' || e->code == 'V'))) {
    Qz__Paste(t);
    return;
  }
  if (control || e->code == 0 || e->code > 0x10FFFF || (e->code < 32 && e->code != '\r' && e->code != '\t')) return;
  const char32_t c = e->code == '\r' ? U'\n' : char32_t(e->code);
  if (insertAtCursor(t->edit, std::u32string_view(&c, 1)) > 0) Qz__Edited(t);
}

QzWord Qz__Input(Qz_Object* self, TextData* t, const Qz_InputEvent* e) {
  Qz_Image* layer = Qz__Layer(self);
  if (!layer || !e) return 0;
  switch (e->cls) {
    case IDCMP_MOUSEBUTTONS:
      if (e->code != SELECTDOWN) return 0;
      Qz__EraseCaret(self, t);
      Qz_DoMethod(Qz__Outer(self), kActionHideHandles);
      Qz__PlaceCaret(self, t, layer, e);
      Qz_DoMethod(Qz__Outer(self), kActionShowHandles);
      return 0;
    case IDCMP_ARROWKEY:
      Qz__EraseCaret(self, t);
      if (e->code == kRightKey) applyEditKey(t->edit, EditKey::Right);
      if (e->code == kLeftKey) applyEditKey(t->edit, EditKey::Left);
      return 0;
    case IDCMP_VANILLAKEY: Qz__EraseCaret(self, t); Qz__Key(t, e); return 0;
    case IDCMP_INTUITICKS:
      if (t->changes > 0) {
        Qz__EraseCaret(self, t);
        Qz__Redraw(self, t);
      } else if (t->caretShown) {
        Qz__EraseCaret(self, t);
      } else {
        Qz__DrawCaret(self, t);
      }
      return 0;
    default: return 0;
  }
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  TextData* t = Qz__Data(object);
  switch (id) {
    case kTextActionSetFontName: {
      const char* name = reinterpret_cast<const char*>(args[0]);
      t->fontName.assign(name ? name : "", name ? strnlen(name, kFontNameBytes - 1) : 0);
      Qz__Changed(object);
      return 0;
    }
    case kTextActionGetFontName: return qz::toWord(t->fontName.c_str());
    case kTextActionSetString: Qz__SetText(object, t, reinterpret_cast<const char*>(args[0])); return 0;
    case kTextActionGetString: return qz::toWord(t->stored.c_str());
    case kTextActionGetCursor: return QzWord(t->edit.cursor);
    case kTextActionDrawCursor: Qz__DrawCaret(object, t); return 0;
    case kTextActionEraseCursor: Qz__EraseCaret(object, t); return 0;
    case kActionInputEvent:
      return Qz__Input(object, t, reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kActionApply: case kActionApplyQuiet: return Qz__Apply(object, t);
    case kRootDeselect: Qz__EraseCaret(object, t); break;
    case kActionGetName: return qz::toWord("Text");
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Text", kActionBoxHandles};

const qz::kit::ClassDecl kTextAction = actionClass(
    {.name = "TextAction", .classId = kTextActionClassId, .instance = qz::kit::instanceOf<TextData>(),
     .handler = Qz__Dispatch, .attributes = kAttributes, .methods = kMethods}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTextActionClass(Qz_GlobalData*) { return qz::kit::addClass(kTextAction); }
QZ_EXPORT void Qz_CleanupTextActionClass(void) { qz::kit::removeClass(kTextAction); }
QZ_EXTERN_C_END
