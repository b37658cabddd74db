// Image methods of layers: opacity and blend words, the edge mask, and
// moving a layer up and down its parent's list. Other layer methods are
// answered by the modules of layer_messages.h, tried in turn.
#include "image/image_internal.h"
#include "image/image_shell.h"
#include "image/layer_messages.h"

namespace qz {
namespace {

constexpr uint32_t kMoveTop = 0x100262;
constexpr uint32_t kMoveUp = 0x10026c;
constexpr uint32_t kMoveDown = 0x100276;
constexpr uint32_t kMoveBottom = 0x100280;
constexpr uint32_t kMoveAfter = 0x10028a;

struct OpacityPair {
  uint32_t percentId, rawId;
  int word;  // -1: opacity, else the blend word's index
};
constexpr OpacityPair kPairs[] = {
    {0x10006e, 0x10006f, -1}, {0x100320, 0x10032a, 0}, {0x100334, 0x10033e, 1},
    {0x100348, 0x100352, 2},  {0x10035c, 0x100366, 3}, {0x100370, 0x10037a, 4},
    {0x100384, 0x10038e, 5},  {0x100398, 0x1003a2, 6}, {0x1003ac, 0x1003b6, 7},
    {0x1003c0, 0x1003ca, 8}};

// The four edge-mask settings: setter and getter ids and the field.
struct EdgeSetting {
  uint32_t setId, getId;
  int32_t Qz_Image::*field;
};
constexpr EdgeSetting kEdgeSettings[] = {{0x1003e8, 0x1003f2, &Qz_Image::edgeShape},
                                         {0x1003fc, 0x100406, &Qz_Image::edgeSize},
                                         {0x100410, 0x10041a, &Qz_Image::edgeSoftness},
                                         {0x100424, 0x10042e, &Qz_Image::edgeInvert}};

// Stored as given: the compositor reads every value safely, and files store them as they are.
QzWord setEdge(Qz_Image* layer, const EdgeSetting& setting, int32_t value) {
  int32_t& field = layer->*setting.field;
  const bool changed = field != value;
  field = value;
  if (changed) Qz_NoteImageChange(layer);
  if (changed) Qz_RedoLayerChanges(layer);
  return uint32_t(value);
}

// The argument is a transparency (0 opaque); the word keeps 256 minus it.
// The stored word is the result (argument words are the caller's, read-only).
QzWord setOpacity(Qz_Image* layer, const OpacityPair& pair, bool percent, int32_t value) {
  int64_t v = percent ? int64_t(value) * 256 / 100 : value;
  v = std::clamp<int64_t>(v, 0, 256);
  const uint16_t stored = uint16_t(256 - v);
  uint16_t& word = pair.word < 0 ? layer->opacity : layer->blend[pair.word];
  const bool changed = word != stored;
  word = stored;
  if (pair.word >= 6) layer->toneTableFlag = 1;
  if (changed) Qz_NoteImageChange(layer);
  if (changed) Qz_RedoLayerChanges(layer);
  return stored;
}

Qz_Image* previous(Qz_Image* layer) { return prev_layer(layer); }

QzWord moveAfter(Qz_Image* layer, Qz_Image* after) {
  Qz_Image* parent = layer->parent;
  if (!parent || after == layer || (after && after->parent != parent)) return 0;
  if (!Qz_LockImageA(parent, kQzLockExclusive, nullptr)) return 0;
  Remove(&layer->listNode.node);
  if (after)
    Insert(&parent->layers, &layer->listNode.node, &after->listNode.node);
  else
    AddHead(&parent->layers, &layer->listNode.node);
  noteShownChange(parent);
  Qz_UnlockImageA(parent, kQzLockExclusive, nullptr);
  // Re-compositing takes its own locks, so it comes after the exclusive hold.
  if (layer->type == kQzPaintLayer) {
    Qz_RedoLayerChanges(layer);
  } else {
    fullProcessImage(topDocument(layer));
    Qz_FullRedrawLayer(layer);
  }
  return 1;
}

}  // namespace

QzWord layerMessageDispatch(Qz_Image* layer, uint32_t id, const QzWord* args, bool& handled) {
  handled = true;
  for (const OpacityPair& pair : kPairs) {
    if (id == pair.percentId) return setOpacity(layer, pair, true, int32_t(args[0]));
    if (id == pair.rawId) return setOpacity(layer, pair, false, int32_t(args[0]));
  }
  for (const EdgeSetting& setting : kEdgeSettings) {
    if (id == setting.setId) return setEdge(layer, setting, int32_t(args[0]));
    if (id == setting.getId) return uint32_t(layer->*setting.field);
  }
  switch (id) {
    case kMoveTop: {
      Qz_Image* last = layer->parent ? last_layer(layer->parent) : nullptr;
      return last && last != layer ? moveAfter(layer, last) : 0;
    }
    case kMoveUp: {
      Qz_Image* next = next_layer(layer);
      return next ? moveAfter(layer, next) : 0;
    }
    case kMoveDown: {
      Qz_Image* below = previous(layer);
      return below ? moveAfter(layer, previous(below)) : 0;
    }
    case kMoveBottom:
      return layer->parent && first_layer(layer->parent) != layer ? moveAfter(layer, nullptr) : 0;
    case kMoveAfter: return moveAfter(layer, reinterpret_cast<Qz_Image*>(args[0]));
    default: break;
  }
  for (auto* next : {layerListDispatch, layerPlacementDispatch, layerCommandDispatch}) {
    const QzWord result = next(layer, id, args, handled);
    if (handled) return result;
  }
  handled = false;
  return 0;
}

}  // namespace qz
