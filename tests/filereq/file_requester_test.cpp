// The file requester run as a user would, headless: keys and choices on
// the window's own thread, the answer read back through the C interface.
#include "gadgets/qz_file_requester.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>

#include "filereq/fake_images.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "objects/message_box.h"
#include "objects/qz_class_record.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace {

namespace fs = std::filesystem;

template <typename Ready>
bool waitUntil(Ready ready) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Delay(1);
  }
  return true;
}

// The window of the requester with that title once it is up and active.
Qz_Object* activeWindowTitled(const char* title) {
  Qz_Object* window = nullptr;
  waitUntil([&] {
    Window* active = Qz_GetActiveWindow();
    if (!active || !active->Title || std::strcmp(active->Title, title) != 0) return false;
    window = static_cast<Qz_Object*>(active->OwnerObject);
    return true;
  });
  return window;
}

Qz_Object* named(Qz_Object* window, const char* name) {
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(window, kRootFindByName, name));
}

// A click in the middle of the named gadget; the folder tree's opened
// nodes reach far below the list and must not take it.
void clickOn(qztest::UiHarness& ui, Qz_Object* window, const char* name) {
  const Qz_LayoutBox b = qztest::UiHarness::box(named(window, name));
  ui.click(window, b.left + b.width / 2, b.top + b.height / 2);
}

std::vector<Qz_Object*> rows(Qz_Object* list) {
  std::vector<Qz_Object*> out;
  for (auto* r = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kGroupFirst)); r;
       r = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kGroupNext, r)))
    out.push_back(r);
  return out;
}

const qz::thumbs::FileItem& itemOf(Qz_Object* row) {
  return *reinterpret_cast<const qz::thumbs::FileItem*>(Qz_DoMethod(row, kRootGetUserData));
}

class FileRequester : public testing::Test {
 protected:
  void SetUp() override {
    qz::filereq::setThumbnailImageService(&images);
    fs::create_directories(folder);
    std::ofstream(folder + "/b.png") << "PIC 640 480";
    std::ofstream(folder + "/A.jpg") << "PIC 100 200";
    std::ofstream(folder + "/notes.txt") << "plain words";
    qz::msgbox::resetScript();
  }
  void TearDown() override { qz::filereq::setThumbnailImageService(nullptr); }

  // Runs Qz_FileRequestA on a thread of its own; act() gets the open
  // requester's window once its three files are listed and their thumbnails settled.
  template <typename Act>
  QzWord run(const std::string& start, Act act, QzWord* handle = nullptr) {
    std::strncpy(path, start.c_str(), sizeof path - 1);
    std::strcpy(file, "start.png");
    const int loadsBefore = images.sourceLoads + images.thumbnailLoads;
    auto answer = std::async(std::launch::async, [&] {
      return handle ? Qz_FileRequest("Pick", path, file, nullptr, 0, kFileRequesterTagSelections, handle)
                    : Qz_FileRequest("Pick", path, file, nullptr, 0);
    });
    Qz_Object* window = activeWindowTitled("Pick");
    EXPECT_NE(window, nullptr);
    if (window) {
      // A or b and the text file: two looked at on every visit.
      EXPECT_TRUE(waitUntil([&] { return images.sourceLoads + images.thumbnailLoads >= loadsBefore + 2; }));
      Delay(5);
      ui.settle(window);
      ui.settle(window);
      act(window);
    }
    return answer.get();
  }

  qztest::UiHarness ui;
  qztest::FakeImages images;
  qztest::TempDir dir;
  const std::string folder = dir.file("pictures");
  char path[kFileRequestBufferBytes] = {};
  char file[kFileRequestBufferBytes] = {};
};

TEST_F(FileRequester, KeysAndChoicesGiveTheAnswer) {
  struct Case {
    const char* name;
    std::function<void(qztest::UiHarness&, Qz_Object*)> act;
    QzWord result;
    const char* file;
  } cases[] = {
      {"typed name and Enter",
       [](qztest::UiHarness& ui, Qz_Object* w) {
         ui.post(w, named(w, "FileRequesterName"), kStringEditSetText, "typed.png");
         ui.settle(w);
         qz::headless::typeKey(0x0D, 13);
       },
       1, "typed.png"},
      {"a row chosen, then Enter",
       [](qztest::UiHarness& ui, Qz_Object* w) {
         ui.post(w, rows(named(w, "FileRequesterList"))[1], kRootSelect);
         ui.settle(w);
         qz::headless::typeKey(0x0D, 13);
       },
       1, "b.png"},
      {"a row chosen twice", [](qztest::UiHarness& ui, Qz_Object* w) {
         Qz_Object* row = rows(named(w, "FileRequesterList"))[0];
         ui.post(w, row, kRootSelect);
         ui.settle(w);
         ui.post(w, row, kRootSelect);
       },
       1, "A.jpg"},
      {"Ok clicked", [](qztest::UiHarness& ui, Qz_Object* w) { clickOn(ui, w, "FileRequesterOk"); }, 1, "start.png"},
      {"Cancel clicked", [](qztest::UiHarness& ui, Qz_Object* w) { clickOn(ui, w, "FileRequesterCancel"); }, 0,
       "start.png"},
      {"Esc", [](qztest::UiHarness&, Qz_Object*) { qz::headless::typeKey(0x1B, 27); }, 0, "start.png"},
      {"close box", [](qztest::UiHarness& ui, Qz_Object* w) { ui.post(w, w, kWindowFireClose); }, 0, "start.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run(folder, [&](Qz_Object* w) { c.act(ui, w); }), c.result);
    EXPECT_STREQ(file, c.file);
    EXPECT_STREQ(path, folder.c_str());
  }
}

TEST_F(FileRequester, ListsTheFolderWithSizesAndThumbnails) {
  std::vector<std::string> names, pixels;
  std::vector<uint32_t> shown;
  run(folder, [&](Qz_Object* w) {
    for (Qz_Object* row : rows(named(w, "FileRequesterList"))) {
      names.push_back(itemOf(row).record.name);
      pixels.push_back(reinterpret_cast<const char*>(Qz_DoMethod(itemOf(row).pixelSizeLabel, kRootGetLabel)));
      const Qz_LayoutBox icon = qztest::UiHarness::box(itemOf(row).icon);
      shown.push_back(ui.pixel(w, icon.left + icon.width / 2, icon.top + icon.height / 2));
    }
    qz::headless::typeKey(0x1B, 27);
  });
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], qztest::FakeImages::kColour) << "the thumbnail is drawn";
  EXPECT_EQ(shown[1], qztest::FakeImages::kColour);
  EXPECT_NE(shown[2], qztest::FakeImages::kColour);
  EXPECT_EQ(names, (std::vector<std::string>{"A.jpg", "b.png", "notes.txt"}));
  EXPECT_EQ(pixels, (std::vector<std::string>{"100x200", "640x480", ""}));
  EXPECT_EQ(images.saves.load(), 2);
  EXPECT_EQ(images.live.load(), 0) << "every picture goes with its requester";

  images.saves = 0;
  images.sourceLoads = 0;
  pixels.clear();
  run(folder, [&](Qz_Object* w) {
    for (Qz_Object* row : rows(named(w, "FileRequesterList")))
      pixels.push_back(reinterpret_cast<const char*>(Qz_DoMethod(itemOf(row).pixelSizeLabel, kRootGetLabel)));
    qz::headless::typeKey(0x1B, 27);
  });
  EXPECT_EQ(images.saves.load(), 0) << "a second visit makes no thumbnails";
  EXPECT_EQ(images.sourceLoads.load(), 0);
  EXPECT_EQ(pixels, (std::vector<std::string>{"100x200", "640x480", ""})) << "the cached sizes reach the rows";
  EXPECT_EQ(images.live.load(), 0);
}

TEST_F(FileRequester, SeveralSelectionsComeInListOrderThenNull) {
  QzWord handle = 0;
  const QzWord result = run(folder, [&](Qz_Object* w) {
    Qz_Object* list = named(w, "FileRequesterList");
    const auto all = rows(list);
    ui.post(w, list, kListTreeAddSelected, all[2]);
    ui.post(w, list, kListTreeAddSelected, all[0]);
    ui.settle(w);
    qz::headless::typeKey(0x0D, 13);
  }, &handle);
  ASSERT_EQ(result, 1u);
  ASSERT_NE(handle, 0u);
  const char* first = Qz_GetFirstFileRequestSelection(handle);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first, "A.jpg");
  const char* second = Qz_GetNextFileRequestSelection(handle, first);
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(second, "notes.txt");
  EXPECT_EQ(Qz_GetNextFileRequestSelection(handle, second), nullptr);
  Qz_EndFileRequest(handle);
  Qz_EndFileRequest(0);
}

TEST_F(FileRequester, AFolderRequestHidesTheFilesAndAnswersTheFolder) {
  std::strcpy(path, folder.c_str());
  auto answer = std::async(std::launch::async, [&] {
    return Qz_FileRequest("Folder", path, file, nullptr, 0, kFileRequesterFolderOnly, 1);
  });
  Qz_Object* window = activeWindowTitled("Folder");
  ASSERT_NE(window, nullptr);
  ui.settle(window);
  EXPECT_NE(Qz_DoMethod(named(window, "FileRequesterList"), kRootHideCount), 0u);
  EXPECT_NE(Qz_DoMethod(named(window, "FileRequesterName"), kRootHideCount), 0u);
  qz::headless::typeKey(0x0D, 13);
  EXPECT_EQ(answer.get(), 1u);
  EXPECT_STREQ(path, folder.c_str());
}

TEST_F(FileRequester, ACancelledRunKeepsNothingAndStopsItsThread) {
  Qz_Class* requesterClass = Qz_FindClassFromName("FileRequester");
  Qz_Class* threadClass = Qz_FindClassFromName("Thread");
  ASSERT_NE(requesterClass, nullptr);
  const int32_t requesters = requesterClass->liveCount, threads = threadClass->liveCount;
  QzWord handle = 1;
  EXPECT_EQ(run(folder, [](Qz_Object*) { qz::headless::typeKey(0x1B, 27); }, &handle), 0u);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(requesterClass->liveCount, requesters);
  EXPECT_EQ(threadClass->liveCount, threads);
}

TEST_F(FileRequester, AChoiceTooLongForTheBuffersIsRefusedAndSaid) {
  std::string deep = folder;
  while (deep.size() < kFileRequestBufferBytes) deep += "/a-rather-long-folder-name";
  fs::create_directories(deep);
  EXPECT_EQ(run(folder, [&](Qz_Object* w) {
    ui.post(w, named(w, "FileRequester"), kFileRequesterSetFolder, deep.c_str());
    ui.settle(w);
    qz::headless::typeKey(0x0D, 13);
  }), 0u);
  EXPECT_STREQ(file, "start.png") << "the buffers are left as they were";
  const auto shown = qz::msgbox::shownBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Quillantrix");
}

}  // namespace
