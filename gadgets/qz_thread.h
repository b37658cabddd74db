// Thread: one platform process wrapped as an object. Configure it with an
// entry function (its argument is the object's user data, Root 0x100D2),
// start it with the shared open method and stop it with the shared close
// method, which sends the break signal every 20 ms until the entry returns.
#pragma once

#include "objects/qz_object.h"

inline constexpr uint32_t kThreadClassId = 0xF0000;
inline constexpr uint32_t kThreadSetEntry = 0xF000A;      // void (*)(QzWord argument)
inline constexpr uint32_t kThreadSetStackSize = 0xF0014;  // bytes, recorded (every task gets a large stack)
inline constexpr uint32_t kThreadSetName = 0xF001E;       // text, not copied
inline constexpr uint32_t kThreadSetPriority = 0xF0028;   // recorded, ignored
// Start and stop are Root's kRootOpen (0x100A0) and kRootClose (0x100A2).

typedef void (*Qz_ThreadFunction)(QzWord argument);

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitThreadClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupThreadClass(void);
QZ_EXTERN_C_END
