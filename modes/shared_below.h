// The whole image below a layer, fetched once and shared: by every strip of
// a compositing pass and by later passes while nothing below the layer has
// changed. For the modes that read anywhere in the picture below their layer
// (a clone offset, a radial blur, a swirl, a polar mosaic), which would
// otherwise composite the whole document again for every row.
//
//   qz::modes::SharedBelow below(message);   // in the render method
//   if (!below.ok()) return 1;               // nothing below to be had: write nothing
//   const qz::modes::SourceView& v = below.view();
//   out[x - x0] = v.at(0, v.clampX(x - dx), v.clampY(y - dy));
//
// What the view holds: rows 0..H-1 and columns 0..W-1 of the document (the
// block lock's image), as row tables indexed by absolute row and column,
// exactly what Qz_GetImageDataBelowLayer gives for that rectangle, with the
// document's size for clampX and clampY; its reads are checked like any
// fetch's (mode_fetch.h). Rows and columns outside it are not there: a mode
// clamps (or wraps) its reads. Grey documents (depth 8) give their grey
// plane as grey and as r, g and b alike. The object keeps what it answered
// alive until it goes, so keep it for the whole render call and nothing of
// it afterwards; it is cheap to make.
//
// When it is fetched again: one fetch serves every strip of a pass, and later
// passes while nothing below has changed, keyed by a change count of what
// lies below the layer (every change to a layer below or to the document's
// planes, a change of a lower layer's mode, transparency, offset or order,
// any undo or redo), never by time; a cached render equals a fresh one byte
// for byte. Nothing else is cached across passes.
//
// The key is the document and the layer (pointer and serial, so an image
// made later at the same address never matches), the document's own change
// count and the shown change count of every layer below (Qz_Image
// ownChanges and shownChanges), and every plain field of those layers that
// the compositor reads (mode, transparency, blend words, edge mask, place,
// visibility, colour, planes, sources), so a field written directly is
// never missed. Painting on the layer itself, or on a layer above it, does
// not change the key: a dab's pass after the first composites nothing again.
// Code that writes pixels without a marking call (Qz_ModifiedImageData and
// its kin) must call Qz_NoteImageChange on the image it wrote.
//
// The bottom layer (and a block without a layer) reads the document's own
// planes, so nothing is fetched or kept for it. Otherwise the first strip to
// ask fetches under the pass's own locks while the others wait and share
// the result; at most kMaxSharedBelow images are kept (a 24-megapixel one
// is 72 MB), the least recently used going first, and an image's entries go
// when the image or its document is disposed.
#pragma once

#include <cstdint>
#include <memory>

#include "image/qz_compositor.h"
#include "modes/mode_fetch.h"
#include "platform/qz_export.h"

namespace qz::modes {

inline constexpr int kMaxSharedBelow = 3;

struct BelowImage;

class QZ_EXPORT SharedBelow {
 public:
  // The image below the block's layer (message->block: image and layer).
  explicit SharedBelow(const Qz_ModeRenderMessage* message);
  explicit SharedBelow(const Qz_ImageLock* block);

  // False when there is nothing to read: no block or image, an 8-bit
  // document with layers below, or no memory. view() is then empty.
  bool ok() const { return view_.r != nullptr; }
  const SourceView& view() const { return view_; }

  // What the view shows, as a value: two views with equal stamps hold the
  // same pixels, so what a mode works out from one (sums, tables) serves the
  // other. Each fetch gets a stamp of its own; the document's own planes
  // (the bottom layer's background, or the composite without a layer) are
  // named by the document and its change count, read before the view.
  struct Stamp {
    const void* source = nullptr;
    uint64_t serial = 0, changes = 0;
    bool fetched = false;
    bool operator==(const Stamp&) const = default;
  };
  const Stamp& stamp() const { return stamp_; }

 private:
  std::shared_ptr<const BelowImage> image_;  // null when the document's planes are read directly
  SourceView view_;
  Stamp stamp_;
};

}  // namespace qz::modes

QZ_EXTERN_C_BEGIN
// Lets go of every kept image below that names this image as its document,
// its layer or a layer under it (the image is going); none: of all of them.
QZ_EXPORT void Qz__ForgetSharedBelow(Qz_Image* image);
// How many images below are kept now (for tests).
QZ_EXPORT int32_t Qz__SharedBelowCount(void);
QZ_EXTERN_C_END
