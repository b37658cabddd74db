// The peers: libvips in memory, and the ImageMagick and GraphicsMagick
// programs over a file of the scene in memory-backed storage.
#include "bench_peers.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>

#include "bench_scene.h"

extern char** environ;

namespace qzbench {
namespace {

void StartVips() {
  static const bool started = [] {
    if (VIPS_INIT("quillantrix-bench")) return false;
    vips_cache_set_max(0);  // every run computes its pixels
    return true;
  }();
  (void)started;
}

// A folder in memory when the system has one, so the files cost no disc.
std::string TemporaryFolder() {
  struct stat info {};
  const char* base = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) ? "/dev/shm" : nullptr;
  if (!base) base = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
  std::string folder = std::string(base) + "/qzbench-XXXXXX";
  if (!mkdtemp(folder.data())) return {};
  return folder;
}

struct SceneFiles {
  std::string folder, scene, result;
  ~SceneFiles() {
    std::remove(scene.c_str());
    std::remove(result.c_str());
    if (!folder.empty()) rmdir(folder.c_str());
  }
};

// The scene as a binary PPM, written once; removed when the program ends.
const SceneFiles& Files() {
  static const SceneFiles files = [] {
    SceneFiles f;
    f.folder = TemporaryFolder();
    if (f.folder.empty()) return f;
    f.scene = f.folder + "/scene.ppm";
    f.result = f.folder + "/result.ppm";
    const std::vector<uint8_t>& rgb = SceneRgb();
    if (FILE* out = std::fopen(f.scene.c_str(), "wb")) {
      std::fprintf(out, "P6\n%d %d\n255\n", kSceneWidth, kSceneHeight);
      const bool written = std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
      if (std::fclose(out) != 0 || !written || rgb.empty()) std::remove(f.scene.c_str()), f.scene.clear();
    } else {
      f.scene.clear();
    }
    return f;
  }();
  return files;
}

// The process's wall time in seconds, or a negative value when it fails.
double RunProcess(const std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

const vips::VImage& VipsScene() {
  static const vips::VImage scene = [] {
    StartVips();
    const std::vector<uint8_t>& rgb = SceneRgb();
    return vips::VImage::new_from_memory(const_cast<uint8_t*>(rgb.data()), rgb.size(), kSceneWidth,
                                         kSceneHeight, 3, VIPS_FORMAT_UCHAR);
  }();
  return scene;
}

vips::VImage VipsAlpha(const std::vector<uint8_t>& alpha) {
  StartVips();
  static std::deque<std::vector<uint8_t>> kept;  // the images point into these
  std::vector<uint8_t>& bytes = kept.emplace_back(alpha);
  return vips::VImage::new_from_memory(bytes.data(), bytes.size(), kSceneWidth, kSceneHeight, 1, VIPS_FORMAT_UCHAR);
}

void TimeVips(benchmark::State& state, int threads,
              const std::function<vips::VImage(const vips::VImage& scene)>& op) {
  const vips::VImage& scene = VipsScene();
  if (SceneRgb().empty()) {
    state.SkipWithError("could not build the scene");
    return;
  }
  vips_concurrency_set(threads);
  const vips::VImage shape = op(scene);
  std::vector<uint8_t> result(VIPS_IMAGE_SIZEOF_IMAGE(shape.get_image()));
  const vips::VImage target = vips::VImage::new_from_memory(result.data(), result.size(), shape.width(),
                                                            shape.height(), shape.bands(), shape.format());
  op(scene).write(target);  // the first touch of the result is not timed
  for (auto _ : state) {
    op(scene).write(target);
    benchmark::DoNotOptimize(result[result.size() / 2]);
  }
  state.counters["Mpixel"] = benchmark::Counter(double(kSceneWidth) * kSceneHeight * double(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

void TimeTool(benchmark::State& state, const Tool& tool, const std::vector<std::string>& operation) {
  const SceneFiles& files = Files();
  if (files.scene.empty()) {
    state.SkipWithError("could not write the scene file");
    return;
  }
  std::vector<std::string> plain = tool.command, worked = tool.command;
  plain.push_back(files.scene);
  worked.push_back(files.scene);
  worked.insert(worked.end(), operation.begin(), operation.end());
  plain.push_back(files.result);
  worked.push_back(files.result);
  double readWrite = 0, whole = 0;
  for (auto _ : state) {
    const double base = RunProcess(plain), run = RunProcess(worked);
    if (base < 0 || run < 0) {
      state.SkipWithError((std::string(tool.name) + " did not run").c_str());
      return;
    }
    readWrite += base;
    whole += run;
    state.SetIterationTime(std::max(0.0, run - base));
  }
  const double n = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["whole_process_ms"] = whole / n * 1e3;
  state.counters["read_write_ms"] = readWrite / n * 1e3;
  state.counters["Mpixel/s_minus_read_write"] =
      whole > readWrite ? double(kSceneWidth) * kSceneHeight * n / (whole - readWrite) / 1e6 : 0.0;
}

}  // namespace qzbench
