// The peer tools, run on the scene's own pixels beside our figures.
//
// libvips works in memory, on SceneRgb() as it stands, writing into a buffer
// made once (no file, no allocation per run), with as many threads as our
// compositor has workers:
//   qzbench::TimeVips(state, threads, [](const vips::VImage& scene) {
//     return (scene * std::vector<double>{0.5, 0.5, 0.5}).cast(VIPS_FORMAT_UCHAR); });
//
// GraphicsMagick and ImageMagick are programs: the scene is written once as
// a binary PPM in memory-backed storage (/dev/shm when there is one), and a
// run is the whole process reading it, doing the operation and writing the
// result, minus the same process only reading and writing it. They cannot
// time their operation alone, so the figure is that difference, and its
// name says so ("minus read/write"):
//   qzbench::TimeTool(state, qzbench::kGraphicsMagick, {"-operator", "Red", "Multiply", "0.5"});
#pragma once

#include <benchmark/benchmark.h>
#include <vips/vips8>

#include <functional>
#include <string>
#include <vector>

namespace qzbench {

// The scene as a 3-band 8-bit image over SceneRgb(), without a copy.
const vips::VImage& VipsScene();
// A layer's transparency (SceneAlpha) as a 1-band image; the bytes are kept
// with it for the program's life.
vips::VImage VipsAlpha(const std::vector<uint8_t>& alpha);

// Times op on the scene in memory with `threads` threads (the vips pipeline
// runs into a buffer of the result's size made once); reports Mpixel/s.
void TimeVips(benchmark::State& state, int threads,
              const std::function<vips::VImage(const vips::VImage& scene)>& op);

struct Tool {
  const char* name;
  std::vector<std::string> command;  // before the input file: e.g. {"/usr/bin/gm", "convert"}
};
inline const Tool kGraphicsMagick = {"GraphicsMagick", {"/usr/bin/gm", "convert"}};
inline const Tool kImageMagick = {"ImageMagick", {"/usr/bin/convert"}};

// Times `command scene.ppm operation... out.ppm` minus `command scene.ppm
// out.ppm` (see above), as manual time; the counter names the method.
void TimeTool(benchmark::State& state, const Tool& tool, const std::vector<std::string>& operation);

}  // namespace qzbench
