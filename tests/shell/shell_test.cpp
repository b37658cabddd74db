// Documents on screen: loading files into documents with their own thread,
// views at several zooms, saving (format, extension, backup, failures) and
// the re-render in strips; a stress run of many documents at once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/raster/pixel_buffer.h"
#include "image/image_shell.h"
#include "objects/async_methods.h"
#include "objects/qz_class_record.h"
#include "objects/qz_root.h"
#include "objects/qz_object.h"
#include "platform/exec.h"
#include "platform/graphics.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"

namespace {

constexpr uint32_t kQuiet = 4;  // the library shows no boxes

// A save that shows the file requester, answered as a stopping program
// answers it: the calling task's break signal ends the requester unchosen.
int32_t SaveWithRequesterCancelled(Qz_Image* image, const char* target, const char* format) {
  SetSignal(SIGBREAKF_CTRL_C, SIGBREAKF_CTRL_C);
  const int32_t result = Qz__SaveImageA(image, target, format, nullptr, kQuiet, nullptr);
  SetSignal(0, SIGBREAKF_CTRL_C);
  return result;
}
constexpr uint32_t kMakeLayer = 0x100078;
constexpr uint32_t kMakeActiveImage = 0x13001e;

class ShellEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitPPMQZIOClass(nullptr);
    Qz_InitPNGQZIOClass(nullptr);
    Qz_InitJPEGQZIOClass(nullptr);
    Qz_InitTIFFQZIOClass(nullptr);
    Qz_InitQuillantrixQZIOClass(nullptr);
  }
  void TearDown() override {
    Qz_CleanupQuillantrixQZIOClass();
    Qz_CleanupTIFFQZIOClass();
    Qz_CleanupJPEGQZIOClass();
    Qz_CleanupPNGQZIOClass();
    Qz_CleanupPPMQZIOClass();
    Qz_CleanupRootQZIOClass();
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ShellEnvironment);

using qztest::PatternBlue;
using qztest::PatternGreen;
using qztest::PatternRed;
using qztest::WritePattern;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void ExpectPattern(Qz_Image* image, int32_t w, int32_t h) {
  ASSERT_EQ(image->width, w);
  ASSERT_EQ(image->height, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      ASSERT_EQ(image->r[y][x], PatternRed(x, y)) << x << "," << y;
      ASSERT_EQ(image->g[y][x], PatternGreen(x, y)) << x << "," << y;
      ASSERT_EQ(image->b[y][x], PatternBlue(x, y)) << x << "," << y;
    }
}

int32_t LayerCount(Qz_Image* image) {
  int32_t n = 0;
  for (Qz_Image* l = first_layer(image); l; l = next_layer(l)) ++n;
  return n;
}

bool IsDocument(Qz_Image* image) {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  bool found = false;
  for (Node* n = base->documents.lh_Head; n && n->ln_Succ; n = n->ln_Succ)
    found = found || reinterpret_cast<Qz_ImageNode*>(n)->image == image;
  ReleaseSemaphore(&base->semaphore);
  return found;
}

class ShellTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (Qz_Image* image : made_) Qz_DisposeObject(&image->object);
    Qz_GetImageBase()->backups.store(0);
  }
  Qz_Image* Load(const std::string& path, uint32_t flags = kQzLoadNoView) {
    Qz_Image* image = Qz__LoadImageA(path.c_str(), nullptr, nullptr, flags | kQuiet, nullptr);
    if (image) made_.push_back(image);
    return image;
  }
  void Forget(Qz_Image* image) { made_.erase(std::remove(made_.begin(), made_.end(), image), made_.end()); }
  qztest::TempDir dir_;
  std::vector<Qz_Image*> made_;
};

TEST_F(ShellTest, LoadedFileBecomesADocumentWithAThreadAndOnePaintLayer) {
  const std::string path = dir_.file("pattern.ppm");
  WritePattern(path, 9, 7);
  Qz_Image* image = Load(path);
  ASSERT_NE(image, nullptr);
  ExpectPattern(image, 9, 7);
  EXPECT_NE(image->port, nullptr);  // its own thread answers posted methods
  EXPECT_TRUE(IsDocument(image));
  EXPECT_EQ(LayerCount(image), 1);
  ASSERT_NE(image->paintLayer, nullptr);
  EXPECT_EQ(image->paintLayer->type, kQzPaintLayer);
  EXPECT_EQ(image->paintLayer->width, 9);
  EXPECT_STREQ(image->name, path.c_str());
  EXPECT_STREQ(image->loadFormat, "PPM");
  EXPECT_STREQ(image->saveFormat, "PPM");

  Qz_Image* plain = Load(path, kQzLoadPlain);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->port, nullptr);
  EXPECT_FALSE(IsDocument(plain));
  EXPECT_EQ(LayerCount(plain), 0);

  EXPECT_EQ(Load(dir_.file("missing.ppm")), nullptr);
  WritePattern(dir_.file("cut.ppm"), 9, 7);
  truncate(dir_.file("cut.ppm").c_str(), 20);
  EXPECT_EQ(Load(dir_.file("cut.ppm")), nullptr);
}

TEST_F(ShellTest, PngWrittenByAnIndependentToolLoads) {
  if (system("convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick missing";
  const std::string ppm = dir_.file("source.ppm"), png = dir_.file("picture.png");
  WritePattern(ppm, 12, 5);
  ASSERT_EQ(system(("convert '" + ppm + "' '" + png + "'").c_str()), 0);
  Qz_Image* image = Load(png);
  ASSERT_NE(image, nullptr);
  ExpectPattern(image, 12, 5);
  EXPECT_STREQ(image->loadFormat, "PNG");
}

// A photograph large enough that its planes are mapped and their pages made
// ready while it decodes opens exactly as an independent reader decodes the
// same file: the composite and the background, every byte of both.
TEST_F(ShellTest, LargePhotosOpenAsAnIndependentReaderDecodesThem) {
  if (system("convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick missing";
  constexpr int32_t kWidth = 2600, kHeight = 1300;
  const std::string ppm = dir_.file("source.ppm"), raw = dir_.file("decoded.rgb");
  WritePattern(ppm, kWidth, kHeight);
  const struct {
    const char* name;
    const char* options;
  } files[] = {{"photo.jpg", "-quality 90"}, {"photo.png", ""}, {"photo.tif", "-compress None"},
               {"lzw.tif", "-compress LZW"}};
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    const std::string path = dir_.file(file.name);
    ASSERT_EQ(system(("convert '" + ppm + "' " + file.options + " '" + path + "'").c_str()), 0);
    ASSERT_EQ(system(("convert '" + path + "' -depth 8 'rgb:" + raw + "'").c_str()), 0);
    const std::string expected = ReadAll(raw);
    ASSERT_EQ(expected.size(), size_t(kWidth) * kHeight * 3);
    Qz_Image* image = Load(path);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, kWidth);
    ASSERT_EQ(image->height, kHeight);
    const Qz_Plane planes[2][3] = {{image->r, image->g, image->b}, {image->undoR, image->undoG, image->undoB}};
    std::vector<uint8_t> row(kWidth);
    for (int c = 0; c < 3; ++c)
      for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) row[size_t(x)] = uint8_t(expected[(size_t(y) * kWidth + x) * 3 + size_t(c)]);
        for (const auto& set : planes)
          ASSERT_EQ(std::memcmp(set[c][y], row.data(), row.size()), 0) << "channel " << c << ", row " << y;
      }
    Forget(image);
    Qz_DisposeObject(&image->object);
  }
}

TEST_F(ShellTest, NativeSaveReloadsEqualAndIsTheDefaultFormat) {
  const std::string path = dir_.file("pattern.ppm");
  WritePattern(path, 10, 6);
  Qz_Image* image = Load(path);
  ASSERT_NE(image, nullptr);
  Qz_Image* second = reinterpret_cast<Qz_Image*>(
      Qz_DoMethod(&image->object, kMakeLayer, kQzPaintLayer, 10, 6, 8));
  ASSERT_NE(second, nullptr);
  const std::string native = dir_.file("saved.qls");
  ASSERT_EQ(Qz__SaveImageA(image, native.c_str(), "Quillantrix", nullptr, kQuiet, nullptr), 1);
  EXPECT_STREQ(image->name, native.c_str());
  EXPECT_STREQ(image->saveFormat, "Quillantrix");

  Qz_Image* again = Load(native);
  ASSERT_NE(again, nullptr);
  ExpectPattern(again, 10, 6);
  EXPECT_STREQ(again->loadFormat, "Quillantrix");
  EXPECT_EQ(LayerCount(again), 2);
}

TEST_F(ShellTest, ExtensionChangesOnlyTheFileNamePart) {
  struct Case {
    const char *source, *format, *expected;
    int32_t result;
  };
  const Case cases[] = {
      {"photo.png", "PPM", "photo.ppm", 1},
      {"photo", "PPM", "photo.ppm", 1},
      {"/x/my.pics/photo.png", "PPM", "/x/my.pics/photo.ppm", 1},
      {"/x/my.pics/photo", "Quillantrix", "/x/my.pics/photo.qls", 1},
      {"/x/.hidden", "PPM", "/x/.hidden.ppm", 1},
      {"photo.png", "NoSuchFormat", "photo.png", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    char target[260];
    EXPECT_EQ(Qz_AutoChangeFileExtension(c.source, target, c.format, sizeof target), c.result);
    EXPECT_STREQ(target, c.expected);
  }
}

TEST_F(ShellTest, BackupKeepsTheOldFileAndFailuresLeaveEverythingAsItWas) {
  const std::string source = dir_.file("pattern.ppm");
  WritePattern(source, 8, 4);
  Qz_Image* image = Load(source);
  ASSERT_NE(image, nullptr);
  Qz_GetImageBase()->backups.store(1);
  const std::string target = dir_.file("photo.ppm"), backup = dir_.file("photo.bak.ppm");
  std::ofstream(target) << "old contents";
  ASSERT_EQ(Qz__SaveImageA(image, target.c_str(), "PPM", nullptr, kQuiet, nullptr), 1);
  EXPECT_EQ(ReadAll(backup), "old contents");
  const std::string saved = ReadAll(target);
  EXPECT_EQ(saved.substr(0, 2), "P6");

  // A format that cannot write, and one the library does not know, ask for
  // a name as JPEG; refused, nothing changes, not even the backup, and no
  // temporary file is left.
  const std::vector<std::string> before = Listing(dir_.path());
  std::free(image->name);
  image->name = strdup("kept-name");
  for (const char* format : {"Root", "NoSuchFormat"}) {
    SCOPED_TRACE(format);
    EXPECT_EQ(SaveWithRequesterCancelled(image, target.c_str(), format), 0);
    EXPECT_EQ(ReadAll(target), saved);
    EXPECT_EQ(ReadAll(backup), "old contents");
    EXPECT_EQ(Listing(dir_.path()), before);
    EXPECT_STREQ(image->name, "kept-name");
  }
  // No name means the requester; cancelled, nothing is written.
  EXPECT_EQ(SaveWithRequesterCancelled(image, nullptr, "PPM"), 0);
  EXPECT_EQ(Listing(dir_.path()), before);
  // Flag 0x40: no backup; flag 0x20: the name stays.
  std::ofstream(backup) << "older";
  EXPECT_EQ(Qz__SaveImageA(image, target.c_str(), "PPM", nullptr,
                           kQuiet | kQzSaveNoBackup | kQzSaveKeepName, nullptr),
            1);
  EXPECT_EQ(ReadAll(backup), "older");
  EXPECT_STREQ(image->name, "kept-name");
}

TEST_F(ShellTest, SaveIntoAReadOnlyFolderFailsAndLeavesTheOldFile) {
  const std::string source = dir_.file("pattern.ppm");
  WritePattern(source, 8, 4);
  Qz_Image* image = Load(source);
  ASSERT_NE(image, nullptr);
  const std::string folder = dir_.file("locked");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string target = folder + "/photo.ppm";
  std::ofstream(target) << "old contents";
  chmod(folder.c_str(), 0555);
  Qz_GetImageBase()->backups.store(1);
  int32_t result = -1;
  if (geteuid() != 0) {
    result = Qz__SaveImageA(image, target.c_str(), "PPM", nullptr, kQuiet, nullptr);
  } else {
    // Permissions do not bind root: the save runs in a child that has given
    // up its rights (the image's pixels come along in the copied memory).
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
      _exit(Qz__SaveImageA(image, target.c_str(), "PPM", nullptr, kQuiet, nullptr));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 99) << "could not drop rights";
    result = WEXITSTATUS(status);
  }
  chmod(folder.c_str(), 0755);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadAll(target), "old contents");
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"photo.ppm"});
}

class ViewTest : public ShellTest {
 protected:
  Qz_Object* MakeView(Qz_Image* image, qz::raster::PixelBuffer& target) {
    Qz_Object* view = Qz_CreateObject("ImageView", kQzViewSetImage, image);
    if (view) Qz_AttachRastPort(Qz__ImageViewRastPort(view), &target);
    return view;
  }
};

TEST_F(ViewTest, DrawsTheImageAtSeveralZooms) {
  const std::string path = dir_.file("pattern.ppm");
  WritePattern(path, 16, 12);
  Qz_Image* image = Load(path);
  ASSERT_NE(image, nullptr);
  qz::raster::PixelBuffer target(200, 200);
  Qz_Object* view = MakeView(image, target);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(Qz_CurrentViewOf(image), view);
  for (int32_t zoom : {25, 50, 100, 200, 400}) {
    SCOPED_TRACE(zoom);
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) target.at(x, y) = 0xABCDEF;
    Qz_DoMethod(view, kQzViewZoom, zoom, 1);
    EXPECT_EQ(Qz_DoMethod(view, kQzViewGetZoom), QzWord(zoom));
    Qz_DoMethod(view, kRootDraw);
    const int32_t zw = 16 * zoom / 100, zh = 12 * zoom / 100;
    for (int32_t y = 0; y < zh; ++y)
      for (int32_t x = 0; x < zw; ++x) {
        const int32_t ix = x * 16 / zw, iy = y * 12 / zh;
        const uint32_t want = uint32_t(PatternRed(ix, iy)) << 16 | uint32_t(PatternGreen(ix, iy)) << 8 | PatternBlue(ix, iy);
        ASSERT_EQ(target.at(x, y) & 0xFFFFFF, want) << x << "," << y;
      }
    EXPECT_EQ(target.at(zw, 0) & 0xFFFFFF, 0xABCDEFu);
    EXPECT_EQ(target.at(0, zh) & 0xFFFFFF, 0xABCDEFu);
  }
  // A change notice reaches the screen through the view's redraw thread.
  Qz_DoMethod(view, kQzViewZoom, 100, 1);
  image->r[3][5] = 1, image->g[3][5] = 2, image->b[3][5] = 3;
  Qz_ModifiedImageData(image, 5, 3, 5, 3);
  Qz__SettleImageView(view);
  EXPECT_EQ(target.at(5, 3) & 0xFFFFFF, 0x010203u);
}

TEST_F(ViewTest, ZoomStepsAndLimits) {
  const std::string path = dir_.file("wide.ppm");
  WritePattern(path, 100, 80);
  Qz_Image* image = Load(path);
  ASSERT_NE(image, nullptr);
  qz::raster::PixelBuffer target(8, 8);
  Qz_Object* view = MakeView(image, target);
  ASSERT_NE(view, nullptr);
  struct Case {
    int32_t from;
    uint32_t method;
    QzWord expected;
  };
  const Case cases[] = {{100, kQzViewZoomIn, 150},  {35, kQzViewZoomIn, 40},
                        {30, kQzViewZoomIn, 35},    {100, kQzViewZoomOut, 90},
                        {10, kQzViewZoomOut, 5},    {5, kQzViewZoomOut, 5},
                        {150, kQzViewZoomOut, 100}, {800, kQzViewZoomIn, 800}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    Qz_DoMethod(view, kQzViewZoom, c.from, 1);
    EXPECT_EQ(Qz_DoMethod(view, c.method), c.expected);
    EXPECT_EQ(Qz_DoMethod(view, kQzViewGetZoom), c.expected);
  }
  Qz__SetImageViewWidthHeight(view, 0, 0);
  EXPECT_EQ(Qz_DoMethod(view, kQzViewGetZoom), 1u);
  Qz__SetImageViewWidthHeight(view, 100000, 100000);
  EXPECT_EQ(Qz_DoMethod(view, kQzViewGetZoom), 800u);
}

// Counts the re-render's strip and progress notices.
struct Progress {
  std::atomic<int> strips{0}, done{0}, started{0};
  std::atomic<int> lastWasDone{0};
};
void OnProgress(QzWord user, Qz_Object*, uint32_t method, const QzWord*) {
  auto* p = reinterpret_cast<Progress*>(user);
  if (method == kQzProgressStep) ++p->strips, p->lastWasDone = 0;
  if (method == kQzProgressDone) ++p->done, p->lastWasDone = 1;
  if (method == kQzProgressStart) ++p->started;
}

TEST_F(ShellTest, RerenderRunsInStripsOfATenth) {
  struct Case {
    int32_t height, strips;
  };
  const Case cases[] = {{5, 1}, {95, 10}, {101, 11}, {110, 10}, {250, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
    ASSERT_NE(image, nullptr);
    made_.push_back(image);
    ASSERT_NE(Qz_AllocImage(image, 4, c.height, 24, kQzAllocNoThread, nullptr), nullptr);
    ASSERT_NE(Qz_DoMethod(&image->object, kMakeLayer, kQzPaintLayer, 4, c.height, 8), 0u);
    Progress progress;
    QzWord notes[3];
    const uint32_t ids[3] = {kQzProgressStart, kQzProgressStep, kQzProgressDone};
    for (int i = 0; i < 3; ++i)
      notes[i] = Qz_AddCallBackNotify(&image->object, ids[i], kNotifyAnyValue, OnProgress,
                                      reinterpret_cast<QzWord>(&progress));
    EXPECT_EQ(Qz_DoMethod(&image->object, kQzImageRerender), 1u);
    EXPECT_EQ(progress.started.load(), 1);
    EXPECT_EQ(progress.strips.load(), c.strips);
    EXPECT_EQ(progress.done.load(), 1);
    EXPECT_EQ(progress.lastWasDone.load(), 1);
    for (QzWord note : notes) Qz_RemoveNotify(&image->object, note);
  }
}

// A probe whose one method blocks until released, to keep a document's
// thread busy while more messages queue up behind it.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool entered = false, open = false;
};
Gate gGate;
constexpr uint32_t kGateWait = 0x7A0001;
Qz_Class gGateClass;
const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

QzWord GateDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id != kGateWait) return Qz_DoMethodA(object->super, id, args);
  std::unique_lock<std::mutex> hold(gGate.mutex);
  gGate.entered = true;
  gGate.changed.notify_all();
  gGate.changed.wait(hold, [] { return gGate.open; });
  return 1;
}
Qz_Object* GateNew(Qz_Class* c, const QzWord*) {
  Qz_Object* o = Qz_AllocObjectMem(c);
  if (o) o->super = Qz_CreateObject("Root");
  return o;
}
void GateDispose(Qz_Object* o) {
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}

TEST_F(ShellTest, RerenderStopsWhenANewerMessageWaits) {
  if (!gGateClass.registered) {
    static const Qz_ClassSpec spec = {"ShellGateProbe", "test", 0x7A0000, "Root", GateNew,
                                      GateDispose, GateDispatch, kNoMethods, sizeof(Qz_Object), 0};
    ASSERT_EQ(Qz_RegisterClassRecord(&gGateClass, &spec), 1u);
  }
  const std::string path = dir_.file("tall.ppm");
  WritePattern(path, 4, 200);
  Qz_Image* image = Load(path);
  ASSERT_NE(image, nullptr);
  Qz_Object* gate = Qz_CreateObject("ShellGateProbe");
  ASSERT_NE(gate, nullptr);
  Progress progress;
  QzWord notes[2];
  notes[0] = Qz_AddCallBackNotify(&image->object, kQzProgressStep, kNotifyAnyValue, OnProgress,
                                  reinterpret_cast<QzWord>(&progress));
  notes[1] = Qz_AddCallBackNotify(&image->object, kQzProgressDone, kNotifyAnyValue, OnProgress,
                                  reinterpret_cast<QzWord>(&progress));
  // The document's thread is held inside the gate; a posted re-render waits behind it.
  ASSERT_EQ(Qz_DoAsyncMethod(&image->object, kRootAsyncCall, gate, kGateWait), 1u);
  {
    std::unique_lock<std::mutex> hold(gGate.mutex);
    gGate.changed.wait(hold, [] { return gGate.entered; });
  }
  ASSERT_EQ(Qz_DoAsyncMethod(&image->object, kQzImageRerender), 1u);
  EXPECT_EQ(Qz_DoMethod(&image->object, kQzImageRerender), 1u);
  EXPECT_EQ(progress.strips.load(), 0);  // cut short before its first strip
  EXPECT_EQ(progress.done.load(), 1);    // and the progress display is finished
  {
    std::lock_guard<std::mutex> hold(gGate.mutex);
    gGate.open = true;
    gGate.changed.notify_all();
  }
  // The posted one runs in full once nothing waits behind it (a settle
  // marker would itself cut it short, so this polls).
  for (int i = 0; i < 2000 && progress.done.load() < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(progress.strips.load(), 10);
  EXPECT_EQ(progress.done.load(), 2);
  for (QzWord note : notes) Qz_RemoveNotify(&image->object, note);
  Qz_DisposeObject(gate);
}

class LayerTest : public ShellTest {
 protected:
  void SetUp() override {
    doc_ = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
    ASSERT_NE(doc_, nullptr);
    made_.push_back(doc_);
    ASSERT_NE(Qz_AllocImage(doc_, 6, 4, 24, kQzAllocNoThread, nullptr), nullptr);
    for (Qz_Image*& layer : layers_) {
      layer = reinterpret_cast<Qz_Image*>(
          Qz_DoMethod(&doc_->object, kMakeLayer, kQzPaintLayer, 6, 4, 8));
      ASSERT_NE(layer, nullptr);
    }
  }
  std::string Order() {
    std::string order;
    for (Qz_Image* l = first_layer(doc_); l; l = next_layer(l))
      for (int i = 0; i < 3; ++i)
        if (layers_[i] == l) order += char('A' + i);
    return order;
  }
  Qz_Image* doc_ = nullptr;
  Qz_Image* layers_[3] = {};
};

TEST_F(LayerTest, MovesUpAndDownTheList) {
  ASSERT_EQ(Order(), "ABC");
  struct Case {
    uint32_t id;
    int layer;
    QzWord result;
    const char* order;
  };
  const uint32_t top = 0x100262, up = 0x10026c, down = 0x100276, bottom = 0x100280;
  const Case cases[] = {{top, 0, 1, "BCA"},   {top, 0, 0, "BCA"},  {bottom, 0, 1, "ABC"},
                        {bottom, 0, 0, "ABC"}, {up, 0, 1, "BAC"},   {down, 0, 1, "ABC"},
                        {down, 0, 0, "ABC"},  {up, 2, 0, "ABC"},   {down, 2, 1, "ACB"},
                        {up, 1, 0, "ACB"}, {up, 2, 1, "ABC"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.id << " " << char('A' + c.layer));
    EXPECT_EQ(Qz_DoMethod(&layers_[c.layer]->object, c.id), c.result);
    EXPECT_EQ(Order(), c.order);
  }
}

TEST_F(LayerTest, OpacityIsStoredAsTransparencyAndReCompositesOnlyOnChange) {
  Qz_Image* layer = doc_->paintLayer;
  ASSERT_NE(layer, nullptr);
  Progress progress;
  const QzWord note = Qz_AddCallBackNotify(&doc_->object, kQzProgressDone, kNotifyAnyValue,
                                           OnProgress, reinterpret_cast<QzWord>(&progress));
  struct Case {
    uint32_t id;
    int32_t value;
    uint16_t stored;
  };
  const Case cases[] = {{0x10006e, 0, 256},   {0x10006e, 33, 172}, {0x10006e, 50, 128},
                        {0x10006e, 100, 0},   {0x10006f, 0, 256},  {0x10006f, 256, 0},
                        {0x10006f, 300, 0},   {0x10006f, -5, 256}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " " << c.value);
    EXPECT_EQ(Qz_DoMethod(&layer->object, c.id, c.value), QzWord(c.stored));
    EXPECT_EQ(layer->opacity, c.stored);
  }
  const int before = progress.done.load();
  Qz_DoMethod(&layer->object, 0x10006e, 40);
  Qz_DoMethod(&layer->object, 0x10006e, 40);
  EXPECT_EQ(progress.done.load(), before + 1);
  layer->toneTableFlag = 0;
  Qz_DoMethod(&layer->object, 0x100320, 10);  // blend word 1
  EXPECT_EQ(layer->toneTableFlag, 0);
  EXPECT_EQ(layer->blend[0], 256 - 25);
  Qz_DoMethod(&layer->object, 0x100398, 10);  // blend word 7
  EXPECT_EQ(layer->toneTableFlag, 1);
  Qz_RemoveNotify(&doc_->object, note);
}

TEST(PreviewRows, FollowTheThumbnailShape) {
  struct Case {
    uint32_t w, h, k, m, rows;
  };
  const Case cases[] = {{64, 64, 64, 48, 48}, {200, 100, 10, 48, 5}, {1000, 1, 64, 48, 1},
                        {10, 300, 64, 48, 48}, {5, 3, 64, 48, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
    EXPECT_EQ(qz::previewRows(c.w, c.h, c.k, c.m), c.rows);
  }
}

TEST_F(ShellTest, DisposingTheActiveDocumentLeavesNoActiveImage) {
  const std::string path = dir_.file("pattern.ppm");
  WritePattern(path, 4, 4);
  Qz_Image* image = Load(path);
  ASSERT_NE(image, nullptr);
  Qz_DoMethod(&image->object, kMakeActiveImage, image);
  EXPECT_EQ(Qz_GetImageBase()->activeImage, image);
  Forget(image);
  Qz_DisposeObject(&image->object);
  EXPECT_EQ(Qz_GetImageBase()->activeImage, nullptr);
  EXPECT_EQ(Qz_LockActiveImageA(kQzLockRead, nullptr), nullptr);
}

TEST_F(ShellTest, ManyDocumentsOpenRerenderAndCloseFromSeveralThreads) {
  const std::string path = dir_.file("pattern.ppm");
  WritePattern(path, 40, 30);
  std::atomic<int> failures{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&, t] {
      for (int round = 0; round < 4; ++round) {
        Qz_Image* image =
            Qz__LoadImageA(path.c_str(), nullptr, nullptr, kQzLoadNoView | kQuiet, nullptr);
        if (!image) {
          ++failures;
          continue;
        }
        qz::raster::PixelBuffer target(64, 64);
        Qz_Object* view = Qz_CreateObject("ImageView", kQzViewSetImage, image);
        if (view) Qz_AttachRastPort(Qz__ImageViewRastPort(view), &target);
        Qz_DoMethod(&image->object, kMakeActiveImage, image);
        for (int i = 0; i < 3; ++i) Qz_DoAsyncMethod(&image->object, kQzImageRerender);
        Qz_DoMethod(&image->object, kQzImageRerender);
        if (round % 2 == 0) Qz__SettleImage(image);
        // Closing while posted re-renders may still be queued or running.
        Qz_DisposeObject(&image->object);
        (void)t;
      }
    });
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(failures.load(), 0);
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  const bool empty = !base->documents.lh_Head || !base->documents.lh_Head->ln_Succ;
  ReleaseSemaphore(&base->semaphore);
  EXPECT_TRUE(empty);
  EXPECT_EQ(base->activeImage, nullptr);
}

}  // namespace
