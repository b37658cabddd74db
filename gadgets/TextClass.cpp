// Text: a label of one or more lines, optionally a number shown through the
// label, turned, filled when selected, or wrapped to its box.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

namespace {

struct TextObject {
  Qz_Object header;
  int32_t number;
  uint16_t lineCount = 1;
  int16_t measuredWidth = -1;  // one-line labels; -1: measure again
  int16_t fixedWidth = 0;      // 0: as wide as the text
  uint8_t selected;
  uint8_t formatted;
  uint8_t mode = kTextModeOpaque;
  uint8_t quarterTurns;
  // Roomier than a number needs, so a label around it is rarely cut.
  char formattedText[64];
};

const Qz_Method kTextMethods[] = {
    {kRootSetLabel, "Qz_SetLabel", kQzMethodSetter, kRootGetLabel, "%s", 0, nullptr, 0, 0},
    {kRootGetLabel, "Qz_GetLabel", kQzMethodStoredGetter, kRootSetLabel, nullptr, 0, "%s", 0, 0},
    {kTextSetMode, "Qz_SetTextMode", kQzMethodAction, 0, "%ld", 0, nullptr, 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

TextObject* asText(Qz_Object* o) { return reinterpret_cast<TextObject*>(o); }

const char* labelOf(Qz_Object* o) {
  const char* label = Qz_RootInstance(o)->label;
  return label != nullptr ? label : "";
}

// What is shown: the number through the label for formatted texts.
const char* shownText(TextObject* t) {
  return t->formatted ? t->formattedText : labelOf(&t->header);
}

void reformat(TextObject* t) {
  qz::widgets::formatNumber(labelOf(&t->header), t->number, t->formattedText, sizeof t->formattedText);
  t->measuredWidth = -1;
}

// Lines split at line feeds; a carriage return before a line feed is not
// part of its line.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = text.find('\n', start);
    std::string_view line = text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  // A line break followed by a carriage return that ends the text opens no line.
  if (lines.size() > 1 && text.size() >= 2 && text.substr(text.size() - 2) == "\n\r") lines.pop_back();
  return lines;
}

int32_t textHeight(Qz_DrawInfo* info) {
  if (info->rastPort != nullptr && info->rastPort->TxHeight != 0) return info->rastPort->TxHeight;
  return info->fontHeight;
}

int16_t clamp16(int32_t v) { return int16_t(v < 0 ? 0 : (v > 0x7FFF ? 0x7FFF : v)); }

QzWord measure(TextObject* t) {
  Qz_Object* self = &t->header;
  Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(self);
  if (info == nullptr) return 0;
  Qz_LayoutBox* box = &Qz_RootInstance(self)->box;
  if (info->rastPort != nullptr) {
    RastPort* rp = info->rastPort;
    const int32_t h = textHeight(info);
    if (t->mode == kTextModeWrapped) {
      box->width = box->minWidth = 8;
      box->height = box->minHeight = clamp16(h * t->lineCount);
      box->maxWidth = box->maxHeight = kGadgetMaxSize;
    } else {
      if (t->formatted) reformat(t);
      const std::vector<std::string_view> lines = splitLines(shownText(t));
      t->lineCount = uint16_t(lines.size());
      int32_t widest = 0;
      for (std::string_view line : lines) {
        const int32_t w = TextLength(rp, line.data(), int32_t(line.size()));
        if (w > widest) widest = w;
      }
      int16_t w = clamp16(widest), ht = clamp16(h * t->lineCount);
      if (t->quarterTurns == 1 || t->quarterTurns == 3) {
        box->width = box->minWidth = box->maxWidth = ht;
        box->height = box->minHeight = box->maxHeight = w;
      } else {
        box->width = box->minWidth = w;
        box->height = box->minHeight = box->maxHeight = ht;
        box->maxWidth = kGadgetMaxSize;
        if (t->fixedWidth > 0) box->width = box->minWidth = box->maxWidth = t->fixedWidth;
      }
    }
  }
  Qz_UnlockDrawInfoForInspection(self);
  return 0;
}

void drawWrapped(RastPort* rp, const Qz_LayoutBox* box, const char* text, int32_t firstRow, int32_t rowHeight) {
  const int32_t length = int32_t(std::strlen(text));
  int32_t pos = 0;
  for (int32_t row = 0; pos < length; ++row) {
    int32_t fit = TextFit(rp, text + pos, length - pos, box->width);
    if (fit <= 0) {
      // Not even one character fits: show it anyway so the text always moves on.
      fit = 1;
      while (pos + fit < length && (uint8_t(text[pos + fit]) & 0xC0) == 0x80) ++fit;
    }
    int32_t shown = fit;
    if (pos + fit < length && text[pos + fit] != ' ') {
      int32_t cut = fit;
      while (cut > 0 && text[pos + cut - 1] != ' ') --cut;
      if (cut > 0) shown = cut - 1;  // the space itself is not drawn
      fit = cut > 0 ? cut : fit;
    }
    Move(rp, box->left, firstRow + row * rowHeight);
    Text(rp, text + pos, shown);
    pos += fit;
    if (pos < length && text[pos] == ' ' && fit == shown) ++pos;
  }
}

QzWord draw(TextObject* t) {
  Qz_Object* self = &t->header;
  Qz_RootObject* root = Qz_RootInstance(self);
  const Qz_LayoutBox* box = &root->box;
  // A box with no room is one not placed yet.
  if (box->width <= 0 || box->height <= 0) return 0;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (info == nullptr) return 0;
  RastPort* rp = info->rastPort;
  const char* text = shownText(t);

  if (t->selected && root->darkColour != 0 && root->darkColour != kQzColourUnset && info->directColours) {
    FillPixelArray(rp, box->left, box->top, box->width, box->height, root->darkColour);
  } else if (t->selected && t->mode == kTextModeOpaque) {
    SetABPenDrMd(rp, 3, 3, 1);
    RectFill(rp, box->left, box->top, box->left + box->width - 1, box->top + box->height - 1);
  } else if (!t->selected && t->mode == kTextModeOpaque) {
    Qz_EraseObjectBackground(self, info);
  }

  const uint32_t pen = Qz_DoMethod(self, kRootDisableCount) != 0 ? info->disabledPen : 1;
  SetABPenDrMd(rp, pen, 0, 0);
  const int32_t rowHeight = rp->TxHeight != 0 ? rp->TxHeight : info->fontHeight;
  const int32_t top = box->top + 1;

  if (t->quarterTurns != 0) {
    const std::vector<std::string_view> lines = splitLines(text);
    Move(rp, box->left, box->top);
    Qz_DrawRotatedText(rp, lines[0].data(), int32_t(lines[0].size()), t->quarterTurns * 90);
  } else if (t->mode == kTextModeWrapped) {
    drawWrapped(rp, box, text, top, rowHeight);
  } else if (t->lineCount == 1) {
    int32_t length = int32_t(std::strcspn(text, "\r\n"));
    if (t->measuredWidth == -1) t->measuredWidth = clamp16(TextLength(rp, text, length));
    int32_t shownWidth = t->measuredWidth;
    if (shownWidth > box->width) {
      // Too long for its box (a fixed width): what fits, never over the neighbours.
      length = std::max<int32_t>(TextFit(rp, text, length, box->width), 0);
      shownWidth = TextLength(rp, text, length);
    }
    Move(rp, box->left + (box->width - shownWidth) / 2, top + (box->height - rowHeight - 2) / 2);
    Text(rp, text, length);
  } else if (t->lineCount > 1) {
    const std::vector<std::string_view> lines = splitLines(text);
    const int32_t x = box->left + (box->width - box->minWidth) / 2;
    const int32_t block = (box->height - int32_t(t->lineCount) * rowHeight - 2) / 2;
    for (std::size_t i = 0; i < lines.size() && i < t->lineCount; ++i) {
      if (lines[i].empty()) continue;
      Move(rp, x, top + int32_t(i) * rowHeight + block);
      Text(rp, lines[i].data(), int32_t(lines[i].size()));
    }
  }
  Qz_UnlockDrawInfo(self);
  return 0;
}

QzWord setSelected(TextObject* t, bool on) {
  t->selected = on ? 1 : 0;
  draw(t);
  return reinterpret_cast<QzWord>(Qz_GetTopMostObject(&t->header));
}

QzWord textDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  TextObject* t = asText(object);
  switch (id) {
    case kRootSetLabel: {
      const QzWord r = Qz_DoMethodA(object->super, id, args);
      t->measuredWidth = -1;
      if (t->formatted) reformat(t);
      return r;
    }
    case kTextSetNumber:
      t->number = int32_t(args[0]);
      t->formatted = 1;
      reformat(t);
      draw(t);
      return 0;
    case kTextGetNumber: return QzWord(uint32_t(t->number));
    case kTextSetMode: t->mode = uint8_t(args[0]); return 0;
    case kTextGetMode: return t->mode;
    case kFixWidth: t->fixedWidth = clamp16(int32_t(args[0])); return 0;
    case kTextSetRotation: {
      // Quarter turns; the tree builder hands over degrees (270), taken alike.
      QzWord turns = args[0];
      if (turns >= 4 && turns % 90 == 0) turns /= 90;
      t->quarterTurns = uint8_t(turns & 3);
      return 0;
    }
    case kTextGetRotation: return QzWord(t->quarterTurns) * 90;
    case kRootSelect: return setSelected(t, true);
    case kRootDeselect: return setSelected(t, false);
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2:
      if (Qz_IsCoordOverObject(object, int32_t(args[0]), int32_t(args[1]))) {
        return setSelected(t, id == kRootObjectAtPoint);
      }
      return 0;
    case kRootMeasure: return measure(t);
    case kRootDraw: return draw(t);
    default: return qz::kit::inherited(object, id, args);
  }
}

// Conversions a label may hold: one integer one, the rest literal.
bool isSafeNumberFormat(const char* label) {
  int conversions = 0;
  for (const char* p = label; *p != '\0'; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr) ++p;
    int width = 0;
    while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
    if (width > 32) return false;
    if (*p == 'l') ++p;
    if (*p == '\0' || std::strchr("diuxX", *p) == nullptr) return false;
    if (++conversions > 1) return false;
  }
  return true;
}

const TagItem kTextSuperTags[] = {{kRootSetWeight, 100}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kTextClass = {
    .name = "Text", .superName = "Root", .classId = kTextClassId,
    .instance = qz::kit::instanceOf<TextObject>(), .handler = textDispatch, .methods = kTextMethods,
    .superTags = kTextSuperTags, .notice = "Label of one or more lines"};

}  // namespace

namespace qz::widgets {

void formatNumber(const char* label, int32_t number, char* out, std::size_t size) {
  if (size == 0) return;
  if (label == nullptr) label = "";
  if (!isSafeNumberFormat(label)) {
    std::snprintf(out, size, "%s", label);
  } else {
    // Every integer conversion gets a long, whatever length it names.
    std::string format;
    for (const char* p = label; *p != '\0'; ++p) {
      format += *p;
      if (*p != '%') continue;
      ++p;
      if (*p == '%') { format += '%'; continue; }
      while (*p != '\0' && std::strchr("diuxX", *p) == nullptr) {
        if (*p != 'l') format += *p;
        ++p;
      }
      format += 'l';
      format += *p;
    }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(out, size, format.c_str(), long(number));
#pragma GCC diagnostic pop
  }
  // Never end inside a character.
  const std::size_t n = std::strlen(out);
  if (n + 1 == size) {
    std::size_t start = n;
    while (start > 0 && (uint8_t(out[start - 1]) & 0xC0) == 0x80) --start;
    if (start > 0 && (uint8_t(out[start - 1]) & 0xC0) == 0xC0) {
      const uint8_t lead = uint8_t(out[start - 1]);
      const std::size_t need = lead >= 0xF0 ? 4 : (lead >= 0xE0 ? 3 : 2);
      if (n - (start - 1) < need) out[start - 1] = '\0';
    }
  }
}

}  // namespace qz::widgets

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTextClass(Qz_GlobalData*) { return qz::kit::addClass(kTextClass); }
QZ_EXPORT void Qz_CleanupTextClass(void) { qz::kit::removeClass(kTextClass); }
QZ_EXTERN_C_END
