// The load and save drivers, driven through small probe formats whose
// answers each test sets: detection order and limits, file problems, the
// identify-only and direct paths, options, progress, error boxes and the
// save's temporary file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "objects/object_text.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_object.h"
#include "qzio/qzio.h"
#include "qzio/root_qzio.h"
#include "qzio_test_env.h"

namespace {

using qztest::Ui;

struct Probe {
  uint32_t identifyAnswer = kQzioSuccess;
  uint32_t width = 4, height = 3, depth = 24;
  uint32_t loadAnswer = kQzioSuccess;
  uint32_t saveAnswer = kQzioSuccess;
  bool offersOptions = false;
  int identifyCalls = 0, loadCalls = 0;
  std::string probeSeen;
  bool sawDescriptor = false;
};
Probe gA, gB;
int gOptionsToken;

uint32_t Identify(Probe& p, QZIO_Header* h) {
  ++p.identifyCalls;
  p.probeSeen.assign(reinterpret_cast<const char*>(h->probe), h->probeSize);
  h->buffer->width = p.width;
  h->buffer->height = p.height;
  h->buffer->depth = p.depth;
  h->buffer->format = h->wantedTrueColour;
  return p.identifyAnswer;
}
uint32_t Load(Probe& p, QZIO_Header* h) {
  ++p.loadCalls;
  if (!h->buffer->red) return kQzioBadArguments;  // the driver allocated the pixels
  h->buffer->red[0] = 77;
  qzio::ReportProgress(h, 1, 2);
  return p.loadAnswer;
}
uint32_t Save(Probe& p, QZIO_Header* h) {
  p.sawDescriptor = h->saveDescriptor >= 0;
  if (h->stream) std::fputs("partial", h->stream);
  return p.saveAnswer;
}
bool Options(Probe& p, uint32_t id, QzWord* answer) {
  if (id != kQzioGetLoadOptions || !p.offersOptions) return false;
  *answer = reinterpret_cast<QzWord>(&gOptionsToken);
  return true;
}

uint32_t IdentifyA(const qzio::FormatCall&, QZIO_Header* h) { return Identify(gA, h); }
uint32_t LoadA(const qzio::FormatCall&, QZIO_Header* h) { return Load(gA, h); }
uint32_t SaveA(const qzio::FormatCall&, QZIO_Header* h) { return Save(gA, h); }
bool OptionA(const qzio::FormatCall&, uint32_t id, const QzWord*, QzWord* a) { return Options(gA, id, a); }
uint32_t IdentifyB(const qzio::FormatCall&, QZIO_Header* h) { return Identify(gB, h); }
uint32_t LoadB(const qzio::FormatCall&, QZIO_Header* h) { return Load(gB, h); }
uint32_t SaveB(const qzio::FormatCall&, QZIO_Header* h) { return Save(gB, h); }
// The direct path reports a thumbnail half the size.
uint32_t IdentifyThumb(const qzio::FormatCall&, QZIO_Header* h) {
  h->buffer->width = 2;
  h->buffer->height = 1;
  return kQzioSuccess;
}

const qzio::FormatClass kFakeA = {"FakeAQZIO", 1, kQzioCapsFile, kQzioFlagFile, "fa", IdentifyA, LoadA, SaveA,
                                  nullptr, nullptr, OptionA};
const qzio::FormatClass kFakeB = {"FakeBQZIO", 2, kQzioCapsFile, kQzioFlagFile | kQzioFlagOwnFile, "fb",
                                  IdentifyB, LoadB, SaveB};
const qzio::FormatClass kFakeThumb = {"FakeThumbQZIO", 3, kQzioCapsFile, kQzioFlagFile | kQzioFlagDirect, "ft",
                                      IdentifyA, LoadA, SaveA, IdentifyThumb};

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gA = Probe{};
    gB = Probe{};
  }
  // Starts the library with this detection list.
  void Start(const std::vector<std::string>& formats) {
    library_ = std::make_unique<qztest::QzioLibrary>(formats);
    ASSERT_EQ(qzio::RegisterFormatClass(&kFakeA, nullptr), 1);
    ASSERT_EQ(qzio::RegisterFormatClass(&kFakeB, nullptr), 1);
    ASSERT_EQ(qzio::RegisterFormatClass(&kFakeThumb, nullptr), 1);
    file_ = library_->dir().file("picture.bin");
    qztest::WriteFile(file_, "some bytes");
  }
  void TearDown() override {
    qzio::UnregisterFormatClass(&kFakeA);
    qzio::UnregisterFormatClass(&kFakeB);
    qzio::UnregisterFormatClass(&kFakeThumb);
    library_.reset();
  }
  QZIO_ImageBuffer* Load(const std::string& path, uint32_t flags, uint32_t* result) {
    return QZIO_AutoLoadBuffer(path.c_str(), flags, kQzioTagResult, result, TAG_DONE);
  }

  std::unique_ptr<qztest::QzioLibrary> library_;
  std::string file_;
};

TEST_F(DriverTest, DetectionOrderAndLimits) {
  struct Case {
    const char* name;
    std::vector<std::string> list;
    uint32_t answerA, widthA, heightA, depthA;
    uint32_t result;
    const char* accepted;
    size_t fileBytes = 10;
  };
  const Case cases[] = {
      {"first that answers 1", {"FakeA", "FakeB"}, 1, 4, 3, 24, 1, "FakeA"},
      {"refusal goes on", {"FakeA", "FakeB"}, 8, 4, 3, 24, 1, "FakeB"},
      {"not handled goes on", {"FakeA", "FakeB"}, 7, 4, 3, 24, 1, "FakeB"},
      {"unknown names skipped", {"Nothing", "FakeB"}, 1, 4, 3, 24, 1, "FakeB"},
      {"65536 wide accepted", {"FakeA", "FakeB"}, 1, 65536, 65536, 32, 1, "FakeA", 400 << 10},
      {"65537 wide refused", {"FakeA", "FakeB"}, 1, 65537, 3, 24, 1, "FakeB"},
      {"65537 high refused", {"FakeA", "FakeB"}, 1, 4, 65537, 24, 1, "FakeB"},
      {"depth 33 refused", {"FakeA", "FakeB"}, 1, 4, 3, 33, 1, "FakeB"},
      {"nobody takes it", {"FakeA"}, 8, 4, 3, 24, 8, ""},
      {"empty list", {}, 1, 4, 3, 24, 8, ""},
      // Whatever the format, 425 bytes cannot hold 64518 x 64507 pixels: damaged.
      {"a claim the file cannot hold", {"FakeA", "FakeB"}, 1, 64518, 64507, 24, 3, "", 425},
      {"a small picture from a few bytes", {"FakeA", "FakeB"}, 1, 4000, 4000, 24, 1, "FakeA", 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.list);
    qztest::WriteFile(file_, std::string(c.fileBytes, 'x'));
    gA.identifyAnswer = c.answerA;
    gA.width = c.widthA, gA.height = c.heightA, gA.depth = c.depthA;
    uint32_t result = 0;
    QZIO_ImageBuffer* b = Load(file_, kQzioQuiet | kQzioIdentifyOnly, &result);
    EXPECT_EQ(result, c.result);
    if (c.result == 1) {
      ASSERT_NE(b, nullptr);
      EXPECT_STREQ(b->header->acceptedFormat, c.accepted);
      EXPECT_EQ(b->red, nullptr);  // identify only: no pixels
      EXPECT_EQ(b->header->stream, nullptr);
      EXPECT_EQ(b->header->probe, nullptr);
    } else {
      EXPECT_EQ(b, nullptr);
    }
    EXPECT_TRUE(Ui().boxes.empty());
    QZIO_FreeBuffer(b);
    TearDown();
  }
}

TEST_F(DriverTest, FileProblemsGiveTheirCodes) {
  Start({"FakeA"});
  gA.identifyAnswer = kQzioNotRecognised;
  uint32_t result = 1234;
  EXPECT_EQ(QZIO_AutoLoadBuffer(nullptr, 0, kQzioTagResult, &result, TAG_DONE), nullptr);
  EXPECT_EQ(result, 1234u);  // a null path writes nothing
  EXPECT_TRUE(Ui().boxes.empty());

  struct Case {
    const char* name;
    std::string path;
    uint32_t result;
    const char* reason;  // the box's last line
  };
  qztest::WriteFile(library_->dir().file("empty"), "");
  qztest::WriteFile(library_->dir().file("unknown"), "no format knows this");
  qztest::WriteFile(library_->dir().file("locked"), "abc");
  chmod(library_->dir().file("locked").c_str(), 0);
  std::vector<Case> cases = {
      {"missing", library_->dir().file("missing.ppm"), kQzioCannotOpen, "There is no such file."},
      {"a folder", library_->dir().path(), kQzioCannotOpen, "It is a folder, not a picture file."},
      {"empty", library_->dir().file("empty"), kQzioReadError, "The file is empty."},
      {"unknown", library_->dir().file("unknown"), kQzioNotRecognised, nullptr},
  };
  if (geteuid() != 0)  // permissions do not bind root
    cases.push_back({"unreadable", library_->dir().file("locked"), kQzioCannotOpen,
                     "You do not have permission to read it."});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ui().boxes.clear();
    EXPECT_EQ(Load(c.path, 0, &result), nullptr);
    EXPECT_EQ(result, c.result);
    ASSERT_EQ(Ui().boxes.size(), 1u);
    // The file's name, the result's text, and the reason when there is more to say.
    std::string expected = "Cannot load \"" + c.path + "\".\n" + QZIO_ErrorText(c.result);
    if (c.reason) expected += std::string("\n") + c.reason;
    EXPECT_EQ(Ui().boxes[0], expected);
  }
}

TEST_F(DriverTest, ShortFileIsProbedZeroPadded) {
  Start({"FakeA"});
  qztest::WriteFile(file_, "abcde");
  uint32_t result = 0;
  QZIO_ImageBuffer* b = Load(file_, kQzioQuiet, &result);
  ASSERT_EQ(result, 1u);
  ASSERT_EQ(gA.probeSeen.size(), kQzioProbeSize);
  EXPECT_EQ(gA.probeSeen.substr(0, 5), "abcde");
  EXPECT_EQ(gA.probeSeen.find_first_not_of('\0', 5), std::string::npos);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->red[0], 77);
  EXPECT_EQ(b->width, 4u);
  QZIO_FreeBuffer(b);
}

TEST_F(DriverTest, OptionsProgressAndBoxes) {
  struct Case {
    const char* name;
    uint32_t flags;
    bool options;
    int requesterAnswer;
    int stopAtCall;
    uint32_t loadAnswer;
    uint32_t result;
    size_t boxes;
    int identifyCalls;
    int progressBegun;
  };
  const Case cases[] = {
      {"plain load", 0, false, 1, 0, 1, 1, 0, 1, 1},
      {"options accepted: identified again", 0, true, 1, 0, 1, 1, 0, 2, 1},
      {"options cancelled", 0, true, 0, 0, 1, kQzioCancelled, 0, 1, 0},
      {"quiet skips options and progress", kQzioQuiet, true, 0, 0, 1, 1, 0, 1, 0},
      {"stop during load", 0, false, 1, 1, 1, kQzioCancelled, 0, 1, 1},
      {"load fails", 0, false, 1, 0, kQzioReadError, kQzioReadError, 1, 1, 1},
      {"load fails quietly", kQzioQuiet, false, 1, 0, kQzioReadError, kQzioReadError, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start({"FakeA"});
    gA.offersOptions = c.options;
    gA.loadAnswer = c.loadAnswer;
    Ui().requesterAnswer = c.requesterAnswer;
    Ui().stopAtCall = c.stopAtCall;
    uint32_t result = 0;
    QZIO_ImageBuffer* b = Load(file_, c.flags, &result);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(b != nullptr, c.result == 1);
    EXPECT_EQ(Ui().boxes.size(), c.boxes);
    EXPECT_EQ(gA.identifyCalls, c.identifyCalls);
    EXPECT_EQ(Ui().progressBegun, c.progressBegun);
    QZIO_FreeBuffer(b);
    TearDown();
    SetUp();
  }
}

TEST_F(DriverTest, DirectLoadUsesTheClassesOwnSize) {
  Start({"FakeThumb"});
  uint32_t result = 0, width = 0, height = 0;
  QZIO_ImageBuffer* b = QZIO_AutoLoadBuffer(file_.c_str(), kQzioDirectLoad, kQzioTagResult, &result,
                                            kQzioTagWidth, &width, kQzioTagHeight, &height, TAG_DONE);
  ASSERT_EQ(result, 1u);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(width, 4u);
  EXPECT_EQ(height, 3u);
  EXPECT_EQ(b->width, 2u);
  EXPECT_EQ(b->height, 1u);
  EXPECT_EQ(b->red[0], 77);
  EXPECT_EQ(Ui().progressBegun, 0);
  QZIO_FreeBuffer(b);
}

TEST_F(DriverTest, LoadFromAnObjectWithoutAFile) {
  Start({});
  struct Case {
    const char* name;
    uint32_t identifyAnswer;
    bool options;
    int requesterAnswer;
    uint32_t result;
  };
  const Case cases[] = {
      {"loads", 1, false, 1, 1},
      {"identify refuses with 3: still 8", kQzioReadError, false, 1, kQzioNotRecognised},
      {"options cancelled", 1, true, 0, kQzioCancelled},
      {"options accepted", 1, true, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gA = Probe{};
    gA.identifyAnswer = c.identifyAnswer;
    gA.offersOptions = c.options;
    Ui().requesterAnswer = c.requesterAnswer;
    Ui().boxes.clear();
    Qz_Object* source = Qz_CreateObject("FakeAQZIO");
    ASSERT_NE(source, nullptr);
    uint32_t result = 0;
    QZIO_ImageBuffer* b = QZIO_LoadBufferFromQZIO(source, 0, kQzioTagResult, &result, TAG_DONE);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(b != nullptr, c.result == 1);
    if (b) {
      EXPECT_EQ(b->red[0], 77);
      EXPECT_STREQ(b->header->acceptedFormat, "");
    }
    // A failure shows its box once; a cancel shows none.
    EXPECT_EQ(Ui().boxes.size(), c.result == 1 || c.result == kQzioCancelled ? 0u : 1u);
    QZIO_FreeBuffer(b);
    Qz_DisposeObject(source);
  }
}

TEST_F(DriverTest, InitAndCleanupNest) {
  Start({"FakeA", "PPM"});
  QZIO_GlobalData* g = QZIO_Init(nullptr);  // the fixture's own start is the first
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->referenceCount, 2u);
  ASSERT_NE(g->formatList, nullptr);
  EXPECT_EQ(Qz_DoMethod(g->formatList, kLinkedListCount), 2u);
  ASSERT_NE(g->saveFormatList, nullptr);
  Qz_Object* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(g->saveFormatList, kLinkedListFirst));
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(first, kRootGetObjectName)), "JPEG");
  QZIO_Cleanup();
  EXPECT_EQ(g->referenceCount, 1u);
  EXPECT_NE(g->formatList, nullptr);  // only the last cleanup frees the lists
}

class SaveTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    Start({"FakeA"});
    buffer_ = qztest::MakePattern(3, 2);
    header_.buffer = buffer_;
    target_ = library_->dir().file("out.img");
    qztest::WriteFile(target_, "old contents");
  }
  void TearDown() override {
    QZIO_FreeBuffer(buffer_);
    DriverTest::TearDown();
  }
  size_t FilesInFolder() {
    size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(library_->dir().path())) n += e.is_regular_file();
    return n;
  }
  QZIO_ImageBuffer* buffer_ = nullptr;
  QZIO_Header header_{};
  std::string target_;
};

TEST_F(SaveTest, RefusedOrFailedSavesLeaveTheOldFile) {
  struct Case {
    const char* name;
    const char* format;
    uint32_t saveAnswer;
    uint32_t quiet;
    int stopAtCall;
    uint32_t result;
    size_t boxes;
  };
  const Case cases[] = {
      {"unknown format", "Nothing", 1, 0, 0, kQzioNotRecognised, 1},
      {"unknown format quietly", "Nothing", 1, kQzioQuiet, 0, kQzioNotRecognised, 0},
      {"format refuses", "FakeA", kQzioBadArguments, 0, 0, kQzioBadArguments, 1},
      {"write fails quietly", "FakeA", kQzioWriteError, kQzioQuiet, 0, kQzioWriteError, 0},
      {"stopped", "FakeA", 1, 0, 1, kQzioCancelled, 0},
  };
  const size_t filesBefore = FilesInFolder();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ui().boxes.clear();
    Ui().stopAtCall = c.stopAtCall;
    Ui().progressCalls = 0;
    gA.saveAnswer = c.saveAnswer;
    uint32_t flags = c.quiet;
    EXPECT_EQ(QZIO_SaveBufferA(&header_, target_.c_str(), c.format, nullptr, &flags), c.result);
    EXPECT_EQ(Ui().boxes.size(), c.boxes);
    EXPECT_EQ(qztest::ReadFile(target_), "old contents");
    EXPECT_EQ(FilesInFolder(), filesBefore);  // no temporary file left behind
  }
  EXPECT_EQ(QZIO_SaveBufferA(nullptr, target_.c_str(), "FakeA", nullptr, nullptr), kQzioBadArguments);
  QZIO_Header empty{};
  EXPECT_EQ(QZIO_SaveBufferA(&empty, target_.c_str(), "FakeA", nullptr, nullptr), kQzioBadArguments);
}

TEST_F(SaveTest, SuccessReplacesTheFileAndGivesTheHeaderBack) {
  const char* name = "keep me";
  header_.fileName = name;
  ASSERT_EQ(QZIO_SaveBufferA(&header_, target_.c_str(), "FakeA", nullptr, nullptr), 1u);
  EXPECT_EQ(qztest::ReadFile(target_), "partial");
  EXPECT_EQ(header_.stream, nullptr);
  EXPECT_EQ(header_.fileName, name);
  EXPECT_EQ(header_.buffer, buffer_);
  EXPECT_EQ(Ui().progressBegun, 1);

  // A class that writes its file itself gets the temporary file's descriptor.
  ASSERT_EQ(QZIO_SaveBufferA(&header_, target_.c_str(), "FakeB", nullptr, nullptr), 1u);
  EXPECT_TRUE(gB.sawDescriptor);

  // A folder that does not exist cannot take the file.
  EXPECT_EQ(QZIO_SaveBufferA(&header_, library_->dir().file("no/such/dir/x").c_str(), "FakeA", nullptr, nullptr),
            kQzioCannotOpen);
}

TEST_F(DriverTest, RootQzioPropertiesAndDefaultAnswers) {
  Start({});
  const qzio::FormatClass bare = {"BareQZIO", 9, 5, kQzioFlagFile, "bare", nullptr, nullptr, nullptr};
  ASSERT_EQ(qzio::RegisterFormatClass(&bare, nullptr), 1);
  EXPECT_EQ(qzio::FindFormatClass("BareQZIO"), &bare);
  Qz_Class* rootClass = Qz_FindClassFromName("Root");
  const int32_t rootsBefore = rootClass->liveCount;
  Qz_Object* f = Qz_CreateObject("BareQZIO");
  ASSERT_NE(f, nullptr);
  QZIO_Header h{};
  struct Case {
    const char* name;
    uint32_t id;
    QzWord argument;
    QzWord answer;
  };
  QZIO_ImageBuffer* buffer = reinterpret_cast<QZIO_ImageBuffer*>(&h);  // any address will do
  const Case cases[] = {
      {"capabilities", kQzioGetCapabilities, 0, 5},
      {"flags", kQzioGetFlags, 0, kQzioFlagFile},
      {"identify not handled", kQzioIdentify, reinterpret_cast<QzWord>(&h), kQzioNotHandled},
      {"load not handled", kQzioLoad, reinterpret_cast<QzWord>(&h), kQzioNotHandled},
      {"save cannot", kQzioSave, reinterpret_cast<QzWord>(&h), kQzioCannotSave},
      {"set spare", kQzioSetSpare, 77, 77},
      {"get spare", kQzioGetSpare, 0, 77},
      {"set save buffer", kQzioSetSaveBuffer, reinterpret_cast<QzWord>(buffer), reinterpret_cast<QzWord>(buffer)},
      {"get save buffer", kQzioGetSaveBuffer, 0, reinterpret_cast<QzWord>(buffer)},
      {"no load options", kQzioGetLoadOptions, 0, 0},
      {"set capabilities", kQzioSetCapabilities, 15, 15},
      {"capabilities again", kQzioGetCapabilities, 0, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Qz_DoMethod(f, c.id, c.argument), c.answer);
  }
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(f, kQzioGetExtension)), "bare");

  // The options group belongs to the format object: it goes with it, once.
  Qz_Object* group = Qz_CreateObject("Root");
  Qz_DoMethod(f, kQzioSetSaveOptions, group);
  EXPECT_EQ(Qz_DoMethod(f, kQzioGetSaveOptions), reinterpret_cast<QzWord>(group));
  Qz_DisposeObject(f);
  EXPECT_EQ(rootClass->liveCount, rootsBefore);

  // Sent to the inner RootQZIO, 7052 reaches the outermost object's identify.
  Qz_Object* a = Qz_CreateObject("FakeAQZIO");
  ASSERT_NE(a, nullptr);
  QZIO_ImageBuffer* b = QZIO_AllocBuffer(1, 1, 24, 0, kQzioFormatRGBPlanes);
  h.buffer = b;
  h.probe = reinterpret_cast<uint8_t*>(const_cast<char*>("probe"));
  EXPECT_EQ(Qz_DoMethod(a->super, kQzioIdentifyOutermost, &h), 1u);
  EXPECT_EQ(gA.identifyCalls, 1);
  h.probe = nullptr;
  QZIO_FreeBuffer(b);
  Qz_DisposeObject(a);

  qzio::UnregisterFormatClass(&bare);
  EXPECT_EQ(qzio::FindFormatClass("BareQZIO"), nullptr);
  EXPECT_EQ(Qz_CreateObject("BareQZIO"), nullptr);
}

}  // namespace

namespace {

TEST(DetectionListTest, ShippedListPutsTheNativeFormatFirstAndNoNonFiles) {
  Qz_Init();
  Qz_Object* list = Qz_RestoreObjectFromDisk("Data/QZIOList.QzStr");
  ASSERT_NE(list, nullptr);
  std::vector<std::string> names;
  for (QzWord m = Qz_DoMethod(list, kLinkedListFirst); m; m = Qz_DoMethod(list, kLinkedListNext, m))
    names.push_back(reinterpret_cast<const char*>(Qz_DoMethod(reinterpret_cast<Qz_Object*>(m), kRootGetObjectName)));
  Qz_DisposeObject(list);
  Qz_CleanUp();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "Quillantrix");  // before TIFF, which would take its files too
  auto at = [&](const char* n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
  EXPECT_LT(at("Quillantrix"), at("TIFF"));
  EXPECT_LT(at("PPM"), static_cast<long>(names.size()));
  // The clipboard and the screen grab ignore the file: never detected.
  EXPECT_EQ(at("Clipboard"), static_cast<long>(names.size()));
  EXPECT_EQ(at("ScreenGrab"), static_cast<long>(names.size()));
}

}  // namespace
