// Library-private: how the drivers hold a format object. A handle owns the
// object it created by class name (or borrows one the caller gave) and sends
// it the method ids of qzio/root_qzio.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/qz_word.h"
#include "qzio/root_qzio.h"

namespace qzio {

class FormatHandle {
 public:
  virtual ~FormatHandle() = default;
  virtual QzWord send(uint32_t id, QzWord argument) = 0;
  // The format object as the object system knows it (may be null for a
  // format driven directly).
  virtual Qz_Object* object() const = 0;

  // A new object of class className, or null when there is no such class or
  // it cannot be made.
  static std::unique_ptr<FormatHandle> Create(const std::string& className);
  // Borrows an object the caller owns.
  static std::unique_ptr<FormatHandle> Borrow(Qz_Object* object);
};

// The format names of the detection list, first to last.
std::vector<std::string> DetectionOrder();

}  // namespace qzio
