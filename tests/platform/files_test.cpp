#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "platform/atomic_file_writer.h"
#include "platform/filesystem.h"
#include "support/temp_dir.h"

namespace {

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

bool isLink(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Every path below root with what it is: file contents, "<dir>" or "-> target".
std::map<std::string, std::string> snapshot(const std::string& root, const std::string& rel = "") {
  std::map<std::string, std::string> out;
  Qz_DirectoryEntry* e = Qz_OpenDirectory((root + rel).c_str());
  if (!e) return out;
  while (Qz_ScanDirectory(e)) {
    std::string name = e->de_Name;
    if (name == "." || name == "..") continue;
    std::string r = rel + "/" + name, full = root + r;
    struct stat st;
    lstat(full.c_str(), &st);
    if (S_ISLNK(st.st_mode)) {
      char buf[512] = {};
      readlink(full.c_str(), buf, sizeof buf - 1);
      out[r] = std::string("-> ") + buf;
    } else if (S_ISDIR(st.st_mode)) {
      out[r] = "<dir>";
      auto sub = snapshot(root, r);
      out.insert(sub.begin(), sub.end());
    } else {
      out[r] = qztest::fileContents(full);
    }
  }
  Qz_CloseDirectory(e);
  return out;
}

// a/b holds a small tree and a link to a folder outside the tree.
struct TreeFixture : ::testing::Test {
  qztest::TempDir tmp;
  std::string a, outside;
  void SetUp() override {
    a = tmp.file("a");
    outside = tmp.file("outside");
    mkdir(a.c_str(), 0777);
    mkdir((a + "/b").c_str(), 0777);
    mkdir((a + "/b/sub").c_str(), 0777);
    writeFile(a + "/b/one.txt", "one");
    writeFile(a + "/b/sub/two.txt", "two");
    mkdir(outside.c_str(), 0777);
    writeFile(outside + "/keep.txt", "keep");
    ASSERT_EQ(symlink(outside.c_str(), (a + "/b/out").c_str()), 0);
  }
};

TEST_F(TreeFixture, CopyDirWithAndWithoutTrailingSeparator) {
  const auto source = snapshot(a + "/b");
  ASSERT_EQ(source.size(), 4u);  // one.txt, sub, sub/two.txt, out
  struct Case {
    std::string from;
    std::string into;
    std::string expectAt;  // where b's contents end up
  };
  const Case cases[] = {
      {a + "/b", tmp.file("c1"), tmp.file("c1") + "/b"},
      {a + "\\b\\", tmp.file("c2"), tmp.file("c2")},  // backslashes as separators
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    ASSERT_EQ(Qz_CreateDir(c.into.c_str()), 1);
    EXPECT_EQ(Qz_CopyDir(c.from.c_str(), c.into.c_str()), 1);
    EXPECT_EQ(snapshot(c.expectAt), source);
    EXPECT_TRUE(isLink(c.expectAt + "/out"));  // copied as a link, not followed
    // diff, on its own, finds the two trees alike.
    const std::string diff = "diff -r --no-dereference '" + a + "/b' '" + c.expectAt + "' >/dev/null 2>&1";
    if (std::system("command -v diff >/dev/null 2>&1") == 0) {
      EXPECT_EQ(std::system(diff.c_str()), 0);
    }
  }
  EXPECT_EQ(snapshot(outside).size(), 1u);
}

TEST_F(TreeFixture, CopyDirRefusesItsOwnSubtreeAndMissingSource) {
  EXPECT_EQ(Qz_CopyDir((a + "/b").c_str(), (a + "/b/sub").c_str()), 0);
  EXPECT_EQ(Qz_CopyDir((a + "/b/").c_str(), (a + "/b").c_str()), 0);
  EXPECT_EQ(Qz_CopyDir(tmp.file("nothing").c_str(), tmp.path().c_str()), 0);
  EXPECT_EQ(snapshot(a + "/b").size(), 4u);
}

TEST_F(TreeFixture, DeleteDirNeverFollowsLinks) {
  // With the separator the folder is emptied and kept.
  EXPECT_EQ(Qz_DeleteDir((a + "/b/").c_str()), 1);
  EXPECT_TRUE(snapshot(a + "/b").empty());
  EXPECT_EQ(Qz_DoesFileExist((a + "/b").c_str()), 1);
  EXPECT_EQ(qztest::fileContents(outside + "/keep.txt"), "keep");
  // Without it the folder goes too.
  EXPECT_EQ(Qz_DeleteDir((a + "/b").c_str()), 1);
  EXPECT_EQ(Qz_DoesFileExist((a + "/b").c_str()), 0);
  // A link named as the folder is removed alone.
  const std::string link = tmp.file("link");
  ASSERT_EQ(symlink(outside.c_str(), link.c_str()), 0);
  EXPECT_EQ(Qz_DeleteDir((link + "/").c_str()), 0);
  EXPECT_EQ(Qz_DeleteDir(link.c_str()), 1);
  EXPECT_FALSE(isLink(link));
  EXPECT_EQ(qztest::fileContents(outside + "/keep.txt"), "keep");
}

TEST(Files, ScanEmptyDirectoryListsDotEntries) {
  qztest::TempDir tmp;
  Qz_DirectoryEntry* e = Qz_OpenDirectory(tmp.path().c_str());
  ASSERT_NE(e, nullptr);
  std::set<std::string> names;
  while (Qz_ScanDirectory(e)) names.insert(e->de_Name);
  EXPECT_EQ(names, (std::set<std::string>{".", ".."}));
  EXPECT_EQ(Qz_ScanDirectory(e), 0);
  Qz_CloseDirectory(e);
  Qz_CloseDirectory(nullptr);
  EXPECT_EQ(Qz_OpenDirectory(tmp.file("missing").c_str()), nullptr);
}

TEST(Files, SingleFileCalls) {
  qztest::TempDir tmp;
  const std::string f = tmp.file("f.txt"), g = tmp.file("g.txt"), d = tmp.file("d");
  writeFile(f, "hello");
  EXPECT_EQ(Qz_DoesFileExist(f.c_str()), 1);
  EXPECT_EQ(Qz_CopyFile(f.c_str(), g.c_str()), 1);
  EXPECT_EQ(qztest::fileContents(g), "hello");
  writeFile(f, "second");
  EXPECT_EQ(Qz_CopyFile(f.c_str(), g.c_str()), 1);  // overwrites
  EXPECT_EQ(qztest::fileContents(g), "second");
  EXPECT_EQ(Qz_CopyFile(tmp.file("none").c_str(), g.c_str()), 0);
  EXPECT_EQ(qztest::fileContents(g), "second");  // a failed copy leaves the target alone
  // Rename never replaces an existing file.
  EXPECT_EQ(Qz_RenameFile(f.c_str(), g.c_str()), 0);
  EXPECT_EQ(qztest::fileContents(g), "second");
  EXPECT_EQ(Qz_RenameFile(f.c_str(), tmp.file("h.txt").c_str()), 1);
  EXPECT_EQ(Qz_DoesFileExist(f.c_str()), 0);
  // Folders: one level, and deleting an empty one with the file call.
  EXPECT_EQ(Qz_CreateDir(d.c_str()), 1);
  EXPECT_EQ(Qz_CreateDir(d.c_str()), 0);
  EXPECT_EQ(Qz_CreateDir(tmp.file("x/y").c_str()), 0);
  EXPECT_EQ(Qz_DeleteFile(d.c_str()), 1);
  EXPECT_EQ(Qz_DoesFileExist(d.c_str()), 0);
  EXPECT_EQ(Qz_DeleteFile(g.c_str()), 1);
  EXPECT_EQ(Qz_DeleteFile(g.c_str()), 0);
}

TEST(Files, TempFileNameMakesAnEmptyQuiFile) {
  qztest::TempDir tmp;
  const char* old = std::getenv("TMPDIR");
  std::string saved = old ? old : "";
  setenv("TMPDIR", tmp.path().c_str(), 1);
  char name[QZ_TEMP_NAME_SIZE];
  ASSERT_EQ(Qz_GetTempFileName(name), 1);
  if (old) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
  std::string n = name;
  EXPECT_EQ(n.rfind(tmp.path() + "/Qui", 0), 0u) << n;
  struct stat st;
  ASSERT_EQ(stat(name, &st), 0);
  EXPECT_EQ(st.st_size, 0);
}

// --- atomic writer ----------------------------------------------------

TEST(AtomicWriter, CommitReplacesAbortKeepsOld) {
  qztest::TempDir tmp;
  const std::string target = tmp.file("picture.png");
  writeFile(target, "old");
  {
    qz::AtomicFileWriter w(target);
    ASSERT_TRUE(w.ok());
    std::fputs("half written", w.stream());
    EXPECT_EQ(qztest::fileContents(target), "old");  // nothing visible before the commit
  }  // dropped without commit
  EXPECT_EQ(qztest::fileContents(target), "old");
  EXPECT_EQ(snapshot(tmp.path()).size(), 1u);  // no temporary file left
  {
    qz::AtomicFileWriter w(target);
    std::fputs("new ", w.stream());
    std::fflush(w.stream());
    ASSERT_EQ(write(w.fd(), "bytes", 5), 5);  // both reach the one file
    EXPECT_TRUE(w.commit());
  }
  EXPECT_EQ(qztest::fileContents(target), "new bytes");
  EXPECT_EQ(snapshot(tmp.path()).size(), 1u);
  // A name of the longest length a folder takes still gets its temporary file.
  const std::string longName = tmp.file(std::string(255, 'n'));
  {
    qz::AtomicFileWriter w(longName);
    ASSERT_TRUE(w.ok());
    std::fputs("long", w.stream());
    EXPECT_TRUE(w.commit());
  }
  EXPECT_EQ(qztest::fileContents(longName), "long");
  // A folder that does not exist: no writer, and nothing is made.
  qz::AtomicFileWriter bad(tmp.file("missing/x.png"));
  EXPECT_FALSE(bad.ok());
  EXPECT_FALSE(bad.commit());
}

TEST(AtomicWriter, NewFileGetsUsualPermissionsOldFileKeepsItsOwn) {
  qztest::TempDir tmp;
  const std::string fresh = tmp.file("fresh"), kept = tmp.file("kept");
  writeFile(kept, "x");
  chmod(kept.c_str(), 0640);
  for (const std::string& p : {fresh, kept}) {
    qz::AtomicFileWriter w(p);
    std::fputs("y", w.stream());
    ASSERT_TRUE(w.commit());
  }
  struct stat st;
  stat(kept.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  stat(fresh.c_str(), &st);
  EXPECT_NE(st.st_mode & 0044, 0u);  // not the temporary file's 0600
}

TEST(AtomicWriter, BackupKeepsTheOldFile) {
  qztest::TempDir tmp;
  struct Case {
    const char* name;
    const char* backup;
  };
  const Case cases[] = {
      {"image.tar.gz", "image.bak.tar.gz"},
      {"photo.jpg", "photo.bak.jpg"},
      {"README", "README.bak"},
      {".profile", ".profile.bak"},
      {".hidden.txt", ".hidden.bak.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string target = tmp.file(c.name);
    EXPECT_EQ(qz::backupFileName(target), tmp.file(c.backup));
    writeFile(target, "old");
    qz::AtomicFileWriter w(target, true);
    std::fputs("new", w.stream());
    ASSERT_TRUE(w.commit());
    EXPECT_EQ(qztest::fileContents(target), "new");
    EXPECT_EQ(qztest::fileContents(tmp.file(c.backup)), "old");
  }
  EXPECT_EQ(qz::backupFileName("dir.v2/name"), "dir.v2/name.bak");
  // No old file: nothing to back up, the commit still works.
  qz::AtomicFileWriter w(tmp.file("first.png"), true);
  std::fputs("1", w.stream());
  EXPECT_TRUE(w.commit());
  EXPECT_EQ(Qz_DoesFileExist(tmp.file("first.bak.png").c_str()), 0);
}

// A writer killed half way leaves its temporary file; the next writer of the
// same target removes it, but never a live writer's, in this process or another.
TEST(AtomicWriter, NextWriterRemovesADeadWritersLeftoverOnly) {
  qztest::TempDir tmp;
  const std::string target = tmp.file("picture.png");
  writeFile(target, "old");
  // A process that is gone, with its temporary file left behind.
  const pid_t dead = fork();
  ASSERT_GE(dead, 0);
  if (dead == 0) _exit(0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const std::string leftover = tmp.file(".picture.png.qztmp-" + std::to_string(dead) + "-AbC123");
  writeFile(leftover, "half a picture");
  const std::string otherTarget = tmp.file(".other.png.qztmp-" + std::to_string(dead) + "-AbC123");
  writeFile(otherTarget, "not ours");
  // Another process in the middle of writing the same target.
  int toChild[2], fromChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(fromChild), 0);
  const pid_t live = fork();
  ASSERT_GE(live, 0);
  if (live == 0) {
    qz::AtomicFileWriter w(target);
    char c = w.ok() ? 'y' : 'n';
    if (write(fromChild[1], &c, 1) != 1) _exit(1);
    if (read(toChild[0], &c, 1) != 1) _exit(1);
    _exit(0);  // the writer's file stays: no destructor runs
  }
  char started = 0;
  ASSERT_EQ(read(fromChild[0], &started, 1), 1);
  ASSERT_EQ(started, 'y');
  // A live writer of this process too.
  qz::AtomicFileWriter mine(target);
  ASSERT_TRUE(mine.ok());
  {
    qz::AtomicFileWriter w(target);
    std::fputs("new", w.stream());
    ASSERT_TRUE(w.commit());
  }
  const auto names = snapshot(tmp.path());
  EXPECT_EQ(Qz_DoesFileExist(leftover.c_str()), 0) << "the dead writer's leftover stays";
  EXPECT_EQ(qztest::fileContents(otherTarget), "not ours");
  const std::string liveMark = ".picture.png.qztmp-" + std::to_string(live) + "-";
  const std::string ownMark = ".picture.png.qztmp-" + std::to_string(getpid()) + "-";
  int liveFiles = 0, ownFiles = 0;
  for (const auto& entry : names) {
    if (entry.first.find(liveMark) != std::string::npos) ++liveFiles;
    if (entry.first.find(ownMark) != std::string::npos) ++ownFiles;
  }
  EXPECT_EQ(liveFiles, 1) << "another process's live temporary file was removed";
  EXPECT_EQ(ownFiles, 1) << "this process's live temporary file was removed";
  EXPECT_EQ(qztest::fileContents(target), "new");
  ASSERT_EQ(write(toChild[1], "x", 1), 1);
  ASSERT_EQ(waitpid(live, nullptr, 0), live);
  for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
}

}  // namespace
