// The application image's commands: the current colour, the current media
// preset, quitting, output through the image-output plug-in, and the Root
// methods an image answers when it is drawn as an object.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "appshell_env.h"
#include "image/app_commands.h"
#include "image/unsaved_changes.h"
#include "objects/catalogue.h"
#include "objects/message_box.h"
#include "objects/qz_class_record.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_object.h"
#include "qzio/root_qzio.h"

namespace qztest {
namespace {

using namespace qz;  // the command ids

constexpr uint32_t kMediaModeName = 0x110212;
constexpr uint32_t kMakeActiveImage = 0x13001e;

Qz_Object* AppImage() { return &Qz_GetImageBase()->applicationImage->object; }

// Notices of one id on an object, kept until the recorder goes.
class Notices {
 public:
  Notices(Qz_Object* object, uint32_t id)
      : object_(object), handle_(Qz_AddCallBackNotify(object, id, kNotifyAnyValue, &Record, toWord(this))) {}
  ~Notices() { Qz_RemoveNotify(object_, handle_); }
  std::vector<QzWord> values() {
    std::lock_guard<std::mutex> hold(lock_);
    return values_;
  }

 private:
  static void Record(QzWord self, Qz_Object*, uint32_t, const QzWord* words) {
    auto* n = reinterpret_cast<Notices*>(self);
    std::lock_guard<std::mutex> hold(n->lock_);
    n->values_.push_back(words[0]);
  }
  Qz_Object* object_;
  QzWord handle_;
  std::mutex lock_;
  std::vector<QzWord> values_;
};

// A document without a thread of its own, listed and made the active image.
Qz_Image* ActiveDocument(int32_t width, int32_t height) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  if (!image || !Qz_AllocImage(image, width, height, 24, kQzAllocNoThread, nullptr)) return nullptr;
  Qz_DoMethod(&image->object, kQzImageMakeDocument, image);
  Qz_DoMethod(&image->object, 0x100078, kQzPaintLayer, width, height, 8);
  Qz_DoMethod(AppImage(), kMakeActiveImage, image);
  return image;
}

class AppCommandsTest : public AppShellTest {};

TEST_F(AppCommandsTest, TheCurrentColourIsKeptPackedAndAnnounced) {
  Notices red(AppImage(), kQzAppSetRed), packed(AppImage(), kQzAppSetColour);
  Qz_DoMethod(AppImage(), kQzAppSetColour, 0x102030);
  EXPECT_EQ(Qz_DoMethod(AppImage(), kQzAppGetColour), 0x102030u);
  const int32_t* colour = Qz_GetImageBase()->colour;
  EXPECT_EQ(colour[0], 0x30);
  EXPECT_EQ(colour[1], 0x20);
  EXPECT_EQ(colour[2], 0x10);
  struct Case {
    uint32_t id;
    QzWord value;
    uint32_t packed;
  };
  const Case cases[] = {{kQzAppSetRed, 0xAB, 0x1020AB},
                        {kQzAppSetGreen, 300, 0x10FFAB},  // a component is at most 255
                        {kQzAppSetBlue, 0, 0x00FFAB}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Qz_DoMethod(AppImage(), c.id, c.value);
    EXPECT_EQ(Qz_DoMethod(AppImage(), kQzAppGetColour), c.packed);
  }
  EXPECT_EQ(red.values(), std::vector<QzWord>{0xAB});
  EXPECT_EQ(packed.values(), std::vector<QzWord>{0x102030});
}

// Needs the layers' colour methods (0x130050-0x130053).
TEST_F(AppCommandsTest, TheCurrentColourReachesTheActivePaintLayer) {
  Qz_Image* document = ActiveDocument(6, 4);
  ASSERT_NE(document, nullptr);
  Qz_Image* layer = document->paintLayer;
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(AppImage(), kQzAppSetColour, 0x405060);
  EXPECT_EQ(layer->chosenColour[0], 0x60);
  EXPECT_EQ(layer->chosenColour[1], 0x50);
  EXPECT_EQ(layer->chosenColour[2], 0x40);
  Qz_DoMethod(AppImage(), kQzAppSetGreen, 7);
  EXPECT_EQ(layer->chosenColour[1], 7);
}

// Media presets live in the data folder; the test points it at its own.
class MediaPresetTest : public AppCommandsTest {
 protected:
  void SetUp() override {
    const char* data = std::getenv("QZ_DATA_DIR");
    previousData_ = data ? data : "";
    const std::string presets = dir_.path() + "/Data/Media/Presets";
    ASSERT_EQ(system(("mkdir -p '" + presets + "'").c_str()), 0);
    for (const char* name : {"Chalk", "Pencil"}) WritePreset(name);
    setenv("QZ_DATA_DIR", dir_.path().c_str(), 1);
    const Qz_ClassSpec media = {"PresetTestMedia", "", 0x7E300000, "Root", &NewMedia, &DisposeMedia,
                                &MediaDispatch, kNoMethods, sizeof(Qz_Object), 0};
    ASSERT_EQ(Qz_RegisterClassRecord(&mediaClass_, &media), 1u);
  }
  void TearDown() override {
    if (previousData_.empty())
      unsetenv("QZ_DATA_DIR");
    else
      setenv("QZ_DATA_DIR", previousData_.c_str(), 1);
    AppCommandsTest::TearDown();
    // The presets go with the list; the base is left as it began.
    Qz_ImageBase* base = Qz_GetImageBase();
    while (auto* preset = reinterpret_cast<Qz_Object*>(Qz_DoMethod(base->mediaList, kLinkedListFirst))) {
      Qz_DoMethod(base->mediaList, kLinkedListRemove, preset);
      Qz_DisposeObject(preset);
    }
    base->currentMedia = nullptr;
    std::strcpy(base->currentMediaName, "AirBrush");
    Qz_UnregisterClassRecord(&mediaClass_);
  }
  void WritePreset(const std::string& name) {
    std::ofstream(dir_.path() + "/Data/Media/Presets/" + name + ".QzStr") << "PresetTestMedia\n{\n}\n";
  }
  QzWord Choose(const char* name) { return Qz_DoMethod(AppImage(), kQzAppChooseMedia, name); }
  static int32_t ListCount() {
    return int32_t(Qz_DoMethod(Qz_GetImageBase()->mediaList, kLinkedListCount));
  }

  static Qz_Object* NewMedia(Qz_Class* c, const QzWord*) { return Qz_AllocObjectOver(c, "Root", nullptr); }
  static void DisposeMedia(Qz_Object* o) {
    Qz_DisposeObject(o->super);
    Qz_FreeObjectMem(o);
  }
  static QzWord MediaDispatch(Qz_Object* o, uint32_t id, const QzWord* args) {
    if (id == kMediaModeName) return toWord("LevelTest");
    return Qz_DoMethodA(o->super, id, args);
  }
  static constexpr Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
  Qz_Class mediaClass_{};
  std::string previousData_;
};

TEST_F(MediaPresetTest, APresetIsRestoredOnceNamedAndReused) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Notices chosen(AppImage(), kQzAppChooseMedia);
  auto* chalk = reinterpret_cast<Qz_Object*>(Choose("Chalk"));
  ASSERT_NE(chalk, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(chalk, kRootGetObjectName)), "Chalk");
  EXPECT_EQ(base->currentMedia, chalk);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(AppImage(), kQzAppGetMediaName)), "Chalk");
  EXPECT_EQ(ListCount(), 1);
  ASSERT_EQ(chosen.values().size(), 1u);
  EXPECT_STREQ(reinterpret_cast<const char*>(chosen.values()[0]), "Chalk");

  EXPECT_EQ(Choose("Chalk"), 0u);  // the current one already
  ASSERT_NE(Choose("Pencil"), 0u);
  EXPECT_EQ(ListCount(), 2);
  // Chosen again, Chalk comes from the list: its file is not read twice.
  ASSERT_EQ(unlink((dir_.path() + "/Data/Media/Presets/Chalk.QzStr").c_str()), 0);
  EXPECT_EQ(reinterpret_cast<Qz_Object*>(Choose("Chalk")), chalk);
  EXPECT_EQ(ListCount(), 2);

  // Names that are no preset change nothing.
  WritePreset("../Escaped");
  for (const char* name : {"", "Missing", "../Escaped", "Pencil/..", ".."}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Choose(name), 0u);
    EXPECT_EQ(base->currentMedia, chalk);
    EXPECT_STREQ(base->currentMediaName, "Chalk");
  }
  EXPECT_EQ(ListCount(), 2);
}

// Needs the documents' media method (0x100064) and the mode choice (0x10005a).
TEST_F(MediaPresetTest, EveryDocumentGetsThePresetAndAReusedOneBringsBackItsMode) {
  Qz_Image* other = ActiveDocument(4, 4);
  Qz_Image* active = ActiveDocument(5, 5);
  ASSERT_TRUE(other && active);
  auto* chalk = reinterpret_cast<Qz_Object*>(Choose("Chalk"));
  ASSERT_NE(chalk, nullptr);
  EXPECT_EQ(other->media, chalk);
  EXPECT_EQ(active->media, chalk);
  EXPECT_EQ(Qz_GetImageBase()->applicationImage->media, chalk);
  ASSERT_NE(Choose("Pencil"), 0u);
  EXPECT_STRNE(active->activeLayer->chosenModeName, "LevelTest");  // restored, not reused
  ASSERT_NE(Choose("Chalk"), 0u);
  EXPECT_STREQ(active->activeLayer->chosenModeName, "LevelTest");
}

// The program's application object, as far as quitting goes.
struct QuitRecorder {
  static QzWord Dispatch(Qz_Object* o, uint32_t id, const QzWord* args) {
    if (id == kRootClose) {
      ++closes;
      return 1;
    }
    return Qz_DoMethodA(o->super, id, args);
  }
  static inline int closes = 0;
};

TEST_F(AppCommandsTest, QuittingAsksFirstAboutEachUnsavedPictureAndClosesTheApplicationOnOk) {
  static const Qz_Method kNone[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
  static Qz_Class appClass;
  const Qz_ClassSpec spec = {"QuitTestApp", "", 0x7E310000, "Root",
                             [](Qz_Class* c, const QzWord*) { return Qz_AllocObjectOver(c, "Root", nullptr); },
                             [](Qz_Object* o) {
                               Qz_DisposeObject(o->super);
                               Qz_FreeObjectMem(o);
                             },
                             &QuitRecorder::Dispatch, kNone, sizeof(Qz_Object), 0};
  ASSERT_EQ(Qz_RegisterClassRecord(&appClass, &spec), 1u);
  Qz_Object* app = Qz_CreateObject("QuitTestApp");
  ASSERT_NE(app, nullptr);
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* previous = base->application;
  base->application = app;
  QuitRecorder::closes = 0;
  qz::msgbox::resetScript();

  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Cancel);
  EXPECT_EQ(Qz_DoMethod(AppImage(), kQzAppQuit), 0u);
  EXPECT_EQ(QuitRecorder::closes, 0);
  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Ok);
  EXPECT_EQ(Qz_DoMethod(AppImage(), kQzAppQuit), 1u);
  EXPECT_EQ(QuitRecorder::closes, 1);
  const std::vector<qz::msgbox::Shown> boxes = qz::msgbox::shownBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, "Quillantrix");
  EXPECT_EQ(boxes[0].text, Qz_CatalogString(24));
  EXPECT_EQ(boxes[0].kind, 2u);

  // Pictures with unsaved changes are each asked about by name, in place of
  // the quit question; Cancel on any keeps the program and every picture.
  // A stop from the terminal asks only about those.
  Qz_Image* kept = ActiveDocument(8, 8);
  Qz_Image* changed = ActiveDocument(8, 8);
  Qz_Image* other = ActiveDocument(8, 8);
  ASSERT_TRUE(kept && changed && other);
  changed->name = strdup("/pictures/beach.png");
  for (Qz_Image* d : {kept, changed, other}) Qz_MarkImageSaved(d);
  struct Case {
    const char* name;
    uint32_t flags;
    bool anyChanged;
    std::vector<qz::msgbox::Answer> answers;
    QzWord result;
    std::vector<std::string> asked;  // what each box names ("" for the quit question)
  };
  const Case cases[] = {
      {"terminal stop, nothing changed", kQzQuitAskUnsavedOnly, false, {}, 1, {}},
      {"changed, cancelled", 0, true, {qz::msgbox::Answer::Cancel}, 0, {"\"beach.png\""}},
      {"changed, second cancelled", 0, true, {qz::msgbox::Answer::Ok, qz::msgbox::Answer::Cancel}, 0,
       {"\"beach.png\"", "\"Untitled\""}},
      {"changed, both let go", kQzQuitAskUnsavedOnly, true, {qz::msgbox::Answer::Ok, qz::msgbox::Answer::Ok}, 1,
       {"\"beach.png\"", "\"Untitled\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (Qz_Image* d : {kept, changed, other}) Qz_MarkImageSaved(d);
    if (c.anyChanged) {
      Qz_NoteImageEdit(changed->activeLayer);
      Qz_NoteImageEdit(other);
    }
    QuitRecorder::closes = 0;
    qz::msgbox::resetScript();
    for (qz::msgbox::Answer a : c.answers) qz::msgbox::scriptAnswer(a);
    EXPECT_EQ(Qz_DoMethod(AppImage(), kQzAppQuit, c.flags), c.result);
    EXPECT_EQ(QuitRecorder::closes, int(c.result));
    const std::vector<qz::msgbox::Shown> shown = qz::msgbox::shownBoxes();
    ASSERT_EQ(shown.size(), c.asked.size());
    for (size_t i = 0; i < shown.size(); ++i) {
      EXPECT_NE(shown[i].text.find(c.asked[i]), std::string::npos) << shown[i].text;
      EXPECT_NE(shown[i].text.find("not saved"), std::string::npos) << shown[i].text;
    }
  }
  for (Qz_Image* d : {kept, changed, other}) Qz_DisposeObject(&d->object);

  base->application = previous;
  Qz_DisposeObject(app);
  Qz_UnregisterClassRecord(&appClass);
}

// The image-output plug-in: a target that takes the picture without a file.
struct OutputRecord {
  int calls = 0;
  uint32_t width = 0, height = 0;
  Qz_Image* source = nullptr;
};
OutputRecord gOutput;

uint32_t OutputSave(const qzio::FormatCall&, QZIO_Header* header) {
  ++gOutput.calls;
  gOutput.width = header->buffer->width;
  gOutput.height = header->buffer->height;
  gOutput.source = header->buffer->sourceImage;
  return kQzioSuccess;
}

TEST_F(AppCommandsTest, OutputGoesToThePlugInWithoutAFile) {
  ASSERT_STREQ(Qz_GetImageBase()->outputPlugin, "Vellumcraft");
  static const qzio::FormatClass plugIn = {"VellumcraftQZIO", 7900, kQzioCapsOutputOnly,
                                           kQzioFlagOwnFile | kQzioFlagNoProgress, nullptr, nullptr,
                                           nullptr, OutputSave};
  Qz_Image* document = ActiveDocument(9, 7);
  ASSERT_NE(document, nullptr);
  gOutput = {};
  // Without the plug-in there is nothing to output to.
  EXPECT_EQ(Qz_DoMethod(&document->object, kQzAppOutput), 0u);
  EXPECT_EQ(gOutput.calls, 0);

  ASSERT_EQ(qzio::RegisterFormatClass(&plugIn, nullptr), 1);
  EXPECT_EQ(Qz_DoMethod(&document->object, kQzAppOutput), 1u);
  qzio::UnregisterFormatClass(&plugIn);
  EXPECT_EQ(gOutput.calls, 1);
  EXPECT_EQ(gOutput.width, 9u);
  EXPECT_EQ(gOutput.height, 7u);
  EXPECT_EQ(gOutput.source, document);
}

TEST_F(AppCommandsTest, AnImageDrawnAsAnObjectSizesAndAllocatesItself) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  ASSERT_NE(image, nullptr);
  Made(image);
  // Without a size there is nothing to allocate.
  EXPECT_EQ(Qz_DoMethod(&image->object, kRootOpen), 0u);
  Qz_DoMethod(&image->object, 0x10000a, 30);
  Qz_DoMethod(&image->object, 0x100014, 20);
  Qz_DoMethod(&image->object, 0x10001e, 8);
  EXPECT_EQ(Qz_DoMethod(&image->object, kRootOpen), 1u);
  ASSERT_EQ(image->state.load(), kQzImageAllocated);
  ASSERT_NE(image->grey, nullptr);
  const Qz_Plane grey = image->grey;
  EXPECT_EQ(Qz_DoMethod(&image->object, kRootOpen), 1u);
  EXPECT_EQ(image->grey, grey);  // allocated once

  auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(&image->object, kRootGetLayoutBox));
  ASSERT_NE(box, nullptr);
  Qz_DoMethod(&image->object, kRootMeasure);
  EXPECT_EQ(box->minWidth, 1);
  EXPECT_EQ(box->minHeight, 1);
  EXPECT_EQ(box->width, 30);
  EXPECT_EQ(box->height, 20);
  box->maxWidth = 25;
  box->maxHeight = 0;  // no limit
  Qz_DoMethod(&image->object, kRootPlace, 3, 4, 40, 0);
  EXPECT_EQ(box->left, 3);
  EXPECT_EQ(box->top, 4);
  EXPECT_EQ(box->width, 25);
  EXPECT_EQ(box->height, 1);
}

}  // namespace
}  // namespace qztest
