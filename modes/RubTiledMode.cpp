// RubTiledMode: the layer's secondary picture (the data below the layer when
// it has none, or always with the use-image flag) repeated or mirrored in
// tiles of a chosen size, each tile the whole picture scaled to the nearest
// pixel. It answers the render method, its tile settings and reset (which
// its panel edits and presses), the layer hand-over (which resets the
// tiles) and the picture's change notices (which re-render the whole
// layer); every other id goes to RootMode.
// Its row and column maps are shared, immutable tables, one per change of
// the tile settings, the picture's size, the placement or the document size.
#include <algorithm>
#include <vector>

#include "gadgets/qz_sliders.h"
#include "image/image_internal.h"
#include "modes/mode_fetch.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"
#include "modes/shared_table.h"
#include "plugins/plugin_family.h"

namespace {

// Everything the maps are made from.
struct Qz_TileKey {
  int32_t tileWidth = 1, tileHeight = 1, style = 0;
  int32_t pictureWidth = 0, pictureHeight = 0;
  int32_t originX = 0, originY = 0;  // where a tile starts: layer position plus secondary offset
  int32_t documentWidth = 0, documentHeight = 0;
  bool operator==(const Qz_TileKey&) const = default;
};

// Per document column and row, the picture's column and row shown there.
struct Qz_TileMaps {
  std::vector<int32_t> columns, rows;
};

struct Qz_RubTiledModeObject {
  Qz_Object header;
  Qz_Image* layer = nullptr;
  int32_t tileWidth = 1, tileHeight = 1;
  int32_t style = kQzRubTileRepeat;
  int32_t useImage = 0;
  qz::modes::SharedTable<Qz_TileKey, Qz_TileMaps> maps;
};

Qz_RubTiledModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_RubTiledModeObject>(object); }

// A reset may make tiles as large as the picture; placements are 16-bit.
constexpr int64_t kTileMaximum = INT16_MAX;

const qz::kit::Attribute kSettings[] = {
    {.setter = kQzRubTiledSetWidth, .getter = kQzRubTiledGetWidth, .minimum = 1, .maximum = kTileMaximum,
     .initial = 1, .field = qz::kit::field(&Qz_RubTiledModeObject::tileWidth),
     .changed = qz::modes::ownSettingChanged},
    {.setter = kQzRubTiledSetHeight, .getter = kQzRubTiledGetHeight, .minimum = 1, .maximum = kTileMaximum,
     .initial = 1, .field = qz::kit::field(&Qz_RubTiledModeObject::tileHeight),
     .changed = qz::modes::ownSettingChanged},
    {.setter = kQzRubTiledSetStyle, .getter = kQzRubTiledGetStyle, .minimum = kQzRubTileRepeat,
     .maximum = kQzRubTileMirror, .initial = kQzRubTileRepeat, .field = qz::kit::field(&Qz_RubTiledModeObject::style),
     .changed = qz::modes::ownSettingChanged},
    {.setter = kQzRubTiledSetUseImage, .minimum = 0, .maximum = 1, .initial = 0,
     .field = qz::kit::field(&Qz_RubTiledModeObject::useImage), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
};

// Catalogue texts of the panel's labels.
constexpr uint32_t kWidthText = 9, kHeightText = 10, kResetText = 158;
// A small fixed gap: a stretching space would push the button to the panel's foot.
constexpr int32_t kGap = 8;

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::row(), qz::modes::text(kWidthText),
    qz::modes::slider({}, kQzRubTiledSetWidth, 1, kQzRubTileSliderMaximum, 1), qz::modes::end(),
    qz::modes::row(), qz::modes::text(kHeightText),
    qz::modes::slider({}, kQzRubTiledSetHeight, 1, kQzRubTileSliderMaximum, 1), qz::modes::end(),
    qz::modes::space(kGap),
    qz::modes::button(kResetText, kQzRubTiledReset)};
constexpr qz::modes::PanelSpec kPanel{"RubTiled", kPanelRows};

// What is tiled: the secondary image's own planes, or the data below the layer.
struct Qz_TilePicture {
  Qz_Image* image = nullptr;
  Qz_Image* fetchLayer = nullptr;
  int32_t width = 0, height = 0;
};

bool Qz__HasColourPlanes(const Qz_Image* image) {
  return image && image->depth == 24 && image->r && image->g && image->b && image->width > 0 && image->height > 0;
}

// A grey secondary image has no colour rows to show: the data below is tiled then.
Qz_TilePicture Qz__PictureFor(Qz_Image* document, Qz_Image* layer, bool useImage) {
  Qz_Image* second = layer ? layer->secondSource : nullptr;
  if (!useImage && Qz__HasColourPlanes(second)) return {second, nullptr, second->width, second->height};
  if (!document) return {};
  return {document, layer, document->width, document->height};
}

// Repeat: tile after tile from the origin, also before it. Mirror: every
// second tile reversed, so tiles meet without a seam.
std::vector<int32_t> Qz__Map(int32_t count, int32_t origin, int32_t tile, int32_t size, int32_t style) {
  std::vector<int32_t> map(size_t(std::max(count, 0)));
  const int32_t period = style == kQzRubTileMirror ? 2 * tile : tile;
  for (int32_t i = 0; i < count; ++i) {
    int32_t m = (i - origin) % period;
    if (m < 0) m += period;
    if (m >= tile) m = period - m - 1;
    map[size_t(i)] = int32_t(int64_t(m) * size / tile);
  }
  return map;
}

Qz_TileMaps Qz__BuildMaps(const Qz_TileKey& k) {
  return {Qz__Map(k.documentWidth, k.originX, k.tileWidth, k.pictureWidth, k.style),
          Qz__Map(k.documentHeight, k.originY, k.tileHeight, k.pictureHeight, k.style)};
}

QzWord Qz__Reset(Qz_RubTiledModeObject* self) {
  Qz_Image* layer = self->layer;
  if (!layer) return 0;
  // The picture the render tiles; tiles of an eighth of it, never empty.
  const Qz_TilePicture picture = Qz__PictureFor(qz::topDocument(layer), layer, qz::modes::loadSetting(self->useImage));
  if (!picture.image) return 0;
  // The sliders reach the picture's size, so a tile can be the whole of it.
  const std::pair<uint32_t, int32_t> maxima[] = {{kQzRubTiledSetWidth, picture.width},
                                                 {kQzRubTiledSetHeight, picture.height}};
  for (const auto& [setter, maximum] : maxima)
    if (Qz_Object* slider = qz::modes::panelGadget(&self->header, setter))
      qz::plugins::runOnPanelThread(slider, kValueSetMaximum, uint32_t(maximum), 0);
  Qz_DoMethod(&self->header, kQzRubTiledSetWidth, uint32_t(std::max(1, picture.width / 8)));
  Qz_DoMethod(&self->header, kQzRubTiledSetHeight, uint32_t(std::max(1, picture.height / 8)));
  return 0;
}

// Every pixel of the layer shows some part of the picture.
QzWord Qz__SourceChanged(Qz_RubTiledModeObject* self) {
  Qz_Image* layer = self->layer;
  if (layer)
    Qz_DoNotify(&layer->object, kQzImageChanged, kQzChangeAll, layer, 0, 0, layer->width - 1, layer->height - 1, 0, 0);
  return 0;
}

QzWord Qz__RenderTiled(Qz_RubTiledModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image) return 1;
  if (block->image->depth == 8) return 0;
  if (block->image->depth != 24 || block->y0 > block->y1 || block->x0 > block->x1) return 1;
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  Qz_Image* layer = block->layer;
  const Qz_TilePicture picture = Qz__PictureFor(block->image, layer, qz::modes::loadSetting(self->useImage));
  Qz_TileKey key{.tileWidth = std::max(1, qz::modes::loadSetting(self->tileWidth)),
                 .tileHeight = std::max(1, qz::modes::loadSetting(self->tileHeight)),
                 .style = std::clamp(qz::modes::loadSetting(self->style), kQzRubTileRepeat, kQzRubTileMirror),
                 .pictureWidth = picture.width, .pictureHeight = picture.height,
                 .documentWidth = size.width, .documentHeight = size.height};
  if (layer) {
    key.originX = int32_t(layer->placement.layerX) + layer->placement.secondX;
    key.originY = int32_t(layer->placement.layerY) + layer->placement.secondY;
  }
  const std::shared_ptr<const Qz_TileMaps> maps = self->maps.get(key, [&] { return Qz__BuildMaps(key); });
  if (!maps) return 0;  // no memory: nothing to show yet
  // The maps cover the document; a block beyond it has nothing to map.
  if (block->x0 < 0 || block->x1 >= size.width || block->y0 < 0 || block->y1 >= size.height) {
    qz::modes::copySourceToOutput(message);
    return 1;
  }
  const int32_t* columns = maps->columns.data() + block->x0;
  const int32_t count = block->x1 - block->x0 + 1;
  const auto [lowest, highest] = std::minmax_element(columns, columns + count);
  const int32_t first = *lowest, span = *highest - *lowest + 1;
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    // Only the picture's row shown here, over the columns the row maps to.
    const int32_t py = maps->rows[size_t(y)];
    qz::modes::SpareFetch row(message->spare, picture.image, picture.fetchLayer, {first, py, first + span - 1, py});
    if (!row.ok()) {
      qz::modes::copySourceToOutput(message);
      return 1;
    }
    const int32_t out = y - block->y0;
    uint8_t* const dst[3] = {message->r[out], message->g[out], message->b[out]};
    for (int c = 0; c < 3; ++c) {
      const uint8_t* from = row.view().row(c, py).from(first, span) - first;
      for (int32_t i = 0; i < count; ++i) dst[c][i] = from[columns[i]];
    }
  }
  return 1;
}

QzWord Qz__RubTiledDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_RubTiledModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderTiled(self, qz::modes::renderMessage(args));
    case kQzRubTiledReset: return Qz__Reset(self);
    case kQzModeSetImage:
      self->layer = reinterpret_cast<Qz_Image*>(args[0]);
      Qz__Reset(self);
      return qz::kit::inherited(object, id, args);
    case kQzModeSourceRegionChanged: return Qz__SourceChanged(self);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kRubTiledMode = {
    .name = "RubTiledMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .instance = qz::kit::instanceOf<Qz_RubTiledModeObject>(), .handler = Qz__RubTiledDispatch,
    .attributes = kSettings, .superTags = qz::modes::kRubFlagTags, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubTiledModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubTiledMode); }
QZ_EXPORT void Qz_CleanupRubTiledModeClass(void) { qz::kit::removeClass(kRubTiledMode); }
QZ_EXTERN_C_END
