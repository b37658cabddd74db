#include "probes.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace probes {
namespace {

struct ProbeObject {
  Qz_Object header;
  int32_t value;
  uint32_t hex;
  char* text;
  const char* label;
  int32_t actions;
  int32_t pairFirst;
  uint32_t pairSecond;
};

struct LeafObject {
  Qz_Object header;
  int32_t value;
};

// Text, Group and BitMap stand-ins keep their few values here.
struct StandInObject {
  Qz_Object header;
  QzWord a;
  QzWord b;
};

const Qz_Method kProbeMethods[] = {
    {kSetValue, "Qz_SetProbeValue", kQzMethodSetter, kGetValue, "%ld", 0, nullptr, 0, 0},
    {kGetValue, "Qz_GetProbeValue", kQzMethodStoredGetter, kSetValue, nullptr, 0, "%ld", 0, 0},
    {kSetHex, "Qz_SetProbeHex", kQzMethodSetter, kGetHex, "%lx", 0, nullptr, 0, 0},
    {kGetHex, "Qz_GetProbeHex", kQzMethodStoredGetter, kSetHex, nullptr, 0, "%lx", 0, 0},
    {kSetText, "Qz_SetProbeText", kQzMethodSetter, kGetText, "%s", 0, nullptr, 0, 0},
    {kGetText, "Qz_GetProbeText", kQzMethodStoredGetter, kSetText, nullptr, 0, "%s", 0, 0},
    {kSetLabel, "Qz_SetProbeLabel", kQzMethodSetter, kGetLabel, "%s", 0, nullptr, 0, 0},
    {kGetLabel, "Qz_GetProbeLabel", kQzMethodStoredGetter, kSetLabel, nullptr, 0, "%s", 0, 0},
    {kAction, "Qz_ProbeAction", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kSetPair, "Qz_SetProbePair", kQzMethodSetter, 0, "%ld %lx", 0, nullptr, 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

const Qz_Method kLeafMethods[] = {
    {kSetLeafValue, "Qz_SetLeafValue", kQzMethodSetter, kGetLeafValue, "%ld", 0, nullptr, 0, 0},
    {kGetLeafValue, "Qz_GetLeafValue", kQzMethodStoredGetter, kSetLeafValue, nullptr, 0, "%ld", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

const Qz_Method kGroupMethods[] = {
    {kGroupDirection, "Qz_SetGroupDirection", kQzMethodSetter, kGetGroupDirection, "%ld", 0, nullptr, 0, 0},
    {kGetGroupDirection, "Qz_GetGroupDirection", kQzMethodStoredGetter, kGroupDirection, nullptr, 0, "%ld", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

Qz_Class gProbe, gLeaf, gText, gGroup, gBitMap;
std::vector<Qz_Class*> gRegistered;

QzWord probeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* p = reinterpret_cast<ProbeObject*>(object);
  switch (id) {
    case kSetValue: p->value = static_cast<int32_t>(args[0]); return 0;
    case kGetValue: return static_cast<uint32_t>(p->value);
    case kSetHex: p->hex = static_cast<uint32_t>(args[0]); return 0;
    case kGetHex: return p->hex;
    case kSetText:
      std::free(p->text);
      p->text = args[0] ? strdup(reinterpret_cast<const char*>(args[0])) : nullptr;
      return 0;
    case kGetText: return reinterpret_cast<QzWord>(p->text);
    case kSetLabel: p->label = reinterpret_cast<const char*>(args[0]); return 0;
    case kGetLabel: return reinterpret_cast<QzWord>(p->label);
    case kAction: ++p->actions; return 0;
    case kGetActions: return static_cast<uint32_t>(p->actions);
    case kSetPair:
      p->pairFirst = static_cast<int32_t>(args[0]);
      p->pairSecond = static_cast<uint32_t>(args[1]);
      return 0;
    case kGetPairFirst: return static_cast<uint32_t>(p->pairFirst);
    case kGetPairSecond: return p->pairSecond;
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

QzWord leafDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* leaf = reinterpret_cast<LeafObject*>(object);
  switch (id) {
    case kSetLeafValue: leaf->value = static_cast<int32_t>(args[0]); return 0;
    case kGetLeafValue: return static_cast<uint32_t>(leaf->value);
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

QzWord standInDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* s = reinterpret_cast<StandInObject*>(object);
  switch (id) {
    case kGroupDirection: case kTextLines: case kBitMapFile: s->a = args[0]; return 0;
    case kGetGroupDirection: case kGetTextLines: case kGetBitMapFile: return s->a;
    case kBitMapNoMask: s->b = 1; return 0;
    case kGetBitMapNoMask: return s->b;
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* newWithSuper(Qz_Class* c, const char* superName) {
  Qz_Object* object = Qz_AllocObjectMem(c);
  if (!object) return nullptr;
  object->super = Qz_CreateObject(superName);
  if (!object->super) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  return object;
}

Qz_Object* probeNew(Qz_Class* c, const QzWord*) { return newWithSuper(c, "LinkedList"); }
Qz_Object* rootBasedNew(Qz_Class* c, const QzWord*) { return newWithSuper(c, "Root"); }

void probeDispose(Qz_Object* object) {
  std::free(reinterpret_cast<ProbeObject*>(object)->text);
  Qz_DisposeObject(object->super);
  Qz_FreeObjectMem(object);
}

void plainDispose(Qz_Object* object) {
  Qz_DisposeObject(object->super);
  Qz_FreeObjectMem(object);
}

// Real classes taken out of the list while a stand-in records what they get.
std::vector<Qz_Class*> gShadowed;

void add(Qz_Class& c, const char* name, uint32_t classId, const char* superName, Qz_NewFunction make,
         Qz_DisposeFunction dispose, Qz_DispatchFunction dispatch, const Qz_Method* methods,
         uint32_t size, bool shadowReal = false) {
  if (Qz_Class* real = Qz_FindClassFromName(name)) {
    if (!shadowReal) return;  // the real class is there: use it
    Qz_RemoveClass(real);
    gShadowed.push_back(real);
  }
  c = Qz_Class{};
  c.name = name;
  c.notice = "test probe";
  c.classId = classId;
  c.version = 2;
  c.superClass = Qz_FindClassFromName(superName);
  c.newObject = make;
  c.dispose = dispose;
  c.dispatch = dispatch;
  c.methods = methods;
  c.objectSize = size;
  Qz_AddClass(&c);
  c.registered = 1;
  gRegistered.push_back(&c);
}

}  // namespace

void registerAll() {
  add(gProbe, "Probe", 0x7E70000, "LinkedList", probeNew, probeDispose, probeDispatch, kProbeMethods,
      sizeof(ProbeObject));
  add(gLeaf, "ProbeLeaf", 0x7E80000, "Root", rootBasedNew, plainDispose, leafDispatch, kLeafMethods,
      sizeof(LeafObject));
  add(gText, "Text", 0x40000, "Root", rootBasedNew, plainDispose, standInDispatch, kNoMethods,
      sizeof(StandInObject));
  add(gGroup, "Group", 0x20000, "LinkedList", probeNew, plainDispose, standInDispatch, kGroupMethods,
      sizeof(StandInObject));
  // The real picture class keeps no getter for every flag the keywords set.
  add(gBitMap, "BitMap", 0x80000, "Root", rootBasedNew, plainDispose, standInDispatch, kNoMethods,
      sizeof(StandInObject), true);
}

void removeAll() {
  for (Qz_Class* c : gRegistered) {
    Qz_RemoveClass(c);
    c->registered = 0;
  }
  gRegistered.clear();
  for (Qz_Class* c : gShadowed) Qz_AddClass(c);
  gShadowed.clear();
}

int32_t liveObjects() {
  int32_t live = 0;
  for (Qz_Class* c : gRegistered) live += c->liveCount;
  return live;
}

}  // namespace probes
