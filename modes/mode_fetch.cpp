// Reading beyond the block: the spare fetch, the read check and the
// secondary picture's geometry.
#include "modes/mode_fetch.h"

#include <cstdio>
#include <cstdlib>

#include "image/compositor_internal.h"

namespace qz::modes {

void readOutside(int32_t x, int32_t y, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  std::fprintf(stderr, "mode read (%d, %d) outside what it fetched: %d..%d, %d..%d\n", x, y, x0, x1,
               y0, y1);
  std::abort();
}

// ---- SpareFetch ---------------------------------------------------------------

SpareFetch::SpareFetch(const Qz_ModeRenderMessage* message, FetchRect rect)
    : lock_(message ? message->spare : nullptr) {
  if (lock_) fetch(lock_->image, lock_->layer, rect);
}

SpareFetch::SpareFetch(Qz_Image* image, FetchRect rect) : lock_(&own_) { fetch(image, nullptr, rect); }

SpareFetch::SpareFetch(const SecondaryPicture& picture, FetchRect rect) : lock_(&own_) {
  if (picture.usable()) fetch(picture.image(), picture.fetchLayer(), rect);
}

SpareFetch::SpareFetch(Qz_ImageLock* lock, Qz_Image* image, Qz_Image* layer, FetchRect rect)
    : lock_(lock) {
  if (lock_) fetch(image, layer, rect);
}

SpareFetch::~SpareFetch() { release(); }

void SpareFetch::fetch(Qz_Image* image, Qz_Image* layer, FetchRect rect) {
  if (!image || image->width <= 0 || image->height <= 0) return;
  savedImage_ = lock_->image;
  savedLayer_ = lock_->layer;
  held_ = true;
  // What the mode reads around its block, before its columns are kept in the image.
  qz::noteFetchReach(layer, rect.x0, rect.y0, rect.x1, rect.y1);
  rect.x0 = std::max(rect.x0, 0);
  rect.x1 = std::min(rect.x1, image->width - 1);
  if (rect.empty()) return;
  lock_->image = image;
  lock_->layer = layer;
  lock_->x0 = rect.x0, lock_->y0 = rect.y0, lock_->x1 = rect.x1, lock_->y1 = rect.y1;
  if (!Qz_GetImageDataBelowLayer(lock_)) return;
  ok_ = true;
  view_ = viewOf(lock_);
}

void SpareFetch::release() {
  if (!held_) return;
  held_ = false;
  ok_ = false;
  Qz_FreeImageLock(lock_);
  lock_->image = savedImage_;
  lock_->layer = savedLayer_;
  view_ = {};
}

// ---- SecondaryPicture -------------------------------------------------------------

SecondaryPicture::SecondaryPicture(const Qz_ImageLock* block, Fallback fallback) {
  if (!block || !block->layer) return;
  layer_ = block->layer;
  image_ = layer_->secondSource;
  if (!image_ && fallback == Fallback::DataBelow) {
    image_ = block->image;
    dataBelow_ = image_ != nullptr;
  }
  if (!image_) return;
  const Qz_Placement& p = layer_->placement;
  offsetX_ = int32_t(p.layerX) + p.secondX;
  offsetY_ = int32_t(p.layerY) + p.secondY;
  width_ = image_->width;
  height_ = image_->height;
  // The data below is the document's composite, there whenever a pass runs.
  const bool planes = dataBelow_ || (image_->r && image_->g && image_->b);
  usable_ = image_->depth == 24 && planes && width_ > 0 && height_ > 0;
}

ColumnSpan SecondaryPicture::overlap(int32_t y, int32_t x0, int32_t x1) const {
  const int32_t py = y - offsetY_;
  if (!usable_ || py < 0 || py >= height_) return {};
  const ColumnSpan span{std::max(x0, offsetX_), std::min(x1, offsetX_ + width_ - 1)};
  return span.empty() ? ColumnSpan{} : span;
}

FetchRect SecondaryPicture::fetchRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                      Reach reach) const {
  if (!usable_) return {};
  FetchRect rect{x0 - offsetX_ - reach.x, y0 - offsetY_ - reach.y, x1 - offsetX_ + reach.x,
                 y1 - offsetY_ + reach.y};
  rect.x0 = std::max(rect.x0, 0);
  rect.y0 = std::max(rect.y0, 0);
  rect.x1 = std::min(rect.x1, width_ - 1);
  rect.y1 = std::min(rect.y1, height_ - 1);
  if (rect.empty()) return {};
  return rect;
}

}  // namespace qz::modes
