// The handles of the action being edited, drawn over the document's view
// after each redraw of its pixels. The tools record the handles here (in
// picture pixels) from their own thread; the view's redraw thread only
// reads this copy, never the action, which another thread may dispose.
#pragma once

#include <cstdint>
#include <span>

#include "image/qz_image.h"
#include "platform/qz_export.h"
#include "tools/handle_geometry.h"

struct RastPort;

namespace qz::tools {

// Records the action's handles for the document and redraws its view; a
// null action takes them away.
QZ_EXPORT void showHandles(Qz_Image* document, Qz_Object* action);
// The same for points the action does not have yet (a drag under way), in its units.
QZ_EXPORT void showHandlePoints(Qz_Image* document, Qz_Object* action, std::span<const HandlePoint> points);

// Takes every document's handles away (the tool that showed them is put down).
QZ_EXPORT void hideAllHandles();

// Draws the document's recorded handles into rp, inside the view's box.
QZ_EXPORT void drawHandles(Qz_Image* document, RastPort* rp, int32_t left, int32_t top, int32_t width,
                           int32_t height);

}  // namespace qz::tools
