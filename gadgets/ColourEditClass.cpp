// ColourEdit: the colour editor. Tabbed colour fields, a box showing the
// colour, and tabbed RGB and HSV sliders and HTML-notation field, kept in
// step: while the editor sets its own gadgets it ignores what they report back.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "gadgets/colour_space_maths.h"
#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace {

using qz::Hsv;

constexpr const char* kKinds[] = {"HSV", "HSV2", "HK", "HW", "SV"};
constexpr int kViews = 5;
constexpr int kSliders = 6;  // R, G, B, H, S, V
constexpr int32_t kFieldHeight = 160;

struct Qz_ColourEditObject {
  Qz_Object header;
  Qz_Object* pages = nullptr;  // the colour fields, one a page
  Qz_Object* box = nullptr;
  Qz_Object* views[kViews] = {};
  Qz_Object* sliders[kSliders] = {};
  Qz_Object* html = nullptr;
  uint8_t rgb[3] = {0, 0, 0};
  Hsv hsv{0, 0, 0};
  int16_t updating = 0;
};

Qz_ColourEditObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ColourEditObject>(o); }
uint32_t Qz__Colour(const Qz_ColourEditObject* e) { return e->rgb[0] | e->rgb[1] << 8 | e->rgb[2] << 16; }

// Stores the colour with its HSV (as given, so an HSV slider keeps the
// value it was moved to even where the colour does not determine it),
// notifies once and shows both in every gadget.
void Qz__Apply(Qz_ColourEditObject* e, uint32_t colour, Hsv hsv) {
  e->rgb[0] = uint8_t(colour), e->rgb[1] = uint8_t(colour >> 8), e->rgb[2] = uint8_t(colour >> 16);
  e->hsv = hsv;
  if (e->updating) return;
  Qz_Object* self = &e->header;
  Qz_DoNotify(self, kQzColourEditColour, Qz__Colour(e));
  ++e->updating;
  const int32_t values[kSliders] = {e->rgb[0], e->rgb[1], e->rgb[2], hsv.h, hsv.s, hsv.v};
  for (int i = 0; i < kSliders; ++i) Qz_DoMethod(e->sliders[i], kValueSet, uint32_t(values[i]));
  Qz_DoMethod(e->box, kColourBoxSetRGB, e->rgb);
  for (Qz_Object* view : e->views) Qz_DoMethod(view, kColourSpaceSetColour, Qz__Colour(e));
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", e->rgb[0], e->rgb[1], e->rgb[2]);
  Qz_DoMethod(e->html, kStringEditSetText, text);
  --e->updating;
}

QzWord Qz__SetColour(Qz_ColourEditObject* e, uint32_t colour) {
  if (e->updating) return 0;
  colour &= 0xFFFFFF;
  Qz__Apply(e, colour, qz::colours::hsvOf(colour));
  return 0;
}

QzWord Qz__SetChannel(Qz_ColourEditObject* e, int channel, QzWord value) {
  if (e->updating) return 0;
  uint8_t rgb[3] = {e->rgb[0], e->rgb[1], e->rgb[2]};
  rgb[channel] = uint8_t(value);
  return Qz__SetColour(e, rgb[0] | rgb[1] << 8 | rgb[2] << 16);
}

// Hue is taken modulo 360, saturation and value into 0..255.
QzWord Qz__SetHsv(Qz_ColourEditObject* e, int component, QzWord value) {
  if (e->updating) return 0;
  Hsv hsv = e->hsv;
  const int32_t v = int32_t(value);
  if (component == 0) hsv.h = ((v % 360) + 360) % 360;
  else (component == 1 ? hsv.s : hsv.v) = v < 0 ? 0 : v > 255 ? 255 : v;
  Qz__Apply(e, qz::colours::colourOf(hsv), hsv);
  return 0;
}

QzWord Qz__SetHtml(Qz_ColourEditObject* e, const char* text) {
  uint32_t colour = 0;
  if (e->updating || !qz::colours::parseHtmlColour(text, &colour)) return 0;
  return Qz__SetColour(e, colour);
}

QzWord Qz__ColourEditDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ColourEditObject* e = Qz__Self(object);
  switch (id) {
    case kQzColourEditColour: return Qz__SetColour(e, uint32_t(args[0]));
    case kColourEditSetRed:
    case kColourEditSetRed + 1:
    case kColourEditSetRed + 2: return Qz__SetChannel(e, int(id - kColourEditSetRed), args[0]);
    case kColourEditSetHue:
    case kColourEditSetHue + 1:
    case kColourEditSetHue + 2: return Qz__SetHsv(e, int(id - kColourEditSetHue), args[0]);
    case kColourEditSetHtml: return Qz__SetHtml(e, reinterpret_cast<const char*>(args[0]));
    case kButtonSilent:
      for (int i = 0; i < 3; ++i) Qz_DoMethodA(e->sliders[i], id, args);
      return 0;
    case kColourEditShowViews: return Qz_DoMethod(e->pages, kRootShow);
    case kColourEditHideViews: return Qz_DoMethod(e->pages, kRootHide);
    case kRootMeasure: {
      // Fields need direct colours; elsewhere they are left out.
      Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(object);
      if (info) {
        if (!info->directColours) Qz_DoMethod(e->pages, kRootHide);
        Qz_UnlockDrawInfoForInspection(object);
      }
      return qz::kit::inherited(object, id, args);
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakeColumn(Qz_Object*) { return Qz_CreateObject("Group", kGroupSetMode, 1); }

Qz_Object* Qz__Slider(const char* format, int32_t maximum) {
  return Qz_CreateObject("Slider", kValueSetMinimum, 0, kValueSetMaximum, maximum, kValueSetFormat, format);
}

// Adds each member to the group in turn; false when one of them or the group was not made.
bool Qz__Fill(Qz_Object* group, std::initializer_list<Qz_Object*> members) {
  bool made = group != nullptr;
  for (Qz_Object* m : members) {
    if (m == nullptr) made = false;
    else if (group != nullptr) Qz_DoMethod(group, kGroupAddTail, m);
    else Qz_DisposeObject(m);
  }
  return made;
}

// The fields' tabs are narrow strips of the same five fields without a
// marker, of a fixed size so that all five fit; the pages are the full
// fields, kept as handles.
Qz_Object* Qz__FieldPages(Qz_ColourEditObject* e) {
  Qz_Object* pages = Qz_CreateObject("Pages");
  if (pages == nullptr) return nullptr;
  bool made = true;
  Qz_DoMethod(pages, kPagesLabelsPhase, 1);
  for (const char* kind : kKinds)
    made = Qz__Fill(pages, {Qz_CreateObject("ColourSpace", kColourSpaceSetKind, kind, kColourSpaceHideMarker, 0,
                                            kFixWidth, 48, kFixHeight, 16)}) && made;
  Qz_DoMethod(pages, kPagesLabelsPhase, 0);
  // The fields keep a fixed height so the sliders below always have their room.
  for (int i = 0; i < kViews; ++i) {
    e->views[i] = Qz_CreateObject("ColourSpace", kColourSpaceSetKind, kKinds[i], kFixHeight, kFieldHeight);
    made = Qz__Fill(pages, {e->views[i]}) && made;
  }
  if (!made) {
    Qz_DisposeObject(pages);
    return nullptr;
  }
  Qz_DoMethod(pages, kGroupShowPage, 0);
  return pages;
}

// The sliders and the HTML field are pages under the tabs "RGB", "HSV" and "HTML".
Qz_Object* Qz__ControlPages(Qz_ColourEditObject* e) {
  // A weight like the box's: with a group's larger weight the tabbed controls would be laid out past the row.
  Qz_Object* pages = Qz_CreateObject("Pages", kRootSetWeight, 100);
  if (pages == nullptr) return nullptr;
  Qz_DoMethod(pages, kPagesLabelsPhase, 1);
  bool made = true;
  for (const char* tab : {"RGB", "HSV", "HTML"}) made = Qz__Fill(pages, {Qz_CreateObject("Text", kRootSetLabel, tab)}) && made;
  Qz_DoMethod(pages, kPagesLabelsPhase, 0);
  const char* formats[kSliders] = {"R %ld", "G %ld", "B %ld", "H %ld", "S %ld", "V %ld"};
  for (int i = 0; i < kSliders; ++i) e->sliders[i] = Qz__Slider(formats[i], i == 3 ? 359 : 255);
  e->html = Qz_CreateObject("StringEdit", kStringEditSetMaxLength, 7);
  for (int page = 0; page < 2; ++page) {
    Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 2);
    Qz_Object** three = e->sliders + 3 * page;
    made = Qz__Fill(column, {three[0], three[1], three[2]}) && Qz__Fill(pages, {column}) && made;
  }
  Qz_Object* html = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 2);
  made = Qz__Fill(html, {Qz_CreateObject("Text", kRootSetLabel, "#", kRootSetWeight, 0), e->html}) &&
         Qz__Fill(pages, {html}) && made;
  if (!made) {
    Qz_DisposeObject(pages);
    return nullptr;
  }
  Qz_DoMethod(pages, kGroupShowPage, 0);
  return pages;
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_ColourEditObject* e = Qz__Self(object);
  e->pages = Qz__FieldPages(e);
  if (e->pages == nullptr) return false;
  Qz_DoMethod(object->super, kGroupAddTail, e->pages);
  // The box keeps a narrow width: the tabbed sliders take the rest of the row.
  e->box = Qz_CreateObject("ColourBox", kColourBoxSetWidth, 64, kColourBoxSetHeight, 20);
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 4);
  // The group disposes what it holds when the editor is disposed.
  if (!Qz__Fill(row, {e->box, Qz__ControlPages(e)})) {
    if (row) Qz_DisposeObject(row);
    return false;
  }
  Qz_DoMethod(object->super, kGroupAddTail, row);
  for (int i = 0; i < kSliders; ++i)
    Qz_AddNotify(e->sliders[i], kValueSet, kNotifyAnyValue, object, 2, kColourEditSetRed + i, kNotifySameWord);
  for (Qz_Object* view : e->views)
    Qz_AddNotify(view, kColourSpaceSetColour, kNotifyAnyValue, object, 2, kQzColourEditColour, kNotifySameWord);
  Qz_AddNotify(e->html, kStringEditSetText, kNotifyAnyValue, object, 2, kColourEditSetHtml, kNotifySameWord);
  ++e->updating;
  for (Qz_Object* s : e->sliders) Qz_DoMethod(s, kValueSet, 0);
  Qz_DoMethod(e->html, kStringEditSetText, "#000000");
  --e->updating;
  return true;
}

const qz::kit::ClassDecl kColourEdit = {
    .name = "ColourEdit", .superName = "Group", .classId = kColourEditClassId,
    .instance = qz::kit::instanceOf<Qz_ColourEditObject>(), .handler = Qz__ColourEditDispatch,
    .makeSuper = Qz__MakeColumn, .setUp = Qz__SetUp, .notice = "Colour editor: fields, sliders and HTML notation"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourEditClass(Qz_GlobalData*) { return qz::kit::addClass(kColourEdit); }
QZ_EXPORT void Qz_CleanupColourEditClass(void) { qz::kit::removeClass(kColourEdit); }
QZ_EXTERN_C_END
