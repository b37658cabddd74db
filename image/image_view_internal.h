// The ImageView instance record, shared by the class module and its input
// module (pointer, keys and the brush outline under the pointer).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "image/dirty_rows.h"
#include "image/qz_image.h"
#include "platform/graphics.h"

namespace qz::view {

struct ViewNode {
  Node node;
  Qz_Object* view;
};

// What was drawn of the brush outline, in window (outer-frame) pixels, so
// that drawing it once more takes it away again.
struct BrushOutline {
  bool shown = false;
  int32_t centreX = 0, centreY = 0, radiusX = 0, radiusY = 0;
  bool cross = false;  // the clone mode's source point
  int32_t crossX = 0, crossY = 0, crossArmX = 0, crossArmY = 0;
  int32_t clipX0 = 0, clipY0 = 0, clipX1 = -1, clipY1 = -1;  // the view's box, inclusive
};

struct Qz_ImageView {
  Qz_Object object;
  ViewNode node;  // in the image's view list while inViewList
  bool inViewList;
  Qz_Image* image;
  int32_t visibleX, visibleY, visibleWidth, visibleHeight;
  int32_t zoomWidth, zoomHeight;
  int32_t left, top;  // the view's position in its window
  Qz_Object* window;
  Qz_Object* viewport;  // the scrolled group the view sits in inside its window
  int32_t fitTries;     // rounds left to fit the window to its viewport after a zoom
  int32_t fitWidth, fitHeight;  // the outer size last asked for in fitting
  int32_t roomWidth, roomHeight;      // the screen's room for the picture, taken at the last zoom
  int32_t screenWidth, screenHeight;  // and the screen's size
  Qz_Object* thread;
  std::atomic<MsgPort*> port{nullptr};
  qz::DirtyRows dirty;
  RastPort rastPort;
  QzWord changeNotify;
  int32_t progressValue, progressTotal, progressShown;
  // The view was the last one of its document when its window was closed:
  // disposing the view disposes the document.
  int32_t ownsImage;
  // A thumbnail inside another gadget's window: not one of the document's
  // views, drawn through that window's drawing info.
  bool thumbnail = false;
  std::atomic<int32_t> dirtyFlag;
  int32_t windowClosed;
  QzWord closeNotify;
  // The status line under the picture: a "Done." text page and a progress page.
  Qz_Object* status;
  Qz_Object* statusText;  // the text page's line
  Qz_Object* progressBar;
  // Lines the status line has shown: a label is read, not copied, so each
  // stays until the view goes.
  std::vector<std::unique_ptr<std::string>> statusLines;
  QzWord progressNotifies[3];
  // The redraw thread's progress, for callers that wait for it.
  std::mutex idleMutex;
  std::condition_variable idle;
  bool drawing;

  // Pointer state, kept by the input handler (the window's thread). The
  // outline is drawn and read only under the window's draw lock.
  BrushOutline outline;
  int32_t pointerX, pointerY;  // image coordinates of the last move
  int32_t mediaWidth, mediaHeight;
  char mediaName[kQzNameLength];
  bool pointerOverPicture;  // the window shows the tool's pointer
  QzWord pointerSent;       // the pointer last given to the window
};

inline Qz_ImageView* asView(Qz_Object* object) { return reinterpret_cast<Qz_ImageView*>(object); }

// Pointer and key messages over the view (Root 0x10050): 1 when consumed,
// 0 when not, 2 without an image or when its lock is refused.
QzWord handleInput(Qz_ImageView* view, QzWord message);
// Draws the outline as it was drawn (complement mode, so a second call
// takes it away); the caller holds the window's draw lock.
void drawOutline(RastPort* rp, const BrushOutline& outline);

}  // namespace qz::view
