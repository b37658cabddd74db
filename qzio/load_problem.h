// What a decoder found wrong with the file it reads, in its own words, for
// the message the load shows. Kept per thread: identify and load run on the
// thread that asked for the load, one load at a time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/qz_export.h"

namespace qz::codec {

struct LoadProblem {
  std::string text;      // empty when nothing was reported
  bool partial = false;  // the picture was kept as far as it could be read
};

// The file is damaged; the load fails.
QZ_EXPORT void reportDamage(const std::string& text);
// The file is damaged but the rows read so far make the picture; the load succeeds.
QZ_EXPORT void reportPartial(const std::string& text);
// Reports a file far too short for the width x height picture it claims
// ("FORMAT: the file is far too short for a picture of W x H pixels");
// answers 3, the damaged-file result.
QZ_EXPORT uint32_t reportTooShort(const char* format, uint32_t width, uint32_t height);
// Reports a width x height that no picture can have ("FORMAT: a picture of
// W x H pixels cannot be: a side is at most N pixels"); answers 3, the
// damaged-file result.
QZ_EXPORT uint32_t reportImpossibleSize(const char* format, uint64_t width, uint64_t height);
// What was reported since the last take, and forgets it.
QZ_EXPORT LoadProblem takeLoadProblem();

}  // namespace qz::codec
