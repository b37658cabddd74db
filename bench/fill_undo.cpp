// Flood fill and undo on the shared 6000 x 4000 scene, at the fill tool's
// default tolerance (25) and at 255 (the whole layer). The fill's mask alone
// beside ImageMagick's and GraphicsMagick's floodfill of the same picture
// from the same seed; then the program's whole path on the headless host with
// the scene opened as a user opens it and three layers (Paint, Multiply,
// Overlay): a fill tool click until the view has drawn the fill, and one undo
// and one redo of a document's twenty steps (strokes of a 25-pixel brush, or
// fills) until the view has drawn it. Medians of the rounds.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "actions/flood_fill.h"
#include "actions/qz_actions.h"
#include "app/class_registration.h"
#include "bench_peers.h"
#include "bench_scene.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "media/qz_root_media.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "platform/windows.h"
#include "tools/qz_root_tool.h"

namespace {

using qzbench::kSceneHeight;
using qzbench::kSceneWidth;

// A seed in the scene's middle; the softness is the fill tool's default.
constexpr int32_t kSeedX = kSceneWidth / 2, kSeedY = kSceneHeight / 2;
constexpr int32_t kSoftness = 30;
constexpr int kSteps = 20;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

using Clock = std::chrono::steady_clock;
double MillisSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// ---- the mask alone --------------------------------------------------------------------

void BM_FloodFillMask(benchmark::State& state) {
  const int32_t tolerance = int32_t(state.range(0));
  Qz_Image* doc = qzbench::SceneDocument();
  if (!doc) {
    state.SkipWithError("could not build the document");
    return;
  }
  auto* mask = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  Qz_AllocImage(mask, kSceneWidth, kSceneHeight, 8, kQzAllocNoThread | kQzAllocNoUndo, nullptr);
  int64_t filled = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (int32_t y = 0; y < kSceneHeight; ++y) std::fill_n(mask->grey[y], kSceneWidth, 0);
    state.ResumeTiming();
    qz::actions::floodFillMask(doc, {0, 0, kSceneWidth, kSceneHeight}, {tolerance, kSoftness}, kSeedX, kSeedY,
                               mask->grey, 0, 0);
    benchmark::DoNotOptimize(mask->grey[kSeedY][kSeedX]);
  }
  for (int32_t y = 0; y < kSceneHeight; ++y)
    for (int32_t x = 0; x < kSceneWidth; ++x) filled += mask->grey[y][x] != 0;
  state.counters["filled_Mpixel"] = double(filled) / 1e6;
  Qz_DisposeObject(&mask->object);
}
BENCHMARK(BM_FloodFillMask)->Arg(25)->Arg(255)->Unit(benchmark::kMillisecond)->UseRealTime();

// The peers' floodfill of the same picture from the same seed, the fuzz
// being the tolerance's share of the channel range.
std::vector<std::string> PeerFill(int64_t tolerance) {
  return {"-fuzz", std::to_string(double(tolerance) * 100.0 / 255) + "%", "-fill", "red", "-draw",
          "color " + std::to_string(kSeedX) + "," + std::to_string(kSeedY) + " floodfill"};
}
void BM_ImageMagickFloodFill(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kImageMagick, PeerFill(state.range(0)));
}
BENCHMARK(BM_ImageMagickFloodFill)->Arg(25)->Arg(255)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
void BM_GraphicsMagickFloodFill(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kGraphicsMagick, PeerFill(state.range(0)));
}
BENCHMARK(BM_GraphicsMagickFloodFill)->Arg(25)->Arg(255)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// ---- the program's path ------------------------------------------------------------------

void StartOnce() {
  static const bool started = [] {
    setenv("QZ_HOST", "headless", 0);
    Qz_InitImageBase();
    Qz_GlobalData* global = Qz_GetGlobalData();
    Qz_InitImageClass(global);
    for (auto group : {qz::app::ClassGroup::Formats, qz::app::ClassGroup::Modes, qz::app::ClassGroup::Actions,
                       qz::app::ClassGroup::Media, qz::app::ClassGroup::Tools})
      qz::app::initClasses(qz::app::classGroup(group), global);
    qz::headless::setDesktopSize(1024, 768);
    OpenScreenTags(nullptr);
    return true;
  }();
  (void)started;
}

// The scene as a binary PPM in memory-backed storage, loaded as a user opens it.
std::string WriteScene() {
  const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string path = std::string(folder) + "/qz_bench_fill_XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd < 0) return "";
  const std::string header = "P6\n" + std::to_string(kSceneWidth) + " " + std::to_string(kSceneHeight) + "\n255\n";
  const std::vector<uint8_t>& rgb = qzbench::SceneRgb();
  const bool ok = write(fd, header.data(), header.size()) == ssize_t(header.size()) &&
                  write(fd, rgb.data(), rgb.size()) == ssize_t(rgb.size());
  close(fd);
  if (!ok) std::remove(path.c_str());
  return ok ? path : "";
}

// The loaded scene in its view, with Multiply and Overlay layers above its
// Paint layer and the top one active, and the screen spot the tests watch.
struct Program {
  Qz_Image* image = nullptr;
  Qz_Object* view = nullptr;
  int32_t left = 0, top = 0, width = 0, height = 0;  // the view on the screen
  Qz_Image* layers[3] = {};
};

Program OpenScene() {
  StartOnce();
  Program p;
  const std::string path = WriteScene();
  if (path.empty()) return p;
  p.image = Qz__LoadImageA(path.c_str(), nullptr, nullptr, 4, nullptr);
  std::remove(path.c_str());
  p.view = p.image ? Qz_CurrentViewOf(p.image) : nullptr;
  Qz_Object* window = p.view ? Qz_SearchHierachyForClassId(p.view, kWindowClassId) : nullptr;
  for (int i = 0; i < 500 && window && !Qz__PlatformWindowOf(window); ++i) Delay(1);
  Window* platform = window ? Qz__PlatformWindowOf(window) : nullptr;
  if (!platform) return Program{};
  p.layers[0] = p.image->activeLayer;
  const char* modes[] = {"Multiply", "Overlay"};
  for (int i = 0; i < 2; ++i) {
    Qz_DoMethod(&p.image->object, kQzImageMakeLayer, kQzPaintLayer, kSceneWidth, kSceneHeight, 8);
    p.layers[i + 1] = p.image->activeLayer;
    // Posted, as the media sets a layer's mode: the document's thread re-renders it.
    Qz_DoAsyncMethod(&p.layers[i + 1]->object, kQzImageSetLayerMode, modes[i]);
    qz::headless::settle(10000);
  }
  qz::headless::settle(10000);
  Qz__SettleImageView(p.view);
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(p.view, kRootGetLayoutBox));
  p.left = platform->LeftEdge + box->left, p.top = platform->TopEdge + box->top;
  p.width = box->width, p.height = box->height;
  qz::headless::click(p.left + 5, p.top + 5);  // makes the window active
  qz::headless::settle(10000);
  return p;
}

void Close(Program& p) {
  Qz_GetImageBase()->currentTool = nullptr;
  if (p.image) Qz_DisposeObject(&p.image->object);
  p = Program{};
}

// Waits until everything started has run and the view has drawn it.
void SettleAll(const Program& p) {
  qz::headless::settle(20000);
  Qz__SettleImageView(p.view);
}

// ---- fill click to screen

Qz_Object* FillTool(int64_t tolerance) {
  Qz_Object* tool = Qz_CreateObject("FillTool");
  if (tool) Qz_DoMethod(tool, kFloodFillSetTolerance, uint32_t(tolerance));
  return tool;
}

// A click at a spot of the shown picture that moves with the round; the
// buttons take turns, so the layer is filled and emptied again.
void Click(const Program& p, int32_t round) {
  const int32_t x = p.left + p.width / 4 + (round * 13) % (p.width / 2);
  const int32_t y = p.top + p.height / 4 + (round * 7) % (p.height / 2);
  qz::headless::click(x, y, (round & 1) ? qz::host::Button::Right : qz::host::Button::Left);
}

void BM_FillClickToScreen(benchmark::State& state) {
  Program p = OpenScene();
  if (!p.image) {
    state.SkipWithError("the picture's view did not open");
    return;
  }
  Qz_Object* tool = FillTool(state.range(0));
  Qz_GetImageBase()->currentTool = tool;
  std::vector<double> millis;
  int32_t round = 0;
  for (auto _ : state) {
    SettleAll(p);
    const auto start = Clock::now();
    Click(p, round++);
    SettleAll(p);
    millis.push_back(MillisSince(start));
    state.SetIterationTime(millis.back() / 1000);
  }
  state.counters["median_ms"] = Median(millis);
  Qz_DisposeObject(tool);
  Close(p);
}
BENCHMARK(BM_FillClickToScreen)->Arg(25)->Arg(255)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

// ---- undo and redo of one of twenty steps

// Twenty strokes of a 25-pixel brush across the shown picture, each a press,
// forty moves and a release, as a user paints them.
void Strokes(const Program& p) {
  Qz_Object* media = Qz_CreateObject("RootMedia");
  Qz_DoMethod(media, kMediaSize, 25u);
  Qz_DoMethod(media, kMediaPressure, 40u);
  Qz_DoMethod(media, kMediaSetFreehand, 1u);
  p.image->media = media;
  Qz_Object* tool = Qz_CreateObject("DrawTool");
  Qz_GetImageBase()->currentTool = tool;
  for (int s = 0; s < kSteps; ++s) {
    int32_t x = p.left + 20 + (s * 37) % (p.width / 3), y = p.top + 20 + (s * 23) % (p.height - 60);
    qz::headless::moveTo(x, y);
    qz::headless::press();
    for (int m = 0; m < 40; ++m) qz::headless::moveTo(x += p.width / 80, y + (m & 7));
    qz::headless::release();
    SettleAll(p);
  }
  Qz_GetImageBase()->currentTool = nullptr;
  Qz_DisposeObject(tool);
}

// Twenty fill clicks over the whole layer.
void Fills(const Program& p) {
  Qz_Object* tool = FillTool(255);
  Qz_GetImageBase()->currentTool = tool;
  for (int s = 0; s < kSteps; ++s) {
    Click(p, s);
    SettleAll(p);
  }
  Qz_GetImageBase()->currentTool = nullptr;
  Qz_DisposeObject(tool);
}

void UndoRedo(benchmark::State& state, void (*steps)(const Program&)) {
  Program p = OpenScene();
  if (!p.image) {
    state.SkipWithError("the picture's view did not open");
    return;
  }
  steps(p);
  std::vector<double> undo, redo;
  for (auto _ : state) {
    SettleAll(p);
    auto start = Clock::now();
    const bool undone = Qz_UndoImageAction(p.image) != 0;
    SettleAll(p);
    undo.push_back(MillisSince(start));
    start = Clock::now();
    const bool redone = Qz_RedoImageAction(p.image) != 0;
    SettleAll(p);
    redo.push_back(MillisSince(start));
    if (!undone || !redone) {
      state.SkipWithError("the step was not undone and redone");
      break;
    }
    state.SetIterationTime((undo.back() + redo.back()) / 1000);
  }
  state.counters["undo_median_ms"] = Median(undo);
  state.counters["redo_median_ms"] = Median(redo);
  Close(p);
}

void BM_UndoRedoOfTwentyStrokes(benchmark::State& state) { UndoRedo(state, Strokes); }
BENCHMARK(BM_UndoRedoOfTwentyStrokes)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

void BM_UndoRedoOfTwentyFills(benchmark::State& state) { UndoRedo(state, Fills); }
BENCHMARK(BM_UndoRedoOfTwentyFills)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

}  // namespace
