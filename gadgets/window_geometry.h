// The arithmetic of window placement, free of objects and threads: the box a
// window opens in, how it keeps to the screen, how it grows to its content,
// where a document window goes and at what zoom it fits; and the memory of
// where keyed windows were last closed. The Window class and the image view
// gather their numbers, call these and apply the answers; tests drive them
// with tables.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/qz_export.h"

namespace qz::gui {

// Outer corner and inner size, or (for a window's last edges) outer size.
struct WindowBox {
  int32_t left = 0, top = 0, width = 0, height = 0;
  bool operator==(const WindowBox&) const = default;
};

// The content's limits (inner size).
struct SizeLimits {
  int32_t minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
};

// What a window asks for when it opens. x or y may be kWindowCentred.
struct OpeningRequest {
  int32_t x = 0, y = 0, width = 0, height = 0;  // 0: not set
  int32_t defaultWidth = 0, defaultHeight = 0;
  int32_t xOffset = 0, yOffset = 0;
  bool bottomAnchored = false;  // opens upwards from y
  bool popUp = false;           // moves left rather than shrink at the right edge
};

// Room on the screen and what the window is placed against.
struct Surroundings {
  int32_t screenWidth = 0, screenHeight = 0;
  int32_t borderWidth = 0, borderHeight = 0;  // both frame sides together
  // The centre object's middle in the content, when the window centres on it.
  std::optional<std::pair<int32_t, int32_t>> centreOn = std::nullopt;
  std::optional<WindowBox> rightOf = std::nullopt;  // the window goes right of this one
  std::optional<WindowBox> below = std::nullopt;    // and below this one
};

// The first step: the size asked for (or remembered), within the content's
// limits, at the corner asked for. Width or height 0 when nothing can open.
QZ_EXPORT WindowBox openingBox(const OpeningRequest& request, const SizeLimits& limits,
                               const std::optional<WindowBox>& remembered);

// The second: the corner from centring, offsets and neighbours, then kept on
// the screen by giving up room only down to the content's minimum.
QZ_EXPORT WindowBox placeOnScreen(WindowBox box, const OpeningRequest& request, const SizeLimits& limits,
                                  const Surroundings& around);

// An open window whose content's minimum outgrew it: the new box (inner
// size) kept on the screen, or nothing when it still fits.
QZ_EXPORT std::optional<WindowBox> grownToContent(const WindowBox& inner, const SizeLimits& limits,
                                                  const Surroundings& around);

// Where a document window goes: right of the panel window and below the
// main window, unless they lie far from the screen's top left corner. Each
// box is a window's last outer edges (all 0 for none).
QZ_EXPORT std::pair<int32_t, int32_t> documentWindowCorner(const WindowBox& panel, const WindowBox& main);

// The room (inner width, height) a document's picture has on the screen
// from the given corner, with statusHeight taken under it.
QZ_EXPORT std::pair<int32_t, int32_t> documentRoom(int32_t screenWidth, int32_t screenHeight,
                                                   std::pair<int32_t, int32_t> corner, int32_t statusHeight);

// The zoom (percent, 1 to 100) at which a picture fits the screen from the
// given corner, with statusHeight taken under it and frame pixels round it
// on each axis; stepped zooms above 25 % fall to a multiple of 25.
QZ_EXPORT int32_t fittingZoomPercent(int32_t pictureWidth, int32_t pictureHeight, int32_t screenWidth,
                                     int32_t screenHeight, std::pair<int32_t, int32_t> corner,
                                     int32_t statusHeight, bool stepped, int32_t frame = 0);

// Where windows with a position key were last closed, for the next opening.
class QZ_EXPORT PositionMemory {
 public:
  // 1 when the key was known already, otherwise the key (now known).
  uint32_t enrol(uint32_t key);
  // The remembered box (outer corner, inner size) once one was kept.
  std::optional<WindowBox> recall(uint32_t key) const;
  // Kept only for a known key.
  void keep(uint32_t key, const WindowBox& box);
  void forgetAll();

 private:
  struct Record {
    uint32_t key;
    int16_t left, top, width, height;
  };
  const Record* find(uint32_t key) const;
  mutable std::mutex lock_;
  std::vector<Record> records_;
};

}  // namespace qz::gui
