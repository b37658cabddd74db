// Figures for the object runtime's hot paths: a method delegated down a
// chain of superclass instances, creation and disposal by class name, and
// a notification fanned out to several targets.
#include <benchmark/benchmark.h>

#include "objects/qz_notify.h"
#include "objects/qz_object.h"

namespace {

struct ChainObject {
  Qz_Object header;
};

QzWord passOn(Qz_Object* object, uint32_t id, const QzWord* args) {
  return Qz_DoMethodA(object->super, id, args);
}

const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

// A class named name whose instances delegate everything to a superName instance.
struct ChainClass {
  Qz_Class record{};
  const char* superName;

  ChainClass(const char* name, const char* superClassName) : superName(superClassName) {
    record.name = name;
    record.classId = 0x980000;
    record.version = 2;
    record.superClass = Qz_FindClassFromName(superClassName);
    record.newObject = [](Qz_Class* c, const QzWord*) -> Qz_Object* {
      Qz_Object* o = Qz_AllocObjectMem(c);
      if (o == nullptr) return nullptr;
      o->super = Qz_CreateObject(reinterpret_cast<ChainClass*>(c)->superName);
      return o;
    };
    record.dispose = [](Qz_Object* o) {
      Qz_DisposeObject(o->super);
      Qz_FreeObjectMem(o);
    };
    record.dispatch = passOn;
    record.methods = kNoMethods;
    record.objectSize = sizeof(ChainObject);
    Qz_AddClass(&record);
  }
  ~ChainClass() { Qz_RemoveClass(&record); }
};

struct Runtime {
  Runtime() { Qz_Init(); }
  ~Runtime() { Qz_CleanUp(); }
};

void DelegatedDispatch(benchmark::State& state) {
  Runtime runtime;
  ChainClass a("BenchA", "Root"), b("BenchB", "BenchA"), c("BenchC", "BenchB");
  Qz_Object* object = Qz_CreateObject("BenchC", kRootSetUserData, 7);
  for (auto _ : state) benchmark::DoNotOptimize(Qz_DoMethod(object, kRootGetUserData));
  Qz_DisposeObject(object);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DelegatedDispatch);

void CreateAndDispose(benchmark::State& state) {
  Runtime runtime;
  ChainClass a("BenchA", "Root");
  for (auto _ : state) Qz_DisposeObject(Qz_CreateObject("BenchA", kRootSetUserData, 1));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CreateAndDispose);

void NotifyFanOut(benchmark::State& state) {
  Runtime runtime;
  Qz_Object* source = Qz_CreateObject("Root");
  Qz_Object* targets[8];
  for (Qz_Object*& t : targets) {
    t = Qz_CreateObject("Root");
    Qz_AddNotify(source, 0x980010, kNotifyAnyValue, t, 2, kRootSetUserData, kNotifyTriggerValue);
  }
  uint32_t value = 0;
  for (auto _ : state) Qz_DoNotify(source, 0x980010, ++value);
  for (Qz_Object* t : targets) Qz_DisposeObject(t);
  Qz_DisposeObject(source);
  state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(NotifyFanOut);

}  // namespace
