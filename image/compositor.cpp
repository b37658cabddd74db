// The compositing pass: a 24-bit document's background with every visible
// layer laid over it, row by row, through the layer's mode, its colour
// adjustments and its transparency; also the whole-image and per-layer entry
// points and the commit of a layer's chosen mode.
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "image/compositor_internal.h"
#include "image/compositor_kernels.h"
#include "image/compositor_pass.h"
#include "image/image_internal.h"
#include "image/qz_compositor.h"
#include "image/strip_pool.h"

namespace qz {
namespace {

thread_local int32_t tPassDepth = 0;
thread_local uint32_t tPassSerial = 0;
// Set while a worker composites a strip of a pass that another thread holds
// the locks for.
thread_local bool tOnStrip = false;
std::atomic<uint32_t> gPassCounter{0};

// The block this thread's mode call is rendering, for the reach of its fetches.
struct RenderingBlock {
  const Qz_Image* layer = nullptr;
  int32_t x0 = 0, x1 = -1, y = 0;
};
thread_local RenderingBlock tRendering;

void Qz__Widen(std::atomic<int32_t>& reach, int64_t seen) {
  const int32_t wanted = int32_t(std::clamp<int64_t>(seen, 0, INT32_MAX / 4));
  int32_t now = reach.load(std::memory_order_relaxed);
  while (wanted > now && !reach.compare_exchange_weak(now, wanted, std::memory_order_relaxed)) {
  }
}

// Handing a strip to a worker and hearing back costs tens of microseconds,
// more than compositing a few thousand pixels: a strip gets at least this
// many pixels, and a pass too small for two such strips (a dab's rectangle)
// is composited on the calling thread. QZ_STRIP_PIXELS overrides it, so a
// test run can cut its small pictures into strips of one row.
constexpr int32_t kDefaultStripPixels = 8192;
int32_t Qz__StripPixelsAtStart() {
  if (const char* forced = std::getenv("QZ_STRIP_PIXELS")) {
    const long pixels = std::strtol(forced, nullptr, 10);
    if (pixels > 0 && pixels <= (1L << 30)) return int32_t(pixels);
  }
  return kDefaultStripPixels;
}
std::atomic<int32_t> gStripPixels{Qz__StripPixelsAtStart()};

inline uint32_t Qz__Load32(const uint8_t* p) {
  uint32_t word;
  std::memcpy(&word, p, sizeof word);  // transparency columns need not be aligned
  return word;
}

inline int32_t Qz__Clamp256(uint32_t word) { return int32_t(std::min<uint32_t>(word, 256)); }

inline uint8_t Qz__Merge(int32_t dst, int32_t out, int32_t weight) {
  return uint8_t(dst + (((out - dst) * weight + 257) >> 16));
}

// The destination columns of one layer's run in one row.
struct Run {
  uint8_t* dst[3];     // destination rows at column s
  const uint8_t* out[3];  // what the layer makes of them (mode output or paint colour)
  int32_t count;
};

// dst += ((out - dst) * sX * a + 257) >> 16 per channel.
void Qz__BlendWeighted(const Run& run, const uint8_t* a, const int32_t strength[3],
                       bool skipZeroGroups) {
  const int32_t count = run.count;
  int32_t i = 0;
  auto pixel = [&](int32_t j) {
    for (int c = 0; c < 3; ++c)
      run.dst[c][j] = Qz__Merge(run.dst[c][j], run.out[c][j], strength[c] * a[j]);
  };
  if (skipZeroGroups) {
    for (; i + 4 <= count; i += 4) {
      if (Qz__Load32(a + i) == 0) continue;
      for (int32_t j = i; j < i + 4; ++j) pixel(j);
    }
  }
  for (; i < count; ++i) pixel(i);
}

// The first index from `from` whose byte is not 0, or count.
int32_t Qz__NonZeroFrom(const uint8_t* a, int32_t from, int32_t count) {
  int32_t i = from;
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, a + i, sizeof word);
    if (word) break;
  }
  while (i < count && a[i] == 0) ++i;
  return i;
}

// The end of the run starting at `from`: the start of the next span of at
// least kZeroGap zero bytes, or count. Shorter gaps stay inside a run, so a
// row is not cut into many small mode calls.
int32_t Qz__RunEnd(const uint8_t* a, int32_t from, int32_t count) {
  constexpr int32_t kZeroGap = 64;
  constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  int32_t zeros = 0;
  int32_t i = from;
  auto byte = [&](int32_t at) {
    zeros = a[at] ? 0 : zeros + 1;
    return zeros == kZeroGap;
  };
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, a + i, sizeof word);
    if (((word - kOnes) & ~word & kHighs) == 0) {  // no zero byte among the eight
      zeros = 0;
      continue;
    }
    for (int32_t j = i; j < i + 8; ++j)
      if (byte(j)) return j + 1 - kZeroGap;
  }
  for (; i < count; ++i)
    if (byte(i)) return i + 1 - kZeroGap;
  return count;
}

bool Qz__IsPaintModeName(const Qz_Image* layer) {
  return std::memcmp(layer->modeName, "Paint", 6) == 0;
}

class Pass {
 public:
  Pass(Qz_Image* document, uint8_t** r, uint8_t** g, uint8_t** b, uint8_t** grey,
       Qz_Image* stop, int32_t xs, int32_t x1, bool outermost)
      : doc_(document), stop_(stop), xs_(xs), x1_(x1) {
    dst_[0] = r, dst_[1] = g, dst_[2] = b;
    grey_ = grey;
    if (outermost && doc_->scratchR && doc_->scratchG && doc_->scratchB) {
      scratch_[0] = doc_->scratchR, scratch_[1] = doc_->scratchG, scratch_[2] = doc_->scratchB;
      scratchGrey_ = doc_->scratchGrey;
    } else {
      // A strip, or a pass inside a mode's fetch, must not overwrite another's
      // scratch rows; a run is never wider than the pass's columns.
      const size_t span = size_t(x1 - xs + 1);
      own_.resize(span * 4);
      for (int c = 0; c < 3; ++c) scratch_[c] = own_.data() + size_t(c) * span;
      scratchGrey_ = own_.data() + size_t(3) * span;
    }
  }

  void row(int32_t y) {
    for (int c = 0; c < 3; ++c) {
      Qz_Plane background = c == 0 ? doc_->undoR : c == 1 ? doc_->undoG : doc_->undoB;
      std::memcpy(dst_[c][y] + xs_, background[y] + xs_, size_t(x1_ - xs_ + 1));
    }
    for (Qz_Image* layer = first_layer(doc_); layer; layer = next_layer(layer)) {
      if (layer == stop_) break;
      layerRow(layer, y);
    }
  }

 private:
  void layerRow(Qz_Image* layer, int32_t y);
  void paintLayerRow(Qz_Image* layer, int32_t y, int32_t ly, int32_t s, int32_t c, int32_t count,
                     int32_t sc);
  void imageLayerRow(Qz_Image* layer, int32_t ly, int32_t s, int32_t c, int32_t count, int32_t y);
  void renderMode(Qz_Image* layer, int32_t y, int32_t s, int32_t count);
  const uint8_t* toneTable(const Qz_Image* layer);

  Qz_Image* doc_;
  Qz_Image* stop_;
  int32_t xs_, x1_;
  uint8_t** dst_[3];
  uint8_t** grey_;
  uint8_t* scratch_[3];
  uint8_t* scratchGrey_;
  std::vector<uint8_t> own_;
  // Tone tables made by this pass or strip, so nothing made while
  // compositing is shared between strips.
  std::vector<std::pair<const Qz_Image*, std::vector<uint8_t>>> toneTables_;
};

const uint8_t* Pass::toneTable(const Qz_Image* layer) {
  if (!layerHasToneStage(layer)) return nullptr;
  for (const auto& [owner, table] : toneTables_)
    if (owner == layer) return table.data();
  std::vector<uint8_t> table(kToneTableSize);
  buildToneTable(layer->blend[6], layer->blend[7], layer->blend[8], table.data());
  return toneTables_.emplace_back(layer, std::move(table)).second.data();
}

void Pass::layerRow(Qz_Image* layer, int32_t y) {
  if (!layer->visible) return;
  const int32_t offX = layer->placement.layerX, offY = layer->placement.layerY;
  const int32_t ly = y - offY;
  if (ly < 0 || ly >= layer->height) return;
  const Qz_Image* source = layer->firstSource;
  const int32_t srcX = layer->placement.firstX, srcY = layer->placement.firstY;
  if (source && (ly - srcY < 0 || ly - srcY >= source->height)) return;
  const bool paint = layer->type == kQzPaintLayer;
  int32_t least = 0, greatest = layer->width - 1;
  if (paint && layer->spanLeast && layer->spanGreatest) {
    least = layer->spanLeast[ly];
    greatest = layer->spanGreatest[ly];
    if (greatest < 0) return;  // row never changed
  }
  int32_t s = paint ? std::max(xs_, least + offX) : std::max(xs_, offX);
  int32_t count;
  if (source) {
    s = std::max(s, srcX + offX);
    const int32_t end = std::min(x1_, source->width + srcX + offX - 1);
    count = std::max(0, end - s + 1);
  } else {
    count = x1_ - s + 1;
  }
  const int32_t c = std::max(0, s - offX);
  count = std::min(count, layer->width - c);
  if (paint) count = std::min(count, greatest + 1);
  if (count < 1) return;
  const int32_t sc = std::max(0, c - srcX);
  if (paint && layer->depth == 8 && layer->grey) {
    // Where the transparency is 0 the layer leaves the row as it is, so only
    // the runs between such spans are rendered and blended.
    const uint8_t* a = layer->grey[ly] + c;
    for (int32_t i = Qz__NonZeroFrom(a, 0, count); i < count;) {
      const int32_t end = Qz__RunEnd(a, i, count);
      paintLayerRow(layer, y, ly, s + i, c + i, end - i, sc + i);
      i = Qz__NonZeroFrom(a, end, count);
    }
  } else if (paint)
    paintLayerRow(layer, y, ly, s, c, count, sc);
  else if (layer->type == kQzImageLayer)
    imageLayerRow(layer, ly, s, c, count, y);
}

void Pass::renderMode(Qz_Image* layer, int32_t y, int32_t s, int32_t count) {
  for (int ch = 0; ch < 3; ++ch) std::memcpy(scratch_[ch], dst_[ch][y] + s, size_t(count));
  Qz_ImageLock block{};
  block.image = doc_;
  block.layer = layer;
  block.x0 = s;
  block.x1 = s + count - 1;
  block.y0 = block.y1 = y;
  block.r = dst_[0], block.g = dst_[1], block.b = dst_[2];
  block.grey = grey_;
  Qz_ImageLock spare{};
  spare.image = doc_;
  spare.layer = layer;
  uint8_t* outR = scratch_[0];
  uint8_t* outG = scratch_[1];
  uint8_t* outB = scratch_[2];
  uint8_t* outGrey = scratchGrey_;
  Qz_ModeRenderMessage message{&block, &spare, &outR, &outG, &outB, &outGrey};
  // A nested pass (the mode's own fetch) renders other blocks meanwhile.
  const RenderingBlock outer = tRendering;
  tRendering = {layer, block.x0, block.x1, y};
  Qz_RenderMode(layer->mode, &message);
  tRendering = outer;
  Qz_FreeImageLock(&spare);  // harmless when the mode freed it already
}

void Pass::paintLayerRow(Qz_Image* layer, int32_t y, int32_t ly, int32_t s, int32_t c,
                         int32_t count, int32_t sc) {
  Run run;
  for (int ch = 0; ch < 3; ++ch) run.dst[ch] = dst_[ch][y] + s;
  run.count = count;
  const int32_t opacity = Qz__Clamp256(layer->opacity);
  int32_t w[9];
  for (int i = 0; i < 9; ++i) w[i] = Qz__Clamp256(layer->blend[i]);
  const bool plain = opacity == 256 && w[0] == 256 && w[1] == 256 && w[2] == 256 &&
                     w[6] == 256 && w[7] == 256 && w[8] == 256 && layer->edgeShape == 0 &&
                     !doc_->parent;
  const Qz_Image* source = layer->firstSource;
  const bool eightBit = layer->depth == 8 && layer->grey;
  if (eightBit && plain && !source && w[3] == 256 && w[4] == 256 && w[5] == 256 &&
      Qz__IsPaintModeName(layer)) {
    // The paint colour needs no mode call.
    compositorKernels().blendColour(run.dst, layer->committedColour, layer->grey[ly] + c, count);
    return;
  }
  renderMode(layer, y, s, count);
  adjustLayerColours(layer, scratch_[0], scratch_[1], scratch_[2], run.dst[0], run.dst[1],
                     run.dst[2], count, c, ly, toneTable(layer));
  for (int ch = 0; ch < 3; ++ch) run.out[ch] = scratch_[ch];
  int32_t strength[3];
  for (int ch = 0; ch < 3; ++ch) strength[ch] = w[ch] * opacity / 255;

  if (eightBit) {
    const uint8_t* a = layer->grey[ly] + c;
    if (!source && !doc_->parent) {
      if (plain)
        compositorKernels().blendRows(run.dst, run.out, a, count);
      else
        Qz__BlendWeighted(run, a, strength, true);
    } else if (!source) {
      const Qz_Image* inner = doc_->inner;
      if (inner && inner->width == doc_->width && inner->height == doc_->height)
        Qz__BlendWeighted(run, a, strength, false);
    } else if (source->depth == 8 && source->grey) {
      const uint8_t* m = source->grey[ly - layer->placement.firstY] + sc;
      for (int32_t i = 0; i < count; ++i) {
        const int32_t alpha = (m[i] * a[i]) >> 8;
        for (int ch = 0; ch < 3; ++ch)
          run.dst[ch][i] = Qz__Merge(run.dst[ch][i], run.out[ch][i], strength[ch] * alpha);
      }
    } else if (source->depth == 24 && source->r && source->g && source->b) {
      const int32_t row = ly - layer->placement.firstY;
      const uint8_t* m[3] = {source->r[row] + sc, source->g[row] + sc, source->b[row] + sc};
      for (int32_t i = 0; i < count; ++i)
        for (int ch = 0; ch < 3; ++ch) {
          const int32_t alpha = int32_t((uint32_t((strength[ch] * a[i]) >> 8) * m[ch][i]) & 0xFFFF);
          run.dst[ch][i] = Qz__Merge(run.dst[ch][i], run.out[ch][i], alpha);
        }
    }
    return;
  }
  if (layer->depth == 24 && layer->r && layer->g && layer->b) {
    // Each channel of the layer is that channel's transparency, on the
    // same scale as an 8-bit layer's (a * strength).
    const uint8_t* p[3] = {layer->r[ly] + c, layer->g[ly] + c, layer->b[ly] + c};
    for (int32_t i = 0; i < count; ++i)
      for (int ch = 0; ch < 3; ++ch)
        run.dst[ch][i] = Qz__Merge(run.dst[ch][i], run.out[ch][i], p[ch][i] * strength[ch]);
  }
}

void Pass::imageLayerRow(Qz_Image* layer, int32_t ly, int32_t s, int32_t c, int32_t count,
                         int32_t y) {
  const Qz_Image* inner = layer->inner;
  if (layer->depth != 24 || !layer->r || !layer->g || !layer->b || !inner ||
      inner->width != layer->width || inner->height != layer->height)
    return;
  const Qz_Plane maskPlane = inner->depth == 8 ? inner->grey : inner->g;
  if (!maskPlane) return;
  const uint8_t* m1 = maskPlane[ly] + c;
  const Qz_Image* active = layer->activeLayer;
  const uint8_t* m2Row = nullptr;
  int32_t m2Offset = 0, m2Width = 0;
  if (active && active->grey && active->depth == 8) {
    const int32_t ay = ly - active->placement.layerY;
    if (ay >= 0 && ay < active->height) {
      m2Row = active->grey[ay];
      m2Offset = c - active->placement.layerX;
      m2Width = active->width;
    }
  }
  const int32_t opacity = Qz__Clamp256(layer->opacity);
  const int32_t o = (opacity * 257) >> 8;
  const uint8_t* p[3] = {layer->r[ly] + c, layer->g[ly] + c, layer->b[ly] + c};
  for (int32_t i = 0; i < count; ++i) {
    const int32_t ax = m2Offset + i;
    const int32_t m2 = m2Row && ax >= 0 && ax < m2Width ? m2Row[ax] : 0;
    const int32_t t = m2 * o / 257;
    int32_t alpha = (m1[i] * o / 257) * (255 - t) / 255 + t;
    if (alpha == 0) continue;
    alpha = std::min(alpha, 255);
    for (int ch = 0; ch < 3; ++ch) {
      uint8_t& d = dst_[ch][y][s + i];
      const int32_t v = int16_t(((d * (255 - alpha) + 1 + p[ch][i] * opacity) * 257) >> 16);
      d = uint8_t(v < 1 ? 0 : v > 254 ? 255 : v);
    }
  }
}

// Rows per strip of an outermost pass of rows x width pixels; 0 when the
// pass is better done on the calling thread. A layer whose mode reads rows
// around its block makes every row cost as many rows of what lies below,
// so those rows count too.
int32_t Qz__RowsPerStrip(const Qz_Image* image, int32_t rows, int32_t width, int32_t workers) {
  int64_t rowCost = 1;
  for (Qz_Image* layer = first_layer(const_cast<Qz_Image*>(image)); layer; layer = next_layer(layer))
    if (layer->visible) rowCost += 2 * int64_t(layer->modeReachY.load(std::memory_order_relaxed));
  const int64_t least = gStripPixels.load(std::memory_order_relaxed);
  const int64_t perRow = int64_t(width) * std::min<int64_t>(rowCost, 1 << 16);
  if (rows * perRow < 2 * least) return 0;
  // A few strips per worker evens out uneven rows; small strips keep the
  // message checks between them frequent.
  const int32_t perStrip = std::clamp(rows / (workers * 4), 1, 32);
  return int32_t(std::clamp<int64_t>((least + perRow - 1) / perRow, perStrip, rows));
}

// The rows of an outermost pass, cut into strips for the worker pool; false
// when the pool is busy with another pass or the pass is too small to share. Each strip composites its rows
// with its own scratch rows under the locks this thread holds, so the bytes
// do not depend on the cut or on which worker does a strip.
bool Qz__CompositeInStrips(Qz_Image* image, int32_t xs, int32_t x1, int32_t y0, int32_t y1,
                          uint8_t** r, uint8_t** g, uint8_t** b, uint8_t** grey,
                          Qz_Image* stopLayer, bool interruptible) {
  StripPool& pool = StripPool::shared();
  const int32_t rows = y1 - y0 + 1;
  const int32_t perStrip = Qz__RowsPerStrip(image, rows, x1 - xs + 1, pool.workers());
  if (perStrip == 0) return false;
  const int32_t strips = (rows + perStrip - 1) / perStrip;
  const uint32_t serial = tPassSerial;
  const std::function<void(int32_t)> job = [&](int32_t strip) {
    tOnStrip = true;
    tPassDepth = 1;
    tPassSerial = serial;
    {
      Pass pass(image, r, g, b, grey, stopLayer, xs, x1, false);
      const int32_t top = y0 + strip * perStrip, bottom = std::min(y1, top + perStrip - 1);
      for (int32_t y = top; y <= bottom; ++y) pass.row(y);
    }
    tPassDepth = 0;
    tOnStrip = false;
  };
  const std::function<bool()> stop = [&] {
    return interruptible && image->interruptible.load() && Qz_CheckImageMsgPort(image, 0);
  };
  return pool.run(strips, job, stop);
}

}  // namespace

void noteFetchReach(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const RenderingBlock& block = tRendering;
  if (!layer || layer != block.layer) return;
  Qz__Widen(layer->modeReachX, std::max(int64_t(block.x0) - x0, int64_t(x1) - block.x1));
  Qz__Widen(layer->modeReachY, std::max(int64_t(block.y) - y0, int64_t(y1) - block.y));
}

void changeSpread(const Qz_Image* layer, int32_t* columns, int32_t* rows) {
  int64_t dx = 0, dy = 0;
  // A layer inside an image layer spreads through the layers above that one.
  const Qz_Image* level = layer;
  for (int guard = 0; level && level->parent && level->parent->type != kQzDocument && guard < 64; ++guard)
    level = level->parent;
  for (Qz_Image* above = level ? next_layer(const_cast<Qz_Image*>(level)) : nullptr; above;
       above = next_layer(above)) {
    if (!above->visible) continue;
    dx += above->modeReachX.load(std::memory_order_relaxed);
    dy += above->modeReachY.load(std::memory_order_relaxed);
  }
  *columns = int32_t(std::min<int64_t>(dx, INT32_MAX / 4));
  *rows = int32_t(std::min<int64_t>(dy, INT32_MAX / 4));
}

void compositePass(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t** r,
                   uint8_t** g, uint8_t** b, uint8_t** grey, Qz_Image* stopLayer,
                   bool interruptible) {
  if (!image || image->depth != 24 || !r || !g || !b) return;
  if (image->compositingCount.load() < 1 || image->compositingSuspended.load() != 0 ||
      !image->undoR || !image->r)
    return;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image->width - 1);
  y1 = std::min(y1, image->height - 1);
  if (x0 > x1 || y0 > y1) return;
  const int32_t xs = x0 & ~3;

  if (tOnStrip) {
    // A mode's fetch inside a strip: the thread that owns the pass holds
    // the sources and the semaphore for it.
    ++tPassDepth;
    {
      Pass pass(image, r, g, b, grey, stopLayer, xs, x1, false);
      for (int32_t y = y0; y <= y1; ++y) pass.row(y);
    }
    --tPassDepth;
    return;
  }

  // Sources are locked before the compositor semaphore: image locks come first.
  for (Qz_Image* layer = first_layer(image); layer; layer = next_layer(layer)) {
    for (Qz_Image** slot : {&layer->secondSource, &layer->firstSource}) {
      if (!*slot || Qz_LockImageA(*slot, kQzLockComposite, nullptr)) continue;
      unwatchSource(layer, slot == &layer->secondSource);
      *slot = nullptr;  // closed or dying: gone for this and later passes
      Qz_NoteImageChange(layer);
    }
  }
  ObtainSemaphore(&image->compositorSemaphore);
  const bool outermost = tPassDepth++ == 0;
  if (outermost) tPassSerial = gPassCounter.fetch_add(1) + 1;
  auto waiting = [&] {
    return interruptible && image->interruptible.load() && Qz_CheckImageMsgPort(image, 0);
  };
  // A message already waiting lets only the first row through, as below.
  const bool inStrips = outermost && !waiting() &&
                        Qz__CompositeInStrips(image, xs, x1, y0, y1, r, g, b, grey, stopLayer,
                                              interruptible);
  if (!inStrips) {
    Pass pass(image, r, g, b, grey, stopLayer, xs, x1, outermost);
    for (int32_t y = y0; y <= y1; ++y) {
      if (y > y0 && waiting()) break;
      pass.row(y);
    }
  }
  --tPassDepth;
  ReleaseSemaphore(&image->compositorSemaphore);
  for (Qz_Image* layer = first_layer(image); layer; layer = next_layer(layer)) {
    if (layer->secondSource) Qz_UnlockImageA(layer->secondSource, kQzLockComposite, nullptr);
    if (layer->firstSource) Qz_UnlockImageA(layer->firstSource, kQzLockComposite, nullptr);
  }
}

}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz_ProcessImageBelowLayer(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                         int32_t y1, uint8_t** r, uint8_t** g, uint8_t** b,
                                         uint8_t** grey, Qz_Image* stopLayer) {
  qz::compositePass(image, x0, y0, x1, y1, r, g, b, grey, stopLayer, true);
}

QZ_EXPORT void Qz_ProcessImage(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!image || image->depth != 24) return;  // 8-bit documents are shown as they are
  if (!Qz_LockImageA(image, kQzLockComposite, nullptr)) return;
  Qz_ProcessImageBelowLayer(image, x0, y0, x1, y1, image->r, image->g, image->b, image->grey,
                            nullptr);
  Qz_UnlockImageA(image, kQzLockComposite, nullptr);
}

QZ_EXPORT void Qz_FullProcessImage(Qz_Image* image) {
  if (image) Qz_ProcessImage(image, 0, 0, image->width - 1, image->height - 1);
}

QZ_EXPORT void Qz_ProcessLayer(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!layer || !layer->parent) return;
  // A paint layer inside an image layer is placed by both offsets.
  Qz_Image* document = layer;
  int64_t ox = 0, oy = 0;
  for (int guard = 0; document->parent && guard < 64; ++guard) {
    ox += document->placement.layerX;
    oy += document->placement.layerY;
    document = document->parent;
  }
  const int64_t w = document->width, h = document->height;
  const int64_t ax0 = std::clamp<int64_t>(x0 + ox, 0, std::max<int64_t>(0, w - 1));
  const int64_t ay0 = std::clamp<int64_t>(y0 + oy, 0, std::max<int64_t>(0, h - 1));
  const int64_t ax1 = std::min<int64_t>(x1 + ox, w - 1), ay1 = std::min<int64_t>(y1 + oy, h - 1);
  if (ax1 < ax0 || ay1 < ay0) return;
  Qz_ProcessImage(document, int32_t(ax0), int32_t(ay0), int32_t(ax1), int32_t(ay1));
}

QZ_EXPORT void Qz_FullProcessLayer(Qz_Image* layer) {
  if (!layer) return;
  Qz_ProcessLayer(layer, 0, 0, layer->width - 1, layer->height - 1);
  layer->needsFixing = 0;
}

QZ_EXPORT int32_t Qz_CopyImageDataRGB(Qz_Image* image, int32_t x, int32_t y, int32_t count,
                                      int32_t /*unused*/, uint8_t* r, uint8_t* g, uint8_t* b) {
  if (!image || y < 0 || y >= image->height || !r || !g || !b) return 0;
  const int64_t from = std::max<int64_t>(x, 0);
  const int64_t to = std::min<int64_t>(int64_t(x) + count, image->width);
  if (to <= from) return 1;
  const size_t n = size_t(to - from), at = size_t(from - x);
  if (image->depth == 8) {
    if (!image->grey) return 0;
    for (uint8_t* out : {r, g, b}) std::memcpy(out + at, image->grey[y] + from, n);
  } else {
    if (!image->r || !image->g || !image->b) return 0;
    std::memcpy(r + at, image->r[y] + from, n);
    std::memcpy(g + at, image->g[y] + from, n);
    std::memcpy(b + at, image->b[y] + from, n);
  }
  return 1;
}

QZ_EXPORT void Qz_DoLayerDoesntNeedsFixing(Qz_Image* layer) {
  if (!layer) return;
  // Counted only when something changes: every re-render commits its layer.
  bool changed = std::memcmp(layer->committedColour, layer->chosenColour, sizeof layer->committedColour) != 0;
  if (layer->chosenMode) {
    Qz_Image* document = qz::topDocument(layer);
    // The swap waits for every pass (they hold mode 2); a refused lock leaves
    // the chosen mode waiting for the next commit.
    if (!Qz_LockImageA(document, kQzLockExclusive, nullptr)) return;
    Qz_Object* old = nullptr;
    if (layer->chosenMode) {
      old = layer->mode;
      layer->mode = layer->chosenMode;
      std::memcpy(layer->modeName, layer->chosenModeName, sizeof layer->modeName);
      layer->modeName[sizeof layer->modeName - 1] = 0;
      layer->chosenMode = nullptr;
      layer->modeReachX.store(0, std::memory_order_relaxed);
      layer->modeReachY.store(0, std::memory_order_relaxed);
      changed = true;
    }
    std::memcpy(layer->committedColour, layer->chosenColour, sizeof layer->committedColour);
    if (changed) Qz_NoteImageChange(layer);
    Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
    Qz_DisposeObject(old);
  } else {
    std::memcpy(layer->committedColour, layer->chosenColour, sizeof layer->committedColour);
    if (changed) Qz_NoteImageChange(layer);
  }
  layer->needsFixing = 0;
  if (layer->parent && layer->parent->type == kQzImageLayer) layer->parent->needsFixing = 0;
}

QZ_EXPORT int32_t Qz_CheckImageMsgPort(Qz_Image* image, uint32_t /*flags*/) {
  if (!image || !image->port) return 0;
  Forbid();
  const Node* head = image->port->mp_MsgList.lh_Head;
  const bool waiting = head && head->ln_Succ;
  Permit();
  return waiting ? 1 : 0;
}

QZ_EXPORT int32_t Qz__SetCompositorStripPixels(int32_t pixels) {
  return qz::gStripPixels.exchange(pixels > 0 ? pixels : qz::kDefaultStripPixels);
}

QZ_EXPORT uint32_t Qz_CompositingPassSerial(void) {
  return qz::tPassDepth > 0 ? qz::tPassSerial : 0;
}

QZ_EXTERN_C_END
