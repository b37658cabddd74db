#include "qzio/load_problem.h"

#include <utility>

#include "qzio/codec_rows.h"

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

uint32_t reportTooShort(const char* format, uint32_t width, uint32_t height) {
  reportDamage(std::string(format) + ": the file is far too short for a picture of " + std::to_string(width) +
               " x " + std::to_string(height) + " pixels");
  return 3;
}

uint32_t reportImpossibleSize(const char* format, uint64_t width, uint64_t height) {
  reportDamage(std::string(format) + ": a picture of " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels cannot be: a side is at most " + std::to_string(kMaxSide) + " pixels");
  return 3;
}

LoadProblem takeLoadProblem() { return std::exchange(tProblem, LoadProblem{}); }

}  // namespace qz::codec
