// Pages: one of several pages under a row of tabs.
#include "gadgets/qz_group.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"

namespace {

struct PagesObject {
  Qz_Object header;
  qz::gadgets::PagesCore core;
};

PagesObject* asPages(Qz_Object* o) { return reinterpret_cast<PagesObject*>(o); }

// The new filler takes the old one's place at the end of the tab row.
QzWord setFiller(PagesObject* p, QzWord filler) {
  qz::gadgets::PagesCore& c = p->core;
  if (c.filler != nullptr) {
    Qz_DoMethod(c.tabs, kGroupRemove, c.filler);
    Qz_DisposeObject(c.filler);
  }
  c.filler = reinterpret_cast<Qz_Object*>(filler);
  if (c.filler != nullptr) Qz_DoMethod(c.tabs, kGroupAddTail, c.filler);
  return 1;
}

QzWord pagesDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  PagesObject* p = asPages(object);
  if (id == kPagesSetFiller) return setFiller(p, args[0]);
  bool handled = false;
  const QzWord r = qz::gadgets::pagesMethod(object, p->core, id, args, handled);
  return handled ? r : qz::kit::inherited(object, id, args);
}

bool pagesSetUp(Qz_Object* object) {
  qz::gadgets::PagesCore& c = asPages(object)->core;
  // Weight 0: the tab row keeps its own height and the pages take the rest.
  c.tabs = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetAlignment, 8, kGroupSetSpacing, 0, kGroupSetFrame, 6,
                           kRootSetWeight, 0);
  Qz_Object* lead = Qz_CreateObject("Space", kFixWidth, 2);
  c.filler = Qz_CreateObject("Space", kSpaceSetMinHeight, 1);
  // Weight 100: the pages take exactly the room the tabs leave (a group's 200 would overflow it).
  c.pages = Qz_CreateObject("Group", kGroupSetMode, 4, kGroupSetFrame, 4, kGroupSetAlignment, 16, kRootSetWeight, 100);
  if (c.tabs == nullptr || lead == nullptr || c.filler == nullptr || c.pages == nullptr) {
    for (Qz_Object* o : {c.tabs, lead, c.filler, c.pages}) Qz_DisposeObject(o);
    return false;
  }
  Qz_DoMethod(c.tabs, kGroupAddTail, lead);
  Qz_DoMethod(c.tabs, kGroupAddTail, c.filler);
  Qz_DoMethod(object->super, kGroupAddTail, c.tabs);
  Qz_DoMethod(object->super, kGroupAddTail, c.pages);
  return true;
}

const Qz_Method kPagesMethods[] = {
    {kPagesLabelsPhaseText, "Qz_AddingPageLabels", kQzMethodSetter, 0, "%ld", 0, nullptr, 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

const TagItem kPagesSuperTags[] = {{kGroupSetMode, 1}, {kGroupSetSpacing, 0}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kPagesClass = {
    .name = "Pages", .superName = "Group", .classId = kPagesClassId,
    .instance = qz::kit::instanceOf<PagesObject>(), .handler = pagesDispatch, .methods = kPagesMethods,
    .superTags = kPagesSuperTags, .setUp = pagesSetUp, .notice = "Tabbed pages"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPagesClass(Qz_GlobalData*) { return qz::kit::addClass(kPagesClass); }
QZ_EXPORT void Qz_CleanupPagesClass(void) { qz::kit::removeClass(kPagesClass); }
QZ_EXTERN_C_END
