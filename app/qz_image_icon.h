// Method ids of the image icons: ImageIcon (a thumbnail of an image) and
// ImagePopUp (an icon that opens a grid of the other open documents).
#pragma once

#include <cstdint>

inline constexpr uint32_t kImageIconClassId = 0x190000;
inline constexpr uint32_t kImageIconSetImage = 0x19000A;  // image or none
inline constexpr uint32_t kImageIconGetView = 0x190014;   // the inner ImageView
inline constexpr uint32_t kImageIconShowText = 0x19001E;  // flag: text when there is no image

inline constexpr uint32_t kImagePopUpClassId = 0x1A0000;
inline constexpr uint32_t kImagePopUpSetImage = 0x1A000A;      // the chosen image
inline constexpr uint32_t kImagePopUpSetEnabled = 0x1A0014;    // flag: the list is built only when set
inline constexpr uint32_t kImagePopUpSetSemaphore = 0x1A001E;  // held while the documents are walked
inline constexpr uint32_t kImagePopUpPicked = 0x1A0028;        // a button of the grid was pressed
inline constexpr uint32_t kImagePopUpChosen = 0x1A0032;        // notified with the chosen image
