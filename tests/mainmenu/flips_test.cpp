// The Flip commands (and the half turn, a flip both ways) run for real on a
// small marked document: where a marked pixel lands, which layers move, what
// the image shows, and that a flip twice or one undo gives back the bytes.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_menu.h"
#include "app/menu_commands.h"
#include "image/image_shell.h"
#include "image/qz_scaling.h"
#include "main_menu_env.h"
#include "platform/menu_bar.h"
#include "support/pattern_ppm.h"

namespace qztest {
namespace {

constexpr int32_t kWidth = 5, kHeight = 4;  // odd width: the middle column stays
constexpr uint32_t kNewLayer = 0x100078, kPlaceLayer = 0x10024E;
constexpr uint32_t kPaintLayer = 1, kImageLayer = 2;
constexpr uint8_t kMark = 200;

struct Spot {
  int32_t x, y;
  bool operator==(const Spot&) const = default;
};

// Every byte the flips may touch, with the layers' places.
struct Snapshot {
  std::vector<uint8_t> bytes;
  std::vector<int32_t> places;
  bool operator==(const Snapshot&) const = default;
};

void PrintTo(const Snapshot& s, std::ostream* out) {
  for (uint8_t b : s.bytes) *out << int(b) << ' ';
  *out << "| places";
  for (int32_t p : s.places) *out << ' ' << p;
}

void addPlane(std::vector<uint8_t>& out, Qz_Plane plane, int32_t width, int32_t height) {
  if (!plane) return;
  for (int32_t y = 0; y < height; ++y) out.insert(out.end(), plane[y], plane[y] + width);
}

std::vector<Qz_Image*> layersOf(Qz_Image* doc) {
  std::vector<Qz_Image*> out;
  for (Qz_Image* l = first_layer(doc); l; l = next_layer(l)) out.push_back(l);
  return out;
}

Snapshot snapshot(Qz_Image* doc) {
  Qz__SettleImage(doc);
  Snapshot s;
  for (Qz_Plane p : {doc->undoR, doc->undoG, doc->undoB, doc->r, doc->g, doc->b})
    addPlane(s.bytes, p, doc->width, doc->height);
  for (Qz_Image* l : layersOf(doc)) {
    for (Qz_Plane p : {l->grey, l->r, l->g, l->b, l->undoR, l->undoG, l->undoB})
      addPlane(s.bytes, p, l->width, l->height);
    s.places.insert(s.places.end(), {l->placement.layerX, l->placement.layerY, l->width, l->height});
  }
  return s;
}

// A paint layer's transparency, an image layer's own red.
Qz_Plane markedPlane(Qz_Image* layer) { return layer->grey ? layer->grey : layer->undoR; }

// The one marked pixel of a layer, or (-1, -1).
Spot markOf(Qz_Image* layer) {
  Spot found{-1, -1};
  for (int32_t y = 0; y < layer->height; ++y)
    for (int32_t x = 0; x < layer->width; ++x)
      if (markedPlane(layer)[y][x] == kMark) found = {x, y};
  return found;
}

struct Flip {
  uint16_t id;
  bool across, down, wholeImage;
};

// A half turn (97) mirrors both ways too.
const Flip kFlips[] = {{89, true, false, true},  {90, true, true, true},  {91, false, true, true},
                       {92, true, false, false}, {93, true, true, false}, {94, false, true, false},
                       {97, true, true, true}};

Spot mirrored(Spot s, int32_t width, int32_t height, const Flip& f) {
  return {f.across ? width - 1 - s.x : s.x, f.down ? height - 1 - s.y : s.y};
}

class Flips : public MainMenuTest {
 protected:
  void SetUp() override { ASSERT_NE(Qz__CreateMainMenuBar(), nullptr); }
  void TearDown() override {
    qz::app::destroyMainMenuBars();
    MainMenuTest::TearDown();
  }

  // The pattern background, its own full-size layer marked top left, a
  // second full layer marked bottom right, an image layer marked bottom
  // left and a 2 x 3 paint layer at (1, 0) marked at its top-left pixel; the
  // small layer is the current one.
  Qz_Image* MarkedDocument() {
    Qz_Image* doc = Document(kWidth, kHeight);
    if (!doc) return nullptr;
    auto add = [&](uint32_t kind, int32_t w, int32_t h) {
      return reinterpret_cast<Qz_Image*>(
          Qz_DoMethod(&doc->object, kNewLayer, kind, w, h, kind == kImageLayer ? 24 : 8));
    };
    Qz_Image* second = add(kPaintLayer, kWidth, kHeight);
    Qz_Image* image = add(kImageLayer, kWidth, kHeight);
    Qz_Image* small = add(kPaintLayer, 2, 3);
    if (!second || !image || !image->undoR || !small) return nullptr;
    Qz_DoMethod(&small->object, kPlaceLayer, 1, 0, 2, 3);
    first_layer(doc)->grey[0][0] = kMark;
    second->grey[kHeight - 1][kWidth - 1] = kMark;
    image->undoR[kHeight - 1][0] = kMark;
    Qz_CopyUndoToImageData(image, 0, 0, kWidth - 1, kHeight - 1, 0, 0);
    small->grey[0][0] = kMark;
    // As a stroke would: only the rows and columns painted are marked changed.
    for (Qz_Image* l : layersOf(doc)) {
      const Spot at = markOf(l);
      if (l->grey) Qz_ModifiedLayer(l, at.x, at.y, at.x, at.y);
      Qz_ModifiedImageData(l, at.x, at.y, at.x, at.y);
    }
    return doc;
  }

  static void Run(uint16_t id) { qz::app::runMenuCommand(id, 1, qz::app::programMenuEffects()); }
};

TEST_F(Flips, EachFlipMirrorsItsPixelsAndOnlyItsLayers) {
  for (const Flip& f : kFlips) {
    SCOPED_TRACE("command " + std::to_string(f.id));
    Qz_Image* doc = MarkedDocument();
    ASSERT_NE(doc, nullptr);
    const std::vector<Qz_Image*> layers = layersOf(doc);
    ASSERT_EQ(layers.size(), 4u);
    ASSERT_EQ(doc->activeLayer, layers[3]);
    std::vector<Spot> marks, places;
    for (Qz_Image* l : layers) {
      marks.push_back(markOf(l));
      places.push_back({l->placement.layerX, l->placement.layerY});
    }
    ASSERT_EQ(places[3], (Spot{1, 0}));
    Qz__SettleImage(doc);
    std::vector<uint8_t> red, green, shown;
    addPlane(red, doc->undoR, kWidth, kHeight);
    addPlane(green, doc->undoG, kWidth, kHeight);
    addPlane(shown, doc->r, kWidth, kHeight);

    Run(f.id);
    Qz__SettleImage(doc);

    EXPECT_EQ(doc->width, kWidth);
    EXPECT_EQ(doc->height, kHeight);
    for (std::size_t i = 0; i < layers.size(); ++i) {
      SCOPED_TRACE("layer " + std::to_string(i));
      Qz_Image* l = layers[i];
      const bool moves = f.wholeImage || l == doc->activeLayer;
      EXPECT_EQ(markOf(l), moves ? mirrored(marks[i], l->width, l->height, f) : marks[i]);
      // A layer flipped alone stays where it lies; with the image it mirrors
      // about the image's centre, as its pixels do.
      Spot place = places[i];
      if (f.wholeImage) {
        const Spot far = mirrored({place.x + l->width - 1, place.y + l->height - 1}, kWidth, kHeight, f);
        place = {f.across ? far.x : place.x, f.down ? far.y : place.y};
      }
      EXPECT_EQ((Spot{l->placement.layerX, l->placement.layerY}), place);
    }
    // The background mirrors with the image only; so does what the image
    // shows when every layer mirrors with it.
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        const Spot from = f.wholeImage ? mirrored({x, y}, kWidth, kHeight, f) : Spot{x, y};
        const std::size_t at = std::size_t(from.y * kWidth + from.x);
        ASSERT_EQ(doc->undoR[y][x], red[at]) << x << "," << y;
        ASSERT_EQ(doc->undoG[y][x], green[at]) << x << "," << y;
        if (f.wholeImage) {
          ASSERT_EQ(doc->r[y][x], shown[at]) << x << "," << y;
        }
      }
    DisposeAll();
  }
}

TEST_F(Flips, TwiceIsTheOriginalAndOneUndoRestoresTheBytes) {
  for (const Flip& f : kFlips) {
    const uint16_t id = f.id;
    SCOPED_TRACE("command " + std::to_string(id));
    Qz_Image* doc = MarkedDocument();
    ASSERT_NE(doc, nullptr);
    const Snapshot before = snapshot(doc);

    Run(id);
    const Snapshot flipped = snapshot(doc);
    EXPECT_NE(flipped, before);
    Run(id);
    EXPECT_EQ(snapshot(doc), before) << "a flip twice";

    Run(id);
    ASSERT_EQ(snapshot(doc), flipped);
    EXPECT_EQ(Qz_UndoImageAction(doc), 1u);
    EXPECT_EQ(snapshot(doc), before) << "one undo";
    EXPECT_EQ(Qz_RedoImageAction(doc), 1u);
    EXPECT_EQ(snapshot(doc), flipped) << "redo";
    DisposeAll();
  }
}

// ImageMagick mirrors the same file the same way.
TEST_F(Flips, TheImageFlipsMatchImageMagick) {
  if (std::system("convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick missing";
  struct Case {
    uint16_t id;
    const char* options;
  };
  const Case cases[] = {{89, "-flop"}, {90, "-flop -flip"}, {91, "-flip"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    Qz_Image* doc = Document(7, 5);
    ASSERT_NE(doc, nullptr);
    const std::string raw = dir_.file("magick.rgb");
    const std::string command = "convert '" + std::string(doc->name) + "' " + c.options + " -depth 8 'rgb:" + raw + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(raw, std::ios::binary);
    const std::vector<uint8_t> expected{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(expected.size(), std::size_t(7 * 5 * 3));

    Run(c.id);
    Qz__SettleImage(doc);
    std::vector<uint8_t> ours;
    for (int32_t y = 0; y < doc->height; ++y)
      for (int32_t x = 0; x < doc->width; ++x) ours.insert(ours.end(), {doc->r[y][x], doc->g[y][x], doc->b[y][x]});
    EXPECT_EQ(ours, expected);
    DisposeAll();
  }
}

TEST_F(Flips, EntriesAreEnabledWithAnImageOpenAndGreyedWithout) {
  QzMenu* full = qz::app::fullMenuBar();
  for (uint16_t id : {89, 90, 91, 92, 93, 94}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(qz::app::menuCommandAvailable(id));
    qz::app::setNoImageMenus();
    EXPECT_EQ(Qz_GetMenuItemState(full, id), 0);
    EXPECT_EQ(Qz_GetMenuItemState(qz::app::reducedMenuBar(), id), -1) << "no Image or Layer menu";
    qz::app::setImageMenus();
    EXPECT_EQ(Qz_GetMenuItemState(full, id), 1);
  }
}

}  // namespace
// Scaling the image with its layers scales its background, not what it
// shows: the layers' paint is not baked into the background (where it
// would show twice, once from the background and once from the layer).
TEST_F(Flips, ScalingWithTheLayersKeepsTheirPaintOutOfTheBackground) {
  Qz_Image* doc = MarkedDocument();
  ASSERT_NE(doc, nullptr);
  Qz__SettleImage(doc);
  std::vector<uint8_t> red;
  addPlane(red, doc->undoR, kWidth, kHeight);
  ASSERT_NE(doc->r[0][0], doc->undoR[0][0]) << "the first layer's mark shows over the background";
  ASSERT_EQ(Qz__ScaleImage(doc, 2 * kWidth, 2 * kHeight, kQzScaleLayers | kQzScaleNoProgress | kQzScaleUndoable), 1);
  Qz__SettleImage(doc);
  ASSERT_EQ(doc->width, 2 * kWidth);
  for (int32_t y = 0; y < 2 * kHeight; ++y)
    for (int32_t x = 0; x < 2 * kWidth; ++x)
      ASSERT_EQ(doc->undoR[y][x], red[std::size_t((y / 2) * kWidth + x / 2)]) << x << "," << y;
  EXPECT_NE(doc->r[0][0], doc->undoR[0][0]) << "the scaled layer's mark still shows";
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  Qz__SettleImage(doc);
  std::vector<uint8_t> undone;
  addPlane(undone, doc->undoR, kWidth, kHeight);
  EXPECT_EQ(undone, red) << "one undo gives the background back";
  DisposeAll();
}

}  // namespace qztest
