// Dropped files and data handed over by other processes reach the
// application as fresh blocks it owns.
#include <fstream>
#include <string>

#include "tests/windows/window_fixture.h"

using namespace qztest;

namespace qz::win {
bool scannerBlockValid(const uint8_t* bytes, std::size_t length);
}

namespace {

struct Received {
  std::vector<std::string> opened;  // "<null>" for a request without a name
  std::string folder;
  std::vector<std::vector<uint8_t>> blocks;
};
Received* gReceived = nullptr;

void onOpen(char* path) {
  gReceived->opened.push_back(path ? path : "<null>");
  if (path) FreeVec(path);
}
void onFolder(const char* path) { gReceived->folder = path; }
void onBlock(void* block, size_t n) {
  auto* p = static_cast<uint8_t*>(block);
  gReceived->blocks.emplace_back(p, p + n);
  FreeVec(block);
}

class DropTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    gReceived = &received_;
    QzWindowHooks hooks{};
    hooks.openFile = onOpen;
    hooks.setCurrentFolder = onFolder;
    hooks.scannerBlock = onBlock;
    Qz_SetWindowHooks(&hooks);
  }
  std::string makeFile(const std::string& name) {
    const std::string path = dir_.file(name);
    std::ofstream(path) << "x";
    return path;
  }
  TempDir dir_;
  Received received_;
};

std::vector<uint8_t> scannerBlock(uint32_t width, uint32_t height, std::size_t rowBytesGiven) {
  std::vector<uint8_t> b(16 + rowBytesGiven * height, 0);
  for (int i = 0; i < 4; ++i) {
    b[i] = static_cast<uint8_t>(width >> (8 * i));
    b[4 + i] = static_cast<uint8_t>(height >> (8 * i));
  }
  return b;
}

TEST_F(DropTest, FilesOpenAndAFolderDroppedLastBecomesTheCurrentFolder) {
  const std::string f1 = makeFile("one.png"), f2 = makeFile("two.png");
  qz::host::filesDropped({f1, dir_.path(), f2});
  EXPECT_EQ(received_.opened, (std::vector<std::string>{f1, f2}));  // a folder not dropped last is ignored
  EXPECT_TRUE(received_.folder.empty());
  received_.opened.clear();
  qz::host::filesDropped({f1, dir_.path()});
  EXPECT_EQ(received_.opened, (std::vector<std::string>{f1, "<null>"}));
  EXPECT_EQ(received_.folder, dir_.path());
}

TEST_F(DropTest, AHandedOverPathIsABoundedCopy) {
  const std::string path = "/tmp/picture.qls";
  qz::host::copyDataReceived(0x13003C, reinterpret_cast<const uint8_t*>(path.c_str()), path.size() + 1);
  // Not terminated: the copy still ends where the data does.
  const std::string raw = "/tmp/raw.png";
  qz::host::copyDataReceived(0x13003C, reinterpret_cast<const uint8_t*>(raw.data()), raw.size());
  // Longer than any path: cut at the bound, never read past the data.
  const std::string longPath(10000, 'a');
  qz::host::copyDataReceived(0x13003C, reinterpret_cast<const uint8_t*>(longPath.data()), longPath.size());
  qz::host::copyDataReceived(0x13003C, nullptr, 0);
  ASSERT_EQ(received_.opened.size(), 3u);
  EXPECT_EQ(received_.opened[0], path);
  EXPECT_EQ(received_.opened[1], raw);
  EXPECT_EQ(received_.opened[2].size(), 4096u);
  EXPECT_GE(qz::headless::raiseCount(), 3);
}

TEST_F(DropTest, ScannerBlocksAreCheckedBeforeTheyAreHandedOn) {
  struct Case {
    const char* name;
    std::vector<uint8_t> block;
    bool valid;
  };
  const Case cases[] = {
      {"rows padded to 4 bytes", scannerBlock(3, 2, 12), true},   // 3 x 3 = 9 -> 12
      {"rows one byte short", scannerBlock(3, 2, 11), false},
      {"zero width", scannerBlock(0, 2, 12), false},
      {"huge height, few rows", scannerBlock(1, 0x7FFFFFFF, 0), false},
      {"header only", std::vector<uint8_t>(16, 0), false},
      {"shorter than a header", std::vector<uint8_t>(7, 1), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qz::win::scannerBlockValid(c.block.data(), c.block.size()), c.valid);
  }
  // A header promising more rows than sent is refused, not read past.
  std::vector<uint8_t> lying = scannerBlock(100, 100, 0);
  EXPECT_FALSE(qz::win::scannerBlockValid(lying.data(), lying.size()));
  qz::host::copyDataReceived(0x54574149, lying.data(), lying.size());
  const std::vector<uint8_t> good = scannerBlock(3, 2, 12);
  qz::host::copyDataReceived(0x54574149, good.data(), good.size());
  ASSERT_EQ(received_.blocks.size(), 1u);
  EXPECT_EQ(received_.blocks[0], good);
}

}  // namespace
