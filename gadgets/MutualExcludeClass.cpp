// MutualExclude: a column of rows of which exactly one is marked, like
// radio buttons. Each row is a mark, a gap, the choice's object and a
// weighted space.
#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"

namespace {

struct MutualExcludeObject {
  Qz_Object header;
  Qz_Object* marked = nullptr;  // the marked row
};

MutualExcludeObject* asColumn(Qz_Object* o) { return reinterpret_cast<MutualExcludeObject*>(o); }
Qz_Object* markOf(Qz_Object* row) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kGroupFirst)); }

void showMark(Qz_Object* row, uint32_t shape) {
  Qz_Object* mark = markOf(row);
  Qz_DoMethod(mark, kVectorImageSetKind, shape);
  Qz_DoMethod(mark, kRootDraw);
}

QzWord markRow(MutualExcludeObject* m, Qz_Object* row) {
  Qz_Object* self = &m->header;
  if (row == nullptr) return 0;
  if (m->marked != nullptr && m->marked != row) showMark(m->marked, kMarkRadioOff);
  m->marked = row;
  showMark(row, kMarkRadioOn);
  const QzWord index = Qz_DoMethod(self->super, kGroupIndexOf, row);
  Qz_DoNotify(self, kMutualExcludeMark, index);
  return index;
}

QzWord addChoice(MutualExcludeObject* m, QzWord object) {
  if (object == 0) return 0;
  // Weight 0: a row keeps its own height however tall the column is.
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kRootSetWeight, 0);
  Qz_Object* mark = Qz_CreateObject("VectorImage", kVectorImageSetKind, kMarkRadioOff, kFixWidth, 14, kFixHeight, 14);
  Qz_Object* gap = Qz_CreateObject("Space", kFixWidth, 4);
  Qz_Object* filler = Qz_CreateObject("Space");
  if (row == nullptr || mark == nullptr || gap == nullptr || filler == nullptr) {
    for (Qz_Object* o : {row, mark, gap, filler}) Qz_DisposeObject(o);
    return 0;
  }
  for (QzWord part : {QzWord(mark), QzWord(gap), object, QzWord(filler)}) Qz_DoMethod(row, kGroupAddTail, part);
  return Qz_DoMethod(m->header.super, kGroupAddTail, row);
}

// A press on a row that is not marked yet marks it.
QzWord handleInput(MutualExcludeObject* m, const QzWord* args) {
  Qz_Object* self = &m->header;
  const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  if (e == nullptr || e->cls != IDCMP_MOUSEBUTTONS || e->code != SELECTDOWN ||
      Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) == 0) {
    return Qz_DoMethodA(self->super, kRootHandleIDCMP, args);
  }
  for (auto* row = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self->super, kGroupFirst)); row != nullptr;
       row = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self->super, kGroupNext, row))) {
    if (Qz_IsCoordOverObject(row, e->mouseX, e->mouseY) == 0) continue;
    if (row != m->marked) markRow(m, row);
    break;
  }
  return 1;
}

QzWord columnDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  MutualExcludeObject* m = asColumn(object);
  switch (id) {
    case kGroupAddTail: return addChoice(m, args[0]);
    case kMutualExcludeMark:
      return markRow(m, reinterpret_cast<Qz_Object*>(Qz_DoMethod(object->super, kGroupMemberAt, args[0])));
    case kMutualExcludeGetMarked:
      return m->marked != nullptr ? Qz_DoMethod(object->super, kGroupIndexOf, m->marked) : 0;
    case kGroupRemove:
      if (args[0] == reinterpret_cast<QzWord>(m->marked)) m->marked = nullptr;
      return Qz_DoMethodA(object->super, id, args);
    case kRootHandleIDCMP: return handleInput(m, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

const TagItem kColumnSuperTags[] = {{kGroupSetMode, 1}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kMutualExcludeClass = {
    .name = "MutualExclude", .superName = "Group", .classId = kMutualExcludeClassId,
    .instance = qz::kit::instanceOf<MutualExcludeObject>(), .handler = columnDispatch,
    .superTags = kColumnSuperTags, .notice = "Radio column"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMutualExcludeClass(Qz_GlobalData*) { return qz::kit::addClass(kMutualExcludeClass); }
QZ_EXPORT void Qz_CleanupMutualExcludeClass(void) { qz::kit::removeClass(kMutualExcludeClass); }
QZ_EXTERN_C_END
