// VerticalPages: one of several pages beside a column of tabs, with an
// area above the tabs for a gadget of the caller's.
#include "gadgets/qz_group.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/tab_hover.h"
#include "objects/qz_class_kit.h"

namespace {

struct VerticalPagesObject {
  Qz_Object header;
  qz::gadgets::PagesCore core;
  Qz_Object* topArea = nullptr;
  Qz_Object* frame = nullptr;  // the column round the top area and the tabs
};

VerticalPagesObject* asPages(Qz_Object* o) { return reinterpret_cast<VerticalPagesObject*>(o); }

// The object takes the place of the top area's first child.
QzWord setTopGadget(VerticalPagesObject* p, QzWord object) {
  if (auto* old = reinterpret_cast<Qz_Object*>(Qz_DoMethod(p->topArea, kGroupFirst))) {
    Qz_DoMethod(p->topArea, kGroupRemove, old);
    Qz_DisposeObject(old);
  }
  if (object != 0) Qz_DoMethod(p->topArea, kGroupAddHead, object);
  return 1;
}

QzWord verticalPagesDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  VerticalPagesObject* p = asPages(object);
  if (id == kPagesSetFiller) return setTopGadget(p, args[0]);
  if (id == kRootHandleIDCMP &&
      qz::gadgets::hoverChoosesTab(p->core.tabs, reinterpret_cast<const Qz_InputEvent*>(args[0])))
    return 2;
  if (id == kRootMeasure) qz::gadgets::reportPointerMoves(object);
  bool handled = false;
  const QzWord r = qz::gadgets::pagesMethod(object, p->core, id, args, handled);
  if (handled && (id == kGroupShowPage || id == kGroupShowPageObject)) Qz_DoMethod(p->frame, kRootDraw);
  return handled ? r : qz::kit::inherited(object, id, args);
}

bool verticalPagesSetUp(Qz_Object* object) {
  VerticalPagesObject* p = asPages(object);
  qz::gadgets::PagesCore& c = p->core;
  c.verticalTabs = true;
  p->frame = Qz_CreateObject("Group", kGroupSetMode, 1);
  p->topArea = Qz_CreateObject("Group", kGroupSetMode, 1, kRootSetWeight, 0);
  Qz_Object* topSpace = Qz_CreateObject("Space", kFixHeight, 18);
  c.tabs = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetAlignment, 4, kGroupSetFrame, 6, kGroupSetSpacing, 0);
  Qz_Object* tabSpace = Qz_CreateObject("Space", kFixHeight, 4);
  Qz_Object* below = Qz_CreateObject("Space");
  // Weight 100: the pages take exactly the room the tabs leave (a group's 200 would overflow it).
  c.pages = Qz_CreateObject("Group", kGroupSetMode, 4, kGroupSetFrame, 4, kGroupSetAlignment, 16, kRootSetWeight, 100);
  Qz_Object* all[] = {p->frame, p->topArea, topSpace, c.tabs, tabSpace, below, c.pages};
  for (Qz_Object* o : all) {
    if (o == nullptr) {
      for (Qz_Object* d : all) Qz_DisposeObject(d);
      return false;
    }
  }
  Qz_DoMethod(p->topArea, kGroupAddTail, topSpace);
  Qz_DoMethod(c.tabs, kGroupAddTail, tabSpace);
  for (Qz_Object* o : {p->topArea, c.tabs, below}) Qz_DoMethod(p->frame, kGroupAddTail, o);
  Qz_DoMethod(object->super, kGroupAddTail, p->frame);
  Qz_DoMethod(object->super, kGroupAddTail, c.pages);
  return true;
}

const Qz_Method kVerticalPagesMethods[] = {
    {kPagesLabelsPhaseText, "Qz_AddingPageLabels", kQzMethodSetter, 0, "%ld", 0, nullptr, 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

const TagItem kVerticalPagesSuperTags[] = {{kGroupSetMode, 2}, {kGroupSetSpacing, 0}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kVerticalPagesClass = {
    .name = "VerticalPages", .superName = "Group", .classId = kVerticalPagesClassId,
    .instance = qz::kit::instanceOf<VerticalPagesObject>(), .handler = verticalPagesDispatch,
    .methods = kVerticalPagesMethods, .superTags = kVerticalPagesSuperTags, .setUp = verticalPagesSetUp,
    .notice = "Tabbed pages with the tabs beside them"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitVerticalPagesClass(Qz_GlobalData*) { return qz::kit::addClass(kVerticalPagesClass); }
QZ_EXPORT void Qz_CleanupVerticalPagesClass(void) { qz::kit::removeClass(kVerticalPagesClass); }
QZ_EXTERN_C_END
