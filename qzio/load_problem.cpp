#include "qzio/load_problem.h"

#include <utility>

namespace qz::codec {
namespace {

thread_local LoadProblem tProblem;

}  // namespace

void reportDamage(const std::string& text) {
  tProblem.text = text;
  tProblem.partial = false;
}

void reportPartial(const std::string& text) {
  tProblem.text = text;
  tProblem.partial = true;
}

LoadProblem takeLoadProblem() { return std::exchange(tProblem, LoadProblem{}); }

}  // namespace qz::codec
