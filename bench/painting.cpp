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
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/class_registration.h"
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

void BM_StrokeToScreenLatency(benchmark::State& state) {
  StartOnce();
  qz::headless::setDesktopSize(1024, 768);
  OpenScreenTags(nullptr);
  const std::string path = WritePicture(600, 400);
  Qz_Image* image = Qz__LoadImageA(path.c_str(), nullptr, nullptr, 4, nullptr);
  std::remove(path.c_str());
  Qz_Object* view = image ? Qz_CurrentViewOf(image) : nullptr;
  Qz_Object* window = view ? Qz_SearchHierachyForClassId(view, kWindowClassId) : nullptr;
  for (int i = 0; i < 250 && window && !Qz__PlatformWindowOf(window); ++i) Delay(1);
  Window* platform = window ? Qz__PlatformWindowOf(window) : nullptr;
  if (!platform) {
    state.SkipWithError("the picture's view did not open");
    return;
  }
  qz::headless::settle();
  Qz__SettleImageView(view);
  Qz_Object* media = Qz_CreateObject("RootMedia");
  Qz_DoMethod(media, kMediaSize, uint32_t(kLatencyBrush));
  Qz_DoMethod(media, kMediaPressure, 40u);
  Qz_DoMethod(media, kMediaSetFreehand, 1u);
  image->media = media;
  Qz_Object* tool = Qz_CreateObject("DrawTool");
  Qz_GetImageBase()->currentTool = tool;
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(view, kRootGetLayoutBox));
  const int32_t left = platform->LeftEdge + box->left, top = platform->TopEdge + box->top;
  qz::headless::click(left + 5, top + 5);  // makes the window active
  qz::headless::settle();

  std::vector<double> micros;
  for (auto _ : state) {
    micros.clear();
    const int32_t y = top + 60;
    int32_t x = left + 30;
    qz::headless::moveTo(x, y);
    qz::headless::press();
    qz::headless::settle();
    // Moves while the probe stays on the shown part of the picture.
    const int moves = std::clamp((box->width - 60 - kLatencyBrush) / 2, 1, 300);
    for (int move = 0; move < moves; ++move) {
      x += 2;
      // A move to x lays dabs up to x - 1 (the segment's end gets none), so
      // the brush's leading edge first reaches column x + 8 now.
      const int32_t probe = x + kLatencyBrush / 2 - 4;
      // Everything the last move started has been drawn before the clock starts.
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
      micros.push_back(std::chrono::duration<double, std::micro>(now - start).count());
    }
    qz::headless::release();
    qz::headless::settle();
  }
  std::sort(micros.begin(), micros.end());
  if (!micros.empty()) {
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p95_us"] = micros[micros.size() * 95 / 100];
    state.counters["moves"] = double(micros.size());
  }
  Qz_GetImageBase()->currentTool = nullptr;
  Qz_DisposeObject(tool);
  Qz_DisposeObject(&image->object);
  Qz_DisposeObject(media);
}
BENCHMARK(BM_StrokeToScreenLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
