// The thumbnail pass over a folder with a stand-in image service: what it
// loads, makes, keeps and deletes in the cache across visits.
#include "gadgets/thumbnail_pass.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "filereq/fake_images.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using qz::thumbs::FileItem;
using qztest::FakeImages;

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ThumbnailPass : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(pictures);
    std::ofstream(pictures + "/b.png") << "PIC 640 480";
    std::ofstream(pictures + "/A.jpg") << "PIC 100 200";
    std::ofstream(pictures + "/notes.txt") << "plain words";
    fs::create_directories(pictures + "/sub");
  }

  // One visit: list, run the pass, keep what it made for a look.
  std::vector<FileItem> visit(const qz::thumbs::ThumbnailPassHooks& hooks = {}, bool makeNew = true) {
    bool ok = false;
    std::vector<FileItem> files = qz::thumbs::listFolderFiles(pictures, [] { return false; }, ok);
    EXPECT_TRUE(ok);
    std::vector<FileItem*> items;
    for (FileItem& f : files) items.push_back(&f);
    qz::thumbs::runThumbnailPass(cache, images, pictures, items, {.makeNew = makeNew}, hooks);
    for (FileItem& f : files) {
      if (f.thumbnail) images.release(f.thumbnail);
    }
    return files;
  }
  std::string thumbnail(const std::string& name) { return cacheDir.path() + "/1/" + name; }
  void touch(const std::string& name) {
    const auto path = pictures + "/" + name;
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(10));
  }

  qztest::TempDir cacheDir, source;
  const std::string pictures = source.file("pictures");
  qz::thumbs::ThumbnailCache cache{cacheDir.path()};
  FakeImages images;
};

TEST_F(ThumbnailPass, FirstVisitMakesThumbnailsAndNumbersTheFolderOnce) {
  int settled = 0;
  qz::thumbs::ThumbnailPassHooks hooks;
  // The index is written when the first thumbnail is made, and only then.
  hooks.settled = [&](FileItem&) {
    if (++settled == 1) fs::remove(cacheDir.file("Index"));
  };
  const auto files = visit(hooks);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].record.name, "A.jpg");
  EXPECT_EQ(files[1].record.name, "b.png");
  EXPECT_EQ(files[2].record.name, "notes.txt");
  EXPECT_FALSE(fs::exists(cacheDir.file("Index")));

  EXPECT_EQ(files[0].pixelSizeText, "100x200");
  EXPECT_EQ(files[1].pixelSizeText, "640x480");
  EXPECT_EQ(files[2].pixelSizeText, "");
  EXPECT_EQ(files[1].sizeText, "File Size: 1KB");
  EXPECT_EQ(readText(thumbnail("b.png")), "THUMB 64 48");
  EXPECT_EQ(readText(thumbnail("A.jpg")), "THUMB 24 48");
  EXPECT_EQ(images.live.load(), 0);

  const auto entries = cache.readEntries(1);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].state, uint32_t(qz::thumbs::kThumbnailCached));
  EXPECT_EQ(entries[2].state, uint32_t(qz::thumbs::kThumbnailUnreadable));
  EXPECT_EQ(entries[0].width, 100u);
}

TEST_F(ThumbnailPass, IndexNamesTheFolderAndIsReadBackByTheNextRun) {
  visit();
  EXPECT_EQ(readText(cacheDir.file("Index")), "Highest: 1\r\n1," + pictures + "\r\n");
  qz::thumbs::ThumbnailCache nextRun(cacheDir.path());
  nextRun.readIndex();
  EXPECT_EQ(nextRun.enter(pictures), 1) << "the stored path matches exactly";
  EXPECT_EQ(nextRun.enter(source.file("other")), 2);
}

TEST_F(ThumbnailPass, LaterVisitsReuseRebuildAndDelete) {
  visit();
  images.sourceLoads = images.thumbnailLoads = 0;
  visit();
  EXPECT_EQ(images.sourceLoads.load(), 0) << "cached thumbnails only; the text file is not tried again";
  EXPECT_EQ(images.thumbnailLoads.load(), 2);

  touch("b.png");
  touch("notes.txt");
  images.sourceLoads = 0;
  visit();
  EXPECT_EQ(images.sourceLoads.load(), 2) << "both touched files are looked at again";

  fs::remove(pictures + "/b.png");
  visit();
  EXPECT_FALSE(fs::exists(thumbnail("b.png")));
  EXPECT_TRUE(fs::exists(thumbnail("A.jpg")));
  EXPECT_EQ(cache.readEntries(1).size(), 2u);
}

TEST_F(ThumbnailPass, SwitchedOffShowsCachedThumbnailsAndMakesNone) {
  visit();
  std::ofstream(pictures + "/c.png") << "PIC 10 10";
  images.sourceLoads = 0;
  const auto files = visit({}, false);
  EXPECT_EQ(images.sourceLoads.load(), 0);
  EXPECT_EQ(files[1].pixelSizeText, "640x480");
  EXPECT_EQ(files[2].pixelSizeText, "");
}

TEST_F(ThumbnailPass, ClearingTheCacheThenBrowsingCachesAgain) {
  visit();
  cache.clear();
  EXPECT_TRUE(fs::exists(cacheDir.path()));
  EXPECT_TRUE(fs::is_empty(cacheDir.path()));
  images.sourceLoads = 0;
  visit();
  EXPECT_EQ(images.sourceLoads.load(), 3);
  EXPECT_TRUE(fs::exists(thumbnail("b.png")));
  EXPECT_EQ(cache.readEntries(1).size(), 3u);
  EXPECT_EQ(readText(cacheDir.file("Index")), "Highest: 1\r\n1," + pictures + "\r\n");
}

TEST_F(ThumbnailPass, CacheFilesNeverReachOutsideTheCache) {
  visit();
  // A crafted entry naming a file outside the cache, and a browsed file
  // named like the entries file.
  std::ofstream(source.file("victim")) << "keep me";
  const auto crafted = qz::thumbs::encodeEntries({{1, 1, 0, 1, 0, "../../" + fs::path(source.path()).filename().string() + "/victim"}});
  std::ofstream(thumbnail("_Entries"), std::ios::app | std::ios::binary)
      .write(reinterpret_cast<const char*>(crafted.data()), std::streamsize(crafted.size()));
  std::ofstream(pictures + "/_Entries") << "PIC 5 5";
  visit();
  EXPECT_EQ(readText(source.file("victim")), "keep me");
  const auto after = cache.readEntries(1);
  ASSERT_EQ(after.size(), 3u) << "the entries file is still the cache's own";
  EXPECT_EQ(after[0].name, "A.jpg");
  EXPECT_EQ(after[2].name, "notes.txt");
}

TEST_F(ThumbnailPass, AnInterruptedPassStillRecordsWhatItMade) {
  int settled = 0;
  qz::thumbs::ThumbnailPassHooks hooks;
  hooks.settled = [&](FileItem&) { ++settled; };
  hooks.interrupted = [&] { return settled >= 1; };
  visit(hooks);
  EXPECT_EQ(settled, 1);
  const auto entries = cache.readEntries(1);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].state, uint32_t(qz::thumbs::kThumbnailCached));
  EXPECT_EQ(entries[1].state, uint32_t(qz::thumbs::kThumbnailNone));
}

TEST_F(ThumbnailPass, AnUnreadableFolderListsNothing) {
  bool ok = true;
  EXPECT_TRUE(qz::thumbs::listFolderFiles(source.file("missing"), [] { return false; }, ok).empty());
  EXPECT_FALSE(ok);
}

}  // namespace
