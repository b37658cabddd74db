// Painting speed: dabs per second of the brush engine for soft round
// brushes of 5, 25, 100 and 300 pixels and for a picture brush on a 4096 x
// 4096 layer, and the stroke-to-screen latency on the headless host: from an
// injected pointer move to the view's pixel under the new dab changing
// (median and 95th percentile over a few hundred moves). The plain loop
// beside the engine's dabs is the same add written naively (one pixel at a
// time, no engine), the floor the engine is measured against.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/class_registration.h"
#include "bench_peers.h"
#include "bench_scene.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "media/qz_root_media.h"
#include "objects/object_services.h"
#include "platform/windows.h"

namespace {

constexpr int32_t kSide = 4096;
constexpr int kDabsPerRound = 256;
constexpr int32_t kLatencyBrush = 24;

void StartOnce() {
  static const bool started = [] {
    setenv("QZ_HOST", "headless", 0);
    Qz_InitImageBase();
    Qz_GlobalData* global = Qz_GetGlobalData();
    Qz_InitImageClass(global);
    for (auto group : {qz::app::ClassGroup::Formats, qz::app::ClassGroup::Modes, qz::app::ClassGroup::Actions,
                       qz::app::ClassGroup::Media, qz::app::ClassGroup::Tools})
      qz::app::initClasses(qz::app::classGroup(group), global);
    return true;
  }();
  (void)started;
}

// A document without thread with one 8-bit paint layer, and a media in its slot.
struct Canvas {
  Qz_Image* document = nullptr;
  Qz_Image* layer = nullptr;
};

Canvas MakeCanvas(const char* mediaClass, int32_t size, bool picture) {
  StartOnce();
  Canvas c;
  c.document = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  Qz_AllocImage(c.document, kSide, kSide, 24, kQzAllocNoThread, nullptr);
  c.layer = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  c.layer->parent = c.document;
  Qz_AllocImage(c.layer, kSide, kSide, 8, kQzAllocNoThread, nullptr);
  Qz_DoMethod(&c.document->object, kQzImageAddLayer, c.layer);
  Qz_Object* media = Qz_CreateObject(mediaClass);
  Qz_DoMethod(media, kMediaPressure, 128u);
  if (picture) {
    auto* source = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
    Qz_AllocImage(source, 256, 256, 24, kQzAllocNoThread, nullptr);
    c.layer->firstSource = source;
  }
  Qz_DoMethod(media, kMediaSize, uint32_t(size));
  c.document->media = media;
  return c;
}

void Dispose(Canvas& c) {
  Qz_Object* media = c.document->media;
  Qz_Image* source = c.layer->firstSource;
  Qz_DisposeObject(&c.document->object);
  Qz_DisposeObject(media);
  if (source) Qz_DisposeObject(&source->object);
}

void RunDabs(benchmark::State& state, const char* mediaClass, bool picture) {
  Canvas c = MakeCanvas(mediaClass, int32_t(state.range(0)), picture);
  int32_t step = 0;
  for (auto _ : state) {
    for (int i = 0; i < kDabsPerRound; ++i, ++step) {
      const int32_t x = 200 + (step * 37) % (kSide - 400), y = 200 + (step * 53) % (kSide - 400);
      Qz_DoMethod(c.document->media, kMediaStrokeMessage, kStrokeDab, c.document, c.layer, 1u,
                  uint32_t(kStrokeFlagQuiet), uint32_t(x), uint32_t(y), 0u);
    }
  }
  state.SetItemsProcessed(state.iterations() * kDabsPerRound);
  Dispose(c);
}

void BM_SoftRoundDabs(benchmark::State& state) { RunDabs(state, "RootMedia", false); }
BENCHMARK(BM_SoftRoundDabs)->Arg(5)->Arg(25)->Arg(100)->Arg(300)->Unit(benchmark::kMicrosecond);

// A 64-pixel picture brush: ImageMedia's size is a percentage of the 256-pixel picture.
void BM_PictureDabs(benchmark::State& state) { RunDabs(state, "ImageMedia", true); }
BENCHMARK(BM_PictureDabs)->Arg(25)->Unit(benchmark::kMicrosecond);

// The naive floor: the same saturating add of a round brush, one pixel at a time.
void BM_PlainLoopDabs(benchmark::State& state) {
  const int32_t side = int32_t(state.range(0));
  std::vector<uint8_t> plane(size_t(kSide) * kSide), brush(size_t(side) * side);
  for (int32_t y = 0; y < side; ++y)
    for (int32_t x = 0; x < side; ++x) {
      const int32_t dx = x - side / 2, dy = y - side / 2, r = side / 2;
      brush[size_t(y * side + x)] = uint8_t(dx * dx + dy * dy < r * r ? 255 - 255 * (dx * dx + dy * dy) / (r * r + 1) : 0);
    }
  int32_t step = 0;
  for (auto _ : state) {
    for (int i = 0; i < kDabsPerRound; ++i, ++step) {
      const int32_t x0 = 200 + (step * 37) % (kSide - 400) - side / 2;
      const int32_t y0 = 200 + (step * 53) % (kSide - 400) - side / 2;
      for (int32_t y = 0; y < side; ++y) {
        uint8_t* row = plane.data() + size_t(y0 + y) * kSide + x0;
        for (int32_t x = 0; x < side; ++x)
          row[x] = uint8_t(std::min(255, row[x] + ((brush[size_t(y * side + x)] * 128) >> 8)));
      }
    }
    benchmark::DoNotOptimize(plane.data());
  }
  state.SetItemsProcessed(state.iterations() * kDabsPerRound);
}
BENCHMARK(BM_PlainLoopDabs)->Arg(5)->Arg(25)->Arg(100)->Arg(300)->Unit(benchmark::kMicrosecond);

// ---- stroke to screen ---------------------------------------------------------------

std::string WritePicture(int32_t width, int32_t height) {
  char path[] = "/tmp/qz_bench_paintXXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return "";
  close(fd);
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << width << " " << height << "\n255\n";
  for (int32_t i = 0; i < width * height; ++i) out << char(180) << char(160) << char(140);
  return path;
}

// The screen opens once for every latency benchmark of the run.
void OpenScreenOnce() {
  static const bool opened = [] {
    qz::headless::setDesktopSize(1024, 768);
    OpenScreenTags(nullptr);
    return true;
  }();
  (void)opened;
}

// The document's view, once its window is open and everything is drawn; null when it did not open.
Qz_Object* ShownView(Qz_Image* image, Window** platform) {
  Qz_Object* view = image ? Qz_CurrentViewOf(image) : nullptr;
  Qz_Object* window = view ? Qz_SearchHierachyForClassId(view, kWindowClassId) : nullptr;
  for (int i = 0; i < 250 && window && !Qz__PlatformWindowOf(window); ++i) Delay(1);
  *platform = window ? Qz__PlatformWindowOf(window) : nullptr;
  if (!*platform) return nullptr;
  qz::headless::settle();
  Qz__SettleImageView(view);
  return view;
}

// The part of the view its window shows, in screen pixels (inclusive).
struct ShownRect {
  int32_t x0, y0, x1, y1;
};
ShownRect ShownPart(Qz_Object* view, const Window* platform) {
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(view, kRootGetLayoutBox));
  ShownRect r{box->left, box->top, box->left + box->width - 1, box->top + box->height - 1};
  for (Qz_Object* up = box->parent; up;) {
    const auto* b = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(up, kRootGetLayoutBox));
    if (!b) break;
    if (b->width > 0 && b->height > 0) {
      r.x0 = std::max<int32_t>(r.x0, b->left), r.y0 = std::max<int32_t>(r.y0, b->top);
      r.x1 = std::min<int32_t>(r.x1, b->left + b->width - 1), r.y1 = std::min<int32_t>(r.y1, b->top + b->height - 1);
    }
    up = b->parent;
  }
  return {r.x0 + platform->LeftEdge, r.y0 + platform->TopEdge, r.x1 + platform->LeftEdge,
          r.y1 + platform->TopEdge};
}

// A freehand stroke with the draw tool through the headless host: each
// pointer move of `step` screen pixels is timed from the injected move to
// the screen pixel at `lead` pixels ahead of the pointer changing, with
// everything the move before started drawn first. Strokes run along rows
// `rowStep` apart, `margin` inside the shown part, until `wanted` moves are timed; the moves whose pixel did
// not change within a second are counted apart.
struct Latency {
  std::vector<double> micros;
  int missed = 0;
};
Latency TimeStrokes(Qz_Object* view, const ShownRect& shown, int32_t margin, int32_t step, int32_t lead,
                    int32_t rowStep, int wanted) {
  Latency result;
  for (int32_t y = shown.y0 + margin; y <= shown.y1 - margin && int(result.micros.size()) < wanted; y += rowStep) {
    int32_t x = shown.x0 + margin;
    qz::headless::moveTo(x, y);
    qz::headless::press();
    qz::headless::settle();
    while (x + step + lead <= shown.x1 - margin && int(result.micros.size()) < wanted) {
      x += step;
      const int32_t probe = x + lead;
      qz::headless::settle();
      Qz__SettleImageView(view);
      const uint32_t before = qz::headless::screenPixel(probe, y);
      const auto start = std::chrono::steady_clock::now();
      qz::headless::moveTo(x, y);
      auto now = std::chrono::steady_clock::now();
      while (qz::headless::screenPixel(probe, y) == before && now - start < std::chrono::seconds(1)) {
        std::this_thread::yield();
        now = std::chrono::steady_clock::now();
      }
      if (now - start >= std::chrono::seconds(1))
        ++result.missed;
      else
        result.micros.push_back(std::chrono::duration<double, std::micro>(now - start).count());
    }
    qz::headless::release();
    qz::headless::settle();
    Qz__SettleImageView(view);
  }
  return result;
}

void Report(benchmark::State& state, Latency& latency) {
  std::vector<double>& micros = latency.micros;
  std::sort(micros.begin(), micros.end());
  if (!micros.empty()) {
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p95_us"] = micros[micros.size() * 95 / 100];
    state.counters["moves"] = double(micros.size());
  }
  state.counters["missed"] = latency.missed;
}

// A round brush of kLatencyBrush pixels, 40 of 255 strong, through the draw tool.
struct Brush {
  Qz_Object* media = nullptr;
  Qz_Object* tool = nullptr;
};
Brush TakeBrush(Qz_Image* image) {
  Brush b;
  b.media = Qz_CreateObject("RootMedia");
  Qz_DoMethod(b.media, kMediaSize, uint32_t(kLatencyBrush));
  Qz_DoMethod(b.media, kMediaPressure, 40u);
  Qz_DoMethod(b.media, kMediaSetFreehand, 1u);
  image->media = b.media;
  b.tool = Qz_CreateObject("DrawTool");
  Qz_GetImageBase()->currentTool = b.tool;
  return b;
}
void DropBrush(Qz_Image* image, Brush& b) {
  Qz_GetImageBase()->currentTool = nullptr;
  Qz_DisposeObject(b.tool);
  image->media = nullptr;
  Qz_DisposeObject(b.media);
}

void BM_StrokeToScreenLatency(benchmark::State& state) {
  StartOnce();
  OpenScreenOnce();
  const std::string path = WritePicture(600, 400);
  Qz_Image* image = Qz__LoadImageA(path.c_str(), nullptr, nullptr, 4, nullptr);
  std::remove(path.c_str());
  Window* platform = nullptr;
  Qz_Object* view = ShownView(image, &platform);
  if (!view) {
    state.SkipWithError("the picture's view did not open");
    return;
  }
  Brush brush = TakeBrush(image);
  const ShownRect shown = ShownPart(view, platform);
  qz::headless::click(shown.x0 + 5, shown.y0 + 5);  // makes the window active
  qz::headless::settle();
  Latency latency;
  for (auto _ : state) {
    // A move to x lays dabs up to x - 1 (the segment's end gets none), so
    // the brush's leading edge first reaches column x + 8 now.
    latency = TimeStrokes(view, shown, kLatencyBrush, 2, kLatencyBrush / 2 - 4, 60, 300);
  }
  Report(state, latency);
  DropBrush(image, brush);
  Qz_DisposeObject(&image->object);
}
BENCHMARK(BM_StrokeToScreenLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- stroke to screen on the 24-megapixel scene with layers ----------------------------

// The scene's picture as a document with a thread and a window, three paint
// layers over it (Paint, Multiply, Overlay, each with a soft transparency
// over the whole picture) and, when asked, a GaussianBlur layer above them;
// the Overlay layer is the one painted.
struct LayeredScene {
  Qz_Image* image = nullptr;
  Qz_Image* painted = nullptr;
};

uint8_t SoftAlpha(int32_t x, int32_t y, int pattern) {
  return uint8_t(40 + ((x / 24 + y / 32 + pattern * 3) % 7) * 12);
}

Qz_Image* AddLayer(Qz_Image* image, const char* modeName, int pattern, const uint8_t colour[3]) {
  const int32_t w = qzbench::kSceneWidth, h = qzbench::kSceneHeight;
  auto* layer = reinterpret_cast<Qz_Image*>(Qz_DoMethod(&image->object, kQzImageMakeLayer, kQzPaintLayer, w, h, 8));
  if (!layer || !layer->grey) return nullptr;
  if (std::strcmp(modeName, "Paint") != 0) {
    Qz_DoMethod(&layer->object, kQzImageSetLayerMode, modeName);
    Qz_DoLayerDoesntNeedsFixing(layer);
  }
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) layer->grey[y][x] = SoftAlpha(x, y, pattern);
  std::memcpy(layer->committedColour, colour, 3);
  std::memcpy(layer->chosenColour, colour, 3);
  Qz_ModifiedLayer(layer, 0, 0, w - 1, h - 1);
  return layer;
}

LayeredScene MakeLayeredScene(bool blurAbove) {
  LayeredScene s;
  const Qz_Image* scene = qzbench::SceneDocument();
  if (!scene) return s;
  const int32_t w = qzbench::kSceneWidth, h = qzbench::kSceneHeight;
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  if (!image || !Qz_AllocImage(image, w, h, 24, 0, nullptr) || !image->undoR) return s;
  for (int32_t y = 0; y < h; ++y) {
    std::memcpy(image->undoR[y], scene->undoR[y], size_t(w));
    std::memcpy(image->undoG[y], scene->undoG[y], size_t(w));
    std::memcpy(image->undoB[y], scene->undoB[y], size_t(w));
  }
  Qz_CopyUndoToImageData(image, 0, 0, w - 1, h - 1, 0, 0);
  Qz_DoMethod(&image->object, kQzImageMakeDocument, image);
  const uint8_t colours[4][3] = {{200, 90, 60}, {150, 130, 60}, {40, 200, 230}, {0, 0, 0}};
  const char* modes[] = {"Paint", "Multiply", "Overlay", "GaussianBlur"};
  Qz_Image* layers[4] = {};
  for (int i = 0; i < (blurAbove ? 4 : 3); ++i)
    if (!(layers[i] = AddLayer(image, modes[i], i, colours[i]))) return s;
  Qz_DoMethod(&image->object, kQzImageMakeActive, layers[2]);
  Qz_DoMethod(&image->object, kQzImageOpenView);
  Qz_DoMethod(&image->object, kQzAppMakeActiveImage, image);
  Qz_FullProcessImage(image);
  Qz_FullRedrawImage(image);
  s.image = image;
  s.painted = layers[2];
  return s;
}

// range(0): the zoom in percent; range(1): 1 with the GaussianBlur layer above.
void BM_LayeredStrokeToScreen(benchmark::State& state) {
  StartOnce();
  OpenScreenOnce();
  const int32_t percent = int32_t(state.range(0));
  LayeredScene scene = MakeLayeredScene(state.range(1) != 0);
  Window* platform = nullptr;
  Qz_Object* view = ShownView(scene.image, &platform);
  if (!view) {
    state.SkipWithError("the document's view did not open");
    if (scene.image) Qz_DisposeObject(&scene.image->object);
    return;
  }
  Qz_DoMethod(view, kQzViewZoom, uint32_t(percent), 0u);
  qz::headless::settle();
  Qz__SettleImageView(view);
  platform = Qz__PlatformWindowOf(Qz_SearchHierachyForClassId(view, kWindowClassId));
  Brush brush = TakeBrush(scene.image);
  const ShownRect shown = ShownPart(view, platform);
  qz::headless::click(shown.x0 + 2, shown.y0 + 2);  // makes the window active
  qz::headless::settle();
  Latency latency;
  for (auto _ : state) {
    // Zoomed out, a view pixel shows the image pixel at its top left, which
    // the newest dab of a one-pixel move covers; at 100 % as in the small picture.
    latency = percent < 100 ? TimeStrokes(view, shown, 2, 1, 0, 3, 200)
                            : TimeStrokes(view, shown, kLatencyBrush, 2, kLatencyBrush / 2 - 4, 40, 200);
  }
  Report(state, latency);
  DropBrush(scene.image, brush);
  Qz_DisposeObject(&scene.image->object);
  qz::headless::settle();
}
BENCHMARK(BM_LayeredStrokeToScreen)
    ->ArgNames({"zoom", "blur"})
    ->Args({100, 0})
    ->Args({1, 0})
    ->Args({100, 1})
    ->Args({1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The peer beside it: libvips composites the rectangle one move of the
// stroke touches (a 2-pixel move at 100 %: 37 x 25 pixels; a 1-pixel move
// at 1 %: 125 x 25) from the same background and the same three layers'
// transparencies (over, multiply, overlay), blurred over a rectangle grown
// by the blur's radius when asked, into memory. Only the compositing: no
// event, no scaling to the view, no drawing. Its time is per rectangle.
void BM_VipsTouchedRectangle(benchmark::State& state) {
  const vips::VImage& scene = qzbench::VipsScene();
  const int32_t w = qzbench::kSceneWidth, h = qzbench::kSceneHeight;
  static const std::vector<vips::VImage> alphas = [w, h] {
    std::vector<vips::VImage> images;
    for (int pattern = 0; pattern < 3; ++pattern) {
      std::vector<uint8_t> alpha(size_t(w) * h);
      for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) alpha[size_t(y) * w + x] = SoftAlpha(x, y, pattern);
      images.push_back(qzbench::VipsAlpha(alpha));
    }
    return images;
  }();
  const std::vector<double> colours[3] = {{200, 90, 60}, {150, 130, 60}, {40, 200, 230}};
  const int32_t rectWidth = int32_t(state.range(0)), rectHeight = kLatencyBrush + 1;
  const int32_t reach = state.range(1) ? 3 : 0;
  vips_concurrency_set(1);
  int32_t step = 0;
  for (auto _ : state) {
    const int32_t x = 200 + (step * 997) % (w - 400), y = 200 + (step * 613) % (h - 400);
    ++step;
    const int32_t left = x - reach, top = y - reach, cw = rectWidth + 2 * reach, ch = rectHeight + 2 * reach;
    vips::VImage region = scene.extract_area(left, top, cw, ch);
    std::vector<vips::VImage> layers{region};
    for (int i = 0; i < 3; ++i)
      layers.push_back(region.new_from_image(colours[i]).bandjoin(alphas[size_t(i)].extract_area(left, top, cw, ch)));
    vips::VImage out = vips::VImage::composite(
        layers, {VIPS_BLEND_MODE_OVER, VIPS_BLEND_MODE_MULTIPLY, VIPS_BLEND_MODE_OVERLAY});
    out = out.extract_band(0, vips::VImage::option()->set("n", 3));
    if (reach) out = out.gaussblur(1.5).extract_area(reach, reach, rectWidth, rectHeight);
    size_t size = 0;
    void* pixels = out.cast(VIPS_FORMAT_UCHAR).write_to_memory(&size);
    benchmark::DoNotOptimize(pixels);
    g_free(pixels);
  }
}
BENCHMARK(BM_VipsTouchedRectangle)
    ->ArgNames({"width", "blur"})
    ->Args({37, 0})
    ->Args({125, 0})
    ->Args({37, 1})
    ->Args({125, 1})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace
