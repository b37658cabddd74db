// PolarMosaicMode: the image below the layer as a mosaic of polar cells
// round a centre: rings of a chosen width cut into equal sectors, each cell
// filled with the mean of the pixels below that fall in it.
//
// Two tables, both immutable once made and shared by every strip: the cell
// of every pixel, made from the settings and the document's size; and the
// cells' means, gathered from the whole image below and kept for as long as
// the settings and what lies below stay as they were (the shared image's
// stamp), so painting the layer again reads what was gathered, and a change
// below or a setter gathers again on the next render.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/shared_below.h"
#include "modes/shared_table.h"
#include "modes/warp_centre.h"

namespace {

constexpr uint32_t kPolarMosaicModeClassId = 0x808;
constexpr uint32_t kSetRingWidth = 2066, kGetRingWidth = 2076;
constexpr uint32_t kSetCentreX = 2086, kGetCentreX = 2096;
constexpr uint32_t kSetCentreY = 2106, kGetCentreY = 2116;
constexpr uint32_t kCentre = 2126;  // the centre to the layer's middle
constexpr qz::modes::WarpCentreMessages kCentreMessages{kSetCentreX, kSetCentreY, kGetCentreX, kGetCentreY,
                                                       kCentre};
constexpr uint32_t kSetSectors = 2136, kGetSectors = 2146;
// The slider's range: more sectors would only make cells thinner than a
// pixel while the tables grow with them.
constexpr int32_t kMostSectors = 360;

// Cells of the means table: the map's ring range times the sectors.
struct MapKey {
  int32_t width = 0, height = 0, cx = 0, cy = 0, ringWidth = 0, sectors = 0;
  bool operator==(const MapKey&) const = default;
};

// The cell of every pixel of the document, row after row. Rings are counted
// from the nearest one any pixel falls in, so a centre far off the picture
// needs no tables for the rings between it and the picture.
struct CellMap {
  int64_t firstRing = 0;
  int32_t rings = 0, sectors = 0;
  std::vector<uint32_t> cell;
  uint32_t cells() const { return uint32_t(rings) * uint32_t(sectors); }
};

struct MeansKey {
  MapKey map;
  qz::modes::SharedBelow::Stamp below;
  int32_t channels = 0;
  bool operator==(const MeansKey&) const = default;
};

// Each cell's mean, `channels` bytes per cell (red, green, blue or grey).
struct CellMeans {
  int32_t channels = 0;
  std::vector<uint8_t> mean;
};

struct Qz_PolarMosaicModeObject {
  Qz_Object header;
  qz::modes::WarpCentre centre;
  int16_t ringWidth = 5, sectors = 180;
  // A map is 4 bytes a pixel: two kept, the one in use and the one before.
  qz::modes::SharedTable<MapKey, CellMap, 2> maps;
  qz::modes::SharedTable<MeansKey, CellMeans, 2> means;
};

Qz_PolarMosaicModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_PolarMosaicModeObject>(object); }

const qz::kit::Attribute kSettings[] = {
    {.setter = kSetRingWidth, .getter = kGetRingWidth, .minimum = 1, .maximum = INT16_MAX, .initial = 5,
     .field = qz::kit::field(&Qz_PolarMosaicModeObject::ringWidth), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
    {.setter = kSetSectors, .getter = kGetSectors, .minimum = 1, .maximum = kMostSectors, .initial = 180,
     .field = qz::kit::field(&Qz_PolarMosaicModeObject::sectors), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::number(99, kSetCentreX),
    qz::modes::number(100, kSetCentreY),
    qz::modes::button(205, kCentre),
    qz::modes::slider("Angle delim.", kSetSectors, 1, kMostSectors, 180, "%ld"),
    qz::modes::slider("Ring width", kSetRingWidth, 1, 255, 5, "%ld")};
constexpr qz::modes::PanelSpec kPanel{"PolarMosaic", kPanelRows};

constexpr double kTurn = 6.283185307179586;

int64_t Qz__Ring(double dx, double dy, double perRing) {
  return int64_t(std::sqrt(dx * dx + dy * dy) * perRing);
}

// The sector of (dx, dy), dy pointing up, counted anticlockwise from the
// right; kept inside 0..n-1 where rounding reaches a full turn.
int32_t Qz__Sector(double dx, double dy, double perSector, int32_t sectors) {
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0) return 0;
  double angle = std::acos(std::clamp(dx / d, -1.0, 1.0));
  if (dy < 0) angle = kTurn - angle;
  return std::clamp(int32_t(std::floor(angle * perSector)), 0, sectors - 1);
}

CellMap Qz__BuildMap(const MapKey& k) {
  CellMap map;
  map.sectors = k.sectors;
  const double perRing = 1.0 / k.ringWidth, perSector = 1.0 / (kTurn / k.sectors);
  // Distance only grows away from the centre: the nearest pixel has the
  // first ring, one of the corners the last.
  const int64_t nearX = std::clamp<int64_t>(k.cx, 0, k.width - 1), nearY = std::clamp<int64_t>(k.cy, 0, k.height - 1);
  map.firstRing = Qz__Ring(double(nearX - k.cx), double(k.cy - nearY), perRing);
  int64_t lastRing = map.firstRing;
  for (const int64_t x : {int64_t{0}, int64_t{k.width - 1}})
    for (const int64_t y : {int64_t{0}, int64_t{k.height - 1}})
      lastRing = std::max(lastRing, Qz__Ring(double(x - k.cx), double(k.cy - y), perRing));
  map.rings = int32_t(lastRing - map.firstRing + 1);
  map.cell.resize(size_t(k.width) * size_t(k.height));
  uint32_t* at = map.cell.data();
  for (int32_t y = 0; y < k.height; ++y) {
    const double dy = double(int64_t(k.cy) - y);
    for (int32_t x = 0; x < k.width; ++x) {
      const double dx = double(int64_t(x) - k.cx);
      const int64_t ring = std::clamp<int64_t>(Qz__Ring(dx, dy, perRing) - map.firstRing, 0, map.rings - 1);
      *at++ = uint32_t(ring) * uint32_t(k.sectors) + uint32_t(Qz__Sector(dx, dy, perSector, k.sectors));
    }
  }
  return map;
}

// The planes a document of this depth is painted in (red, green, blue or grey).
int32_t Qz__Channels(int32_t depth) { return depth == 24 ? 3 : depth == 8 ? 1 : 0; }
int Qz__Plane(int32_t channels, int32_t c) { return channels == 3 ? c : 3; }

// Sums in 64 bits and counts in 32, so a cell as big as the picture keeps
// its true mean; a cell no pixel falls in shows 0.
CellMeans Qz__Gather(const CellMap& map, const qz::modes::SourceView& view, int32_t channels) {
  CellMeans out;
  out.channels = channels;
  const size_t cells = map.cells();
  std::vector<uint64_t> sums(cells * size_t(channels), 0);
  std::vector<uint32_t> counts(cells, 0);
  const int32_t w = view.width;
  for (int32_t y = 0; y < view.height; ++y) {
    const uint32_t* cell = map.cell.data() + size_t(y) * size_t(w);
    for (int32_t x = 0; x < w; ++x) ++counts[cell[x]];
    for (int32_t c = 0; c < channels; ++c) {
      const uint8_t* src = view.row(Qz__Plane(channels, c), y).from(0, w);
      for (int32_t x = 0; x < w; ++x) sums[size_t(cell[x]) * size_t(channels) + size_t(c)] += src[x];
    }
  }
  out.mean.resize(sums.size());
  for (size_t i = 0; i < cells; ++i)
    for (int32_t c = 0; c < channels; ++c) {
      const size_t at = i * size_t(channels) + size_t(c);
      out.mean[at] = uint8_t(sums[at] / std::max<uint32_t>(counts[i], 1));
    }
  return out;
}

MapKey Qz__MapKey(Qz_PolarMosaicModeObject* self, const qz::modes::SourceView& view) {
  MapKey k;
  k.width = view.width, k.height = view.height;
  k.cx = self->centre.x.load(std::memory_order_relaxed);
  k.cy = self->centre.y.load(std::memory_order_relaxed);
  // Clamped again: object text or a field written directly may bring anything.
  k.ringWidth = std::max<int32_t>(qz::modes::loadSetting(self->ringWidth), 1);
  k.sectors = std::clamp<int32_t>(qz::modes::loadSetting(self->sectors), 1, kMostSectors);
  return k;
}

QzWord Qz__Render(Qz_PolarMosaicModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  const int32_t channels = Qz__Channels(block->image->depth);
  if (channels == 0) return 1;
  qz::modes::SharedBelow below(message);
  if (!below.ok()) return 1;
  const qz::modes::SourceView& view = below.view();
  // The settings are read once: a setter while this runs makes other keys
  // for the next render, and nothing it changes is lost.
  const MapKey mapKey = Qz__MapKey(self, view);
  const auto map = self->maps.get(mapKey, [&] { return Qz__BuildMap(mapKey); });
  if (!map) return 1;
  const MeansKey meansKey{mapKey, below.stamp(), channels};
  const auto means = self->means.get(meansKey, [&] { return Qz__Gather(*map, view, channels); });
  if (!means) return 1;
  uint8_t* const* const outputs[4] = {message->r, message->g, message->b, message->grey};
  const int32_t x0 = std::max(block->x0, 0), x1 = std::min(block->x1, view.width - 1);
  for (int32_t y = std::max(block->y0, 0); y <= std::min(block->y1, view.height - 1); ++y) {
    const uint32_t* cell = map->cell.data() + size_t(y) * size_t(view.width);
    for (int32_t c = 0; c < channels; ++c) {
      uint8_t* out = outputs[Qz__Plane(channels, c)][y - block->y0];
      for (int32_t x = x0; x <= x1; ++x)
        out[x - block->x0] = means->mean[size_t(cell[x]) * size_t(channels) + size_t(c)];
    }
  }
  return 1;
}

QzWord Qz__PolarMosaicDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_PolarMosaicModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__Render(self, qz::modes::renderMessage(args));
    // The centre is anywhere, on the picture or off it.
    case kSetCentreX:
      qz::modes::setWarpCentre(object, self->centre, 0, int32_t(uint32_t(args[0])), kSetCentreX, false);
      return 0;
    case kSetCentreY:
      qz::modes::setWarpCentre(object, self->centre, 1, int32_t(uint32_t(args[0])), kSetCentreY, false);
      return 0;
    default:
      if (auto answer = qz::modes::answerWarpCentre(object, self->centre, kCentreMessages, id, args)) return *answer;
      return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kPolarMosaicMode = {
    .name = "PolarMosaicMode", .superName = "RootMode", .classId = kPolarMosaicModeClassId,
    .instance = qz::kit::instanceOf<Qz_PolarMosaicModeObject>(), .handler = Qz__PolarMosaicDispatch,
    .attributes = kSettings, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPolarMosaicModeClass(Qz_GlobalData*) { return qz::kit::addClass(kPolarMosaicMode); }
QZ_EXPORT void Qz_CleanupPolarMosaicModeClass(void) { qz::kit::removeClass(kPolarMosaicMode); }

// For tests: the mean gathered for a cell (ring counted from the centre) of
// the document's own picture; -1 when no pixel's ring is that far.
QZ_EXPORT int32_t Qz__PolarMosaicCellMean(Qz_Image* document, int32_t cx, int32_t cy, int32_t ringWidth,
                                          int32_t sectors, int64_t ring, int32_t sector, int32_t channel) {
  if (!document || ringWidth < 1 || sectors < 1 || sector < 0 || sector >= sectors) return -1;
  Qz_ImageLock block{};
  block.image = document;
  const qz::modes::SharedBelow below(&block);
  const int32_t channels = Qz__Channels(document->depth);
  if (!below.ok() || channel < 0 || channel >= channels) return -1;
  const MapKey k{below.view().width, below.view().height, cx, cy, ringWidth, sectors};
  const CellMap map = Qz__BuildMap(k);
  if (ring < map.firstRing || ring >= map.firstRing + map.rings) return -1;
  const CellMeans means = Qz__Gather(map, below.view(), channels);
  return means.mean[size_t((ring - map.firstRing) * sectors + sector) * size_t(channels) + size_t(channel)];
}
QZ_EXTERN_C_END
