// The central class registration: one fixed list of every application, mode,
// media, tool, action, panel and image-format class, made known to the object
// system in that order after the catalogue is loaded and removed after the
// image base has ended. A class whose module is not part of this build, or
// whose Init refuses, is simply missing; the others are unaffected.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

#include "objects/qz_object.h"
#include "platform/qz_export.h"

QZ_EXTERN_C_BEGIN
// Calls every Init in list order; 1 when the last class of the list is known afterwards.
QZ_EXPORT QzWord QzInitAllClasses(Qz_GlobalData* global);
// Calls every Cleanup: the same groups in the same order, the format classes last.
QZ_EXPORT void QzCleanupAllClasses(Qz_GlobalData* global);
QZ_EXTERN_C_END

namespace qz::app {

// Class names in registration order, and in removal order.
QZ_EXPORT std::span<const char* const> centralClassNames();
QZ_EXPORT std::span<const char* const> centralRemovalNames();

// One group of the list, in registration order (tests register one family).
enum class ClassGroup { Application, Modes, Media, Tools, Actions, Panels, Formats };
QZ_EXPORT std::span<const char* const> classGroup(ClassGroup group);

// How one class is initialised or cleaned up; tests wrap the default to watch
// or refuse single classes.
struct ClassCalls {
  std::function<void(const char* name, Qz_GlobalData* global)> init;
  std::function<void(const char* name)> cleanup;
};
// Looks up Qz_Init<name>Class / Qz_Cleanup<name>Class among the loaded
// libraries and calls it; does nothing for a class without one.
QZ_EXPORT ClassCalls defaultClassCalls();

// Runs the given class names through the calls (the default when empty);
// the number of names known to the object system afterwards.
QZ_EXPORT std::size_t initClasses(std::span<const char* const> names, Qz_GlobalData* global,
                                  const ClassCalls& calls = {});
QZ_EXPORT void cleanupClasses(std::span<const char* const> names, const ClassCalls& calls = {});

}  // namespace qz::app
