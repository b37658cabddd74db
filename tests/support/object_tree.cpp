#include "support/object_tree.h"

#include <cstring>

#include "gadgets/qz_group.h"

namespace qztest {
namespace {

void Collect(Qz_Object* o, const char* className, std::vector<Qz_Object*>& out, int depth) {
  if (!o || depth > 32) return;
  if (o->objectClass && std::strcmp(o->objectClass->name, className) == 0) out.push_back(o);
  for (auto* m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(o, kGroupFirst)); m;
       m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(o, kGroupNext, m)))
    Collect(m, className, out, depth + 1);
}

}  // namespace

std::vector<Qz_Object*> FindAllOf(Qz_Object* root, const char* className) {
  std::vector<Qz_Object*> out;
  Collect(root, className, out, 0);
  return out;
}

}  // namespace qztest
