// The application-level Image methods, served by the application image:
// current colour and media preset, quitting, the output plug-in and
// documents made from scanned pictures.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

namespace qz {

inline constexpr uint32_t kQzAppSetRed = 0x13005a;
inline constexpr uint32_t kQzAppSetGreen = 0x13005b;
inline constexpr uint32_t kQzAppSetBlue = 0x13005c;
inline constexpr uint32_t kQzAppSetColour = 0x13005d;  // red | green << 8 | blue << 16
inline constexpr uint32_t kQzAppGetColour = 0x13005e;
inline constexpr uint32_t kQzAppChooseMedia = 0x100065;  // preset name
inline constexpr uint32_t kQzAppGetMediaName = 0x100067;
inline constexpr uint32_t kQzAppQuit = 0x7000a;  // {flags}
// Quit flag: ask only about pictures with unsaved changes, not whether to quit.
inline constexpr uint32_t kQzQuitAskUnsavedOnly = 1;
inline constexpr uint32_t kQzAppOutput = 0x130049;
inline constexpr uint32_t kQzAppScannedPicture = 0x131388;  // block (AllocVec, taken), its length

// Answers the ids above; handled is cleared for any other id.
QzWord appCommandDispatch(Qz_Image* image, uint32_t id, const QzWord* args, bool& handled);

}  // namespace qz
